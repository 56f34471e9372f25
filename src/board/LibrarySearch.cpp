#include "board/LibrarySearch.h"

namespace {

#ifndef XT4830_LIBRARY_ARCHITECTURE
#define XT4830_LIBRARY_ARCHITECTURE ""
#endif

// The directories the system's loader reads after LD_LIBRARY_PATH on a Debian system: those
// of ld.so.conf, then the default ones.
std::vector<std::string> systemDirs() {
    const std::string arch = XT4830_LIBRARY_ARCHITECTURE;
    std::vector<std::string> dirs;
    for (const char* base : {"/usr/local/lib", "/lib", "/usr/lib"}) {
        if (!arch.empty()) dirs.push_back(std::string(base) + "/" + arch);
        dirs.emplace_back(base);
    }
    return dirs;
}

}  // namespace

std::vector<std::string> librarySearchDirs(std::string_view ldLibraryPath,
                                           const std::string& programDir) {
    std::vector<std::string> dirs;
    while (true) {
        const std::size_t colon = ldLibraryPath.find(':');
        const std::string_view entry = ldLibraryPath.substr(0, colon);
        if (entry.starts_with('/')) dirs.emplace_back(entry);
        if (colon == std::string_view::npos) break;
        ldLibraryPath.remove_prefix(colon + 1);
    }
    dirs.push_back(programDir);
    for (std::string& dir : systemDirs())
        dirs.push_back(std::move(dir));
    return dirs;
}

std::string findLibrary(const std::string& name, std::string_view ldLibraryPath,
                        const std::string& programDir,
                        const std::function<bool(const std::string&)>& exists) {
    for (const std::string& dir : librarySearchDirs(ldLibraryPath, programDir)) {
        std::string path = dir;
        path += '/';
        path += name;
        if (exists(path)) return path;
    }
    return programDir + "/" + name;
}
