#include "flow/ui/hex_field.h"

#include <algorithm>

#include "buffer/address_entry.h"

namespace burnmark {

QValidator::State HexFieldValidator::validate(QString& input, int& pos) const {
    if (!takingProgramText_) {
        // Latin-1 keeps one character per position; what is no Latin-1 is no
        // hex digit either.
        const HexFieldState kept = HexFieldEdit(
            shown_.toLatin1().toStdString(), input.toLatin1().toStdString(),
            static_cast<std::size_t>(std::max(pos, 0)), static_cast<std::size_t>(digits_));
        const QString text = QString::fromLatin1(kept.text);
        if (text != input) input = text;
        pos = static_cast<int>(kept.caret);
    }
    shown_ = input;
    return Acceptable;
}

void HexFieldValidator::SetProgramText(QLineEdit& field, const QString& text) {
    takingProgramText_ = true;
    field.setText(text);
    takingProgramText_ = false;
    shown_ = field.text();
}

HexField::HexField(QWidget* parent, int digits, const QString& name)
    : QLineEdit(parent), digits_(digits), validator_(new HexFieldValidator(digits, this)) {
    if (!name.isEmpty()) setObjectName(name);
    setValidator(validator_);
    // As wide as its digits and a margin, in the dialog's font: the widest
    // digit is D.
    setFixedWidth(fontMetrics().horizontalAdvance(QString(digits + 1, QLatin1Char('D'))) + 16);
}

void HexField::SetText(const std::string& text) {
    const QString shown =
        QString::fromStdString(HexEntryText(text, std::max<std::size_t>(text.size(), 1)));
    validator_->SetProgramText(*this, shown);
}

}  // namespace burnmark
