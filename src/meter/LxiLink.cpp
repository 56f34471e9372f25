#include <lxi.h>
#include <csignal>

#include "meter/MeterLink.h"

namespace {

constexpr int kSliceMs = 100;

// A LAN meter over VXI-11, through liblxi.
class LxiLink : public MeterLink {
public:
    LxiLink(const MeterResource& r, std::chrono::milliseconds timeout) {
        static const int initialised = lxi_init();
        (void)initialised;
        device_ = lxi_connect(r.host.c_str(), 0, r.name.c_str(), static_cast<int>(timeout.count()),
                              VXI11);
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

protected:
    long readSome(char* buffer, std::size_t size) override {
        // A receive that times out takes nothing; a closed connection gives 0.
        return lxi_receive(device_, buffer, static_cast<int>(size), kSliceMs);
    }
    bool wholeReads() const override { return false; }

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
