#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "scpi/ScpiErrors.h"

// An error as an instrument reports it: its kind from the error list (or one of the
// instrument's own), and what went wrong, said after the standard text.
struct ScpiError {
    ScpiErrorKind kind;
    std::string detail;
};

// The IEEE 488.2 status of the instrument: the error queue, the standard event status
// register with its enable mask, and the service request enable mask behind the status byte.
class ScpiStatus {
public:
    // The queue holds this many; when it is full, its last entry becomes "Queue overflow".
    static constexpr std::size_t kQueueLength = 32;

    // The standard event status register's bits.
    static constexpr uint8_t kOperationComplete = 1 << 0;
    static constexpr uint8_t kQueryError = 1 << 2;
    static constexpr uint8_t kDeviceError = 1 << 3;
    static constexpr uint8_t kExecutionError = 1 << 4;
    static constexpr uint8_t kCommandError = 1 << 5;
    static constexpr uint8_t kPowerOn = 1 << 7;

    // Queues the error and sets its class's bit in the event register.
    void report(const ScpiError& error);
    // The oldest error, taken off the queue: -113,"Undefined header; SOUR9"; 0,"No error" when
    // the queue is empty.
    std::string nextError();
    std::size_t errorCount() const { return queue_.size(); }

    // *ESR?: the event register, cleared by reading it.
    uint8_t takeEvents();
    void setEvent(uint8_t bits) { events_ |= bits; }
    // *STB?: bit 2 the error queue holds something, bit 5 an enabled event happened, bit 6 any
    // enabled summary bit is set; more: summary bits of the caller's own (an unread answer's
    // bit 4).
    uint8_t statusByte(uint8_t more = 0) const;
    // *CLS: the queue and the event register emptied; the enable masks stay.
    void clear();

    uint8_t eventEnable = 0;    // *ESE
    uint8_t serviceEnable = 0;  // *SRE (bit 6 is never enabled)

private:
    std::deque<std::string> queue_;
    uint8_t events_ = kPowerOn;
};
