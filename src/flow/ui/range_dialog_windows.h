// The block, fill and sum dialogs: "Block Process" (TBlockDialog), "Fill
// Data" (TFillDataDialog) and "Get Check Sum" (TGetSumDialog). They show the
// fields their core logic gives and hand it the operator's entries; OK closes
// only on the logic's answer, and every other way out (Cancel, Esc) is a
// Cancel.
#pragma once

#include <QDialog>
#include <QGroupBox>
#include <optional>

#include "flow/range_dialogs.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace burnmark {

class HexField;

// The byte field's edits mirror into its word partner and the word field's
// into its byte partner; the program's own writes are not mirrored.
void LinkByteAndWord(HexField* byteField, HexField* wordField);

// The object names of one dialog's range panel.
struct RangePanelNames {
    QString byteStart, byteEnd, wordStart, wordEnd;
    QString max, file, fileText;
    bool columnColons = true;  // "8 Bit :" or "8 Bit"
};

// The source range: byte and word start and end, and the IC, Max and File
// buttons beside them.
class RangePanel : public QGroupBox {
    Q_OBJECT

public:
    RangePanel(QWidget* parent, const RangePanelNames& names, const QString& title = {});

    RangeFields Fields() const;
    void SetFields(const RangeFields& fields);

    HexField* byteStart;
    HexField* byteEnd;
    HexField* wordStart;
    HexField* wordEnd;
    QPushButton* ic;
    QPushButton* max;
    QPushButton* file;
};

class TBlockDialog : public QDialog {
    Q_OBJECT

public:
    TBlockDialog(QWidget* parent, BlockDialogLogic& logic);
    const std::optional<BlockRequest>& Answer() const { return answer_; }

    void reject() override;

private:
    void FormCreate();
    BlockFields Fields() const;
    void UpdateDestEnd();
    void GetSumBtnClick();

    BlockDialogLogic& logic_;
    std::optional<BlockRequest> answer_;
    RangePanel* range_;
    HexField* dest8_;
    HexField* dest16_;
    QLabel* destEnd8_;
    QLabel* destEnd16_;
    QButtonGroup* action_;
};

class TFillDataDialog : public QDialog {
    Q_OBJECT

public:
    TFillDataDialog(QWidget* parent, FillDialogLogic& logic);
    const std::optional<FillRequest>& Answer() const { return answer_; }

    void reject() override;

private:
    void FormCreate();
    FillFields Fields() const;
    void ApplyControls();
    void FillBtnClick();

    FillDialogLogic& logic_;
    std::optional<FillRequest> answer_;
    RangePanel* range_;
    QCheckBox* userCheck_;
    QGroupBox* defSetGroup_;
    QButtonGroup* defSet_;
    HexField* userByte_;
    HexField* userWord_;
    QGroupBox* fillDataBox_;
    QButtonGroup* fillData_;
};

class TGetSumDialog : public QDialog {
    Q_OBJECT

public:
    TGetSumDialog(QWidget* parent, SumDialogLogic& logic);
    const std::optional<SumRequest>& Answer() const { return answer_; }

    void reject() override;

private:
    void FillICSizeBBClick();
    void GetSumBtnClick();

    SumDialogLogic& logic_;
    std::optional<SumRequest> answer_;
    RangePanel* range_;
};

}  // namespace burnmark
