#include "board/USBStuff.h"

#include <gmock/gmock.h>

#include "FakeDialogs.h"
#include "FakeDriverFunctions.h"
#include "board/BoardIoDriver.h"
#include "board/HbkUsb4Driver.h"

static std::vector<std::string> functionsCalled() {
    std::vector<std::string> names;
    for (const DriverCall& call : fakeDriver().calls)
        names.push_back(call.function);
    return names;
}

TEST(USBStuff, VariantASearchesConnectsAndDownloadsTheImageBesideTheProgram) {
    FakeDriverResolver resolver;
    HbkUsb4Driver driver(resolver, 0x1209, 0x4830);
    FakeDialogs dialogs;
    EXPECT_EQ(USBStuff("/", driver, dialogs).firmwarePath(), "//XT4830.hex") << "as built";
    USBStuff("/opt/xt4830", driver, dialogs).OpenBoardWithRetry();
    const auto& calls = fakeDriver().calls;
    ASSERT_EQ(functionsCalled(),
              (std::vector<std::string>{"Search_For_Boards", "Connect", "Download_Firmware"}));
    // Identifiers by value, a zero search value and a zeroed list; byte 0 of the list the
    // search filled in names the board to connect, and the download uses the new handle.
    EXPECT_EQ(calls[0].args, (std::vector<int64_t>{0x1209, 0x4830, 0, 0}));
    EXPECT_EQ(calls[1].args, (std::vector<int64_t>{0x1209, 0x4830, 7}));
    EXPECT_EQ(calls[2].args, (std::vector<int64_t>{100}));
    EXPECT_EQ(calls[2].path, "/opt/xt4830/XT4830.hex");
    EXPECT_EQ(driver.BoardHandle(), 100);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST(USBStuff, RetryRepeatsTheWholeAttemptAndCancelEndsTheProgram) {
    FakeDriverResolver resolver;
    HbkUsb4Driver driver(resolver, 0x1209, 0x4830);
    FakeDialogs dialogs({Answer::Retry, Answer::Cancel});
    // Any nonzero download result fails, positive too, although search and connect did well.
    fakeDriver().downloadResults = {5, -1};
    USBStuff link("/opt/xt4830", driver, dialogs);
    try {
        link.OpenBoardWithRetry();
        FAIL() << "Cancel should end the program";
    } catch (const ProgramEnded& ended) {
        EXPECT_EQ(ended.status, 0);
    }
    EXPECT_EQ(functionsCalled(),
              (std::vector<std::string>{"Search_For_Boards", "Connect", "Download_Firmware",
                                        "Search_For_Boards", "Connect", "Download_Firmware"}));
    // Each attempt connects again and downloads through the handle it got.
    EXPECT_EQ(fakeDriver().calls[5].args, (std::vector<int64_t>{101}));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0],
              (MessageBoxSpec{"Failed to initalise Evaluation board.\r\nEnsure that the XT4850R "
                              "Evaluation board is conected to a USB port and click Retry",
                              "Failed to initalise Evaluation board", MessageIcon::Warning,
                              MessageButtons::RetryCancel}));
    // Each function was looked up once, at its own first call.
    EXPECT_EQ(fakeDriver().lookups.at("Download_Firmware"), 1);
    EXPECT_EQ(fakeDriver().lookups.count("Vendor_Request"), 0u);
}

TEST(USBStuff, VariantBTakesAnyResultThatIsNotNegativeAsOpen) {
    using Case = std::pair<std::vector<int>, size_t>;
    for (const auto& [results, attempts] :
         {Case{{1}, 1}, Case{{0}, 1}, Case{{-1, 32767}, 2}, Case{{-2, -1, 0}, 3}}) {
        FakeDriverResolver resolver;
        BoardIoDriver driver(resolver);
        FakeDialogs dialogs({Answer::Retry, Answer::Retry});
        fakeDriver().downloadResults = results;
        USBStuff("/opt/xt4830", driver, dialogs).OpenBoardWithRetry();
        ASSERT_EQ(fakeDriver().calls.size(), attempts);
        EXPECT_EQ(fakeDriver().calls[0].path, "/opt/xt4830/XT4830.hex");
        EXPECT_EQ(dialogs.shown.size(), attempts - 1);
    }
}

TEST(USBStuff, PathTooLongForTheLibraryEndsWithAMessageAndNeverReachesIt) {
    FakeDriverResolver resolver;
    BoardIoDriver driver(resolver);
    FakeDialogs dialogs;
    const std::string dir(502, 'd');  // 502 + "/XT4830.hex" = 513 bytes
    USBStuff link(dir, driver, dialogs);
    try {
        link.OpenBoardWithRetry();
        FAIL() << "the program should have ended";
    } catch (const ProgramEnded& ended) {
        EXPECT_EQ(ended.status, 1);
    }
    EXPECT_TRUE(fakeDriver().calls.empty());
    EXPECT_TRUE(fakeDriver().lookups.empty());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);
    EXPECT_THAT(dialogs.shown[0].text, testing::HasSubstr("513 bytes"));
    EXPECT_THAT(dialogs.shown[0].text, testing::HasSubstr("at most 512 bytes"));
}
