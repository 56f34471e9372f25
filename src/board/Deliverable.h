#pragma once

#include <memory>
#include <string>
#include <string_view>

class DriverLibrary;
class FunctionResolver;

// One of the two programs built from this source: everything in which they differ, one row
// each. Nothing else asks which deliverable it serves.
struct Deliverable {
    std::string_view name;  // also the title of the program's message boxes
    int major;
    int minor;
    int revision;
    std::string_view variant;  // "A" or "B", as saved results name the driver binding
    // The driver library: a path under the program directory, or (searched) a file name the
    // library search looks up.
    std::string_view library;
    bool searched;
    // The driver over the bound library, which decides how each function is called.
    std::unique_ptr<DriverLibrary> (*makeDriver)(FunctionResolver& library);
    int dacFrameHeight;  // twips
    // The DAC frame's second row: the bit positions that never reach the word, and the
    // reference panel lower down beside the other panels.
    bool secondRow;
};

// The driver of variant A (a board handle) and of variant B (none).
std::unique_ptr<DriverLibrary> makeHbkUsb4Driver(FunctionResolver& library);
std::unique_ptr<DriverLibrary> makeBoardIoDriver(FunctionResolver& library);

// clang-format off
// name, version, variant, library, searched, driver, DAC frame height, second row
inline constexpr Deliverable kXT4830{"XT4830", 1, 0, 2, "B",
    "libBoardIo.so", true, makeBoardIoDriver, 4800, false};
inline constexpr Deliverable kXT4830Version2{"XT4830(version2)", 1, 0, 4, "A",
    "usb-drivers/libHBK_CYUSB_USB4.so", false, makeHbkUsb4Driver, 6600, true};
// clang-format on

// "1.0.4": each number in plain decimal, no leading zeros.
std::string versionText(const Deliverable& deliverable);
// "XT4830 Evaluation Software v1.0.4".
std::string mainWindowTitle(const Deliverable& deliverable);
