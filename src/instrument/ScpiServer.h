#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "instrument/ListenAddress.h"
#include "instrument/PollSource.h"

class ScpiInstrument;

// The instrument on a TCP socket, as lab instruments serve SCPI: one message per line (LF, or
// CR LF), from any number of clients at once. Each message is carried out whole, in the order
// messages arrive, and only at its terminator: a line its client leaves unended when it closes
// or stalls is dropped. A line over kLongestLine is dropped with -363; a client that stalls
// mid-line or stops reading its answers is let go; an idle client holds nothing.
class ScpiServer {
public:
    static constexpr std::size_t kLongestLine = 64 * 1024;
    static constexpr std::chrono::seconds kStallTimeout{5};
    static constexpr int kBacklog = 256;
    // Clients past this many are let go as soon as they connect.
    static constexpr std::size_t kMostClients = 512;

    explicit ScpiServer(ScpiInstrument& instrument);
    ~ScpiServer();
    ScpiServer(const ScpiServer&) = delete;
    ScpiServer& operator=(const ScpiServer&) = delete;

    // Listens there. Throws std::runtime_error saying why it cannot.
    void listen(const ListenAddress& address);
    // "127.0.0.1:5025": where it listens, the port chosen for port 0.
    std::string address() const;
    int port() const;
    // Whether it listens on a loopback address only.
    bool loopbackOnly() const;

    // Serves clients, and also's when given, until stopped() says so; wakeFd, when readable,
    // means it may. A long operation ends within its waits once stopped() says so.
    void serve(int wakeFd, const std::function<bool()>& stopped, PollSource* also = nullptr);

private:
    class Connection;

    void acceptAll(const std::function<bool()>& stopped);

    int listener_ = -1;
    ScpiInstrument& instrument_;
    std::vector<std::unique_ptr<Connection>> connections_;
};
