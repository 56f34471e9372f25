#include "cli/Serve.h"

#include <cstdio>
#include <stdexcept>

#include "board/ProgramDirectory.h"
#include "cli/StopSignals.h"
#include "instrument/ListenAddress.h"
#include "instrument/ScpiInstrument.h"
#include "instrument/ScpiServer.h"
#include "measure/AdcRules.h"

int serve(const std::string& address, const Session::Options& options) {
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
    server.serve(stopWakeFd(), [] { return stopSignal() != 0; });
    return 0;
}
