// The yardsticks for start-up time and memory: the smallest Qt 6 Widgets program with a
// window, and, with --text, the same window showing one line of text (which makes Qt load
// its font database, as any window with text must).
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare Qt window"));
    window.resize(292, 134);
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0) {
        auto* label = new QLabel(QStringLiteral("Select Device Package Type"), &window);
        label->setGeometry(8, 8, 276, 22);
    }
    window.show();
    return QApplication::exec();
}
