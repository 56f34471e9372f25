#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A firmware image in Intel HEX form, as the board's USB microcontroller takes it into its RAM.
struct HexRecord {
    uint32_t address;
    std::vector<uint8_t> data;
};

struct HexImage {
    std::vector<HexRecord> records;  // data records in file order, with their full addresses
};

struct HexResult {
    std::optional<HexImage> image;
    std::string error;  // why the file was refused, with its line number
};

// The highest RAM address (exclusive) the loader may write; the image must lie below it.
inline constexpr uint32_t kLoaderRamEnd = 0x4000;

// Parses the text: every line a record (":" count, address, type, data, checksum) with a valid
// checksum; types 00 data, 01 end of file, 02 extended segment address, 04 extended linear
// address (03 and 05, start addresses, are accepted and ignored); every data byte below ramEnd;
// and an end-of-file record before the text ends. Anything else refuses the whole file.
HexResult parseIntelHex(std::string_view text, uint32_t ramEnd = kLoaderRamEnd);

// The same for a file; a file that cannot be read is refused.
HexResult readIntelHexFile(const char* path, uint32_t ramEnd = kLoaderRamEnd);
