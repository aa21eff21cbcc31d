#include "platform/paths.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace burnmark {
namespace {

using testing::TempDir;

TEST(ResolvePath, TurnsStoredPathsIntoRealOnes) {
    TempDir dir;
    dir.Write("INI/Atmel/AT89C51.ini", "x");
    dir.Write("FPGA/gal.bit", "x");
    const std::string& d = dir.Path();
    struct Case {
        std::string stored;
        std::string real;
    } cases[] = {
        {d + "INI\\Atmel\\AT89C51.ini", d + "INI/Atmel/AT89C51.ini"},  // exact
        {d + "INI\\ATMEL\\AT89C51.INI", d + "INI/Atmel/AT89C51.ini"},  // case differs
        {d + "ini/atmel/at89c51.ini", d + "INI/Atmel/AT89C51.ini"},
        {d + "FPGA\\GAL.BIT", d + "FPGA/gal.bit"},
        // Missing parts are kept as written, so the result names where the file would be.
        {d + "INI\\NOBODY\\X.INI", d + "INI/NOBODY/X.INI"},
        {d + "ini\\atmel\\missing.ini", d + "INI/Atmel/missing.ini"},
    };
    for (const auto& c : cases) EXPECT_EQ(ResolvePath(c.stored), c.real) << c.stored;
    EXPECT_TRUE(StoredFileExists(d + "INI\\ATMEL\\AT89C51.INI"));
    EXPECT_FALSE(StoredFileExists(d + "INI\\ATMEL"));  // a folder is no file
    EXPECT_FALSE(StoredFileExists(d + "INI\\ATMEL\\X.INI"));
    EXPECT_FALSE(StoredFileExists(""));
    EXPECT_FALSE(StoredFileExists("0"));
    EXPECT_EQ(JoinAppPath(d, "ini\\atmel\\at89c51.ini"), d + "INI/Atmel/AT89C51.ini");
    // The folder given without its last separator.
    EXPECT_EQ(JoinAppPath(d.substr(0, d.size() - 1), "FPGA\\gal.bit"), d + "FPGA/gal.bit");
}

TEST(StaysInFolder, RefusesAnyStepUpWithEitherSeparator) {
    const std::pair<const char*, bool> cases[] = {
        {"FPGA\\gal.bit", true}, {"a..b\\c", true},    {"...", true},       {"", true},
        {"..", false},           {"..\\x.ini", false}, {"../x.ini", false}, {"a\\..\\b", false},
        {"a/../b", false},       {"a\\..", false},     {"a/..\\b", false},
    };
    for (const auto& [name, stays] : cases) EXPECT_EQ(StaysInFolder(name), stays) << name;
}

TEST(ResolvePath, ARunKeepsWhatItReadOfAFolder) {
    TempDir dir;
    dir.Write("INI/Atmel/AT89C51.ini", "x");
    dir.Write("INI/Atmel/at89c52.ini", "x");
    const std::string& d = dir.Path();
    PathResolver run;
    // Each answer as a lookup of its own would give it.
    for (const char* stored :
         {"INI\\ATMEL\\AT89C51.INI", "ini\\atmel\\AT89C52.INI", "INI\\Atmel\\AT89C51.ini",
          "INI\\ATMEL\\NONE.INI", "INI\\NOBODY\\X.INI"})
        EXPECT_EQ(run.Resolve(d + stored), ResolvePath(d + stored)) << stored;
    // The folder was read once, for the run: a file made since is the next
    // run's to see.
    dir.Write("INI/Atmel/late.ini", "x");
    EXPECT_EQ(run.Resolve(d + "INI\\ATMEL\\LATE.INI"), d + "INI/Atmel/LATE.INI");
    EXPECT_EQ(ResolvePath(d + "INI\\ATMEL\\LATE.INI"), d + "INI/Atmel/late.ini");
}

TEST(ProgramDirectory, EndsInASeparator) {
    const std::string dir = ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
}

}  // namespace
}  // namespace burnmark
