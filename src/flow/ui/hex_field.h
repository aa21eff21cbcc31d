// The one entry field of the buffer dialogs' addresses and values: up to n
// hexadecimal digits (seven for an address), lower case shown as upper case.
// A key that is no hex digit is discarded and changes nothing, a paste keeps
// its leading digits, and the caret stays where the operator typed. The rule
// itself is the core's (HexFieldEdit).
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

    // Sets the program's own text into the field as it is; the next edit
    // starts from it.
    void SetProgramText(QLineEdit& field, const QString& text);

private:
    int digits_;
    // The text before the edit under validation: the line edit already holds the new one.
    mutable QString shown_;
    bool takingProgramText_ = false;
};

class HexField : public QLineEdit {
    Q_OBJECT

public:
    // digits: 7 for an address, 2 for a byte value, 4 for a word value.
    explicit HexField(QWidget* parent, int digits = 7, const QString& name = {});

    int Digits() const { return digits_; }
    std::string Text() const { return text().toStdString(); }
    // Sets the text as the program writes it (no edit signal, so no
    // mirroring): its hex digits, even more than an edit may leave, as the
    // load dialog's "00000000".
    void SetText(const std::string& text);

private:
    int digits_;
    HexFieldValidator* validator_;
};

}  // namespace burnmark
