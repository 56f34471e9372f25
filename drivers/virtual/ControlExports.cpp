#pragma GCC visibility push(default)
#include "VirtualBoardControl.h"
#pragma GCC visibility pop

#include <cstdio>
#include <string>

#include "VirtualBoard.h"

int xt4830_virtual_reset(const char* settings) {
    std::string error;
    if (VirtualBoard::instance().reset(settings != nullptr ? settings : "", &error)) return 0;
    std::fprintf(stderr, "virtual board: %s\n", error.c_str());
    return -1;
}

void xt4830_virtual_set_present(int present) {
    VirtualBoard::instance().setPresent(present != 0);
}

void xt4830_virtual_set_trace(const char* path) {
    VirtualBoard::instance().trace().open(path);
}

double xt4830_virtual_output_volts(int channel) {
    if (channel < 0 || channel >= Xt4830Chip::kChannels) return 0.0;
    return VirtualBoard::instance().outputVolts(channel);
}
