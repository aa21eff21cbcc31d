// The walk of an option definition: which words each component owns and what
// they carry, the way back from words into the store, the values the window
// shows (and so sends), the field rules, and what a definition that asks for
// too much is cut to.
#include "catalogue/option_layout.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <span>
#include <string>
#include <vector>

#include "unit/catalogue/option_fixture.h"

namespace burnmark::testing {
namespace {

class OptionLayoutTest : public OptionFixture {};

// ---- Words ----------------------------------------------------------------------------------

struct WordCase {
    const char* name;
    const char* page;   // the keys of [CurrentUserPage_0] after ComponentTotal=1
    const char* store;  // Page0Com0Set, or nullptr for none
    std::vector<uint16_t> words;
    const char* unpacked;  // what the same words store again
};

void PrintTo(const WordCase& c, std::ostream* os) { *os << c.name; }

class ComponentWords : public OptionLayoutTest, public ::testing::WithParamInterface<WordCase> {};

TEST_P(ComponentWords, PackToTheirWordsAndBack) {
    const WordCase& c = GetParam();
    Definition(std::string("[CurrentUserPage_0]\nComponentTotal=1\n") + c.page);
    if (c.store) Store(std::string("[CurrentUserPageSetup]\nPage0Com0Set=") + c.store + "\n");
    options.OptionValuesSaved = 1;
    options.OptionWords.fill(0x7777);

    const OptionLayout layout = Layout();
    ASSERT_EQ(layout.Components.size(), 1u);
    EXPECT_EQ(layout.WordsUsed, c.words.size());
    std::vector<uint16_t> expected = c.words;
    expected.push_back(0x7777);  // the first word past the walk keeps its value
    EXPECT_EQ(Packed(c.words.size() + 1), expected);

    const auto entries = UnpackOptionWords(layout, options.OptionWords, kOptionWordCount, 1);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].first, "Page0Com0Set");
    EXPECT_EQ(entries[0].second, c.unpacked);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ComponentWords,
    ::testing::Values(
        WordCase{"CheckBoxTicked", "ComponentType0=0\n", "1", {1}, "1"},
        WordCase{"CheckBoxAnyNonZeroIsTicked", "ComponentType0=0\n", "5", {1}, "1"},
        WordCase{"RadioItem", "ComponentType0=1\nRadio0Total=3\n", "2", {2}, "2"},
        WordCase{"RadioNoneChosen", "ComponentType0=1\nRadio0Total=3\n", "-1", {0xFFFF}, "65535"},
        WordCase{"HexTwentyFourBitsTravelAsTheLowWord",
                 "ComponentType0=2\nValueType0=5\n",
                 "1193046",
                 {0x3456},
                 "13398"},
        WordCase{"DecimalField", "ComponentType0=2\nValueType0=1\n", "4660", {4660}, "4660"},
        WordCase{"TextWithLength",
                 "ComponentType0=2\nValueType0=6\nLength0=4\n",
                 "AB",
                 {0x41, 0x42, 0, 0},
                 "AB"},
        WordCase{"TextWithoutLengthTakesSixteen",
                 "ComponentType0=2\nValueType0=6\n",
                 "None",
                 {'N', 'o', 'n', 'e', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                 "None"},
        // The length cuts the words, not the text: the store keeps it whole.
        WordCase{"TextLongerThanItsLengthSendsItsFirstCharacters",
                 "ComponentType0=2\nValueType0=6\nLength0=2\n",
                 "None",
                 {'N', 'o'},
                 "No"},
        WordCase{"TextCharactersAreSignedBytes",
                 "ComponentType0=2\nValueType0=6\nLength0=2\n",
                 "\xE9z",
                 {0xFFE9, 'z'},
                 "\xE9z"},
        WordCase{"TextTypesPastSixAreText",
                 "ComponentType0=2\nValueType0=9\nLength0=1\n",
                 "Q",
                 {'Q'},
                 "Q"},
        WordCase{"ExplanationIsZero", "ComponentType0=3\n", "9", {0}, "0"},
        WordCase{"OtherKindCarriesItsStoredValue", "ComponentType0=7\n", "300", {300}, "300"},
        WordCase{"MissingKindCarriesItsStoredValue", "", "12", {12}, "12"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OptionLayoutTest, ThreeCheckBoxesFillTheFirstThreeWords) {
    Definition(
        "[CurrentUserPage]\nTotal=2\n"
        "[CurrentUserPage_0]\nComponentTotal=2\nComponentType0=0\nComponentType1=0\n"
        "[CurrentUserPage_1]\nComponentTotal=1\nComponentType0=0\n");
    Store("[CurrentUserPageSetup]\nPage0Com0Set=1\nPage0Com1Set=0\nPage1Com0Set=1\n");
    options.OptionValuesSaved = 1;
    EXPECT_EQ(Packed(3), (std::vector<uint16_t>{1, 0, 1}));
    const OptionLayout layout = Layout();
    EXPECT_EQ(layout.Components[2].FirstWord, 2u);
    EXPECT_EQ(layout.Components[2].Page, 1);
}

// What the window shows before the operator confirmed it once is what travels:
// the check boxes' initial states from the definition, not another device's
// values left in the store.
TEST_F(OptionLayoutTest, CheckBoxesFollowTheDefinitionUntilTheValuesWereSaved) {
    Definition(
        "[CurrentUserPage_0]\nComponentTotal=3\nComponentType0=0\nComponentType1=0\n"
        "ComponentType2=1\nRadio2Total=4\n"
        "[CurrentUserPageSetup]\nPage0Com0Set=1\nPage0Com1Set=0\nPage0Com2Set=3\n");
    Store("[CurrentUserPageSetup]\nPage0Com0Set=0\nPage0Com1Set=1\nPage0Com2Set=1\n");

    options.OptionValuesSaved = 0;
    EXPECT_EQ(Packed(3), (std::vector<uint16_t>{1, 0, 1}));  // radio groups always take the store
    EXPECT_EQ(Layout().Components[0].Number, 1);

    options.OptionValuesSaved = 1;
    EXPECT_EQ(Packed(3), (std::vector<uint16_t>{0, 1, 1}));
}

TEST_F(OptionLayoutTest, ShownValuesAreTheOnesThatTravel) {
    struct Case {
        const char* name;
        const char* component;
        const char* stored;
        const char* shown;
        uint16_t word;
    } cases[] = {
        // A choice that names no item shows as none chosen.
        {"RadioPastItems", "ComponentType0=1\nRadio0Total=3\n", "7", "", 0xFFFF},
        {"RadioNoItems", "ComponentType0=1\n", "0", "", 0xFFFF},
        // A stored number above the field's maximum shows as the field keeps it.
        {"DecimalAboveMax", "ComponentType0=2\nValueType0=0\nValueMax0=200\n", "70000", "200", 200},
        {"NegativeDecimal", "ComponentType0=2\nValueType0=0\n", "-5", "255", 255},
        {"HexShownInCapitals", "ComponentType0=2\nValueType0=4\n", "4660", "1234", 0x1234},
        // Too many digits: cut to the digit limit, as a fifth typed digit is.
        {"HexTooManyDigits", "ComponentType0=2\nValueType0=3\n", "4660", "12", 0x12},
        // A text shows whole whatever its length, up to 16 characters.
        {"TextLongerThanItsLength", "ComponentType0=2\nValueType0=6\nLength0=2\n", "None",
         "None", 'N'},
        {"TextMissingShowsNone", "ComponentType0=2\nValueType0=6\nLength0=2\n", nullptr, "None",
         'N'},
        {"TextCutAtSixteen", "ComponentType0=2\nValueType0=6\nLength0=2\n",
         "ABCDEFGHIJKLMNOPQRS", "ABCDEFGHIJKLMNOP", 'A'},
        {"PlainNumberAsStored", "ComponentType0=2\n", "-3", "-3", 0xFFFD},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Definition(std::string("[CurrentUserPage_0]\nComponentTotal=1\n") + c.component);
        Store(c.stored ? std::string("[CurrentUserPageSetup]\nPage0Com0Set=") + c.stored + "\n"
                       : std::string());
        options.OptionValuesSaved = 1;
        const OptionComponent comp = Layout().Components.at(0);
        if (comp.Kind == OptionKind::RadioGroup)
            EXPECT_EQ(comp.Number, -1);
        else
            EXPECT_EQ(comp.Text, c.shown);
        EXPECT_EQ(Packed(1)[0], c.word);
    }
}

// ---- Bounds --------------------------------------------------------------------------------

TEST_F(OptionLayoutTest, TheWalkStopsAtTheEndOfTheOptionWords) {
    // Nine text fields of 16 words want 144: the ninth gets the last 0.
    std::string page = "[CurrentUserPage_0]\nComponentTotal=10\n";
    std::string store = "[CurrentUserPageSetup]\n";
    for (int i = 0; i < 9; ++i) {
        page += "ComponentType" + std::to_string(i) + "=2\nValueType" + std::to_string(i) + "=6\n";
        store += "Page0Com" + std::to_string(i) + "Set=ABCDEFGHIJKLMNOP\n";
    }
    page += "ComponentType9=0\nLength9=-4\n";
    Definition(page);
    Store(store + "Page0Com9Set=1\n");
    options.OptionValuesSaved = 1;

    const OptionLayout layout = Layout();
    EXPECT_EQ(layout.WordsUsed, kOptionWordCount);
    EXPECT_EQ(layout.Components[7].WordCount, 16u);
    EXPECT_EQ(layout.Components[8].WordCount, 0u);
    EXPECT_EQ(layout.Components[9].WordCount, 0u);
    ASSERT_EQ(layout.Cuts.size(), 1u);
    EXPECT_NE(layout.CutNotice().find("page 0, item 8 on"), std::string::npos);

    // Nothing is written past word 127, and nothing is read from there.
    std::array<uint16_t, kOptionWordCount + 1> words{};
    words.back() = 0xA5A5;
    const std::span<uint16_t, kOptionWordCount> packed(words.data(), kOptionWordCount);
    PackOptionWords(layout, packed);
    EXPECT_EQ(words[127], 'P');
    EXPECT_EQ(words.back(), 0xA5A5);
    const auto entries = UnpackOptionWords(layout, packed, kOptionWordCount, 1);
    EXPECT_EQ(entries.size(), 8u);
}

TEST_F(OptionLayoutTest, ATextCutByTheEndOfTheWordsEndsThere) {
    std::string page =
        "[CurrentUserPage_0]\nComponentTotal=2\nComponentType0=2\nValueType0=6\n"
        "Length0=120\nComponentType1=2\nValueType1=6\n";
    Definition(page);
    options.OptionValuesSaved = 1;
    const OptionLayout layout = Layout();
    EXPECT_EQ(layout.Components[1].FirstWord, 120u);
    EXPECT_EQ(layout.Components[1].WordCount, 8u);
    std::array<uint16_t, kOptionWordCount> words{};
    for (std::size_t i = 120; i < 128; ++i) words[i] = 'a' + static_cast<uint16_t>(i - 120);
    const auto entries = UnpackOptionWords(layout, words, kOptionWordCount, 1);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].second, "abcdefgh");
}

TEST_F(OptionLayoutTest, ANegativeLengthTakesNoWord) {
    Definition(
        "[CurrentUserPage_0]\nComponentTotal=2\nComponentType0=2\nValueType0=6\nLength0=-3\n"
        "ComponentType1=0\n");
    options.OptionValuesSaved = 1;
    const OptionLayout layout = Layout();
    EXPECT_EQ(layout.Components[0].WordCount, 0u);
    EXPECT_EQ(layout.Components[1].FirstWord, 0u);
    EXPECT_TRUE(layout.Cuts.empty());
}

TEST_F(OptionLayoutTest, HugeCountsAreCutQuicklyAndSaidSo) {
    Definition(
        "[CurrentUserPage]\nTotal=2000000000\n"
        "[CurrentUserPage_0]\nComponentTotal=2000000000\nComponentType0=1\n"
        "Radio0Total=2000000000\nRadio0Columns=99\nComponentType1=3\nExplation1Total=2000000000\n");
    const auto start = std::chrono::steady_clock::now();
    const OptionLayout layout = Layout();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    EXPECT_EQ(layout.Pages.size(), static_cast<std::size_t>(kMaxOptionPages));
    EXPECT_EQ(layout.Pages[0].ComponentCount, static_cast<std::size_t>(kMaxPageComponents));
    EXPECT_EQ(layout.Components[0].Items.size(), static_cast<std::size_t>(kMaxRadioItems));
    EXPECT_EQ(layout.Components[0].Columns, kMaxRadioColumns);
    EXPECT_EQ(layout.Components[1].Lines.size(), static_cast<std::size_t>(kMaxExplanationLines));
    EXPECT_LE(layout.WordsUsed, kOptionWordCount);
    const std::string notice = layout.CutNotice();
    for (const char* part :
         {"2000000000 pages", "page 0: 2000000000 items", "choices", "explanation lines"})
        EXPECT_NE(notice.find(part), std::string::npos) << part;
}

// ---- Back into the store -------------------------------------------------------------------

TEST_F(OptionLayoutTest, UnpackingTakesOnlyTheWordsReceived) {
    // Word 0: a check box; words 1-4: a text; word 5: a check box past what came back.
    Definition(
        "[CurrentUserPage_0]\nComponentTotal=3\nComponentType0=0\nComponentType1=2\n"
        "ValueType1=6\nLength1=4\nComponentType2=0\n"
        "[CurrentUserPageSetup]\nPage0Com2Set=1\n");
    Store("[CurrentUserPageSetup]\nPage0Com2Set=0\n");
    std::array<uint16_t, kOptionWordCount> words{};
    words[0] = 1;
    words[1] = 'O';
    words[2] = 'K';
    words[3] = '\r';  // the store could not hold it: the text ends before it
    words[4] = 'x';
    words[5] = 0;

    using Entries = std::vector<std::pair<std::string, std::string>>;
    const OptionLayout shownFromDefinition = ReadDeviceOptionLayout(device, 0);
    EXPECT_EQ(UnpackOptionWords(shownFromDefinition, words, 5, 0),
              (Entries{{"Page0Com0Set", "1"}, {"Page0Com1Set", "OK"}, {"Page0Com2Set", "1"}}));
    // Once saved, what did not come back keeps its stored value.
    const OptionLayout shownFromStore = ReadDeviceOptionLayout(device, 1);
    EXPECT_EQ(UnpackOptionWords(shownFromStore, words, 5, 1),
              (Entries{{"Page0Com0Set", "1"}, {"Page0Com1Set", "OK"}}));
    // A text longer than its field comes back cut to it.
    Definition(
        "[CurrentUserPage_0]\nComponentTotal=1\nComponentType0=2\nValueType0=6\n"
        "Length0=24\n");
    std::array<uint16_t, kOptionWordCount> long_{};
    for (std::size_t i = 0; i < 24; ++i) long_[i] = 'A' + static_cast<uint16_t>(i);
    EXPECT_EQ(UnpackOptionWords(Layout(), long_, kOptionWordCount, 1),
              (Entries{{"Page0Com0Set", "ABCDEFGHIJKLMNOP"}}));
}

// ---- Pages ---------------------------------------------------------------------------------

TEST_F(OptionLayoutTest, PagesTakeTheirCaptionsOrANumberedOne) {
    Definition("[CurrentUserPage]\nCaption=Fuses\nTotal=2\nPageCaption1=Lock\n");
    const OptionLayout layout = Layout();
    EXPECT_TRUE(layout.DefinitionRead);
    EXPECT_EQ(layout.Caption, "Fuses");
    ASSERT_EQ(layout.Pages.size(), 2u);
    EXPECT_EQ(layout.Pages[0].Caption, "Option-0");
    EXPECT_EQ(layout.Pages[1].Caption, "Lock");

    device.Menu = "OPTION\\MISSING.INI";
    const OptionLayout missing = Layout();
    EXPECT_FALSE(missing.DefinitionRead);
    ASSERT_EQ(missing.Pages.size(), 1u);
    EXPECT_EQ(missing.Pages[0].Caption, "Option-0");
    EXPECT_EQ(missing.WordsUsed, 0u);

    // A Menu that names no file reads as a missing definition.
    for (const char* none : {"0", "0x.INI", "None", "NONE", "", "  "}) {
        device.Menu = none;
        EXPECT_FALSE(HasOptionPages(device)) << none;
        const OptionLayout empty = Layout();
        ASSERT_EQ(empty.Pages.size(), 1u) << none;
        EXPECT_EQ(empty.Pages[0].Caption, "Option-0");
        EXPECT_TRUE(empty.Components.empty());
    }
}

TEST_F(OptionLayoutTest, ADefinitionOutsideTheProgramsFolderIsNeverRead) {
    dir.Write("OUTSIDE.INI",
              "[CurrentUserPage]\r\nCaption=Outside\r\n[CurrentUserPage_0]\r\nComponentTotal=1\r\n");
    device.AppDir = dir.Path() + "app/";
    dir.Write("app/temp.ini", "");
    for (const char* menu : {"..\\OUTSIDE.INI", "OPTION/../../OUTSIDE.INI", "..//OUTSIDE.INI"}) {
        SCOPED_TRACE(menu);
        device.Menu = menu;
        EXPECT_FALSE(HasOptionPages(device));
        const OptionLayout layout = Layout();
        EXPECT_FALSE(layout.DefinitionRead);
        EXPECT_EQ(layout.Caption, "None");
        EXPECT_TRUE(layout.Components.empty());
    }
}

TEST_F(OptionLayoutTest, ComponentsKeepTheirDefinition) {
    Definition(
        "[CurrentUserPage_0]\nComponentTotal=4\n"
        "ComponentType0=1\nComponentCaption0=Osc\nTop0=5\nLeft0=6\nWidth0=200\nHeight0=60\n"
        "Radio0Columns=2\nRadio0Total=3\nRadio0String0=A\nRadio0String2=C\n"
        "ComponentType1=2\nValueType1=1\nValueMin1=20\n"
        "ComponentType2=3\nExplation2Total=2\nExplation2Line0=first\n"
        "ComponentType3=2\nValueType3=0\nValueMin3=-4\n");
    const OptionLayout layout = Layout();
    const OptionComponent& radio = layout.Components[0];
    EXPECT_EQ(radio.Kind, OptionKind::RadioGroup);
    EXPECT_EQ(radio.Caption, "Osc");
    EXPECT_EQ((std::vector<int32_t>{radio.Top, radio.Left, radio.Width, radio.Height}),
              (std::vector<int32_t>{5, 6, 200, 60}));
    EXPECT_EQ(radio.Columns, 2);
    EXPECT_EQ(radio.Items, (std::vector<std::string>{"A", "None", "C"}));
    const OptionComponent& field = layout.Components[1];
    EXPECT_EQ(field.Caption, "NONE");
    EXPECT_EQ(field.ValueMax, 0xFFFFu);
    EXPECT_EQ(field.ValueMin, 20u);
    EXPECT_EQ(layout.Components[2].Lines, (std::vector<std::string>{"first", "None"}));
    // A negative minimum would hold every value back: it is 0.
    EXPECT_EQ(layout.Components[3].ValueMin, 0u);
}

// ---- Field rules ---------------------------------------------------------------------------

OptionComponent Field(int32_t valueType, uint32_t valueMax = 0, uint32_t valueMin = 0) {
    OptionComponent c;
    c.Kind = OptionKind::ValueField;
    c.ValueType = valueType;
    c.Form = ValueTypeRuleOf(valueType).form;
    c.ValueMax = valueMax ? valueMax : ValueTypeRuleOf(valueType).maxDefault;
    c.ValueMin = valueMin;
    return c;
}

TEST(OptionFieldRules, ClampInputKeepsTheFieldWithinItsLimits) {
    struct Case {
        int32_t type;
        uint32_t max;
        const char* typed;
        const char* kept;
    } cases[] = {
        {4, 0, "1234", "1234"},
        {4, 0, "12345", "1234"},  // a fifth digit is undone
        {4, 0, "abc", "ABC"},
        {3, 0, "1FF", "1F"},
        {0, 200, "250", "200"},
        {0, 200, "199", "199"},
        {0, 99999, "123456", "123"},  // the cut comes last
        {0, 0, "12ab", "12"},
        {3, 0, "x-1\t", "1"},  // pasted text obeys the filter
        {2, 0, "999999999", "16777215"},
        // The largest value of each width keeps every digit.
        {1, 0, "65535", "65535"},
        {5, 0, "FFFFFF", "FFFFFF"},
        {1, 0, "", ""},
        {6, 0, "AB\nCD", "AB"},
        {-1, 0, "-12x", "-12x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClampInput(Field(c.type, c.max), c.typed), c.kept)
            << "type " << c.type << " typed " << c.typed;
}

TEST(OptionFieldRules, KeyFiltersTakeTheirDigitsAndBackspace) {
    EXPECT_EQ(DecKeyPress('7'), '7');
    EXPECT_EQ(DecKeyPress('\b'), '\b');
    EXPECT_EQ(DecKeyPress('a'), 0);
    EXPECT_EQ(DecKeyPress('-'), 0);
    EXPECT_EQ(HexKeyPress('c'), 'C');
    EXPECT_EQ(HexKeyPress('F'), 'F');
    EXPECT_EQ(HexKeyPress('\b'), '\b');
    EXPECT_EQ(HexKeyPress('g'), 0);
    EXPECT_EQ(HexKeyPress(' '), 0);
}

TEST(OptionFieldRules, OnlyDecimalFieldsHaveAMinimum) {
    EXPECT_TRUE(BelowMinimum(Field(1, 0, 20), "15"));
    EXPECT_FALSE(BelowMinimum(Field(1, 0, 20), "20"));
    EXPECT_TRUE(BelowMinimum(Field(1, 0, 20), ""));
    EXPECT_FALSE(BelowMinimum(Field(4, 0, 20), "1"));
    EXPECT_EQ(InputWrongMessage("15"), "Inputted Value is Wrong !\n\n [15]");
}

TEST(OptionFieldRules, TheStoreTakesNumbersNotTypedText) {
    OptionComponent box;
    box.Kind = OptionKind::CheckBox;
    OptionComponent radio;
    radio.Kind = OptionKind::RadioGroup;
    OptionComponent memo;
    memo.Kind = OptionKind::Explanation;
    OptionComponent other;
    OptionComponent text = Field(6);
    text.TextLength = 4;
    EXPECT_EQ(StoredValue(box, 1, ""), "1");
    EXPECT_EQ(StoredValue(box, 0, ""), "0");
    EXPECT_EQ(StoredValue(radio, -1, ""), "-1");
    EXPECT_EQ(StoredValue(Field(3), 0, "1F"), "31");
    EXPECT_EQ(StoredValue(Field(0), 0, "007"), "7");
    EXPECT_EQ(StoredValue(Field(1), 0, "12ab"), "12");
    EXPECT_EQ(StoredValue(Field(-1), 0, "-8"), "-8");
    EXPECT_EQ(StoredValue(text, 0, "ABCDEF"), "ABCDEF");
    EXPECT_EQ(StoredValue(text, 0, "ABCDEFGHIJKLMNOPQ"), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(StoredValue(memo, 0, ""), "0");
    EXPECT_EQ(StoredValue(other, 5, ""), std::nullopt);
}

// ---- The sample catalogue's definitions ---------------------------------------------------

TEST(SampleOptionPages, CoverEveryKindAndValueTypeWithinTheirWords) {
    struct Case {
        const char* file;
        std::size_t wordsAtMost;  // what the device's exchange carries back
    } cases[] = {{"VM89X52.INI", 64}, {"VM87X54.INI", 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string dir = std::string(BURNMARK_SAMPLE_DIR) + "/OPTION/";
        const OptionLayout layout = ReadOptionLayout(dir + c.file, dir + "no-store.ini", 0);
        ASSERT_TRUE(layout.DefinitionRead);
        EXPECT_TRUE(layout.Cuts.empty());
        EXPECT_LE(layout.WordsUsed, c.wordsAtMost);
        std::vector<bool> kinds(4), types(7);
        for (const OptionComponent& comp : layout.Components) {
            ASSERT_NE(comp.Kind, OptionKind::Other) << comp.ValueKey();
            kinds[static_cast<std::size_t>(comp.ComponentType)] = true;
            if (comp.Kind == OptionKind::ValueField) {
                ASSERT_GE(comp.ValueType, 0);
                ASSERT_LE(comp.ValueType, 6);
                types[static_cast<std::size_t>(comp.ValueType)] = true;
            }
        }
        EXPECT_EQ(kinds, std::vector<bool>(4, true));
        EXPECT_EQ(types, std::vector<bool>(7, true));
    }
}

}  // namespace
}  // namespace burnmark::testing
