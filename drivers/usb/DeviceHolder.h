#pragma once

#include <sys/types.h>

#include <string>

// Which process has a file open, found by looking through every process's open descriptors
// (/proc/PID/fd): "process 1234 (name)", or empty when none that this user may look at has.
// Only the first such process is named; except is left out (the caller itself).
std::string processHolding(const std::string& file, pid_t except);
