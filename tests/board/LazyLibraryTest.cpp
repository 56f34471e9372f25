#include "board/LazyLibrary.h"

#include <gmock/gmock.h>

#include "FakeDialogs.h"
#include "board/DriverAbi.h"

namespace {

const std::string kVirtualBoardIo = std::string(XT4830_PROGRAM_DIR) + "/libBoardIo.so";

// The box shown when binding failed, and the status the program ended with.
std::pair<MessageBoxSpec, int> failure(LazyLibrary& library, const char* name,
                                       FakeDialogs& dialogs) {
    try {
        library.resolve(name);
    } catch (const ProgramEnded& ended) {
        EXPECT_EQ(dialogs.shown.size(), 1u);
        return {dialogs.shown.at(0), ended.status};
    }
    ADD_FAILURE() << "binding " << name << " should have ended the program";
    return {};
}

}  // namespace

TEST(LazyLibrary, MissingLibraryEndsWithACriticalMessageNamingItAndTheLoadersText) {
    FakeDialogs dialogs;
    LazyLibrary library("/nonexistent/usb-drivers/libHBK_CYUSB_USB4.so", dialogs);
    const auto [box, status] = failure(library, driver_abi::kSearchForBoards, dialogs);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(box.icon, MessageIcon::Critical);
    EXPECT_THAT(box.text, testing::HasSubstr("/nonexistent/usb-drivers/libHBK_CYUSB_USB4.so"));
    EXPECT_THAT(box.text, testing::HasSubstr("No such file or directory"));
}

TEST(LazyLibrary, MissingFunctionEndsWithACriticalMessageNamingIt) {
    FakeDialogs dialogs;
    LazyLibrary library(kVirtualBoardIo, dialogs);
    const auto [box, status] = failure(library, "LoadFirmWare", dialogs);  // undecorated name
    EXPECT_EQ(status, 1);
    EXPECT_EQ(box.icon, MessageIcon::Critical);
    EXPECT_THAT(box.text, testing::HasSubstr("LoadFirmWare"));
    EXPECT_THAT(box.text, testing::HasSubstr("undefined symbol"));
}
