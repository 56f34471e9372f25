#include "board/BoardIoDriver.h"

BoardIoDriver::BoardIoDriver(FunctionResolver& library)
    : loadFirmWare_(library, driver_abi::kLoadFirmWare),
      vendorIORequest_(library, driver_abi::kVendorIORequest) {}

bool BoardIoDriver::attemptOpen(const std::string&, FirmwarePathBytes& pathBytes) {
    // Any result that is not negative means the board is open.
    return loadFirmWare_(pathBytes.data()) >= 0;
}

int16_t BoardIoDriver::request(const BoardRequest& r) {
    return vendorIORequest_(static_cast<short>(r.code), r.value, r.index,
                            static_cast<short>(r.direction), static_cast<short>(r.length),
                            r.buffer);
}
