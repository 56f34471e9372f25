#include "scpi/ScpiStatus.h"

#include <utility>

namespace {

// The event register's bit for an error's class.
uint8_t eventOf(int code) {
    if (code > 0) return ScpiStatus::kDeviceError;
    if (code <= -400) return ScpiStatus::kQueryError;
    if (code <= -300) return ScpiStatus::kDeviceError;
    if (code <= -200) return ScpiStatus::kExecutionError;
    return ScpiStatus::kCommandError;
}

// An error's entry as SYSTem:ERRor? gives it: the code, then its text and detail quoted, with
// every quote in them doubled.
std::string entry(const ScpiErrorKind& kind, std::string_view detail) {
    std::string text(kind.text);
    if (!detail.empty()) text.append("; ").append(detail);
    std::string quoted = std::to_string(kind.code) + ",\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

}  // namespace

void ScpiStatus::report(const ScpiError& error) {
    events_ |= eventOf(error.kind.code);
    if (queue_.size() >= kQueueLength) return;
    if (queue_.size() == kQueueLength - 1) {
        events_ |= eventOf(kQueueOverflow.code);
        queue_.push_back(entry(kQueueOverflow, ""));
        return;
    }
    queue_.push_back(entry(error.kind, error.detail));
}

std::string ScpiStatus::nextError() {
    if (queue_.empty()) return entry(kNoError, "");
    std::string oldest = std::move(queue_.front());
    queue_.pop_front();
    return oldest;
}

uint8_t ScpiStatus::takeEvents() {
    return std::exchange(events_, 0);
}

uint8_t ScpiStatus::statusByte(uint8_t more) const {
    constexpr uint8_t kErrorQueue = 1 << 2, kEventSummary = 1 << 5, kServiceRequest = 1 << 6;
    uint8_t status = more | (queue_.empty() ? 0 : kErrorQueue);
    if ((events_ & eventEnable) != 0) status |= kEventSummary;
    if ((status & serviceEnable & ~kServiceRequest) != 0) status |= kServiceRequest;
    return status;
}

void ScpiStatus::clear() {
    queue_.clear();
    events_ = 0;
}
