// The program's real start-up path, as main runs it, over the virtual board library that the
// real binding loads from the build's program directory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include "ui/main/DacFrame.h"

#include <filesystem>

#include "FakeDialogs.h"
#include "VirtualLibrary.h"
#include "ui/main/Form1.h"
#include "ui/main/MainForm.h"
#include "ui/main/Program.h"
#include "ui/main/QtDialogs.h"

namespace {

struct StartUpCase {
    const Deliverable* deliverable;
    const char* title;
};

std::string name(const testing::TestParamInfo<StartUpCase>& info) {
    return info.param.deliverable->variant == Variant::A ? "Version2" : "XT4830";
}

int visibleWindows() {
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        count += w->isVisible() ? 1 : 0;
    return count;
}

// The library calls that opening the board makes, as the trace shows them.
std::vector<std::string> openingLines(Variant variant) {
    const std::string image = kProgramDir + "/XT4830.hex";
    if (variant == Variant::B) return {"LoadFirmWare(path=\"" + image + "\") = 0"};
    return {"Search_For_Boards", "Connect", "Download_Firmware(handle="};
}

// The requests of the main window's preparation, in order: output A selected and sampled,
// then the ADC set up.
const std::vector<std::string> kPreparation = {
    "code=0xDF, value=0x9801, index=0x0000, direction=0, length=0) = 0",
    "code=0xDA, value=0x0000, index=0x0000, direction=1, length=3) = 0 data=00 00 00",
    "code=0xDA, value=0x0012, index=0x0048, direction=0, length=0) = 0",
};

// Each line holds its expected part (a variant A line also names the changing handle).
void expectTrace(const std::vector<std::string>& actual, const std::vector<std::string>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        EXPECT_NE(actual[i].find(expected[i]), std::string::npos) << actual[i];
    }
}

std::vector<std::string> startUpLines(Variant variant) {
    std::vector<std::string> lines = openingLines(variant);
    lines.insert(lines.end(), kPreparation.begin(), kPreparation.end());
    return lines;
}

class StartUp : public testing::TestWithParam<StartUpCase> {
protected:
    Variant variant() const { return GetParam().deliverable->variant; }
    // A trace file of this test's own, so tests running side by side keep apart.
    std::string traceName() const {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("xt4830-") + info->name() + ".trace";
        for (char& c : name)
            c = c == '/' ? '-' : c;
        return name;
    }
    std::string tracePath() const { return std::filesystem::temp_directory_path() / traceName(); }
    // The program as main starts it, with this test's dialogs; OK pressed unless asked not to.
    std::unique_ptr<Program> launch(Dialogs& dialogs, bool pressOk = true) const {
        auto program = std::make_unique<Program>(*GetParam().deliverable, kProgramDir, dialogs);
        program->start();
        if (pressOk) QTest::mouseClick(program->packageWindow()->Command1(), Qt::LeftButton);
        return program;
    }
    VirtualLibrary lib{variant()};
};

}  // namespace

TEST_P(StartUp, OkAtOnceOpensTheBoardWithTheImageBesideTheProgramAndShowsTheMainWindow) {
    lib.reset("");
    const std::string trace = lib.startTrace(traceName().c_str());
    FakeDialogs dialogs;
    const auto program = launch(dialogs, false);
    Form1* form1 = program->packageWindow();
    ASSERT_TRUE(form1->isVisible());
    EXPECT_EQ(form1->windowTitle(), "XT4830R");
    EXPECT_TRUE(form1->Option1()->isChecked());
    EXPECT_EQ(form1->focusWidget(), form1->Option1());
    EXPECT_FALSE(form1->Command1()->isDefault());
    EXPECT_EQ(form1->Option1()->nextInFocusChain(), form1->Option2());
    EXPECT_EQ(form1->Option2()->nextInFocusChain(), form1->Command1());
    EXPECT_TRUE(fileLines(trace).empty()) << "the library is bound at its first call";

    QTest::mouseClick(form1->Command1(), Qt::LeftButton);

    MainForm* main = program->mainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(form1->isVisible());
    EXPECT_EQ(main->windowTitle(), GetParam().title);
    EXPECT_EQ(program->board().requests().DeviceAddress(), 62);
    EXPECT_EQ(main->MnuExit()->text(), "E&xit");
    for (const char* name : {"titleLabel", "Image1", "Frame_ADC", "Frame1", "ADCDisplay",
                             "sampleCommand", "autoSampleCheck", "adcVddText", "hexText",
                             "voltageText", "VrefText", "writeToPartCommand", "cmdBitsFrame"}) {
        EXPECT_NE(main->findChild<QWidget*>(name), nullptr) << name;
    }
    EXPECT_EQ(main->centralWidget()->palette().color(QPalette::Window), QColor(0, 0, 192));
    EXPECT_TRUE(dialogs.shown.empty());
    expectTrace(fileLines(trace), startUpLines(variant()));
    if (variant() == Variant::A) {
        EXPECT_NE(fileLines(trace)[2].find("path=\"" + kProgramDir + "/XT4830.hex\") = 0"),
                  std::string::npos);
    }
    lib.stopTrace();
}

TEST_P(StartUp, LfcspPackageSendsEveryWriteToBusAddress30) {
    lib.reset("lfcsp");
    const std::string trace = lib.startTrace(traceName().c_str());
    FakeDialogs dialogs;
    const auto program = launch(dialogs, false);
    QTest::mouseClick(program->packageWindow()->Option2(), Qt::LeftButton);
    QTest::mouseClick(program->packageWindow()->Command1(), Qt::LeftButton);
    EXPECT_EQ(program->board().requests().DeviceAddress(), 30);
    program->board().requests().WriteDacWord(0x1F0000);
    EXPECT_NE(fileLines(trace).back().find("code=0xDE, value=0x1E1F, index=0x0000, direction=0, "
                                           "length=0) = 0"),
              std::string::npos);
    EXPECT_TRUE(dialogs.shown.empty());
    lib.stopTrace();
}

TEST_P(StartUp, BoardFailingEveryRequestGivesThreeErrorBoxesAndTheWindowStillOpens) {
    lib.reset("unplug-after=0");  // the firmware loads, then every request fails
    FakeDialogs dialogs;
    const auto program = launch(dialogs);
    ASSERT_EQ(dialogs.shown.size(), 3u) << "output selection, sample and ADC set-up";
    for (const MessageBoxSpec& box : dialogs.shown)
        EXPECT_EQ(box.text, "error");
    ASSERT_NE(program->mainWindow(), nullptr);
    EXPECT_TRUE(program->mainWindow()->isVisible());
}

TEST_P(StartUp, BoardPluggedInWhileTheRetryBoxIsOpenCarriesOn) {
    lib.reset("absent");
    FakeDialogs dialogs({Answer::Retry});
    dialogs.onShow = [&](const MessageBoxSpec&) {
        EXPECT_EQ(visibleWindows(), 0) << "the retry box is the only window on screen";
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor) << "opening";
        lib.setPresent(true);
    };
    const auto program = launch(dialogs);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, "Failed to initalise Evaluation board");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the busy cursor is gone";
    ASSERT_NE(program->mainWindow(), nullptr);
    EXPECT_TRUE(program->mainWindow()->isVisible());
}

TEST_P(StartUp, ClosingAWindowOrExitEndsTheProgramAtOnceSendingNothing) {
    // Closing the package window opens no board; Exit and closing the main window send
    // nothing after the start-up.
    enum Way { ClosePackageWindow, Exit, CloseMainWindow };
    for (const Way way : {ClosePackageWindow, Exit, CloseMainWindow}) {
        const std::string trace = tracePath();
        EXPECT_EXIT(
            {
                lib.reset("");
                lib.startTrace(traceName().c_str());
                QtDialogs dialogs;
                const auto program = launch(dialogs, way != ClosePackageWindow);
                if (way == ClosePackageWindow) program->packageWindow()->close();
                if (way == Exit) program->mainWindow()->MnuExit()->trigger();
                if (way == CloseMainWindow) program->mainWindow()->close();
                std::fprintf(stderr, "still running\n");
            },
            testing::ExitedWithCode(0), testing::Not(testing::HasSubstr("still running")));
        EXPECT_EQ(fileLines(trace).size(),
                  way == ClosePackageWindow ? 0 : startUpLines(variant()).size());
    }
}

INSTANTIATE_TEST_SUITE_P(Deliverables, StartUp,
                         testing::Values(StartUpCase{&kXT4830, "XT4830 Evaluation Software v1.0.2"},
                                         StartUpCase{&kXT4830Version2,
                                                     "XT4830 Evaluation Software v1.0.4"}),
                         name);
