#pragma once

#include "UsbBoard.h"

// The board of this driver library, on libusb, with the identities the build was set up with.
UsbBoard& theBoard();
