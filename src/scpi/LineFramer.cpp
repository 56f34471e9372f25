#include "scpi/LineFramer.h"

#include <utility>

void LineFramer::take(std::string_view bytes, const std::function<bool(std::string_view)>& onLine,
                      const std::function<void()>& onOverrun) {
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        if (!overrun_) line_.append(bytes.substr(0, end));
        if (line_.size() > longest_) {
            line_.clear();
            line_.shrink_to_fit();
            overrun_ = true;
            onOverrun();
        }
        if (end == std::string_view::npos) return;
        bytes.remove_prefix(end + 1);
        std::string line = std::exchange(line_, {});
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!std::exchange(overrun_, false) && !onLine(line)) return;
    }
}
