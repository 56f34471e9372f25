#include "scpi/ScpiHeaders.h"

#include "scpi/ScpiValues.h"

namespace {

struct PatternNode {
    std::string_view name;
    bool suffixed = false;
    bool optional = false;
};

std::vector<PatternNode> patternNodes(std::string_view pattern) {
    std::vector<PatternNode> nodes;
    while (!pattern.empty()) {
        PatternNode node;
        node.optional = pattern.front() == '[';
        if (node.optional) pattern.remove_prefix(1);
        if (pattern.front() == ':') pattern.remove_prefix(1);
        const std::size_t end = std::min(pattern.find_first_of(":[]"), pattern.size());
        node.name = pattern.substr(0, end);
        pattern.remove_prefix(end);
        if (!pattern.empty() && pattern.front() == ']') pattern.remove_prefix(1);
        node.suffixed = node.name.ends_with('#');
        if (node.suffixed) node.name.remove_suffix(1);
        nodes.push_back(node);
    }
    return nodes;
}

class Matcher {
public:
    Matcher(const std::vector<PatternNode>& pattern, const std::vector<HeaderNode>& sent)
        : pattern_(pattern), sent_(sent) {}

    // Whether the pattern from node p on takes the sent nodes from s on; the suffixes of its
    // "#" nodes appended.
    bool matches(std::size_t p, std::size_t s, std::vector<int>& suffixes) const {
        if (p == pattern_.size()) return s == sent_.size();
        const PatternNode& node = pattern_[p];
        const std::size_t before = suffixes.size();
        if (s < sent_.size() && takes(node, sent_[s])) {
            if (node.suffixed) suffixes.push_back(sent_[s].suffix.value_or(1));
            if (matches(p + 1, s + 1, suffixes)) return true;
            suffixes.resize(before);
        }
        if (!node.optional) return false;
        if (node.suffixed) suffixes.push_back(1);
        if (matches(p + 1, s, suffixes)) return true;
        suffixes.resize(before);
        return false;
    }

private:
    static bool takes(const PatternNode& node, const HeaderNode& sent) {
        return mnemonicMatches(sent.mnemonic, node.name) && (node.suffixed || !sent.suffix);
    }

    const std::vector<PatternNode>& pattern_;
    const std::vector<HeaderNode>& sent_;
};

}  // namespace

std::optional<std::vector<int>> matchHeader(std::string_view pattern, const ProgramUnit& unit) {
    const bool query = pattern.ends_with('?');
    if (query) pattern.remove_suffix(1);
    const bool common = pattern.starts_with('*');
    if (common) pattern.remove_prefix(1);
    if (query != unit.query || common != unit.common) return std::nullopt;
    const std::vector<PatternNode> nodes = patternNodes(pattern);
    std::vector<int> suffixes;
    if (!Matcher(nodes, unit.nodes).matches(0, 0, suffixes)) return std::nullopt;
    return suffixes;
}
