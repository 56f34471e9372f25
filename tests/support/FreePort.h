#pragma once

// A loopback port nothing listens on or connects from now, chosen by the kernel: a virtual
// meter bound to it meets neither another test's listener nor a client's ephemeral port.
int freeLoopbackPort();
