#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "meter/MeterResource.h"

// What went wrong with a meter, in words that name it and the step; the run ends there.
struct MeterError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Called while a link waits, at least every 0.1 s: it throws to end the wait (a stop signal).
using WaitCheck = std::function<void()>;

// One meter's connection: a message sent whole, an answer read up to its line end.
class MeterLink {
public:
    virtual ~MeterLink() = default;
    MeterLink() = default;
    MeterLink(const MeterLink&) = delete;
    MeterLink& operator=(const MeterLink&) = delete;

    // Throws MeterError when the message cannot be sent.
    virtual void send(const std::string& message) = 0;
    // The answer without its line end. Throws MeterError when none comes within timeout or
    // the meter goes away.
    std::string receive(std::chrono::milliseconds timeout, const WaitCheck& check);

protected:
    // What the meter has sent, waiting at most 0.1 s: the bytes taken, 0 when it has gone
    // away, below 0 when nothing came.
    virtual long readSome(char* buffer, std::size_t size) = 0;
    // Whether one read takes a whole answer, line end or not (USBTMC's transfers).
    virtual bool wholeReads() const = 0;
};

// The longest answer taken: a reading, an identity or an error message is far shorter.
inline constexpr std::size_t kLongestAnswer = 4096;

// Connects to the meter at resource within timeout; throws MeterError with the reason. A
// socket's connection calls check while it waits.
std::unique_ptr<MeterLink> socketLink(const MeterResource& resource,
                                      std::chrono::milliseconds timeout, const WaitCheck& check);
std::unique_ptr<MeterLink> lxiLink(const MeterResource& resource,
                                   std::chrono::milliseconds timeout);
std::unique_ptr<MeterLink> deviceLink(const MeterResource& resource);
