#include "flow/ui/file_dialog_windows.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "flow/ui/dialog_frame.h"
#include "flow/ui/file_name_box.h"
#include "flow/ui/hex_field.h"

namespace burnmark {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString FolderOf(const QString& name) {
    if (name.isEmpty() || name == QStringLiteral("None")) return {};
    return QFileInfo(name).absolutePath();
}

// Tab into a group of choices lands on the ticked one, as the arrow keys then
// move the tick; the others are reached by the arrows or the mouse only.
void TabOntoTickedChoice(QButtonGroup* group) {
    for (QAbstractButton* b : group->buttons()) {
        const Qt::FocusPolicy policy = b->focusPolicy();
        b->setFocusPolicy(b->isChecked() ? Qt::FocusPolicy(policy | Qt::TabFocus)
                                         : Qt::FocusPolicy(policy & ~Qt::TabFocus));
    }
}

QButtonGroup* FormatChoices(QGroupBox* box, const std::initializer_list<const char*>& items,
                            int columns) {
    auto* group = new QButtonGroup(box);
    QObject::connect(group, &QButtonGroup::idToggled, group, [group](int, bool checked) {
        if (checked) TabOntoTickedChoice(group);
    });
    auto* grid = new QGridLayout(box);
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    int id = 0;
    for (const char* item : items) {
        auto* button = new QRadioButton(QString::fromLatin1(item), box);
        group->addButton(button, id);
        grid->addWidget(button, id % rows, id / rows);
        ++id;
    }
    return group;
}

void CheckFormat(QButtonGroup* group, int id) {
    if (QAbstractButton* b = group->button(id)) b->setChecked(true);
}

QHBoxLayout* NameRow(QDialog& dialog, const QString& label, QComboBox* name, QPushButton** browse) {
    auto* row = new QHBoxLayout;
    row->addWidget(MakeLabel(&dialog, label));
    row->addWidget(name, 1);
    *browse = MakeButton(&dialog, QStringLiteral("BitBtn1"), QStringLiteral("Browse"),
                         QStringLiteral("Browse File."));
    row->addWidget(*browse);
    return row;
}

QHBoxLayout* FootRow(QDialog& dialog, const QString& okText, const QString& okHint,
                     QPushButton** ok) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    *ok = MakeButton(&dialog, QStringLiteral("BitBtn2"), okText, okHint);
    (*ok)->setDefault(true);
    auto* cancel = MakeButton(&dialog, QStringLiteral("BitBtn3"), QStringLiteral("Cancel"),
                              QStringLiteral("Cancel"));
    for (QPushButton* b : {*ok, cancel}) {
        b->setMinimumWidth(80);
        row->addWidget(b);
    }
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    return row;
}

}  // namespace

QString LoadFileFilter() {
    return QStringLiteral(
        "All File (*.*);;Binary (*.bin);;Hex (*.hex);;MS-DOS fn.com (*.com);;"
        "MS-DOS fn.exe (*.exe);;POF (*.pof)");
}

QString BrowseForFile(QWidget* parent, const QString& startFolder) {
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Open"), startFolder,
                                        LoadFileFilter());
}

QString BrowseForSaveFile(QWidget* parent, const QString& startFolder) {
    // The dialog asks before an existing file is replaced, in its own words.
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save As"), startFolder,
                                        LoadFileFilter(), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

// ---- Load ------------------------------------------------------------------------------------

TLoadDlg::TLoadDlg(QWidget* parent, LoadDialogLogic& logic, BrowseFunction browse)
    : QDialog(parent), logic_(logic), browse_(std::move(browse)) {
    SetUpBufferDialog(*this, QStringLiteral("Load File"), false);
    setObjectName(QStringLiteral("LoadDlg"));
    auto* top = new QVBoxLayout(this);

    name_ = MakeFileNameBox(this, QString::fromLatin1(kLoadFileHistory), logic_.HistoryIniPath());
    QPushButton* browseButton = nullptr;
    top->addLayout(NameRow(*this, QStringLiteral("File :"), name_, &browseButton));

    auto* middle = new QHBoxLayout;
    auto* formatBox = new QGroupBox(QStringLiteral("Format"), this);
    formatBox->setObjectName(QStringLiteral("FormatGroup"));
    formatBox->setToolTip(QStringLiteral("Select Format."));
    format_ =
        FormatChoices(formatBox,
                      {"Auto Detect", "MS-DOS fn.exe", "MS-DOS fn.com", "Binary / Machine Code",
                       "Intel  HEX", "Motorola HEX", "Tektlonix HEX"},
                      1);
    middle->addWidget(formatBox);

    auto* right = new QVBoxLayout;
    auto* source = new QGroupBox(QStringLiteral("Source Select :"), this);
    source->setToolTip(QStringLiteral("Source Range."));
    auto* sourceGrid = new QGridLayout(source);
    sourceStart_ = new HexField(source, 7, QStringLiteral("SourceSAdd"));
    sourceStart_->setToolTip(QStringLiteral("Source Start Address."));
    sourceEnd_ = new HexField(source, 7, QStringLiteral("SourceEAdd"));
    sourceEnd_->setToolTip(QStringLiteral("Source End Address."));
    sourceGrid->addWidget(MakeLabel(source, QStringLiteral("Start Address :")), 0, 0);
    sourceGrid->addWidget(sourceStart_, 0, 1);
    sourceGrid->addWidget(MakeLabel(source, QStringLiteral("End Address :")), 1, 0);
    sourceGrid->addWidget(sourceEnd_, 1, 1);
    right->addWidget(source);

    auto* dest = new QGroupBox(QStringLiteral("Distination Select :"), this);
    dest->setToolTip(QStringLiteral("Distination Select."));
    auto* destGrid = new QGridLayout(dest);
    dest_ = new HexField(dest, 7, QStringLiteral("DistSAdd"));
    dest_->setToolTip(QStringLiteral("Distination Start Address ."));
    destGrid->addWidget(MakeLabel(dest, QStringLiteral("Start Address :")), 0, 0);
    destGrid->addWidget(dest_, 0, 1);
    right->addWidget(dest);

    auto* fillRow = new QHBoxLayout;
    fillUnused_ = new QCheckBox(QStringLiteral("Fill unused with"), this);
    fillUnused_->setObjectName(QStringLiteral("UnuserFillCheck"));
    fill_ = new HexField(this, 2, QStringLiteral("UserFill"));
    fill_->setToolTip(QStringLiteral("Unuser Fill."));
    fillRow->addWidget(fillUnused_);
    fillRow->addWidget(fill_);
    fillRow->addStretch(1);
    right->addLayout(fillRow);
    right->addStretch(1);
    middle->addLayout(right, 1);
    top->addLayout(middle);

    QPushButton* load = nullptr;
    top->addLayout(FootRow(*this, QStringLiteral("Load"), QStringLiteral("Load File."), &load));

    connect(browseButton, &QPushButton::clicked, this, &TLoadDlg::BitBtn1Click);
    connect(load, &QPushButton::clicked, this, &TLoadDlg::BitBtn2Click);
    connect(format_, &QButtonGroup::idClicked, this, &TLoadDlg::FormatGroupClick);

    FormCreate();
    connect(name_, &QComboBox::editTextChanged, this, &TLoadDlg::NameEditChange);
    FixDialogSize(*this, 439, 243);
}

void TLoadDlg::FormCreate() {
    const LoadDialogFields f = logic_.Opening();
    if (!f.name.empty()) name_->setEditText(Q(f.name));
    sourceStart_->SetText(f.sourceStart);
    sourceEnd_->SetText(f.sourceEnd);
    dest_->SetText(f.dest);
    CheckFormat(format_, f.format);
    fillUnused_->setChecked(f.fillUnused);
    fill_->SetText(f.fill);
    for (HexField* field : {sourceStart_, sourceEnd_, dest_}) field->setEnabled(f.rangeEditable);
}

LoadDialogFields TLoadDlg::Fields() const {
    LoadDialogFields f;
    f.name = name_->currentText().toStdString();
    f.sourceStart = sourceStart_->Text();
    f.sourceEnd = sourceEnd_->Text();
    f.dest = dest_->Text();
    f.format = std::max(format_->checkedId(), 0);
    f.fillUnused = fillUnused_->isChecked();
    f.fill = fill_->Text();
    return f;
}

void TLoadDlg::NameEditChange() {
    const FileRangeTexts range = FillFileRange(name_->currentText().toStdString());
    sourceStart_->SetText(range.start);
    sourceEnd_->SetText(range.end);
}

void TLoadDlg::FormatGroupClick() {
    LoadDialogFields f = Fields();
    LoadDialogLogic::ApplyFormatRule(f);
    fillUnused_->setChecked(f.fillUnused);
    const bool editable = LoadDialogLogic::RangeEditable(f.format);
    for (HexField* field : {sourceStart_, sourceEnd_, dest_}) field->setEnabled(editable);
}

void TLoadDlg::BitBtn1Click() {
    if (!browse_) return;
    const QString chosen = browse_(this, FolderOf(name_->currentText()));
    if (chosen.isEmpty()) return;
    name_->setEditText(chosen);  // the change sets the range from the file
}

void TLoadDlg::BitBtn2Click() {
    answer_ = logic_.Accept(Fields());
    if (!answer_) return;
    RememberFileName(name_, logic_.OperatorMessages());
    accept();
}

void TLoadDlg::reject() {
    logic_.Cancel();
    QDialog::reject();
}

// ---- Save ------------------------------------------------------------------------------------

TLoadSaveDlg::TLoadSaveDlg(QWidget* parent, SaveDialogLogic& logic, BrowseFunction browse)
    : QDialog(parent), logic_(logic), browse_(std::move(browse)) {
    SetUpBufferDialog(*this, QStringLiteral("Save File"), false);
    setObjectName(QStringLiteral("LoadSaveDlg"));
    auto* top = new QVBoxLayout(this);

    name_ = MakeFileNameBox(this, QString::fromLatin1(kSaveFileHistory), logic_.HistoryIniPath());
    QPushButton* browseButton = nullptr;
    top->addLayout(NameRow(*this, QStringLiteral("Name :"), name_, &browseButton));

    auto* middle = new QHBoxLayout;
    auto* formatBox = new QGroupBox(QStringLiteral("Format"), this);
    formatBox->setObjectName(QStringLiteral("FormatGroup"));
    formatBox->setToolTip(QStringLiteral("Select Format."));
    format_ = FormatChoices(formatBox,
                            {"Binary/Machine Code", "Intel Hex", "Motorola S1", "Motorola S2",
                             "Motorola S3", "Tektlonix HEX"},
                            2);
    middle->addWidget(formatBox, 1);

    auto* range = new QGroupBox(QStringLiteral("Save Range  :"), this);
    range->setToolTip(QStringLiteral("Source Range."));
    auto* grid = new QGridLayout(range);
    start_ = new HexField(range, 7, QStringLiteral("SourceSAdd"));
    start_->setToolTip(QStringLiteral("Source Start Address."));
    end_ = new HexField(range, 7, QStringLiteral("SourceEAdd"));
    end_->setToolTip(QStringLiteral("Source End Address."));
    grid->addWidget(MakeLabel(range, QStringLiteral("Start Address [HEX-Byte]:")), 0, 0);
    grid->addWidget(start_, 0, 1);
    grid->addWidget(MakeLabel(range, QStringLiteral("End Address [HEX-Byte] :")), 1, 0);
    grid->addWidget(end_, 1, 1);
    auto* buttons = new QVBoxLayout;
    QPushButton* file = MakeButton(range, QStringLiteral("FillFileBtn"), QStringLiteral("File"),
                                   QStringLiteral("Fill File Range."));
    QPushButton* max = MakeButton(range, QStringLiteral("FillMaxBtn"), QStringLiteral("Max"),
                                  QStringLiteral("Fill Max Range.."));
    QPushButton* ic = MakeButton(range, QStringLiteral("FillICSizeBB"), QStringLiteral("IC"),
                                 QStringLiteral("Fill File Range"));
    for (QPushButton* b : {file, max, ic}) {
        b->setMinimumWidth(56);
        buttons->addWidget(b);
    }
    grid->addLayout(buttons, 0, 2, 3, 1);
    middle->addWidget(range);
    top->addLayout(middle);

    QPushButton* save = nullptr;
    top->addLayout(FootRow(*this, QStringLiteral("Save"), QStringLiteral("Save File."), &save));

    connect(browseButton, &QPushButton::clicked, this, [this] {
        if (!browse_) return;
        const QString chosen = browse_(this, FolderOf(name_->currentText()));
        if (!chosen.isEmpty()) name_->setEditText(chosen);  // the range stays
    });
    connect(ic, &QPushButton::clicked, this, [this] { SetRange(logic_.IcRange()); });
    connect(max, &QPushButton::clicked, this, [this] {
        if (auto r = logic_.MaxRange()) SetRange(*r);
    });
    connect(file, &QPushButton::clicked, this, [this] {
        if (auto r = logic_.FileRange(name_->currentText().toStdString())) SetRange(*r);
    });
    connect(save, &QPushButton::clicked, this, &TLoadSaveDlg::BitBtn2Click);

    const SaveDialogFields f = logic_.Opening();
    name_->setEditText(Q(f.name));
    CheckFormat(format_, f.format);
    SetRange(FileRangeTexts{f.start, f.end});
    FixDialogSize(*this, 520, 200);
}

void TLoadSaveDlg::SetRange(const FileRangeTexts& range) {
    end_->SetText(range.end);
    start_->SetText(range.start);
}

SaveDialogFields TLoadSaveDlg::Fields() const {
    SaveDialogFields f;
    f.name = name_->currentText().toStdString();
    f.start = start_->Text();
    f.end = end_->Text();
    f.format = std::max(format_->checkedId(), 0);
    return f;
}

void TLoadSaveDlg::BitBtn2Click() {
    answer_ = logic_.Accept(Fields());
    if (!answer_) return;
    RememberFileName(name_, logic_.OperatorMessages());
    accept();
}

void TLoadSaveDlg::reject() {
    logic_.Cancel();
    QDialog::reject();
}

}  // namespace burnmark
