#include "board/BoardChoice.h"

#include <array>
#include <sstream>

#include "driver_abi/DriverAbi.h"

namespace {

// Room for the lines of a full board list, 127 boards.
constexpr int32_t kListBytes = 1 << 16;

}  // namespace

std::string BoardChoice::cannot(const std::string& what) const {
    return "the driver library " + library_.file() + " cannot " + what;
}

std::optional<std::vector<std::string>> BoardChoice::list(std::string& problem) {
    auto* listBoards =
        reinterpret_cast<driver_abi::ListBoardsFn*>(library_.find(driver_abi::kListBoards));
    if (listBoards == nullptr) {
        problem = cannot("list the boards");
        return std::nullopt;
    }
    std::string text(kListBytes, '\0');
    if (listBoards(text.data(), kListBytes) < 0) {
        problem = "the board list is longer than " + std::to_string(kListBytes) + " bytes";
        return std::nullopt;
    }
    std::vector<std::string> lines;
    std::istringstream stream(text.c_str());
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

bool BoardChoice::choose(const std::string& place) {
    auto* chooseBoard =
        reinterpret_cast<driver_abi::ChooseBoardFn*>(library_.find(driver_abi::kChooseBoard));
    if (chooseBoard == nullptr) return false;
    chooseBoard(place.c_str());
    return true;
}

std::string BoardChoice::openFailure() {
    return textFrom<driver_abi::OpenFailureFn>(driver_abi::kOpenFailure);
}

std::string BoardChoice::openedBoard() {
    return textFrom<driver_abi::OpenedBoardFn>(driver_abi::kOpenedBoard);
}

BoardKind BoardChoice::told_ = BoardKind::Unknown;

BoardKind BoardChoice::kind() {
    auto* isVirtual =
        reinterpret_cast<driver_abi::BoardIsVirtualFn*>(library_.peek(driver_abi::kBoardIsVirtual));
    told_ = isVirtual == nullptr ? BoardKind::Unknown
            : isVirtual() != 0   ? BoardKind::Virtual
                                 : BoardKind::Real;
    return told_;
}

template <typename Fn>
std::string BoardChoice::textFrom(const char* name) {
    auto* fn = reinterpret_cast<Fn*>(library_.find(name));
    if (fn == nullptr) return "";
    std::array<char, 1024> text{};
    fn(text.data(), static_cast<int32_t>(text.size()));
    return text.data();
}
