#pragma once

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Every modal message box and every "end the program now" of the program goes through this
// interface, so the rules that show them can be tested without a person at the screen.

enum class MessageIcon { None, Warning, Critical };
enum class MessageButtons { Ok, RetryCancel };
enum class Answer { Ok, Retry, Cancel };

struct MessageBoxSpec {
    std::string text;
    std::string title;  // empty: the application's name, as the platform's default title
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;  // RetryCancel has Retry as the default
    bool operator==(const MessageBoxSpec&) const = default;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Shows a modal box and returns the button that closed it.
    Answer show(const MessageBoxSpec& box) {
        ++open_;
        const Answer answer = ask(box);
        --open_;
        // A copy: a listener may come or go while the others run.
        const auto listeners = boxClosedListeners_;
        for (const auto& listener : listeners)
            listener.second();
        return answer;
    }

    // listener runs after each box has closed, until its owner is taken off again.
    void addBoxClosedListener(const void* owner, std::function<void()> listener) {
        boxClosedListeners_.emplace_back(owner, std::move(listener));
    }
    void removeBoxClosedListeners(const void* owner) {
        std::erase_if(boxClosedListeners_, [owner](const auto& l) { return l.first == owner; });
    }

    // True while a box is open. Timer ticks still arrive then; work they would start waits,
    // so an unplugged board gives one box at a time, never a pile.
    bool boxOpen() const { return open_ > 0; }
    // Ends the program at once: no further window events, nothing released or saved.
    [[noreturn]] void endProgram(int status) {
        quit(status);
        std::abort();  // quit never returns; this only tells the compiler so
    }

protected:
    virtual Answer ask(const MessageBoxSpec& box) = 0;
    // Ends the program (or, in a test, leaves the code under test by an exception).
    virtual void quit(int status) = 0;

private:
    int open_ = 0;
    std::vector<std::pair<const void*, std::function<void()>>> boxClosedListeners_;
};
