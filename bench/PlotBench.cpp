// The read-back plots' costs, offscreen over the virtual board: adding one sample to a strip
// chart that holds ten minutes of once-a-second samples of all eight inputs (drawn each
// time), and how long a 4096-point sweep takes to be drawn whole after its last point.
#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "board/Board.h"
#include "board/Dialogs.h"
#include "ui/monitor/AdcMonitor.h"
#include "ui/plot/ChartView.h"
#include "ui/plot/StripChartPage.h"
#include "ui/plot/SweepPage.h"

namespace {

class SilentDialogs : public Dialogs {
protected:
    Answer ask(const MessageBoxSpec&) override { return Answer::Ok; }
    void quit(int status) override { std::exit(status); }
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    setenv("XT4830_VIRTUAL_BOARD", "", 0);  // the sweep on the virtual board
    QApplication app(argc, argv);
    StripChartPage strip(nullptr);
    strip.resize(800, 480);
    const auto start = SampleHistory::Clock::now();
    for (int second = 0; second < 600; ++second) {
        for (int input = 0; input < 8; ++input)
            strip.addSample(input, 2048, 1.5, 3.0, start + std::chrono::seconds(second));
    }
    std::vector<double> adding, drawn;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer timer;
        timer.start();
        strip.addSample(i % 8, 2048, 1.5, 3.0, start + std::chrono::seconds(600 + i / 8));
        adding.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        strip.chartView()->grab();  // drawn, as the window would
        drawn.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf(
        "strip chart of 10 min x 8 inputs: adding a sample %.3f ms, drawing it all %.3f ms"
        " (medians)\n",
        median(adding), median(drawn));

    SilentDialogs dialogs;
    ErrorBoxForEach boxes(dialogs);
    Board board(kXT4830, XT4830_PROGRAM_DIR, dialogs, boxes);
    board.requests().setDeviceAddress(62);
    board.link().OpenBoardWithRetry();
    QWidget frame;
    frame.resize(300, 120);
    AdcMonitor monitor(&frame, board.requests(), dialogs);
    SweepPage sweep(board.requests(), monitor, dialogs, nullptr);
    sweep.resize(800, 480);
    sweep.fromText()->setText("0");
    sweep.toText()->setText("FFF0");
    sweep.stepText()->setText("10");  // 4096 points
    QElapsedTimer whole;
    whole.start();
    sweep.startButton()->click();
    while (sweep.running())
        QCoreApplication::processEvents();
    const double measured = whole.nsecsElapsed() / 1e6;
    QElapsedTimer drawing;
    drawing.start();
    sweep.chartView()->grab();
    std::printf("sweep of %zu points: measured in %.1f ms, drawn whole %.1f ms after the last\n",
                sweep.points().size(), measured, drawing.nsecsElapsed() / 1e6);
}
