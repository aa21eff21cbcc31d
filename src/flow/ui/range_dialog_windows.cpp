#include "flow/ui/range_dialog_windows.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "buffer/address_entry.h"
#include "flow/ui/dialog_frame.h"
#include "flow/ui/hex_field.h"

namespace burnmark {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The OK and Cancel buttons at the dialog's foot, right-aligned.
QHBoxLayout* FootButtons(QDialog& dialog, const QString& okName, const QString& cancelName,
                         QPushButton** ok) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    *ok = MakeButton(&dialog, okName, QStringLiteral("OK"), {});
    (*ok)->setDefault(true);
    auto* cancel = MakeButton(&dialog, cancelName, QStringLiteral("Cancel"), {});
    for (QPushButton* b : {*ok, cancel}) b->setMinimumWidth(80);
    row->addWidget(*ok);
    row->addWidget(cancel);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    return row;
}

QRadioButton* AddChoice(QButtonGroup* group, QGridLayout* grid, const QString& text, int id,
                        int row, int column) {
    auto* button = new QRadioButton(text, grid->parentWidget());
    group->addButton(button, id);
    grid->addWidget(button, row, column);
    return button;
}

}  // namespace

void LinkByteAndWord(HexField* byteField, HexField* wordField) {
    QObject::connect(byteField, &QLineEdit::textEdited, wordField, [byteField, wordField] {
        wordField->SetText(ByteToWordAddress(byteField->Text()));
    });
    QObject::connect(wordField, &QLineEdit::textEdited, byteField, [byteField, wordField] {
        byteField->SetText(WordToByteAddress(wordField->Text()));
    });
}

// ---- The range panel -------------------------------------------------------------------------

RangePanel::RangePanel(QWidget* parent, const RangePanelNames& n, const QString& title)
    : QGroupBox(title, parent) {
    setToolTip(QStringLiteral("Source Range."));
    auto* grid = new QGridLayout;
    const QString colon = n.columnColons ? QStringLiteral(" :") : QString();
    grid->addWidget(MakeLabel(this, QStringLiteral("8 Bit") + colon), 0, 1, Qt::AlignHCenter);
    grid->addWidget(MakeLabel(this, QStringLiteral("16 Bit") + colon), 0, 2, Qt::AlignHCenter);
    grid->addWidget(MakeLabel(this, QStringLiteral("Start Address :")), 1, 0);
    grid->addWidget(MakeLabel(this, QStringLiteral("End Address :")), 2, 0);
    byteStart = new HexField(this, 7, n.byteStart);
    wordStart = new HexField(this, 7, n.wordStart);
    byteEnd = new HexField(this, 7, n.byteEnd);
    wordEnd = new HexField(this, 7, n.wordEnd);
    grid->addWidget(byteStart, 1, 1);
    grid->addWidget(wordStart, 1, 2);
    grid->addWidget(byteEnd, 2, 1);
    grid->addWidget(wordEnd, 2, 2);
    LinkByteAndWord(byteStart, wordStart);
    LinkByteAndWord(byteEnd, wordEnd);

    auto* buttons = new QVBoxLayout;
    ic = MakeButton(this, QStringLiteral("FillICSizeBB"), QStringLiteral("IC"),
                    QStringLiteral("Fill IC Range"));
    max = MakeButton(this, n.max, QStringLiteral("Max"), QStringLiteral("Fill Max Range"));
    file = MakeButton(this, n.file, n.fileText, QStringLiteral("Fill File Range"));
    for (QPushButton* b : {ic, max, file}) {
        b->setMinimumWidth(56);
        buttons->addWidget(b);
    }
    auto* row = new QHBoxLayout(this);
    row->addLayout(grid, 1);
    row->addSpacing(8);
    row->addLayout(buttons);
}

RangeFields RangePanel::Fields() const {
    return RangeFields{byteStart->Text(), byteEnd->Text(), wordStart->Text(), wordEnd->Text()};
}

void RangePanel::SetFields(const RangeFields& f) {
    // End byte, end word, start byte, start word.
    byteEnd->SetText(f.byteEnd);
    wordEnd->SetText(f.wordEnd);
    byteStart->SetText(f.byteStart);
    wordStart->SetText(f.wordStart);
}

// ---- Block ---------------------------------------------------------------------------------

TBlockDialog::TBlockDialog(QWidget* parent, BlockDialogLogic& logic)
    : QDialog(parent), logic_(logic) {
    SetUpBufferDialog(*this, QStringLiteral("Block Process"), true);
    setObjectName(QStringLiteral("BlockDialog"));
    auto* top = new QVBoxLayout(this);

    range_ = new RangePanel(
        this,
        RangePanelNames{QStringLiteral("StardAddEdit"), QStringLiteral("EndAddEdit"),
                        QStringLiteral("StartAddEdit16"), QStringLiteral("EndStartAdd16"),
                        QStringLiteral("FillMaxRange"), QStringLiteral("FillFileRange"),
                        QStringLiteral("File "), true},
        QStringLiteral("Source Range :"));
    top->addWidget(range_);

    auto* middle = new QHBoxLayout;
    auto* dest = new QGroupBox(QStringLiteral("Distination Range:"), this);
    dest->setToolTip(QStringLiteral("Disnataion."));
    auto* grid = new QGridLayout(dest);
    grid->addWidget(MakeLabel(dest, QStringLiteral("8 Bit :")), 0, 1, Qt::AlignHCenter);
    grid->addWidget(MakeLabel(dest, QStringLiteral("16 Bit :")), 0, 2, Qt::AlignHCenter);
    grid->addWidget(MakeLabel(dest, QStringLiteral("Start Address :")), 1, 0);
    grid->addWidget(MakeLabel(dest, QStringLiteral("End Address :")), 2, 0);
    dest8_ = new HexField(dest, 7, QStringLiteral("DistSAdd8"));
    dest16_ = new HexField(dest, 7, QStringLiteral("DistSAdd16"));
    destEnd8_ = MakeLabel(dest, QString());
    destEnd8_->setObjectName(QStringLiteral("DistSAddLabel"));
    destEnd16_ = MakeLabel(dest, QString());
    destEnd16_->setObjectName(QStringLiteral("DistSAdd16Label"));
    for (QLabel* l : {destEnd8_, destEnd16_}) {
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(dest8_->minimumWidth());
    }
    grid->addWidget(dest8_, 1, 1);
    grid->addWidget(dest16_, 1, 2);
    grid->addWidget(destEnd8_, 2, 1);
    grid->addWidget(destEnd16_, 2, 2);
    LinkByteAndWord(dest8_, dest16_);
    middle->addWidget(dest, 1);

    auto* actionBox = new QGroupBox(QStringLiteral("Action"), this);
    actionBox->setObjectName(QStringLiteral("ActionGroup"));
    actionBox->setToolTip(QStringLiteral("Action."));
    auto* actions = new QGridLayout(actionBox);
    action_ = new QButtonGroup(this);
    AddChoice(action_, actions, QStringLiteral("Copy"), 0, 0, 0);
    AddChoice(action_, actions, QStringLiteral("Move"), 1, 1, 0);
    AddChoice(action_, actions, QStringLiteral("Swap"), 2, 2, 0);
    middle->addWidget(actionBox);
    top->addLayout(middle);

    QPushButton* ok = nullptr;
    top->addLayout(FootButtons(*this, QStringLiteral("GetSumBtn"), QStringLiteral("ExitBtn"), &ok));

    // Every change of a source or destination field recomputes the end labels.
    for (HexField* f :
         {range_->byteStart, range_->byteEnd, dest8_, range_->wordStart, range_->wordEnd, dest16_})
        connect(f, &QLineEdit::textChanged, this, &TBlockDialog::UpdateDestEnd);
    connect(range_->ic, &QPushButton::clicked, this,
            [this] { range_->SetFields(logic_.IcFields()); });
    connect(range_->max, &QPushButton::clicked, this, [this] {
        if (auto f = logic_.MaxFields(true)) range_->SetFields(*f);
    });
    connect(range_->file, &QPushButton::clicked, this, [this] {
        if (auto f = logic_.FileFields(kNoFileSeletedText)) range_->SetFields(*f);
    });
    connect(ok, &QPushButton::clicked, this, &TBlockDialog::GetSumBtnClick);

    FormCreate();
    FixDialogSize(*this, 393, 249);
}

void TBlockDialog::FormCreate() {
    const BlockFields f = logic_.Opening();
    range_->SetFields(f.range);
    dest8_->SetText(f.dest8);
    dest16_->SetText(f.dest16);
    destEnd8_->setText(Q(BlockDialogLogic::DestEnd8(f).value_or(f.dest8)));
    destEnd16_->setText(Q(BlockDialogLogic::DestEnd16(f).value_or(f.dest16)));
    if (QAbstractButton* b = action_->button(f.action)) b->setChecked(true);
    const bool free = !logic_.OptionType1();
    range_->max->setEnabled(free);
    range_->file->setEnabled(free);
}

BlockFields TBlockDialog::Fields() const {
    BlockFields f;
    f.range = range_->Fields();
    f.dest8 = dest8_->Text();
    f.dest16 = dest16_->Text();
    f.action = std::max(action_->checkedId(), 0);
    return f;
}

void TBlockDialog::UpdateDestEnd() {
    const BlockFields f = Fields();
    if (auto end = BlockDialogLogic::DestEnd8(f)) destEnd8_->setText(Q(*end));
    if (auto end = BlockDialogLogic::DestEnd16(f)) destEnd16_->setText(Q(*end));
}

void TBlockDialog::GetSumBtnClick() {
    const DialogOutcome<BlockRequest> outcome = logic_.Accept(Fields());
    if (outcome.reset) range_->SetFields(*outcome.reset);
    if (!outcome.answer) return;
    answer_ = outcome.answer;
    accept();
}

void TBlockDialog::reject() {
    logic_.Cancel();
    QDialog::reject();
}

// ---- Fill ----------------------------------------------------------------------------------

TFillDataDialog::TFillDataDialog(QWidget* parent, FillDialogLogic& logic)
    : QDialog(parent), logic_(logic) {
    SetUpBufferDialog(*this, QStringLiteral("Fill Data"), true);
    setObjectName(QStringLiteral("FillDataDialog"));
    auto* top = new QVBoxLayout(this);

    range_ = new RangePanel(
        this,
        RangePanelNames{QStringLiteral("SAddEdit8"), QStringLiteral("EAddEdit8"),
                        QStringLiteral("SAddEdit16"), QStringLiteral("EAddEdit16"),
                        QStringLiteral("MaxRangeBtn"), QStringLiteral("FileRangeBtn"),
                        QStringLiteral("File"), false},
        QStringLiteral("Range :"));
    top->addWidget(range_);

    auto* user = new QHBoxLayout;
    userCheck_ = new QCheckBox(QStringLiteral("User define[BYTE] :"), this);
    userCheck_->setObjectName(QStringLiteral("UserCheckBox"));
    user->addWidget(userCheck_);
    defSetGroup_ = new QGroupBox(QStringLiteral("User Define"), this);
    defSetGroup_->setObjectName(QStringLiteral("DefSetRadioGroup"));
    auto* defGrid = new QGridLayout(defSetGroup_);
    defSet_ = new QButtonGroup(this);
    AddChoice(defSet_, defGrid, QStringLiteral("Byte"), 0, 0, 0);
    AddChoice(defSet_, defGrid, QStringLiteral("Word"), 1, 1, 0);
    userByte_ = new HexField(defSetGroup_, 2, QStringLiteral("UserDefineEdit"));
    userWord_ = new HexField(defSetGroup_, 4, QStringLiteral("UserDefWordEdit"));
    defGrid->addWidget(userByte_, 0, 1);
    defGrid->addWidget(userWord_, 1, 1);
    user->addWidget(defSetGroup_, 1);
    top->addLayout(user);

    fillDataBox_ = new QGroupBox(QStringLiteral("Fill Data Select"), this);
    fillDataBox_->setObjectName(QStringLiteral("FillDataGroup"));
    auto* fillGrid = new QGridLayout(fillDataBox_);
    fillData_ = new QButtonGroup(this);
    const char* kinds[] = {"All Bit 1", "All Bit 0", "Random Data", "Sequential Byte",
                           "Sequential Word"};
    for (int i = 0; i < 5; ++i)
        AddChoice(fillData_, fillGrid, QString::fromLatin1(kinds[i]), i, i % 3, i / 3);
    top->addWidget(fillDataBox_);

    QPushButton* ok = nullptr;
    top->addLayout(FootButtons(*this, QStringLiteral("FillBtn"), QStringLiteral("CancelBtn"), &ok));

    connect(userCheck_, &QCheckBox::toggled, this, &TFillDataDialog::ApplyControls);
    connect(defSet_, &QButtonGroup::idClicked, this, &TFillDataDialog::ApplyControls);
    connect(range_->ic, &QPushButton::clicked, this,
            [this] { range_->SetFields(logic_.IcFields()); });
    connect(range_->max, &QPushButton::clicked, this, [this] {
        if (auto f = logic_.MaxFields(false)) range_->SetFields(*f);
    });
    connect(range_->file, &QPushButton::clicked, this, [this] {
        if (auto f = logic_.FileFields(kNoFileSelectedText)) range_->SetFields(*f);
    });
    connect(ok, &QPushButton::clicked, this, &TFillDataDialog::FillBtnClick);

    FormCreate();
    FixDialogSize(*this, 397, 300);
}

void TFillDataDialog::FormCreate() {
    const FillFields f = logic_.Opening();
    range_->SetFields(f.range);
    if (QAbstractButton* b = fillData_->button(f.select)) b->setChecked(true);
    userByte_->SetText(f.userByte);
    userWord_->SetText(f.userWord);
    if (QAbstractButton* b = defSet_->button(f.byteWordSel)) b->setChecked(true);
    userCheck_->setChecked(f.userCheck);
    ApplyControls();
    const bool free = !logic_.OptionType1();
    range_->max->setEnabled(free);
    range_->file->setEnabled(free);
}

void TFillDataDialog::ApplyControls() {
    const FillControls c =
        FillControlsFor(userCheck_->isChecked(), std::max(defSet_->checkedId(), 0));
    fillDataBox_->setEnabled(c.fillDataGroup);
    defSetGroup_->setEnabled(c.defSetGroup);
    userByte_->setEnabled(c.userByteEdit);
    userWord_->setEnabled(c.userWordEdit);
}

FillFields TFillDataDialog::Fields() const {
    FillFields f;
    f.range = range_->Fields();
    f.userCheck = userCheck_->isChecked();
    f.byteWordSel = std::max(defSet_->checkedId(), 0);
    f.userByte = userByte_->Text();
    f.userWord = userWord_->Text();
    f.select = std::max(fillData_->checkedId(), 0);
    return f;
}

void TFillDataDialog::FillBtnClick() {
    const DialogOutcome<FillRequest> outcome = logic_.Accept(Fields());
    if (outcome.reset) range_->SetFields(*outcome.reset);
    if (!outcome.answer) return;
    answer_ = outcome.answer;
    accept();
}

void TFillDataDialog::reject() {
    logic_.Cancel();
    QDialog::reject();
}

// ---- Sum -----------------------------------------------------------------------------------

TGetSumDialog::TGetSumDialog(QWidget* parent, SumDialogLogic& logic)
    : QDialog(parent), logic_(logic) {
    SetUpBufferDialog(*this, QStringLiteral("Get Check Sum"), true);
    setObjectName(QStringLiteral("GetSumDialog"));
    auto* top = new QVBoxLayout(this);
    range_ = new RangePanel(
        this,
        RangePanelNames{QStringLiteral("StardAddEdit"), QStringLiteral("EndAddEdit"),
                        QStringLiteral("StartAddEdit16"), QStringLiteral("EndStartAdd16"),
                        QStringLiteral("FillMaxRange"), QStringLiteral("FillFileRange"),
                        QStringLiteral("File "), true},
        QStringLiteral("Range :"));
    top->addWidget(range_);
    QPushButton* ok = nullptr;
    top->addStretch(1);
    top->addLayout(FootButtons(*this, QStringLiteral("GetSumBtn"), QStringLiteral("ExitBtn"), &ok));

    connect(range_->ic, &QPushButton::clicked, this, &TGetSumDialog::FillICSizeBBClick);
    connect(range_->max, &QPushButton::clicked, this, [this] {
        if (auto f = logic_.MaxFields(false)) range_->SetFields(*f);
    });
    connect(range_->file, &QPushButton::clicked, this, [this] {
        if (auto f = logic_.FileFields(kNoFileSeletedText)) range_->SetFields(*f);
    });
    connect(ok, &QPushButton::clicked, this, &TGetSumDialog::GetSumBtnClick);

    range_->SetFields(logic_.Opening());
    const bool free = !logic_.OptionType1();
    range_->max->setEnabled(free);
    range_->file->setEnabled(free);
    for (HexField* f : {range_->byteStart, range_->byteEnd, range_->wordStart, range_->wordEnd})
        f->setEnabled(free);
    FixDialogSize(*this, 297, 201);
}

void TGetSumDialog::FillICSizeBBClick() {
    // The programmer's checksum pumps the window's events while it waits: no
    // second press, and no other button, meanwhile. Fields disabled for
    // option type 1 stay so when the dialog is enabled again.
    setEnabled(false);
    const std::optional<RangeFields> f = logic_.IcButton();
    setEnabled(true);
    if (f) range_->SetFields(*f);
}

void TGetSumDialog::GetSumBtnClick() {
    const DialogOutcome<SumRequest> outcome = logic_.Accept(range_->Fields());
    if (!outcome.answer) return;
    answer_ = outcome.answer;
    accept();
}

void TGetSumDialog::reject() {
    // Not while the programmer's checksum runs: the dialog holds its logic.
    if (logic_.ChecksumRunning()) return;
    logic_.Cancel();
    QDialog::reject();
}

}  // namespace burnmark
