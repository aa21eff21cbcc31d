#include "widgets/lamp_state.h"

namespace burnmark {

LedSize LedStyleSize(TLEDStyle style) {
    switch (style) {
        case TLEDStyle::LEDSmall:
            return {16, 16};
        case TLEDStyle::LEDLarge:
            return {22, 22};
        case TLEDStyle::LEDSqSmall:
            return {16, 16};
        case TLEDStyle::LEDSqLarge:
            return {22, 22};
        case TLEDStyle::LEDVertical:
            return {14, 22};
        case TLEDStyle::LEDHorizontal:
            return {22, 14};
    }
    return {16, 16};
}

void LampState::SetLedTimer() {
    // A period of 0 or less would fire without pause: the lamp stays steady.
    if (timer_ || interval_ <= 0) return;
    shownOn_ = true;
    timer_ = true;
}

void LampState::ChangeValue(bool value) {
    if (value == value_) return;
    value_ = value;
    // Every draw sets the shown state, so that a repaint shows the same picture.
    shownOn_ = value;
    if (value) {
        if (blink_) SetLedTimer();
    } else {
        ResetLedTimer();
    }
}

void LampState::ChangeBlink(bool blink) {
    if (blink == blink_) return;
    shownOn_ = value_;
    blink_ = blink;
    if (blink_ && value_) {
        SetLedTimer();
    } else {
        ResetLedTimer();
    }
}

void LampState::SetInterval(int32_t milliseconds) {
    interval_ = milliseconds;
    if (interval_ <= 0) {
        if (timer_) {
            ResetLedTimer();
            shownOn_ = value_;
        }
    } else if (value_ && blink_) {
        SetLedTimer();
    }
}

void LampState::SetTrueColor(uint32_t color) {
    if (color == trueColor_) return;
    const bool blinking = blink_;
    if (blinking) ChangeBlink(false);
    trueColor_ = color;
    if (blinking) ChangeBlink(true);
}

void LampState::SetFalseColor(uint32_t color) {
    if (color == falseColor_) return;
    const bool blinking = blink_;
    if (blinking) ChangeBlink(false);
    falseColor_ = color;
    if (blinking) ChangeBlink(true);
}

bool LampState::OnLedTimer() {
    if (!timer_) return false;
    shownOn_ = !shownOn_;
    return true;
}

}  // namespace burnmark
