#include "board/Declare.h"

#include <algorithm>
#include <array>
#include <bit>

Declare::Declare(DriverLibrary& driver, FailurePolicy& policy)
    : driver_(driver), policies_{&policy} {}

void Declare::issue(const BoardRequest& request) {
    const int16_t result = driver_.request(request);
    if (result == 0 && watcher_) watcher_(request);
    if (result != 0) policies_.back()->refused(request, result);
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

Declare::PolicyScope::PolicyScope(Declare& requests, FailurePolicy& policy)
    : requests_(requests), policy_(policy) {
    requests_.policies_.push_back(&policy_);
}

Declare::PolicyScope::~PolicyScope() {
    auto& policies = requests_.policies_;
    policies.erase(std::find(policies.rbegin(), policies.rend(), &policy_).base() - 1);
}
