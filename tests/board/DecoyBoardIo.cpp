// A libBoardIo.so with no board behind it.
#include "driver_abi/DriverAbi.h"

short LoadFirmWare(char*) {
    return -1;
}

short VendorIORequest(short, int, int, short, short, unsigned char*) {
    return -1;
}
