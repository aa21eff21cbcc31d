// The operations ticked for the automatic run, kept between runs as the
// [SelectDlg] "ProcessMode" text ("+E+P" = erase and program).
#pragma once

#include "shell/shell_only.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace burnmark {

// The tick boxes in the order the run takes them; HiddenT is the hidden box
// that the exit writes as "+T" and the restore never reads back.
enum TickBox : std::size_t {
    TickErase = 0,    // CheckBox1
    TickBlank = 1,    // CheckBox2
    TickProgram = 2,  // CheckBox3
    TickVerify = 3,   // CheckBox4
    TickProtect = 4,  // CheckBox5
    TickHiddenT = 5,  // CheckBox11
};
inline constexpr std::size_t kTickBoxCount = 6;
using TickFlags = std::array<bool, kTickBoxCount>;

// The form's own ticks: erase, blank check, program and verify; not protect.
inline constexpr TickFlags kFormDefaultTicks = {true, true, true, true, false, false};

// The stored value is held in a 16-byte area: only its first 15 characters
// count, anything after them is ignored.
inline constexpr std::size_t kProcessModeMaxLength = 15;

// The ticks after restoring `value` over `current`. A value of more than one
// character unticks the five visible boxes first; then every character after
// the first ticks its box (E, C, P, V, S); other characters are ignored. A
// shorter value ("0", one letter, empty) leaves `current` as it is. The hidden
// box is never changed.
TickFlags ParseProcessMode(std::string_view value, const TickFlags& current);

// "+E", "+C", "+P", "+V", "+S", "+T" for the ticked boxes, in this order;
// empty when none is ticked.
std::string BuildProcessMode(const TickFlags& ticks);

}  // namespace burnmark
