// The read-back plot window as a person uses it on a desktop: real pointer events on the
// charts, every page run and saved, and not one warning from Qt on the way.
#include <QAreaSeries>
#include <QCategoryAxis>
#include <QComboBox>
#include <QScatterSeries>
#include <QValueAxis>

#include <filesystem>

#include "MainWindowRig.h"
#include "ui/plot/ChartView.h"
#include "ui/plot/LinearityPage.h"
#include "ui/plot/ReadbackPlot.h"
#include "ui/plot/StripChartPage.h"
#include "ui/plot/SweepPage.h"

namespace {

std::vector<std::string> warnings;
QtMessageHandler previousHandler = nullptr;

void runToEnd(QPushButton* start, const std::function<bool()>& running) {
    start->click();
    while (running())
        QCoreApplication::processEvents();
    for (int round = 0; round < 4; ++round)  // the axes relabel after each layout
        QCoreApplication::processEvents();
}

// Where the chart draws value, in its viewport's pixels.
QPoint pixelOf(ChartView* view, QPointF value) {
    QChart* chart = view->chart();
    return view->mapFromScene(chart->mapToScene(chart->mapToPosition(value, chart->series()[0])));
}

// The codes and the values shown.
std::array<double, 4> rangesOf(const ChartView* view) {
    const auto* x = static_cast<QValueAxis*>(view->chart()->axes(Qt::Horizontal).at(0));
    const auto* y = static_cast<QValueAxis*>(view->chart()->axes(Qt::Vertical).at(0));
    return {x->min(), x->max(), y->min(), y->max()};
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

// Zooms, pans and resets the error chart of a sweep of output B, stuck at 0x1000 (256
// counts): at code 0x8000 the ideal is 2048 counts, an error of -1792.
void zoomPanAndReset(ChartView* view) {
    EXPECT_EQ(readoutAt(view, {0x8000, -1792}), "8000: Error -1792 counts");
    const auto home = rangesOf(view);
    // A rectangle dragged from (6000, -1000) to (A000, -2000): the axes show it, on round
    // steps still, the codes labelled at both ends.
    QWidget* viewport = view->viewport();
    const QPoint from = pixelOf(view, {0x6000, -1000});
    const QPoint to = pixelOf(view, {0xA000, -2000});
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, (from + to) / 2);
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    const auto zoomed = rangesOf(view);
    const std::array<double, 4> dragged{0x6000, 0xA000, -2000, -1000}, pixel{0x100, 0x100, 20, 20};
    for (std::size_t i = 0; i < zoomed.size(); ++i)
        EXPECT_NEAR(zoomed[i], dragged[i], pixel[i]) << i;
    const QStringList ticks =
        static_cast<QCategoryAxis*>(view->chart()->axes(Qt::Vertical)[0])->categoriesLabels();
    ASSERT_GE(ticks.size(), 3);
    EXPECT_THAT((std::array{100.0, 200.0, 250.0, 500.0}),
                testing::Contains(ticks[2].toDouble() - ticks[1].toDouble()));
    const QStringList labels =
        static_cast<QCategoryAxis*>(view->chart()->axes(Qt::Horizontal)[0])->categoriesLabels();
    EXPECT_GE(labels.size(), 3);
    EXPECT_EQ(labels.front() + labels.back(),
              QString::asprintf("%04lX%04lX", std::lround(zoomed[0]), std::lround(zoomed[1])));
    EXPECT_EQ(readoutAt(view, {0x8000, -1792}), "8000: Error -1792 counts") << "zoomed in";
    // One notch of the wheel keeps 80 % of each range about the pointer.
    const QPoint centre = pixelOf(view, {0x8000, -1500});
    QWheelEvent wheel(centre, viewport->mapToGlobal(centre), {}, {0, 120}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    const auto wheeled = rangesOf(view);
    EXPECT_NEAR(wheeled[1] - wheeled[0], 0.8 * (zoomed[1] - zoomed[0]), 3);
    EXPECT_NEAR(wheeled[0] + wheeled[1], zoomed[0] + zoomed[1], 0x200);
    EXPECT_NEAR(wheeled[3] - wheeled[2], 0.8 * (zoomed[3] - zoomed[2]), 1);
    // Dragged 60 pixels right with the right button: the codes move left, as wide as before.
    QTest::mousePress(viewport, Qt::RightButton, {}, centre);
    QTest::mouseMove(viewport, centre + QPoint(60, 0));
    QTest::mouseRelease(viewport, Qt::RightButton, {}, centre + QPoint(60, 0));
    const auto panned = rangesOf(view);
    EXPECT_LT(panned[0], wheeled[0] - 0x100);
    EXPECT_NEAR(panned[1] - panned[0], wheeled[1] - wheeled[0], 2);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, centre);
    EXPECT_EQ(rangesOf(view), panned) << "a click is no zoom";
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, centre);
    EXPECT_EQ(rangesOf(view), home) << "the whole chart again";
    QTest::mouseMove(viewport, QPoint(2, 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view->readout()->isVisible(); }, 5000))
        << "off the plot, nothing read";
}

// The DNL of every one-code step of 0x4000 to 0x7FFF (every 257th looked at) where the run
// put it and in sight, and the INL read near 0x6000 with its uncertainty, as the figures say.
void linearityDrawnAndRead(LinearityPage& page) {
    ASSERT_TRUE(page.result());
    const auto* dnl = static_cast<QScatterSeries*>(page.dnlView()->chart()->series()[0]);
    ASSERT_EQ(dnl->count(), 0x3FFF);
    const QImage shown = page.dnlView()->grab().toImage();
    int drawn = 0;
    for (int i = 0; i < dnl->count(); i += 257) {
        const CodeResult& c = page.result()->codes[static_cast<std::size_t>(i) + 1];
        EXPECT_EQ(dnl->at(i), QPointF(c.code, c.dnl.value().value));
        const QColor colour =
            shown.pixelColor(pixelOf(page.dnlView(), dnl->at(i)) * shown.devicePixelRatio());
        drawn += colour.blue() > colour.red() + 60 ? 1 : 0;
    }
    EXPECT_EQ(drawn, 64);
    const QStringList read =
        readoutAt(page.inlView(), {0x6000, page.result()->codes[0x2000].inl->value}).split(' ');
    ASSERT_EQ(read.size(), 6) << read.join(' ').toStdString();
    const auto code = static_cast<std::size_t>(read[0].chopped(1).toInt(nullptr, 16));
    EXPECT_NEAR(code, 0x6000, 0x800) << "the point nearest the pointer";
    const Figure inl = page.result()->codes.at(code - 0x4000).inl.value();
    EXPECT_EQ(read[1] + read[3] + read[5], "INL\u00B1LSB");
    EXPECT_NEAR(read[2].toDouble(), inl.value, 1e-4);
    EXPECT_NEAR(read[4].toDouble(), 2 * inl.uncertainty, 0.05 * read[4].toDouble());
    EXPECT_EQ(page.inlBand()->name(), "U = 2u") << "the legend says which uncertainty";
}

}  // namespace

TEST(PlotWindow, ASessionReadsZoomsAndSavesEveryPageWithoutAQtWarning) {
    previousHandler = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg)
                warnings.push_back(message.toStdString());
            previousHandler(type, context, message);
        });
    const std::string dir = testing::TempDir() + "xt4830-session/";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    {
        MainWindowRig rig(kXT4830, "stuck=B:0x1000");
        rig.main().MnuPlot()->trigger();
        ReadbackPlot& plot = *rig.main().plotWindow();
        plot.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&plot));
        // The desktop's pointer off every chart, so only the test's own events read them.
        QCursor::setPos(plot.mapToGlobal(QPoint(1, 1)));
        // The strip chart's legend names the inputs measured from the first show.
        rig.main().monitor().Option_MUX(1)->click();
        rig.main().monitor().sampleCommand()->click();
        EXPECT_TRUE(drawnTexts(plot.stripChart().chartView()).contains("B"));

        SweepPage& sweep = plot.sweep();
        plot.tabs()->setCurrentWidget(&sweep);
        sweep.inputChoice()->setCurrentIndex(1);
        sweep.fromText()->setText("4000");
        sweep.toText()->setText("C000");
        sweep.stepText()->setText("1000");
        runToEnd(sweep.startButton(), [&] { return sweep.running(); });
        zoomPanAndReset(sweep.errorView());

        LinearityPage& page = plot.linearity();
        plot.tabs()->setCurrentWidget(&page);
        page.planChoice()->setCurrentIndex(2);  // window
        page.windowFromText()->setText("4000");
        page.windowToText()->setText("7FFF");
        page.samplesText()->setText("2");
        runToEnd(page.startButton(), [&] { return page.running(); });
        linearityDrawnAndRead(page);

        QString asked;
        plot.setPathQuestion([&](const QString& suggested, const QString&) {
            return asked = QString::fromStdString(dir) + suggested;
        });
        for (QWidget* tab : {static_cast<QWidget*>(&plot.stripChart()),
                             static_cast<QWidget*>(&sweep), static_cast<QWidget*>(&page)}) {
            plot.tabs()->setCurrentWidget(tab);
            for (const auto kind : {ReadbackPlot::FileKind::Csv, ReadbackPlot::FileKind::Png,
                                    ReadbackPlot::FileKind::Svg, ReadbackPlot::FileKind::Json}) {
                if (!plot.saveButton(kind)->isEnabled()) continue;
                plot.saveButton(kind)->click();
                EXPECT_GT(std::filesystem::file_size(asked.toStdString()), 100u);
            }
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 10);
        EXPECT_EQ(std::system(("python3 " XT4830_CSV_NUMBERS " " + dir + "*.csv").c_str()), 0)
            << "every column of every table a number";
        EXPECT_TRUE(rig.dialogs.shown.empty());
    }
    qInstallMessageHandler(previousHandler);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
}
