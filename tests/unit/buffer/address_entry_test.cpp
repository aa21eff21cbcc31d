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
