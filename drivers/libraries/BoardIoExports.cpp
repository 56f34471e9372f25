// The variant B driver ABI (libBoardIo.so) over the board chosen.
#pragma GCC visibility push(default)
#include "driver_abi/DriverAbi.h"
#pragma GCC visibility pop

#include "ChosenDriver.h"

short LoadFirmWare(char* firmware_path) {
    return chosenDriver().loadFirmWare(firmware_path);
}

short VendorIORequest(short code, int value, int index, short direction, short length,
                      unsigned char* buffer) {
    return chosenDriver().vendorIORequest(code, value, index, direction, length, buffer);
}
