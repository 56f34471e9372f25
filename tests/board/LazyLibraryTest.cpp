#include "board/LazyLibrary.h"

#include <gmock/gmock.h>

#include "FakeDialogs.h"
#include "driver_abi/DriverAbi.h"

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

TEST(LazyLibrary, MissingLibraryOrFunctionEndsWithACriticalMessageNamingIt) {
    using Case = std::tuple<std::string, const char*, std::string, const char*>;
    const std::string missing = "/nonexistent/usb-drivers/libHBK_CYUSB_USB4.so";
    for (const auto& [file, function, named, reason] :
         {Case{missing, driver_abi::kSearchForBoards, missing, "No such file or directory"},
          Case{kVirtualBoardIo, "LoadFirmWare", "LoadFirmWare", "undefined symbol"}}) {
        FakeDialogs dialogs;
        LazyLibrary library(file, dialogs);
        const auto [box, status] = failure(library, function, dialogs);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(box.icon, MessageIcon::Critical);
        EXPECT_THAT(box.text, testing::HasSubstr(named));
        EXPECT_THAT(box.text, testing::HasSubstr(reason));
    }
}
