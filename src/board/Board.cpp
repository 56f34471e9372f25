#include "board/Board.h"

#include "board/BoardIoDriver.h"
#include "board/HbkUsb4Driver.h"

std::string driverLibraryFile(Variant variant, const std::string& programDir) {
    return variant == Variant::A ? programDir + driver_abi::kHbkLibraryInProgramDir
                                 : driver_abi::kBoardIoLibraryName;
}

static std::unique_ptr<DriverLibrary> makeDriver(Variant variant, FunctionResolver& library) {
    if (variant == Variant::A) {
        return std::make_unique<HbkUsb4Driver>(library, XT4830_USB_VENDOR_ID,
                                               XT4830_USB_PRODUCT_ID);
    }
    return std::make_unique<BoardIoDriver>(library);
}

Board::Board(Variant variant, const std::string& programDir, Dialogs& dialogs)
    : library_(driverLibraryFile(variant, programDir), dialogs),
      driver_(makeDriver(variant, library_)),
      link_(programDir, *driver_, dialogs),
      declare_(*driver_, dialogs) {}
