#include "cli/ScpiServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <utility>

#include "cli/ScpiInstrument.h"
#include "cli/StopSignals.h"

namespace {

using Clock = std::chrono::steady_clock;

// "HOST:PORT" into its parts; "[::1]:5025" gives "::1".
std::pair<std::string, std::string> hostAndPort(std::string_view address) {
    const std::size_t colon = address.rfind(':');
    if (colon == std::string_view::npos || colon + 1 == address.size())
        throw std::runtime_error("give the address as ADDRESS:PORT, e.g. 127.0.0.1:5025");
    std::string_view host = address.substr(0, colon);
    if (host.starts_with('[') && host.ends_with(']')) host = host.substr(1, host.size() - 2);
    return {std::string(host), std::string(address.substr(colon + 1))};
}

void setOption(int fd, int level, int name, int value) {
    ::setsockopt(fd, level, name, &value, sizeof value);
}

// A client that vanishes without a word (a cable pulled) is noticed within half a minute.
void keepAlive(int fd) {
    setOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
    setOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, 10);
    setOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, 5);
    setOption(fd, IPPROTO_TCP, TCP_KEEPCNT, 3);
}

int pollTimeout(std::optional<Clock::time_point> deadline) {
    if (!deadline) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
    return static_cast<int>(std::max<int64_t>(left.count(), 0));
}

}  // namespace

// One client: the bytes of its line so far, and the answer it has not taken yet.
class ScpiServer::Connection {
public:
    Connection(int fd, ScpiInstrument& instrument) : fd_(fd), instrument_(instrument) {
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
        setOption(fd_, IPPROTO_TCP, TCP_NODELAY, 1);
        // A fixed send buffer: an answer the client does not read stays pending here, where a
        // new message can tell it was never taken.
        setOption(fd_, SOL_SOCKET, SO_SNDBUF, 64 * 1024);
        keepAlive(fd_);
    }
    ~Connection() { ::close(fd_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool open() const { return open_; }
    pollfd pollEntry() const {
        short events = inputEnded_ ? 0 : POLLIN;
        if (!answer_.empty()) events |= POLLOUT;
        return {fd_, events, 0};
    }
    // When the client has let its line or its answer wait too long.
    std::optional<Clock::time_point> deadline() const {
        if (line_.empty() && !overrun_ && answer_.empty()) return std::nullopt;
        return lastProgress_ + kStallTimeout;
    }

    void onReady(short revents) {
        if ((revents & POLLOUT) != 0) send();
        if ((revents & (POLLIN | POLLHUP | POLLERR)) != 0 && open_ && !inputEnded_) receive();
        if (inputEnded_ && answer_.empty()) open_ = false;
    }

    // The client let its line or its answer wait past the deadline: a query it never ended
    // cannot be answered; either way it is let go.
    void onStall() {
        if (line_.find('?') != std::string::npos)
            instrument_.status().report({-420, "the line was not ended within 5 s"});
        open_ = false;
    }

private:
    void receive() {
        std::array<char, 16384> bytes{};
        const ssize_t got = ::recv(fd_, bytes.data(), bytes.size(), 0);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
        if (got <= 0) {
            endOfInput(got == 0);
            return;
        }
        lastProgress_ = Clock::now();
        take(std::string_view(bytes.data(), static_cast<std::size_t>(got)));
    }

    void take(std::string_view bytes) {
        while (!bytes.empty() && open_) {
            const std::size_t end = bytes.find('\n');
            const std::string_view part = bytes.substr(0, end);
            if (!overrun_) line_.append(part);
            if (line_.size() > kLongestLine) {
                instrument_.status().report(
                    {-363, "a line over " + std::to_string(kLongestLine) + " bytes was dropped"});
                line_.clear();
                overrun_ = true;
            }
            if (end == std::string_view::npos) return;
            bytes.remove_prefix(end + 1);
            if (!std::exchange(overrun_, false)) run();
            line_.clear();
        }
    }

    // The peer closed its side (at = true) or the connection broke: a line it ended with
    // the close is a message too, as END ends one on the instrument bus.
    void endOfInput(bool closed) {
        inputEnded_ = true;
        if (!closed) {
            open_ = false;
            return;
        }
        if (!overrun_ && !line_.empty()) run();
        line_.clear();
    }

    void run() {
        if (!line_.empty() && line_.back() == '\r') line_.pop_back();
        if (!answer_.empty()) {
            // A new message before the last answer was taken: that answer is gone.
            answer_.clear();
            instrument_.status().report({-410, "a new message came before the answer was read"});
        }
        answer_ = instrument_.execute(line_);
        send();
    }

    void send() {
        while (!answer_.empty()) {
            const ssize_t sent =
                ::send(fd_, answer_.data(), answer_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent < 0 && errno == EINTR) continue;
            if (sent < 0 && errno == EAGAIN) return;
            if (sent < 0) {
                open_ = false;  // the client has gone
                answer_.clear();
                return;
            }
            answer_.erase(0, static_cast<std::size_t>(sent));
            lastProgress_ = Clock::now();
        }
    }

    int fd_;
    ScpiInstrument& instrument_;
    std::string line_;
    std::string answer_;
    bool overrun_ = false;  // the line went past the limit: the rest of it is dropped
    bool inputEnded_ = false;
    bool open_ = true;
    Clock::time_point lastProgress_ = Clock::now();
};

ScpiServer::~ScpiServer() {
    if (listener_ >= 0) ::close(listener_);
}

void ScpiServer::listen(std::string_view address) {
    const auto [host, port] = hostAndPort(address);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (const int problem = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found))
        throw std::runtime_error(std::string(address) + ": " + ::gai_strerror(problem));
    std::string reason;
    for (const addrinfo* a = found; a != nullptr && listener_ < 0; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        setOption(fd, SOL_SOCKET, SO_REUSEADDR, 1);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, 8) == 0) {
            listener_ = fd;
            break;
        }
        reason = std::strerror(errno);
        ::close(fd);
    }
    ::freeaddrinfo(found);
    if (listener_ < 0) throw std::runtime_error(std::string(address) + ": " + reason);
}

std::string ScpiServer::address() const {
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&bound), &length);
    std::array<char, NI_MAXHOST> host{};
    std::array<char, NI_MAXSERV> port{};
    ::getnameinfo(reinterpret_cast<sockaddr*>(&bound), length, host.data(), host.size(),
                  port.data(), port.size(), NI_NUMERICHOST | NI_NUMERICSERV);
    const std::string name = host.data();
    const bool v6 = name.find(':') != std::string::npos;
    return (v6 ? "[" + name + "]" : name) + ":" + port.data();
}

void ScpiServer::serve(int wakeFd, const std::function<bool()>& stopped) {
    try {
        while (!stopped()) {
            std::array<pollfd, 2> fds{{{listener_, POLLIN, 0}, {wakeFd, POLLIN, 0}}};
            if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return;
            if ((fds[0].revents & POLLIN) == 0 || stopped()) continue;
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            Connection connection(client, instrument_);
            while (connection.open() && !stopped()) {
                std::array<pollfd, 2> both{{connection.pollEntry(), {wakeFd, POLLIN, 0}}};
                const int ready =
                    ::poll(both.data(), both.size(), pollTimeout(connection.deadline()));
                if (ready < 0 && errno != EINTR) break;
                if (ready == 0) connection.onStall();
                if (ready > 0) connection.onReady(both[0].revents);
            }
        }
    } catch (const Stopped&) {
        // A stop signal in the middle of a sweep: the server ends like any other stop.
    }
}
