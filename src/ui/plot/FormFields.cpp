#include "ui/plot/FormFields.h"

#include <QFormLayout>
#include <QLineEdit>

#include <cctype>

#include "board/Dialogs.h"
#include "command/NumberReading.h"

QLineEdit* field(QFormLayout* form, const QString& label, const QString& text) {
    auto* edit = new QLineEdit(text);
    form->addRow(label, edit);  // the label is the field's buddy
    return edit;
}

std::string asSentence(std::string text) {
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text + ".";
}

std::optional<int32_t> hexCode(const QString& text) {
    const auto value = readWholeUnsigned(text.trimmed().toStdString(), 16);
    if (!value || *value > 0xFFFF) return std::nullopt;
    return static_cast<int32_t>(*value);
}

void warn(Dialogs& dialogs, const std::string& text) {
    dialogs.show({text, "", MessageIcon::Warning, MessageButtons::Ok});
}

bool shownProblem(Dialogs& dialogs, const std::optional<std::string>& problem) {
    if (problem) warn(dialogs, asSentence(*problem));
    return problem.has_value();
}
