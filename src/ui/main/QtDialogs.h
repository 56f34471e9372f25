#pragma once

#include "Dialogs.h"

// The program's message boxes as Qt message boxes, and ending the program at once.
class QtDialogs : public Dialogs {
public:
    Answer show(const MessageBoxSpec& box) override;

protected:
    void quit(int status) override;
};
