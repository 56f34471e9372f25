#pragma once

#include <dlfcn.h>

#include <string>
#include <vector>

#include "VirtualBoardControl.h"
#include "board/Deliverable.h"
#include "driver_abi/DriverAbi.h"

// One of the built virtual driver libraries in the build's program directory, loaded into the
// test process (the program's own binding then finds this same copy) and driven through its
// control functions.
class VirtualLibrary {
public:
    explicit VirtualLibrary(const Deliverable& deliverable);

    template <typename Fn>
    Fn* get(const char* name) const {
        return reinterpret_cast<Fn*>(dlsym(handle_, name));
    }

    void reset(const char* settings) const;
    void setPresent(bool present) const {
        get<VirtualSetPresentFn>("xt4830_virtual_set_present")(present ? 1 : 0);
    }
    // Starts a fresh trace in a file of the temporary directory and returns its path.
    std::string startTrace(const char* name) const;
    void stopTrace() const { get<VirtualSetTraceFn>("xt4830_virtual_set_trace")(nullptr); }

private:
    void* handle_;
};

inline const std::string kProgramDir = XT4830_PROGRAM_DIR;

// What the trace shows for a DAC write request, whatever the variant.
std::string dacRequestLine(int value, int index);

// The lines of a text file.
std::vector<std::string> fileLines(const std::string& path);
