#include "TheBoard.h"

#include <thread>

#include "LibusbTransport.h"

UsbBoard& theBoard() {
    static UsbBoard board(
        std::make_unique<LibusbTransport>(),
        {{XT4830_USB_LOADER_VENDOR_ID, XT4830_USB_LOADER_PRODUCT_ID},
         {XT4830_USB_VENDOR_ID, XT4830_USB_PRODUCT_ID}},
        [](std::chrono::milliseconds step) { std::this_thread::sleep_for(step); });
    return board;
}
