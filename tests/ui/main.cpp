#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>

// Widget tests run on Qt's offscreen platform, with a runtime directory of their own when the
// session has none; death tests start afresh in a new process.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString runtime = QDir::tempPath() + "/xt4830-tests-runtime";
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
