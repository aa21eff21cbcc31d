// The lamp control's rules without the drawing: which colour it shows, and
// whether its blink timer runs.
#pragma once

#include <cstdint>

namespace burnmark {

// Colour values are written with red in the low byte: 0x00FFFF is yellow.
inline constexpr uint32_t kColorLime = 0x00FF00;
inline constexpr uint32_t kColorSilver = 0xC0C0C0;
inline constexpr uint32_t kColorYellow = 0x00FFFF;

struct ColorRgb {
    uint8_t red, green, blue;
    bool operator==(const ColorRgb&) const = default;
};
constexpr ColorRgb RgbOfColor(uint32_t value) {
    return {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>((value >> 8) & 0xFF),
            static_cast<uint8_t>((value >> 16) & 0xFF)};
}

enum class TLEDStyle { LEDSmall, LEDLarge, LEDSqSmall, LEDSqLarge, LEDVertical, LEDHorizontal };

struct LedSize {
    int width, height;
    bool operator==(const LedSize&) const = default;
};
// The control's size for the style.
LedSize LedStyleSize(TLEDStyle style);

class LampState {
public:
    bool Value() const { return value_; }
    bool Blink() const { return blink_; }
    int32_t Interval() const { return interval_; }
    uint32_t TrueColor() const { return trueColor_; }
    uint32_t FalseColor() const { return falseColor_; }

    // Which of the two pictures is on screen, and its colour.
    bool ShownOn() const { return shownOn_; }
    uint32_t ShownColor() const { return shownOn_ ? trueColor_ : falseColor_; }

    // The blink timer runs while the lamp is on and blinks with a period
    // above 0; a period of 0 or less gives a steady lamp.
    bool TimerRunning() const { return timer_; }

    void ChangeValue(bool value);
    void ChangeBlink(bool blink);
    void SetInterval(int32_t milliseconds);
    void SetTrueColor(uint32_t color);
    void SetFalseColor(uint32_t color);
    // One tick of the blink timer: the other picture. False when no timer runs.
    bool OnLedTimer();

private:
    void SetLedTimer();
    void ResetLedTimer() { timer_ = false; }

    bool value_ = false;
    bool blink_ = true;
    int32_t interval_ = 1000;
    uint32_t trueColor_ = kColorLime;
    uint32_t falseColor_ = kColorSilver;
    bool shownOn_ = false;
    bool timer_ = false;
};

}  // namespace burnmark
