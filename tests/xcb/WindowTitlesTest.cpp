// What the desktop shows as each window's title (_NET_WM_NAME, as a window manager reads it):
// exactly the window's own title, with nothing of the toolkit's added.
#include <cstdio>
#include <functional>

#include "MainWindowRig.h"
#include "ui/about/frmAbout.h"
#include "ui/main/Form1.h"
#include "ui/main/QtDialogs.h"
#include "ui/selftest/TestForm.h"

// The title the X server holds for the window, as xprop prints it.
static std::string shownTitle(const QWidget* window) {
    const std::string command =
        "xprop -id " + std::to_string(window->winId()) + " -notype _NET_WM_NAME";
    FILE* pipe = popen(command.c_str(), "r");
    char line[512] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    pclose(pipe);
    const std::string text = read ? line : "";
    const std::size_t open = text.find('"');
    return open == std::string::npos ? "" : text.substr(open + 1, text.rfind('"') - open - 1);
}

static std::string shownTitleOnceMapped(QWidget* window) {
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    QCoreApplication::processEvents();
    return shownTitle(window);
}

// Once the next message box is open (looked for every 20 ms): its shown title, then answer it
// with key.
static void answerNextBox(std::string& title, Qt::Key key, std::function<void()> before = {}) {
    QTimer::singleShot(20, [&title, key, before] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr) return answerNextBox(title, key, before);
        title = shownTitleOnceMapped(box);
        if (before) before();
        QTest::keyClick(box, key);
    });
}

TEST(WindowTitles, EveryWindowShowsExactlyItsOwnTitleOnTheDesktop) {
    VirtualLibrary lib(kXT4830Version2);
    lib.reset("absent");
    QtDialogs dialogs;
    Program program(kXT4830Version2, kProgramDir, dialogs);
    program.start();
    EXPECT_EQ(shownTitleOnceMapped(program.packageWindow()), "XT4830R [virtual board]");

    std::string retryTitle, errorTitle;
    answerNextBox(retryTitle, Qt::Key_Return, [&] { lib.setPresent(true); });
    QTest::mouseClick(program.packageWindow()->Command1(), Qt::LeftButton);
    EXPECT_EQ(retryTitle, "Failed to initalise Evaluation board");
    MainForm* main = program.mainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(shownTitleOnceMapped(main), "XT4830 Evaluation Software v1.0.4 [virtual board]");

    main->Image1_DblClick();
    EXPECT_EQ(shownTitleOnceMapped(main->testForm()), "") << "the self-test window has none";

    lib.setPresent(false);
    answerNextBox(errorTitle, Qt::Key_Return);
    main->monitor().sampleCommand()->click();
    EXPECT_EQ(errorTitle, "XT4830(version2)") << "the application's name";
}

TEST(WindowTitles, ALibraryThatSaysNothingOfItsKindLeavesEveryTitleAndTheAboutBoxAsTheyWere) {
    QtDialogs dialogs;
    Program program(kXT4830, XT4830_UNMARKED_DIR, dialogs);
    program.start();
    EXPECT_EQ(shownTitleOnceMapped(program.packageWindow()), "XT4830R");
    QTest::mouseClick(program.packageWindow()->Command1(), Qt::LeftButton);
    MainForm* main = program.mainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(shownTitleOnceMapped(main), "XT4830 Evaluation Software v1.0.2");
    main->MnuAbout()->trigger();
    ASSERT_NE(main->aboutBox(), nullptr);
    EXPECT_EQ(main->aboutBox()->findChild<QLabel*>(QStringLiteral("lblBoard")), nullptr);
}
