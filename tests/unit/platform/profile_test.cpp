#include "platform/profile.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace burnmark {
namespace {

using testing::TempDir;

const char* kSample =
    "; settings of the last run\r\n"
    "[System]\r\n"
    "Type=0\r\n"
    "  Path =  C:\\Tools\\Ext  \r\n"
    "\r\n"
    "[SelectDlg]\r\n"
    "Manufacturer=ATMEL\r\n"
    "TypeNum=\"AT89C51\"\r\n"
    "ProcessMode=+E+P\r\n"
    "; trailing comment\r\n"
    "[Option]\n"
    "sound_setup=1\n"
    "sound_mode=$1F\n"
    "hexed=0x20\n"
    "word=abc\n";

TEST(Profile, ReadsWithTheRulesOfSettingsFiles) {
    TempDir dir;
    Profile ini(dir.Write("History_1.ini", kSample));
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"System", "Type", "0"},
        {"system", "TYPE", "0"},            // case of section and key ignored
        {"System", "Path", "C:\\Tools\\Ext"},  // blanks around key and value trimmed
        {"SelectDlg", "TypeNum", "AT89C51"},   // enclosing quotes removed
        {"SelectDlg", "Missing", "dflt"},
        {"Nowhere", "Type", "dflt"},
        {"Option", "sound_setup", "1"},        // LF-only lines read too
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.key, "dflt"), c.expected) << c.section << "." << c.key;

    EXPECT_EQ(ini.ReadString("SelectDlg", "ProcessMode", "", 3), "+E+");  // capped read
    EXPECT_EQ(ini.ReadInteger("Option", "sound_mode", 7), 0x1F);
    EXPECT_EQ(ini.ReadInteger("Option", "hexed", 7), 0x20);
    EXPECT_EQ(ini.ReadInteger("Option", "word", 7), 7);
    EXPECT_EQ(ini.ReadInteger("Option", "none", 7), 7);
    EXPECT_EQ(ini.ReadSection("selectdlg"),
              (std::vector<std::string>{"Manufacturer", "TypeNum", "ProcessMode"}));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"System", "SelectDlg", "Option"}));
    EXPECT_TRUE(ini.SectionExists("OPTION"));
    EXPECT_FALSE(ini.KeyExists("Option", "Type"));
}

TEST(Profile, MissingFileGivesDefaults) {
    TempDir dir;
    Profile ini(dir.Path() + "none.ini");
    EXPECT_FALSE(ini.FileExists());
    EXPECT_EQ(ini.ReadString("A", "B", "None"), "None");
    EXPECT_EQ(ini.ReadInteger("A", "B", 3), 3);
    EXPECT_TRUE(ini.ReadSection("A").empty());
}

TEST(Profile, WritesInPlaceAndKeepsEveryOtherLine) {
    TempDir dir;
    Profile ini(dir.Write("History_1.ini", kSample));
    ASSERT_TRUE(ini.WriteString("selectdlg", "processmode", "+C"));  // existing key, other case
    ASSERT_TRUE(ini.WriteString("System", "Symbol", "1"));           // new key in a section
    ASSERT_TRUE(ini.WriteString("LoadDlg", "OK", "0"));              // new section
    EXPECT_EQ(dir.Read("History_1.ini"),
              "; settings of the last run\r\n"
              "[System]\r\n"
              "Type=0\r\n"
              "  Path =  C:\\Tools\\Ext  \r\n"
              "Symbol=1\r\n"
              "\r\n"
              "[SelectDlg]\r\n"
              "Manufacturer=ATMEL\r\n"
              "TypeNum=\"AT89C51\"\r\n"
              "ProcessMode=+C\r\n"
              "; trailing comment\r\n"
              "[Option]\r\n"
              "sound_setup=1\r\n"
              "sound_mode=$1F\r\n"
              "hexed=0x20\r\n"
              "word=abc\r\n"
              "[LoadDlg]\r\n"
              "OK=0\r\n");
}

TEST(Profile, WriteCreatesTheFileAndIsSeenAtOnce) {
    TempDir dir;
    Profile writer(dir.Path() + "new.ini");
    Profile reader(dir.Path() + "new.ini");
    ASSERT_TRUE(writer.WriteString("SelectDlg", "IcFileName", "C:\\x.ini"));
    EXPECT_EQ(reader.ReadString("SelectDlg", "IcFileName", ""), "C:\\x.ini");
    ASSERT_TRUE(writer.WriteInteger("SelectDlg", "IcFileName", -5));
    EXPECT_EQ(reader.ReadInteger("SelectDlg", "IcFileName", 0), -5);
    EXPECT_EQ(dir.Read("new.ini"), "[SelectDlg]\r\nIcFileName=-5\r\n");
}

TEST(Profile, DeleteKeyAndEraseSection) {
    TempDir dir;
    Profile ini(dir.Write("a.ini", "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n"));
    ASSERT_TRUE(ini.DeleteKey("a", "X"));
    ASSERT_TRUE(ini.EraseSection("b"));
    EXPECT_EQ(dir.Read("a.ini"), "[A]\r\ny=2\r\n");
}

TEST(Profile, ASnapshotAnswersAsTheFileDoes) {
    TempDir dir;
    const std::string path =
        dir.Write("d.ini", std::string(kSample) +
                               "[system]\nType=second section of the name\nLate=1\n"
                               "[Option]\nsound_setup=twice\n[Last]\nkey=one\nKEY=two\nempty=\n");
    const Profile file(path);
    const ProfileSnapshot snapshot(path);
    EXPECT_TRUE(snapshot.FileRead());
    struct Case {
        const char* section;
        const char* key;
    } cases[] = {{"System", "Type"},       {"SYSTEM", "path"},        {"system", "Late"},
                 {"SelectDlg", "TypeNum"}, {"Option", "sound_setup"}, {"Option", "sound_mode"},
                 {"Option", "word"},       {"Last", "Key"},           {"Last", "empty"},
                 {"Nowhere", "x"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "." + c.key);
        EXPECT_EQ(snapshot.ReadString(c.section, c.key, "dflt"),
                  file.ReadString(c.section, c.key, "dflt"));
        EXPECT_EQ(snapshot.ReadString(c.section, c.key, "dflt", 2),
                  file.ReadString(c.section, c.key, "dflt", 2));
        EXPECT_EQ(snapshot.ReadInteger(c.section, c.key, 7), file.ReadInteger(c.section, c.key, 7));
        EXPECT_EQ(snapshot.KeyExists(c.section, c.key), file.KeyExists(c.section, c.key));
    }
    EXPECT_FALSE(ProfileSnapshot(dir.Path() + "missing.ini").FileRead());
}

TEST(Profile, SeveralKeysAreWrittenAsOneByOneWrites) {
    TempDir dir;
    const std::string start = "[A]\r\nx=1\r\n; note\r\n[B]\r\ny=2\r\n";
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {"Y", "20"}, {"z", "30"}, {"y", "21"}};
    Profile batch(dir.Write("batch.ini", start));
    Profile single(dir.Write("single.ini", start));
    ASSERT_TRUE(batch.WriteStrings("b", pairs));
    for (const auto& [key, value] : pairs) ASSERT_TRUE(single.WriteString("b", key, value));
    EXPECT_EQ(dir.Read("batch.ini"), dir.Read("single.ini"));
    EXPECT_EQ(dir.Read("batch.ini"), "[A]\r\nx=1\r\n; note\r\n[B]\r\ny=21\r\nz=30\r\n");
    ASSERT_TRUE(Profile(dir.Path() + "new.ini").WriteStrings("C", {{"k", "v"}, {"l", "w"}}));
    EXPECT_EQ(dir.Read("new.ini"), "[C]\r\nk=v\r\nl=w\r\n");
}

TEST(Profile, WriteToAnUnwritablePlaceFails) {
    Profile ini("/proc/burnmark-no-such-dir/x.ini");
    EXPECT_FALSE(ini.WriteString("A", "B", "C"));
}

}  // namespace
}  // namespace burnmark
