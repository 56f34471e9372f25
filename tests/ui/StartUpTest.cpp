// The program's real start-up path, as main runs it, over the virtual board library that the
// real binding loads from the build's program directory.
#include "MainWindowRig.h"
#include "ui/main/Form1.h"
#include "ui/main/QtDialogs.h"

namespace {

// The trace of opening the board and preparing the main window: output A selected and
// sampled, then the ADC set up (a variant A line also names the changing handle).
std::vector<std::string> startUpLines(Variant variant) {
    std::vector<std::string> lines = {"Search_For_Boards", "Connect", "Download_Firmware(handle="};
    if (variant == Variant::B)
        lines = {"LoadFirmWare(path=\"" + kProgramDir + "/XT4830.hex\") = 0"};
    for (const char* request :
         {"code=0xDF, value=0x9801, index=0x0000, direction=0, length=0) = 0",
          "code=0xDA, value=0x0000, index=0x0000, direction=1, length=3) = 0 data=00 00 00",
          "code=0xDA, value=0x0012, index=0x0048, direction=0, length=0) = 0"})
        lines.push_back(request);
    return lines;
}

class StartUp : public testing::TestWithParam<const Deliverable*> {
protected:
    Variant variant() const { return GetParam()->variant; }
    // A trace of this test's own, so tests running side by side keep apart; a death test's
    // child process writes the same file.
    std::string tracePath() const {
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        return std::filesystem::temp_directory_path() / ("xt4830-" + name + ".trace");
    }
    void startTrace(const std::string& path) const { lib.startTrace(path.c_str()); }
    // The program as main starts it, with this test's dialogs; OK pressed unless asked not to.
    std::unique_ptr<Program> launch(Dialogs& dialogs, bool pressOk = true) const {
        auto program = std::make_unique<Program>(*GetParam(), kProgramDir, dialogs);
        program->start();
        if (pressOk) QTest::mouseClick(program->packageWindow()->Command1(), Qt::LeftButton);
        return program;
    }
    VirtualLibrary lib{variant()};
};

}  // namespace

TEST_P(StartUp, OkAtOnceOpensTheBoardWithTheImageBesideTheProgramAndShowsTheMainWindow) {
    lib.reset("");
    const std::string trace = tracePath();
    startTrace(trace);
    FakeDialogs dialogs;
    const auto program = launch(dialogs, false);
    Form1* form1 = program->packageWindow();
    ASSERT_TRUE(form1->isVisible());
    EXPECT_EQ(form1->windowTitle(), "XT4830R");
    EXPECT_TRUE(form1->Option1()->isChecked());
    EXPECT_EQ(form1->focusWidget(), form1->Option1());
    EXPECT_FALSE(form1->Command1()->isDefault());
    EXPECT_EQ(form1->Option2()->nextInFocusChain(), form1->Command1());
    EXPECT_TRUE(fileLines(trace).empty()) << "the library is bound at its first call";

    QTest::mouseClick(form1->Command1(), Qt::LeftButton);

    MainForm* main = program->mainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(form1->isVisible());
    EXPECT_EQ(main->windowTitle(), variant() == Variant::A ? "XT4830 Evaluation Software v1.0.4"
                                                           : "XT4830 Evaluation Software v1.0.2");
    EXPECT_EQ(program->board().requests().DeviceAddress(), 62);
    EXPECT_EQ(main->MnuExit()->text(), "E&xit");
    // Every control the automation finds by its name.
    const QString names = QStringLiteral(
        "titleLabel Image1 Frame_ADC Frame1 ADCDisplay sampleCommand autoSampleCheck "
        "adcVddText hexText voltageText VrefText writeToPartCommand cmdBitsFrame "
        "addressBitsFrame noAddressBitsFrame noAddressBitsLabel updateDACRegLabel "
        "powerDownLabel Label2 Label3 vLabel adcVddLabel");
    for (const QString& name : names.split(' '))
        EXPECT_NE(main->findChild<QWidget*>(name), nullptr) << name.toStdString();
    EXPECT_EQ(main->centralWidget()->palette().color(QPalette::Window), QColor(0, 0, 192));
    EXPECT_TRUE(dialogs.shown.empty());
    const auto lines = fileLines(trace);
    const auto expected = startUpLines(variant());
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_THAT(lines[i], testing::HasSubstr(expected[i]));
    if (variant() == Variant::A) {
        EXPECT_THAT(lines[2], testing::HasSubstr("path=\"" + kProgramDir + "/XT4830.hex\") = 0"));
    }
    lib.stopTrace();
    std::filesystem::remove(trace);
}

TEST_P(StartUp, LfcspPackageSendsEveryWriteToBusAddress30) {
    lib.reset("lfcsp");
    FakeDialogs dialogs;
    const auto program = launch(dialogs, false);
    QTest::mouseClick(program->packageWindow()->Option2(), Qt::LeftButton);
    QTest::mouseClick(program->packageWindow()->Command1(), Qt::LeftButton);
    EXPECT_EQ(program->board().requests().DeviceAddress(), 30);
    program->board().requests().WriteDacWord(0x1F0000);
    EXPECT_TRUE(dialogs.shown.empty()) << "the chip answers at 30 only";
}

TEST_P(StartUp, BoardFailingEveryRequestGivesThreeErrorBoxesAndTheWindowStillOpens) {
    lib.reset("unplug-after=0");  // the firmware loads, then every request fails
    FakeDialogs dialogs;
    const auto program = launch(dialogs);
    ASSERT_EQ(dialogs.shown.size(), 3u) << "output selection, sample and ADC set-up";
    for (const MessageBoxSpec& box : dialogs.shown)
        EXPECT_EQ(box.text, "error");
    EXPECT_TRUE(program->mainWindow()->isVisible());
}

TEST_P(StartUp, BoardPluggedInWhileTheRetryBoxIsOpenCarriesOn) {
    lib.reset("absent");
    FakeDialogs dialogs({Answer::Retry});
    dialogs.onShow = [&](const MessageBoxSpec&) {
        for (const QWidget* window : QApplication::topLevelWidgets())
            EXPECT_FALSE(window->isVisible()) << "the retry box is the only window on screen";
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor) << "opening";
        lib.setPresent(true);
    };
    const auto program = launch(dialogs);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, "Failed to initalise Evaluation board");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the busy cursor is gone";
    EXPECT_TRUE(program->mainWindow()->isVisible());
}

TEST_P(StartUp, ClosingAWindowOrExitEndsTheProgramAtOnceSendingNothing) {
    // Closing the package window opens no board; Exit and closing the main window send
    // nothing after the start-up.
    enum Way { ClosePackageWindow, Exit, CloseMainWindow };
    for (const Way way : {ClosePackageWindow, Exit, CloseMainWindow}) {
        const std::string trace = tracePath();
        std::filesystem::remove(trace);
        EXPECT_EXIT(
            {
                lib.reset("");
                startTrace(trace);
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
        std::filesystem::remove(trace);
    }
}

INSTANTIATE_TEST_SUITE_P(Deliverables, StartUp, testing::Values(&kXT4830, &kXT4830Version2),
                         [](const auto& info) {
                             return std::string(info.param->variant == Variant::A ? "Version2"
                                                                                  : "XT4830");
                         });
