#include "FreePort.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

int freeLoopbackPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    const bool bound = s >= 0 && ::bind(s, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
                       ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    if (s >= 0) ::close(s);
    if (!bound) throw std::runtime_error("no loopback port to be had");
    return ntohs(address.sin_port);
}
