#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "meter/MeterLink.h"

namespace {

constexpr int kSliceMs = 100;

speed_t speedOf(int baud) {
    switch (baud) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return B9600;
    }
}

// A meter on a character device: USBTMC (each write a message, each read its answer) or a
// serial line, set raw at the resource's speed, 8N1.
class DeviceLink : public MeterLink {
public:
    explicit DeviceLink(const MeterResource& r) : serial_(r.bus == MeterBus::Serial) {
        fd_ = ::open(r.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | (serial_ ? O_NONBLOCK : 0));
        if (fd_ < 0) throw MeterError(r.path + " cannot be opened: " + std::strerror(errno));
        if (serial_) setRaw(r.baud);
    }
    ~DeviceLink() override { ::close(fd_); }
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    void send(const std::string& message) override {
        const std::string line = message + "\n";
        std::size_t done = 0;
        while (done < line.size()) {
            const ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno == EAGAIN) {
                pollfd p{fd_, POLLOUT, 0};
                ::poll(&p, 1, kSliceMs);
                continue;
            }
            if (n <= 0)
                throw MeterError(std::string("it does not take the message: ") +
                                 std::strerror(errno));
            done += static_cast<std::size_t>(n);
        }
    }

    std::string receive(std::chrono::milliseconds timeout, const WaitCheck& check) override {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::string answer;
        char buffer[512];
        while (answer.find('\n') == std::string::npos) {
            if (check) check();
            if (std::chrono::steady_clock::now() >= deadline)
                throw MeterError("no answer within " + std::to_string(timeout.count()) + " ms");
            pollfd p{fd_, POLLIN, 0};
            // USBTMC's read waits for the answer itself, within the driver's own timeout.
            if (serial_ && ::poll(&p, 1, kSliceMs) <= 0) continue;
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n < 0) throw MeterError(std::string("reading failed: ") + std::strerror(errno));
            if (n == 0) throw MeterError("the meter went away");
            answer.append(buffer, static_cast<std::size_t>(n));
            // USBTMC ends a message with the transfer, not always with a line end.
            if (!serial_) break;
            if (answer.size() > kLongestAnswer) throw MeterError("an answer without an end");
        }
        const std::size_t end = answer.find_first_of("\r\n");
        if (end != std::string::npos) answer.erase(end);
        return answer;
    }

private:
    void setRaw(int baud) const {
        termios t{};
        if (::tcgetattr(fd_, &t) != 0) return;  // not a terminal: an emulated line
        ::cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        ::cfsetispeed(&t, speedOf(baud));
        ::cfsetospeed(&t, speedOf(baud));
        ::tcsetattr(fd_, TCSANOW, &t);
    }

    int fd_ = -1;
    bool serial_;
};

}  // namespace

std::unique_ptr<MeterLink> deviceLink(const MeterResource& resource) {
    return std::make_unique<DeviceLink>(resource);
}
