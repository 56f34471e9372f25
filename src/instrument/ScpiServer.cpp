#include "instrument/ScpiServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <utility>

#include "instrument/ScpiInstrument.h"
#include "scpi/LineFramer.h"

namespace {

using Clock = std::chrono::steady_clock;

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

void nonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// "127.0.0.1:5025" or "[::1]:5025".
std::string addressText(const sockaddr_storage& address, socklen_t length) {
    std::array<char, NI_MAXHOST> host{};
    std::array<char, NI_MAXSERV> port{};
    ::getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host.data(), host.size(),
                  port.data(), port.size(), NI_NUMERICHOST | NI_NUMERICSERV);
    const std::string name = host.data();
    const bool v6 = name.find(':') != std::string::npos;
    return (v6 ? "[" + name + "]" : name) + ":" + port.data();
}

std::string peerName(int fd) {
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length);
    return addressText(peer, length);
}

}  // namespace

// One client: the bytes of its line so far, and the part of its answer it has not taken yet.
class ScpiServer::Connection {
public:
    Connection(int fd, ScpiInstrument& instrument, const std::function<bool()>& stopped)
        : fd_(fd), instrument_(instrument) {
        nonBlocking(fd_);
        setOption(fd_, IPPROTO_TCP, TCP_NODELAY, 1);
        // A fixed send buffer: an answer the client does not read stays pending here, where a
        // new message can tell it was never taken.
        setOption(fd_, SOL_SOCKET, SO_SNDBUF, 64 * 1024);
        keepAlive(fd_);
        client_.name = peerName(fd_);
        client_.checkpoint = [this, &stopped] {
            if (stopped() || gone()) throw Cancelled{};
        };
    }
    ~Connection() {
        instrument_.forget(client_);
        ::close(fd_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool open() const { return open_; }
    pollfd pollEntry() const {
        short events = inputEnded_ ? 0 : POLLIN;
        if (pending()) events |= POLLOUT;
        return {fd_, events, 0};
    }
    // When the client has let its line or its answer wait too long.
    std::optional<Clock::time_point> deadline() const {
        if (!framer_.midLine() && !pending()) return std::nullopt;
        return lastProgress_ + kStallTimeout;
    }

    void onReady(short revents) {
        if ((revents & POLLOUT) != 0) send();
        if ((revents & (POLLIN | POLLHUP | POLLERR)) != 0 && open_ && !inputEnded_) receive();
        if (inputEnded_ && !pending()) open_ = false;
    }

    // The client let its line or its answer wait past the deadline: it is let go, and a line
    // it never ended is not carried out.
    void onStall() { open_ = false; }

private:
    bool pending() const { return sent_ < answer_.size(); }

    // Whether the client has closed its side or the connection broke.
    bool gone() const {
        pollfd entry{fd_, POLLRDHUP, 0};
        return ::poll(&entry, 1, 0) > 0 && (entry.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
    }

    void receive() {
        std::array<char, 16384> bytes{};
        const ssize_t got = ::recv(fd_, bytes.data(), bytes.size(), 0);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
        if (got <= 0) {
            endOfInput();
            return;
        }
        // Acknowledged at once: a client that writes and then queries has its second write
        // held by Nagle's algorithm until this acknowledgement arrives.
        setOption(fd_, IPPROTO_TCP, TCP_QUICKACK, 1);
        lastProgress_ = Clock::now();
        take(std::string_view(bytes.data(), static_cast<std::size_t>(got)));
    }

    void take(std::string_view bytes) {
        framer_.take(
            bytes,
            [this](std::string_view line) {
                run(line);
                return open_;
            },
            [this] {
                client_.status.report(
                    {kInputBufferOverrun,
                     "a line over " + std::to_string(kLongestLine) + " bytes was dropped"});
            });
    }

    // The client closed its side or the connection broke: a line it left unended is no
    // message and is dropped.
    void endOfInput() {
        inputEnded_ = true;
        framer_ = LineFramer(kLongestLine);
    }

    void run(std::string_view line) {
        if (pending()) {
            // A new message before the last answer was taken: that answer is gone.
            client_.status.report(
                {kQueryInterrupted, "a new message came before the answer was read"});
        }
        answer_.clear();
        sent_ = 0;
        try {
            answer_ = instrument_.execute(line, client_);
        } catch (const Cancelled&) {
            open_ = false;
            return;
        }
        send();
    }

    // Sends what the client can take of the answer, from where the last send stopped.
    void send() {
        while (pending()) {
            const ssize_t sent = ::send(fd_, answer_.data() + sent_, answer_.size() - sent_,
                                        MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent < 0 && errno == EINTR) continue;
            if (sent < 0 && errno == EAGAIN) return;
            if (sent < 0) {
                open_ = false;  // the client has gone
                break;
            }
            sent_ += static_cast<std::size_t>(sent);
            lastProgress_ = Clock::now();
        }
        answer_.clear();
        answer_.shrink_to_fit();
        sent_ = 0;
    }

    int fd_;
    ScpiInstrument& instrument_;
    ScpiClient client_;
    LineFramer framer_{kLongestLine};
    std::string answer_;
    std::size_t sent_ = 0;  // how much of the answer has gone
    bool inputEnded_ = false;
    bool open_ = true;
    Clock::time_point lastProgress_ = Clock::now();
};

ScpiServer::ScpiServer(ScpiInstrument& instrument) : instrument_(instrument) {}

ScpiServer::~ScpiServer() {
    connections_.clear();
    if (listener_ >= 0) ::close(listener_);
}

void ScpiServer::listen(const ListenAddress& address) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(address.port);
    if (const int problem = ::getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found))
        throw std::runtime_error(address.host + ": " + ::gai_strerror(problem));
    std::string reason;
    for (const addrinfo* a = found; a != nullptr && listener_ < 0; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        setOption(fd, SOL_SOCKET, SO_REUSEADDR, 1);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, kBacklog) == 0) {
            nonBlocking(fd);
            listener_ = fd;
            break;
        }
        reason = std::strerror(errno);
        ::close(fd);
    }
    ::freeaddrinfo(found);
    if (listener_ < 0) throw std::runtime_error(address.host + ":" + port + ": " + reason);
}

std::string ScpiServer::address() const {
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&bound), &length);
    return addressText(bound, length);
}

bool ScpiServer::loopbackOnly() const {
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&bound), &length);
    if (bound.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(bound);
        return (ntohl(v4.sin_addr.s_addr) >> 24) == 127;
    }
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(bound);
    if (IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr)) return v6.sin6_addr.s6_addr[12] == 127;
    return IN6_IS_ADDR_LOOPBACK(&v6.sin6_addr);
}

void ScpiServer::acceptAll(const std::function<bool()>& stopped) {
    for (;;) {
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) return;
        if (connections_.size() >= kMostClients) {
            ::close(client);
            continue;
        }
        connections_.push_back(std::make_unique<Connection>(client, instrument_, stopped));
    }
}

void ScpiServer::serve(int wakeFd, const std::function<bool()>& stopped) {
    std::vector<pollfd> fds;
    while (!stopped()) {
        fds = {{listener_, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        std::optional<Clock::time_point> soonest;
        for (const auto& connection : connections_) {
            fds.push_back(connection->pollEntry());
            if (const auto deadline = connection->deadline())
                soonest = std::min(soonest.value_or(*deadline), *deadline);
        }
        int timeout = -1;
        if (soonest) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*soonest - Clock::now());
            timeout = static_cast<int>(std::max<int64_t>(left.count(), 0));
        }
        if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) return;
        const Clock::time_point now = Clock::now();
        for (std::size_t i = 0; i < connections_.size() && !stopped(); ++i) {
            Connection& connection = *connections_[i];
            if (fds[i + 2].revents != 0) connection.onReady(fds[i + 2].revents);
            const auto deadline = connection.deadline();
            if (connection.open() && deadline && *deadline <= now) connection.onStall();
        }
        std::erase_if(connections_, [](const auto& connection) { return !connection->open(); });
        if ((fds[0].revents & POLLIN) != 0 && !stopped()) acceptAll(stopped);
    }
}
