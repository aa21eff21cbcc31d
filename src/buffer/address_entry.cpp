#include "buffer/address_entry.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdio>

namespace burnmark {

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

char Upper(char c) { return (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::optional<char> HexKeyFilter(char key) {
    if (key == '\b') return key;
    if (IsHexDigit(key)) return Upper(key);
    return std::nullopt;
}

std::string HexEntryText(std::string_view text, std::size_t maxDigits) {
    std::string kept;
    for (char c : text) {
        if (!IsHexDigit(c) || kept.size() == maxDigits) break;
        kept.push_back(Upper(c));
    }
    return kept;
}

HexFieldState HexFieldEdit(std::string_view before, std::string_view after, std::size_t caret,
                           std::size_t maxDigits) {
    caret = std::min(caret, after.size());
    // The edit put in after[start, caret) in place of before[start, before.size() - tail):
    // the text behind the caret is the old text's tail, the text up to the
    // start their common head.
    const std::size_t tail = after.size() - caret;
    if (tail > before.size() || before.substr(before.size() - tail) != after.substr(caret)) {
        // Not an edit at the caret (the text was set whole): keep its digits.
        std::string kept = HexEntryText(after, maxDigits);
        return HexFieldState{kept, std::min(caret, kept.size())};
    }
    std::size_t start = 0;
    const std::size_t headLimit = std::min(caret, before.size() - tail);
    while (start < headLimit && before[start] == after[start]) ++start;

    const std::size_t stays = start + tail;
    const std::size_t room = maxDigits > stays ? maxDigits - stays : 0;
    const std::string_view typed = after.substr(start, caret - start);
    const std::string put = HexEntryText(typed, room);
    // Nothing taken of what came in: not even a selection it replaced goes.
    if (put.empty() && !typed.empty()) return HexFieldState{std::string(before), start};
    std::string text(after.substr(0, start));
    text += put;
    text += after.substr(caret);
    return HexFieldState{text, start + put.size()};
}

std::string AddressText(uint32_t value) { return HexText(value, static_cast<int>(kAddressDigits)); }

std::string HexText(uint32_t value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", width, static_cast<unsigned>(value));
    return text;
}

uint32_t HexFieldValue(std::string_view text) {
    uint32_t value = 0;
    std::size_t digits = 0;
    for (char c : text) {
        if (!IsHexDigit(c) || digits == 8) break;
        value = value * 16 + static_cast<uint32_t>(HexDigit(c));
        ++digits;
    }
    return value;
}

std::string ByteToWordAddress(std::string_view byteField) {
    return AddressText(HexFieldValue(byteField.substr(0, 9)) / 2);
}

std::string WordToByteAddress(std::string_view wordField) {
    // Seven digits make at most 0x0FFFFFFF words: twice that still fits.
    return AddressText(HexFieldValue(wordField) * 2);
}

std::optional<std::string> ComputeEndAddress(std::string_view destination, std::string_view start,
                                             std::string_view end) {
    const uint32_t s = HexFieldValue(start);
    const uint32_t e = HexFieldValue(end);
    if (!(s < e)) return std::nullopt;
    return AddressText(HexFieldValue(destination) + (e - s));
}

bool CheckRangeOrder(std::string_view endText, std::string_view startText, Messages& messages,
                     bool show) {
    // Field values hold seven digits at most, so they compare the same signed
    // or unsigned; compared unsigned, no text can pass as a negative number.
    if (HexFieldValue(endText) > HexFieldValue(startText)) return true;
    if (show)
        messages.MessageBox(kInputValueErrorText, kOrderErrorTitle, MsgButtons::Ok, MsgIcon::Error);
    return false;
}

std::optional<uint32_t> CheckBelowLimit(std::string_view text, int64_t limit, Messages& messages,
                                        bool show) {
    const uint32_t value = HexFieldValue(text);
    if (int64_t{value} < limit) return value;
    if (show)
        messages.MessageBox(kInputValueErrorText, kLimitErrorTitle, MsgButtons::Ok, MsgIcon::Error);
    return std::nullopt;
}

}  // namespace burnmark
