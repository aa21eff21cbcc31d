// "ProcessMode": the ticks restored at start-up and written at exit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/process_mode.h"

namespace burnmark {
namespace {

// Ticks as a five-letter picture of the visible boxes, plus T for the hidden one.
std::string Picture(const TickFlags& t) {
    std::string s;
    const char* letters = "ECPVST";
    for (std::size_t i = 0; i < kTickBoxCount; ++i) s += t[i] ? letters[i] : '.';
    return s;
}

TEST(ProcessModeRead, Table) {
    const TickFlags form = kFormDefaultTicks;
    const TickFlags allWithT = {true, true, true, true, true, true};
    struct Case {
        const char* value;
        TickFlags current;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"+E+P", form, "E.P..."},
        {"EP", form, "..P..."},            // the first character is not examined
        {"0", form, "ECPV.."},             // one character: the form's ticks stay
        {"E", form, "ECPV.."},
        {"", form, "ECPV.."},
        {"+E+C+P+V+S", form, "ECPVS."},
        {"+S", form, "....S."},
        {"++", form, "......"},            // longer than one: all unticked, none ticked
        {"+e+p", form, "......"},          // letters are upper case only
        {"+E+X+9+P", form, "E.P..."},      // other characters are ignored
        {"+T", allWithT, ".....T"},        // the hidden box is never read back
        {"+E+C+P+V+S+T", allWithT, "ECPVST"},
        // Only 15 characters count: the "S" at position 16 is not seen.
        {"+E+C+P+V+++++++S", form, "ECPV.."},
        {"+E+C+P+V++++++S", form, "ECPVS."},  // exactly 15
    };
    for (const Case& c : cases)
        EXPECT_EQ(Picture(ParseProcessMode(c.value, c.current)), c.expected) << '"' << c.value << '"';
}

TEST(ProcessModeBuild, Table) {
    struct Case {
        TickFlags ticks;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {{false, false, false, false, false, false}, ""},
        {kFormDefaultTicks, "+E+C+P+V"},
        {{true, false, true, false, false, false}, "+E+P"},
        {{false, false, false, false, true, false}, "+S"},
        {{false, false, false, false, false, true}, "+T"},
        {{true, true, true, true, true, true}, "+E+C+P+V+S+T"},  // the longest: 12
    };
    for (const Case& c : cases) EXPECT_EQ(BuildProcessMode(c.ticks), c.expected);
}

TEST(ProcessMode, WhatTheExitWritesTheNextStartRestores) {
    for (unsigned bits = 0; bits < 32; ++bits) {
        TickFlags ticks{};
        for (std::size_t box = 0; box < 5; ++box) ticks[box] = (bits >> box) & 1;
        const TickFlags back = ParseProcessMode(BuildProcessMode(ticks), kFormDefaultTicks);
        // With nothing ticked the value is empty and the form's ticks come back.
        EXPECT_EQ(Picture(back), Picture(bits ? ticks : kFormDefaultTicks)) << bits;
    }
}

}  // namespace
}  // namespace burnmark
