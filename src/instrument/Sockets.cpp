#include "instrument/Sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

void setSocketOption(int fd, int level, int name, int value) {
    ::setsockopt(fd, level, name, &value, sizeof value);
}

void nonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

void tuneClientSocket(int fd) {
    nonBlocking(fd);
    setSocketOption(fd, IPPROTO_TCP, TCP_NODELAY, 1);
    setSocketOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
    setSocketOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, 10);
    setSocketOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, 5);
    setSocketOption(fd, IPPROTO_TCP, TCP_KEEPCNT, 3);
}

int listenSocket(const ListenAddress& address, int backlog) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(address.port);
    if (const int problem = ::getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found))
        throw std::runtime_error(address.host + ": " + ::gai_strerror(problem));
    std::string reason;
    int listener = -1;
    for (const addrinfo* a = found; a != nullptr && listener < 0; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        setSocketOption(fd, SOL_SOCKET, SO_REUSEADDR, 1);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, backlog) == 0) {
            nonBlocking(fd);
            listener = fd;
            break;
        }
        reason = std::strerror(errno);
        ::close(fd);
    }
    ::freeaddrinfo(found);
    if (listener < 0) throw std::runtime_error(address.host + ":" + port + ": " + reason);
    return listener;
}

std::string addressText(const sockaddr_storage& address, socklen_t length) {
    std::array<char, NI_MAXHOST> host{};
    std::array<char, NI_MAXSERV> port{};
    ::getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host.data(), host.size(),
                  port.data(), port.size(), NI_NUMERICHOST | NI_NUMERICSERV);
    const std::string name = host.data();
    const bool v6 = name.find(':') != std::string::npos;
    return (v6 ? "[" + name + "]" : name) + ":" + port.data();
}

namespace {

sockaddr_storage localAddress(int fd) {
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    return bound;
}

}  // namespace

std::string localName(int fd) {
    const sockaddr_storage bound = localAddress(fd);
    return addressText(bound, sizeof bound);
}

std::string peerName(int fd) {
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length);
    return addressText(peer, length);
}

int localPort(int fd) {
    const sockaddr_storage bound = localAddress(fd);
    if (bound.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(bound).sin_port);
    return ntohs(reinterpret_cast<const sockaddr_in6&>(bound).sin6_port);
}

bool loopbackOnly(int fd) {
    const sockaddr_storage bound = localAddress(fd);
    if (bound.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(bound);
        return (ntohl(v4.sin_addr.s_addr) >> 24) == 127;
    }
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(bound);
    if (IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr)) return v6.sin6_addr.s6_addr[12] == 127;
    return IN6_IS_ADDR_LOOPBACK(&v6.sin6_addr);
}

bool peerGone(int fd) {
    pollfd entry{fd, POLLRDHUP, 0};
    return ::poll(&entry, 1, 0) > 0 && (entry.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

long receiveSome(int fd, std::span<char> into) {
    const ssize_t got = ::recv(fd, into.data(), into.size(), 0);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
    return got > 0 ? got : -1;
}

bool sendSome(int fd, std::string_view bytes, std::size_t& sent) {
    while (sent < bytes.size()) {
        const ssize_t n =
            ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno == EAGAIN;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}
