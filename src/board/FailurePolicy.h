#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "board/BoardRequest.h"

class Dialogs;

// What happens when the board refuses a request. The request operations never decide it
// themselves: whoever issues requests gives Declare one of these (and may put another in
// front of it for a run, with Declare::PolicyScope); the refused operation tells it and then
// goes on as if the request had succeeded.
class FailurePolicy {
public:
    virtual ~FailurePolicy() = default;
    virtual void refused(const BoardRequest& request, int16_t result) = 0;
};

// The windows: every refused request shows its own "error" box.
class ErrorBoxForEach : public FailurePolicy {
public:
    explicit ErrorBoxForEach(Dialogs& dialogs) : dialogs_(dialogs) {}
    void refused(const BoardRequest& request, int16_t result) override;

private:
    Dialogs& dialogs_;
};

// One run of many requests against a board that may be gone (the self-test): the first
// refused request shows its box, the rest of the run is quiet.
class ErrorBoxForFirst : public FailurePolicy {
public:
    explicit ErrorBoxForFirst(Dialogs& dialogs) : dialogs_(dialogs) {}
    void refused(const BoardRequest& request, int16_t result) override;

private:
    Dialogs& dialogs_;
    bool shown_ = false;
};

// No box at all: the first refused request is kept as text for the caller to report its own
// way (the sweep page's one message; the command line's error output).
class FirstRefusalText : public FailurePolicy {
public:
    void refused(const BoardRequest& request, int16_t result) override;
    // "request 0xDE (value 0x3E19, index 0x8000) failed with result -1"; nothing while none
    // was refused.
    const std::optional<std::string>& text() const { return text_; }

private:
    std::optional<std::string> text_;
};

// Which request was refused and what the library answered:
// "request 0xDE (value 0x3E19, index 0x8000) failed with result -1".
std::string describeFailure(const BoardRequest& request, int16_t result);
