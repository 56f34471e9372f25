#include "ui/plot/SaveNames.h"

#include <array>

std::string datedFileName(std::string_view what, const std::tm& local, std::string_view suffix) {
    std::array<char, 32> when{};
    const size_t length = std::strftime(when.data(), when.size(), "%Y-%m-%d-%H%M", &local);
    return std::string(what) + "-" + std::string(when.data(), length) + "." + std::string(suffix);
}

std::string withSuffix(const std::string& path, std::string_view suffix) {
    const auto slash = path.rfind('/');
    const std::string_view name =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.find('.') != std::string_view::npos) return path;
    return path + "." + std::string(suffix);
}
