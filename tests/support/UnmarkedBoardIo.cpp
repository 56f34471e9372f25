// libBoardIo.so over the virtual board with the variant's two functions only.
#pragma GCC visibility push(default)
#include "driver_abi/DriverAbi.h"
#pragma GCC visibility pop

#include "VirtualDriver.h"

namespace {
VirtualDriver& driver() {
    static VirtualDriver virtualDriver;
    return virtualDriver;
}
}  // namespace

short LoadFirmWare(char* firmware_path) {
    return driver().loadFirmWare(firmware_path);
}

short VendorIORequest(short code, int value, int index, short direction, short length,
                      unsigned char* buffer) {
    return driver().vendorIORequest(code, value, index, direction, length, buffer);
}
