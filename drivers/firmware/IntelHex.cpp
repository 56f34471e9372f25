#include "IntelHex.h"

#include <filesystem>
#include <fstream>
#include <iterator>

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

}  // namespace

HexResult parseIntelHex(std::string_view text, uint32_t ramEnd) {
    HexImage image;
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
                if (base + offset + data.size() > ramEnd) {
                    return refuse(lineNumber, "data beyond the microcontroller's RAM");
                }
                if (!data.empty()) image.records.push_back({base + offset, data});
                break;
            case 0x01:
                if (!data.empty()) return refuse(lineNumber, "end-of-file record with data");
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

HexResult readIntelHexFile(const char* path, uint32_t ramEnd) {
    std::error_code error;
    if (path == nullptr || !std::filesystem::is_regular_file(path, error)) {
        return {std::nullopt, "not a readable file"};
    }
    std::ifstream file(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (!file && !file.eof()) return {std::nullopt, "cannot be read"};
    return parseIntelHex(text, ramEnd);
}
