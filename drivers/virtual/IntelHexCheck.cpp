#include "IntelHexCheck.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace {

std::optional<int> hexByte(std::string_view text, std::size_t at) {
    int value = 0;
    for (std::size_t i = at; i < at + 2; ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (digit < 0) return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

enum class Record { Bad, Data, EndOfFile };

// ":LLAAAATT<data>CC", the two's-complement checksum making all bytes sum to 0 mod 256.
Record checkRecord(std::string_view line) {
    if (line.size() < 11 || line[0] != ':' || line.size() % 2 == 0) return Record::Bad;
    const auto count = hexByte(line, 1);
    if (!count || line.size() != 11 + 2 * static_cast<std::size_t>(*count)) return Record::Bad;
    int sum = 0;
    for (std::size_t at = 1; at < line.size(); at += 2) {
        const auto byte = hexByte(line, at);
        if (!byte) return Record::Bad;
        sum += *byte;
    }
    if (sum % 256 != 0) return Record::Bad;
    const int type = *hexByte(line, 7);
    if (type == 1) return *count == 0 ? Record::EndOfFile : Record::Bad;
    return type <= 5 ? Record::Data : Record::Bad;
}

}  // namespace

bool isLoadableHexText(std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        const Record record = checkRecord(line);
        if (record == Record::Bad) return false;
        if (record == Record::EndOfFile) return true;
    }
    return false;
}

bool isLoadableHexFile(const char* path) {
    std::error_code error;
    if (path == nullptr || !std::filesystem::is_regular_file(path, error)) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return isLoadableHexText(text);
}
