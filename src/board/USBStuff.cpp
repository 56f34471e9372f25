#include "board/USBStuff.h"

#include <utility>

USBStuff::USBStuff(std::string programDir, DriverLibrary& driver, Dialogs& dialogs)
    : programDir_(std::move(programDir)), driver_(driver), dialogs_(dialogs) {}

std::string USBStuff::firmwarePath() const {
    return programDir_ + "/XT4830.hex";
}

MessageBoxSpec openFailureBox() {
    return {
        "Failed to initalise Evaluation board.\r\n"
        "Ensure that the XT4850R Evaluation board is conected to a USB port and click Retry",
        "Failed to initalise Evaluation board", MessageIcon::Warning, MessageButtons::RetryCancel};
}

void USBStuff::OpenBoardWithRetry() {
    while (!attemptOpen()) {
        if (dialogs_.show(openFailureBox()) != Answer::Retry) dialogs_.endProgram(0);
    }
}

bool USBStuff::attemptOpen() {
    const std::string path = firmwarePath();
    if (!pathBytes_.SetFirmwarePath(path)) {
        // The library takes the path in a fixed buffer; a longer path must never reach it.
        dialogs_.show({"The firmware image's path is " + std::to_string(path.size()) +
                           " bytes long, but the board's driver library takes at most " +
                           std::to_string(FirmwarePathBytes::kLongestPath) +
                           " bytes. Move the program to a folder with a shorter path.\n\n" + path,
                       "", MessageIcon::Critical, MessageButtons::Ok});
        dialogs_.endProgram(1);
    }
    return driver_.attemptOpen(path, pathBytes_);
}
