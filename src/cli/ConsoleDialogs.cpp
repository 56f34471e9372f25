#include "cli/ConsoleDialogs.h"

#include <cstdio>
#include <cstdlib>

Answer ConsoleDialogs::ask(const MessageBoxSpec& box) {
    std::string text = box.text;
    for (char& c : text)
        c = c == '\r' ? ' ' : c;
    std::fprintf(stderr, "xt4830ctl: %s\n", text.c_str());
    return box.buttons == MessageButtons::RetryCancel ? Answer::Cancel : Answer::Ok;
}

void ConsoleDialogs::quit(int status) {
    std::fflush(stdout);
    std::exit(status);
}
