#include "DeviceHolder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

bool isProcess(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
}

// Whether one of the process's descriptors leads to file; false when they cannot be read.
bool holds(const fs::path& process, const fs::path& file) {
    std::error_code error;
    fs::directory_iterator fds(process / "fd", error);
    for (; !error && fds != fs::directory_iterator(); fds.increment(error)) {
        std::error_code unreadable;
        if (fs::read_symlink(fds->path(), unreadable) == file) return true;
    }
    return false;
}

std::string processName(const fs::path& process) {
    std::ifstream comm(process / "comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

}  // namespace

std::string processHolding(const std::string& file, pid_t except) {
    std::error_code error;
    fs::directory_iterator processes("/proc", error);
    for (; !error && processes != fs::directory_iterator(); processes.increment(error)) {
        const fs::path& process = processes->path();
        const std::string pid = process.filename();
        if (!isProcess(pid) || pid == std::to_string(except) || !holds(process, file)) continue;
        const std::string name = processName(process);
        return "process " + pid + (name.empty() ? "" : " (" + name + ")");
    }
    return "";
}
