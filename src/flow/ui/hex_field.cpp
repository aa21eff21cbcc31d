#include "flow/ui/hex_field.h"

#include <QFontDatabase>

#include "buffer/address_entry.h"

namespace burnmark {

QValidator::State HexFieldValidator::validate(QString& input, int& pos) const {
    const QString kept = QString::fromStdString(
        HexEntryText(input.toStdString(), static_cast<std::size_t>(digits_)));
    if (kept != input) {
        input = kept;
        pos = static_cast<int>(kept.size());
    }
    return Acceptable;
}

HexField::HexField(QWidget* parent, int digits, const QString& name) : QLineEdit(parent) {
    if (!name.isEmpty()) setObjectName(name);
    setMaxLength(digits);
    setValidator(new HexFieldValidator(digits, this));
    // As wide as its digits and a margin, in the dialog's font: the widest
    // digit is D.
    setFixedWidth(fontMetrics().horizontalAdvance(QString(digits + 1, QLatin1Char('D'))) + 16);
}

void HexField::SetText(const std::string& text) {
    // As typed text is kept: the field never shows more than its digits.
    setText(QString::fromStdString(HexEntryText(text, static_cast<std::size_t>(maxLength()))));
}

}  // namespace burnmark
