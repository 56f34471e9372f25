#include "vxi11/Vxi11Server.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "instrument/ScpiInstrument.h"
#include "instrument/ScpiServer.h"
#include "instrument/Sockets.h"
#include "scpi/LineFramer.h"
#include "vxi11/RecordFramer.h"
#include "vxi11/vxi11.h"

static_assert(Vxi11Server::kCoreProgram == DEVICE_CORE &&
              Vxi11Server::kVersion == DEVICE_CORE_VERSION);

namespace {

// VXI-11's error codes.
enum : int {
    kDone = 0,
    kDeviceNotAccessible = 3,
    kInvalidLink = 4,
    kNotSupported = 8,
    kOutOfResources = 9,
    kLockedByAnotherLink = 11,
    kNoLockHeld = 12,
    kIoTimeout = 15,
};
// Device_Flags and the reasons a read ended.
constexpr int kEnd = 1 << 3;
constexpr int kTermCharSet = 1 << 7;
constexpr int kReasonRequestCount = 1 << 0;
constexpr int kReasonTermChar = 1 << 1;
constexpr int kReasonEnd = 1 << 2;
// The status byte's message-available bit.
constexpr uint8_t kMessageAvailable = 1 << 4;
// A call's header, its two authentication fields and its arguments.
constexpr std::size_t kLongestRecord = VXI11_LONGEST_DATA + 2 * MAX_AUTH_BYTES + 256;
constexpr uint32_t kRpcVersion = 2;

// An XDR routine as the RPC library's calls take it, whose arguments are given at the call.
template <typename Routine>
xdrproc_t xdrProc(Routine routine) {
    return reinterpret_cast<xdrproc_t>(reinterpret_cast<void (*)()>(routine));
}

// The reply to call: accepted with stat, and result written by encode when it succeeded.
std::string replyOf(const rpc_msg& call, accept_stat stat, xdrproc_t encode = nullptr,
                    void* result = nullptr) {
    rpc_msg reply{};
    reply.rm_xid = call.rm_xid;
    reply.rm_direction = REPLY;
    reply.rm_reply.rp_stat = MSG_ACCEPTED;
    reply.acpted_rply.ar_verf = _null_auth;
    reply.acpted_rply.ar_stat = stat;
    if (stat == PROG_MISMATCH) {
        reply.acpted_rply.ar_vers.low = Vxi11Server::kVersion;
        reply.acpted_rply.ar_vers.high = Vxi11Server::kVersion;
    } else {
        reply.acpted_rply.ar_results.where = static_cast<char*>(result);
        reply.acpted_rply.ar_results.proc = encode != nullptr ? encode : xdrProc(xdr_void);
    }
    const std::size_t size = 64 + (encode != nullptr ? ::xdr_sizeof(encode, result) : 0);
    std::string bytes(size, '\0');
    XDR out;
    ::xdrmem_create(&out, bytes.data(), static_cast<u_int>(size), XDR_ENCODE);
    ::xdr_replymsg(&out, &reply);
    bytes.resize(xdr_getpos(&out));
    xdr_destroy(&out);
    return bytes;
}

// The reply to a call of another version of ONC RPC than 2.
std::string versionRefused(const rpc_msg& call) {
    rpc_msg reply{};
    reply.rm_xid = call.rm_xid;
    reply.rm_direction = REPLY;
    reply.rm_reply.rp_stat = MSG_DENIED;
    reply.rjcted_rply.rj_stat = RPC_MISMATCH;
    reply.rjcted_rply.rj_vers.low = kRpcVersion;
    reply.rjcted_rply.rj_vers.high = kRpcVersion;
    std::array<char, 64> bytes{};
    XDR out;
    ::xdrmem_create(&out, bytes.data(), bytes.size(), XDR_ENCODE);
    ::xdr_replymsg(&out, &reply);
    std::string text(bytes.data(), xdr_getpos(&out));
    xdr_destroy(&out);
    return text;
}

}  // namespace

// A call: its header, its arguments still to decode, the connection it came on.
struct Vxi11Server::Call {
    const rpc_msg& message;
    XDR* in;
    Connection& from;
};

// One link: a client of the instrument with the message it is being sent and the answers it
// has not read yet.
struct Vxi11Server::Link {
    Link(ScpiInstrument& instrument, const Connection& owner)
        : instrument(instrument), owner(owner) {}
    ~Link() { instrument.forget(client); }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    bool pending() const { return taken < output.size(); }

    ScpiInstrument& instrument;
    const Connection& owner;
    ScpiClient client;
    LineFramer framer{ScpiServer::kLongestLine};
    std::string output;
    std::size_t taken = 0;  // how much of the output has been read
};

// One TCP connection of the core or the abort channel: the record coming in and the reply
// going out.
class Vxi11Server::Connection {
public:
    Connection(int fd, uint32_t program, Vxi11Server& server)
        : fd_(fd), program_(program), server_(server), name_(peerName(fd)) {
        tuneClientSocket(fd_);
    }
    ~Connection() { ::close(fd_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int fd() const { return fd_; }
    uint32_t program() const { return program_; }
    const std::string& name() const { return name_; }
    bool open() const { return open_; }
    void close() { open_ = false; }
    pollfd pollEntry() const { return {fd_, static_cast<short>(pending() ? POLLOUT : POLLIN), 0}; }
    // When the client has let its call or its reply wait too long.
    std::optional<Clock::time_point> deadline() const {
        if (!framer_.midRecord() && !pending()) return std::nullopt;
        return lastProgress_ + kStallTimeout;
    }

    void onReady(short revents) {
        if ((revents & POLLOUT) != 0) send();
        if ((revents & (POLLIN | POLLHUP | POLLERR)) != 0 && !pending()) receive();
    }

private:
    bool pending() const { return sent_ < reply_.size(); }

    void receive() {
        std::array<char, 16384> bytes{};
        const long got = receiveSome(fd_, bytes);
        if (got == 0) return;
        if (got < 0) {
            open_ = false;
            return;
        }
        lastProgress_ = Clock::now();
        // The replies of calls that came together go out in order; reading waits until they
        // have gone.
        const auto answer = [this](std::string_view record) {
            const auto reply = server_.answer(record, *this);
            if (!reply) open_ = false;
            if (!open_) return false;
            reply_.erase(0, sent_);
            sent_ = 0;
            reply_ += RecordFramer::frame(*reply);
            return true;
        };
        if (!framer_.take(std::string_view(bytes.data(), static_cast<std::size_t>(got)), answer))
            open_ = false;
        send();
    }

    void send() {
        const std::size_t before = sent_;
        if (!sendSome(fd_, reply_, sent_)) open_ = false;
        if (sent_ != before) lastProgress_ = Clock::now();
        if (pending()) return;
        reply_.clear();
        sent_ = 0;
    }

    int fd_;
    uint32_t program_;
    Vxi11Server& server_;
    std::string name_;
    RecordFramer framer_{kLongestRecord};
    std::string reply_;
    std::size_t sent_ = 0;
    bool open_ = true;
    Clock::time_point lastProgress_ = Clock::now();
};

Vxi11Server::Vxi11Server(ScpiInstrument& instrument, std::function<bool()> stopped)
    : instrument_(instrument), stopped_(std::move(stopped)) {}

Vxi11Server::~Vxi11Server() {
    links_.clear();
    connections_.clear();
    for (const int fd : {coreListener_, abortListener_}) {
        if (fd >= 0) ::close(fd);
    }
}

void Vxi11Server::listen(const std::string& host) {
    coreListener_ = listenSocket({host, 0}, ScpiServer::kBacklog);
    abortListener_ = listenSocket({host, 0}, ScpiServer::kBacklog);
}

int Vxi11Server::corePort() const {
    return localPort(coreListener_);
}

void Vxi11Server::watch(std::vector<pollfd>& fds, std::optional<Clock::time_point>& soonest) {
    fds.push_back({coreListener_, POLLIN, 0});
    fds.push_back({abortListener_, POLLIN, 0});
    for (const auto& connection : connections_) {
        fds.push_back(connection->pollEntry());
        if (const auto deadline = connection->deadline())
            soonest = std::min(soonest.value_or(*deadline), *deadline);
    }
}

void Vxi11Server::handle(std::span<const pollfd> fds, Clock::time_point now) {
    for (std::size_t i = 0; i < connections_.size() && !stopped_(); ++i) {
        Connection& connection = *connections_[i];
        if (fds[i + 2].revents != 0) connection.onReady(fds[i + 2].revents);
        const auto deadline = connection.deadline();
        if (deadline && *deadline <= now) connection.close();
    }
    // A connection's links, and the lock one of them held, go with it.
    std::erase_if(links_, [](const auto& link) { return !link.second->owner.open(); });
    std::erase_if(connections_, [](const auto& connection) { return !connection->open(); });
    if ((fds[0].revents & POLLIN) != 0) accept(coreListener_, DEVICE_CORE);
    if ((fds[1].revents & POLLIN) != 0) accept(abortListener_, DEVICE_ASYNC);
}

void Vxi11Server::accept(int listener, uint32_t program) {
    for (;;) {
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) return;
        if (connections_.size() >= kMostConnections) {
            ::close(client);
            continue;
        }
        connections_.push_back(std::make_unique<Connection>(client, program, *this));
    }
}

std::optional<std::string> Vxi11Server::answer(std::string_view record, Connection& from) {
    XDR in;
    ::xdrmem_create(&in, const_cast<char*>(record.data()), static_cast<u_int>(record.size()),
                    XDR_DECODE);
    // The credentials are read into buffers of their own, so decoding them reserves nothing.
    std::array<char, MAX_AUTH_BYTES> credentials{}, verifier{};
    rpc_msg call{};
    call.rm_call.cb_cred.oa_base = credentials.data();
    call.rm_call.cb_verf.oa_base = verifier.data();
    std::optional<std::string> reply;
    if (::xdr_callmsg(&in, &call) != 0) reply = dispatch({call, &in, from});
    xdr_destroy(&in);
    return reply;
}

std::string Vxi11Server::dispatch(const Call& c) {
    const rpc_msg& call = c.message;
    const call_body& body = call.rm_call;
    if (body.cb_rpcvers != kRpcVersion) return versionRefused(call);
    if (body.cb_prog != c.from.program()) return replyOf(call, PROG_UNAVAIL);
    if (body.cb_vers != kVersion) return replyOf(call, PROG_MISMATCH);
    if (body.cb_proc == NULLPROC) return replyOf(call, SUCCESS);
    using S = Vxi11Server;
    if (c.from.program() == DEVICE_ASYNC) {
        if (body.cb_proc == device_abort)
            return reply(c, xdr_Device_Link, xdr_Device_Error, &S::abort);
        return replyOf(call, PROC_UNAVAIL);
    }
    switch (body.cb_proc) {
        case create_link:
            return reply(c, xdr_Create_LinkParms, xdr_Create_LinkResp, &S::createLink);
        case device_write:
            return reply(c, xdr_Device_WriteParms, xdr_Device_WriteResp, &S::write);
        case device_read:
            return reply(c, xdr_Device_ReadParms, xdr_Device_ReadResp, &S::read);
        case device_readstb:
            return reply(c, xdr_Device_GenericParms, xdr_Device_ReadStbResp, &S::readStatusByte);
        case device_trigger:
            return reply(c, xdr_Device_GenericParms, xdr_Device_Error, &S::trigger);
        case device_clear:
            return reply(c, xdr_Device_GenericParms, xdr_Device_Error, &S::clear);
        case device_remote:
        case device_local:
            return reply(c, xdr_Device_GenericParms, xdr_Device_Error, &S::remoteOrLocal);
        case device_lock:
            return reply(c, xdr_Device_LockParms, xdr_Device_Error, &S::lock);
        case device_unlock:
            return reply(c, xdr_Device_Link, xdr_Device_Error, &S::unlock);
        case destroy_link:
            return reply(c, xdr_Device_Link, xdr_Device_Error, &S::destroyLink);
        case device_enable_srq:
        case create_intr_chan:
            return reply(c, xdr_Device_Link, xdr_Device_Error, &S::notOffered);
        case device_docmd:
            return reply(c, xdr_Device_Link, xdr_Device_DocmdResp, &S::noCommands);
        case destroy_intr_chan: {
            Device_Error none{kNotSupported};
            return replyOf(call, SUCCESS, xdrProc(xdr_Device_Error), &none);
        }
        default:
            return replyOf(call, PROC_UNAVAIL);
    }
}

template <typename Args, typename Result, typename Decode, typename Encode>
std::string Vxi11Server::reply(const Call& call, Decode decode, Encode encode,
                               Result (Vxi11Server::*handler)(const Args&, Connection&)) {
    Args args{};
    std::string bytes;
    if (decode(call.in, &args) == 0) {
        bytes = replyOf(call.message, GARBAGE_ARGS);
    } else {
        Result result = (this->*handler)(args, call.from);
        bytes = replyOf(call.message, SUCCESS, xdrProc(encode), &result);
    }
    ::xdr_free(xdrProc(decode), &args);
    return bytes;
}

Vxi11Server::Link* Vxi11Server::linkOf(int id) {
    const auto found = links_.find(id);
    return found != links_.end() ? found->second.get() : nullptr;
}

// The link's device is the instrument, "inst0". A link asked with its device locked gets the
// lock at once or is not made.
Create_LinkResp Vxi11Server::createLink(const Create_LinkParms& parms, Connection& from) {
    if (std::string_view(parms.device) != "inst0") return {kDeviceNotAccessible, 0, 0, 0};
    if (links_.size() >= kMostLinks) return {kOutOfResources, 0, 0, 0};
    do {
        lastLink_ = lastLink_ == std::numeric_limits<int>::max() ? 1 : lastLink_ + 1;
    } while (links_.contains(lastLink_));
    auto link = std::make_unique<Link>(instrument_, from);
    link->client.name = from.name() + " link " + std::to_string(lastLink_);
    link->client.checkpoint = [this, &from] {
        if (stopped_() || peerGone(from.fd())) throw Cancelled{};
    };
    if (parms.lockDevice != 0 && !instrument_.lock(link->client))
        return {kLockedByAnotherLink, 0, 0, 0};
    links_.emplace(lastLink_, std::move(link));
    return {kDone, lastLink_, static_cast<unsigned short>(localPort(abortListener_)), kMaxReceive};
}

// The message's part is taken; at END, or at each LF, what has come is carried out, as a line
// on the socket is. A message past ScpiServer::kLongestLine is dropped with -363.
Device_WriteResp Vxi11Server::write(const Device_WriteParms& parms, Connection& from) {
    Link* link = linkOf(parms.lid);
    if (link == nullptr) return {kInvalidLink, 0};
    std::string_view data(parms.data.data_val, parms.data.data_len);
    const bool end = (parms.flags & kEnd) != 0;
    std::string ending;
    if (end && !data.ends_with('\n')) ending = "\n";
    const auto run = [this, link, &from](std::string_view line) {
        if (link->pending())
            link->client.status.report(
                {kQueryInterrupted, "a new message came before the answer was read"});
        link->output.clear();
        link->taken = 0;
        try {
            link->output = instrument_.execute(line, link->client);
        } catch (const Cancelled&) {
            from.close();
        }
        return from.open();
    };
    const auto overrun = [link] {
        link->client.status.report(
            {kInputBufferOverrun,
             "a message over " + std::to_string(ScpiServer::kLongestLine) + " bytes was dropped"});
    };
    link->framer.take(data, run, overrun);
    link->framer.take(ending, run, overrun);
    return {kDone, parms.data.data_len};
}

// Up to the request's size of the answer, ending after the termination character when one is
// set. With no answer to read it times out at once: no answer comes while the link waits.
Device_ReadResp Vxi11Server::read(const Device_ReadParms& parms, Connection&) {
    Link* link = linkOf(parms.lid);
    if (link == nullptr) return {kInvalidLink, 0, {0, nullptr}};
    if (!link->pending()) return {kIoTimeout, 0, {0, nullptr}};
    std::string_view left = std::string_view(link->output).substr(link->taken);
    std::size_t size = std::min<std::size_t>({left.size(), parms.requestSize, VXI11_LONGEST_DATA});
    int reason = 0;
    if ((parms.flags & kTermCharSet) != 0) {
        const std::size_t at = left.substr(0, size).find(parms.termChar);
        if (at != std::string_view::npos) {
            size = at + 1;
            reason |= kReasonTermChar;
        }
    }
    if (size == left.size()) reason |= kReasonEnd;
    if (size == parms.requestSize) reason |= kReasonRequestCount;
    link->taken += size;
    return {kDone, reason, {static_cast<u_int>(size), const_cast<char*>(left.data())}};
}

// *STB?, with the message-available bit of the link's unread answer.
Device_ReadStbResp Vxi11Server::readStatusByte(const Device_GenericParms& parms, Connection&) {
    const Link* link = linkOf(parms.lid);
    if (link == nullptr) return {kInvalidLink, 0};
    return {kDone, link->client.status.statusByte(link->pending() ? kMessageAvailable : 0)};
}

// The instrument carries out each command as it comes: it has no trigger to wait for.
Device_Error Vxi11Server::trigger(const Device_GenericParms& parms, Connection&) {
    return {linkOf(parms.lid) != nullptr ? kNotSupported : kInvalidLink};
}

// IEEE 488.2's device clear: the link's input and output emptied; its status stays.
Device_Error Vxi11Server::clear(const Device_GenericParms& parms, Connection&) {
    Link* link = linkOf(parms.lid);
    if (link == nullptr) return {kInvalidLink};
    link->framer = LineFramer(ScpiServer::kLongestLine);
    link->output.clear();
    link->taken = 0;
    return {kDone};
}

// The instrument has no front panel to lock out or give back.
Device_Error Vxi11Server::remoteOrLocal(const Device_GenericParms& parms, Connection&) {
    return {linkOf(parms.lid) != nullptr ? kDone : kInvalidLink};
}

Device_Error Vxi11Server::lock(const Device_LockParms& parms, Connection&) {
    const Link* link = linkOf(parms.lid);
    if (link == nullptr) return {kInvalidLink};
    return {instrument_.lock(link->client) ? kDone : kLockedByAnotherLink};
}

Device_Error Vxi11Server::unlock(const int& id, Connection&) {
    const Link* link = linkOf(id);
    if (link == nullptr) return {kInvalidLink};
    return {instrument_.unlock(link->client) ? kDone : kNoLockHeld};
}

Device_Error Vxi11Server::destroyLink(const int& id, Connection&) {
    return {links_.erase(id) != 0 ? kDone : kInvalidLink};
}

// Every call is over before the next is read: there is nothing to abort.
Device_Error Vxi11Server::abort(const int& id, Connection&) {
    return {linkOf(id) != nullptr ? kDone : kInvalidLink};
}

// Service requests and device-specific commands are not offered.
Device_Error Vxi11Server::notOffered(const int&, Connection&) {
    return {kNotSupported};
}

Device_DocmdResp Vxi11Server::noCommands(const int&, Connection&) {
    return {kNotSupported, {0, nullptr}};
}
