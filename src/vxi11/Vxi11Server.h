#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "instrument/ListenAddress.h"
#include "instrument/PollSource.h"

class ScpiInstrument;

// The instrument over VXI-11, as LAN instruments serve it to VISA's TCPIP::host::INSTR: ONC
// RPC on a core channel (links, messages with their END, the status byte, device clear, the
// lock) and an abort channel. A link is one more client of the same instrument, with its own
// error queue, status registers and input and output buffers; its lock is SYSTem:LOCK's. Served
// in the SCPI socket's loop, one call at a time; a call that would wait (a read with nothing
// to read, a lock another holds) answers at once.
class Vxi11Server : public PollSource {
public:
    // The core channel's program and version, as the port mapper knows them.
    static constexpr uint32_t kCoreProgram = 0x0607AF;
    static constexpr uint32_t kVersion = 1;
    // The longest message part a link takes in one call (VXI-11's least).
    static constexpr uint32_t kMaxReceive = 1024;
    // Past this many links create_link answers "out of resources".
    static constexpr std::size_t kMostLinks = 64;
    // Connections past this many are let go as soon as they connect.
    static constexpr std::size_t kMostConnections = 128;
    static constexpr std::chrono::seconds kStallTimeout{5};

    // stopped: whether the server is ending, asked within a long operation's waits.
    Vxi11Server(ScpiInstrument& instrument, std::function<bool()> stopped);
    ~Vxi11Server() override;
    Vxi11Server(const Vxi11Server&) = delete;
    Vxi11Server& operator=(const Vxi11Server&) = delete;

    // Listens for the core and abort channels on free ports of host. Throws
    // std::runtime_error saying why it cannot.
    void listen(const std::string& host);
    int corePort() const;

    void watch(std::vector<pollfd>& fds, std::optional<Clock::time_point>& soonest) override;
    void handle(std::span<const pollfd> fds, Clock::time_point now) override;

private:
    class Connection;
    struct Link;

    struct Call;

    // The reply to one RPC record, or nothing when the record is no call to reply to.
    std::optional<std::string> answer(std::string_view record, Connection& from);
    std::string dispatch(const Call& call);
    // Decodes the call's arguments, runs handler and encodes its result.
    template <typename Args, typename Result, typename Decode, typename Encode>
    std::string reply(const Call& call, Decode decode, Encode encode,
                      Result (Vxi11Server::*handler)(const Args&, Connection&));
    Link* linkOf(int id);
    void accept(int listener, uint32_t program);

    struct Create_LinkResp createLink(const struct Create_LinkParms& parms, Connection& from);
    struct Device_WriteResp write(const struct Device_WriteParms& parms, Connection& from);
    struct Device_ReadResp read(const struct Device_ReadParms& parms, Connection& from);
    struct Device_ReadStbResp readStatusByte(const struct Device_GenericParms& parms,
                                             Connection& from);
    struct Device_Error trigger(const struct Device_GenericParms& parms, Connection& from);
    struct Device_Error clear(const struct Device_GenericParms& parms, Connection& from);
    struct Device_Error remoteOrLocal(const struct Device_GenericParms& parms, Connection& from);
    struct Device_Error lock(const struct Device_LockParms& parms, Connection& from);
    struct Device_Error unlock(const int& id, Connection& from);
    struct Device_Error destroyLink(const int& id, Connection& from);
    struct Device_Error abort(const int& id, Connection& from);
    struct Device_Error notOffered(const int& id, Connection& from);
    struct Device_DocmdResp noCommands(const int& id, Connection& from);

    ScpiInstrument& instrument_;
    std::function<bool()> stopped_;
    int coreListener_ = -1;
    int abortListener_ = -1;
    std::vector<std::unique_ptr<Connection>> connections_;
    std::map<int, std::unique_ptr<Link>> links_;
    int lastLink_ = 0;
};
