// The self-test window on the real main window, over the virtual board.
#include <functional>
#include <thread>

#include "MainWindowRig.h"
#include "ui/monitor/QtPeriodicTimer.h"
#include "ui/selftest/HoldClock.h"
#include "ui/selftest/TestForm.h"

namespace {

// A clock that moves only when slept on, and tells the test when the hold begins.
struct SteppingClock : HoldClock {
    std::function<void()> onFirstSleep;
    std::chrono::steady_clock::time_point at{};
    int sleeps = 0;
    std::chrono::steady_clock::time_point now() const override { return at; }
    void sleepFor(std::chrono::milliseconds step) override {
        if (sleeps++ == 0 && onFirstSleep) onFirstSleep();
        at += step;
    }
};

void doubleClickLogo(MainForm& main) {
    QTest::mouseDClick(main.findChild<QLabel*>("Image1"), Qt::LeftButton);
}

struct Verdict {
    QString text;
    QColor colour;
};

// Runs the test and returns what the label showed during the hold.
Verdict runTest(TestForm& form) {
    Verdict seen;
    auto clock = std::make_unique<SteppingClock>();
    clock->onFirstSleep = [&] {
        seen = {form.Label1()->text(), form.Label1()->palette().color(QPalette::WindowText)};
    };
    form.setHoldClock(std::move(clock));
    QTest::mouseClick(form.Command1(), Qt::LeftButton);
    return seen;
}

}  // namespace

TEST(SelfTestWindow, OneWindowRunsOpeningTheBoardAfreshThenConfiguresAndMeasuresInOrder) {
    MainWindowRig rig(kXT4830);
    rig.entry().hexText()->setText("1234");
    doubleClickLogo(rig.main());
    TestForm* form = rig.main().testForm();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "");
    EXPECT_EQ(form->Label1()->text(), "");
    EXPECT_EQ(form->Command1()->text(), "Test");
    doubleClickLogo(rig.main());
    EXPECT_EQ(rig.main().testForm(), form);
    const size_t before = rig.requestCount();
    const Verdict verdict = runTest(*form);
    EXPECT_EQ(verdict.text, "PASS");
    EXPECT_EQ(verdict.colour, QColor(0, 255, 0));
    EXPECT_EQ(form->Label1()->text(), "") << "emptied after the hold";
    const auto lines = fileLines(rig.tracePath());
    ASSERT_EQ(lines.size(), before + 20);  // the firmware load and 19 requests
    EXPECT_THAT(lines[before], testing::HasSubstr("LoadFirmWare("));
    EXPECT_THAT(lines[before + 1], testing::HasSubstr("code=0xDA, value=0x0012"));
    EXPECT_EQ(rig.entry().hexText()->text(), "1234") << "the main window is not touched";
    EXPECT_DOUBLE_EQ(rig.lib.get<VirtualOutputVoltsFn>("xt4830_virtual_output_volts")(3), 1.5);
    rig.lib.reset("stuck=C:0x1000");  // each run opens the board afresh
    const Verdict fail = runTest(*form);
    EXPECT_EQ(fail.text, "FAIL");
    EXPECT_EQ(fail.colour, QColor(255, 0, 0));
    // A board lost after 5 of the run's 19 requests: one "error" box for the run, and FAIL.
    rig.lib.reset("unplug-after=5");
    EXPECT_EQ(runTest(*form).text, "FAIL");
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0], (MessageBoxSpec{"error", "", MessageIcon::None}));
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(rig.main().testForm(), nullptr) << "discarded on close";
    doubleClickLogo(rig.main());
    EXPECT_NE(rig.main().testForm(), nullptr);
}

TEST(SelfTestWindow, ClickOnTestDuringTheHoldIsDiscarded) {
    MainWindowRig rig(kXT4830);
    doubleClickLogo(rig.main());
    TestForm& form = *rig.main().testForm();
    auto clock = std::make_unique<SteppingClock>();
    clock->onFirstSleep = [&form] {
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            const QPointF at(5, 5);
            QCoreApplication::postEvent(form.Command1(),
                                        new QMouseEvent(type, at, form.Command1()->mapToGlobal(at),
                                                        Qt::LeftButton, Qt::LeftButton, {}));
        }
    };
    form.setHoldClock(std::move(clock));
    const size_t before = rig.requestCount();
    QTest::mouseClick(form.Command1(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.requestCount(), before + 20) << "one run only";
    QTest::mouseClick(form.Command1(), Qt::LeftButton);
    EXPECT_EQ(rig.requestCount(), before + 40) << "after the hold the window takes input again";
}

TEST(SelfTestWindow, AnAutoSampleDueDuringTheHoldOpensItsBoxOnlyWhereItCanBeAnswered) {
    MainWindowRig rig(kXT4830);
    AdcMonitor& monitor = rig.main().monitor();
    monitor.setSampleTimer(std::make_unique<QtPeriodicTimer>(1));  // overdue after any hold
    doubleClickLogo(rig.main());
    TestForm& form = *rig.main().testForm();
    auto clock = std::make_unique<SteppingClock>();
    clock->onFirstSleep = [&rig] {
        rig.lib.setPresent(false);  // the board goes during the hold: the next sample fails
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    };
    form.setHoldClock(std::move(clock));
    bool answerable = false;
    rig.dialogs.onShow = [&](const MessageBoxSpec&) {
        QLineEdit probe;
        QTest::keyClicks(&probe, "x");
        answerable = probe.text() == "x";
        monitor.autoSampleCheck()->setChecked(false);
    };
    monitor.autoSampleCheck()->setChecked(true);
    QTest::mouseClick(form.Command1(), Qt::LeftButton);
    while (rig.dialogs.shown.empty())
        QTest::qWait(5);
    EXPECT_TRUE(answerable) << "the box takes keys";
}

TEST(SelfTestWindow, CancelInTheRetryBoxEndsTheWholeProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            MainWindowRig rig(kXT4830, "", true);  // its dialogs answer Cancel
            doubleClickLogo(rig.main());
            rig.lib.setPresent(false);
            QTest::mouseClick(rig.main().testForm()->Command1(), Qt::LeftButton);
            std::fprintf(stderr, "still running\n");
        },
        testing::ExitedWithCode(0), testing::HasSubstr("ended with status 0 after 1 boxes"));
    std::filesystem::remove(testTracePath());  // the child's
}

TEST(SelfTestWindow, HoldLastsJustOverTwoSecondsInTenMillisecondSleeps) {
    SteppingClock clock;
    holdFor(clock, std::chrono::milliseconds(2000));
    EXPECT_EQ(clock.at.time_since_epoch(), std::chrono::milliseconds(2010));
}
