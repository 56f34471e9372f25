#include "board/Declare.h"

#include <array>
#include <bit>
#include <iomanip>
#include <locale>
#include <sstream>

Declare::Declare(DriverLibrary& driver, Dialogs& dialogs) : driver_(driver), dialogs_(dialogs) {}

void Declare::issue(const BoardRequest& request) {
    const int16_t result = driver_.request(request);
    if (result == 0) return;
    if (onFailure) return onFailure(request, result);
    if (run_ == Run::Reported) return;
    if (run_ == Run::Quiet) run_ = Run::Reported;
    dialogs_.show({"error", "", MessageIcon::None, MessageButtons::Ok});
}

void Declare::toBoard(int code, int32_t value, int32_t index) {
    // Requests to the board have no data stage; the library still gets a valid address.
    uint8_t unused = 0;
    issue({code, value, index, kToBoard, 0, &unused});
}

void Declare::WriteDacWord(int32_t commandWord) {
    // The value carries the bus address in its high byte and the command byte (word bits
    // 23-16) in its low byte; the index carries the 16 data bits. Bits 31-24 are dropped.
    const int32_t commandByte = (commandWord >> 16) & 0xFF;
    toBoard(kWriteDacWordCode, deviceAddress_ * 256 + commandByte, commandWord & 0xFFFF);
}

void Declare::SelectMuxChannel(uint16_t mask) {
    measuredInput_ = std::countr_zero(static_cast<unsigned>(mask));
    toBoard(kSelectMuxCode, 0x9800 + mask, 0);
}

void Declare::ConfigureAdc(uint16_t value, uint16_t index) {
    toBoard(kAdcCode, value, index);
}

int32_t Declare::ReadAdc() {
    std::array<uint8_t, 4> reply{};
    issue({kAdcCode, 0, 0, kFromBoard, 3, reply.data()});
    // Most significant byte first; the third byte is not used. A failed read still gives
    // whatever the buffer holds.
    return reply[0] * 256 + reply[1];
}

void Declare::SetClrPin(bool level) {
    toBoard(level ? kClrHighCode : kClrLowCode, 0, 0);
}

void Declare::SetLdacPin(bool level) {
    toBoard(level ? kLdacHighCode : kLdacLowCode, 0, 0);
}

std::string describeFailure(const BoardRequest& request, int16_t result) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::uppercase << std::hex << std::setfill('0') << "request 0x" << std::setw(2)
         << request.code << " (value 0x" << std::setw(4) << request.value << ", index 0x"
         << std::setw(4) << request.index
         << (request.direction == kFromBoard ? ", from the board" : "") << ") failed with result "
         << std::to_string(result);
    return text.str();
}
