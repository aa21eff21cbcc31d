#include "shell/ui/splash_pictures.h"

#include <QBuffer>
#include <QFont>
#include <QImageReader>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <memory>

#include "shell/start_up.h"

namespace burnmark {

namespace {

QImage Canvas(QSize size, qreal scale) {
    QImage image(qRound(size.width() * scale), qRound(size.height() * scale), QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

void Prepare(QPainter& p, qreal scale) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);
}

QFont Font(int pixels, bool bold = false) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A chip in its socket, seen from above: body, notch, pins on two sides.
void DrawChip(QPainter& p, const QRectF& body, int pinsPerSide) {
    const qreal pitch = body.height() / pinsPerSide;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < pinsPerSide; ++i) {
        const qreal y = body.top() + pitch * (i + 0.25);
        QLinearGradient pin(QPointF(0, y), QPointF(0, y + pitch / 2));
        pin.setColorAt(0, QColor("#e6e9ee"));
        pin.setColorAt(1, QColor("#8d96a3"));
        p.setBrush(pin);
        p.drawRect(QRectF(body.left() - 12, y, 12, pitch / 2));
        p.drawRect(QRectF(body.right(), y, 12, pitch / 2));
    }
    QLinearGradient shell(body.topLeft(), body.bottomRight());
    shell.setColorAt(0, QColor("#2b2f36"));
    shell.setColorAt(1, QColor("#101216"));
    p.setBrush(shell);
    p.setPen(QPen(QColor("#4a515c"), 1.5));
    p.drawRoundedRect(body, 4, 4);
    p.setBrush(QColor("#0a0b0e"));
    p.setPen(QPen(QColor("#3a404a"), 1));
    p.drawPie(QRectF(body.center().x() - 10, body.top() - 10, 20, 20), 180 * 16, 180 * 16);
    p.setBrush(QColor("#3a404a"));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(body.left() + 14, body.top() + 16), 4, 4);
}

}  // namespace

QImage DrawSplashPicture(qreal scale) {
    QImage out = Canvas(kSplashSize, scale);
    QPainter p(&out);
    Prepare(p, scale);
    const QRectF all(QPointF(0, 0), QSizeF(kSplashSize));

    QLinearGradient base(all.topLeft(), all.bottomRight());
    base.setColorAt(0, QColor("#1d2c47"));
    base.setColorAt(1, QColor("#0b121f"));
    p.fillRect(all, base);

    // Traces of a board running to the socket.
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 12; ++i) {
        const qreal y = 70 + i * 22;
        QPainterPath trace(QPointF(0, y));
        trace.lineTo(QPointF(50 + (i % 4) * 12, y));
        trace.lineTo(QPointF(80 + (i % 4) * 12, y + 18));
        trace.lineTo(QPointF(130, y + 18));
        p.setPen(QPen(QColor(110, 160, 230, 70), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(trace);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(150, 190, 245, 110));
        p.drawEllipse(QPointF(0, y), 3, 3);
        p.setBrush(Qt::NoBrush);
    }

    // The socket with its lever, and a chip in it.
    const QRectF socket(120, 58, 150, 266);
    QLinearGradient green(socket.topLeft(), socket.bottomLeft());
    green.setColorAt(0, QColor("#2f8f56"));
    green.setColorAt(1, QColor("#1d6138"));
    p.setBrush(green);
    p.setPen(QPen(QColor("#133f25"), 2));
    p.drawRoundedRect(socket, 8, 8);
    p.setBrush(QColor("#c9ced6"));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(socket.left() + 8, socket.top() - 26, 10, 40), 4, 4);
    DrawChip(p, QRectF(socket.left() + 36, socket.top() + 26, 78, 214), 12);

    // A glow where the chip takes its data.
    QRadialGradient glow(QPointF(195, 190), 190);
    glow.setColorAt(0, QColor(90, 170, 255, 60));
    glow.setColorAt(1, QColor(90, 170, 255, 0));
    p.fillRect(all, glow);

    // The product's name.
    p.setPen(QColor("#f2f6fc"));
    p.setFont(Font(40, true));
    p.drawText(QRectF(300, 118, 230, 50), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromLatin1(kProductCaption));
    p.setPen(QColor("#9fc2f0"));
    p.setFont(Font(13));
    p.drawText(QRectF(302, 166, 200, 36), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("USB universal device programmer"));
    p.setPen(QColor("#6f88ad"));
    p.setFont(Font(11));
    p.drawText(QRectF(302, 214, 200, 60), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("EPROM  EEPROM  Flash\nMCU  PAL  GAL"));

    // The frame.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor("#5b78a6"), 2));
    p.drawRect(all.adjusted(1, 1, -1, -1));
    p.setPen(QColor("#7f93b5"));
    p.setFont(Font(10));
    p.drawText(QRectF(14, 354, 514, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Starting..."));
    return out;
}

QImage DrawCustomLogo(qreal scale) {
    QImage out = Canvas(kCustomLogoSize, scale);
    QPainter p(&out);
    Prepare(p, scale);
    const QRectF all(QPointF(0, 0), QSizeF(kCustomLogoSize));
    // The workshop's own badge on the title bar's colours.
    QLinearGradient bar(all.topLeft(), all.bottomLeft());
    bar.setColorAt(0, QColor("#2c3d5a"));
    bar.setColorAt(1, QColor("#1c283c"));
    p.fillRect(all, bar);
    QLinearGradient badge(QPointF(0, 4), QPointF(0, 40));
    badge.setColorAt(0, QColor("#f0b44c"));
    badge.setColorAt(1, QColor("#c77d1c"));
    p.setBrush(badge);
    p.setPen(QPen(QColor("#7a4a0c"), 1.2));
    p.drawRoundedRect(QRectF(4, 4, 36, 36), 7, 7);
    p.setPen(QColor("#2a1a05"));
    p.setFont(Font(20, true));
    p.drawText(QRectF(4, 4, 36, 36), Qt::AlignCenter, QStringLiteral("7"));
    p.setPen(QColor("#f7e3bf"));
    p.setFont(Font(15, true));
    p.drawText(QRectF(47, 5, 92, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("LAB 7"));
    p.setPen(QColor("#c9b48e"));
    p.setFont(Font(9));
    p.drawText(QRectF(47, 24, 92, 14), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("programming bench"));
    return out;
}

QByteArray EncodeBitmap(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    // 24 bits per pixel: no colour table behind the two headers.
    writer.write(picture.convertToFormat(QImage::Format_RGB888));
    return bytes;
}

bool DecodeBitmap(std::span<const uint8_t> bitmap, QImage& picture) {
    if (bitmap.empty()) return false;
    QByteArray bytes(reinterpret_cast<const char*>(bitmap.data()),
                     static_cast<qsizetype>(bitmap.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    QImage decoded = reader.read();
    if (decoded.isNull()) return false;
    picture = std::move(decoded);
    return true;
}

PictureSource FittedPictureSource(QImage picture) {
    // Scaled once for each size and ratio it is shown at.
    struct Cache {
        QSize size;
        qreal dpr = 0;
        QPixmap pixmap;
    };
    auto cache = std::make_shared<Cache>();
    return [picture = std::move(picture), cache](QSize size, qreal dpr) {
        if (cache->size == size && cache->dpr == dpr && !cache->pixmap.isNull())
            return cache->pixmap;
        QImage out(qRound(size.width() * dpr), qRound(size.height() * dpr),
                   QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
        const QImage scaled =
            picture.scaled(out.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPainter p(&out);
        p.drawImage((out.width() - scaled.width()) / 2, (out.height() - scaled.height()) / 2,
                    scaled);
        p.end();
        out.setDevicePixelRatio(dpr);
        cache->size = size;
        cache->dpr = dpr;
        cache->pixmap = QPixmap::fromImage(out);
        return cache->pixmap;
    };
}

}  // namespace burnmark
