#pragma once

#include <cstddef>
#include <optional>
#include <string>

// Reading a batch, bounded: a file is read whole before anything runs, a pipe or a terminal
// one line at a time as the lines arrive. Whatever cannot be read, or is larger than the
// bounds, throws BadInput with what happened.

inline constexpr std::size_t kBatchFileLimit = std::size_t{1} << 20;
inline constexpr std::size_t kBatchLineLimit = 4096;

// "line 7 is longer than 4096 characters"
std::string batchLineTooLong(int number);

// The whole file at path ("" for standard input), at most kBatchFileLimit bytes. A FIFO is
// refused at once: its writer may never come.
std::string readBatchFile(const std::string& path);

// True when standard input is a pipe, a terminal or a socket rather than a file: its lines
// are run as they come.
bool standardInputIsStream();

// The lines of a file descriptor as they arrive, each at most kBatchLineLimit characters.
class LineReader {
public:
    explicit LineReader(int fd) : fd_(fd) {}

    // The next line without its end, or nothing at the end of the input or when a stop signal
    // came while waiting. A line too long is skipped to its end and throws BadInput.
    std::optional<std::string> next();
    // The number of the line next() gave last, from 1.
    int number() const { return number_; }

private:
    bool fill();

    int fd_;
    std::string buffer_;
    bool ended_ = false;
    bool skipping_ = false;    // the rest of a line too long
    std::size_t skipped_ = 0;  // of it so far
    int number_ = 0;
};
