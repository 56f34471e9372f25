#pragma once

class QButtonGroup;

// Keeps the Tab key's stop in an option group on its checked option, whoever checked it. Qt
// gives the stop to the option that last had the focus, so after the program checks another
// option itself, Tab would land on an unchecked one, and the arrow keys would then move only
// the focus instead of the selection.
void keepTabStopOnCheckedOption(QButtonGroup& group);
