#include "IntelHex.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The bytes of a record line after its colon, or nothing when a character is not hex.
std::optional<std::vector<uint8_t>> lineBytes(std::string_view hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::vector<uint8_t> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]);
        const int low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return bytes;
}

HexResult refuse(int line, const std::string& why) {
    return {std::nullopt, "line " + std::to_string(line) + ": " + why};
}

bool inLoaderRam(uint32_t address, std::size_t size) {
    for (const RamBlock& block : kLoaderRam) {
        if (address >= block.begin && address + size <= block.end) return true;
    }
    return false;
}

// What may follow the end-of-file record: blank lines, Ctrl-Z (an old end-of-text mark) and
// NUL padding.
bool onlyPaddingAfterTheEnd(std::string_view rest) {
    return rest.find_first_not_of(std::string_view(" \t\r\n\x1A\0", 6)) == std::string_view::npos;
}

// The bytes every record put at its addresses so far; false when data gives one of them
// another value.
bool agreesWithEarlierRecords(std::map<uint32_t, uint8_t>& written, uint32_t address,
                              const std::vector<uint8_t>& data) {
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto [at, fresh] = written.emplace(address + i, data[i]);
        if (!fresh && at->second != data[i]) return false;
    }
    return true;
}

}  // namespace

HexResult parseIntelHex(std::string_view text) {
    HexImage image;
    std::map<uint32_t, uint8_t> written;
    uint32_t base = 0;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        if (line[0] != ':') return refuse(lineNumber, "a record must start with ':'");
        const auto bytes = lineBytes(line.substr(1));
        if (!bytes || bytes->size() < 5) return refuse(lineNumber, "malformed record");
        const std::vector<uint8_t>& b = *bytes;
        if (b.size() != 5u + b[0]) return refuse(lineNumber, "byte count does not match");
        unsigned sum = 0;
        for (const uint8_t byte : b)
            sum += byte;
        if (sum % 256 != 0) return refuse(lineNumber, "bad checksum");
        const uint32_t offset = b[1] << 8 | b[2];
        const std::vector<uint8_t> data(b.begin() + 4, b.end() - 1);
        switch (b[3]) {
            case 0x00:
                if (!inLoaderRam(base + offset, data.size())) {
                    return refuse(lineNumber, "data beyond the microcontroller's RAM");
                }
                if (!agreesWithEarlierRecords(written, base + offset, data)) {
                    return refuse(lineNumber, "another byte for an address already given");
                }
                if (!data.empty()) image.records.push_back({base + offset, data});
                break;
            case 0x01:
                if (!data.empty()) return refuse(lineNumber, "end-of-file record with data");
                if (!onlyPaddingAfterTheEnd(text)) {
                    return refuse(lineNumber + 1, "text after the end-of-file record");
                }
                if (image.records.empty()) return refuse(lineNumber, "no data");
                return {image, ""};
            case 0x02:
            case 0x04:
                if (data.size() != 2) return refuse(lineNumber, "malformed address record");
                base = static_cast<uint32_t>(data[0] << 8 | data[1]) << (b[3] == 0x02 ? 4 : 16);
                break;
            case 0x03:
            case 0x05:
                break;
            default:
                return refuse(lineNumber, "unknown record type");
        }
    }
    return refuse(lineNumber, "no end-of-file record");
}

HexResult readIntelHexFile(const char* path) {
    std::error_code error;
    if (path == nullptr || !std::filesystem::is_regular_file(path, error)) {
        return {std::nullopt, "not a readable file"};
    }
    if (std::filesystem::file_size(path, error) > kMaxHexFileBytes || error) {
        return {std::nullopt, "bigger than any image for the microcontroller's RAM"};
    }
    std::ifstream file(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (!file && !file.eof()) return {std::nullopt, "cannot be read"};
    return parseIntelHex(text);
}
