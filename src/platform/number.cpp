#include "platform/number.h"
#include "platform/text.h"

#include <cctype>

namespace burnmark {

std::optional<int32_t> StrToInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size()) return std::nullopt;

    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (hex) {
            const int d = HexDigit(c);
            if (d < 0) return std::nullopt;
            value = value * 16 + static_cast<uint64_t>(d);
            if (value > 0xFFFFFFFFull) return std::nullopt;
        } else {
            if (c < '0' || c > '9') return std::nullopt;
            value = value * 10 + static_cast<uint64_t>(c - '0');
            if (value > 0x80000000ull) return std::nullopt;
        }
    }
    if (hex) {
        // Hexadecimal texts name a 32-bit pattern: 0xFFFFFFFF is -1.
        uint32_t bits = static_cast<uint32_t>(value);
        if (negative) bits = 0u - bits;
        return static_cast<int32_t>(bits);
    }
    if (!negative && value > 0x7FFFFFFFull) return std::nullopt;
    const int64_t signedValue = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
    return static_cast<int32_t>(signedValue);
}

int32_t StrToIntDef(std::string_view text, int32_t fallback) {
    const auto v = StrToInt(text);
    return v ? *v : fallback;
}

std::string NotValidIntegerMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid integer value";
}

}  // namespace burnmark
