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

// Both libraries, plain C names, besides their variant's functions: the board list, the choice
// of a board and the reason an opening failed. The windows never call them, and a library
// without them still drives the program; the command line looks them up where it needs them.
extern "C" {
// One line per board on the bus, in the order the library takes them: its place ("1-1.4"),
// "loader" (no firmware yet) or "running", and its serial number where it has one, separated
// by blanks. Written into text (size bytes, always zero-terminated); the number of boards, or
// -1 when the lines do not fit (text is then empty). Opens no board for long, loads nothing.
int32_t xt4830_list_boards(char* text, int32_t size);
// Later searches and openings see only the board at place; null or empty: every board again.
void xt4830_choose_board(const char* place);
// Why the last opening failed, in one sentence, into text (size bytes, zero-terminated);
// empty when it did not fail.
void xt4830_open_failure(char* text, int32_t size);
// 1 when the library drives the virtual board, 0 when it drives real boards. A library
// without it says nothing of its kind.
int32_t xt4830_board_is_virtual(void);
// The board opened last as results name it, into text (size bytes, zero-terminated): "virtual",
// or a real board's serial number and place ("serial 0042 at 1-1.4"); empty when none is open.
void xt4830_opened_board(char* text, int32_t size);
}

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
inline constexpr const char* kListBoards = "xt4830_list_boards";
inline constexpr const char* kChooseBoard = "xt4830_choose_board";
inline constexpr const char* kOpenFailure = "xt4830_open_failure";
using ListBoardsFn = decltype(xt4830_list_boards);
using ChooseBoardFn = decltype(xt4830_choose_board);
using OpenFailureFn = decltype(xt4830_open_failure);
inline constexpr const char* kBoardIsVirtual = "xt4830_board_is_virtual";
inline constexpr const char* kOpenedBoard = "xt4830_opened_board";
using BoardIsVirtualFn = decltype(xt4830_board_is_virtual);
using OpenedBoardFn = decltype(xt4830_opened_board);

}  // namespace driver_abi
