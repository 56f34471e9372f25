// Keys as the X server delivers them (xdotool), not as Qt's test helpers send them.
#include <cstdlib>
#include <string>

#include "MainWindowRig.h"

static void xdotool(const QWidget* window, const std::string& action) {
    const std::string command =
        "xdotool windowfocus --sync " + std::to_string(window->winId()) + " " + action;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    QTest::qWait(150);
}

static void clickOnDesktop(const QWidget* window, const QWidget* control) {
    const QPoint at = control->mapTo(window, QPoint(6, 6));
    xdotool(window, "mousemove --window " + std::to_string(window->winId()) + " " +
                        std::to_string(at.x()) + " " + std::to_string(at.y()) + " click 1");
}

TEST(KeysOnTheDesktop, TabLandsOnTheOptionTheProgramCheckedAndTheArrowsSelect) {
    const MainWindowRig rig(kXT4830);
    MainForm& main = rig.main();
    CommandPanels& p = main.Frame1()->panels();
    for (QRadioButton* option :
         {p.cmdBitsOption(4), p.powerDownOption(3), p.cmdBitsOption(0), p.cmdBitsOption(4)}) {
        clickOnDesktop(&main, option);
    }
    ASSERT_TRUE(p.powerDownOption(0)->isChecked()) << "the program checked it";
    xdotool(&main, "key Tab");
    EXPECT_EQ(QApplication::focusWidget(), p.powerDownOption(0));
    xdotool(&main, "key Down");
    EXPECT_TRUE(p.powerDownOption(1)->isChecked());
    EXPECT_EQ(readField(main.Frame1()->composer().image(), {8, 9}), 1) << "its handler ran";
}
