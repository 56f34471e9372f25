// The read-back plot window on the real main window, over the virtual board.
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include "FakePeriodicTimer.h"
#include "MainWindowRig.h"
#include "ui/plot/LinearityPage.h"
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

TEST(ReadbackPlot, LinearityPageShowsTheFiguresWithUncertaintiesAndSavesThemAsJson) {
    MainWindowRig rig(kXT4830, "offset=A:3,sigma=0.7,seed=1");
    AdcMonitor& monitor = rig.main().monitor();
    monitor.setSampleTimer(std::make_unique<FakePeriodicTimer>(1000));
    monitor.autoSampleCheck()->click();
    ReadbackPlot& plot = openPlot(rig);
    LinearityPage& page = plot.linearity();
    EXPECT_FALSE(plot.saveJsonButton()->isEnabled());
    plot.tabs()->setCurrentWidget(&page);
    EXPECT_TRUE(plot.saveJsonButton()->isEnabled());
    page.samplesText()->setText("1");
    page.startButton()->click();
    page.samplesText()->setText("512");
    page.strideText()->setText("1000");
    page.startButton()->click();
    EXPECT_FALSE(monitor.sampleTimer().isEnabled()) << "auto sampling waits";
    while (page.running())
        QCoreApplication::processEvents();
    EXPECT_TRUE(monitor.sampleTimer().isEnabled());
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].text,
              "The readings per code must be 2 to 1000000: their spread is their uncertainty.");
    EXPECT_EQ(page.progress()->value(), 1000);
    EXPECT_THAT(page.estimate()->text().toStdString(), testing::StartsWith("8704 readings, "));
    ASSERT_EQ(page.summary()->item(4, 0)->text(), "Offset error");
    const double offset = page.summary()->item(4, 1)->text().toDouble();
    const double uncertainty = page.summary()->item(4, 2)->text().toDouble();
    EXPECT_NEAR(offset, 3.0, 2 * uncertainty);
    EXPECT_EQ(page.summary()->item(4, 3)->text(), "mV");
    EXPECT_EQ(page.inlView()->chart()->title(), "INL against the least-squares line (LSB)");
    EXPECT_EQ(static_cast<QLineSeries*>(page.inlView()->chart()->series().at(0))->count(), 16)
        << "0x1000 to 0xF000: code 0 and 0xFFFF read at the ADC's ends";

    const QString path = QString::fromStdString(testing::TempDir()) + "linearity.json";
    ASSERT_TRUE(plot.saveJson(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject saved = QJsonDocument::fromJson(file.readAll()).object();
    EXPECT_DOUBLE_EQ(saved["offset_mv"].toDouble(), page.result()->offsetMillivolts.value);
    EXPECT_EQ(saved["provenance"].toObject()["version"].toString(), "1.0.2");
    EXPECT_TRUE(plot.saveCsv(path));
    EXPECT_TRUE(plot.savePng(path));

    rig.lib.setPresent(false);  // a refused request stops the run with one message, no figures
    page.startButton()->click();
    while (page.running())
        QCoreApplication::processEvents();
    ASSERT_EQ(rig.dialogs.shown.size(), 2u);
    EXPECT_THAT(rig.dialogs.shown[1].text,
                testing::StartsWith("The characterisation stopped: the request 0xDF"));
    EXPECT_FALSE(page.json());
    EXPECT_FALSE(plot.saveJson(path));
}
