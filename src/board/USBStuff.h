#pragma once

#include <string>

#include "board/Dialogs.h"
#include "board/DriverLibrary.h"
#include "board/FirmwarePathBytes.h"

// Opening the board: builds the firmware image's path and asks the driver library to load
// it, asking the user to connect the board and retry for as long as the attempt fails.
class USBStuff {
public:
    // programDir: the running executable's directory, in the file system's encoding.
    USBStuff(std::string programDir, DriverLibrary& driver, Dialogs& dialogs);

    // The program directory followed directly by "/XT4830.hex".
    std::string firmwarePath() const;

    // Returns once the board is open; ends the program when the user declines to retry.
    void OpenBoardWithRetry();

    // One attempt at opening the board, firmware load included; true when it is open. A path
    // too long for the library ends the program with a message.
    bool attemptOpen();

    const FirmwarePathBytes& pathBytes() const { return pathBytes_; }

private:
    std::string programDir_;
    DriverLibrary& driver_;
    Dialogs& dialogs_;
    FirmwarePathBytes pathBytes_;
};

// The box shown while the board cannot be opened.
MessageBoxSpec openFailureBox();
