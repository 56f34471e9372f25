#include "meter/MeterLink.h"

#include <array>

std::string MeterLink::receive(std::chrono::milliseconds timeout, const WaitCheck& check) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string answer;
    std::array<char, 512> buffer{};
    // Each wait is a slice, with a check between, so a stop signal is seen within 0.1 s.
    for (;;) {
        if (check) check();
        if (std::chrono::steady_clock::now() >= deadline)
            throw MeterError("no answer within " + std::to_string(timeout.count()) + " ms");
        const long n = readSome(buffer.data(), buffer.size());
        if (n == 0) throw MeterError("the meter went away");
        if (n > 0) answer.append(buffer.data(), static_cast<std::size_t>(n));
        if (answer.size() > kLongestAnswer) throw MeterError("an answer without an end");
        if (answer.find('\n') != std::string::npos || (n > 0 && wholeReads())) break;
    }
    const std::size_t end = answer.find_first_of("\r\n");
    if (end != std::string::npos) answer.erase(end);
    return answer;
}
