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

TEST(VirtualLibraries, VariantATracesEveryCallAndChecksTheHandle) {
    VirtualLibrary lib(Variant::A);
    const std::string trace = lib.startTrace("xt4830-virtual-a.trace");
    lib.reset("");
    auto* search = lib.get<driver_abi::SearchForBoardsFn>(driver_abi::kSearchForBoards);
    auto* connect = lib.get<driver_abi::ConnectFn>(driver_abi::kConnect);
    auto* download = lib.get<driver_abi::DownloadFirmwareFn>(driver_abi::kDownloadFirmware);
    auto* request = lib.get<driver_abi::VendorRequestFn>(driver_abi::kVendorRequest);

    uint8_t list[128] = {};
    int32_t out = 0;
    int32_t handle = 0;
    search(0x1209, 0x4830, &out, list);
    connect(0x1209, 0x4830, list[0], &handle);
    ASSERT_EQ(download(handle, kImage.c_str()), 0);
    uint8_t unused = 0;
    EXPECT_EQ(request(handle, 0xDE, 0x3E19, 0x8000, 0, 0, &unused), 0);
    EXPECT_NE(request(handle + 1, 0xF1, 0, 0, 0, 0, &unused), 0);
    uint8_t reply[4] = {};
    EXPECT_EQ(request(handle, 0xDF, 0x9802, 0, 0, 0, &unused), 0);
    EXPECT_EQ(request(handle, 0xDA, 0, 0, 1, 3, reply), 0);
    EXPECT_DOUBLE_EQ(lib.get<VirtualOutputVoltsFn>("xt4830_virtual_output_volts")(1), 1.5);

    const auto lines = fileLines(trace);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "Search_For_Boards(vendor=0x1209, product=0x4830) = 1 list[0]=1");
    EXPECT_EQ(lines[2], "Download_Firmware(handle=" + std::to_string(handle) + ", path=\"" +
                            kImage + "\") = 0");
    EXPECT_EQ(lines[4], "Vendor_Request(handle=" + std::to_string(handle + 1) +
                            ", code=0xF1, value=0x0000, index=0x0000, direction=0, length=0) = -1");
    EXPECT_EQ(lines[6].substr(lines[6].find(") = ")), ") = 0 data=08 00 00");
    lib.stopTrace();
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
