#include "board/BoardMarking.h"

#include <gtest/gtest.h>

#include "FakeDialogs.h"
#include "VirtualLibrary.h"

// What the programs say of the board, from the library of the program directory (the virtual
// board here) and from one that says nothing of its kind.
TEST(BoardMarking, TheVirtualBoardIsMarkedAndALibraryThatSaysNothingLeavesEveryTextAlone) {
    struct Case {
        std::string file;
        BoardKind kind;
        const char* title;
        const char* serial;
        const char* described;  // once the board is open
    };
    for (const Case& c : {Case{kProgramDir + "/libBoardIo.so", BoardKind::Virtual,
                               "XT4830R [virtual board]", "VIRTUAL", "virtual board"},
                          Case{XT4830_DECOY_LIBRARY, BoardKind::Unknown, "XT4830R", "0", ""}}) {
        SCOPED_TRACE(c.file);
        FakeDialogs dialogs;
        LazyLibrary library(c.file, dialogs);
        BoardChoice choice(library);
        EXPECT_EQ(choice.kind(), c.kind);
        EXPECT_EQ(markedTitle("XT4830R", choice.kind()), c.title);
        EXPECT_EQ(identitySerial(), c.serial);
        char path[] = XT4830_PROGRAM_DIR "/XT4830.hex";
        ASSERT_EQ(reinterpret_cast<driver_abi::LoadFirmWareFn*>(
                      library.resolve(driver_abi::kLoadFirmWare))(path) == 0,
                  c.kind == BoardKind::Virtual);
        EXPECT_EQ(boardDescription(choice), c.described);
        EXPECT_TRUE(dialogs.shown.empty());
    }
    FakeDialogs dialogs;
    LazyLibrary missing("/nonexistent/libBoardIo.so", dialogs);
    EXPECT_EQ(BoardChoice(missing).kind(), BoardKind::Unknown);
    EXPECT_TRUE(dialogs.shown.empty()) << "the next call that needs the library tells";
    EXPECT_EQ(markedTitle("XT4830R", BoardKind::Real), "XT4830R");
}
