#include "catalogue/ui/select_ic_dialog.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QComboBox>
#include <QDesktopServices>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QUrl>

namespace burnmark {

namespace {

// Liberation Serif stands in for the form's "Times New Roman".
QFont FormFont(int pixels, bool bold = false) {
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

constexpr int kHeaderHeight = 26;
const QColor kHeaderTop(38, 70, 128);
const QColor kHeaderBottom(22, 44, 88);
const QColor kFrameColour(16, 32, 64);

QString ToQ(const std::string& s) { return QString::fromStdString(s); }

QStringList ToQ(const std::vector<std::string>& list) {
    QStringList out;
    out.reserve(static_cast<qsizetype>(list.size()));
    for (const std::string& s : list) out << ToQ(s);
    return out;
}

QLabel* MakeCaption(const char* text, QWidget* parent, QRect geometry) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setFont(FormFont(14, true));
    label->setGeometry(geometry);
    return label;
}

QLabel* MakeInfoLabel(const char* name, QWidget* parent, QRect geometry) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(FormFont(13));
    label->setGeometry(geometry);
    return label;
}

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent, QRect geometry) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(FormFont(14, true));
    button->setGeometry(geometry);
    return button;
}

// A hidden, disabled radio group of the form.
QButtonGroup* MakeHiddenGroup(const char* name, std::initializer_list<const char*> items,
                              QWidget* parent, QRect geometry) {
    auto* box = new QFrame(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    auto* group = new QButtonGroup(box);
    int id = 0;
    for (const char* item : items) {
        auto* radio = new QRadioButton(QString::fromLatin1(item), box);
        radio->setGeometry(4, 4 + 18 * id, geometry.width() - 8, 16);
        group->addButton(radio, id++);
    }
    box->hide();
    box->setEnabled(false);
    return group;
}

// Refills a list when its entries changed and selects the row, without
// telling the model about changes it made itself.
void ShowList(QListWidget* list, QStringList& shown, const QStringList& entries, int row) {
    if (shown != entries) {
        list->clear();
        list->addItems(entries);
        shown = entries;
    }
    if (list->currentRow() != row) {
        list->setCurrentRow(row);
        if (row < 0) list->clearSelection();
    }
    if (row >= 0) list->scrollToItem(list->item(row));
}

void ShowText(QLineEdit* edit, const std::string& text) {
    const QString q = ToQ(text);
    if (edit->text() != q) edit->setText(q);
}

}  // namespace

bool DesktopWebOpener::OpenUrl(const std::string& address) {
    const QUrl url(ToQ(address), QUrl::StrictMode);
    return url.isValid() && QDesktopServices::openUrl(url);
}

// ---- The picture ------------------------------------------------------------------------------

void PaintMakerPicture(QPainter& painter, const QPixmap& source, const QRect& area,
                       QPixmap* cache) {
    if (source.isNull() || area.isEmpty()) return;
    const qreal device = painter.device() ? painter.device()->devicePixelRatioF() : 1;
    const qreal ratio = device > 0 ? device : 1;
    // The largest size of the picture's shape that fits, in device pixels.
    const QSize fit =
        source.size().scaled((QSizeF(area.size()) * ratio).toSize(), Qt::KeepAspectRatio);
    QPixmap local;
    QPixmap& scaled = cache ? *cache : local;
    if (scaled.isNull() || scaled.size() != fit) {
        scaled = source.scaled(fit, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(ratio);
    }
    // Whole device pixels, so that no pixel of the picture is shared by two.
    const QPoint offset((area.width() * ratio - fit.width()) / 2,
                        (area.height() * ratio - fit.height()) / 2);
    painter.drawPixmap(QPointF(area.topLeft()) + QPointF(offset) / ratio, scaled);
}

MakerPictureBox::MakerPictureBox(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Image1"));
}

void MakerPictureBox::SetPicturePath(const QString& path) {
    if (path.isEmpty() || path == path_) return;
    const QPixmap picture(path);
    if (picture.isNull()) return;
    path_ = path;
    source_ = picture;
    scaled_ = QPixmap();
    update();
}

void MakerPictureBox::paintEvent(QPaintEvent*) {
    if (source_.isNull()) return;
    QPainter p(this);
    PaintMakerPicture(p, source_, rect(), &scaled_);
}

void MakerPictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    const Qt::KeyboardModifiers both = Qt::AltModifier | Qt::ControlModifier;
    if ((event->modifiers() & both) == both) emit TotalAsked();
    QWidget::mouseDoubleClickEvent(event);
}

// ---- The dialog -------------------------------------------------------------------------------

TSelectICDialog::TSelectICDialog(DeviceSelection& model, QWidget* parent, WebOpener* opener)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      model_(model),
      opener_(opener ? opener : &desktopOpener_) {
    setObjectName(QStringLiteral("SelectICDialog"));
    setModal(true);
    BuildLayout();
    model_.SetView(this);
    Render();
}

TSelectICDialog::~TSelectICDialog() { model_.SetView(nullptr); }

void TSelectICDialog::BuildLayout() {
    setFixedSize(kWidth, kHeight);
    setFont(FormFont(13));

    // The lists and their edits: makers on the left, the maker's types beside them.
    MakeCaption("Manufacturer", this, QRect(12, 34, 160, 18));
    manuEdit_ = new QLineEdit(this);
    manuEdit_->setObjectName(QStringLiteral("ManuEdit"));
    manuEdit_->setGeometry(12, 54, 160, 22);
    makers_ = new QListWidget(this);
    makers_->setObjectName(QStringLiteral("MaunListBox"));
    makers_->setGeometry(12, 80, 160, 238);

    MakeCaption("Type", this, QRect(184, 34, 160, 18));
    icTypeEdit_ = new QLineEdit(this);
    icTypeEdit_->setObjectName(QStringLiteral("IcTypeEdit"));
    icTypeEdit_->setGeometry(184, 54, 160, 22);
    types_ = new QListWidget(this);
    types_->setObjectName(QStringLiteral("NumListBox"));
    types_->setGeometry(184, 80, 160, 238);
    for (QListWidget* list : {makers_, types_}) {
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setFont(FormFont(14));
        list->setUniformItemSizes(true);
    }

    // The maker's picture, the information panel and the web button.
    panel5_ = new QFrame(this);
    panel5_->setObjectName(QStringLiteral("Panel5"));
    panel5_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel5_->setGeometry(356, 34, 166, 66);
    panel5_->setAutoFillBackground(true);
    QPalette white = panel5_->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel5_->setPalette(white);
    image1_ = new MakerPictureBox(panel5_);
    image1_->setGeometry(3, 3, 160, 60);
    connect(image1_, &MakerPictureBox::TotalAsked, this, [this] { model_.ShowTypeTotal(); });

    auto* info = new QFrame(this);
    info->setObjectName(QStringLiteral("InfoPanel"));
    info->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    info->setGeometry(356, 106, 166, 176);
    MakeCaption("IC Information", info, QRect(8, 4, 150, 18));
    pinLabel_ = MakeInfoLabel("PinLabel", info, QRect(8, 26, 152, 18));
    sizeLabel_ = MakeInfoLabel("SizeLabel", info, QRect(8, 44, 152, 18));
    vccLabel_ = MakeInfoLabel("VCCLabel", info, QRect(8, 62, 152, 18));
    vcpLabel_ = MakeInfoLabel("VCPLabel", info, QRect(8, 80, 152, 18));
    vppLabel_ = MakeInfoLabel("VPPLabel", info, QRect(8, 98, 152, 18));
    noteLabel_ = MakeInfoLabel("NoteLabel", info, QRect(8, 118, 152, 54));
    noteLabel_->setWordWrap(true);
    noteLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    webBtn_ = MakeButton("ConnetWEBBitBtn", "Connect To Web", this, QRect(356, 288, 166, 30));
    webBtn_->setAutoDefault(false);
    connect(webBtn_, &QPushButton::clicked, this, [this] { ConnetWEBBitBtnClick(); });

    // The history and the two buttons along the bottom.
    MakeCaption("History", this, QRect(12, 334, 52, 22));
    history_ = new QComboBox(this);
    history_->setObjectName(QStringLiteral("HistCBox"));
    history_->setGeometry(66, 332, 278, 26);
    history_->setFont(FormFont(14));
    history_->installEventFilter(this);
    connect(history_, &QComboBox::activated, this, [this](int index) {
        if (!rendering_ && index >= 0)
            model_.HistCBoxChange(history_->itemText(index).toStdString());
    });

    okBtn_ = MakeButton("OKBtn", "OK", this, QRect(356, 330, 80, 30));
    okBtn_->setDefault(true);
    cancelBtn_ = MakeButton("CancelBtn", "Cancel", this, QRect(442, 330, 80, 30));
    cancelBtn_->setAutoDefault(false);
    connect(okBtn_, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(cancelBtn_, &QPushButton::clicked, this, [this] { CancelBtnClick(); });

    // The filters of the form: hidden and disabled, set from the settings.
    typeGroup_ = MakeHiddenGroup("TypeGroup", {"ALL", "PAL", "MPU", "EEPROM", "EPROM"}, this,
                                 QRect(356, 106, 166, 100));
    radioGroup1_ = MakeHiddenGroup("RadioGroup1", {"ALL", "Memory", "MPU ", "PLD", "Other"}, this,
                                   QRect(356, 106, 166, 100));
    connect(typeGroup_, &QButtonGroup::idClicked, this, [this](int id) {
        if (!rendering_) model_.TypeGroupClick(id);
    });
    connect(radioGroup1_, &QButtonGroup::idClicked, this, [this](int) {
        if (!rendering_) model_.TypeGroupClick(model_.Filter());
    });

    // The operator's selections and typing.
    connect(makers_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!rendering_ && row >= 0) model_.MaunListBoxClick(row);
    });
    connect(types_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!rendering_ && row >= 0) model_.NumListBoxClick(row);
    });
    connect(types_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) {
        if (!rendering_) OKBtnClick();
    });
    connect(manuEdit_, &QLineEdit::textEdited, this, [this](const QString& text) {
        model_.ManuEditChange(text.toStdString(), EditSource::Operator);
    });
    connect(icTypeEdit_, &QLineEdit::textEdited, this, [this](const QString& text) {
        model_.IcTypeEditChange(text.toStdString(), EditSource::Operator);
    });
    connect(manuEdit_, &QLineEdit::editingFinished, this, [this] { model_.ManuEditExit(); });
    connect(icTypeEdit_, &QLineEdit::editingFinished, this, [this] { model_.IcTypeEditExit(); });

    setTabOrder(manuEdit_, makers_);
    setTabOrder(makers_, icTypeEdit_);
    setTabOrder(icTypeEdit_, types_);
    setTabOrder(types_, history_);
    setTabOrder(history_, webBtn_);
    setTabOrder(webBtn_, okBtn_);
    setTabOrder(okBtn_, cancelBtn_);
}

void TSelectICDialog::Changed() {
    if (!rendering_) Render();
}

void TSelectICDialog::Render() {
    rendering_ = true;
    ShowList(makers_, shownMakers_, ToQ(model_.Makers()), model_.MakerIndex());
    ShowList(types_, shownTypes_, ToQ(model_.Types()), model_.TypeIndex());
    ShowText(manuEdit_, model_.ManuEditText());
    ShowText(icTypeEdit_, model_.IcTypeEditText());

    const QStringList items = ToQ(model_.HistoryItems());
    if (items != shownHistory_) {
        history_->clear();
        history_->addItems(items);
        shownHistory_ = items;
    }
    // A text that is no item (a hand-edited "Last") shows without an item.
    const QString historyText = ToQ(model_.HistoryText());
    history_->setPlaceholderText(historyText);
    history_->setCurrentIndex(history_->findText(historyText, Qt::MatchExactly));

    const DeviceInfoTexts& info = model_.Info();
    pinLabel_->setText(ToQ(info.PinLabel));
    sizeLabel_->setText(ToQ(info.SizeLabel));
    vccLabel_->setText(ToQ(info.VCCLabel));
    vcpLabel_->setText(ToQ(info.VCPLabel));
    vppLabel_->setText(ToQ(info.VPPLabel));
    noteLabel_->setText(ToQ(info.NoteLabel));
    noteLabel_->setToolTip(ToQ(info.NoteLabel));

    webBtn_->setEnabled(model_.WebEnabled());
    webBtn_->setToolTip(ToQ(model_.WebHint()));
    image1_->SetPicturePath(ToQ(model_.PicturePath()));
    if (QAbstractButton* filter = typeGroup_->button(model_.Filter())) filter->setChecked(true);
    rendering_ = false;
}

void TSelectICDialog::ShowModalAt(QPoint topLeft) {
    move(topLeft);
    exec();
}

void TSelectICDialog::OKBtnClick() {
    // accept() ends the modality at once: only after the programmer's work.
    if (model_.OKBtnClick() == OkEnd::Accepted) accept();
}

void TSelectICDialog::CancelBtnClick() {
    if (model_.CancelBtnClick()) QDialog::reject();
}

void TSelectICDialog::reject() { CancelBtnClick(); }

void TSelectICDialog::ConnetWEBBitBtnClick() { model_.ConnetWEBBitBtnClick(*opener_); }

bool TSelectICDialog::eventFilter(QObject* watched, QEvent* event) {
    // The history box takes no keys: it is chosen from with the mouse.
    if (watched == history_ &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Tab and Escape still leave the box and the dialog.
        if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab &&
            key->key() != Qt::Key_Escape)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TSelectICDialog::paintEvent(QPaintEvent*) {
    // The frameless window draws its own edge and title band.
    QPainter p(this);
    QLinearGradient band(0, 0, 0, kHeaderHeight);
    band.setColorAt(0, kHeaderTop);
    band.setColorAt(1, kHeaderBottom);
    p.fillRect(QRect(0, 0, width(), kHeaderHeight), band);
    p.setPen(Qt::white);
    p.setFont(FormFont(15, true));
    p.drawText(QRect(12, 0, width() - 24, kHeaderHeight), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Select Device"));
    p.setPen(QPen(kFrameColour, 1));
    p.drawRect(QRectF(0.5, 0.5, width() - 1, height() - 1));
}

void TSelectICDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A showing after the window was only minimised is the same showing.
    if (!event->spontaneous()) model_.BeginShowing();
    Render();
    types_->setFocus();
}

void TSelectICDialog::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous()) model_.EndShowing();
}

}  // namespace burnmark
