#include "board/Board.h"

#include <sys/stat.h>

#include <cstdlib>

#include "board/BoardIoDriver.h"
#include "board/HbkUsb4Driver.h"
#include "board/LibrarySearch.h"

namespace {

bool isFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

std::string driverLibraryFile(Variant variant, const std::string& programDir) {
    if (variant == Variant::A) return programDir + driver_abi::kHbkLibraryInProgramDir;
    const char* ldLibraryPath = std::getenv("LD_LIBRARY_PATH");
    return findLibrary(driver_abi::kBoardIoLibraryName, ldLibraryPath ? ldLibraryPath : "",
                       programDir, isFile);
}

static std::unique_ptr<DriverLibrary> makeDriver(Variant variant, FunctionResolver& library) {
    if (variant == Variant::A) {
        return std::make_unique<HbkUsb4Driver>(library, XT4830_USB_VENDOR_ID,
                                               XT4830_USB_PRODUCT_ID);
    }
    return std::make_unique<BoardIoDriver>(library);
}

Board::Board(Variant variant, const std::string& programDir, Dialogs& dialogs,
             FailurePolicy& refusals)
    : library_(driverLibraryFile(variant, programDir), dialogs),
      driver_(makeDriver(variant, library_)),
      link_(programDir, *driver_, dialogs),
      declare_(*driver_, refusals) {}
