#include "ui/shared/LedDisplay.h"

#include <QLCDNumber>

#include <array>
#include <charconv>

void styleAsLed(QLCDNumber& display, const QColor& segments) {
    display.setSegmentStyle(QLCDNumber::Flat);
    display.setFrameShape(QFrame::NoFrame);
    display.setAutoFillBackground(true);
    QPalette palette = display.palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, segments);
    display.setPalette(palette);
}

// The display writes the value with as many significant digits as it has places, and one
// fewer at a time until the text fits; a positive exponent's "+" keeps its place but shows
// blank, so it is left out here.
std::string ledDigits(double value, int cells) {
    std::array<char, 64> buffer{};
    std::string text;
    for (int digits = cells; digits >= 0; --digits) {
        char* const first = buffer.data();
        text.assign(first, std::to_chars(first, first + buffer.size(), value,
                                         std::chars_format::general, digits)
                               .ptr);
        if (static_cast<int>(text.size()) <= cells) break;
    }
    if (const auto plus = text.find("e+"); plus != std::string::npos) text.erase(plus + 1, 1);
    return text;
}
