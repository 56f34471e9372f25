#include "VirtualLibrary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

VirtualLibrary::VirtualLibrary(const Deliverable& deliverable) {
    const std::string path = kProgramDir + "/" + std::string(deliverable.library);
    handle_ = dlopen(path.c_str(), RTLD_NOW);
    if (handle_ == nullptr) ADD_FAILURE() << dlerror();
}

void VirtualLibrary::reset(const char* settings) const {
    EXPECT_EQ(get<VirtualResetFn>("xt4830_virtual_reset")(settings), 0);
}

std::string VirtualLibrary::startTrace(const char* name) const {
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    get<VirtualSetTraceFn>("xt4830_virtual_set_trace")(path.c_str());
    return path;
}

std::vector<std::string> fileLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

std::string dacRequestLine(int value, int index) {
    char text[64];
    std::snprintf(text, sizeof text, "code=0xDE, value=0x%04X, index=0x%04X, direction=0", value,
                  index);
    return text;
}
