// libFuzzer target for the walk of an option definition. The input is split at
// its first NUL byte: before it the definition file, after it the option value
// store. The walk, the packing, the unpacking of words and the field rules
// must keep every word within OptionWords and every value storable.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "catalogue/option_layout.h"

namespace {

using namespace burnmark;

// Says which check failed before it stops the run.
#define Check(ok) CheckAt((ok), __LINE__, #ok)
inline void CheckAt(bool ok, int line, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "check failed at line %d: %s\n", line, what);
    std::abort();
}

struct Files {
    std::filesystem::path root;
    std::string definition, store;

    Files() {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/bm_option_fuzz_XXXXXX";
        Check(mkdtemp(pattern.data()) != nullptr);
        root = pattern;
        definition = (root / "DEF.INI").string();
        store = (root / "temp.ini").string();
    }
    ~Files() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
};

Files& Dir() {
    static Files files;
    return files;
}

void Write(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check(static_cast<bool>(out));
}

bool Storable(std::string_view value) {
    return std::none_of(value.begin(), value.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    Files& dir = Dir();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = std::min(input.find('\0'), input.size());
    Write(dir.definition, input.substr(0, split));
    Write(dir.store, split < input.size() ? input.substr(split + 1) : std::string_view());

    for (int32_t saved : {0, 1}) {
        const OptionLayout layout = ReadOptionLayout(dir.definition, dir.store, saved);
        Check(layout.WordsUsed <= kOptionWordCount);
        Check(layout.Pages.size() <= static_cast<std::size_t>(kMaxOptionPages));
        std::size_t next = 0;
        for (const OptionComponent& c : layout.Components) {
            // Words follow one another and stay within OptionWords.
            Check(c.FirstWord == next && c.FirstWord + c.WordCount <= kOptionWordCount);
            Check(c.WordCount <= c.WordsWanted);
            next += c.WordCount;
            Check(c.Items.size() <= static_cast<std::size_t>(kMaxRadioItems));
            Check(c.Lines.size() <= static_cast<std::size_t>(kMaxExplanationLines));
            Check(c.Columns >= 1 && c.Columns <= kMaxRadioColumns);
            if (c.Kind == OptionKind::RadioGroup)
                Check(c.Number >= -1 && c.Number < static_cast<int32_t>(c.Items.size()));
            if (c.IsText()) Check(c.Text.size() <= kMaxOptionTextChars && Storable(c.Text));
            // What the window shows is what its field keeps.
            if (c.IsNumberField()) Check(ClampInput(c, c.Text) == c.Text);
            // Whatever is typed or pasted ends within the field's digits.
            const std::string typed =
                ClampInput(c, input.substr(0, std::min<std::size_t>(40, size)));
            const std::size_t digits = ValueTypeRuleOf(c.ValueType).digits;
            if (c.IsNumberField() && c.Form != ValueForm::Plain) {
                Check(typed.size() <= digits);
                Check(ParseFieldNumber(c, typed) <= static_cast<int64_t>(c.ValueMax));
            }
            if (const auto value = StoredValue(c, c.Number, typed)) Check(Storable(*value));
        }
        Check(next == layout.WordsUsed);

        std::array<uint16_t, kOptionWordCount> words;
        words.fill(0x5A5A);
        PackOptionWords(layout, words);
        for (std::size_t i = layout.WordsUsed; i < kOptionWordCount; ++i) Check(words[i] == 0x5A5A);

        // Words from the programmer: any bytes, a control character among them.
        std::array<uint16_t, kOptionWordCount> back{};
        for (std::size_t i = 0; i < back.size(); ++i)
            back[i] = static_cast<uint16_t>(i < size ? data[i] | (i * 7 << 8) : 0x0D41);
        for (std::size_t available : {std::size_t{32}, kOptionWordCount})
            for (const auto& [key, value] : UnpackOptionWords(layout, back, available, saved))
                Check(Storable(value) && Storable(key));
    }
    return 0;
}
