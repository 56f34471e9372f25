#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "board/LazyLibrary.h"

// Stand-ins for both variants' driver-library functions, with the ABI's exact signatures,
// that record every call with its arguments as received and answer with scripted results.
struct DriverCall {
    std::string function;
    std::vector<int64_t> args;  // integer arguments in call order, as the function saw them
    std::string path;           // the firmware path, for the loading functions
    std::array<uint8_t, 4> bufferBefore{};  // the request buffer as it was at the call
};

struct FakeDriverState {
    std::vector<DriverCall> calls;
    std::vector<int> downloadResults;  // Download_Firmware / LoadFirmWare, in order; then 0
    int16_t requestResult = 0;
    std::array<uint8_t, 3> reply{};  // written into the buffer of a request from the board
    bool replyOnFailure = false;
    int32_t nextHandle = 100;
    std::map<std::string, int> lookups;  // how often each name was resolved
};

FakeDriverState& fakeDriver();  // reset by FakeDriverResolver's constructor

// Resolves the ABI's export names to the stand-ins.
class FakeDriverResolver : public FunctionResolver {
public:
    FakeDriverResolver();
    void* resolve(const char* name) override;
};
