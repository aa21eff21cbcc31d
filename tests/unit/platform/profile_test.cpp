#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

#include "support/child_process.h"
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

TEST(Profile, OddLinesReadAsTheirWriterMeantThem) {
    struct Case {
        const char* name;
        const char* text;
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"blanks inside the brackets", "[ Spaced ]\nk=1\n", "Spaced", "k", "1"},
        {"single quotes removed", "[A]\nk='v w'\n", "A", "k", "v w"},
        {"quotes that do not match kept", "[A]\nk=\"v'\n", "A", "k", "\"v'"},
        {"a lone quote kept", "[A]\nk=\"\n", "A", "k", "\""},
        {"a quote inside kept", "[A]\nk=a\"b\"\n", "A", "k", "a\"b\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.Write("o.ini", c.text);
        EXPECT_EQ(Profile(path).ReadString(c.section, c.key, "dflt"), c.expected);
        EXPECT_EQ(ProfileSnapshot(path).ReadString(c.section, c.key, "dflt"), c.expected);
    }
    // A comment is no key, even with an equals sign in it.
    TempDir dir;
    const std::string path = dir.Write("c.ini", "[A]\n;x=1\n  ; y=2\nz=3\n");
    EXPECT_EQ(Profile(path).ReadSection("A"), std::vector<std::string>{"z"});
    EXPECT_FALSE(Profile(path).KeyExists("A", ";x"));
}

// The file is read in pieces: a line cut by a piece, or longer than one,
// reads whole, and a file of exactly the largest size is read.
TEST(Profile, LinesAcrossThePiecesOfALargeFileReadWhole) {
    TempDir dir;
    const std::size_t piece = 65536;
    std::string text = "[A]\r\n; ";
    // The key line starts two bytes before the first cut.
    text += std::string(piece - 4 - text.size(), '.') + "\r\n";
    text += "key=value\r\n";
    const std::string tail = "after=1\r\n";
    const std::string longHead = "long=";
    const std::size_t longValue =
        kMaxProfileFileBytes - text.size() - longHead.size() - 2 - tail.size();
    text += longHead + std::string(longValue, 'v') + "\r\n" + tail;
    ASSERT_EQ(text.size(), kMaxProfileFileBytes);
    const std::string path = dir.Write("big.ini", text);
    const Profile file(path);
    const ProfileSnapshot snapshot(path);
    EXPECT_EQ(snapshot.State(), ProfileFileState::Read);
    const auto expectWhole = [&](const auto& ini) {
        EXPECT_EQ(ini.ReadString("A", "key", ""), "value");
        EXPECT_EQ(ini.ReadString("A", "long", "").size(), longValue);
        EXPECT_EQ(ini.ReadString("A", "after", ""), "1");
    };
    expectWhole(file);
    expectWhole(snapshot);
}

TEST(Profile, ASnapshotReadsWhatEachReadWouldRead) {
    TempDir dir;
    // Besides the sample: a second section of a name and a repeated key, of
    // which only the first counts.
    const std::string path = dir.Write(
        "Select.ini", std::string(kSample) + "[system]\nType=9\nExtra=1\n[Option]\nword=x\n"
                                             "[Dup]\nk=first\nK=second\n");
    const Profile ini(path);
    const ProfileSnapshot snapshot(path);
    EXPECT_TRUE(snapshot.FileExists());
    const std::pair<const char*, const char*> lookups[] = {
        {"System", "Type"},     {"SYSTEM", "path"}, {"SelectDlg", "TypeNum"},
        {"SelectDlg", "Missing"}, {"Nowhere", "Type"}, {"system", "Extra"},
        {"Option", "word"},     {"dup", "K"},
    };
    for (const auto& [section, key] : lookups) {
        EXPECT_EQ(snapshot.ReadString(section, key, "dflt"), ini.ReadString(section, key, "dflt"))
            << section << "." << key;
        EXPECT_EQ(snapshot.KeyExists(section, key), ini.KeyExists(section, key))
            << section << "." << key;
    }
    EXPECT_EQ(snapshot.ReadString("Dup", "k", ""), "first");
    EXPECT_EQ(snapshot.ReadString("SelectDlg", "ProcessMode", "", 3), "+E+");

    const ProfileSnapshot none(dir.Path() + "none.ini");
    EXPECT_FALSE(none.FileExists());
    EXPECT_EQ(none.ReadString("A", "B", "None"), "None");
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

TEST(Profile, AWriteChangesTheLineThatReadsSee) {
    TempDir dir;
    Profile ini(dir.Write("d.ini", "[Dup]\r\nk=first\r\nK=second\r\n"));
    ASSERT_TRUE(ini.WriteString("Dup", "k", "new"));
    EXPECT_EQ(ini.ReadString("Dup", "k", ""), "new");
    ASSERT_TRUE(ini.WriteStrings("Dup", {{"K", "newer"}}));
    EXPECT_EQ(ini.ReadString("Dup", "k", ""), "newer");
    EXPECT_EQ(dir.Read("d.ini"), "[Dup]\r\nk=newer\r\nK=second\r\n");
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

TEST(Profile, ASectionIsReplacedWholeInOnePass) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    struct Case {
        const char* name;
        std::string start;
        Pairs pairs;
        std::string expected;
    } cases[] = {
        {"in its place, the rest kept",
         "[A]\r\nx=1\r\n[Files]\r\nH0=old\r\nH5=stale\r\n\r\n[B]\r\ny=2\r\n",
         {{"H0", "a"}, {"H1", "b"}},
         "[A]\r\nx=1\r\n[Files]\r\nH0=a\r\nH1=b\r\n\r\n[B]\r\ny=2\r\n"},
        {"found without regard to case, its header kept",
         "[files]\r\nh0=old\r\n",
         {{"H0", "a"}},
         "[files]\r\nH0=a\r\n"},
        {"a section without keys",
         "[Files]\r\n[B]\r\ny=2\r\n",
         {{"H0", "a"}},
         "[Files]\r\nH0=a\r\n[B]\r\ny=2\r\n"},
        {"a missing section at the end",
         "[A]\r\nx=1\r\n",
         {{"H0", "a"}},
         "[A]\r\nx=1\r\n[Files]\r\nH0=a\r\n"},
        // A later section of the name does not come to count in its place.
        {"no pairs leave it without keys",
         "[Files]\r\nH0=old\r\n[files]\r\nH0=later\r\n",
         {},
         "[Files]\r\n[files]\r\nH0=later\r\n"},
        {"values as given", "", {{"H0", "\" a \""}}, "[Files]\r\nH0=\" a \"\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        Profile ini(dir.Write("h.ini", c.start));
        ASSERT_TRUE(ini.ReplaceSection("Files", c.pairs));
        EXPECT_EQ(dir.Read("h.ini"), c.expected);
    }
    // No file and nothing to write: no file.
    TempDir dir;
    EXPECT_TRUE(Profile(dir.Path() + "none.ini").ReplaceSection("Files", {}));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "none.ini"));
}

TEST(Profile, WriteToAnUnwritablePlaceFails) {
    Profile ini("/proc/burnmark-no-such-dir/x.ini");
    EXPECT_FALSE(ini.WriteString("A", "B", "C"));
}

// A settings file that is there but cannot be read must never be replaced by
// one that holds only the key being written: reads give their defaults, and
// every write fails and leaves the file as it was. The operator is an
// ordinary user, who may write the folder but not read the file.
TEST(Profile, AFileThatCannotBeReadIsLeftAlone) {
    TempDir dir;
    ::chmod(dir.Path().c_str(), 0777);
    const std::string kept = "[SelectDlg]\r\nManufacturer=ATMEL\r\n";
    struct Case {
        const char* name;
        std::function<std::string()> make;  // returns the path
        ProfileFileState state;
    } cases[] = {
        {"no read permission",
         [&] {
             const std::string path = dir.Write("locked.ini", kept);
             ::chmod(path.c_str(), 0222);
             return path;
         },
         ProfileFileState::Unreadable},
        {"a folder",
         [&] {
             std::filesystem::create_directories(dir.Path() + "folder.ini");
             return dir.Path() + "folder.ini";
         },
         ProfileFileState::Unreadable},
        // Opening a pipe for reading would wait for a writer and hold the window.
        {"a pipe",
         [&] {
             const std::string path = dir.Path() + "pipe.ini";
             ::mkfifo(path.c_str(), 0666);
             ::chmod(path.c_str(), 0666);
             return path;
         },
         ProfileFileState::Unreadable},
        {"too large",
         [&] {
             const std::string path = dir.Write(
                 "big.ini", kept + "; " + std::string(kMaxProfileFileBytes, 'x') + "\r\n");
             ::chmod(path.c_str(), 0666);
             return path;
         },
         ProfileFileState::TooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.make();
        std::error_code ec;
        const auto type = std::filesystem::status(path, ec).type();
        const bool isFile = type == std::filesystem::file_type::regular;
        const auto size = isFile ? std::filesystem::file_size(path) : 0;
        const std::string answer = testing::AsOrdinaryUser([&] {
            Profile ini(path);
            std::string a = ini.State() == c.state ? "state" : "other state";
            a += " " + ini.ReadString("SelectDlg", "Manufacturer", "None");
            for (bool written :
                 {ini.WriteString("SelectDlg", "TypeNum", "AT89C51"),
                  ini.DeleteKey("SelectDlg", "Manufacturer"), ini.EraseSection("SelectDlg"),
                  ini.ReplaceSection("SelectDlg", {{"TypeNum", "AT89C51"}})})
                a += written ? " written" : " refused";
            if (ini.LastWriteError() == ProfileProblemText(path, c.state)) a += " and told";
            return a;
        });
        EXPECT_EQ(answer, "state None refused refused refused refused and told");
        EXPECT_EQ(std::filesystem::status(path, ec).type(), type);
        if (isFile) {
            EXPECT_EQ(std::filesystem::file_size(path), size);
        }
    }
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        left.push_back(e.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"big.ini", "folder.ini", "locked.ini", "pipe.ini"}));

    EXPECT_EQ(ProfileProblemText("a.ini", ProfileFileState::TooLarge),
              "Ini File too large !! (more than 4 MB)\na.ini");
    EXPECT_EQ(ProfileProblemText("a.ini", ProfileFileState::Unreadable),
              "Ini File can't be read !!\na.ini");
    EXPECT_EQ(ProfileProblemText("a.ini", ProfileFileState::Missing), "");
}

TEST(Profile, WritesGoThroughTheOneFileWriter) {
    TempDir dir;
    const std::string text = "[Option]\r\nsound_setup=1\r\n";
    // Through a link to the file, which stays a link.
    const std::string real = dir.Write("real/History_1.ini", text);
    std::filesystem::create_symlink(real, dir.Path() + "History_1.ini");
    Profile linked(dir.Path() + "History_1.ini");
    ASSERT_TRUE(linked.WriteString("Option", "sound_mode", "1"));
    EXPECT_EQ(linked.LastWriteError(), "");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() + "History_1.ini"));
    EXPECT_EQ(dir.Read("real/History_1.ini"), text + "sound_mode=1\r\n");

    // A read-only file is read, but not written.
    const std::string readOnly = dir.Write("ro.ini", text);
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_EQ(Profile(readOnly).ReadString("Option", "sound_setup", "0"), "1");
    Profile locked(readOnly);
    EXPECT_FALSE(locked.WriteString("Option", "sound_setup", "0"));
    EXPECT_EQ(locked.LastWriteError(), std::strerror(EACCES));
    EXPECT_EQ(dir.Read("ro.ini"), text);

    // A write the disk cannot take keeps the old file.
    const std::string full = dir.Write("full.ini", text);
    const std::string answer = testing::WithFileSizeLimit(40, [&] {
        Profile ini(full);
        return ini.WriteString("Option", "long", std::string(200, 'v')) ? std::string("written")
                                                                        : ini.LastWriteError();
    });
    EXPECT_EQ(answer, std::strerror(EFBIG));
    EXPECT_EQ(dir.Read("full.ini"), text);
}

// One read of the file serves every lookup, with the rules of single reads.
TEST(ProfileSnapshot, LooksUpAsProfileDoes) {
    TempDir dir;
    const std::string path = dir.Write("History_1.ini", std::string(kSample) +
                                                            "[system]\r\nType=9\r\nLate=1\r\n"
                                                            "[Option]\r\nsound_setup=7\r\n");
    const ProfileSnapshot snapshot(path);
    const Profile single(path);
    EXPECT_EQ(snapshot.State(), ProfileFileState::Read);
    struct Case {
        const char* section;
        const char* key;
    } cases[] = {
        {"System", "Type"},  // a later section of the same name does not count
        {"SYSTEM", "Late"},
        {"SelectDlg", "TypeNum"},
        {"Option", "sound_setup"},  // first key wins
        {"Option", "sound_mode"},
        {"Nowhere", "x"},
        {"Option", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "." + c.key);
        EXPECT_EQ(snapshot.ReadString(c.section, c.key, "dflt"),
                  single.ReadString(c.section, c.key, "dflt"));
        EXPECT_EQ(snapshot.ReadInteger(c.section, c.key, -1),
                  single.ReadInteger(c.section, c.key, -1));
        EXPECT_EQ(snapshot.KeyExists(c.section, c.key), single.KeyExists(c.section, c.key));
    }
    EXPECT_EQ(snapshot.ReadString("System", "Type", ""), "0");
    EXPECT_EQ(snapshot.ReadString("System", "Late", "none"), "none");
    EXPECT_EQ(snapshot.ReadInteger("Option", "sound_setup", 0), 1);
    EXPECT_TRUE(snapshot.SectionExists("option"));
    EXPECT_EQ(snapshot.ReadSection("System"), (std::vector<std::string>{"Type", "Path"}));
    // Up to the next section, or to the end of the file.
    EXPECT_EQ(snapshot.ReadSection("option"),
              (std::vector<std::string>{"sound_setup", "sound_mode", "hexed", "word"}));
    EXPECT_EQ(ProfileSnapshot(dir.Write("tail.ini", "[A]\nx=1\n[B]\ny=2\nz=3")).ReadSection("b"),
              (std::vector<std::string>{"y", "z"}));
    EXPECT_TRUE(snapshot.ReadSection("Nowhere").empty());
    EXPECT_EQ(ProfileSnapshot(dir.Path() + "none.ini").State(), ProfileFileState::Missing);
}

}  // namespace
}  // namespace burnmark
