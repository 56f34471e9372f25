// The read-back plot window as a person uses it on a desktop: real mouse events on the charts,
// every page run and saved, and not one warning from Qt on the way.
#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QComboBox>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <cmath>
#include <filesystem>
#include <vector>

#include "MainWindowRig.h"
#include "ui/plot/ChartView.h"
#include "ui/plot/LinearityPage.h"
#include "ui/plot/ReadbackPlot.h"
#include "ui/plot/StripChartPage.h"
#include "ui/plot/SweepPage.h"

namespace {

ReadbackPlot& shownPlot(const MainWindowRig& rig, QWidget* page) {
    rig.main().MnuPlot()->trigger();
    ReadbackPlot& plot = *rig.main().plotWindow();
    plot.tabs()->setCurrentWidget(page != nullptr ? page : plot.tabs()->widget(0));
    plot.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&plot));
    // The desktop's pointer off every chart, so only the test's own events read them.
    QCursor::setPos(plot.mapToGlobal(QPoint(1, 1)));
    return plot;
}

void settle() {
    for (int round = 0; round < 4; ++round)  // the axes relabel after each layout
        QCoreApplication::processEvents();
}

void runToEnd(QPushButton* start, const std::function<bool()>& running) {
    start->click();
    while (running())
        QCoreApplication::processEvents();
    settle();
}

// Where the chart draws value, in its viewport's pixels.
QPoint pixelOf(ChartView* view, QPointF value) {
    QChart* chart = view->chart();
    return view->mapFromScene(chart->mapToScene(chart->mapToPosition(value, chart->series()[0])));
}

std::pair<double, double> rangeOf(const ChartView* view, Qt::Orientation along) {
    const auto* axis = static_cast<QValueAxis*>(view->chart()->axes(along).at(0));
    return {axis->min(), axis->max()};
}

// 1, 2, 2.5 or 5 times a power of ten.
bool roundStep(double step) {
    const double mantissa = step / std::pow(10, std::floor(std::log10(step) + 1e-9));
    return std::abs(mantissa - 1) < 1e-6 || std::abs(mantissa - 2) < 1e-6 ||
           std::abs(mantissa - 2.5) < 1e-6 || std::abs(mantissa - 5) < 1e-6;
}

// The readout once the desktop's pointer, moved over value, has told the chart so.
QString readoutAt(ChartView* view, QPointF value) {
    QLabel* readout = view->readout();
    readout->clear();
    QTest::mouseMove(view->viewport(), pixelOf(view, value));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !readout->text().isEmpty(); }, 5000));
    EXPECT_TRUE(readout->isVisible());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(readout)->text(QAccessible::Name),
              readout->text())
        << "a screen reader reads what is shown";
    return readout->text();
}

}  // namespace

TEST(PlotWindow, ChartsZoomPanResetAndReadThePointUnderThePointer) {
    // Output B stuck at 0x1000 reads 256 counts wherever it is set: at code 0x8000 the ideal is
    // 2048 counts, an error of -1792.
    MainWindowRig rig(kXT4830, "stuck=B:0x1000");
    ReadbackPlot& plot = shownPlot(rig, nullptr);
    SweepPage& sweep = plot.sweep();
    plot.tabs()->setCurrentWidget(&sweep);
    sweep.inputChoice()->setCurrentIndex(1);
    sweep.fromText()->setText("4000");
    sweep.toText()->setText("C000");
    sweep.stepText()->setText("1000");
    runToEnd(sweep.startButton(), [&] { return sweep.running(); });
    ChartView* view = sweep.errorView();
    EXPECT_EQ(readoutAt(view, {0x8000, -1792}), "8000: Error -1792 counts");
    const auto homeCodes = rangeOf(view, Qt::Horizontal);
    const auto homeCounts = rangeOf(view, Qt::Vertical);
    EXPECT_EQ(homeCodes, std::pair(double(0x4000), double(0xC000)));

    // A rectangle dragged from (6000, -1000) to (A000, -2000): the axes show it, still on
    // round steps, the code axis labelled at both its ends.
    QWidget* viewport = view->viewport();
    const QPoint from = pixelOf(view, {0x6000, -1000});
    const QPoint to = pixelOf(view, {0xA000, -2000});
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, (from + to) / 2);
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    settle();
    const auto codes = rangeOf(view, Qt::Horizontal);
    const auto counts = rangeOf(view, Qt::Vertical);
    EXPECT_NEAR(codes.first, 0x6000, 0x100);
    EXPECT_NEAR(codes.second, 0xA000, 0x100);
    EXPECT_NEAR(counts.first, -2000, 20);
    EXPECT_NEAR(counts.second, -1000, 20);
    const auto* countAxis = static_cast<QValueAxis*>(view->chart()->axes(Qt::Vertical)[0]);
    EXPECT_TRUE(roundStep(countAxis->tickInterval())) << countAxis->tickInterval();
    const QStringList labels =
        static_cast<QCategoryAxis*>(view->chart()->axes(Qt::Horizontal)[0])->categoriesLabels();
    ASSERT_GE(labels.size(), 3);
    EXPECT_EQ(labels.front().toInt(nullptr, 16), std::lround(codes.first));
    EXPECT_EQ(labels.back().toInt(nullptr, 16), std::lround(codes.second));
    EXPECT_EQ(readoutAt(view, {0x8000, -1792}), "8000: Error -1792 counts") << "zoomed in";

    // One notch of the wheel at the centre keeps 80 % of each range about it.
    const QPoint centre = pixelOf(view, {0x8000, -1500});
    QWheelEvent wheel(centre, viewport->mapToGlobal(centre), {}, {0, 120}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    settle();
    const auto wheeled = rangeOf(view, Qt::Horizontal);
    EXPECT_NEAR(wheeled.second - wheeled.first, 0.8 * (codes.second - codes.first), 3);
    EXPECT_NEAR((wheeled.first + wheeled.second) / 2, (codes.first + codes.second) / 2, 0x100);
    EXPECT_NEAR(rangeOf(view, Qt::Vertical).second - rangeOf(view, Qt::Vertical).first,
                0.8 * (counts.second - counts.first), 1);

    // Dragged 60 pixels right with the right button: the codes move left, as wide as before.
    QTest::mousePress(viewport, Qt::RightButton, {}, centre);
    QTest::mouseMove(viewport, centre + QPoint(60, 0));
    QTest::mouseRelease(viewport, Qt::RightButton, {}, centre + QPoint(60, 0));
    const auto panned = rangeOf(view, Qt::Horizontal);
    EXPECT_LT(panned.first, wheeled.first - 0x100);
    EXPECT_NEAR(panned.second - panned.first, wheeled.second - wheeled.first, 2);

    QTest::mouseDClick(viewport, Qt::LeftButton, {}, centre);
    settle();
    EXPECT_EQ(rangeOf(view, Qt::Horizontal), homeCodes) << "the whole chart again";
    EXPECT_EQ(rangeOf(view, Qt::Vertical), homeCounts);
    QTest::mouseMove(viewport, QPoint(2, 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view->readout()->isVisible(); }, 5000))
        << "off the plot, nothing read";
}

TEST(PlotWindow, ASessionRunsAndSavesEveryPageWithoutAQtWarning) {
    static std::vector<std::string> warnings;
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg)
                warnings.push_back(message.toStdString());
            previous(type, context, message);
        });
    const std::string dir = testing::TempDir() + "xt4830-session/";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    {
        MainWindowRig rig(kXT4830, "sigma=0.7,seed=3");
        ReadbackPlot& plot = shownPlot(rig, nullptr);
        QString asked;
        plot.setPathQuestion([&](const QString& suggested, const QString&) {
            asked = QString::fromStdString(dir) + suggested;
            return asked;
        });
        // The strip chart's legend names the inputs measured from the first show.
        AdcMonitor& monitor = rig.main().monitor();
        monitor.Option_MUX(1)->click();
        monitor.sampleCommand()->click();
        EXPECT_TRUE(drawnTexts(plot.stripChart().chartView()).contains("B"));

        SweepPage& sweep = plot.sweep();
        plot.tabs()->setCurrentWidget(&sweep);
        sweep.stepText()->setText("1000");
        runToEnd(sweep.startButton(), [&] { return sweep.running(); });

        // Every one-code step of 0x4000 to 0x7FFF, each drawn where its DNL lies.
        LinearityPage& page = plot.linearity();
        plot.tabs()->setCurrentWidget(&page);
        page.planChoice()->setCurrentIndex(2);  // window
        page.windowFromText()->setText("4000");
        page.windowToText()->setText("7FFF");
        page.samplesText()->setText("2");
        runToEnd(page.startButton(), [&] { return page.running(); });
        ASSERT_TRUE(page.result());
        const auto* dnl = static_cast<QScatterSeries*>(page.dnlView()->chart()->series()[0]);
        ASSERT_EQ(dnl->count(), 0x3FFF);
        const QImage shown = page.dnlView()->grab().toImage();
        const qreal scale = shown.devicePixelRatio();
        int drawn = 0;
        for (int i = 0; i < dnl->count(); i += 257) {
            const CodeResult& c = page.result()->codes[static_cast<std::size_t>(i) + 1];
            ASSERT_TRUE(c.dnl);
            EXPECT_EQ(dnl->at(i), QPointF(c.code, c.dnl->value));
            const QColor colour = shown.pixelColor(pixelOf(page.dnlView(), dnl->at(i)) * scale);
            drawn += colour.blue() > colour.red() + 60 ? 1 : 0;
        }
        EXPECT_EQ(drawn, 64) << "every point sampled is in sight";
        // The INL read with its uncertainty near code 0x6000, as the figures give them.
        const QStringList read =
            readoutAt(page.inlView(), {0x6000, page.result()->codes[0x2000].inl->value})
                .split(QLatin1Char(' '));
        ASSERT_EQ(read.size(), 6) << read.join(' ').toStdString();
        const int code = read[0].chopped(1).toInt(nullptr, 16);
        ASSERT_NEAR(code, 0x6000, 0x100) << "the nearest point";
        const CodeResult& c = page.result()->codes[static_cast<std::size_t>(code - 0x4000)];
        EXPECT_EQ(read[1], "INL");
        EXPECT_NEAR(read[2].toDouble(), c.inl->value, 1e-4);
        EXPECT_EQ(read[3], "\u00B1");
        EXPECT_NEAR(read[4].toDouble(), 2 * c.inl->uncertainty, 0.05 * read[4].toDouble());
        EXPECT_EQ(read[5], "LSB");
        EXPECT_EQ(page.inlBand()->name(), "U = 2u") << "the legend says which uncertainty";

        for (QWidget* tab : {static_cast<QWidget*>(&plot.stripChart()),
                             static_cast<QWidget*>(&sweep), static_cast<QWidget*>(&page)}) {
            plot.tabs()->setCurrentWidget(tab);
            for (const auto kind : {ReadbackPlot::FileKind::Csv, ReadbackPlot::FileKind::Png,
                                    ReadbackPlot::FileKind::Svg, ReadbackPlot::FileKind::Json}) {
                if (!plot.saveButton(kind)->isEnabled()) continue;
                asked.clear();
                plot.saveButton(kind)->click();
                EXPECT_GT(std::filesystem::file_size(asked.toStdString()), 100u)
                    << asked.toStdString();
            }
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 10);
        const std::string csv = dir + "*.csv";
        EXPECT_EQ(std::system(("python3 " XT4830_CSV_NUMBERS " " + csv).c_str()), 0)
            << "every column of every table a number";
        EXPECT_TRUE(rig.dialogs.shown.empty());
        plot.close();
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
}
