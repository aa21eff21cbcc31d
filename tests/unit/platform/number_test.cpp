#include "platform/number.h"

#include <gtest/gtest.h>

namespace burnmark {
namespace {

TEST(StrToInt, AcceptsTheNumberFormsOfSettingsFiles) {
    struct Case {
        const char* text;
        std::optional<int32_t> value;
    } cases[] = {
        {"50", 50},       {" 50", 50},           {"+5", 5},
        {"-1", -1},       {"70000", 70000},      {"$FFFF", 0xFFFF},
        {"0xffff", 0xFFFF}, {"0XFFFF", 0xFFFF},  {"xA", 10},
        {"-$10", -16},    {"-0x10", -16},        {"+0X1f", 31},
        {"$000000010", 16}, {"$FFFFFFFF", -1},   {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"", std::nullopt}, {"0x", std::nullopt}, {"$", std::nullopt},
        {"12a", std::nullopt}, {"5V", std::nullopt}, {"50 ", std::nullopt},
        {"2147483648", std::nullopt}, {"-2147483649", std::nullopt},
        {"$100000000", std::nullopt}, {"--1", std::nullopt}, {"x", std::nullopt},
        {"-", std::nullopt}, {"$-1", std::nullopt}, {"0x 5", std::nullopt},
        {"- 5", std::nullopt}, {"00x5", std::nullopt}, {"$G", std::nullopt},
        {"None", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(StrToInt(c.text), c.value) << '"' << c.text << '"';
}

TEST(StrToInt, MessageNamesTheText) {
    EXPECT_EQ(NotValidIntegerMessage("5V"), "'5V' is not a valid integer value");
    EXPECT_EQ(StrToIntDef("5V", 9), 9);
}

}  // namespace
}  // namespace burnmark
