#include "ChosenDriver.h"

#include <cstdlib>

#include "UsbDriver.h"
#include "VirtualDriver.h"

bool virtualBoardChosen() {
    static const bool chosen = std::getenv("XT4830_VIRTUAL_BOARD") != nullptr;
    return chosen;
}

DriverFunctions& chosenDriver() {
    if (virtualBoardChosen()) {
        static VirtualDriver virtualDriver;
        return virtualDriver;
    }
    static UsbDriver usbDriver;
    return usbDriver;
}
