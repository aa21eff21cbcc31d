#include "operations/ui/step_pictures.h"

#include <algorithm>
#include <functional>

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace burnmark {

namespace {

// The mark inside the round badge: what state the picture shows, apart from
// its colour (the operator may not tell red from green).
enum class Mark { Play, Dots, Tick, Cross, Dash, Hourglass };

Mark StepMark(StepImage image) {
    switch (image) {
    case StepImage::Off: return Mark::Dash;
    case StepImage::Fail: return Mark::Cross;
    case StepImage::Pass: return Mark::Tick;
    case StepImage::Working: return Mark::Dots;
    case StepImage::Highlight: return Mark::Play;
    case StepImage::Ready: return Mark::Play;
    }
    return Mark::Play;
}

// The largest bold Liberation Sans, from startPixels down, that fits the width.
QFont FittedFont(const QString& text, int maxWidth, int startPixels) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    for (int pixels = startPixels; pixels > 6; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).horizontalAdvance(text) <= maxWidth) break;
    }
    return font;
}

QImage BlankImage(QSize size, qreal dpr) {
    QImage image(QSize(qRound(size.width() * dpr), qRound(size.height() * dpr)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    return image;
}

void DrawCard(QPainter& p, QRectF area, const StepColours& c, bool dashed, bool glow) {
    const QRectF card = area.adjusted(1, 1, -1, -1);
    QLinearGradient fill(card.topLeft(), card.bottomLeft());
    fill.setColorAt(0, c.fill.lighter(112));
    fill.setColorAt(1, c.fill.darker(104));
    QPen pen(c.border, glow ? 2.4 : 1.4);
    if (dashed) pen.setStyle(Qt::DashLine);
    p.setPen(pen);
    p.setBrush(fill);
    p.drawRoundedRect(card, 6, 6);
}

void DrawMark(QPainter& p, Mark mark, QPointF centre, qreal radius, QColor badge, QColor ink) {
    p.setPen(Qt::NoPen);
    p.setBrush(badge);
    p.drawEllipse(centre, radius, radius);

    QPen pen(ink, radius * 0.22, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const qreal r = radius * 0.5;
    const qreal x = centre.x(), y = centre.y();
    switch (mark) {
    case Mark::Play: {
        QPainterPath triangle;
        triangle.moveTo(x - r * 0.7, y - r);
        triangle.lineTo(x + r * 1.05, y);
        triangle.lineTo(x - r * 0.7, y + r);
        triangle.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(triangle);
        break;
    }
    case Mark::Dots:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        for (int i = -1; i <= 1; ++i) p.drawEllipse(QPointF(x + i * r * 0.95, y), r * 0.28, r * 0.28);
        break;
    case Mark::Tick:
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(x - r, y + r * 0.05), QPointF(x - r * 0.25, y + r * 0.8),
                                  QPointF(x + r, y - r * 0.75)}));
        break;
    case Mark::Cross:
        p.setPen(pen);
        p.drawLine(QPointF(x - r * 0.8, y - r * 0.8), QPointF(x + r * 0.8, y + r * 0.8));
        p.drawLine(QPointF(x + r * 0.8, y - r * 0.8), QPointF(x - r * 0.8, y + r * 0.8));
        break;
    case Mark::Dash:
        p.setPen(pen);
        p.drawLine(QPointF(x - r * 0.8, y), QPointF(x + r * 0.8, y));
        break;
    case Mark::Hourglass: {
        QPainterPath glass;
        glass.moveTo(x - r * 0.75, y - r);
        glass.lineTo(x + r * 0.75, y - r);
        glass.lineTo(x - r * 0.75, y + r);
        glass.lineTo(x + r * 0.75, y + r);
        glass.closeSubpath();
        p.setPen(QPen(ink, radius * 0.14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(glass);
        break;
    }
    }
}

QString CacheKey(int kind, int which, QSize size, qreal dpr) {
    return QStringLiteral("%1/%2/%3x%4@%5")
        .arg(kind)
        .arg(which)
        .arg(size.width())
        .arg(size.height())
        .arg(dpr);
}

QPixmap Cached(const QString& key, const std::function<QImage()>& draw) {
    static QHash<QString, QPixmap> cache;
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.insert(key, QPixmap::fromImage(draw()));
    return it.value();
}

}  // namespace

QString StepLabel(CopyStep step) {
    switch (step) {
    case CopyStep::Erase: return QStringLiteral("Erase");
    case CopyStep::Check: return QStringLiteral("Blank");
    case CopyStep::Program: return QStringLiteral("Program");
    case CopyStep::Verify: return QStringLiteral("Verify");
    case CopyStep::Secur: return QStringLiteral("Protect");
    case CopyStep::Read: return QStringLiteral("Read");
    case CopyStep::Confirm: return QStringLiteral("Confirm");
    case CopyStep::Type: return QStringLiteral("Type");
    case CopyStep::Load: return QStringLiteral("Load");
    case CopyStep::Save: return QStringLiteral("Save");
    case CopyStep::Edit: return QStringLiteral("Edit");
    }
    return {};
}

StepColours StepStateColours(StepImage image) {
    switch (image) {
    case StepImage::Off: return {QColor(0xd2, 0xd2, 0xd2), QColor(0xa6, 0xa6, 0xa6), QColor(0x8a, 0x8a, 0x8a)};
    case StepImage::Fail: return {QColor(0xdf, 0x4f, 0x4a), QColor(0x98, 0x22, 0x1f), Qt::white};
    case StepImage::Pass: return {QColor(0x46, 0xb0, 0x66), QColor(0x24, 0x74, 0x3e), Qt::white};
    case StepImage::Working: return {QColor(0xf4, 0xbf, 0x4c), QColor(0xa8, 0x70, 0x0e), QColor(0x45, 0x2c, 0x00)};
    case StepImage::Highlight: return {QColor(0xf6, 0xf9, 0xff), QColor(0x37, 0x76, 0xdc), QColor(0x14, 0x30, 0x5c)};
    case StepImage::Ready: return {QColor(0xdc, 0xe3, 0xed), QColor(0x55, 0x63, 0x78), QColor(0x1e, 0x29, 0x36)};
    }
    return {};
}

QImage DrawStepPicture(CopyStep step, StepImage image, QSize size, qreal dpr) {
    QImage out = BlankImage(size, dpr);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const StepColours c = StepStateColours(image);
    const QRectF area(0, 0, size.width(), size.height());
    DrawCard(p, area, c, image == StepImage::Off, image == StepImage::Highlight);

    const QString label = StepLabel(step);
    const bool tall = size.height() > size.width();
    const qreal labelHeight = tall ? size.height() * 0.32 : size.height() * 0.38;
    const QRectF labelArea(3, size.height() - labelHeight - 2, size.width() - 6, labelHeight);
    const qreal radius = std::min(size.width() * 0.5 - 8, (size.height() - labelHeight) * 0.5 - 6);
    const QPointF centre(size.width() / 2.0, (size.height() - labelHeight) / 2.0 + 2);
    const QColor ink = image == StepImage::Off ? QColor(0xee, 0xee, 0xee) : Qt::white;
    DrawMark(p, StepMark(image), centre, radius, c.border, ink);

    p.setPen(c.text);
    p.setFont(FittedFont(label, static_cast<int>(labelArea.width()), tall ? 12 : 13));
    p.drawText(labelArea, Qt::AlignCenter, label);
    return out;
}

QImage DrawStatusPicture(StatusImage image, QSize size, qreal dpr) {
    QImage out = BlankImage(size, dpr);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    StepColours c;
    QString text;
    Mark mark = Mark::Tick;
    switch (image) {
    case StatusImage::Pass:
        c = StepStateColours(StepImage::Pass);
        text = QStringLiteral("PASS");
        mark = Mark::Tick;
        break;
    case StatusImage::Wait:
        c = StepStateColours(StepImage::Working);
        text = QStringLiteral("WAIT");
        mark = Mark::Hourglass;
        break;
    case StatusImage::Fail:
        c = StepStateColours(StepImage::Fail);
        text = QStringLiteral("FAIL");
        mark = Mark::Cross;
        break;
    }
    DrawCard(p, QRectF(0, 0, size.width(), size.height()), c, false, false);

    const qreal radius = size.height() * 0.3;
    const QPointF centre(radius + 9, size.height() / 2.0);
    DrawMark(p, mark, centre, radius, c.border, Qt::white);

    const QRectF textArea(centre.x() + radius + 3, 2, size.width() - centre.x() - radius - 7,
                          size.height() - 4);
    p.setPen(c.text);
    p.setFont(FittedFont(text, static_cast<int>(textArea.width()), size.height() / 2));
    p.drawText(textArea, Qt::AlignCenter, text);
    return out;
}

QPixmap StepPicture(CopyStep step, StepImage image, QSize size, qreal dpr) {
    return Cached(CacheKey(1 + static_cast<int>(step), static_cast<int>(image), size, dpr),
                  [&] { return DrawStepPicture(step, image, size, dpr); });
}

QPixmap StatusPicture(StatusImage image, QSize size, qreal dpr) {
    return Cached(CacheKey(100, static_cast<int>(image), size, dpr),
                  [&] { return DrawStatusPicture(image, size, dpr); });
}

}  // namespace burnmark
