#pragma once

#include "board/Dialogs.h"

// Message boxes for a program without windows: the text goes to standard error, nothing
// waits for an answer (a Retry/Cancel question is answered Cancel), and ending the program
// exits the process with the status.
class ConsoleDialogs : public Dialogs {
protected:
    Answer ask(const MessageBoxSpec& box) override;
    void quit(int status) override;
};
