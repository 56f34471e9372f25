#include <lxi.h>
#include <csignal>

#include "meter/MeterLink.h"

namespace {

constexpr int kSliceMs = 100;

// A LAN meter through liblxi: a raw SCPI socket or VXI-11.
class LxiLink : public MeterLink {
public:
    LxiLink(const MeterResource& r, std::chrono::milliseconds timeout) {
        static const int initialised = lxi_init();
        (void)initialised;
        const bool raw = r.bus == MeterBus::Socket;
        device_ = lxi_connect(r.host.c_str(), raw ? r.port : 0, r.name.c_str(),
                              static_cast<int>(timeout.count()), raw ? RAW : VXI11);
        if (device_ == LXI_ERROR) throw MeterError("no meter answers at " + r.host);
    }
    ~LxiLink() override { lxi_disconnect(device_); }
    LxiLink(const LxiLink&) = delete;
    LxiLink& operator=(const LxiLink&) = delete;

    void send(const std::string& message) override {
        const std::string line = message + "\n";
        if (sendQuietly(line) != static_cast<int>(line.size())) {
            throw MeterError("it does not take the message (gone away?)");
        }
    }

    std::string receive(std::chrono::milliseconds timeout, const WaitCheck& check) override {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::string answer;
        char buffer[512];
        // A wait that times out takes nothing, so it is done in slices with a check between.
        while (answer.find('\n') == std::string::npos) {
            if (check) check();
            if (std::chrono::steady_clock::now() >= deadline)
                throw MeterError("no answer within " + std::to_string(timeout.count()) + " ms");
            const int n = lxi_receive(device_, buffer, sizeof buffer, kSliceMs);
            if (n == 0) throw MeterError("the meter closed the connection");
            if (n > 0) answer.append(buffer, static_cast<std::size_t>(n));
            if (answer.size() > kLongestAnswer) throw MeterError("an answer without an end");
        }
        answer.erase(answer.find('\n'));
        if (!answer.empty() && answer.back() == '\r') answer.pop_back();
        return answer;
    }

private:
    // A meter that has closed its end raises SIGPIPE in the sending thread, which would end
    // the program: it is held back while sending, and taken if it came.
    int sendQuietly(const std::string& line) const {
        sigset_t pipe, old;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, &old);
        const int sent =
            lxi_send(device_, line.data(), static_cast<int>(line.size()), kSliceMs * 10);
        const timespec none{0, 0};
        while (sigtimedwait(&pipe, nullptr, &none) == SIGPIPE) {
        }
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
        return sent;
    }

    int device_ = LXI_ERROR;
};

}  // namespace

std::unique_ptr<MeterLink> lxiLink(const MeterResource& resource,
                                   std::chrono::milliseconds timeout) {
    return std::make_unique<LxiLink>(resource, timeout);
}
