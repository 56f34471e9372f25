#pragma once

#include <string>

#include "cli/Session.h"

// xt4830ctl serve: listens on address, opens the board once (firmware load and the ADC's
// set-up, as the window's start-up does) and serves SCPI until SIGINT or SIGTERM, with vxi11
// VXI-11 beside the socket when a port mapper (rpcbind) runs. The exit status: 0 when a signal
// ended it, 2 when it cannot listen there, 3 when no board answered, 1 when the board refused
// the ADC's set-up.
int serve(const std::string& address, const Session::Options& options, bool vxi11);
