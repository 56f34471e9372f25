#pragma once

#include "board/Dialogs.h"

// The program's message boxes as Qt message boxes, and ending the program at once.
class QtDialogs : public Dialogs {
protected:
    Answer ask(const MessageBoxSpec& box) override;
    void quit(int status) override;
};
