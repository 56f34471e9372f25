// The built USB driver library of variant A on a machine without the board (and perhaps
// without USB): every symbol of the ABI is there, and every call reports "no board" without
// crashing. (Variant B's is the decoy of the library-search test.)
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "board/DriverAbi.h"

namespace {

void* load(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(handle, nullptr) << dlerror();
    return handle;
}

template <typename Fn>
Fn* symbol(void* library, const char* name) {
    auto* fn = reinterpret_cast<Fn*>(dlsym(library, name));
    EXPECT_NE(fn, nullptr) << name;
    return fn;
}

const std::string kImage = XT4830_PROGRAM_DIR "/XT4830.hex";

}  // namespace

TEST(UsbLibraries, VariantAReportsNoBoard) {
    void* library = load(XT4830_USB_DIR + std::string(driver_abi::kHbkLibraryInProgramDir));
    uint8_t list[128] = {};
    int32_t out = 0;
    int32_t handle = 0;
    EXPECT_EQ(symbol<driver_abi::SearchForBoardsFn>(library, driver_abi::kSearchForBoards)(
                  XT4830_USB_VENDOR_ID, XT4830_USB_PRODUCT_ID, &out, list),
              0);
    EXPECT_NE(symbol<driver_abi::ConnectFn>(library, driver_abi::kConnect)(
                  XT4830_USB_VENDOR_ID, XT4830_USB_PRODUCT_ID, list[0], &handle),
              0);
    EXPECT_NE(symbol<driver_abi::DownloadFirmwareFn>(library, driver_abi::kDownloadFirmware)(
                  handle, kImage.c_str()),
              0);
    uint8_t unused = 0;
    EXPECT_NE(symbol<driver_abi::VendorRequestFn>(library, driver_abi::kVendorRequest)(
                  handle, 0xE1, 0, 0, 0, 0, &unused),
              0);
}
