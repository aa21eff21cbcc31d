// The one entry field of the buffer dialogs' addresses and values: up to n
// hexadecimal digits (seven for an address), lower case shown as upper case,
// every other key discarded, a paste cut at its first character that is no
// hex digit. The rule itself is the core's (HexEntryText).
#pragma once

#include <QLineEdit>
#include <QValidator>
#include <string>

namespace burnmark {

class HexFieldValidator : public QValidator {
    Q_OBJECT

public:
    HexFieldValidator(int digits, QObject* parent) : QValidator(parent), digits_(digits) {}
    State validate(QString& input, int& pos) const override;

private:
    int digits_;
};

class HexField : public QLineEdit {
    Q_OBJECT

public:
    // digits: 7 for an address, 2 for a byte value, 4 for a word value.
    explicit HexField(QWidget* parent, int digits = 7, const QString& name = {});

    std::string Text() const { return text().toStdString(); }
    // Sets the text as the program writes it (no edit signal, so no mirroring).
    void SetText(const std::string& text);
};

}  // namespace burnmark
