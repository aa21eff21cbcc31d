#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "catalogue/device_record.h"

namespace burnmark {
namespace {

TEST(DeviceParamBlockTest, WordsAreLittleEndianAndStayInsideTheArea) {
    DeviceParamBlock block;
    block.SetWord(param::max_address_Low, 0x7FFE);
    EXPECT_EQ(block.Area()[0x18], 0xFE);
    EXPECT_EQ(block.Area()[0x19], 0x7F);
    EXPECT_EQ(block.Word(param::max_address_Low), 0x7FFE);

    // The last word of the area is usable; an odd offset or one past the area
    // neither writes nor reads anything.
    block.SetWord(0xFE, 0xBEEF);
    EXPECT_EQ(block.Word(0xFE), 0xBEEF);
    block.SetWord(0x19, 0x1234);
    block.SetWord(0x100, 0x1234);
    EXPECT_EQ(block.Word(param::max_address_Low), 0x7FFE);
    EXPECT_EQ(block.Word(0x100), 0);
    EXPECT_EQ(block.Sent().size(), 128u);

    block.Clear();
    for (uint8_t b : block.Area()) ASSERT_EQ(b, 0);
}

struct SizeCase {
    const char* name;
    const char* width;
    uint16_t maxHi, maxLow, extHi, extLow;
    uint64_t size;
    std::optional<uint64_t> deviceBytes;  // nullopt: the width is not recognised
    std::optional<uint64_t> bufferBytes;
    uint16_t transferSize;
    bool hasExtArea;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class DeviceSizesTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(DeviceSizesTest, FollowTheWidthAndTheAddressWords) {
    const SizeCase& c = GetParam();
    DeviceParamBlock block;
    block.SetWord(param::max_address_Hi, c.maxHi);
    block.SetWord(param::max_address_Low, c.maxLow);
    block.SetWord(param::ext_address_Hi, c.extHi);
    block.SetWord(param::ext_address_Low, c.extLow);
    const DeviceSizes s = ComputeDeviceSizes(block, c.width);
    EXPECT_EQ(s.size, c.size);
    EXPECT_EQ(s.deviceBytes, c.deviceBytes);
    EXPECT_EQ(s.bufferBytes, c.bufferBytes);
    EXPECT_EQ(s.transferSize, c.transferSize);
    EXPECT_EQ(s.hasExtArea, c.hasExtArea);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeviceSizesTest,
    ::testing::Values(
        SizeCase{"Eprom32K", "0x00FF", 0, 0x7FFF, 0, 0, 0x8000, 0x8000, 0x10000, 0x8000, false},
        // A 16-bit transfer size counts addresses, not bytes.
        SizeCase{"Words32K", "0xFFFF", 0, 0x7FFF, 0, 0, 0x8000, 0x10000, 0x20000, 0x8000, false},
        SizeCase{"Words64K", "0xffff", 0, 0xFFFF, 0, 0, 0x10000, 0x20000, 0x20000, 0, false},
        SizeCase{"Flash512K", "0x00ff", 7, 0xFFFF, 0, 0, 0x80000, 0x80000, 0x80000, 0, false},
        SizeCase{"Bytes128K", "0x00FF", 1, 0xFFFF, 0, 0, 0x20000, 0x20000, 0x20000, 0, false},
        // max + ext + 1: 0x0FFF + 0x00FF + 1.
        SizeCase{"ExtendedArea", "0x00FF", 0, 0x0FFF, 0, 0x00FF, 0x10FF, 0x10FF, 0x10000, 0x10FF,
                 true},
        SizeCase{"ExtendedHighWordOnly", "0x00FF", 0, 0x0FFF, 1, 0, 0x11000, 0x11000, 0x11000, 0,
                 true},
        SizeCase{"ExtendedKilobyte", "0x00FF", 0, 0x7FFF, 0, 0x03FF, 0x83FF, 0x83FF, 0x10000,
                 0x83FF, true},
        SizeCase{"ExtendedWords", "0xFFFF", 0, 0x7FFF, 0, 0x03FF, 0x83FF, 0x107FE, 0x20000,
                 0x83FF, true},
        SizeCase{"SingleAddress", "0x00FF", 0, 0, 0, 0, 1, 1, 0x10000, 1, false},
        // Mixed-case spellings mean 16-bit only from 65536 addresses on.
        SizeCase{"MixedCaseSmall", "0xffFF", 0, 0x7FFF, 0, 0, 0x8000, std::nullopt, std::nullopt,
                 0x8000, false},
        SizeCase{"MixedCaseLarge", "0xFFff", 1, 0xFFFF, 0, 0, 0x20000, 0x40000, 0x40000, 0, false},
        SizeCase{"UpperCaseX", "0XFFFF", 0, 0x7FFF, 0, 0, 0x8000, std::nullopt, std::nullopt,
                 0x8000, false},
        SizeCase{"DefaultWidth", "0", 0, 0, 0, 0, 1, std::nullopt, std::nullopt, 1, false},
        // Every word at its maximum: 34 bits of size, nothing wraps.
        SizeCase{"Largest16Bit", "0xFFFF", 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0x1FFFFFFFFull,
                 0x3FFFFFFFEull, 0x3FFFFFFFEull, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataWidthTest, EachCallerAcceptsItsOwnSpellings) {
    struct Case {
        const char* text;
        DataWidthSpellings spellings;
        uint64_t size;
        DataWidth expected;
    };
    const Case cases[] = {
        {"0xFFFF", DataWidthSpellings::Common, 0, DataWidth::Word16},
        {"0xffff", DataWidthSpellings::Common, 0, DataWidth::Word16},
        {"0x00FF", DataWidthSpellings::Common, 0, DataWidth::Byte8},
        {"0x00ff", DataWidthSpellings::Common, 0, DataWidth::Byte8},
        {"0xffFF", DataWidthSpellings::Common, 0x20000, DataWidth::Neither},
        {"0xffFF", DataWidthSpellings::Loader, 0xFFFF, DataWidth::Neither},
        {"0xffFF", DataWidthSpellings::Loader, 0x10000, DataWidth::Word16},
        {"0xFFff", DataWidthSpellings::MixedCase16, 1, DataWidth::Word16},
        {"0xFF", DataWidthSpellings::Common, 0, DataWidth::Neither},
        {"0xff", DataWidthSpellings::Short8, 0, DataWidth::Byte8},
        {"0xFF", DataWidthSpellings::Loader, 0x10000, DataWidth::Neither},
        {"0x00Ff", DataWidthSpellings::Short8, 0, DataWidth::Neither},
        {" 0xFFFF", DataWidthSpellings::Common, 0, DataWidth::Neither},
        {"", DataWidthSpellings::Common, 0, DataWidth::Neither},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyDataWidth(c.text, c.spellings, c.size), c.expected)
            << '"' << c.text << "\" spellings " << int(c.spellings) << " size " << c.size;
    }
}

TEST(DerivedValuesTest, StartAddressIsBankAndOffset) {
    EXPECT_EQ(ComputeStartAddress(1, 0), 0x10000u);
    EXPECT_EQ(ComputeStartAddress(0, 0x2100), 0x2100u);
    EXPECT_EQ(ComputeStartAddress(0, 0), 0u);
    EXPECT_EQ(ComputeStartAddress(0xFFFF, 0xFFFF), 0xFFFFFFFFu);
}

TEST(DerivedValuesTest, FuseCountShiftsModulo32In32Bits) {
    struct Case {
        uint16_t hi, low;
        uint32_t count;
    };
    const Case cases[] = {
        {1, 0, 0x10000},
        {0, 0, 0},
        {0, 0x1234, 0},
        {0x0892, 0x10, 0x0892},  // shift 32 is shift 0
        {1, 0x1B, 2048},         // shift 43 is shift 11
        {0xFFFF, 0, 0xFFFF0000},
        {3, 15, 0x80000000},  // the high bit is kept, the one above it lost
        {2, 15, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ComputeFuseCount(c.hi, c.low), c.count) << c.hi << " << " << c.low;
}

TEST(DerivedValuesTest, InfoTextStopsBeforeTheFirstNone) {
    const std::string h = "IC Information : ";
    EXPECT_EQ(BuildInfoText(h, {"A", "None", "C", "D", "E"}), h + "\nA\n");
    EXPECT_EQ(BuildInfoText(h, {"None", "B", "C", "D", "E"}), h + "\n");
    EXPECT_EQ(BuildInfoText(h, {"A", "B", "C", "D", "E"}), h + "\nA\nB\nC\nD\nE\n");
    // Only the exact text counts.
    EXPECT_EQ(BuildInfoText(h, {"none", "None", "", "", ""}), h + "\nnone\n");
}

TEST(DerivedValuesTest, OptionTypeDigit) {
    struct Case {
        const char* text;
        uint16_t digit;
    };
    const Case cases[] = {
        {"0x01", 1}, {"0x02", 2}, {"13", 3}, {"0x21", 1}, {"0x0F", 15}, {"0x0a", 10},
        // Too short for the rule, or no digit where the rule looks: 0.
        {"0", 0}, {"", 0}, {"0x1", 0}, {"0X05", 0}, {"0xZZ", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(FuseTypeDigit(c.text), c.digit) << '"' << c.text << '"';
}

TEST(DerivedValuesTest, HexDigitValue) {
    EXPECT_EQ(HexDigitValue('0'), 0);
    EXPECT_EQ(HexDigitValue('9'), 9);
    EXPECT_EQ(HexDigitValue('A'), 10);
    EXPECT_EQ(HexDigitValue('F'), 15);
    EXPECT_EQ(HexDigitValue('a'), 10);
    EXPECT_EQ(HexDigitValue('f'), 15);
    for (char bad : {'g', 'G', 'x', ' ', '\0', '/', ':', '@', '`'}) EXPECT_EQ(HexDigitValue(bad), 0);
}

}  // namespace
}  // namespace burnmark
