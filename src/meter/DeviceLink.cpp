#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "meter/MeterLink.h"

namespace {

constexpr int kSliceMs = 100;

// The termios speed of one of kSerialSpeeds.
speed_t speedOf(int baud) {
    constexpr std::array<speed_t, kSerialSpeeds.size()> speeds{B1200,  B2400,  B4800,  B9600,
                                                               B19200, B38400, B57600, B115200};
    const auto at = std::find(kSerialSpeeds.begin(), kSerialSpeeds.end(), baud);
    return speeds[static_cast<std::size_t>(at - kSerialSpeeds.begin())];
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

protected:
    long readSome(char* buffer, std::size_t size) override {
        pollfd p{fd_, POLLIN, 0};
        // USBTMC's read waits for the answer itself, within the driver's own timeout.
        if (serial_ && ::poll(&p, 1, kSliceMs) <= 0) return -1;
        const ssize_t n = ::read(fd_, buffer, size);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) return -1;
        if (n < 0) throw MeterError(std::string("reading failed: ") + std::strerror(errno));
        return n;
    }
    bool wholeReads() const override { return !serial_; }

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
