// The file-name history: its keys in the INI section, the order it writes,
// its length, and the names it cannot keep.
#include "widgets/history_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/profile.h"
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
        {"copies within the list go too", "", {"b", "a", "b", "a"}, 7, {"b", "a"}},
        {"a maximum of 0 keeps nothing", "a", {"b"}, 0, {}},
        {"a negative maximum counts as 0", "a", {"b"}, -3, {}},
        // A carriage return or line feed would break the file's lines.
        {"a text with a line feed is not kept", "bad\nname", {"b"}, 7, {"b"}},
        {"nor an entry with a carriage return", "a", {"x\ry", "b"}, 7, {"a", "b"}},
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempDir dir;
        const Profile ini(dir.Write("h.ini", c.file));
        EXPECT_EQ(ReadHistory(ini, "Files", c.max), c.expected);
    }
}

TEST(HistoryList, WritingReplacesTheSectionAndKeepsTheRest) {
    testing::TempDir dir;
    Profile ini(dir.Write("h.ini", "[Files]\r\nH0=old\r\nH5=stale\r\n[Keep]\r\nA=1\r\n"));
    EXPECT_TRUE(WriteHistory(ini, "Files", {"a", "b"}));
    EXPECT_EQ(ReadHistory(ini, "Files", 7), (List{"a", "b"}));
    EXPECT_FALSE(ini.KeyExists("Files", "H5"));
    EXPECT_EQ(ini.ReadString("Keep", "A", ""), "1");

    EXPECT_TRUE(WriteHistory(ini, "Files", {}));
    EXPECT_EQ(ReadHistory(ini, "Files", 7), List{});
}

TEST(HistoryList, TheProgramsOwnFileWithoutAName) {
    EXPECT_EQ(HistoryIniFile("", "/opt/burnmark/burnmark"), "/opt/burnmark/burnmark.INI");
    EXPECT_EQ(HistoryIniFile("", "/opt/bm/run.bin"), "/opt/bm/run.INI");
    EXPECT_EQ(HistoryIniFile("/tmp/h.ini", "/opt/bm/burnmark"), "/tmp/h.ini");
}

}  // namespace
}  // namespace burnmark
