#include "board/BoardMarking.h"

#include <gtest/gtest.h>

#include "FakeDialogs.h"
#include "VirtualLibrary.h"

// A library that says nothing of its kind, or none at all, leaves every text as it was (the
// virtual board's marks are checked where each program shows them).
TEST(BoardMarking, ALibraryThatSaysNothingOfItsKindLeavesEveryTextAlone) {
    FakeDialogs dialogs;
    LazyLibrary library(XT4830_DECOY_LIBRARY, dialogs);
    BoardChoice choice(library);
    EXPECT_EQ(choice.kind(), BoardKind::Unknown);
    EXPECT_EQ(markedTitle("XT4830R", choice.kind()), "XT4830R");
    EXPECT_EQ(identitySerial(), "0");
    EXPECT_EQ(boardDescription(choice), "");
    LazyLibrary missing("/nonexistent/libBoardIo.so", dialogs);
    EXPECT_EQ(BoardChoice(missing).kind(), BoardKind::Unknown);
    EXPECT_TRUE(dialogs.shown.empty()) << "the next call that needs the library tells";
}
