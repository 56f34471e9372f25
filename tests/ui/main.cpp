#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>

// Widget tests run on Qt's offscreen platform; death tests start afresh in a new process.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qgetenv("XDG_RUNTIME_DIR").isEmpty()) {
        const QByteArray dir = QDir::tempPath().toLocal8Bit() + "/xt4830-tests-runtime";
        QDir().mkpath(QString::fromLocal8Bit(dir));
        QFile::setPermissions(QString::fromLocal8Bit(dir),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", dir);
    }
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
