#include "widgets/ui/aled.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <vector>

namespace burnmark {

namespace {

constexpr QRgb kSurfaceGreen = 0xFF00FF00;

QColor ToQColor(uint32_t color) {
    const ColorRgb rgb = RgbOfColor(color);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

struct Shape {
    QPainterPath outer;    // the bezel
    QPainterPath surface;  // the lamp surface inside it
};

Shape ShapeOf(TLEDStyle style, QSizeF size) {
    const QRectF all(0, 0, size.width(), size.height());
    Shape shape;
    const bool large = std::min(size.width(), size.height()) >= 20;
    const qreal inset = large ? 3.0 : 2.2;
    switch (style) {
        case TLEDStyle::LEDSmall:
        case TLEDStyle::LEDLarge:
            shape.outer.addEllipse(all.adjusted(0.5, 0.5, -0.5, -0.5));
            shape.surface.addEllipse(all.adjusted(inset, inset, -inset, -inset));
            break;
        case TLEDStyle::LEDSqSmall:
        case TLEDStyle::LEDSqLarge:
            shape.outer.addRoundedRect(all.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
            shape.surface.addRoundedRect(all.adjusted(inset, inset, -inset, -inset), 1.5, 1.5);
            break;
        case TLEDStyle::LEDVertical:
        case TLEDStyle::LEDHorizontal: {
            const qreal r = std::min(size.width(), size.height()) / 2;
            shape.outer.addRoundedRect(all.adjusted(0.5, 0.5, -0.5, -0.5), r - 0.5, r - 0.5);
            shape.surface.addRoundedRect(all.adjusted(2.5, 2.5, -2.5, -2.5), r - 2.5, r - 2.5);
            break;
        }
    }
    return shape;
}

// Fills the 4-connected area of pure green that holds the seed.
void FloodFillSurface(QImage& image, QPoint seed, QRgb colour) {
    // Filling green with green is done already (and would never end).
    if (colour == kSurfaceGreen) return;
    if (!image.rect().contains(seed) || image.pixel(seed) != kSurfaceGreen) return;
    const int w = image.width();
    std::vector<QPoint> todo{seed};
    while (!todo.empty()) {
        const QPoint p = todo.back();
        todo.pop_back();
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(p.y()));
        if (row[p.x()] != kSurfaceGreen) continue;
        int left = p.x();
        while (left > 0 && row[left - 1] == kSurfaceGreen) --left;
        int right = p.x();
        while (right + 1 < w && row[right + 1] == kSurfaceGreen) ++right;
        for (int x = left; x <= right; ++x) row[x] = colour;
        for (int dy : {-1, 1}) {
            const int y = p.y() + dy;
            if (y < 0 || y >= image.height()) continue;
            const auto* next = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = left; x <= right; ++x)
                if (next[x] == kSurfaceGreen && (x == left || next[x - 1] != kSurfaceGreen))
                    todo.push_back({x, y});
        }
    }
}

}  // namespace

TALed::TALed(QWidget* parent) : QWidget(parent) {
    const LedSize size = LedStyleSize(style_);
    setFixedSize(size.width, size.height);
    CreateLedBitmap();
}

TALed::~TALed() = default;  // the timer is a child and goes with the lamp

QImage TALed::DrawLedTemplate(TLEDStyle style, qreal dpr) {
    const LedSize size = LedStyleSize(style);
    QImage image(qRound(size.width * dpr), qRound(size.height * dpr),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    const Shape shape = ShapeOf(style, QSizeF(size.width, size.height));

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bezel(QPointF(0, 0), QPointF(size.width, size.height));
    bezel.setColorAt(0, QColor("#9aa3b0"));
    bezel.setColorAt(1, QColor("#2b3038"));
    p.setPen(QPen(QColor("#20242b"), 1));
    p.setBrush(bezel);
    p.drawPath(shape.outer);
    // The surface without smoothing, so that it is one area of pure green.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kSurfaceGreen));
    p.drawPath(shape.surface);
    return image;
}

QImage TALed::DrawLedBitmap(TLEDStyle style, uint32_t color, qreal dpr) {
    QImage image = DrawLedTemplate(style, dpr);
    const LedSize size = LedStyleSize(style);
    FloodFillSurface(image, QPoint(qRound(size.width * dpr) / 2, qRound(size.height * dpr) / 2),
                     ToQColor(color).rgba());
    // A smooth rim and a gloss away from the centre, over the filled surface.
    const Shape shape = ShapeOf(style, QSizeF(size.width, size.height));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 0, 110), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape.surface);
    const QPointF gloss(size.width * 0.34, size.height * 0.32);
    const qreal radius = std::min(size.width, size.height) * 0.16;
    QRadialGradient shine(gloss, radius);
    shine.setColorAt(0, QColor(255, 255, 255, 200));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawEllipse(gloss, radius, radius);
    return image;
}

void TALed::CreateLedBitmap() {
    const LedSize size = LedStyleSize(style_);
    setFixedSize(size.width, size.height);
    bitmapDpr_ = devicePixelRatioF();
    onBitmap_ = DrawLedBitmap(style_, state_.TrueColor(), bitmapDpr_);
    offBitmap_ = DrawLedBitmap(style_, state_.FalseColor(), bitmapDpr_);
}

void TALed::SyncTimer() {
    if (state_.TimerRunning()) {
        if (!timer_) {
            timer_ = new QTimer(this);
            connect(timer_, &QTimer::timeout, this, &TALed::OnLedTimer);
            timer_->start(state_.Interval());
        } else if (timer_->interval() != state_.Interval()) {
            timer_->setInterval(state_.Interval());
        }
    } else if (timer_) {
        // Possibly inside the timer's own signal.
        timer_->stop();
        timer_->deleteLater();
        timer_ = nullptr;
    }
    update();
}

void TALed::SetTrueColor(uint32_t color) {
    if (color == state_.TrueColor()) return;
    state_.SetTrueColor(color);
    CreateLedBitmap();
    SyncTimer();
}

void TALed::SetFalseColor(uint32_t color) {
    if (color == state_.FalseColor()) return;
    state_.SetFalseColor(color);
    CreateLedBitmap();
    SyncTimer();
}

void TALed::ChangeBlink(bool blink) {
    state_.ChangeBlink(blink);
    SyncTimer();
}

void TALed::ChangeValue(bool value) {
    state_.ChangeValue(value);
    SyncTimer();
}

void TALed::SetInterval(int32_t milliseconds) {
    state_.SetInterval(milliseconds);
    SyncTimer();
}

void TALed::ChangeStyle(TLEDStyle style) {
    style_ = style;
    CreateLedBitmap();
    update();
}

void TALed::OnLedTimer() {
    if (!state_.OnLedTimer()) return;
    update();
    emit OnTimer();
}

void TALed::paintEvent(QPaintEvent*) {
    if (!qFuzzyCompare(bitmapDpr_, devicePixelRatioF())) CreateLedBitmap();
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(rect()), state_.ShownOn() ? onBitmap_ : offBitmap_);
}

void TALed::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    emit OnMouseEnter();
}

void TALed::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    emit OnMouseLeave();
}

void TALed::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) mouseDown_ = true;
}

void TALed::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = mouseDown_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton) mouseDown_ = false;
    if (click) emit OnClick();
}

}  // namespace burnmark
