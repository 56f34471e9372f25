#pragma once

#include <QColor>

class QLCDNumber;

// Gives a numeric display the look of a red LED readout: flat segments in the given colour on
// black, no frame.
void styleAsLed(QLCDNumber& display, const QColor& segments);
