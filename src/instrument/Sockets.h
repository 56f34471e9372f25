#pragma once

#include <sys/socket.h>

#include <span>
#include <string>
#include <string_view>

#include "instrument/ListenAddress.h"

// What the servers' TCP sockets share: their options and their addresses.

void setSocketOption(int fd, int level, int name, int value);
void nonBlocking(int fd);
// Set on each client: no delay for small answers, and a client that vanishes without a word
// (a cable pulled) is noticed within half a minute.
void tuneClientSocket(int fd);
// A non-blocking socket listening there. Throws std::runtime_error saying why it cannot.
int listenSocket(const ListenAddress& address, int backlog);
// "127.0.0.1:5025" or "[::1]:5025".
std::string addressText(const sockaddr_storage& address, socklen_t length);
std::string localName(int fd);
std::string peerName(int fd);
// The port a socket is bound to.
int localPort(int fd);
// Whether a listening socket is bound to a loopback address only.
bool loopbackOnly(int fd);
// Whether the peer has closed its side or the connection broke.
bool peerGone(int fd);
// What has come, without waiting: the number of bytes put in into, 0 when nothing has come
// yet, -1 when the peer has closed its side or the connection broke.
long receiveSome(int fd, std::span<char> into);
// Sends bytes from sent on, as far as the peer takes them without waiting; sent moves on.
// False when the connection broke.
bool sendSome(int fd, std::string_view bytes, std::size_t& sent);
