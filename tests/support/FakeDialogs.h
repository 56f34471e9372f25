#pragma once

#include <deque>
#include <functional>
#include <stdexcept>
#include <vector>

#include "board/Dialogs.h"

// Thrown where the program would end, so a test can see it happen and carry on.
struct ProgramEnded : std::runtime_error {
    explicit ProgramEnded(int s) : std::runtime_error("program ended"), status(s) {}
    int status;
};

// Records every box and answers from a script (Ok for plain boxes, Cancel once the script
// runs out). With exitProcess set, ending the program really ends the (death-test) process
// after printing the boxes it saw, so the parent can match them.
class FakeDialogs : public Dialogs {
public:
    explicit FakeDialogs(std::deque<Answer> script = {}, bool exitProcess = false)
        : answers(std::move(script)), exitProcess_(exitProcess) {}

    std::deque<Answer> answers;  // the next boxes' answers, in order
    std::vector<MessageBoxSpec> shown;
    // Runs as each box is shown, before it is answered.
    std::function<void(const MessageBoxSpec&)> onShow;

protected:
    Answer ask(const MessageBoxSpec& box) override;
    void quit(int status) override;

private:
    bool exitProcess_;
};
