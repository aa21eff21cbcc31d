#include "shell/ui/about_box_window.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "shell/start_up.h"

namespace burnmark {

namespace {

// The maker's details and the credits: our own, invented.
constexpr const char* kCompany = "Quillfeather Circuitworks";
constexpr const char* kSecondCaption = "Burnmark Device Programmer";
constexpr const char* kWeb = "www.quillfeather.example";
constexpr const char* kTelephone = "Tel. +1 555 0142";
constexpr const char* kRights = "(c) Quillfeather Circuitworks. All rights reserved.";
constexpr const char* kLeader = "Lead: Odile Farrowmere";
constexpr const char* kEngineer1 = "Firmware: Tobiah Wrenlock";
constexpr const char* kEngineer2 = "Software: Sunniva Pellcraft";

constexpr int kPanelTop = 6;

// The program's icon: a chip on a blue disc, drawn for the screen's ratio.
QPixmap DrawProgramIcon(int size, qreal dpr) {
    QPixmap pixmap(qRound(size * dpr), qRound(size * dpr));
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient disc(QPointF(size * 0.4, size * 0.35), size * 0.7);
    disc.setColorAt(0, QColor("#5b9bf0"));
    disc.setColorAt(1, QColor("#234f9c"));
    p.setBrush(disc);
    p.setPen(QPen(QColor("#173463"), 1));
    p.drawEllipse(QRectF(1, 1, size - 2, size - 2));
    const QRectF body(size * 0.32, size * 0.24, size * 0.36, size * 0.52);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#e8edf5"));
    for (int i = 0; i < 4; ++i) {
        const qreal y = body.top() + body.height() * (0.1 + 0.22 * i);
        p.drawRect(QRectF(body.left() - size * 0.08, y, size * 0.08, size * 0.05));
        p.drawRect(QRectF(body.right(), y, size * 0.08, size * 0.05));
    }
    p.setBrush(QColor("#1a1d23"));
    p.drawRoundedRect(body, 2, 2);
    return pixmap;
}

}  // namespace

TAboutBox::TAboutBox(const std::string& firmware, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QString::fromLatin1(kAboutTitle));
    setFixedSize(kClientWidth, kClientHeight);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    setFont(font);

    panel1_ = new QFrame(this);
    panel1_->setObjectName(QStringLiteral("Panel1"));
    panel1_->setFrameShape(QFrame::StyledPanel);
    panel1_->setFrameShadow(QFrame::Sunken);
    panel1_->setGeometry(6, kPanelTop, kClientWidth - 12, 92);

    programIcon_ = new QLabel(panel1_);
    programIcon_->setObjectName(QStringLiteral("ProgramIcon"));
    programIcon_->setGeometry(10, 10, 36, 36);
    programIcon_->setPixmap(DrawProgramIcon(36, devicePixelRatioF()));
    programIcon_->installEventFilter(this);

    QFont caption(font);
    caption.setPixelSize(16);
    caption.setBold(true);
    AddLabel("Label3", QString::fromLatin1(kProductCaption), QRect(56, 8, 200, 22), false)
        ->setFont(caption);
    caption.setPixelSize(13);
    AddLabel("tt", QString::fromLatin1(kSecondCaption), QRect(56, 8, 214, 22), true)
        ->setFont(caption);
    AddLabel("SoftwareVersion", QString::fromLatin1(kSoftwareVersionLabel), QRect(56, 38, 110, 16),
             false);
    AddLabel("Label9", QString::fromStdString(SoftwareVersion()), QRect(168, 38, 100, 16), false);
    AddLabel("FirmwareVersion", QString::fromLatin1(kFirmwareVersionLabel), QRect(56, 58, 110, 16),
             false);
    AddLabel("H_sn", QString::fromLatin1(kFirmwareNotAvailable), QRect(168, 58, 100, 16), false)
        ->setText(QString::fromStdString(firmware));

    auto* separator = new QFrame(panel1_);
    separator->setObjectName(QStringLiteral("Panel3"));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry(8, 80, panel1_->width() - 16, 2);

    // The two hot spots: small and plain, in the panel's corners.
    image1_ = AddLabel("Image1", {}, QRect(panel1_->width() - 14, 4, 10, 10), false);
    image2_ = AddLabel("Image2", {}, QRect(4, 66, 10, 10), false);
    for (QLabel* spot : {image1_, image2_}) spot->installEventFilter(this);

    // The maker's details, shown with the box made taller, and the credits below them.
    AddLabel("Label4", QString::fromLatin1(kCompany), QRect(10, 90, 260, 14), true);
    AddLabel("Label6", QString::fromLatin1(kWeb), QRect(10, 104, 260, 14), true);
    AddLabel("Label5", QString::fromLatin1(kTelephone), QRect(10, 118, 260, 14), true);
    label2_ = AddLabel("Label2", QString::fromLatin1(kRights), QRect(10, 134, 260, 16), true);
    label2_->setCursor(Qt::PointingHandCursor);
    label2_->installEventFilter(this);
    AddLabel("leader", QString::fromLatin1(kLeader), QRect(10, 156, 260, 14), true);
    AddLabel("enger1", QString::fromLatin1(kEngineer1), QRect(10, 170, 260, 14), true);
    AddLabel("enger2", QString::fromLatin1(kEngineer2), QRect(10, 184, 260, 14), true);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("OKButton"));
    okButton_->setGeometry((kClientWidth - 75) / 2, 104, 75, 25);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, [this] { OKButtonClick(); });
}

QLabel* TAboutBox::AddLabel(const char* name, const QString& text, QRect place, bool hidden) {
    auto* label = new QLabel(text, panel1_);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(place);
    label->setVisible(!hidden);
    return label;
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool left = (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) &&
                      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    if (left) {
        if (watched == image1_ && type == QEvent::MouseButtonDblClick) Image1DblClick();
        if (watched == image2_ && type == QEvent::MouseButtonPress) Image2Click();
        if (watched == programIcon_ && type == QEvent::MouseButtonPress) ProgramIconClick();
        if (watched == label2_ && type == QEvent::MouseButtonPress) Label2Click();
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::Image2Click() { credits_.Image2Click(); }

void TAboutBox::Image1DblClick() {
    if (credits_.Image1DblClick()) ShowCredits();
}

void TAboutBox::ProgramIconClick() {
    credits_.ProgramIconClick();
    ShowCredits();
}

void TAboutBox::Label2Click() {
    credits_.Label2Click();
    ShowCredits();
}

void TAboutBox::ShowCredits() {
    const bool details = credits_.DetailsShown();
    const int extra = credits_.ExtraHeight();
    setFixedSize(kClientWidth, kClientHeight + extra);
    panel1_->resize(panel1_->width(), 92 + extra);
    okButton_->move(okButton_->x(), 104 + extra);
    for (const char* name : {"Label4", "tt", "Label6", "Label5", "Label2"})
        findChild<QLabel*>(QString::fromLatin1(name))->setVisible(details);
    findChild<QLabel*>(QStringLiteral("Label3"))->setVisible(!details);
    for (const char* name : {"leader", "enger1", "enger2"})
        findChild<QLabel*>(QString::fromLatin1(name))
            ->setVisible(details && credits_.CreditsShown());
}

bool QtAboutBox::ShowAboutBox(const std::string& firmware) {
    TAboutBox box(firmware, parent_);
    return box.exec() == QDialog::Accepted;
}

}  // namespace burnmark
