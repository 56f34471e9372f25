// The two virtual driver libraries as the program loads them: their exported functions, the
// in-process control functions and the trace.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "VirtualLibrary.h"

namespace {

const std::string kImage = kProgramDir + "/XT4830.hex";

}  // namespace

TEST(VirtualLibraries, VariantATakesRequestsOnlyWithTheHandleOfTheLastConnection) {
    VirtualLibrary lib(Variant::A);
    lib.reset("");
    uint8_t list[128] = {};
    int32_t out = 0, handle = 0;
    lib.get<driver_abi::SearchForBoardsFn>(driver_abi::kSearchForBoards)(1, 1, &out, list);
    lib.get<driver_abi::ConnectFn>(driver_abi::kConnect)(1, 1, list[0], &handle);
    ASSERT_EQ(lib.get<driver_abi::DownloadFirmwareFn>(driver_abi::kDownloadFirmware)(
                  handle, kImage.c_str()),
              0);
    auto* request = lib.get<driver_abi::VendorRequestFn>(driver_abi::kVendorRequest);
    uint8_t unused = 0;
    EXPECT_EQ(request(handle, 0xDE, 0x3E19, 0x8000, 0, 0, &unused), 0);
    EXPECT_NE(request(handle + 1, 0xF1, 0, 0, 0, 0, &unused), 0);
    EXPECT_DOUBLE_EQ(lib.get<VirtualOutputVoltsFn>("xt4830_virtual_output_volts")(1), 1.5);
}

TEST(VirtualLibraries, EnvironmentSetsTheBoardUpAndNamesTheTraceFile) {
    // The library reads both variables when it is first used, so this runs in a new process.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string trace = std::filesystem::temp_directory_path() / "xt4830-env.trace";
    EXPECT_EXIT(
        {
            setenv("XT4830_VIRTUAL_BOARD", "absent", 1);
            setenv("XT4830_VIRTUAL_TRACE", trace.c_str(), 1);
            VirtualLibrary lib(Variant::B);
            std::string path = kImage;
            _exit(lib.get<driver_abi::LoadFirmWareFn>(driver_abi::kLoadFirmWare)(path.data()) < 0
                      ? 0
                      : 1);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(fileLines(trace),
              std::vector<std::string>{"LoadFirmWare(path=\"" + kImage + "\") = -1"});
}
