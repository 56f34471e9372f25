#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Where a driver library bound by name is looked for, in order: the absolute directories of
// LD_LIBRARY_PATH (so another implementation can still be put in front), the program
// directory, then the system's library directories. An empty or relative entry is skipped:
// the loader would read it as the current directory, and a library of that name planted where
// the user happens to start the program would be bound.
std::vector<std::string> librarySearchDirs(std::string_view ldLibraryPath,
                                           const std::string& programDir);

// The full path of the first file called name in those directories; the program directory's
// path when there is none, so the loader's failure names where the library belongs.
std::string findLibrary(const std::string& name, std::string_view ldLibraryPath,
                        const std::string& programDir,
                        const std::function<bool(const std::string&)>& exists);
