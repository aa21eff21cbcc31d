// The catalogue files as the selection dialog reads them: list order and
// matching, the lists with their counts and the category filter, the
// information panel, the maker pictures and web pages, and the history ring.
#include "catalogue/selection_catalogue.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace burnmark::testing {
namespace {

using Names = std::vector<std::string>;

TEST(SelectionListsTest, SortWithoutRegardToCaseAndMatchExactBeforePrefix) {
    Names names = {"at89c51", "27C256", "AT24C02", "27C25", "27c1024", "AT89C51", "VM89X52"};
    SortNames(names);
    EXPECT_EQ(names,
              (Names{"27c1024", "27C25", "27C256", "AT24C02", "AT89C51", "at89c51", "VM89X52"}));

    struct Case {
        const char* text;
        const char* selects;  // nullptr: nothing
    } cases[] = {
        {"27C25", "27C25"},  // the exact entry, not the longer one after it
        {"27C256", "27C256"},
        {"at89c51", "at89c51"},  // exact with case before the entry equal without case
        {"AT89c51", "AT89C51"},  // equal without case
        {"27C2", "27C25"},       // the first that starts with it
        {"vm89", "VM89X52"},     // starts with it without regard to case
        {"27C2567", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        const int found = MatchEntry(names, c.text);
        if (c.selects)
            EXPECT_EQ(found >= 0 ? names[found] : "(none)", c.selects) << c.text;
        else
            EXPECT_EQ(found, -1) << c.text;
    }
    EXPECT_EQ(MatchEntry({}, "A"), -1);
}

class SelectionFilesTest : public ::testing::Test {
protected:
    std::string Device(const std::string& file, const std::string& keys) {
        return dir.Write("INI/" + file, "[DE_48ExternValue]\r\n" + keys);
    }

    TempDir dir;
};

TEST_F(SelectionFilesTest, ListsFollowTheirCountsAndTheFilter) {
    dir.Write("Select.ini",
              "[ITEM]\r\nValue=3\r\n0001=NORTH\r\n0003=alpha\r\n"
              "[NORTH]\r\nValue=A\r\n0001=PAL1\r\n0002=MCU1\r\n0003=EE1\r\n0004=EP1\r\n"
              "0005=MCU2\r\n0006=lower\r\n0007=GONE\r\n0009=NOFILE\r\n000a=EMPTY\r\n"
              // Keys a list does not read: a second line of a key, one past the
              // count, ones that are no index.
              "0002=TWICE\r\n000B=PAST\r\n00001=LONG\r\n8=SHORT\r\n"
              "PAL1=N\\PAL1.INI\r\nMCU1=N\\MCU1.INI\r\nEE1=N\\EE1.INI\r\nEP1=N\\EP1.INI\r\n"
              "MCU2=N\\MCU2.INI\r\nlower=N\\LOWER.INI\r\nGONE=N\\GONE.INI\r\nEMPTY=N\\EMPTY.INI\r\n"
              // Only the first section of a name counts.
              "[north]\r\n0008=LATE\r\n");
    Device("N/PAL1.INI", "TYPE=PLD\r\n");
    Device("N/MCU1.INI", "Type=MPU\r\n");
    Device("N/EE1.INI", "TYPE=EEPROM\r\n");
    Device("N/EP1.INI", "TYPE=EPROM\r\n");
    Device("N/MCU2.INI", "TYPE=MPU with ISP\r\n");  // the category ends at the first blank
    Device("N/LOWER.INI", "TYPE=mpu\r\n");          // categories match with case
    Device("N/EMPTY.INI", "BRAND=X\r\n");

    SelectCatalogue catalogue(dir.Path());
    // A missing maker key gives "0", a missing type key "<none>".
    EXPECT_EQ(catalogue.Makers(), (Names{"0", "alpha", "NORTH"}));
    EXPECT_EQ(catalogue.Types("NORTH", 0), (Names{"<none>", "EE1", "EMPTY", "EP1", "GONE", "lower",
                                                  "MCU1", "MCU2", "NOFILE", "PAL1"}));
    struct Case {
        int filter;
        Names types;
    } cases[] = {
        {1, {"PAL1"}},
        {2, {"MCU1", "MCU2"}},
        {3, {"EE1"}},
        {4, {"EP1"}},  // "EEPROM" is not "EPROM"
    };
    for (const Case& c : cases) EXPECT_EQ(catalogue.Types("NORTH", c.filter), c.types) << c.filter;
    EXPECT_TRUE(catalogue.Types("alpha", 0).empty());
    // The counts are those of the lists, for a maker's name in any case.
    for (const char* maker : {"NORTH", "north", "alpha", "0", "nobody"})
        for (int filter = 0; filter < kFilterCount; ++filter)
            EXPECT_EQ(catalogue.TypeCount(maker, filter),
                      static_cast<long>(catalogue.Types(maker, filter).size()))
                << maker << " " << filter;
    EXPECT_EQ(catalogue.DeviceFileName("NORTH", "PAL1"), "N\\PAL1.INI");
    EXPECT_EQ(catalogue.DeviceFileName("NORTH", "NOFILE"), "<none>");
    EXPECT_EQ(catalogue.DeviceFileName("NORTH", ""), "<none>");
}

// A maker with hundreds of types has its device files read side by side;
// the filter answers as if each were read alone, names that differ only in
// case included.
TEST_F(SelectionFilesTest, AManyTypedMakerFiltersAsTypeByType) {
    const char* kinds[] = {"PLD", "MPU", "EEPROM", "EPROM", "MPU with ISP"};
    std::string select = "[ITEM]\r\nValue=1\r\n0001=MANY\r\n[MANY]\r\nValue=12C\r\n";
    Names byFilter[5];
    for (int t = 1; t <= 300; ++t) {
        char index[8], type[8];
        std::snprintf(index, sizeof index, "%04X", t);
        std::snprintf(type, sizeof type, "T%03d", t);
        // Every tenth type names its file in other letters.
        const std::string file = std::string(t % 10 ? "M\\" : "m\\") + type + ".INI";
        select += std::string(index) + "=" + type + "\r\n" + type + "=" + file + "\r\n";
        const int kind = t % 5;
        Device(std::string("M/") + type + ".INI", std::string("TYPE=") + kinds[kind] + "\r\n");
        byFilter[0].push_back(type);
        byFilter[kind == 4 ? 2 : kind + 1].push_back(type);
    }
    dir.Write("Select.ini", select);
    SelectCatalogue catalogue(dir.Path());
    for (int filter = 0; filter < 5; ++filter) {
        EXPECT_EQ(catalogue.Types("MANY", filter), byFilter[filter]) << filter;
        EXPECT_EQ(catalogue.TypeCount("MANY", filter), static_cast<long>(byFilter[filter].size()));
    }
}

TEST_F(SelectionFilesTest, DamagedCountsStayWithinTheKeysALongListCanHave) {
    dir.Write("Select.ini",
              "[ITEM]\r\nValue=7FFFFFFF\r\n0001=A\r\n[A]\r\nValue=FFFFFFFF\r\n"
              "0001=T\r\n[B]\r\nValue=zz\r\n0001=T\r\n");
    SelectCatalogue catalogue(dir.Path());
    const Names makers = catalogue.Makers();
    EXPECT_EQ(makers.size(), 0xFFFFu);
    EXPECT_EQ(makers.back(), "A");
    EXPECT_TRUE(catalogue.Types("A", 0).empty());  // reads as -1
    EXPECT_TRUE(catalogue.Types("B", 0).empty());
    EXPECT_TRUE(SelectCatalogue(dir.Path() + "missing/").Makers().empty());
}

TEST_F(SelectionFilesTest, TheInformationPanelTexts) {
    dir.Write("Select.ini",
              "[M]\r\nValue=4\r\n0001=MEM\r\n0002=LOGIC\r\n0003=BARE\r\n0004=LOST\r\n"
              "MEM=MEM.INI\r\nLOGIC=LOGIC.INI\r\nBARE=BARE.INI\r\nLOST=LOST.INI\r\n");
    Device("MEM.INI",
           "PIN=28\r\nTYPE=Memory\r\nICSIZE=32K x 8\r\nread_vcc=50\r\n"
           "program_vcc=62\r\nprogram_vpp=127\r\nNote=UV erasable.\r\n");
    Device("LOGIC.INI",
           "PIN=123456789\r\nTYPE=PLD\r\nICSIZE=2048\r\nread_vcc=5\r\n"
           "program_vcc=0x32\r\nprogram_vpp=140000\r\nNote=\r\n");
    Device("BARE.INI", "BRAND=X\r\n");
    struct Case {
        const char* type;
        DeviceInfoTexts info;
    } cases[] = {
        {"MEM",
         {"PIN : 28", "SIZE : 32K x 8 ", "VCC = 5.0 V", "VCCP = 6.2 V", "VPP = 12.7 V",
          "Note : UV erasable."}},
        // Caps of the fields; voltages read their leading decimal digits of
        // four characters; a note that is there but empty.
        {"LOGIC",
         {"PIN : 1234567", "FUSE : 2048  ", "VCC = 0.5 V", "VCCP = 0.0 V", "VPP = 140.0 V",
          "Note : "}},
        {"BARE",
         {"PIN : <none>", "SIZE : <none> ", "VCC = 0.0 V", "VCCP = 0.0 V", "VPP = 0.0 V",
          "Note : None."}},
        {"LOST",  // the device file itself is missing
         {"PIN : <none>", "SIZE : <none> ", "VCC = 0.0 V", "VCCP = 0.0 V", "VPP = 0.0 V",
          "Note : None."}},
    };
    SelectCatalogue catalogue(dir.Path());
    for (const Case& c : cases) {
        const std::optional<DeviceInfoTexts> info = catalogue.DeviceInfo("M", c.type);
        ASSERT_TRUE(info) << c.type;
        EXPECT_EQ(*info, c.info) << c.type << ": " << info->PinLabel << "|" << info->SizeLabel
                                 << "|" << info->VCCLabel << "|" << info->VCPLabel << "|"
                                 << info->VPPLabel << "|" << info->NoteLabel;
    }
    EXPECT_FALSE(catalogue.DeviceInfo("M", "NOPE"));  // no device file named
}

TEST_F(SelectionFilesTest, MakerPicturesFallBackToNull) {
    EXPECT_EQ(MakerPicturePath(dir.Path(), "ACME"), "");
    const std::string null = dir.Write("bmpdata/NULL.bmp", "BM");
    EXPECT_EQ(MakerPicturePath(dir.Path(), "ACME"), null);
    const std::string acme = dir.Write("bmpdata/ACME.bmp", "BM");
    EXPECT_EQ(MakerPicturePath(dir.Path(), "ACME"), acme);
    dir.Write("ACME.bmp", "BM");
    // A maker name that would lead out of the folder.
    EXPECT_EQ(MakerPicturePath(dir.Path(), "..\\ACME"), null);
    EXPECT_EQ(MakerPicturePath(dir.Path(), "../ACME"), null);
}

TEST_F(SelectionFilesTest, MakerWebPagesThroughTheUrlList) {
    dir.Write("url/URLList.ini",
              "[Index]\r\nSHORT=short.url\r\nPLAIN=plain.txt\r\nLOCAL=local.url\r\n"
              "GONE=gone.url\r\nOUT=..\\out.url\r\nNOPAGE=None\r\nBARE=bare.url\r\n");
    dir.Write("url/short.url", "[InternetShortcut]\r\nURL=https://short.example.com/x\r\n");
    dir.Write("url/plain.txt", "  http://plain.example.com/  \r\nmore\r\n");
    dir.Write("url/local.url", "[InternetShortcut]\r\nURL=file:///etc/passwd\r\n");
    dir.Write("url/bare.url", "[InternetShortcut]\r\nURL=https://\r\n");
    dir.Write("out.url", "https://out.example.com/\r\n");
    struct Case {
        const char* maker;
        std::optional<std::string> file;
        std::optional<std::string> address;
    } cases[] = {
        {"SHORT", "short.url", "https://short.example.com/x"},
        {"short", "short.url", "https://short.example.com/x"},  // keys ignore case
        {"PLAIN", "plain.txt", "http://plain.example.com/"},
        {"LOCAL", "local.url", std::nullopt},  // only web and mail addresses are opened
        {"GONE", "gone.url", std::nullopt},
        {"BARE", "bare.url", std::nullopt},  // a scheme alone names no page
        {"OUT", "..\\out.url", std::nullopt},
        {"NOPAGE", std::nullopt, std::nullopt},
        {"UNLISTED", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> file = FindMakerUrl(dir.Path(), c.maker);
        EXPECT_EQ(file, c.file) << c.maker;
        if (file) {
            EXPECT_EQ(MakerWebAddress(dir.Path(), *file), c.address) << c.maker;
        }
    }
}

// ---- The history ring ---------------------------------------------------------------------

TEST(SelectionHistoryTest, FillsFromSlotOneAndWrapsToSlotZeroAfterNine) {
    TempDir dir;
    SelectionHistory ring(dir.Path() + "SelIcHst.ini");
    EXPECT_FALSE(ring.Last());
    EXPECT_TRUE(ring.Entries().empty());
    const Profile file(dir.Path() + "SelIcHst.ini");
    const int expectedSlots[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1};
    for (int i = 0; i < 11; ++i) {
        const SelectionHistory::Update update = ring.AddHistoryEntry("M", "T" + std::to_string(i));
        EXPECT_TRUE(update.written);
        EXPECT_EQ(update.entries, ring.Entries());
        EXPECT_EQ(update.last, "M_IC_T" + std::to_string(i));
        EXPECT_EQ(file.ReadString("HISTORY", "Current", ""), std::to_string(expectedSlots[i]));
        EXPECT_EQ(file.ReadString("HISTORY", std::to_string(expectedSlots[i]), ""),
                  "M_IC_T" + std::to_string(i));
        EXPECT_EQ(ring.Last(), "M_IC_T" + std::to_string(i));
    }
    // Slot 0 holds the tenth entry; slot 1 the eleventh over the first.
    EXPECT_EQ(ring.Entries(), (Names{"M_IC_T9", "M_IC_T10", "M_IC_T1", "M_IC_T2", "M_IC_T3",
                                     "M_IC_T4", "M_IC_T5", "M_IC_T6", "M_IC_T7", "M_IC_T8"}));
}

TEST(SelectionHistoryTest, AKnownEntryChangesOnlyLast) {
    TempDir dir;
    const std::string path =
        dir.Write("SelIcHst.ini",
                  "[HISTORY]\r\n0=Null\r\n1=A_IC_X\r\n2=B_IC_Y\r\nCurrent=2\r\n"
                  "Last=B_IC_Y\r\n");
    const std::string before = dir.Read("SelIcHst.ini");
    SelectionHistory ring(path);
    EXPECT_TRUE(ring.AddHistoryEntry("A", "X").written);
    const Profile file(path);
    EXPECT_EQ(file.ReadString("HISTORY", "Last", ""), "A_IC_X");
    EXPECT_EQ(file.ReadString("HISTORY", "Current", ""), "2");
    EXPECT_EQ(ring.Entries(), (Names{"A_IC_X", "B_IC_Y"}));  // "Null" slots are left out
    EXPECT_TRUE(ring.AddHistoryEntry("B", "Y").written);
    EXPECT_EQ(dir.Read("SelIcHst.ini"), before);
}

TEST(SelectionHistoryTest, ACurrentOutsideTheRingStartsItAgain) {
    const std::pair<const char*, const char*> cases[] = {
        {"9", "0"}, {"12", "0"}, {"-3", "0"}, {"x", "1"}, {"8", "9"},
    };
    for (const auto& [current, slot] : cases) {
        TempDir dir;
        const std::string path =
            dir.Write("SelIcHst.ini", std::string("[HISTORY]\r\nCurrent=") + current + "\r\n");
        EXPECT_TRUE(SelectionHistory(path).AddHistoryEntry("M", "T").written);
        const Profile file(path);
        EXPECT_EQ(file.ReadString("HISTORY", "Current", ""), slot) << current;
        EXPECT_EQ(file.ReadString("HISTORY", slot, ""), "M_IC_T") << current;
        EXPECT_EQ(file.ReadSection("HISTORY").size(), 3u) << current;  // Current, slot, Last
    }
}

TEST(SelectionHistoryTest, ARingThatCannotBeWrittenStaysWholeAndSaysWhatItWouldHold) {
    TempDir dir;
    const std::string path =
        dir.Write("SelIcHst.ini", "[HISTORY]\r\n1=A_IC_X\r\nCurrent=1\r\nLast=A_IC_X\r\n");
    const std::string before = dir.Read("SelIcHst.ini");
    struct Case {
        const char* what;
        std::function<std::string(std::function<std::string()>)> around;
    } cases[] = {
        // A file nobody may write (refused before anything is written).
        {"read-only",
         [&](const std::function<std::string()>& work) {
             ::chmod(path.c_str(), 0444);
             std::string answer = work();
             ::chmod(path.c_str(), 0644);
             return answer;
         }},
        // A disk that fills while the file is written: a slot alone or a
        // "Current" alone must not land.
        {"full disk",
         [&](const std::function<std::string()>& work) {
             return WithFileSizeLimit(before.size() + 8, work);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string answer = c.around([&] {
            const SelectionHistory::Update update =
                SelectionHistory(path).AddHistoryEntry("B", "Y");
            return std::string(update.written ? "written" : "not written") + " " + update.last +
                   " " + std::to_string(update.entries.size());
        });
        EXPECT_EQ(answer, "not written B_IC_Y 2");
        EXPECT_EQ(dir.Read("SelIcHst.ini"), before);
    }
}

TEST(SelectionHistoryTest, EntriesSplitIntoMakerAndType) {
    struct Case {
        const char* entry;
        Names known;
        std::optional<MakerAndType> split;
    } cases[] = {
        {"ATMEL_IC_AT89C51", {}, MakerAndType{"ATMEL", "AT89C51"}},
        {"General Type_IC_27C256", {}, MakerAndType{"General Type", "27C256"}},
        {"A_B_IC_C_D", {}, MakerAndType{"A_B", "C_D"}},  // names with "_" of their own
        {"MY_IC_CO_IC_T1", {}, MakerAndType{"MY", "CO_IC_T1"}},
        {"MY_IC_CO_IC_T1", {"MY_IC_CO"}, MakerAndType{"MY_IC_CO", "T1"}},
        {"None", {}, std::nullopt},
        {"NULL", {}, std::nullopt},
        {"_IC_T", {}, std::nullopt},
        {"M_IC_", {}, std::nullopt},
        {"", {}, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitHistoryEntry(c.entry, c.known), c.split) << c.entry;
}

}  // namespace
}  // namespace burnmark::testing
