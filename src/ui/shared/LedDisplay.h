#pragma once

#include <QColor>

#include <string>

class QLCDNumber;

// Gives a numeric display the look of a red LED readout: flat segments in the given colour on
// black, no frame.
void styleAsLed(QLCDNumber& display, const QColor& segments);

// The digits a seven-segment display of cells places shows for value, as it chooses them: the
// most significant digits that fit, the decimal point taking a place of its own ("2.999268"
// for 2.999267578125 in 8 places), without the blanks in front. The decimal point is a point
// in every locale.
std::string ledDigits(double value, int cells);
