// The address fields of the buffer dialogs: what a field keeps of an entry,
// the byte/word conversions, the destination end and the two checks.
#include "buffer/address_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_ports.h"

namespace burnmark::testing {
namespace {

TEST(HexKeys, OnlyHexDigitsAndBackspacePassLowerCaseTurnedUpper) {
    const std::string passes = "0123456789ABCDEF";
    for (char c : passes) EXPECT_EQ(HexKeyFilter(c), c) << c;
    for (char c : std::string("abcdef")) EXPECT_EQ(HexKeyFilter(c), static_cast<char>(c - 32));
    EXPECT_EQ(HexKeyFilter('\b'), '\b');
    for (char c : std::string("gG xX-+.\t\r/:@`"))
        EXPECT_EQ(HexKeyFilter(c), std::nullopt) << static_cast<int>(c);
}

TEST(HexKeys, AFieldKeepsUpToItsDigitsUpToTheFirstOtherCharacter) {
    struct Case {
        const char* entry;
        std::size_t digits;
        const char* kept;
    } cases[] = {
        {"1g", 7, "1"},  {"abc", 7, "ABC"}, {"12345678", 7, "1234567"},
        {"", 7, ""},     {"g12", 7, ""},    {"fF0aA", 7, "FF0AA"},
        {"1 2", 7, "1"}, {"ABC", 2, "AB"},  {"12ab5", 4, "12AB"},
    };
    for (const Case& c : cases) EXPECT_EQ(HexEntryText(c.entry, c.digits), c.kept) << c.entry;
}

TEST(HexKeys, AnEditKeepsTheFieldsOtherDigitsAndTheCaretWhereItWas) {
    struct Case {
        const char* what;
        const char* before;
        const char* after;  // as the edit would leave it, the caret just past what came in
        std::size_t caret;
        std::size_t digits;
        const char* text;
        std::size_t keptCaret;
    } cases[] = {
        {"a blank typed at the start", "7FFF", " 7FFF", 1, 7, "7FFF", 0},
        {"a letter typed inside", "123", "1g23", 2, 7, "123", 1},
        {"a digit typed inside", "7FFF", "7aFFF", 2, 7, "7AFFF", 2},
        {"and the next one after it", "7AFFF", "7AbFFF", 3, 7, "7ABFFF", 3},
        {"a repeated digit typed inside", "7FFF", "7FFFF", 2, 7, "7FFFF", 2},
        {"a key into a full field", "1234567", "12A34567", 3, 7, "1234567", 2},
        {"backspace", "7FFF", "7FF", 1, 7, "7FF", 1},
        {"a selection typed over", "7FFF", "7cF", 2, 7, "7CF", 2},
        {"a selection typed over with no digit", "7FFF", "7-F", 2, 7, "7FFF", 1},
        {"a paste into an empty field", "", "12x45", 5, 7, "12", 2},
        {"a paste cut to the digits", "", "12345678", 8, 7, "1234567", 7},
        {"a paste inside, cut to the room left", "7FFF", "7abcdefFFF", 7, 7, "7ABCFFF", 4},
        {"a paste that is no number", "7FFF", "7 0x12FFF", 6, 7, "7FFF", 1},
        {"a byte field", "F", "Fab", 3, 2, "FA", 2},
        {"a field written longer by the program", "00000000", "100000000", 1, 7, "00000000", 0},
        {"which still gives up a digit", "00000000", "0000000", 7, 7, "0000000", 7},
        {"a text set whole", "7FFF", "abc", 3, 7, "ABC", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(HexFieldEdit(c.before, c.after, c.caret, c.digits),
                  (HexFieldState{c.text, c.keptCaret}));
    }
}

TEST(HexFields, TextsValuesAndTheWordConversions) {
    EXPECT_EQ(AddressText(0), "0000000");
    EXPECT_EQ(AddressText(0x1234), "0001234");
    EXPECT_EQ(AddressText(0xFFFFFFFF), "FFFFFFFF");
    EXPECT_EQ(HexText(0xAB, 2), "AB");
    EXPECT_EQ(HexText(0x12AB, 4), "12AB");

    EXPECT_EQ(HexFieldValue(""), 0u);
    EXPECT_EQ(HexFieldValue("00010FF"), 0x10FFu);
    EXPECT_EQ(HexFieldValue("fffffff"), 0xFFFFFFFu);
    // A text that is no number counts as its leading digits.
    EXPECT_EQ(HexFieldValue("12x4"), 0x12u);

    EXPECT_EQ(ByteToWordAddress("100"), "0000080");
    EXPECT_EQ(ByteToWordAddress("101"), "0000080");  // toward zero
    EXPECT_EQ(WordToByteAddress("81"), "0000102");
    EXPECT_EQ(ByteToWordAddress("1234"), "000091A");
    EXPECT_EQ(WordToByteAddress("FFFFFFF"), "1FFFFFFE");
    // The eight digits a doubled word address gives are read back whole.
    EXPECT_EQ(HexFieldValue("1FFFFFFE"), 0x1FFFFFFEu);
    EXPECT_EQ(ByteToWordAddress("1FFFFFFE"), "FFFFFFF");
}

TEST(HexFields, DestinationEndFollowsTheSourceLength) {
    EXPECT_EQ(ComputeEndAddress("1000", "100", "1FF"), "00010FF");
    EXPECT_EQ(ComputeEndAddress("0", "0", "7FFF"), "0007FFF");
    // No range: the label keeps what it shows.
    EXPECT_EQ(ComputeEndAddress("1000", "200", "200"), std::nullopt);
    EXPECT_EQ(ComputeEndAddress("1000", "300", "200"), std::nullopt);
}

TEST(HexChecks, OrderAndLimitRefuseWithTheirTitles) {
    FakeMessages messages;
    EXPECT_TRUE(CheckRangeOrder("0000101", "0000100", messages));
    EXPECT_TRUE(messages.shown.empty());
    // One address is no range; a reversed one neither.
    EXPECT_FALSE(CheckRangeOrder("100", "100", messages));
    EXPECT_FALSE(CheckRangeOrder("FF", "100", messages));
    EXPECT_FALSE(CheckRangeOrder("FF", "100", messages, false));
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const auto& m : messages.shown) {
        EXPECT_EQ(m.text, "Input Value Error !");
        EXPECT_EQ(m.title, "Error");
        EXPECT_EQ(m.icon, MsgIcon::Error);
    }

    messages.Clear();
    EXPECT_EQ(CheckBelowLimit("1FFF", 0x2000, messages), 0x1FFFu);
    EXPECT_EQ(CheckBelowLimit("", 1, messages), 0u);
    EXPECT_EQ(CheckBelowLimit("2000", 0x2000, messages), std::nullopt);
    // Eight digits never pass as a negative number.
    EXPECT_EQ(CheckBelowLimit("FFFFFFFF", 0x2000, messages), std::nullopt);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "Input Value Error !");
    EXPECT_EQ(messages.shown[0].title, "ERROR");
}

}  // namespace
}  // namespace burnmark::testing
