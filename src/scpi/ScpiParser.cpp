#include "scpi/ScpiParser.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

// A mnemonic has at most 12 characters (IEEE 488.2, 7.6.1).
constexpr std::size_t kLongestMnemonic = 12;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// A byte that may not stand outside a string: a control character or one outside ASCII.
bool isInvalid(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte >= 0x7F;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Where text first splits at separator outside strings and parentheses (npos: nowhere), or
// the error in its quoting before that. A byte that may not be sent outside a string is an
// error too.
std::variant<std::size_t, ScpiError> findSeparator(std::string_view text, char separator) {
    char quote = 0;
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote) quote = 0;  // a doubled quote closes and opens again
            continue;
        }
        if (isInvalid(c))
            return ScpiError{kInvalidCharacter, "byte " + std::to_string(int(uint8_t(c)))};
        if (c == '"' || c == '\'') quote = c;
        if (c == '(') ++depth;
        if (c == ')' && --depth < 0) return ScpiError{kExpressionError, "\")\" without \"(\""};
        if (c == separator && depth == 0) return i;
    }
    if (quote != 0) return ScpiError{kStringDataError, "a string without its closing quote"};
    if (depth != 0) return ScpiError{kExpressionError, "\"(\" without \")\""};
    return std::string_view::npos;
}

// The next part of rest up to separator, taken off rest. Only for text whose quoting was found
// sound.
std::string_view takePart(std::string_view& rest, char separator) {
    const std::size_t end =
        std::min(std::get<std::size_t>(findSeparator(rest, separator)), rest.size());
    const std::string_view part = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    return part;
}

// One node, "SOURce2", into its mnemonic and suffix.
std::variant<HeaderNode, ScpiError> readNode(std::string_view text) {
    if (text.empty() || std::isalpha(static_cast<unsigned char>(text.front())) == 0)
        return ScpiError{kSyntaxError, "a header node must start with a letter"};
    std::size_t digits = text.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(text[digits - 1])) != 0)
        --digits;
    HeaderNode node;
    for (const char c : text.substr(0, digits)) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '_')
            return ScpiError{kSyntaxError, "invalid character in header"};
        node.mnemonic += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (node.mnemonic.size() > kLongestMnemonic)
        return ScpiError{kMnemonicTooLong, std::string(text)};
    const std::string_view suffix = text.substr(digits);
    if (suffix.size() > 9) return ScpiError{kSuffixOutOfRange, std::string(text)};
    if (!suffix.empty()) node.suffix = std::stoi(std::string(suffix));
    return node;
}

// The header's nodes as sent; common: "*IDN" without its star.
std::variant<std::vector<HeaderNode>, ScpiError> readNodes(std::string_view header) {
    std::vector<HeaderNode> nodes;
    std::size_t start = 0;
    while (start <= header.size()) {
        const std::size_t end = std::min(header.find(':', start), header.size());
        auto node = readNode(header.substr(start, end - start));
        if (auto* error = std::get_if<ScpiError>(&node)) return *error;
        nodes.push_back(std::get<HeaderNode>(node));
        start = end + 1;
    }
    return nodes;
}

std::optional<ScpiError> readParameters(std::string_view text, ProgramUnit& unit) {
    while (!text.empty()) {
        const bool last = std::get<std::size_t>(findSeparator(text, ',')) == std::string_view::npos;
        const std::string_view parameter = trimmed(takePart(text, ','));
        if (parameter.empty() || (!last && text.empty()))
            return ScpiError{kSyntaxError, "an empty parameter"};
        unit.parameters.emplace_back(parameter);
    }
    return std::nullopt;
}

}  // namespace

MessageUnits::MessageUnits(std::string_view message) : rest_(message) {
    // A separator no message holds: the whole message is scanned for its quoting.
    const auto scan = findSeparator(message, '\n');
    if (const auto* error = std::get_if<ScpiError>(&scan)) malformed_ = *error;
}

std::optional<std::variant<ProgramUnit, ScpiError>> MessageUnits::next() {
    if (malformed_) {
        if (std::exchange(ended_, true)) return std::nullopt;
        return *malformed_;
    }
    while (!ended_) {
        ended_ = std::get<std::size_t>(findSeparator(rest_, ';')) == std::string_view::npos;
        const std::string_view text = trimmed(takePart(rest_, ';'));
        if (!text.empty()) return unit(text);
    }
    return std::nullopt;
}

std::variant<ProgramUnit, ScpiError> MessageUnits::unit(std::string_view text) {
    const std::size_t end = std::min(text.find_first_of(" \t"), text.size());
    ProgramUnit unit;
    unit.header = std::string(text.substr(0, end));
    std::string_view header = unit.header;
    unit.query = header.ends_with('?');
    if (unit.query) header.remove_suffix(1);
    unit.common = header.starts_with('*');
    const bool absolute = header.starts_with(':');
    if (unit.common || absolute) header.remove_prefix(1);
    if (unit.common && header.find(':') != std::string_view::npos)
        return ScpiError{kSyntaxError, "a common command has one node"};
    auto nodes = readNodes(header);
    if (auto* error = std::get_if<ScpiError>(&nodes)) return *error;
    if (auto error = readParameters(trimmed(text.substr(end)), unit)) return *error;
    unit.nodes = std::move(std::get<std::vector<HeaderNode>>(nodes));
    if (unit.common) return unit;
    if (!absolute) {
        if (path_.size() + unit.nodes.size() > kDeepestHeader)
            return ScpiError{kCommandHeaderError,
                             "a header deeper than " + std::to_string(kDeepestHeader) + " nodes"};
        unit.nodes.insert(unit.nodes.begin(), path_.begin(), path_.end());
    }
    path_.assign(unit.nodes.begin(), unit.nodes.end() - 1);
    return unit;
}
