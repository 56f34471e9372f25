#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Cuts a client's bytes into program messages: lines ended by LF (a CR before it is dropped).
// A line longer than the limit is dropped whole and reported once. A message is complete only
// at its terminator: what comes after the last one waits for more bytes.
class LineFramer {
public:
    explicit LineFramer(std::size_t longest) : longest_(longest) {}

    // Gives each line the bytes end to onLine, which says whether to go on with the rest;
    // onOverrun hears of each line dropped for its length.
    void take(std::string_view bytes, const std::function<bool(std::string_view)>& onLine,
              const std::function<void()>& onOverrun);
    // Whether part of a line has come without its end.
    bool midLine() const { return !line_.empty() || overrun_; }

private:
    std::size_t longest_;
    std::string line_;
    bool overrun_ = false;  // the line went past the limit: the rest of it is dropped
};
