// The LDAC and CLR pin controls on the real main window.
#include "MainWindowRig.h"
#include "ui/main/HardwarePins.h"
#include "ui/shared/CaptionFrame.h"

TEST(HardwarePins, EachToggleShowsTheLevelThenSendsOneRequestForItsOwnPin) {
    MainWindowRig rig(kXT4830Version2);
    HardwarePins& pins = rig.dac().pins();
    EXPECT_EQ(pins.LDACStateLabel()->text(), "HI");
    EXPECT_EQ(pins.CLRStateLabel()->text(), "HI");
    using Step = std::tuple<QCheckBox*, QLabel*, const char*, const char*>;
    for (const auto& [box, label, level, request] :
         {Step{pins.CLRCheck(), pins.CLRStateLabel(), "LOW", "code=0xE0,"},
          Step{pins.LDACCheck(), pins.LDACStateLabel(), "LOW", "code=0xF0,"},
          Step{pins.CLRCheck(), pins.CLRStateLabel(), "HI", "code=0xE1,"},
          Step{pins.CLRCheck(), pins.CLRStateLabel(), "LOW", "code=0xE0,"},
          Step{pins.LDACCheck(), pins.LDACStateLabel(), "HI", "code=0xF1,"}}) {
        const size_t before = rig.requestCount();
        box->click();
        EXPECT_EQ(label->text(), level);
        ASSERT_EQ(rig.requestCount(), before + 1);
        EXPECT_THAT(rig.lastRequest(), testing::HasSubstr(request));
    }
    EXPECT_EQ(pins.CLRStateLabel()->text(), "LOW") << "each pin's own label";
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
    EXPECT_EQ(labelWhileReporting, "LOW");
    EXPECT_EQ(pins.LDACStateLabel()->text(), "LOW");
}

TEST(HardwarePins, OutOfSightButReachedWithTabAndToggledWithSpace) {
    MainWindowRig rig(kXT4830);
    HardwarePins& pins = rig.dac().pins();
    EXPECT_EQ(pins.hardwarePinsFrame()->pos(), QPoint(1176, 696));  // 17640, 10440 twips
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
