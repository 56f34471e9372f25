#pragma once

#include <filesystem>

// Switches the process to a German locale (decimal comma) while it lives, compiling the locale
// into a temporary directory first when the system has none, and removing it afterwards;
// active() is false when that was not possible.
class GermanLocale {
public:
    GermanLocale();
    ~GermanLocale();
    bool active() const { return active_; }

private:
    bool active_ = false;
    std::filesystem::path compiled_;  // the locale made for this process, if any
};
