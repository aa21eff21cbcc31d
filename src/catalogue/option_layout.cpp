#include "catalogue/option_layout.h"
#include "platform/settings_report.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "platform/paths.h"
#include "platform/profile.h"

namespace burnmark {

namespace {

constexpr std::size_t kClampTextChars = 255;

std::string Key(const char* format, int32_t a) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, a);
    return buf;
}

std::string Key(const char* format, int32_t a, int32_t b) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, a, b);
    return buf;
}

int32_t Bounded(int32_t value, int32_t low, int32_t high) { return std::clamp(value, low, high); }

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

int DigitValue(char c, int base) {
    const int digit = HexDigit(c);
    return digit < base ? digit : -1;
}

int BaseOf(const OptionComponent& c) { return c.Form == ValueForm::Hex ? 16 : 10; }

// The leading digits as an unsigned number, held at 0xFFFFFFFF + 1 at most so
// that a long text cannot overflow.
uint64_t LeadingNumber(std::string_view text, int base) {
    uint64_t value = 0;
    for (char ch : text.substr(0, kClampTextChars)) {
        const int d = DigitValue(ch, base);
        if (d < 0) break;
        value = std::min<uint64_t>(value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d),
                                   uint64_t{0x100000000});
    }
    return value;
}

std::string ClampDigits(const OptionComponent& c, const std::string& text, std::size_t digits) {
    // Each replacement is a change of its own and meets the rule again; the
    // cut to the digit limit comes last, as it does while the operator types.
    std::string result = text;
    if (LeadingNumber(text, BaseOf(c)) > c.ValueMax)
        result = ClampDigits(c, FormatFieldNumber(c, c.ValueMax), digits);
    if (text.size() > digits) result = ClampDigits(c, text.substr(0, digits), digits);
    return result;
}

int32_t ToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

void ReadComponent(OptionComponent& c, const ProfileSnapshot& def, const ProfileSnapshot& store,
                   int32_t valuesSaved, std::vector<std::string>& cuts) {
    const std::string section = Key("CurrentUserPage_%d", c.Page);
    const int32_t n = c.Index;
    c.ComponentType = def.ReadInteger(section, Key("ComponentType%d", n), -1);
    c.ValueType = def.ReadInteger(section, Key("ValueType%d", n), -1);
    switch (c.ComponentType) {
        case 0:
            c.Kind = OptionKind::CheckBox;
            break;
        case 1:
            c.Kind = OptionKind::RadioGroup;
            break;
        case 2:
            c.Kind = OptionKind::ValueField;
            break;
        case 3:
            c.Kind = OptionKind::Explanation;
            break;
        default:
            c.Kind = OptionKind::Other;
            break;
    }
    const ValueTypeRule rule = ValueTypeRuleOf(c.ValueType);
    // Only a value field has a value type; other kinds ignore the key.
    c.Form = c.Kind == OptionKind::ValueField ? rule.form : ValueForm::Plain;

    auto pixels = [&](const char* format, int32_t low) {
        return Bounded(def.ReadInteger(section, Key(format, n), 1), low, kMaxOptionPixels);
    };
    c.Caption = def.ReadString(section, Key("ComponentCaption%d", n), "NONE");
    c.Top = pixels("Top%d", -kMaxOptionPixels);
    c.Left = pixels("Left%d", -kMaxOptionPixels);
    c.Width = pixels("Width%d", 0);
    c.Height = pixels("Height%d", 0);

    const std::string key = c.ValueKey();
    switch (c.Kind) {
        case OptionKind::CheckBox: {
            // Until the operator confirmed the pages once, the definition's
            // initial state is what the window shows.
            const int32_t stored = valuesSaved == 0
                                       ? def.ReadInteger(kOptionStoreSection, key, 0)
                                       : store.ReadInteger(kOptionStoreSection, key, 0);
            c.Number = stored != 0 ? 1 : 0;
            break;
        }
        case OptionKind::RadioGroup: {
            c.Columns =
                Bounded(def.ReadInteger(section, Key("Radio%dColumns", n), 1), 1, kMaxRadioColumns);
            const int32_t total = def.ReadInteger(section, Key("Radio%dTotal", n), 0);
            if (total > kMaxRadioItems)
                cuts.push_back("page " + std::to_string(c.Page) + ", item " + std::to_string(n) +
                               ": " + std::to_string(total) + " choices, the first " +
                               std::to_string(kMaxRadioItems) + " are shown");
            for (int32_t i = 0; i < Bounded(total, 0, kMaxRadioItems); ++i)
                c.Items.push_back(def.ReadString(section, Key("Radio%dString%d", n, i), "None"));
            // A stored choice that names no item shows as none chosen, and so it travels.
            const int32_t stored = store.ReadInteger(kOptionStoreSection, key, 0);
            c.Number = stored >= 0 && stored < static_cast<int32_t>(c.Items.size()) ? stored : -1;
            break;
        }
        case OptionKind::ValueField: {
            if (c.Form == ValueForm::Decimal || c.Form == ValueForm::Hex) {
                c.ValueMax = static_cast<uint32_t>(def.ReadInteger(
                    section, Key("ValueMax%d", n), static_cast<int32_t>(rule.maxDefault)));
                c.ValueMin = static_cast<uint32_t>(
                    std::max(0, def.ReadInteger(section, Key("ValueMin%d", n), 0)));
            }
            if (c.Form == ValueForm::Text) {
                c.TextLength =
                    std::max(0, def.ReadInteger(section, Key("Length%d", n), kDefaultTextLength));
                c.Text = FieldText(store.ReadString(kOptionStoreSection, key, "None"));
            } else if (c.Form == ValueForm::Plain) {
                c.Number = store.ReadInteger(kOptionStoreSection, key, 0);
                c.Text = FormatFieldNumber(c, c.Number);
            } else {
                // Shown as the field would keep it, which is also what is sent.
                const auto stored =
                    static_cast<uint32_t>(store.ReadInteger(kOptionStoreSection, key, 0));
                c.Text = ClampInput(c, FormatFieldNumber(c, stored));
                c.Number = ToInt32(ParseFieldNumber(c, c.Text));
            }
            break;
        }
        case OptionKind::Explanation: {
            const int32_t total = def.ReadInteger(section, Key("Explation%dTotal", n), 0);
            if (total > kMaxExplanationLines)
                cuts.push_back("page " + std::to_string(c.Page) + ", item " + std::to_string(n) +
                               ": " + std::to_string(total) + " explanation lines, the first " +
                               std::to_string(kMaxExplanationLines) + " are shown");
            for (int32_t i = 0; i < Bounded(total, 0, kMaxExplanationLines); ++i)
                c.Lines.push_back(def.ReadString(section, Key("Explation%dLine%d", n, i), "None"));
            c.Number = 0;
            break;
        }
        case OptionKind::Other:
            c.Number = store.ReadInteger(kOptionStoreSection, key, 0);
            break;
    }
    c.WordsWanted = c.IsText() ? static_cast<std::size_t>(c.TextLength) : 1;
}

}  // namespace

ValueTypeRule ValueTypeRuleOf(int32_t valueType) {
    static constexpr ValueTypeRule kRules[] = {
        {" [DEC] : ", 0xFF, 3, ValueForm::Decimal},
        {" [DEC] : ", 0xFFFF, 5, ValueForm::Decimal},
        {" [DEC] : ", 0xFFFFFF, 8, ValueForm::Decimal},
        {" [HEX] : ", 0xFF, 2, ValueForm::Hex},
        {" [HEX] : ", 0xFFFF, 4, ValueForm::Hex},
        {" [HEX] : ", 0xFFFFFF, 6, ValueForm::Hex},
        {" [CHAR] : ", 0, 0, ValueForm::Text},
    };
    if (valueType >= 0 && valueType <= 6) return kRules[valueType];
    // Types past 6 travel as text, as type 6 does; types below 0 as one number.
    if (valueType > 6) return {"", 0, 0, ValueForm::Text};
    return {"", 0, 0, ValueForm::Plain};
}

std::string OptionComponent::ValueKey() const { return Key("Page%dCom%dSet", Page, Index); }

std::string OptionLayout::CutNotice() const {
    if (Cuts.empty()) return {};
    std::string text = "The option definition asks for more than the option pages hold:";
    for (const std::string& cut : Cuts) text += "\n - " + cut;
    return text;
}

bool HasOptionPages(const DeviceRecord& device) {
    const std::string& menu = device.Menu;
    if (menu.empty() || menu.front() == '0' || !StaysInFolder(menu)) return false;
    if (menu.find_first_not_of(" \t") == std::string::npos) return false;
    if (menu.size() == 4) {
        if (EqualNoCase(menu, "none")) return false;
    }
    return true;
}

std::string OptionDefinitionPath(const DeviceRecord& device) {
    return JoinAppPath(device.AppDir, device.Menu);
}

std::string OptionStorePath(const DeviceRecord& device) {
    return JoinAppPath(device.AppDir, kOptionStoreFile);
}

OptionLayout ReadOptionLayout(const std::string& definitionPath, const std::string& storePath,
                              int32_t valuesSaved) {
    const ProfileSnapshot def(definitionPath);
    const ProfileSnapshot store(storePath);
    OptionLayout layout;
    layout.DefinitionRead = def.FileRead();
    layout.Caption = def.ReadString("CurrentUserPage", "Caption", "None");

    const int32_t total = def.ReadInteger("CurrentUserPage", "Total", 1);
    if (total > kMaxOptionPages)
        layout.Cuts.push_back(std::to_string(total) + " pages, the first " +
                              std::to_string(kMaxOptionPages) + " are shown");
    std::size_t word = 0;
    bool wordsCut = false;
    for (int32_t p = 0; p < Bounded(total, 0, kMaxOptionPages); ++p) {
        OptionPage page;
        page.Number = p;
        page.Caption = def.ReadString("CurrentUserPage", Key("PageCaption%d", p), "None");
        if (page.Caption == "None") page.Caption = "Option-" + std::to_string(p);
        page.FirstComponent = layout.Components.size();

        const std::string section = Key("CurrentUserPage_%d", p);
        const int32_t count = def.ReadInteger(section, "ComponentTotal", 0);
        if (count > kMaxPageComponents)
            layout.Cuts.push_back("page " + std::to_string(p) + ": " + std::to_string(count) +
                                  " items, the first " + std::to_string(kMaxPageComponents) +
                                  " are shown");
        for (int32_t n = 0; n < Bounded(count, 0, kMaxPageComponents); ++n) {
            OptionComponent c;
            c.Page = p;
            c.Index = n;
            ReadComponent(c, def, store, valuesSaved, layout.Cuts);
            // The walk stops at the end of OptionWords: what does not fit is
            // shown but does not travel.
            c.FirstWord = word;
            c.WordCount = std::min(c.WordsWanted, kOptionWordCount - word);
            word += c.WordCount;
            if (c.WordCount < c.WordsWanted && !wordsCut) {
                wordsCut = true;
                layout.Cuts.push_back("page " + std::to_string(p) + ", item " + std::to_string(n) +
                                      " on: past the " + std::to_string(kOptionWordCount) +
                                      " option words, not sent to the programmer");
            }
            layout.Components.push_back(std::move(c));
        }
        page.ComponentCount = layout.Components.size() - page.FirstComponent;
        layout.Pages.push_back(std::move(page));
    }
    layout.WordsUsed = word;
    return layout;
}

OptionLayout ReadDeviceOptionLayout(const DeviceRecord& device, int32_t valuesSaved) {
    const std::string definition = HasOptionPages(device) ? OptionDefinitionPath(device) : "";
    return ReadOptionLayout(definition, OptionStorePath(device), valuesSaved);
}

// ---- Values -------------------------------------------------------------------------------

char DecKeyPress(char key) {
    if (key == '\b' || (key >= '0' && key <= '9')) return key;
    return 0;
}

char HexKeyPress(char key) {
    if (key >= 'a' && key <= 'f') return static_cast<char>(key - 'a' + 'A');
    if (key == '\b' || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'F')) return key;
    return 0;
}

std::string ClampInput(const OptionComponent& c, std::string_view text) {
    if (c.Form == ValueForm::Text) return FieldText(text);
    if (c.Form == ValueForm::Plain || c.Kind != OptionKind::ValueField) return std::string(text);
    std::string kept;
    for (char ch : text) {
        const char k = c.Form == ValueForm::Hex ? HexKeyPress(ch) : DecKeyPress(ch);
        if (k != 0 && k != '\b') kept += k;
    }
    return ClampDigits(c, kept, ValueTypeRuleOf(c.ValueType).digits);
}

int64_t ParseFieldNumber(const OptionComponent& c, std::string_view text) {
    if (c.Form == ValueForm::Text) return 0;
    if (c.Form == ValueForm::Plain) {
        const bool negative = !text.empty() && text.front() == '-';
        const auto value = static_cast<int64_t>(LeadingNumber(text.substr(negative ? 1 : 0), 10));
        return ToInt32(negative ? -value : value);
    }
    return static_cast<int64_t>(std::min<uint64_t>(LeadingNumber(text, BaseOf(c)), 0xFFFFFFFF));
}

std::string FormatFieldNumber(const OptionComponent& c, int64_t value) {
    char buf[32];
    if (c.Form == ValueForm::Hex)
        std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(value));
    else
        std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(value));
    return buf;
}

std::string FieldText(std::string_view text) {
    std::string kept;
    for (char ch : text) {
        if (IsControl(static_cast<unsigned char>(ch)) || kept.size() >= kMaxOptionTextChars) break;
        kept += ch;
    }
    return kept;
}

bool BelowMinimum(const OptionComponent& c, std::string_view text) {
    if (c.Kind != OptionKind::ValueField || c.Form != ValueForm::Decimal) return false;
    return ParseFieldNumber(c, text) < static_cast<int64_t>(c.ValueMin);
}

std::string InputWrongMessage(std::string_view text) {
    return "Inputted Value is Wrong !\n\n [" + std::string(text) + "]";
}

void TakeControlValue(OptionComponent& c, int32_t number, std::string_view text) {
    switch (c.Kind) {
        case OptionKind::CheckBox:
            c.Number = number != 0 ? 1 : 0;
            break;
        case OptionKind::RadioGroup:
            c.Number = number;
            break;
        case OptionKind::ValueField:
            // The number the text stands for, never the text itself: pasted
            // text has not been through the key filter.
            if (c.IsText()) {
                c.Text = FieldText(text);
            } else {
                c.Number = ToInt32(ParseFieldNumber(c, text));
                c.Text = std::string(text);
            }
            break;
        case OptionKind::Explanation:
            c.Number = 0;
            break;
        case OptionKind::Other:
            break;  // no control: it keeps its stored value
    }
}

std::optional<std::string> StoredValue(const OptionComponent& c, int32_t number,
                                       std::string_view text) {
    if (c.Kind == OptionKind::Other) return std::nullopt;
    OptionComponent shown = c;
    TakeControlValue(shown, number, text);
    return shown.IsText() ? shown.Text : std::to_string(shown.Number);
}

// ---- The store ----------------------------------------------------------------------------

std::string OptionStoreUnkeptText(std::string_view what) {
    return "The option values " + std::string(what) +
           " are not remembered: the option pages will show the earlier ones, and Protect "
           "stops until the values can be kept.";
}

std::string OptionStoreWriteFailText(const std::string& path, std::string_view what) {
    return SettingsWriteFailText(path, OptionStoreUnkeptText(what));
}

std::string OptionStoreBehindText(const std::string& path) {
    return "The option values could not be kept in " + path +
           " !\nProtect is stopped: the chip would be locked with options other than the ones "
           "chosen. Confirm the option pages once the file can be written.";
}

// ---- Words --------------------------------------------------------------------------------

void PackOptionWords(const OptionLayout& layout, std::span<uint16_t, kOptionWordCount> words) {
    for (const OptionComponent& c : layout.Components) {
        if (c.IsText()) {
            for (std::size_t i = 0; i < c.WordCount; ++i) {
                const auto code = i < c.Text.size() ? static_cast<int8_t>(c.Text[i]) : int8_t{0};
                words[c.FirstWord + i] = static_cast<uint16_t>(static_cast<int16_t>(code));
            }
        } else if (c.WordCount > 0) {
            words[c.FirstWord] = static_cast<uint16_t>(c.Number);
        }
    }
}

std::vector<std::pair<std::string, std::string>> UnpackOptionWords(
    const OptionLayout& layout, std::span<const uint16_t, kOptionWordCount> words,
    std::size_t available, int32_t valuesSaved) {
    std::vector<std::pair<std::string, std::string>> entries;
    const std::size_t limit = std::min(available, kOptionWordCount);
    for (const OptionComponent& c : layout.Components) {
        const bool received = c.WordCount > 0 && c.FirstWord + c.WordCount <= limit;
        if (!received) {
            if (valuesSaved == 0 && c.Kind == OptionKind::CheckBox)
                entries.emplace_back(c.ValueKey(), c.Number != 0 ? "1" : "0");
            continue;
        }
        if (c.IsText()) {
            std::string text;
            for (std::size_t i = 0; i < c.WordCount; ++i) {
                const auto byte = static_cast<char>(words[c.FirstWord + i] & 0xFF);
                if (byte == 0) break;
                text += byte;
            }
            entries.emplace_back(c.ValueKey(), FieldText(text));
        } else {
            entries.emplace_back(c.ValueKey(), std::to_string(words[c.FirstWord]));
        }
    }
    return entries;
}

}  // namespace burnmark
