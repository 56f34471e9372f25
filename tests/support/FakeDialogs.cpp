#include "FakeDialogs.h"

#include <unistd.h>

#include <cstdio>

Answer FakeDialogs::ask(const MessageBoxSpec& box) {
    shown.push_back(box);
    if (onShow) onShow(box);
    if (!answers.empty()) {
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return box.buttons == MessageButtons::Ok ? Answer::Ok : Answer::Cancel;
}

void FakeDialogs::quit(int status) {
    if (!exitProcess_) throw ProgramEnded(status);
    for (const MessageBoxSpec& box : shown)
        std::fprintf(stderr, "box[%s] %s\n", box.title.c_str(), box.text.c_str());
    std::fprintf(stderr, "ended with status %d after %zu boxes\n", status, shown.size());
    std::fflush(stderr);
    _exit(status);
}
