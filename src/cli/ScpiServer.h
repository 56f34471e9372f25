#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class ScpiInstrument;

// The instrument on a TCP socket, as lab instruments serve SCPI: one message per line (LF, or
// CR LF), one client at a time. A second client waits until the first has gone; a line over
// kLongestLine is dropped with -363; a client that stalls mid-line or stops reading its
// answers is let go, so it never holds the board from the next.
class ScpiServer {
public:
    static constexpr std::size_t kLongestLine = 64 * 1024;
    static constexpr std::chrono::seconds kStallTimeout{5};

    explicit ScpiServer(ScpiInstrument& instrument) : instrument_(instrument) {}
    ~ScpiServer();
    ScpiServer(const ScpiServer&) = delete;
    ScpiServer& operator=(const ScpiServer&) = delete;

    // Listens on "ADDRESS:PORT" ("127.0.0.1:5025", "[::1]:5025", "0.0.0.0:5025"; port 0: any
    // free one). Throws std::runtime_error saying why it cannot.
    void listen(std::string_view address);
    // "127.0.0.1:5025": where it listens, the port chosen for port 0.
    std::string address() const;

    // Serves clients until stopped() says so; wakeFd, when readable, means it may.
    void serve(int wakeFd, const std::function<bool()>& stopped);

private:
    class Connection;

    int listener_ = -1;
    ScpiInstrument& instrument_;
};
