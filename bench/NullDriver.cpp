// A driver library that does nothing, so a benchmark measures only the program's own cost of a
// board request: the binding, the packing and the result check.
#pragma GCC visibility push(default)
#include "driver_abi/DriverAbi.h"
#pragma GCC visibility pop

int Search_For_Boards(uint32_t, uint32_t, int32_t*, uint8_t* list) {
    list[0] = 1;
    return 1;
}
int Connect(uint32_t, uint32_t, uint8_t, int32_t* handle) {
    *handle = 1;
    return 0;
}
int16_t Download_Firmware(int32_t, const char*) {
    return 0;
}
int16_t Vendor_Request(int32_t, uint8_t, int32_t, int32_t, uint8_t, int32_t, uint8_t*) {
    return 0;
}
short LoadFirmWare(char*) {
    return 0;
}
short VendorIORequest(short, int, int, short, short, unsigned char*) {
    return 0;
}
