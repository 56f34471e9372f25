#include "cli/Serve.h"

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "announce/ServiceAnnouncement.h"
#include "board/BoardMarking.h"
#include "board/Deliverable.h"
#include "board/ProgramDirectory.h"
#include "cli/StopSignals.h"
#include "instrument/ListenAddress.h"
#include "instrument/ScpiInstrument.h"
#include "instrument/ScpiServer.h"
#include "measure/AdcRules.h"
#include "vxi11/PortMapperEntry.h"
#include "vxi11/Vxi11Server.h"

namespace {

// VXI-11 on the host the socket listens on, entered with the port mapper; nothing, said on
// standard error, when it cannot be.
struct Vxi11Service {
    std::unique_ptr<Vxi11Server> server;
    std::unique_ptr<PortMapperEntry> entry;
};

Vxi11Service startVxi11(ScpiInstrument& instrument, const std::string& host) {
    Vxi11Service service;
    try {
        service.server =
            std::make_unique<Vxi11Server>(instrument, [] { return stopSignal() != 0; });
        service.server->listen(host);
        service.entry = std::make_unique<PortMapperEntry>(
            Vxi11Server::kCoreProgram, Vxi11Server::kVersion, service.server->corePort());
        std::fprintf(stderr, "xt4830ctl: serving VXI-11 on port %d too (TCPIP::%s::INSTR)\n",
                     service.server->corePort(), host.c_str());
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "xt4830ctl: VXI-11 is off: %s\n", e.what());
        return {};
    }
    return service;
}

// The socket, and VXI-11 when it is on, announced on the network by avahi-daemon, named after
// the deliverable and the board's serial; nothing on loopback, where no other host could use
// them.
std::unique_ptr<ServiceAnnouncement> announce(const ScpiServer& server, bool vxi11,
                                              const Deliverable& deliverable) {
    if (server.loopbackOnly()) return nullptr;
    std::vector<ServiceAnnouncement::Service> services{{"_scpi-raw._tcp", server.port()}};
    // VXI-11 clients ask the port mapper first.
    if (vxi11) services.push_back({"_vxi-11._tcp", 111});
    const std::string name = "XT4830R Evaluation Board (" + std::string(deliverable.name) +
                             ", serial " + identitySerial() + ")";
    try {
        return std::make_unique<ServiceAnnouncement>(name, std::move(services));
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "xt4830ctl: not announced on the network: %s\n", e.what());
        return nullptr;
    }
}

}  // namespace

int serve(const std::string& address, const Session::Options& options, bool vxi11) {
    const auto where = readListenAddress(address);
    if (!where) {
        std::fprintf(stderr, "xt4830ctl: --listen %s: give %s\n", address.c_str(),
                     std::string(kListenForm).c_str());
        return 2;
    }
    Session session(programDirectory(), options);
    ScpiInstrument instrument(session.requests(),
                              ScpiInstrument::identityOf(versionText(*options.deliverable)));
    ScpiServer server(instrument);
    try {
        // Before the board opens: an address in use loads no firmware.
        server.listen(*where);
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "xt4830ctl: cannot listen on %s\n", e.what());
        return 2;
    }
    if (!session.open()) {
        reportNoBoard(session);
        return 3;
    }
    try {
        configureAdc(session.requests());
    } catch (const RequestFailed& e) {
        std::fprintf(stderr, "xt4830ctl: %s\n", e.what());
        return 1;
    }
    catchStopSignals();
    if (where->port == 0) {
        std::printf("%s\n", server.address().c_str());
        std::fflush(stdout);
    }
    if (!server.loopbackOnly()) {
        std::fprintf(stderr,
                     "xt4830ctl: warning: %s is not a loopback address: anyone who can reach the "
                     "port drives the board, without authentication\n",
                     server.address().c_str());
    }
    std::fprintf(stderr, "xt4830ctl: serving SCPI on %s until SIGINT or SIGTERM\n",
                 server.address().c_str());
    const Vxi11Service service = vxi11 ? startVxi11(instrument, where->host) : Vxi11Service{};
    const auto announcement = announce(server, service.entry != nullptr, *options.deliverable);
    server.serve(
        stopWakeFd(), [] { return stopSignal() != 0; },
        service.entry ? service.server.get() : nullptr);
    return 0;
}
