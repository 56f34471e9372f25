#include "measure/AtomicSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The file's folder, where the new file is made so that renaming it is one atomic step.
std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// The mode a new file gets under the user's umask; the umask is read by setting it, so it is
// set back at once.
mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A link is followed: the file it names is replaced, the link stays.
std::string targetOf(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

}  // namespace

std::string saveFailureReason(int error) {
    switch (error) {
        case ENOSPC:
            return "there is no space left on the disk";
        case EDQUOT:
            return "the disk quota is used up";
        case EFBIG:
            return "the file would be larger than allowed";
        case EACCES:
        case EPERM:
            return "permission denied";
        case EROFS:
            return "the disk is read-only";
        case ENOENT:
        case ENOTDIR:
            return "the folder does not exist";
        case EISDIR:
            return "it is a folder";
        default:
            return std::strerror(error);
    }
}

std::optional<std::string> saveWhole(const std::string& path, std::string_view bytes) {
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) return "it is not a regular file";
    const std::string target = exists ? targetOf(path) : path;
    std::string temporary = folderOf(target) + "/.xt4830-save-XXXXXX";
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return saveFailureReason(errno);
    temporary = name.data();
    const bool written = ::fchmod(fd, exists ? existing.st_mode & 07777 : newFileMode()) == 0 &&
                         writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        const int error = written ? errno : writeError;
        ::unlink(temporary.c_str());
        return saveFailureReason(error);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return saveFailureReason(error);
    }
    return std::nullopt;
}
