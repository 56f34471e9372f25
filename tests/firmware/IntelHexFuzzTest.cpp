// Random mutations of valid images, for a bounded number of rounds with a fixed seed, run
// under the address and undefined-behaviour sanitizers: the parser must never crash, read out
// of bounds or accept data beyond the RAM.
#include <gtest/gtest.h>

#include <random>

#include "IntelHex.h"

TEST(IntelHexFuzz, MutatedImagesNeverCrashAndNeverLeaveTheRam) {
    const std::string seed =
        ":0400000080FE00007E\n:020000040000FA\n:020010001122BB\n:0100200033AC\n:00000001FF\n";
    const std::string alphabet = ":0123456789ABCDEFabcdefG\r\n ";
    std::mt19937 random(4830);
    for (int round = 0; round < 500000; ++round) {
        std::string text = seed;
        const int edits = 1 + static_cast<int>(random() % 6);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % (text.size() + 1);
            switch (random() % 3) {
                case 0:
                    text.insert(at, 1, alphabet[random() % alphabet.size()]);
                    break;
                case 1:
                    if (at < text.size()) text.erase(at, 1);
                    break;
                default:
                    if (at < text.size()) text[at] = alphabet[random() % alphabet.size()];
            }
        }
        const HexResult result = parseIntelHex(text);
        ASSERT_NE(result.image.has_value(), !result.error.empty()) << text;
        if (!result.image) continue;
        for (const HexRecord& record : result.image->records) {
            const uint32_t last = record.address + static_cast<uint32_t>(record.data.size()) - 1;
            const bool inRam = last < 0x4000 || (record.address >= 0xE000 && last < 0xE200);
            ASSERT_TRUE(inRam) << text;
        }
    }
}
