#pragma once

// The driver-library ABI: the functions a board driver library exports, as the program calls
// them. The virtual board and the USB driver implement these declarations, so the compiler
// checks that both sides agree on every argument's width and order.

#include <cstddef>
#include <cstdint>

// Variant A, libHBK_CYUSB_USB4.so, plain C names.
extern "C" {
int Search_For_Boards(uint32_t vendor_id, uint32_t product_id, int32_t* search_out,
                      uint8_t* board_list);
int Connect(uint32_t vendor_id, uint32_t product_id, uint8_t board, int32_t* handle);
int16_t Download_Firmware(int32_t handle, const char* firmware_path);
int16_t Vendor_Request(int32_t handle, uint8_t code, int32_t value, int32_t index,
                       uint8_t direction, int32_t length, uint8_t* buffer);
}

// Variant B, libBoardIo.so, C++ names as g++ decorates them.
short LoadFirmWare(char* firmware_path);
short VendorIORequest(short code, int value, int index, short direction, short length,
                      unsigned char* buffer);

namespace driver_abi {

// Search_For_Boards writes the boards it finds into a list of this many bytes.
inline constexpr std::size_t kBoardListSize = 128;

using SearchForBoardsFn = decltype(Search_For_Boards);
using ConnectFn = decltype(Connect);
using DownloadFirmwareFn = decltype(Download_Firmware);
using VendorRequestFn = decltype(Vendor_Request);
using LoadFirmWareFn = decltype(LoadFirmWare);
using VendorIORequestFn = decltype(VendorIORequest);

inline constexpr const char* kSearchForBoards = "Search_For_Boards";
inline constexpr const char* kConnect = "Connect";
inline constexpr const char* kDownloadFirmware = "Download_Firmware";
inline constexpr const char* kVendorRequest = "Vendor_Request";
inline constexpr const char* kLoadFirmWare = "_Z12LoadFirmWarePc";
inline constexpr const char* kVendorIORequest = "_Z15VendorIORequestsiissPh";

// Where each variant's library is found.
inline constexpr const char* kHbkLibraryInProgramDir = "/usb-drivers/libHBK_CYUSB_USB4.so";
inline constexpr const char* kBoardIoLibraryName = "libBoardIo.so";

}  // namespace driver_abi
