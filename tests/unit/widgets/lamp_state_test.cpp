// The lamp's rules: the colour it shows and whether its blink timer runs,
// after each sequence of changes and ticks.
#include "widgets/lamp_state.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace burnmark {
namespace {

constexpr uint32_t kRed = 0x0000FF;  // red in the low byte
constexpr uint32_t kBlue = 0xFF0000;

// "value 1", "blink 0", "interval 0", "true <colour>", "false <colour>", "tick".
void Play(LampState& lamp, const std::string& script) {
    std::istringstream in(script);
    std::string word;
    while (in >> word) {
        if (word == "tick") {
            lamp.OnLedTimer();
            continue;
        }
        long long n = 0;
        in >> n;
        if (word == "value") lamp.ChangeValue(n != 0);
        if (word == "blink") lamp.ChangeBlink(n != 0);
        if (word == "interval") lamp.SetInterval(static_cast<int32_t>(n));
        if (word == "true") lamp.SetTrueColor(static_cast<uint32_t>(n));
        if (word == "false") lamp.SetFalseColor(static_cast<uint32_t>(n));
    }
}

TEST(LampState, ShownColourAndTimer) {
    struct Case {
        const char* what;
        const char* script;
        uint32_t shown;
        bool timer;
    };
    const std::vector<Case> cases = {
        {"a new lamp is off, silver", "", kColorSilver, false},
        {"on and blinking: on first, with a timer", "value 1", kColorLime, true},
        {"a tick shows the other colour", "value 1 tick", kColorSilver, true},
        {"two ticks come back", "value 1 tick tick", kColorLime, true},
        {"off stops the timer and shows off", "value 1 tick tick value 0", kColorSilver, false},
        {"on without blinking is steady", "blink 0 value 1", kColorLime, false},
        {"a tick without a timer changes nothing", "blink 0 value 1 tick", kColorLime, false},
        // Every change of the picture sets what a repaint shows.
        {"blink off in the off phase shows on again", "value 1 tick blink 0", kColorLime, false},
        {"blink on again restarts on", "value 1 blink 0 blink 1", kColorLime, true},
        {"the same value twice changes nothing", "value 1 tick value 1", kColorSilver, true},
        {"a new colour while blinking keeps blinking with it", "value 1 tick true 255", kRed, true},
        {"its other phase", "value 1 true 255 tick", kColorSilver, true},
        {"a new off colour of an off lamp", "false 16711680", kBlue, false},
        {"a new colour without blinking", "blink 0 value 1 true 255", kRed, false},
        // A period of 0 or less would fire without pause.
        {"interval 0: steady", "interval 0 value 1", kColorLime, false},
        {"a negative interval: steady", "interval -5 value 1", kColorLime, false},
        {"interval 0 while blinking stops it on", "value 1 tick interval 0", kColorLime, false},
        {"a valid interval afterwards starts it", "interval 0 value 1 interval 200", kColorLime,
         true},
        {"the interval of a lamp that is off starts nothing", "interval 200", kColorSilver, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LampState lamp;
        Play(lamp, c.script);
        EXPECT_EQ(lamp.ShownColor(), c.shown);
        EXPECT_EQ(lamp.TimerRunning(), c.timer);
    }
}

TEST(LampState, StyleSizesAndColourValues) {
    struct Case {
        TLEDStyle style;
        LedSize size;
    };
    const Case cases[] = {
        {TLEDStyle::LEDSmall, {16, 16}},    {TLEDStyle::LEDLarge, {22, 22}},
        {TLEDStyle::LEDSqSmall, {16, 16}},  {TLEDStyle::LEDSqLarge, {22, 22}},
        {TLEDStyle::LEDVertical, {14, 22}}, {TLEDStyle::LEDHorizontal, {22, 14}},
    };
    for (const Case& c : cases) EXPECT_EQ(LedStyleSize(c.style), c.size);

    EXPECT_EQ(RgbOfColor(kColorYellow), (ColorRgb{255, 255, 0}));
    EXPECT_EQ(RgbOfColor(kColorLime), (ColorRgb{0, 255, 0}));
    EXPECT_EQ(RgbOfColor(0x123456), (ColorRgb{0x56, 0x34, 0x12}));
}

}  // namespace
}  // namespace burnmark
