#include "board/FailurePolicy.h"

#include <iomanip>
#include <locale>
#include <sstream>

#include "board/Dialogs.h"

namespace {

// The box of a refused request: "error", OK, no icon, the program's name as its title.
const MessageBoxSpec kErrorBox{"error", "", MessageIcon::None, MessageButtons::Ok};

}  // namespace

void ErrorBoxForEach::refused(const BoardRequest&, int16_t) {
    dialogs_.show(kErrorBox);
}

void ErrorBoxForFirst::refused(const BoardRequest&, int16_t) {
    if (shown_) return;
    shown_ = true;
    dialogs_.show(kErrorBox);
}

void FirstRefusalText::refused(const BoardRequest& request, int16_t result) {
    if (!text_) text_ = describeFailure(request, result);
}

std::string describeFailure(const BoardRequest& request, int16_t result) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::uppercase << std::hex << std::setfill('0') << "request 0x" << std::setw(2)
         << request.code << " (value 0x" << std::setw(4) << request.value << ", index 0x"
         << std::setw(4) << request.index
         << (request.direction == kFromBoard ? ", from the board" : "") << ") failed with result "
         << std::to_string(result);
    return text.str();
}
