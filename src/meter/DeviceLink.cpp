#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <future>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "meter/MeterLink.h"

namespace {

constexpr int kSliceMs = 100;

// One read of a character device on a thread of its own and a copy of the descriptor, so the
// link can wait for it in slices and leave it behind: a USBTMC read waits for its answer
// within the driver's own timeout, which no signal cuts short.
class BackgroundRead {
public:
    BackgroundRead(int fd, std::size_t size) : buffer_(std::make_shared<std::vector<char>>(size)) {
        const int copy = ::dup(fd);
        if (copy < 0) throw MeterError(std::string("reading failed: ") + std::strerror(errno));
        // The thread keeps its own share of the buffer: the link may be gone before it ends.
        std::packaged_task<long()> task([copy, buffer = buffer_] {
            const ssize_t n = ::read(copy, buffer->data(), buffer->size());
            const int error = errno;
            ::close(copy);
            return n < 0 ? -static_cast<long>(error) : static_cast<long>(n);
        });
        result_ = task.get_future();
        std::thread(std::move(task)).detach();
    }
    // The bytes read, 0 for end of file, -errno for a failure; nothing while it waits.
    std::optional<long> waitFor(std::chrono::milliseconds slice) {
        if (result_.wait_for(slice) != std::future_status::ready) return std::nullopt;
        return result_.get();
    }
    const char* data() const { return buffer_->data(); }

private:
    std::shared_ptr<std::vector<char>> buffer_;
    std::future<long> result_;
};

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
        if (!serial_) return readInBackground(buffer, size);
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, kSliceMs) <= 0) return -1;
        const ssize_t n = ::read(fd_, buffer, size);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) return -1;
        if (n < 0) throw MeterError(std::string("reading failed: ") + std::strerror(errno));
        return n;
    }
    bool wholeReads() const override { return !serial_; }

private:
    // USBTMC's read waits for the answer itself: it goes on in the background while the link
    // waits a slice at a time.
    long readInBackground(char* buffer, std::size_t size) {
        if (!pending_) pending_.emplace(fd_, size);
        const std::optional<long> n = pending_->waitFor(std::chrono::milliseconds(kSliceMs));
        if (!n) return -1;
        if (*n > 0) std::copy_n(pending_->data(), *n, buffer);
        pending_.reset();
        if (*n == -EINTR || *n == -EAGAIN) return -1;
        if (*n < 0)
            throw MeterError(std::string("reading failed: ") +
                             std::strerror(static_cast<int>(-*n)));
        return *n;
    }

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
    std::optional<BackgroundRead> pending_;
};

}  // namespace

std::unique_ptr<MeterLink> deviceLink(const MeterResource& resource) {
    return std::make_unique<DeviceLink>(resource);
}
