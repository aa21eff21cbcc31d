// TALed: a lamp that shows one of two colours and can blink. Each style has
// its own picture whose lamp surface is pure green (0x00FF00); the surface
// that holds the centre is recoloured for the on and the off picture.
#pragma once

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdint>

#include "widgets/lamp_state.h"

namespace burnmark {

class TALed : public QWidget {
    Q_OBJECT

public:
    explicit TALed(QWidget* parent = nullptr);
    ~TALed() override;

    uint32_t TrueColor() const { return state_.TrueColor(); }
    uint32_t FalseColor() const { return state_.FalseColor(); }
    bool Blink() const { return state_.Blink(); }
    bool Value() const { return state_.Value(); }
    int32_t Interval() const { return state_.Interval(); }
    TLEDStyle LEDStyle() const { return style_; }
    const LampState& State() const { return state_; }

    // Colours are written with red in the low byte.
    void SetTrueColor(uint32_t color);
    void SetFalseColor(uint32_t color);
    void ChangeBlink(bool blink);
    void ChangeValue(bool value);
    void SetInterval(int32_t milliseconds);
    void ChangeStyle(TLEDStyle style);

    // One tick of the blink timer: the other colour, then OnTimer.
    void OnLedTimer();
    // The blink timer while one runs, else null.
    QTimer* BlinkTimer() const { return timer_; }

    // The style's picture with its green surface, at a device pixel ratio.
    static QImage DrawLedTemplate(TLEDStyle style, qreal dpr = 1.0);
    // The template with the surface holding the centre filled with the colour.
    static QImage DrawLedBitmap(TLEDStyle style, uint32_t color, qreal dpr = 1.0);

signals:
    void OnTimer();
    void OnMouseEnter();
    void OnMouseLeave();
    void OnClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void CreateLedBitmap();
    void SyncTimer();

    LampState state_;
    TLEDStyle style_ = TLEDStyle::LEDSmall;
    QImage onBitmap_;
    QImage offBitmap_;
    qreal bitmapDpr_ = 0;
    QPointer<QTimer> timer_;
    bool mouseDown_ = false;
};

}  // namespace burnmark
