#include "cli/BatchInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

#include "cli/StopSignals.h"
#include "cli/ValueReading.h"

namespace {

std::string nameOf(const std::string& path) {
    return path.empty() ? "standard input" : path;
}

// Reads into text until the end or a byte past limit; false with errno on a failed read.
bool readUpTo(int fd, std::string& text, std::size_t limit) {
    std::array<char, 65536> chunk{};
    while (text.size() <= limit) {
        const ssize_t got = ::read(fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        text.append(chunk.data(), static_cast<std::size_t>(got));
    }
    return true;
}

}  // namespace

std::string batchLineTooLong(int number) {
    return "line " + std::to_string(number) + " is longer than " + std::to_string(kBatchLineLimit) +
           " characters";
}

std::string readBatchFile(const std::string& path) {
    // Opened without blocking, so a FIFO with no writer does not hold the run up: it is
    // refused at once.
    const int fd =
        path.empty() ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw BadInput("cannot read " + path + ": " + std::strerror(errno));
    struct stat file {};
    if (fd != STDIN_FILENO && ::fstat(fd, &file) == 0 && S_ISFIFO(file.st_mode)) {
        ::close(fd);
        throw BadInput(path + " is a FIFO: give it on standard input (xt4830ctl batch < " + path +
                       ")");
    }
    if (fd != STDIN_FILENO) ::fcntl(fd, F_SETFL, 0);
    std::string text;
    const bool read = readUpTo(fd, text, kBatchFileLimit);
    const int error = errno;
    if (fd != STDIN_FILENO) ::close(fd);
    if (!read) throw BadInput("cannot read " + nameOf(path) + ": " + std::strerror(error));
    if (text.size() > kBatchFileLimit) {
        throw BadInput(nameOf(path) + " is larger than a batch may be (" +
                       std::to_string(kBatchFileLimit) +
                       " bytes): split it, or give it on standard input through a pipe");
    }
    return text;
}

bool standardInputIsStream() {
    struct stat input {};
    return ::fstat(STDIN_FILENO, &input) != 0 || !S_ISREG(input.st_mode);
}

bool LineReader::fill() {
    if (ended_ || !waitForInput(fd_)) return false;
    std::array<char, 4096> chunk{};
    ssize_t got = -1;
    do {
        got = ::read(fd_, chunk.data(), chunk.size());
    } while (got < 0 && errno == EINTR);
    if (got < 0) throw BadInput("cannot read standard input: " + std::string(std::strerror(errno)));
    ended_ = got == 0;
    buffer_.append(chunk.data(), static_cast<std::size_t>(got));
    return true;
}

std::optional<std::string> LineReader::next() {
    for (;;) {
        const std::size_t end = buffer_.find('\n');
        if (skipping_) {
            skipped_ += end == std::string::npos ? buffer_.size() : end;
            buffer_.erase(0, end == std::string::npos ? buffer_.size() : end + 1);
            skipping_ = end == std::string::npos;
            // A line that never ends counts as another bad line at each bound passed.
            if (skipping_ && skipped_ > kBatchLineLimit) {
                skipped_ = 0;
                throw BadInput(batchLineTooLong(number_));
            }
            if (skipping_ && !fill()) return std::nullopt;
            continue;
        }
        if (end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            ++number_;
            if (line.size() > kBatchLineLimit) throw BadInput(batchLineTooLong(number_));
            return line;
        }
        if (buffer_.size() > kBatchLineLimit) {
            skipping_ = true;
            skipped_ = 0;
            throw BadInput(batchLineTooLong(++number_));
        }
        if (ended_) {
            if (buffer_.empty()) return std::nullopt;
            ++number_;
            return std::exchange(buffer_, {});
        }
        if (!fill()) return std::nullopt;
    }
}
