// The read-back plot window on the real main window, over the virtual board.
#include <QLineSeries>

#include "FakePeriodicTimer.h"
#include "MainWindowRig.h"
#include "ui/plot/ReadbackPlot.h"
#include "ui/plot/StripChartPage.h"
#include "ui/plot/SweepPage.h"

static ReadbackPlot& openPlot(const MainWindowRig& rig) {
    rig.main().MnuPlot()->trigger();
    return *rig.main().plotWindow();
}

static SweepPage& sweepOf(ReadbackPlot& plot, const char* from, const char* to, const char* step) {
    SweepPage& sweep = plot.sweep();
    sweep.inputChoice()->setCurrentIndex(1);  // B
    sweep.fromText()->setText(from);
    sweep.toText()->setText(to);
    sweep.stepText()->setText(step);
    return sweep;
}

TEST(ReadbackPlot, StripChartGetsExactlyTheMonitorsSamplesWithTheirInputs) {
    MainWindowRig rig(kXT4830);
    AdcMonitor& monitor = rig.main().monitor();
    monitor.setSampleTimer(std::make_unique<FakePeriodicTimer>(1000));
    monitor.sampleCommand()->click();  // before the window opens: not plotted
    ReadbackPlot& plot = openPlot(rig);
    rig.main().MnuPlot()->trigger();
    EXPECT_EQ(rig.main().plotWindow(), &plot) << "one window";
    monitor.Option_MUX(1)->click();
    monitor.sampleCommand()->click();
    monitor.autoSampleCheck()->click();
    static_cast<FakePeriodicTimer&>(monitor.sampleTimer()).tick();
    rig.board().requests().SelectMuxChannel(8);  // as the self-test leaves it: output D
    monitor.sampleCommand()->click();
    const auto& samples = plot.stripChart().history().samples();
    ASSERT_EQ(samples.size(), 4u);
    EXPECT_EQ(samples[2].input, 1);
    EXPECT_EQ(samples[3].input, 3) << "the input the ADC measured, whatever the buttons show";
    EXPECT_EQ(plot.stripChart().series(1)->count(), 3);
    plot.stripChart().pauseButton()->click();
    monitor.sampleCommand()->click();
    EXPECT_EQ(samples.size(), 4u) << "paused";
    plot.stripChart().clearButton()->click();
    EXPECT_TRUE(samples.empty());
    plot.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(rig.main().plotWindow(), nullptr);
}

TEST(ReadbackPlot, SweepOverAStuckOutputShowsTheDifferenceAndPausesAutoSampling) {
    MainWindowRig rig(kXT4830, "stuck=B:0x1000");
    AdcMonitor& monitor = rig.main().monitor();
    monitor.setSampleTimer(std::make_unique<FakePeriodicTimer>(1000));
    monitor.autoSampleCheck()->click();
    SweepPage& sweep = sweepOf(openPlot(rig), "4000", "C000", "4000");
    sweep.startButton()->click();
    EXPECT_FALSE(monitor.sampleTimer().isEnabled()) << "auto sampling waits";
    while (sweep.running())
        QCoreApplication::processEvents();
    EXPECT_TRUE(monitor.sampleTimer().isEnabled()) << "and goes on after";
    EXPECT_EQ(sweep.summary()->text(),
              "offset 256.00 counts, gain error -100.000 %, largest difference -2816 counts");
    EXPECT_TRUE(rig.dialogs.shown.empty());
    sweep.stepText()->setText("0");
    sweep.startButton()->click();
    rig.lib.setPresent(false);  // a refused request stops the sweep with one message, no "error"
    sweepOf(*rig.main().plotWindow(), "0", "FFFF", "1").startButton()->click();
    while (sweep.running())
        QCoreApplication::processEvents();
    ASSERT_EQ(rig.dialogs.shown.size(), 2u);
    EXPECT_EQ(rig.dialogs.shown[0].text, "The step must be 1 or more.");
    EXPECT_THAT(rig.dialogs.shown[1].text,
                testing::StartsWith("The sweep stopped: the request 0xDF (value 0x9802, index "
                                    "0x0000) failed with result "));
}

TEST(ReadbackPlot, ClosingTheWindowInTheMiddleOfASweepGivesTheBoardBack) {
    MainWindowRig rig(kXT4830);
    AdcMonitor& monitor = rig.main().monitor();
    monitor.autoSampleCheck()->click();
    ReadbackPlot& plot = openPlot(rig);
    sweepOf(plot, "0", "FFFF", "1").startButton()->click();
    QCoreApplication::processEvents();
    plot.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(monitor.sampleTimer().isEnabled()) << "auto sampling goes on";
    sweepOf(openPlot(rig), "0", "FFFF", "1").startButton()->click();
    QCoreApplication::processEvents();
}  // the main window goes with its monitor, and then the plot in the middle of its sweep
