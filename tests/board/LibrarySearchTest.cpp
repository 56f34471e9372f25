// Where libBoardIo.so is bound from: never the current directory, whatever LD_LIBRARY_PATH
// holds.
#include "board/LibrarySearch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "FakeDialogs.h"
#include "VirtualLibrary.h"
#include "board/Board.h"

TEST(LibrarySearch, AbsoluteEntriesFirstThenTheProgramDirectoryNeverEmptyOrRelative) {
    using Case =
        std::pair<const char*, std::vector<std::string>>;  // the directories before the system's
    for (const auto& [ldLibraryPath, first] :
         {Case{"", {"/prog"}}, Case{"/x:", {"/x", "/prog"}}, Case{":/x::/y", {"/x", "/y", "/prog"}},
          Case{"lib:./l:.:/z", {"/z", "/prog"}}, Case{"/a/b:/prog", {"/a/b", "/prog", "/prog"}}}) {
        const auto dirs = librarySearchDirs(ldLibraryPath, "/prog");
        ASSERT_GT(dirs.size(), first.size()) << ldLibraryPath;
        EXPECT_EQ(std::vector<std::string>(dirs.begin(), dirs.begin() + first.size()), first)
            << ldLibraryPath;
        for (const std::string& dir : dirs)
            EXPECT_TRUE(dir.starts_with('/')) << dir;
        EXPECT_EQ(dirs.back(), "/usr/lib");
    }
    const std::set<std::string> files = {"/y/libBoardIo.so", "/prog/libBoardIo.so"};
    const auto exists = [&](const std::string& path) { return files.count(path) > 0; };
    EXPECT_EQ(findLibrary("libBoardIo.so", "/x:/y", "/prog", exists), "/y/libBoardIo.so");
    EXPECT_EQ(findLibrary("libBoardIo.so", "", "/prog", exists), "/prog/libBoardIo.so");
    EXPECT_EQ(findLibrary("libBoardIo.so", "", "/none", exists), "/none/libBoardIo.so");
}

TEST(LibrarySearch, DecoyInTheWorkingDirectoryIsNeverBound) {
    // The decoy is the USB driver's libBoardIo.so: bound, it would find no board. The loader
    // reads LD_LIBRARY_PATH only when a process starts, so the binding runs in a new one.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto dir = std::filesystem::temp_directory_path() / "xt4830-decoy";
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(XT4830_DECOY_LIBRARY, dir / "libBoardIo.so",
                               std::filesystem::copy_options::overwrite_existing);
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    setenv("LD_LIBRARY_PATH", "/nonexistent:", 1);  // the empty entry is the current directory
    EXPECT_EXIT(
        {
            FakeDialogs dialogs;  // a retry box is answered Cancel
            ErrorBoxForEach boxes(dialogs);
            Board board(kXT4830, kProgramDir, dialogs, boxes);
            try {
                board.link().OpenBoardWithRetry();
            } catch (const ProgramEnded&) {
                std::fprintf(stderr, "the decoy was bound\n");
            }
            std::fflush(stderr);
            _exit(dialogs.shown.empty() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    std::filesystem::current_path(cwd);
    // An absolute entry is the user's choice; a directory of the library's name is passed over.
    std::filesystem::create_directories(dir / "sub" / "libBoardIo.so");
    setenv("LD_LIBRARY_PATH", ((dir / "sub").string() + ":" + dir.string()).c_str(), 1);
    EXPECT_EQ(driverLibraryFile(kXT4830, kProgramDir), dir / "libBoardIo.so");
    unsetenv("LD_LIBRARY_PATH");
    EXPECT_EQ(driverLibraryFile(kXT4830, kProgramDir), kProgramDir + "/libBoardIo.so");
    std::filesystem::remove_all(dir);
}
