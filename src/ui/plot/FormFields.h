#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

class Dialogs;
class QFormLayout;
class QLineEdit;

// What the plot window's pages share in reading their settings.

// A line edit in a row of form, with its label as its buddy (so screen readers name it).
QLineEdit* field(QFormLayout* form, const QString& label, const QString& text);

// "the step must be 1 or more" as a message box says it: "The step must be 1 or more."
std::string asSentence(std::string text);

// A hexadecimal code 0 to FFFF, as the code fields take it.
std::optional<int32_t> hexCode(const QString& text);

// A warning box with text and OK.
void warn(Dialogs& dialogs, const std::string& text);

// Shows what is wrong with a page's settings as a sentence; true when something was.
bool shownProblem(Dialogs& dialogs, const std::optional<std::string>& problem);
