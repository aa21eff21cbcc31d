// The file-name history: its keys in the INI section, the order it writes,
// its length, and the names it cannot keep.
#include "widgets/history_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace burnmark {
namespace {

using List = std::vector<std::string>;

TEST(HistoryList, WriteOrder) {
    struct Case {
        const char* what;
        std::string text;
        List list;
        int32_t max;
        List expected;
    };
    const List ten = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    const std::vector<Case> cases = {
        {"the text on top, its later copy dropped", "a", {"b", "a", "c"}, 7, {"a", "b", "c"}},
        {"a new text", "d", {"b", "a"}, 7, {"d", "b", "a"}},
        {"only the maximum is kept", "", ten, 7, {"0", "1", "2", "3", "4", "5", "6"}},
        {"the text counts towards it", "x", ten, 3, {"x", "0", "1"}},
        {"an empty text is not put on top", "", {"b", "a"}, 7, {"b", "a"}},
        {"case counts", "a.hex", {"A.HEX", "a.hex"}, 7, {"a.hex", "A.HEX"}},
        {"only copies of the text go", "a", {"b", "a", "c", "b", "a"}, 7, {"a", "b", "c", "b"}},
        {"without a text no entry goes", "", {"b", "a", "b", "a"}, 7, {"b", "a", "b", "a"}},
        {"blanks count", " a", {"a", " a"}, 7, {" a", "a"}},
        {"a maximum of 0 keeps nothing", "a", {"b"}, 0, {}},
        {"a negative maximum counts as 0", "a", {"b"}, -3, {}},
        // A carriage return or line feed would break the file's lines.
        {"a text with a line feed is not kept", "bad\nname", {"b"}, 7, {"b"}},
        {"nor an entry with a carriage return", "a", {"x\ry", "b"}, 7, {"a", "b"}},
        {"nor an empty entry", "a", {"", "b"}, 7, {"a", "b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(HistoryAfterWrite(c.text, c.list, c.max), c.expected);
    }
}

TEST(HistoryList, ReadsTheKeysInOrderUpToTheFirstGap) {
    struct Case {
        const char* what;
        const char* file;
        int32_t max;
        List expected;
    };
    const std::vector<Case> cases = {
        {"in key order", "[Files]\r\nH1=b\r\nH0=a\r\nH2=c\r\n", 7, {"a", "b", "c"}},
        {"a gap ends it", "[Files]\r\nH0=a\r\nH1=b\r\nH3=d\r\n", 7, {"a", "b"}},
        {"an empty value ends it", "[Files]\r\nH0=a\r\nH1=\r\nH2=c\r\n", 7, {"a"}},
        {"no more than the maximum", "[Files]\r\nH0=a\r\nH1=b\r\nH2=c\r\n", 2, {"a", "b"}},
        {"a negative maximum reads nothing", "[Files]\r\nH0=a\r\n", -1, {}},
        {"keys and section without regard to case", "[files]\r\nh0=a\r\nH1=B\r\n", 7, {"a", "B"}},
        {"another section is not read", "[Other]\r\nH0=a\r\n", 7, {}},
        {"an entry no history writes is passed over", "[Files]\r\nH0=a\rb\r\nH1=c\r\n", 7, {"c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempDir dir;
        const Profile ini(dir.Write("h.ini", c.file));
        EXPECT_EQ(ReadHistory(ini, "Files", c.max), c.expected);
    }
}

TEST(HistoryList, EveryNameReadsBackAsItWasWritten) {
    struct Case {
        const char* what;
        std::string name;
        std::string line;  // as the file holds it
    } cases[] = {
        {"a plain name", "C:\\data\\a.hex", "H0=C:\\data\\a.hex"},
        {"inner blanks", "my file.bin", "H0=my file.bin"},
        {"a leading blank", " a.bin", "H0=\" a.bin\""},
        {"a trailing tab", "a.bin\t", "H0=\"a.bin\t\""},
        {"blanks only", "   ", "H0=\"   \""},
        {"enclosing double quotes", "\"a b.bin\"", "H0=\"\"a b.bin\"\""},
        {"enclosing single quotes", "'a.bin'", "H0=\"'a.bin'\""},
        {"one quote only", "\"a.bin", "H0=\"a.bin"},
        {"a lone quote", "\"", "H0=\""},
        {"an equals sign and a semicolon", "a=b;c", "H0=a=b;c"},
        {"a section-like name", "[Files]", "H0=[Files]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempDir dir;
        Profile ini(dir.Path() + "h.ini");
        ASSERT_TRUE(WriteHistory(ini, "Files", {c.name, "next"}));
        EXPECT_EQ(dir.Read("h.ini"), "[Files]\r\n" + c.line + "\r\nH1=next\r\n");
        EXPECT_EQ(ReadHistory(ini, "Files", 7), (List{c.name, "next"}));
    }
}

TEST(HistoryList, WritingReplacesTheSectionAndKeepsTheRest) {
    testing::TempDir dir;
    Profile ini(dir.Write("h.ini", "[Files]\r\nH0=old\r\nH5=stale\r\n[Keep]\r\nA=1\r\n"));
    EXPECT_TRUE(WriteHistory(ini, "Files", {"a", "b"}));
    EXPECT_EQ(ReadHistory(ini, "Files", 7), (List{"a", "b"}));
    EXPECT_FALSE(ini.KeyExists("Files", "H5"));
    EXPECT_EQ(ini.ReadString("Keep", "A", ""), "1");

    // A name that cannot be stored leaves no gap that would end the list there.
    EXPECT_TRUE(WriteHistory(ini, "Files", {"a", "two\nlines", "b"}));
    EXPECT_EQ(ReadHistory(ini, "Files", 7), (List{"a", "b"}));

    EXPECT_TRUE(WriteHistory(ini, "Files", {}));
    EXPECT_EQ(ReadHistory(ini, "Files", 7), List{});

    // Only the first section of the name counts: emptied, it still hides a later one.
    Profile twice(dir.Write("twice.ini", "[Files]\r\nX=1\r\n[Files]\r\nH0=later\r\n"));
    ASSERT_EQ(ReadHistory(twice, "Files", 7), List{});
    EXPECT_TRUE(WriteHistory(twice, "Files", {}));
    EXPECT_EQ(ReadHistory(twice, "Files", 7), List{});
}

// A write that cannot be finished leaves the old history whole: the section
// is never left erased or half written.
TEST(HistoryList, AWriteThatFailsLeavesTheOldHistory) {
    const std::string old = "[Files]\r\nH0=old.bin\r\nH1=older.bin\r\n[Keep]\r\nA=1\r\n";
    const List longer = {"a-much-longer-name.bin", "another-long-name.bin", "old.bin"};
    struct Case {
        const char* what;
        std::function<std::string(const std::string& path)> write;  // "true" or "false"
    } cases[] = {
        {"a file without write permission",
         [&](const std::string& path) {
             ::chmod(path.c_str(), 0444);
             Profile ini(path);
             return std::string(WriteHistory(ini, "Files", longer) ? "true" : "false");
         }},
        // Room for the old file, not for the new one: a full disk or a quota.
        {"a file that may not grow",
         [&](const std::string& path) {
             return testing::WithFileSizeLimit(old.size(), [&] {
                 Profile ini(path);
                 return std::string(WriteHistory(ini, "Files", longer) ? "true" : "false");
             });
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempDir dir;
        const std::string path = dir.Write("h.ini", old);
        EXPECT_EQ(c.write(path), "false");
        EXPECT_EQ(dir.Read("h.ini"), old);
    }
}

TEST(HistoryList, TheProgramsOwnFileWithoutAName) {
    EXPECT_EQ(HistoryIniFile("", "/opt/burnmark/burnmark"), "/opt/burnmark/burnmark.INI");
    EXPECT_EQ(HistoryIniFile("", "/opt/bm/run.bin"), "/opt/bm/run.INI");
    EXPECT_EQ(HistoryIniFile("/tmp/h.ini", "/opt/bm/burnmark"), "/tmp/h.ini");
}

}  // namespace
}  // namespace burnmark
