// The program's real start-up path, as main runs it, over the virtual board library that the
// real binding loads from the build's program directory.
#include "MainWindowRig.h"
#include "ui/main/Form1.h"

namespace {

// The trace of opening the board and preparing the main window: output A selected and
// sampled, then the ADC set up (a variant A line also names the changing handle).
std::vector<std::string> startUpLines(const Deliverable* deliverable) {
    std::vector<std::string> lines = {"Search_For_Boards", "Connect", "Download_Firmware(handle="};
    if (deliverable == &kXT4830)
        lines = {"LoadFirmWare(path=\"" + kProgramDir + "/XT4830.hex\") = 0"};
    for (const char* request :
         {"code=0xDF, value=0x9801, index=0x0000, direction=0, length=0) = 0",
          "code=0xDA, value=0x0000, index=0x0000, direction=1, length=3) = 0 data=00 00 00",
          "code=0xDA, value=0x0012, index=0x0048, direction=0, length=0) = 0"})
        lines.push_back(request);
    return lines;
}

class StartUp : public testing::TestWithParam<const Deliverable*> {};

}  // namespace

TEST_P(StartUp, OkAtOnceOpensTheBoardWithTheImageBesideTheProgramAndShowsTheMainWindow) {
    MainWindowRig rig(*GetParam(), "", false, false);
    Form1* form1 = rig.program().packageWindow();
    ASSERT_TRUE(form1->isVisible());
    EXPECT_EQ(form1->windowTitle(), "XT4830R [virtual board]");
    EXPECT_TRUE(form1->Option1()->isChecked());
    EXPECT_EQ(form1->focusWidget(), form1->Option1());
    EXPECT_FALSE(form1->Command1()->isDefault());
    EXPECT_EQ(form1->Option2()->nextInFocusChain(), form1->Command1());
    EXPECT_EQ(rig.requestCount(), 0u) << "the library is bound at its first call";
    rig.pressOk();
    MainForm* main = &rig.main();
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(rig.program().packageWindow(), nullptr) << "the package window is gone";
    const bool version2 = GetParam() == &kXT4830Version2;
    EXPECT_EQ(main->windowTitle(), version2 ? "XT4830 Evaluation Software v1.0.4 [virtual board]"
                                            : "XT4830 Evaluation Software v1.0.2 [virtual board]");
    EXPECT_EQ(rig.board().requests().DeviceAddress(), 62);
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
    EXPECT_TRUE(rig.dialogs.shown.empty());
    const auto lines = fileLines(rig.tracePath());
    const auto expected = startUpLines(GetParam());
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_THAT(lines[i], testing::HasSubstr(expected[i]));
    if (version2) {
        EXPECT_THAT(lines[2], testing::HasSubstr("path=\"" + kProgramDir + "/XT4830.hex\") = 0"));
    }
}

TEST_P(StartUp, LfcspPackageSendsEveryWriteToBusAddress30) {
    MainWindowRig rig(*GetParam(), "lfcsp", false, false);
    QTest::mouseClick(rig.program().packageWindow()->Option2(), Qt::LeftButton);
    rig.pressOk();
    EXPECT_EQ(rig.board().requests().DeviceAddress(), 30);
    rig.board().requests().WriteDacWord(0x1F0000);
    EXPECT_TRUE(rig.dialogs.shown.empty()) << "the chip answers at 30 only";
}

TEST_P(StartUp, BoardFailingEveryRequestGivesThreeErrorBoxesAndTheWindowStillOpens) {
    MainWindowRig rig(*GetParam(), "unplug-after=0");  // the image loads, then requests fail
    ASSERT_EQ(rig.dialogs.shown.size(), 3u) << "output selection, sample and ADC set-up";
    for (const MessageBoxSpec& box : rig.dialogs.shown)
        EXPECT_EQ(box.text, "error");
    EXPECT_TRUE(rig.main().isVisible());
}

TEST_P(StartUp, BoardPluggedInWhileTheRetryBoxIsOpenCarriesOn) {
    MainWindowRig rig(*GetParam(), "absent", false, false);
    rig.dialogs.answers = {Answer::Retry};
    rig.dialogs.onShow = [&](const MessageBoxSpec&) {
        for (const QWidget* window : QApplication::topLevelWidgets())
            EXPECT_FALSE(window->isVisible()) << "the retry box is the only window on screen";
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor) << "opening";
        rig.lib.setPresent(true);
    };
    rig.pressOk();
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].title, "Failed to initalise Evaluation board");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the busy cursor is gone";
    EXPECT_TRUE(rig.main().isVisible());
}

TEST_P(StartUp, ClosingAWindowOrExitEndsTheProgramAtOnceSendingNothing) {
    // Closing the package window opens no board; Exit and closing the main window send
    // nothing after the start-up.
    enum Way { ClosePackageWindow, Exit, CloseMainWindow };
    for (const Way way : {ClosePackageWindow, Exit, CloseMainWindow}) {
        const std::string trace = testTracePath();
        EXPECT_EXIT(
            {
                MainWindowRig rig(*GetParam(), "", true, way != ClosePackageWindow);
                if (way == ClosePackageWindow) rig.program().packageWindow()->close();
                if (way == Exit) rig.main().MnuExit()->trigger();
                if (way == CloseMainWindow) rig.main().close();
                std::fprintf(stderr, "still running\n");
            },
            testing::ExitedWithCode(0), testing::Not(testing::HasSubstr("still running")));
        EXPECT_EQ(fileLines(trace).size(),
                  way == ClosePackageWindow ? 0 : startUpLines(GetParam()).size());
        std::filesystem::remove(trace);
    }
}

INSTANTIATE_TEST_SUITE_P(Deliverables, StartUp, kBothDeliverables, deliverableName);
