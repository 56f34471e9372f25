// The read-back plot window on the real main window, over the virtual board.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QFile>
#include <QGraphicsTextItem>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QValueAxis>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "FakePeriodicTimer.h"
#include "FreePort.h"
#include "MainWindowRig.h"
#include "ui/plot/ChartAxes.h"
#include "ui/plot/ChartView.h"
#include "ui/plot/LinearityPage.h"
#include "ui/plot/ReadbackPlot.h"
#include "ui/plot/StripChartPage.h"
#include "ui/plot/SweepPage.h"

static ReadbackPlot& openPlot(const MainWindowRig& rig) {
    rig.main().MnuPlot()->trigger();
    return *rig.main().plotWindow();
}

static std::string fileText(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), {}};
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

TEST(ReadbackPlot, StripChartDrawsItsTimeAxisOverTenMinutesAndEachInputAtBothEnds) {
    MainWindowRig rig(kXT4830);
    StripChartPage& page = openPlot(rig).stripChart();
    drawnTexts(page.chartView());  // on the screen before the first sample, as a user opens it
    const auto now = SampleHistory::Clock::now();
    page.addSample(3, 0, 0.0, 3.0, now - std::chrono::minutes(1));      // D first, at 0 V
    page.addSample(0, 4095, 3.0, 3.0, now - std::chrono::seconds(30));  // A at the reference
    page.addSample(1, 2048, 1.5, 3.0, now);
    const QStringList texts = drawnTexts(page.chartView());
    EXPECT_TRUE(texts.contains("Time"));
    EXPECT_GE(texts.filter(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$")).size(), 3) << "hh:mm:ss";
    QChart* chart = page.chartView()->chart();
    const auto* time = static_cast<QDateTimeAxis*>(chart->axes(Qt::Horizontal).at(0));
    EXPECT_EQ(time->min().msecsTo(time->max()), 600000) << "the last ten minutes";
    EXPECT_TRUE(time->isGridLineVisible());
    QStringList legend;
    for (const QLegendMarker* marker : chart->legend()->markers())
        if (marker->isVisible()) legend << marker->label();
    EXPECT_EQ(legend, (QStringList{"A", "B", "D"})) << "in order, the inputs measured";
    const QRectF inside = chart->plotArea().adjusted(2, 2, -2, -2);
    for (const int input : {3, 0}) {
        QLineSeries* line = page.series(input);
        EXPECT_TRUE(line->pointsVisible());
        EXPECT_TRUE(inside.contains(chart->mapToPosition(line->at(0), line))) << input;
    }
}

TEST(ChartAxes, ValuesTickAtRoundStepsOverWholeTicksAndCodesAtHexadecimalStepsWithBothEnds) {
    using V = std::array<double, 6>;  // low, high, most steps: first, last, step
    for (const V& v :
         {V{-5.4, 4.0, 8, -6, 4, 2}, V{-0.9, 4.5, 6, -1, 5, 1}, V{0, 3, 12, 0, 3, 0.25},
          V{2, 2, 4, 1.5, 2.5, 0.25}, V{-0.12, 3.12, 6, -1, 4, 1}, V{0, 1e-3, 5, 0, 1e-3, 2e-4},
          V{-2816, 0, 5, -3000, 0, 1000}, V{0, 9, 2, 0, 10, 5}}) {
        const ValueTicks t = valueTicks(v[0], v[1], static_cast<int>(v[2]));
        EXPECT_THAT((std::array{t.first, t.last, t.step}),
                    testing::Pointwise(testing::DoubleNear(1e-12), std::array{v[3], v[4], v[5]}))
            << v[0] << " to " << v[1];
    }
    using Codes = std::vector<int32_t>;
    EXPECT_EQ(codeTicks(0, 0xFFFF, 8),
              (Codes{0, 0x2000, 0x4000, 0x6000, 0x8000, 0xA000, 0xC000, 0xE000, 0xFFFF}));
    EXPECT_EQ(codeTicks(0x1234, 0x5678, 4), (Codes{0x1234, 0x4000, 0x5678}));
    EXPECT_EQ(codeTicks(0xFF00, 0xFFFF, 8),
              (Codes{0xFF00, 0xFF20, 0xFF40, 0xFF60, 0xFF80, 0xFFA0, 0xFFC0, 0xFFE0, 0xFFFF}));
    EXPECT_EQ(codeTicks(5, 5, 4), Codes{5});
}

TEST(ReadbackPlot, SweepEndsOnTheLastCodeAndDrawsItsErrorOnHexadecimalCodes) {
    MainWindowRig rig(kXT4830);
    ReadbackPlot& plot = openPlot(rig);
    plot.tabs()->setCurrentWidget(&plot.sweep());
    SweepPage& sweep = plot.sweep();  // the default: 0 to FFFF by 100
    sweep.startButton()->click();
    while (sweep.running())
        QCoreApplication::processEvents();
    ASSERT_EQ(sweep.points().size(), 257u);
    EXPECT_EQ(sweep.points().back().code, 0xFFFF);
    const auto* errors = static_cast<QLineSeries*>(sweep.errorView()->chart()->series().at(0));
    ASSERT_EQ(errors->count(), 257);
    EXPECT_EQ(errors->at(256), QPointF(0xFFFF, sweep.points().back().difference));
    for (QChartView* view : {sweep.chartView(), sweep.errorView()}) {
        const QStringList texts = drawnTexts(view);
        for (const char* tick : {"0000", "4000", "8000", "C000", "FFFF"})
            EXPECT_TRUE(texts.contains(tick)) << tick << " among " << texts.join(' ').toStdString();
        EXPECT_TRUE(texts.contains("Code (hex)"));
    }
    EXPECT_TRUE(drawnTexts(sweep.errorView()).contains("ADC counts"));
}

TEST(ReadbackPlot, SavesWholeOrNotAtAllAndSaysWhyNot) {
    MainWindowRig rig(kXT4830);
    ReadbackPlot& plot = openPlot(rig);
    const std::string dir = testing::TempDir() + "xt4830-saves/";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    QString suggested;
    plot.setPathQuestion([&](const QString& name, const QString&) {
        suggested = name;
        return QString::fromStdString(dir + "chart");  // typed without a suffix
    });
    plot.saveButton(ReadbackPlot::FileKind::Svg)->click();
    EXPECT_THAT(suggested.toStdString(),
                testing::MatchesRegex("strip-chart-[0-9]{4}-[0-9]{2}-[0-9]{2}-[0-9]{4}\\.svg"));
    EXPECT_THAT(fileText(dir + "chart.svg"), testing::HasSubstr("<desc>virtual board</desc>"));
    const QString png = QString::fromStdString(dir + "board.png");
    ASSERT_EQ(plot.saveAs(ReadbackPlot::FileKind::Png, png), std::nullopt);
    EXPECT_EQ(QImage(png).text(QStringLiteral("Source")), "virtual board");
    EXPECT_TRUE(rig.dialogs.shown.empty());
    // A write that fails part way (the file size limit, as a full disk would) keeps the old file.
    std::ofstream(dir + "old.png") << "old";
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit unlimited = limit;
    limit.rlim_cur = 1024;
    setrlimit(RLIMIT_FSIZE, &limit);
    const auto failed =
        plot.saveAs(ReadbackPlot::FileKind::Png, QString::fromStdString(dir + "old.png"));
    setrlimit(RLIMIT_FSIZE, &unlimited);
    EXPECT_EQ(failed, "Cannot save " + dir + "old.png: the file would be larger than allowed.");
    EXPECT_EQ(fileText(dir + "old.png"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 3)
        << "nothing left over";
    const auto workingDir = std::filesystem::current_path();
    std::filesystem::current_path(dir);  // a name without a folder is saved in the working one
    EXPECT_EQ(plot.saveAs(ReadbackPlot::FileKind::Csv, "here"), std::nullopt);
    std::filesystem::current_path(workingDir);
    EXPECT_THAT(fileText(dir + "here.csv"),
                testing::MatchesRegex("# software: XT4830[^\n]*\n# deliverable: [AB]\n# board: "
                                      "virtual board\n# package: [a-z]+\n# time_utc: [^\n]+Z\n"
                                      "(# [^\n]*\n)*time_s,unix_time_s,input,count,volts\n"));
    // A FIFO is refused at once, even with a reader waiting on it.
    const std::string fifo = dir + "fifo.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_EQ(plot.saveAs(ReadbackPlot::FileKind::Csv, QString::fromStdString(fifo)),
              "Cannot save " + fifo + ": it is not a regular file.");
    close(reader);
    if (geteuid() == 0) return;  // no permission keeps the superuser out
    std::filesystem::permissions(
        dir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_THAT(
        plot.saveAs(ReadbackPlot::FileKind::Csv, QString::fromStdString(dir + "new")).value_or(""),
        testing::EndsWith("new: permission denied."));
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
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
    EXPECT_EQ(QAccessible::queryAccessibleInterface(sweep.summary())->text(QAccessible::Name),
              sweep.summary()->text())
        << "a screen reader reads what is shown";
    EXPECT_TRUE(rig.dialogs.shown.empty());
    rig.main().plotWindow()->tabs()->setCurrentWidget(&sweep);
    EXPECT_TRUE(drawnTexts(sweep.errorView()).contains("A000")) << "every 0x2000 over 0x8000";
    const auto* counts =
        static_cast<QValueAxis*>(sweep.errorView()->chart()->axes(Qt::Vertical).at(0));
    EXPECT_LT(counts->min(), -2816) << "the largest error in sight";
    EXPECT_GT(counts->min(), -3400) << "and the axis fitted to the errors";
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
    EXPECT_FALSE(plot.saveButton(ReadbackPlot::FileKind::Json)->isEnabled());
    plot.tabs()->setCurrentWidget(&page);
    EXPECT_TRUE(drawnTexts(page.inlView()).contains("FFFF"))
        << "the whole code range from the start";
    EXPECT_TRUE(plot.saveButton(ReadbackPlot::FileKind::Json)->isEnabled());
    page.samplesText()->setText("1");
    page.startButton()->click();
    page.samplesText()->setText("512");
    page.strideText()->setText("1000");
    page.limitsText()->setText("inl=4");
    page.startButton()->click();
    page.limitsText()->setText(" offset-mv=0.5  inl-lsb=1000 ");
    page.startButton()->click();
    EXPECT_FALSE(monitor.sampleTimer().isEnabled()) << "auto sampling waits";
    while (page.running())
        QCoreApplication::processEvents();
    EXPECT_TRUE(monitor.sampleTimer().isEnabled());
    ASSERT_EQ(rig.dialogs.shown.size(), 2u);
    EXPECT_EQ(rig.dialogs.shown[0].text,
              "The readings per code must be 2 to 1000000: their spread is their uncertainty.");
    EXPECT_THAT(rig.dialogs.shown[1].text, testing::HasSubstr("not \"inl=4\""));
    // The offset of 3 mV is over its 0.5 mV limit by more than its U (1.7 mV, mostly the ADC's
    // stated offset), the INL far within its own: FAIL, in red.
    const int last = page.summary()->rowCount() - 1;
    EXPECT_EQ(page.summary()->item(last, 0)->text(), "Verdict");
    EXPECT_EQ(page.summary()->item(last, 1)->text(), "FAIL");
    EXPECT_EQ(page.summary()->item(last, 1)->foreground().color(), QColor(192, 0, 0));
    EXPECT_THAT(page.summary()->item(last - 1, 1)->text().toStdString(),
                testing::StartsWith("PASS"));
    // The INL limit drawn at +/-1000 LSB across the codes; no DNL limit, no DNL lines.
    const QList<QAbstractSeries*> inlSeries = page.inlView()->chart()->series();
    ASSERT_EQ(inlSeries.size(), 4);
    EXPECT_EQ(static_cast<QLineSeries*>(inlSeries[1])->points(),
              (QList<QPointF>{{0, 1000}, {65535, 1000}}));
    EXPECT_EQ(static_cast<QLineSeries*>(inlSeries[2])->at(1), QPointF(65535, -1000));
    EXPECT_EQ(static_cast<QLineSeries*>(page.dnlView()->chart()->series()[1])->count(), 0);
    EXPECT_EQ(page.progress()->value(), 1000);
    EXPECT_THAT(page.estimate()->text().toStdString(), testing::StartsWith("8704 readings, "));
    // The rows of the command line's summary, the board ADC's stated accuracy among them.
    ASSERT_EQ(page.summary()->item(5, 0)->text(), "Board ADC accuracy");
    EXPECT_EQ(page.summary()->item(5, 1)->text(),
              "offset 2.00, INL 1.00, DNL 1.00 counts; gain 0.100 %, reference 0.100 %");
    ASSERT_EQ(page.summary()->item(6, 0)->text(), "Offset error");
    const double offset = page.summary()->item(6, 1)->text().toDouble();
    const double uncertainty = page.summary()->item(6, 2)->text().toDouble();
    EXPECT_NEAR(offset, 3.0, 2 * uncertainty);
    EXPECT_EQ(page.summary()->item(6, 3)->text(), "mV");
    EXPECT_THAT(page.warnings()->text().toStdString(),
                testing::HasSubstr("limited by the board's ADC"));
    EXPECT_EQ(page.inlView()->chart()->title(), "INL against the least-squares line (LSB)");
    EXPECT_EQ(static_cast<QLineSeries*>(page.inlView()->chart()->series().at(0))->count(), 16)
        << "0x1000 to 0xF000: code 0 and 0xFFFF read at the ADC's ends";

    const QString path = QString::fromStdString(testing::TempDir()) + "linearity.json";
    ASSERT_EQ(plot.saveAs(ReadbackPlot::FileKind::Json, path), std::nullopt);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject saved = QJsonDocument::fromJson(file.readAll()).object();
    EXPECT_DOUBLE_EQ(saved["offset_mv"].toDouble(), page.result()->offsetMillivolts.value);
    EXPECT_EQ(saved["provenance"].toObject()["version"].toString(), "1.0.2");
    EXPECT_EQ(saved["provenance"].toObject()["board"].toString(), "virtual board");
    for (const auto kind : {ReadbackPlot::FileKind::Csv, ReadbackPlot::FileKind::Png})
        EXPECT_EQ(plot.saveAs(kind, path), std::nullopt);

    rig.lib.setPresent(false);  // a refused request stops the run with one message, no figures
    page.startButton()->click();
    while (page.running())
        QCoreApplication::processEvents();
    ASSERT_EQ(rig.dialogs.shown.size(), 3u);
    EXPECT_THAT(rig.dialogs.shown[2].text,
                testing::StartsWith("The characterisation stopped: the request 0xDF"));
    EXPECT_FALSE(page.json());
    EXPECT_EQ(plot.saveAs(ReadbackPlot::FileKind::Json, path),
              "There are no figures to save yet: run a characterisation first.");
    page.adcText(2)->setText("-1");  // the ADC's INL
    page.startButton()->click();
    ASSERT_EQ(rig.dialogs.shown.size(), 4u);
    EXPECT_EQ(rig.dialogs.shown[3].text, "The ADC's offset, INL and DNL are 0 to 100 counts.");
}

TEST(ReadbackPlot, LinearityPageReadsWithAMeterAndAMeterThatGoesAwayLeavesItsFigures) {
    // Output A lies 0.1 mV high; the virtual meter on it answers 30 readings, then goes away.
    const std::string port = std::to_string(freeLoopbackPort());
    const std::string board = "offset=A:0.1,meter=" + port + ",probe=A,meter-stop-after=30";
    MainWindowRig rig(kXT4830, board.c_str());
    ReadbackPlot& plot = openPlot(rig);
    LinearityPage& page = plot.linearity();
    page.meterText()->setText(QString::fromStdString("TCPIP::127.0.0.1::" + port + "::SOCKET"));
    page.meterTestButton()->click();
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].text, "The meter answers: XT4830,VIRTUAL-DMM,0,1.0.");
    page.samplesText()->setText("4");
    page.strideText()->setText("2000");
    page.startButton()->click();
    while (page.running())
        QCoreApplication::processEvents();
    // The estimate's timing took 4 readings; 26 are left for the grid of 0x2000: 6 codes of 4
    // and 2 readings of the 7th.
    ASSERT_EQ(rig.dialogs.shown.size(), 2u);
    EXPECT_THAT(rig.dialogs.shown[1].text,
                testing::StartsWith("Meter XT4830,VIRTUAL-DMM,0,1.0, reading (READ?)"));
    ASSERT_TRUE(page.result());
    EXPECT_EQ(page.result()->codes.size(), 7u);
    EXPECT_NEAR(page.result()->offsetMillivolts.value, 0.1, 0.002);
    EXPECT_EQ(page.summary()->item(5, 0)->text(), "Meter");
}

TEST(ReadbackPlot, SweepPageReadsWithTheMeterFieldAndLinearityPageTakesOnlyAFittingCalibration) {
    // Output B lies 0.1 mV high; the virtual meter on it answers two readings, then goes away.
    const std::string port = std::to_string(freeLoopbackPort());
    MainWindowRig rig(kXT4830,
                      ("offset=B:0.1,meter=" + port + ",probe=B,meter-stop-after=2").c_str());
    ReadbackPlot& plot = openPlot(rig);
    SweepPage& sweep = sweepOf(plot, "4000", "C000", "4000");
    sweep.inputChoice()->setCurrentIndex(1);
    sweep.meterText()->setText(QString::fromStdString("TCPIP::127.0.0.1::" + port + "::SOCKET"));
    sweep.meterTestButton()->click();
    sweep.startButton()->click();
    while (sweep.running())
        QCoreApplication::processEvents();
    ASSERT_EQ(rig.dialogs.shown.size(), 2u);
    EXPECT_EQ(rig.dialogs.shown[0].text, "The meter answers: XT4830,VIRTUAL-DMM,0,1.0.");
    EXPECT_THAT(rig.dialogs.shown[1].text,
                testing::StartsWith("The sweep stopped: meter XT4830,VIRTUAL-DMM,0,1.0, reading"));
    ASSERT_EQ(sweep.points().size(), 2u);
    EXPECT_DOUBLE_EQ(sweep.points()[0].measuredVolts, 0.7501);
    EXPECT_THAT(sweep.csv(provenanceOf(kXT4830, Package::Tssop, "virtual board")),
                testing::HasSubstr("# meter: XT4830,VIRTUAL-DMM,0,1.0\n"));
    // A calibration made through input C: refused for input A, its terms stated for C.
    const std::string path = testing::TempDir() + "calibration.json";
    std::ofstream(path) << calibrationJson(
        {"virtual board", 2, 3.0, 100, {99.5, 100.5, 101.5}, 0, 0, 0.5, 0.01, 0.25, 0.25},
        provenanceJson(provenanceOf(kXT4830, Package::Tssop, "virtual board")));
    LinearityPage& page = plot.linearity();
    page.calibrationText()->setText(QString::fromStdString(path));
    page.startButton()->click();
    ASSERT_EQ(rig.dialogs.shown.size(), 3u);
    EXPECT_EQ(rig.dialogs.shown[2].text, "The ADC calibration was made through input C, not A.");
    page.inputChoice()->setCurrentIndex(2);
    page.samplesText()->setText("4");
    page.strideText()->setText("2000");
    page.startButton()->click();
    while (page.running())
        QCoreApplication::processEvents();
    EXPECT_EQ(page.summary()->item(5, 1)->text(),
              "offset 0.50, INL 0.25, DNL 0.25 counts; gain 0.010 %, reference 0.000 %");
}
