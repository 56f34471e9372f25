#pragma once

#include <cstdio>
#include <string>

// One line per driver-library call, with every argument and the result, written to the file
// named by XT4830_VIRTUAL_TRACE (or set in-process). Each line is flushed at once, so the
// trace is complete even when the program ends abruptly.
class CallTrace {
public:
    ~CallTrace();
    // Starts a new trace in path (truncating it); null or empty stops tracing.
    void open(const char* path);
    // Starts each line with "[seconds] " on a monotonic clock, for timing measurements.
    void setTimestamps(bool on) { timestamps_ = on; }
    void line(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    std::FILE* file_ = nullptr;
    bool timestamps_ = false;
};

// Bytes as "0F FF 00".
std::string hexBytes(const unsigned char* bytes, int count);
