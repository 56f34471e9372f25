#include "instrument/ScpiServer.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>
#include <utility>

#include "instrument/ScpiInstrument.h"
#include "instrument/Sockets.h"
#include "scpi/LineFramer.h"

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

// One client: the bytes of its line so far, and the part of its answer it has not taken yet.
class ScpiServer::Connection {
public:
    Connection(int fd, ScpiInstrument& instrument, const std::function<bool()>& stopped)
        : fd_(fd), instrument_(instrument) {
        tuneClientSocket(fd_);
        // A fixed send buffer: an answer the client does not read stays pending here, where a
        // new message can tell it was never taken.
        setSocketOption(fd_, SOL_SOCKET, SO_SNDBUF, 64 * 1024);
        client_.name = peerName(fd_);
        client_.checkpoint = [this, &stopped] {
            if (stopped() || peerGone(fd_)) throw Cancelled{};
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

    void receive() {
        std::array<char, 16384> bytes{};
        const long got = receiveSome(fd_, bytes);
        if (got == 0) return;
        if (got < 0) {
            endOfInput();
            return;
        }
        // Acknowledged at once: a client that writes and then queries has its second write
        // held by Nagle's algorithm until this acknowledgement arrives.
        setSocketOption(fd_, IPPROTO_TCP, TCP_QUICKACK, 1);
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
        const std::size_t before = sent_;
        if (!sendSome(fd_, answer_, sent_)) open_ = false;  // the client has gone
        if (sent_ != before) lastProgress_ = Clock::now();
        if (pending() && open_) return;
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
    listener_ = listenSocket(address, kBacklog);
}

std::string ScpiServer::address() const {
    return localName(listener_);
}

int ScpiServer::port() const {
    return localPort(listener_);
}

bool ScpiServer::loopbackOnly() const {
    return ::loopbackOnly(listener_);
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

void ScpiServer::serve(int wakeFd, const std::function<bool()>& stopped, PollSource* also) {
    std::vector<pollfd> fds;
    while (!stopped()) {
        fds = {{listener_, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        std::optional<Clock::time_point> soonest;
        for (const auto& connection : connections_) {
            fds.push_back(connection->pollEntry());
            if (const auto deadline = connection->deadline())
                soonest = std::min(soonest.value_or(*deadline), *deadline);
        }
        const std::size_t ours = fds.size();
        if (also != nullptr) also->watch(fds, soonest);
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
        if (also != nullptr && !stopped()) also->handle(std::span(fds).subspan(ours), now);
    }
}
