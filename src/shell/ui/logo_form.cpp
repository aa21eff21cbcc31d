#include "shell/ui/logo_form.h"

#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <utility>

#include "shell/picture_restore.h"
#include "widgets/ui/image_control.h"
#include "shell/ui/splash_pictures.h"

namespace burnmark {

TLogo::TLogo(std::string appDir, Messages& messages, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      appDir_(std::move(appDir)) {
    setObjectName(QStringLiteral("Logo"));
    setFixedSize(kWidth, kHeight);
    // Shown but disabled: it only shows, and no click of the start-up reaches it.
    setEnabled(false);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Logo_pan"));
    panel->setGeometry(0, 0, kWidth, kHeight);
    panel->setAutoFillBackground(true);
    QPalette dark = panel->palette();
    dark.setColor(QPalette::Window, QColor("#101826"));
    panel->setPalette(dark);
    logoPhto_ = new ImageControl(QStringLiteral("Logo_phto"), panel);
    logoPhto_->setGeometry(panel->rect());
    connect(logoPhto_, &ImageControl::Clicked, this, [this] { Logo_phtoClick(); });
    connect(logoPhto_, &ImageControl::MouseDown, this, [this] { Logo_phtoMouseDown(); });
    // Two thin bevels along the top and the bottom edge.
    for (auto [name, y] : {std::pair{"Bevel1", 0}, std::pair{"Bevel2", kHeight - 2}}) {
        auto* bevel = new QFrame(panel);
        bevel->setObjectName(QString::fromLatin1(name));
        bevel->setFrameShape(QFrame::HLine);
        bevel->setFrameShadow(QFrame::Sunken);
        bevel->setGeometry(0, y, kWidth, 2);
    }

    logoTimer_ = new QTimer(this);
    logoTimer_->setObjectName(QStringLiteral("Logo_Timer"));
    logoTimer_->setSingleShot(true);
    connect(logoTimer_, &QTimer::timeout, this, [this] { Logo_TimerTimer(); });

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
    FormCreate(messages);
}

void TLogo::FormCreate(Messages& messages) {
    setup_ = SetUpSplash(
        appDir_, [&messages](const std::string& src) { return RestoreBitmapFile(src, messages); },
        [this](std::span<const uint8_t> bitmap) {
            QImage picture;
            if (!DecodeBitmap(bitmap, picture)) return false;
            logoPhto_->SetPicture(FittedPictureSource(picture));
            return true;
        },
        messages);
    // A period of 0 starts no timer (Qt's would fire at once): the splash
    // stays until the start-up destroys it.
    if (setup_.timerMs > 0) logoTimer_->start(setup_.timerMs);
}

}  // namespace burnmark
