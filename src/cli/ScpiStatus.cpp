#include "cli/ScpiStatus.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr int kQueueOverflow = -350;

constexpr std::array<std::pair<int, std::string_view>, 40> kTexts = {{
    {0, "No error"},
    {kRequestRefused, "Board refused the request"},
    {-100, "Command error"},
    {-101, "Invalid character"},
    {-102, "Syntax error"},
    {-103, "Invalid separator"},
    {-104, "Data type error"},
    {-108, "Parameter not allowed"},
    {-109, "Missing parameter"},
    {-110, "Command header error"},
    {-111, "Header separator error"},
    {-112, "Program mnemonic too long"},
    {-113, "Undefined header"},
    {-114, "Header suffix out of range"},
    {-120, "Numeric data error"},
    {-121, "Invalid character in number"},
    {-123, "Exponent too large"},
    {-124, "Too many digits"},
    {-128, "Numeric data not allowed"},
    {-131, "Invalid suffix"},
    {-134, "Suffix too long"},
    {-138, "Suffix not allowed"},
    {-141, "Invalid character data"},
    {-148, "Character data not allowed"},
    {-150, "String data error"},
    {-158, "String data not allowed"},
    {-168, "Block data not allowed"},
    {-170, "Expression error"},
    {-178, "Expression data not allowed"},
    {-200, "Execution error"},
    {-213, "Init ignored"},
    {-221, "Settings conflict"},
    {-222, "Data out of range"},
    {-224, "Illegal parameter value"},
    {-240, "Hardware error"},
    {kQueueOverflow, "Queue overflow"},
    {-363, "Input buffer overrun"},
    {-400, "Query error"},
    {-410, "Query INTERRUPTED"},
    {-420, "Query UNTERMINATED"},
}};

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
std::string entry(int code, std::string_view detail) {
    std::string text(scpiErrorText(code));
    if (!detail.empty()) text.append("; ").append(detail);
    std::string quoted = std::to_string(code) + ",\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

}  // namespace

std::string_view scpiErrorText(int code) {
    const auto* found = std::find_if(kTexts.begin(), kTexts.end(),
                                     [code](const auto& known) { return known.first == code; });
    return found != kTexts.end() ? found->second : "Error";
}

void ScpiStatus::report(const ScpiError& error) {
    events_ |= eventOf(error.code);
    if (queue_.size() >= kQueueLength) return;
    if (queue_.size() == kQueueLength - 1) {
        events_ |= eventOf(kQueueOverflow);
        queue_.push_back(entry(kQueueOverflow, ""));
        return;
    }
    queue_.push_back(entry(error.code, error.detail));
}

std::string ScpiStatus::nextError() {
    if (queue_.empty()) return entry(0, "");
    std::string oldest = std::move(queue_.front());
    queue_.pop_front();
    return oldest;
}

uint8_t ScpiStatus::takeEvents() {
    return std::exchange(events_, 0);
}

uint8_t ScpiStatus::statusByte() const {
    constexpr uint8_t kErrorQueue = 1 << 2, kEventSummary = 1 << 5, kServiceRequest = 1 << 6;
    uint8_t status = queue_.empty() ? 0 : kErrorQueue;
    if ((events_ & eventEnable) != 0) status |= kEventSummary;
    if ((status & serviceEnable & ~kServiceRequest) != 0) status |= kServiceRequest;
    return status;
}

void ScpiStatus::clear() {
    queue_.clear();
    events_ = 0;
}
