#pragma once

#include <clocale>

// Switches the process to a German locale (decimal comma) while it lives, compiling the locale
// into a temporary directory first when the system has none; active() is false when that was
// not possible.
class GermanLocale {
public:
    GermanLocale();
    ~GermanLocale() { std::setlocale(LC_ALL, "C"); }
    bool active() const { return active_; }

private:
    bool active_ = false;
};
