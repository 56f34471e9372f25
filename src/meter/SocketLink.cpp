#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "meter/MeterLink.h"

namespace {

constexpr int kSliceMs = 100;
constexpr int kSendMs = 1000;

// A LAN meter's raw SCPI socket, waited on a slice at a time. A meter that takes its time
// over a reading is no fault, so a slice that passes in silence says nothing.
class SocketLink : public MeterLink {
public:
    SocketLink(const MeterResource& r, std::chrono::milliseconds timeout, const WaitCheck& check) {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (::getaddrinfo(r.host.c_str(), std::to_string(r.port).c_str(), &hints, &found) != 0)
            throw MeterError("no host is known as " + r.host);
        const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> hold(found, ::freeaddrinfo);
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (const addrinfo* a = found; a && fd_ < 0; a = a->ai_next)
            connectTo(*a, deadline, check);
        if (fd_ < 0)
            throw MeterError("no meter answers at " + r.host + " port " + std::to_string(r.port) +
                             ": " + std::strerror(error_));
    }
    ~SocketLink() override {
        if (fd_ >= 0) ::close(fd_);
    }
    SocketLink(const SocketLink&) = delete;
    SocketLink& operator=(const SocketLink&) = delete;

    void send(const std::string& message) override {
        const std::string line = message + "\n";
        std::size_t done = 0;
        while (done < line.size()) {
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, kSendMs) <= 0) throw MeterError("it does not take the message");
            // A meter that has closed its end must not raise SIGPIPE and end the program.
            const ssize_t n =
                ::send(fd_, line.data() + done, line.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n < 0)
                throw MeterError(std::string("it does not take the message: ") +
                                 std::strerror(errno));
            done += static_cast<std::size_t>(n);
        }
    }

protected:
    long readSome(char* buffer, std::size_t size) override {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, kSliceMs) <= 0) return -1;
        const ssize_t n = ::recv(fd_, buffer, size, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) return -1;
        if (n < 0) throw MeterError(std::string("reading failed: ") + std::strerror(errno));
        return n;
    }
    bool wholeReads() const override { return false; }

private:
    // A connection to one of the host's addresses by the deadline, or the reason in error_;
    // the wait is sliced, so a stop is seen while a host is silent.
    void connectTo(const addrinfo& a, std::chrono::steady_clock::time_point deadline,
                   const WaitCheck& check) {
        const int fd = ::socket(a.ai_family, a.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            error_ = errno;
            return;
        }
        if (::connect(fd, a.ai_addr, a.ai_addrlen) != 0 && errno != EINPROGRESS) {
            error_ = errno;
            ::close(fd);
            return;
        }
        int result = ETIMEDOUT;
        socklen_t size = sizeof result;
        try {
            if (writableBy(fd, deadline, check))
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &size);
        } catch (...) {
            ::close(fd);
            throw;
        }
        if (result != 0) {
            error_ = result;
            ::close(fd);
            return;
        }
        fd_ = fd;
    }

    static bool writableBy(int fd, std::chrono::steady_clock::time_point deadline,
                           const WaitCheck& check) {
        for (;;) {
            if (check) check();
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, kSliceMs) == 1) return true;
            if (std::chrono::steady_clock::now() >= deadline) return false;
        }
    }

    int fd_ = -1;
    int error_ = ETIMEDOUT;
};

}  // namespace

std::unique_ptr<MeterLink> socketLink(const MeterResource& resource,
                                      std::chrono::milliseconds timeout, const WaitCheck& check) {
    return std::make_unique<SocketLink>(resource, timeout, check);
}
