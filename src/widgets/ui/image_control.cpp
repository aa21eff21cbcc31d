#include "widgets/ui/image_control.h"

#include <QPainter>

namespace burnmark {

class ImageControl::Layer : public SkinLayer {
public:
    explicit Layer(ImageControl& owner) : owner_(owner), name_(owner.objectName().toStdString()) {}
    std::string_view LayerName() const override { return name_; }
    void SetLayerVisible(bool visible) override { owner_.SetShown(visible); }
    void Rename(const QString& name) { name_ = name.toStdString(); }

private:
    ImageControl& owner_;
    std::string name_;
};

ImageControl::ImageControl(const QString& name, QWidget* parent) : QLabel(parent) {
    setObjectName(name);
    layer_ = std::make_shared<Layer>(*this);
    connect(this, &QObject::objectNameChanged, this,
            [this](const QString& renamed) { layer_->Rename(renamed); });
}

// The skin holds the layer weakly: it goes with the control.
ImageControl::~ImageControl() = default;

SkinLayerRef ImageControl::SkinHandle() const { return layer_; }

void ImageControl::SetPicture(PictureSource source) {
    picture_ = std::move(source);
    update();
}

void ImageControl::SetShown(bool shown) {
    if (sink_) {
        sink_(shown);
    } else {
        setVisible(shown);
    }
}

void ImageControl::SetHotLook(bool hot) {
    if (hot_ == hot) return;
    hot_ = hot;
    update();
}

void ImageControl::SetPressedLook(bool pressed) {
    if (pressed_ == pressed) return;
    pressed_ = pressed;
    update();
}

void ImageControl::paintEvent(QPaintEvent* event) {
    if (!picture_) {
        QLabel::paintEvent(event);
        return;
    }
    const qreal dpr = devicePixelRatioF();
    QPixmap picture = picture_(size(), dpr);
    if (hot_ || pressed_) {
        // Only the picture's own pixels change, not what shows through it:
        // held down darker; highlighted tinted blue with a ring. Lightening
        // would wash the picture out to the grey of a step that is off.
        QImage look = picture.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QColor accent(kHotAccent);
        for (int y = 0; y < look.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(look.scanLine(y));
            for (int x = 0; x < look.width(); ++x) {
                const QRgb c = row[x];
                const int a = qAlpha(c);
                auto shade = [&](int v, int tint) {
                    if (pressed_) return v * 3 / 4;
                    return v + (tint * a / 255 - v) / 4;  // premultiplied
                };
                row[x] = qRgba(shade(qRed(c), accent.red()), shade(qGreen(c), accent.green()),
                               shade(qBlue(c), accent.blue()), a);
            }
        }
        if (hot_ && !pressed_) {
            QPainter ring(&look);
            ring.setRenderHint(QPainter::Antialiasing);
            ring.setPen(QPen(accent, 2.5));
            ring.setBrush(Qt::NoBrush);
            ring.drawRoundedRect(QRectF(1.5, 1.5, width() - 3.0, height() - 3.0), 6, 6);
        }
        picture = QPixmap::fromImage(look);
    }
    QPainter p(this);
    p.drawPixmap(pressed_ ? QPointF(1, 1) : QPointF(0, 0), picture);
}

void ImageControl::mousePressEvent(QMouseEvent* event) {
    if (inStack_) {
        event->ignore();
        return;
    }
    if (event->button() == Qt::LeftButton) mouseDown_ = true;
    emit MouseDown(event->button(), event->position().toPoint(), event->globalPosition().toPoint());
}

void ImageControl::mouseMoveEvent(QMouseEvent* event) {
    if (inStack_) {
        event->ignore();
        return;
    }
    emit MouseMove(event->buttons(), event->position().toPoint(),
                   event->globalPosition().toPoint());
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event) {
    if (inStack_) {
        event->ignore();
        return;
    }
    const bool click = mouseDown_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton) mouseDown_ = false;
    emit MouseUp(event->button(), event->position().toPoint());
    if (click) emit Clicked();
}

}  // namespace burnmark
