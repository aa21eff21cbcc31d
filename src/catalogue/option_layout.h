// The device's option pages as data: the option-definition file (the device's
// "Menu") read once into pages and components, each component with the value
// the option window shows for it and the option words it owns. The window
// builds its controls from this walk, the packing into OptionWords and the
// unpacking of words from the programmer use the same one, so a default or a
// word position cannot differ between them.
//
// The value a component carries here is the value the window's OK would store
// if the operator changed nothing: what is shown is what is sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/device_options.h"
#include "catalogue/device_record.h"

namespace burnmark {

// The option value store in the application directory.
inline constexpr const char* kOptionStoreFile = "temp.ini";
inline constexpr const char* kOptionStoreSection = "CurrentUserPageSetup";

// What a definition may ask for; more is cut, and the operator is told.
inline constexpr int32_t kMaxOptionPages = 32;
inline constexpr int32_t kMaxPageComponents = 128;
inline constexpr int32_t kMaxRadioItems = 64;
inline constexpr int32_t kMaxRadioColumns = 16;
inline constexpr int32_t kMaxExplanationLines = 256;
// Positions and sizes in pixels stay within this distance of the page.
inline constexpr int32_t kMaxOptionPixels = 4096;
// "Length%d" when the key is missing.
inline constexpr int32_t kDefaultTextLength = 16;
// The characters a text field keeps, whatever its "Length%d": the length only
// says how many of them travel as option words.
inline constexpr std::size_t kMaxOptionTextChars = 16;

inline constexpr const char* kInputWrongTitle = "Inputted Value is Wrong";

enum class OptionKind {
    CheckBox,     // 0
    RadioGroup,   // 1
    ValueField,   // 2: a label and a one-line edit field
    Explanation,  // 3: read-only lines of text
    Other,        // any other number: no control, one word of the stored value
};

// How a value field shows and takes its value.
enum class ValueForm {
    Decimal,  // value types 0 to 2
    Hex,      // 3 to 5
    Text,     // 6 and higher: one word per character
    Plain,    // below 0: a number without suffix, limits or key filter
};

struct ValueTypeRule {
    const char* suffix;   // after the caption; "" for types outside 0 to 6
    uint32_t maxDefault;  // "ValueMax%d" when missing
    std::size_t digits;   // digits at most; 0 = no limit
    ValueForm form;
};

ValueTypeRule ValueTypeRuleOf(int32_t valueType);

struct OptionComponent {
    int32_t Page = 0;
    int32_t Index = 0;  // number within its page
    int32_t ComponentType = -1;
    int32_t ValueType = -1;
    OptionKind Kind = OptionKind::Other;
    ValueForm Form = ValueForm::Plain;  // value fields only

    std::string Caption;  // check box, radio group, value field's label (without suffix)
    int32_t Top = 1, Left = 1, Width = 1, Height = 1;
    int32_t Columns = 1;
    std::vector<std::string> Items;  // radio group
    std::vector<std::string> Lines;  // explanation
    uint32_t ValueMax = 0;           // value types 0 to 5
    uint32_t ValueMin = 0;
    int32_t TextLength = kDefaultTextLength;  // text fields: characters and words

    // The option words it owns: [FirstWord, FirstWord + WordCount) within the
    // 128; fewer than it asks for (WordsWanted) when the definition is cut.
    std::size_t FirstWord = 0;
    std::size_t WordCount = 0;
    std::size_t WordsWanted = 1;

    // The value as shown: 1 or 0 for a check box, the chosen item or -1 for a
    // radio group, the number of a number field, 0 for an explanation, the
    // stored number for another kind; Text for a value field (its edit text).
    int32_t Number = 0;
    std::string Text;

    bool IsText() const { return Kind == OptionKind::ValueField && Form == ValueForm::Text; }
    bool IsNumberField() const { return Kind == OptionKind::ValueField && !IsText(); }
    // "Page%dCom%dSet".
    std::string ValueKey() const;
};

struct OptionPage {
    int32_t Number = 0;
    std::string Caption;  // "Option-" + number where the definition says "None"
    std::size_t FirstComponent = 0;
    std::size_t ComponentCount = 0;
};

struct OptionLayout {
    bool DefinitionRead = false;
    std::string Caption;
    std::vector<OptionPage> Pages;
    // Every component, pages in order, each page's components in order.
    std::vector<OptionComponent> Components;
    std::size_t WordsUsed = 0;
    // One line per thing cut off the definition, for the operator.
    std::vector<std::string> Cuts;

    std::string CutNotice() const;
};

// Whether the device's "Menu" names an option-definition file: not empty, not
// "None", not beginning with "0", and within the program's folder.
bool HasOptionPages(const DeviceRecord& device);
// AppDir + Menu, as a real path.
std::string OptionDefinitionPath(const DeviceRecord& device);
std::string OptionStorePath(const DeviceRecord& device);

// Reads the definition and the store. While valuesSaved is 0 the check boxes
// take their initial states from the definition, afterwards from the store;
// everything else always from the store. A missing definition gives one empty
// page captioned "Option-0".
OptionLayout ReadOptionLayout(const std::string& definitionPath, const std::string& storePath,
                              int32_t valuesSaved);
// The layout of the device's pages. A Menu that names no file reads as a
// missing definition: one empty page.
OptionLayout ReadDeviceOptionLayout(const DeviceRecord& device, int32_t valuesSaved);

// ---- Values -------------------------------------------------------------------------------

// Key filters of the number fields: the key, upper case for a to f, or 0 when
// the field takes no such key. Backspace (8) passes.
char DecKeyPress(char key);
char HexKeyPress(char key);

// The text a number field keeps after a change: only the characters its key
// filter takes (so pasted text obeys the filter too), a number above ValueMax
// replaced by ValueMax, more digits than the type allows cut; a replacement is
// itself a change. Texts of other fields come back unchanged.
std::string ClampInput(const OptionComponent& c, std::string_view text);
// The number a number field's text stands for: its leading digits in the
// field's base (a Plain field may begin with "-"); 0 without digits.
int64_t ParseFieldNumber(const OptionComponent& c, std::string_view text);
// How a number field shows a number.
std::string FormatFieldNumber(const OptionComponent& c, int64_t value);
// The text a text field keeps: up to its first control character, at most
// kMaxOptionTextChars.
std::string FieldText(std::string_view text);

// A decimal field whose text is below ValueMin stops OK; the message for it.
bool BelowMinimum(const OptionComponent& c, std::string_view text);
std::string InputWrongMessage(std::string_view text);

// Takes what a component's control holds (number: check box or radio item;
// text: a value field's text) as the component's value, as the store gives it
// back once OK stored it: so what the window packs is what it stores.
void TakeControlValue(OptionComponent& c, int32_t number, std::string_view text);

// The store's text for a component's value: the number (check box 1 or 0, the
// radio item or -1, a number field's number), a text field's text, "0" for an
// explanation; nothing for another kind.
std::optional<std::string> StoredValue(const OptionComponent& c, int32_t number,
                                       std::string_view text);

// ---- The store ----------------------------------------------------------------------------

// What a failed write of the store means for the values of what (the values
// "chosen" in the window, or "read from the chip"), told after "Can't write
// <path> !" as every failed settings write is.
std::string OptionStoreUnkeptText(std::string_view what);
std::string OptionStoreWriteFailText(const std::string& path, std::string_view what);
// Why an option send refuses to pack from a store that missed a write.
std::string OptionStoreBehindText(const std::string& path);

// ---- Words --------------------------------------------------------------------------------

// Each component's words from its value; words past the walk keep theirs.
// A text field gives one word per character, each the character as a signed
// 8-bit code, 0 past the end of the text.
void PackOptionWords(const OptionLayout& layout, std::span<uint16_t, kOptionWordCount> words);

// The store entries that words 0 to available - 1 give: a component whose
// words all lie there takes them (a text up to its first zero byte or control
// character, within its limit; other components the word as 0 to 65535).
// The others keep their stored values; while valuesSaved is 0 their check
// boxes are stored as shown, so that the store holds what the window showed.
std::vector<std::pair<std::string, std::string>> UnpackOptionWords(
    const OptionLayout& layout, std::span<const uint16_t, kOptionWordCount> words,
    std::size_t available, int32_t valuesSaved);

}  // namespace burnmark
