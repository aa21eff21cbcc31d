// Number texts as settings files and device files write them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace burnmark {

// The string-to-integer conversion: leading blanks skipped, an optional "-" or
// "+", then decimal digits, or hexadecimal digits (either case) after "$", "x",
// "X", "0x" or "0X". Nothing may follow the digits. Decimal values must fit in
// 32 signed bits; hexadecimal ones in 32 bits (0xFFFFFFFF reads as -1).
// Anything else (an empty text included) gives nullopt.
std::optional<int32_t> StrToInt(std::string_view text);

// StrToInt, or the default when the text is not a number.
int32_t StrToIntDef(std::string_view text, int32_t fallback);

// "'%s' is not a valid integer value"
std::string NotValidIntegerMessage(std::string_view text);

}  // namespace burnmark
