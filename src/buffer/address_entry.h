// Address entry of the buffer dialogs (load, save, block, fill and sum): the
// hexadecimal field texts, the key rule, the byte/word conversions and the
// two checks the dialogs share. The dialogs only show the texts; every rule
// about what a text may hold and what it means is here.
//
// Fields hold up to seven hexadecimal digits; the program writes them as
// "%07lX". A word address is the byte address divided by 2. Ranges are
// inclusive.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports.h"

namespace burnmark {

inline constexpr std::size_t kAddressDigits = 7;

inline constexpr const char* kInputValueErrorText = "Input Value Error !";
// The titles of the two checks: order ("Error") and limit ("ERROR").
inline constexpr const char* kOrderErrorTitle = "Error";
inline constexpr const char* kLimitErrorTitle = "ERROR";
inline constexpr const char* kRangeErrorBang = "Range Error!!";

// The key rule: 0-9 and A-F pass, a-f pass turned to upper case, backspace
// ('\b') passes; any other key is discarded (nullopt).
std::optional<char> HexKeyFilter(char key);

// What a field keeps of an edit (typed or pasted): lower-case digits turned
// to upper case, the text cut at its first character that is no hex digit,
// then cut to maxDigits characters.
std::string HexEntryText(std::string_view text, std::size_t maxDigits = kAddressDigits);

// One edit of a field, as the field holds it afterwards.
struct HexFieldState {
    std::string text;
    std::size_t caret = 0;
    bool operator==(const HexFieldState&) const = default;
};

// What a field keeps of one edit: `before` is its text before the edit,
// `after` the text the edit would leave and `caret` the caret after it (just
// past what was typed or pasted). Of the characters put in, those up to the
// first that is no hex digit are kept, lower case turned to upper case, and
// no more than leave the field at maxDigits; everything else of the text
// stays as it was and the caret stands after the kept characters. When
// nothing at all is kept, the edit changes nothing (a selection it would have
// replaced stays). So a key that is no hex digit changes nothing, and a paste
// keeps its leading digits. A field the program filled past maxDigits keeps
// its text.
HexFieldState HexFieldEdit(std::string_view before, std::string_view after, std::size_t caret,
                           std::size_t maxDigits = kAddressDigits);

// "%07lX": at least seven upper-case digits, zero-padded.
std::string AddressText(uint32_t value);
// "%0*X" with the given width, for the fill byte and word fields.
std::string HexText(uint32_t value, int width);

// Base-16 value of a field text; an empty text, or one holding anything but
// hex digits, counts as the value of its leading digits (0 when none). Eight
// digits at most are taken, so every value fits 32 bits.
uint32_t HexFieldValue(std::string_view text);

// The byte address of a word field and the word address of a byte field.
std::string ByteToWordAddress(std::string_view byteField);
std::string WordToByteAddress(std::string_view wordField);

// The end of a destination range: destination + (end - start) when end is
// above start; otherwise
// nullopt, and the label keeps its text.
std::optional<std::string> ComputeEndAddress(std::string_view destination, std::string_view start,
                                             std::string_view end);

// The end must lie above the start. Otherwise, when show:
// "Input Value Error !" titled "Error", stop icon.
bool CheckRangeOrder(std::string_view endText, std::string_view startText, Messages& messages,
                     bool show = true);
// The value when it lies below limit; otherwise nullopt and,
// when show: "Input Value Error !" titled "ERROR", stop icon.
std::optional<uint32_t> CheckBelowLimit(std::string_view text, int64_t limit, Messages& messages,
                                        bool show = true);

}  // namespace burnmark
