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

// The microcontroller's RAM that its loader writes: the program and data RAM, 0x0000-0x3FFF,
// and the second block at 0xE000-0xE1FF. Every byte of an image must lie in one of them.
struct RamBlock {
    uint32_t begin;
    uint32_t end;  // exclusive
};
inline constexpr RamBlock kLoaderRam[] = {{0x0000, 0x4000}, {0xE000, 0xE200}};

// The largest file taken: all of that RAM written one byte per record, with CR LF line ends,
// needs some 250 kB, so a bigger file is no image for this board and is refused unread.
inline constexpr std::uintmax_t kMaxHexFileBytes = 1 << 20;

// Parses the text: every line a record (":" count, address, type, data, checksum) with a valid
// checksum; types 00 data, 01 end of file, 02 extended segment address, 04 extended linear
// address (03 and 05, start addresses, are accepted and ignored); every data byte in the
// loader's RAM and never two different bytes for one address; at least one data byte; and an
// end-of-file record followed by nothing but blank lines, Ctrl-Z or NUL bytes. Anything else
// refuses the whole file.
HexResult parseIntelHex(std::string_view text);

// The same for a file; a file that cannot be read, or is bigger than kMaxHexFileBytes, is
// refused.
HexResult readIntelHexFile(const char* path);
