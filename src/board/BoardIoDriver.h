#pragma once

#include "board/DriverLibrary.h"
#include "board/LazyLibrary.h"
#include "driver_abi/DriverAbi.h"

// Variant B: one call finds the board and loads its firmware; the library remembers the board
// for later requests, so the program holds no handle.
class BoardIoDriver : public DriverLibrary {
public:
    explicit BoardIoDriver(FunctionResolver& library);

    bool attemptOpen(const std::string& path, FirmwarePathBytes& pathBytes) override;
    int16_t request(const BoardRequest& request) override;

private:
    LazyFunction<driver_abi::LoadFirmWareFn> loadFirmWare_;
    LazyFunction<driver_abi::VendorIORequestFn> vendorIORequest_;
};
