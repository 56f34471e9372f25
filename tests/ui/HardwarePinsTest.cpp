// The LDAC and CLR pin controls on the real main window.
#include "MainWindowRig.h"
#include "ui/main/HardwarePins.h"
#include "ui/shared/CaptionFrame.h"

TEST(HardwarePins, EachToggleShowsTheLevelThenSendsOneRequestForItsOwnPin) {
    MainWindowRig rig(kXT4830Version2);
    HardwarePins& pins = rig.dac().pins();
    EXPECT_EQ(pins.LDACStateLabel()->text(), "HI");
    EXPECT_EQ(pins.CLRStateLabel()->text(), "HI");
    struct Step {
        QCheckBox* box;
        const char* label;
        const char* request;
    };
    const std::vector<Step> steps = {
        {pins.CLRCheck(), "LOW", "code=0xE0,"},  {pins.CLRCheck(), "HI", "code=0xE1,"},
        {pins.LDACCheck(), "LOW", "code=0xF0,"}, {pins.LDACCheck(), "HI", "code=0xF1,"},
        {pins.LDACCheck(), "LOW", "code=0xF0,"}, {pins.CLRCheck(), "LOW", "code=0xE0,"},
    };
    for (const Step& step : steps) {
        QLabel* label = step.box == pins.CLRCheck() ? pins.CLRStateLabel() : pins.LDACStateLabel();
        QLabel* other = step.box == pins.CLRCheck() ? pins.LDACStateLabel() : pins.CLRStateLabel();
        const QString otherBefore = other->text();
        const size_t before = rig.requestCount();
        step.box->click();
        EXPECT_EQ(label->text(), step.label);
        EXPECT_EQ(other->text(), otherBefore);
        ASSERT_EQ(rig.requestCount(), before + 1);
        EXPECT_THAT(rig.lastRequest(), testing::HasSubstr(step.request));
    }
    toggleByAccessibility(pins.CLRCheck());  // as a click does
    EXPECT_EQ(pins.CLRStateLabel()->text(), "HI");
    EXPECT_THAT(rig.lastRequest(), testing::HasSubstr("code=0xE1,"));
    // The label already shows the new level when a failing request reports, and keeps it.
    rig.lib.setPresent(false);
    QString labelWhileReporting;
    rig.dialogs.onShow = [&](const MessageBoxSpec&) {
        labelWhileReporting = pins.LDACStateLabel()->text();
    };
    pins.LDACCheck()->click();
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(labelWhileReporting, "HI");
    EXPECT_EQ(pins.LDACStateLabel()->text(), "HI");
}

TEST(HardwarePins, OutOfSightButReachedWithTabAndToggledWithSpace) {
    MainWindowRig rig(kXT4830);
    HardwarePins& pins = rig.dac().pins();
    const QRect frame = pins.hardwarePinsFrame()->geometry();
    EXPECT_EQ(frame.topLeft(), QPoint(1176, 696));  // 17640, 10440 twips
    EXPECT_GT(frame.left(), rig.dac().width());
    // Tab from Write to Part reaches LDAC, then CLR.
    rig.dac().writeToPartCommand()->setFocus();
    QTest::keyClick(rig.dac().writeToPartCommand(), Qt::Key_Tab);
    ASSERT_EQ(rig.main().focusWidget(), pins.LDACCheck());
    QTest::keyClick(pins.LDACCheck(), Qt::Key_Space);
    EXPECT_EQ(pins.LDACStateLabel()->text(), "LOW");
    EXPECT_THAT(rig.lastRequest(), testing::HasSubstr("code=0xF0,"));
    QTest::keyClick(pins.LDACCheck(), Qt::Key_Tab);
    ASSERT_EQ(rig.main().focusWidget(), pins.CLRCheck());
    QTest::keyClick(pins.CLRCheck(), Qt::Key_Space);
    EXPECT_EQ(pins.CLRStateLabel()->text(), "LOW");
    EXPECT_THAT(rig.lastRequest(), testing::HasSubstr("code=0xE0,"));
}
