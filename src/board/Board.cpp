#include "board/Board.h"

#include <sys/stat.h>

#include <cstdlib>

#include "board/LibrarySearch.h"

namespace {

bool isFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

std::string driverLibraryFile(const Deliverable& deliverable, const std::string& programDir) {
    const std::string library(deliverable.library);
    if (!deliverable.searched) return programDir + "/" + library;
    const char* ldLibraryPath = std::getenv("LD_LIBRARY_PATH");
    return findLibrary(library, ldLibraryPath ? ldLibraryPath : "", programDir, isFile);
}

Board::Board(const Deliverable& deliverable, const std::string& programDir, Dialogs& dialogs,
             FailurePolicy& refusals)
    : library_(driverLibraryFile(deliverable, programDir), dialogs),
      driver_(deliverable.makeDriver(library_)),
      link_(programDir, *driver_, dialogs),
      declare_(*driver_, refusals) {}
