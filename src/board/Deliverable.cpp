#include "board/Deliverable.h"

#include "board/BoardIoDriver.h"
#include "board/HbkUsb4Driver.h"

std::unique_ptr<DriverLibrary> makeHbkUsb4Driver(FunctionResolver& library) {
    return std::make_unique<HbkUsb4Driver>(library, XT4830_USB_VENDOR_ID, XT4830_USB_PRODUCT_ID);
}

std::unique_ptr<DriverLibrary> makeBoardIoDriver(FunctionResolver& library) {
    return std::make_unique<BoardIoDriver>(library);
}

std::string versionText(const Deliverable& d) {
    return std::to_string(d.major) + "." + std::to_string(d.minor) + "." +
           std::to_string(d.revision);
}

std::string mainWindowTitle(const Deliverable& d) {
    return "XT4830 Evaluation Software v" + versionText(d);
}
