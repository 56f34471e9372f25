#include "board/ProgramDirectory.h"

#include <filesystem>
#include <system_error>

std::string programDirectory() {
    // The link's target as bytes, whatever their encoding.
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return ".";
    return program.parent_path().string();
}
