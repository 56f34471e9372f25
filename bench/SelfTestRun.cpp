// One self-test run of the real program on the virtual board (offscreen): the wall time of the
// whole run, which includes the two-second hold of the verdict, and the program's CPU time
// meanwhile.
#include <sys/resource.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "ui/main/Form1.h"
#include "ui/main/MainForm.h"
#include "ui/main/Program.h"
#include "ui/main/QtDialogs.h"
#include "ui/selftest/TestForm.h"

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    setenv("XT4830_VIRTUAL_BOARD", "", 0);  // the virtual board, with any settings given
    QApplication app(argc, argv);
    QtDialogs dialogs;
    Program program(kXT4830, XT4830_PROGRAM_DIR, dialogs);
    program.start();
    QTest::mouseClick(program.packageWindow()->Command1(), Qt::LeftButton);
    program.mainWindow()->Image1_DblClick();
    TestForm* form = program.mainWindow()->testForm();
    const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    for (int run = 0; run < runs; ++run) {
        const double cpuBefore = cpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        form->Command1_Click();
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = cpuSeconds() - cpuBefore;
        std::printf(
            "self-test run: %.1f ms in all, %.1f ms beyond the 2000 ms hold; CPU %.2f%% "
            "of one core\n",
            wall * 1000, wall * 1000 - 2000, 100 * cpu / wall);
    }
    return 0;
}
