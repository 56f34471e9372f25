#pragma once

#include "driver_abi/DriverFunctions.h"

// The virtual board when XT4830_VIRTUAL_BOARD is set (even to nothing) as the library is first
// used; real boards on USB otherwise. The choice holds for the life of the process.
bool virtualBoardChosen();
DriverFunctions& chosenDriver();
