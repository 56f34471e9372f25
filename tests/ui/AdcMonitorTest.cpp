// The ADC read-back monitor on the real main window, over the virtual board.
#include "FakePeriodicTimer.h"
#include "MainWindowRig.h"

namespace {

constexpr const char* kRead = "code=0xDA, value=0x0000, index=0x0000, direction=1, length=3)";

// Writes code to output channel (0 = A) through the board, as Write to Part would.
void writeOutput(MainWindowRig& rig, int channel, int code) {
    rig.main().monitor();  // the board is open
    uint8_t unused = 0;
    rig.lib.get<driver_abi::VendorIORequestFn>(driver_abi::kVendorIORequest)(0xDE, 0x3E18 + channel,
                                                                             code, 0, 0, &unused);
}

}  // namespace

TEST(AdcMonitor, EachInputIsSelectedThenReadAndShownInVoltsAgainstTheReferenceText) {
    MainWindowRig rig(kXT4830);
    AdcMonitor& monitor = rig.main().monitor();
    EXPECT_TRUE(monitor.Option_MUX(0)->isChecked());
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(monitor.Option_MUX(i)->text(), QString(QChar('A' + i)));
    // A and B in the first row, C and D in the second, E to H below the frame's edge.
    EXPECT_EQ(monitor.Option_MUX(1)->y(), monitor.Option_MUX(0)->y());
    EXPECT_GT(monitor.Option_MUX(2)->y(), monitor.Option_MUX(0)->geometry().bottom());
    for (int hidden = 4; hidden < 8; ++hidden)
        EXPECT_GE(monitor.Option_MUX(hidden)->y(), monitor.Option_MUX(0)->parentWidget()->height());
    // The input's mask and one read; E to H lie out of the mouse's reach.
    monitor.Option_MUX(7)->click();
    writeOutput(rig, 1, 0x8000);  // DAC B at mid scale: count 2048
    click(monitor.Option_MUX(1));
    const auto lines = fileLines(rig.tracePath());
    EXPECT_THAT(lines[lines.size() - 5], testing::HasSubstr("code=0xDF, value=0x9880"));
    EXPECT_THAT(lines[lines.size() - 2], testing::HasSubstr("code=0xDF, value=0x9802"));
    EXPECT_THAT(lines.back(), testing::HasSubstr(kRead));
    EXPECT_EQ(monitor.ADCDisplay()->value(), 1.5);
    EXPECT_EQ(monitor.ADCDisplay()->accessibleDescription(), "1.5 V") << "for screen readers";
    EXPECT_EQ(monitor.ADCDisplay()->accessibleName(), "ADC reading in volts");
    EXPECT_EQ(monitor.ADCDisplay()->palette().color(QPalette::WindowText), QColor(Qt::red));
    for (const auto& [reference, volts] :
         std::vector<std::pair<QString, double>>{{"5", 2.5}, {"", 0}, {"abc", 0}, {"3.0", 1.5}}) {
        monitor.adcVddText()->setText(reference);
        click(monitor.sampleCommand());
        EXPECT_EQ(monitor.ADCDisplay()->value(), volts) << reference.toStdString();
    }
    writeOutput(rig, 1, 0xFFFF);  // count 4095: 2.999267578125 V, in 8 places
    click(monitor.sampleCommand());
    EXPECT_EQ(monitor.ADCDisplay()->accessibleDescription(), "2.999268 V") << "as shown";
}

TEST(AdcMonitor, LeavingTheReferenceFieldSamplesAfterTheClickThatLeftItButTypingDoesNot) {
    MainWindowRig rig(kXT4830);
    AdcMonitor& monitor = rig.main().monitor();
    writeOutput(rig, 0, 0x8000);
    monitor.adcVddText()->setFocus();
    const size_t before = rig.requestCount();
    click(monitor.adcVddText());  // a click inside the field is no leaving it
    QCoreApplication::sendPostedEvents();
    QTest::keyClick(monitor.adcVddText(), Qt::Key_End);
    QTest::keyClicks(monitor.adcVddText(), "6789");
    EXPECT_EQ(rig.requestCount(), before);
    EXPECT_EQ(monitor.adcVddText()->text(), "3.067") << "at most 5 characters are typed";
    // The window losing the focus to another window (a message box, say) takes no sample.
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(monitor.adcVddText(), &away);
    EXPECT_EQ(rig.requestCount(), before);
    monitor.sampleCommand()->setFocus();
    EXPECT_EQ(rig.requestCount(), before + 1);
    EXPECT_DOUBLE_EQ(monitor.ADCDisplay()->value(), 2048 / 4096.0 * 3.067);
    // A click that leaves the field acts first; the sample follows, failing on its own.
    monitor.adcVddText()->setFocus();
    rig.lib.setPresent(false);
    click(rig.dac().writeToPartCommand());
    QCoreApplication::sendPostedEvents();
    const auto lines = fileLines(rig.tracePath());
    ASSERT_EQ(lines.size(), before + 3);
    EXPECT_THAT(lines[before + 1], testing::HasSubstr("code=0xDE"));
    EXPECT_THAT(lines[before + 2], testing::HasSubstr(kRead));
    EXPECT_EQ(rig.dialogs.shown.size(), 2u);
}

TEST(AdcMonitor, AutoSamplingTakesOneSamplePerTickNoneOnEnablingAndNoneWhileABoxIsOpen) {
    MainWindowRig rig(kXT4830);
    AdcMonitor& monitor = rig.main().monitor();
    EXPECT_FALSE(monitor.sampleTimer().isEnabled());
    EXPECT_EQ(monitor.sampleTimer().intervalMs(), 1000) << "once a second";
    auto* timer = new FakePeriodicTimer(1000);  // ticked by hand
    monitor.setSampleTimer(std::unique_ptr<PeriodicTimer>(timer));
    EXPECT_THROW(timer->setTickHandler([] {}), std::logic_error) << "the monitor's alone";
    const size_t start = rig.requestCount();
    click(monitor.autoSampleCheck());
    EXPECT_EQ(rig.requestCount(), start) << "no sample at the moment of enabling";
    timer->tick();
    timer->tick();
    EXPECT_EQ(rig.requestCount(), start + 2);
    click(monitor.sampleCommand());  // an extra sample leaves the timer alone
    EXPECT_TRUE(timer->isEnabled());
    EXPECT_EQ(rig.requestCount(), start + 3);
    rig.lib.setPresent(false);  // unplugged: the next read fails
    rig.dialogs.onShow = [&](const MessageBoxSpec&) { timer->tick(); };
    timer->tick();
    EXPECT_EQ(rig.dialogs.shown.size(), 1u) << "one box at a time, never a pile";
    EXPECT_EQ(rig.requestCount(), start + 4);
    EXPECT_EQ(timer->restarts, 1) << "the next sample is a whole period after the box";
    rig.dialogs.onShow = nullptr;
    toggleByAccessibility(monitor.autoSampleCheck());
    EXPECT_FALSE(timer->isEnabled());
    timer->tick();
    EXPECT_EQ(rig.requestCount(), start + 4);
}

TEST(AdcMonitor, AutoSamplingWaitsWhileAMenuIsOpenSoFileExitCanBeReachedAtAnyPace) {
    MainWindowRig rig(kXT4830);
    AdcMonitor& monitor = rig.main().monitor();
    auto* timer = new FakePeriodicTimer(1000);
    monitor.setSampleTimer(std::unique_ptr<PeriodicTimer>(timer));
    click(monitor.autoSampleCheck());
    rig.lib.setPresent(false);
    QMenuBar* bar = rig.main().menuBar();
    QMenu* file = rig.main().findChild<QMenu*>("MnuFile");
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(file->menuAction()).center());
    ASSERT_TRUE(file->isVisible());
    const size_t before = rig.requestCount();
    timer->tick();
    EXPECT_EQ(rig.requestCount(), before);
    file->close();
    timer->tick();
    EXPECT_EQ(rig.dialogs.shown.size(), 1u) << "sampling again once the menu is closed";
}
