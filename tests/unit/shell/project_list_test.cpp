// The project list: the rows read from Project.ini, the values an opening
// takes from a row, and the opening itself, into the device selection, the
// load of the file and the ticks.
#include "shell/project_list.h"

#include <optional>
#include <string>
#include <vector>

#include "shell/device_by_name.h"
#include "unit/shell/core_fixture.h"

namespace burnmark::testing {
namespace {

constexpr TickFlags kAllOffered = {true, true, true, true, true, true};

TEST(ProjectRow, ValuesAreTakenByPositionAndEmptyOnesAreAbsent) {
    using O = std::optional<std::string>;
    struct Case {
        const char* name;
        ProjectEntry entry;
        std::optional<ProjectOpening> opening;
    };
    const std::vector<Case> cases = {
        {"all values",
         {"ATMEL", "AT89C51", "/data/a.hex", "+E+P"},
         ProjectOpening{"ATMEL", "AT89C51", O("/data/a.hex"), O("+E+P")}},
        {"empty source: the letters stay letters",
         {"ATMEL", "AT89C51", "", "EPV"},
         ProjectOpening{"ATMEL", "AT89C51", std::nullopt, O("EPV")}},
        {"missing source",
         {"ATMEL", "AT89C51", "<empty>", "+C"},
         ProjectOpening{"ATMEL", "AT89C51", std::nullopt, O("+C")}},
        {"a file and no Prog keeps the ticks",
         {"ATMEL", "AT89C51", "a.hex", "<empty>"},
         ProjectOpening{"ATMEL", "AT89C51", O("a.hex"), std::nullopt}},
        {"a + source carries the letters",
         {"ATMEL", "AT89C51", "+E+V", "<empty>"},
         ProjectOpening{"ATMEL", "AT89C51", std::nullopt, O("+E+V")}},
        {"a + source with Prog: the source's letters, Prog is not used",
         {"ATMEL", "AT89C51", "+C+P", "+S"},
         ProjectOpening{"ATMEL", "AT89C51", std::nullopt, O("+C+P")}},
        {"a bare + unticks every box", {"ATMEL", "AT89C51", "+", "+S"},
         ProjectOpening{"ATMEL", "AT89C51", std::nullopt, O("+")}},
        {"no type", {"ATMEL", "<empty>", "a.hex", "+E"}, std::nullopt},
        {"an empty type", {"ATMEL", "", "a.hex", "+E"}, std::nullopt},
        {"no maker", {"", "AT89C51", "a.hex", "+E"}, std::nullopt},
        {"a stored placeholder row", {"Project 1", "", "", ""}, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(PlanProjectOpening(c.entry), c.opening) << c.name;
}

TEST(ProjectRow, EveryLetterTicksItsOfferedBox) {
    auto ticks = [](const char* picture) {  // "ECPVS" with '.' for unticked, then the hidden box
        TickFlags t{};
        for (std::size_t i = 0; i < kTickBoxCount; ++i) t[i] = picture[i] != '.';
        return t;
    };
    struct Case {
        const char* name;
        const char* letters;
        const char* current;
        const char* offered;
        const char* expected;
    };
    const Case cases[] = {
        {"as the exit writes them", "+E+P", "......", "ECPVST", "E.P..."},
        {"the first letter counts", "EPV", "......", "ECPVST", "E.PV.."},
        {"only letters tick, other boxes untick", "S", "ECPV.T", "ECPVST", "....ST"},
        {"lower case is no letter", "ecpvs", "ECPV..", "ECPVST", "......"},
        {"a box the device does not offer", "ECPVS", "......", ".C.VS.", ".C.VS."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TicksFromProjectLetters(c.letters, ticks(c.current), ticks(c.offered)),
                  ticks(c.expected))
            << c.name;
}

class ProjectFile : public CoreTest {
protected:
    void WriteProjects(const std::string& text) { dir.Write(kProjectFileName, text); }
};

TEST_F(ProjectFile, RowsAreReadUpToTheFirstSectionWithoutAVendor) {
    WriteProjects(
        "[Rec]\nnow=3\n"
        "[1]\nVendor=ATMEL\nID=AT89C51\nSource=a.hex\nProg=+E\n"
        "[2]\nVendor=General Type\nID=27C256\n"
        "[4]\nVendor=NORTHCHIP\nID=NC16L8\nSource=+\nProg=+P\n");
    ProjectList list;
    list.LoadProjectList(dir.Path());
    const auto& rows = list.Rows();
    EXPECT_EQ(rows[0], (ProjectEntry{"ATMEL", "AT89C51", "a.hex", "+E"}));
    EXPECT_EQ(rows[1], (ProjectEntry{"General Type", "27C256", "<empty>", "<empty>"}));
    // Section 3 is missing: section 4 is not read.
    EXPECT_EQ(rows[2], ProjectEntry{});
    EXPECT_EQ(rows[3], ProjectEntry{});

    // A file whose first section has no Vendor leaves the stored rows.
    WriteProjects("[1]\nID=AT89C51\n[2]\nVendor=ATMEL\n");
    ProjectList stored;
    stored.LoadProjectList(dir.Path());
    EXPECT_EQ(stored.Rows(), ProjectList().Rows());
    EXPECT_EQ(stored.Rows()[0].Vendor, "Project 1");
    // No file at all: the same.
    std::filesystem::remove(dir.Path() + kProjectFileName);
    stored.LoadProjectList(dir.Path());
    EXPECT_EQ(stored.Rows(), ProjectList().Rows());

    // Ten sections fill every row, the last included; an eleventh has no row.
    std::string ten;
    for (int i = 1; i <= 11; ++i)
        ten += "[" + std::to_string(i) + "]\nVendor=V" + std::to_string(i) + "\nID=T\n";
    WriteProjects(ten);
    ProjectList full;
    full.LoadProjectList(dir.Path());
    EXPECT_EQ(full.Rows()[0].Vendor, "V1");
    EXPECT_EQ(full.Rows()[kProjectRowCount - 1], (ProjectEntry{"V10", "T", "<empty>", "<empty>"}));
}

// The window's parts an opening writes, as a log.
class FakeProjectView : public ProjectPageView {
public:
    void ShowSelectedType(const std::string& maker, const std::string& type) override {
        log.push_back("type " + maker + " / " + type);
    }
    void ShowLoadPath(const std::string& text) override {
        path = text;
        log.push_back("path " + text);
    }
    std::string LoadPathText() const override { return path; }
    TickFlags Ticks() const override { return ticks; }
    void SetTicks(const TickFlags& t) override {
        ticks = t;
        log.push_back("ticks");
    }
    TickFlags Offered() const override { return offered; }
    void CopyBtnClick() override { log.push_back("copy page"); }
    void ShowDumpEditPanel() override { log.push_back("edit area"); }
    void ShowMulti() override { log.push_back("multi"); }

    std::vector<std::string> log;
    std::string path = "unchanged";
    TickFlags ticks = kFormDefaultTicks;
    TickFlags offered = kAllOffered;
};

class ProjectOpen : public ProjectFile {
protected:
    ProjectOpen()
        : page(ProjectPageParts{state, messages, view,
                                [this](const std::string& maker, const std::string& type) {
                                    chosen.push_back(maker + " / " + type);
                                    return SelectDeviceByName(core->Selection(), core->Steps(),
                                                              maker, type);
                                },
                                [this](const std::string& path) {
                                    loaded.push_back(path);
                                    return core->Steps().LoadNamedFile(path);
                                }}) {}

    FakeProjectView view;
    ProjectPage page;
    std::vector<std::string> chosen;
    std::vector<std::string> loaded;
};

TEST_F(ProjectOpen, OpeningSelectsTheDeviceLoadsTheFileAndTicks) {
    Restore();
    dir.Write("data/four.hex", ":0400000001020304F2\r\n:00000001FF\r\n");
    WriteProjects("[1]\nVendor=General Type\nID=27C256\nSource=data/four.hex\nProg=+C+P\n");
    page.LoadProjectList();
    page.ListView1DblClick(0);

    EXPECT_EQ(chosen, std::vector<std::string>{"General Type / 27C256"});
    const std::string file = dir.Path() + "data/four.hex";
    EXPECT_EQ(loaded, std::vector<std::string>{file});
    EXPECT_EQ(view.log, (std::vector<std::string>{"type General Type / 27C256", "path " + file,
                                                  "ticks", "copy page", "edit area", "multi"}));
    // The device: the record, the definition, [SelectDlg] for the next start.
    const DeviceRecord& device = core->Device();
    EXPECT_TRUE(device.DeviceValid);
    EXPECT_EQ(device.Name, "27C256");
    EXPECT_EQ(state.DeviceIniPath, Stored("GENERAL\\27C256.INI"));
    EXPECT_EQ(History().ReadString("SelectDlg", "Manufacturer", ""), "General Type");
    EXPECT_EQ(History().ReadString("SelectDlg", "TypeNum", ""), "27C256");
    EXPECT_EQ(History().ReadString("SelectDlg", "IcFileName", ""), Stored("GENERAL\\27C256.INI"));
    EXPECT_EQ(core->Sizing().BufferSize, 0x10000u);
    // The file: in the buffer, its name in LoadPathEdit.
    BufferLock lock = core->Buffer().GetBufferHandle();
    ASSERT_TRUE(lock);
    EXPECT_EQ(lock.Bytes()[0], 0x01);
    EXPECT_EQ(lock.Bytes()[3], 0x04);
    EXPECT_EQ(lock.Bytes()[4], 0xFF);
    EXPECT_EQ(loadPath, file);
    // The ticks, the flag and the path kept in [Temp].
    EXPECT_EQ(view.ticks, (TickFlags{false, true, true, false, false, false}));
    EXPECT_EQ(state.ProjectOpened, 1);
    EXPECT_EQ(Profile(dir.Path() + kProjectFileName).ReadString("Temp", "Source", ""), file);
    // The device's information as after the Type step, then the load's own
    // reports: the device choice shows no sum box.
    const std::vector<std::string> texts = messages.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], core->Device().InfoText);
    EXPECT_EQ(texts[1], "This is Intel Hex format !");
    EXPECT_EQ(texts[2], "SUM : 007F7C0E");
    EXPECT_FALSE(state.Busy.Busy());

    // A full path is taken as it is, not under the application directory.
    TempDir otherDir;
    const std::string elsewhere =
        otherDir.Write("four.hex", ":0400000005060708E6\r\n:00000001FF\r\n");
    WriteProjects("[1]\nVendor=General Type\nID=27C256\nSource=" + elsewhere + "\nProg=+P\n");
    page.LoadProjectList();
    page.ListView1DblClick(0);
    EXPECT_EQ(loaded.back(), elsewhere);
    EXPECT_EQ(loadPath, elsewhere);
}

TEST_F(ProjectOpen, EverySampleProjectOpensItsDevice) {
    Restore();
    std::filesystem::copy_file(BURNMARK_SAMPLE_DIR "/Project.ini", dir.Path() + kProjectFileName,
                               std::filesystem::copy_options::overwrite_existing);
    page.LoadProjectList();
    std::size_t opened = 0;
    for (std::size_t row = 0; row < kProjectRowCount; ++row) {
        const ProjectEntry entry = page.List().Rows()[row];
        if (!PlanProjectOpening(entry)) continue;
        SCOPED_TRACE(entry.ID);
        state.ProjectOpened = 0;
        page.ListView1DblClick(row);
        EXPECT_EQ(state.ProjectOpened, 1);
        EXPECT_EQ(core->Device().TypeNum, entry.ID);
        ++opened;
    }
    EXPECT_GE(opened, 2u);
}

TEST_F(ProjectOpen, ALogicDeviceGetsItsFuseMapAndTheJedecFileGoesIntoIt) {
    Restore();
    // The window's one fuse-map editor.
    struct Editor : FuseMapEditor {
        void Rebind() override {}
        void ShowModal() override {}
    } editor;
    core->Steps().MakeFuseMapEditor = [&]() -> FuseMapEditor* { return &editor; };
    dir.Write("data/decoder.jed", "\x02*QF2048*F0*L0 1111*\x03");
    WriteProjects("[1]\nVendor=NORTHCHIP\nID=NC16L8\nSource=data/decoder.jed\nProg=+P\n");
    page.LoadProjectList();
    page.ListView1DblClick(0);
    EXPECT_EQ(core->Device().HasFuseMap, 1);
    EXPECT_EQ(state.Form2Created, 1);
    ASSERT_TRUE(core->Fuses().HasBlock());
    EXPECT_EQ(core->Fuses().FuseAt(0), 1);
    EXPECT_EQ(core->Fuses().FuseAt(4), 0);
    EXPECT_EQ(loadPath, dir.Path() + "data/decoder.jed");
    EXPECT_EQ(loadDialog.runs, 0);  // not the data buffer's load
}

// A project without a file names "No File"; a file that is missing or does
// not load leaves the Copy page naming what the buffer holds, and so does
// [Temp] "Source". The device and the ticks are the project's all the same.
TEST_F(ProjectOpen, AFileThatIsAbsentOrDoesNotLoadLeavesTheFileShown) {
    Restore();
    dir.Write("data/empty.hex", "");
    struct Case {
        const char* name;
        const char* section;
        std::size_t loads;
        TickFlags ticks;
        const char* shown;
    };
    const Case cases[] = {
        {"an empty source", "Source=\nProg=+E+V\n", 0, {true, false, false, true, false, false},
         "No File"},
        {"a + source", "Source=+C+P\nProg=+E\n", 0, {false, true, true, false, false, false},
         "No File"},
        // Letters without a "+" are no file's name and bring no file either.
        {"an empty source and bare letters", "Source=\nProg=EPV\n", 0,
         {true, false, true, true, false, false}, "what the buffer holds"},
        {"a missing file", "Source=data/none.hex\nProg=+P\n", 1,
         {false, false, true, false, false, false}, "what the buffer holds"},
        {"an empty file", "Source=data/empty.hex\nProg=+V\n", 1,
         {false, false, false, true, false, false}, "what the buffer holds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        loaded.clear();
        view.path = "what the buffer holds";
        WriteProjects(std::string("[1]\nVendor=ATMEL\nID=AT89C51\n") + c.section);
        page.LoadProjectList();
        page.ListView1DblClick(0);
        EXPECT_EQ(loaded.size(), c.loads);
        EXPECT_EQ(loadPath, "unchanged");
        EXPECT_EQ(view.path, c.shown);
        EXPECT_EQ(view.ticks, c.ticks);
        EXPECT_EQ(state.ProjectOpened, 1);
        EXPECT_EQ(Profile(dir.Path() + kProjectFileName).ReadString("Temp", "Source", ""), c.shown);
    }
}

// The programmer's part of an option-type-1 load fails after the file
// landed: the buffer holds the file, and the Copy page names it.
TEST_F(ProjectOpen, AFileThatLandedIsNamedWhenTheProgrammerIsAway) {
    Restore();
    const std::string file = dir.Write("data/four.bin", "\x01\x02\x03\x04");
    WriteProjects("[1]\nVendor=VALEMICRO\nID=VM89X52\nSource=data/four.bin\nProg=+P\n");
    page.LoadProjectList();
    sim.ClearSlots();
    page.ListView1DblClick(0);
    ASSERT_EQ(core->Device().FuseTypeDigit, 1);
    EXPECT_EQ(loaded, std::vector<std::string>{file});
    {
        BufferLock lock = core->Buffer().GetBufferHandle();
        ASSERT_TRUE(lock);
        EXPECT_EQ(lock.Bytes()[3], 0x04);
    }
    EXPECT_EQ(view.path, file);
    EXPECT_EQ(loadPath, file);
    EXPECT_FALSE(state.Busy.Busy());
}

TEST_F(ProjectOpen, AnUnknownDeviceIsRefusedAndNothingChanges) {
    Restore();
    dir.Write("data/four.hex", ":0400000001020304F2\r\n:00000001FF\r\n");
    const std::string history = dir.Read("History_1.ini");
    // The dialog as the operator left it: a maker's second type under the
    // MPU filter.
    DeviceSelection& selection = core->Selection();
    selection.FormCreate();
    selection.TypeGroupClick(2);
    selection.ManuEditChange("VALEMICRO", EditSource::Program);
    ASSERT_GE(selection.Types().size(), 2u);
    selection.NumListBoxClick(1);
    const int filter = selection.Filter();
    const int makerIndex = selection.MakerIndex();
    const int typeIndex = selection.TypeIndex();
    const std::string highlighted = selection.TypeNum();
    struct Case {
        const char* name;
        const char* section;
        const char* text;
    };
    const Case cases[] = {
        {"a type the maker has not", "[1]\nVendor=ATMEL\nID=AT89C99\nSource=data/four.hex\n",
         "Device not found in the catalogue: ATMEL AT89C99"},
        {"a maker the catalogue has not", "[1]\nVendor=NOBODY\nID=AT89C51\nProg=+E\n",
         "Device not found in the catalogue: NOBODY AT89C51"},
        // Refused by the selection's OK, which says why.
        {"a listed type whose file is gone", "[1]\nVendor=General Type\nID=29F040\nProg=+E\n",
         "Ini File missing !!"},
    };
    std::filesystem::remove(dir.Path() + "INI/GENERAL/29F040.INI");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.Clear();
        WriteProjects(c.section);
        page.LoadProjectList();
        page.ListView1DblClick(0);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.text});
        EXPECT_TRUE(view.log.empty());
        EXPECT_TRUE(loaded.empty());
        EXPECT_EQ(core->Device().TypeNum, "AT89C51");
        EXPECT_EQ(dir.Read("History_1.ini"), history);
        EXPECT_EQ(state.ProjectOpened, 0);
        EXPECT_EQ(selection.Filter(), filter);
        EXPECT_EQ(selection.MakerIndex(), makerIndex);
        EXPECT_EQ(selection.TypeIndex(), typeIndex);
        EXPECT_EQ(selection.TypeNum(), highlighted);
        EXPECT_EQ(selection.IcTypeEditText(), highlighted);
    }
}

TEST_F(ProjectOpen, AProjectFileThatCannotBeWrittenIsToldOnce) {
    Restore();
    WriteProjects("[1]\nVendor=ATMEL\nID=AT89C51\nSource=+E\n");
    page.LoadProjectList();
    // The list was read; its file is then no file any more.
    const std::string projects = dir.Path() + kProjectFileName;
    std::filesystem::remove(projects);
    std::filesystem::create_directory(projects);
    messages.Clear();
    page.ListView1DblClick(0);
    EXPECT_EQ(state.ProjectOpened, 1);
    // The device's information, then the one report.
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text,
              "Can't write " + projects +
                  " !\nThe Copy page's file is not noted there for other programs.");
    EXPECT_EQ(messages.shown[1].title, "Settings");
}

TEST_F(ProjectOpen, NoSelectionAnEmptyRowOrABusyProgramChangeNothing) {
    WriteProjects("[1]\nVendor=ATMEL\nID=AT89C51\n[2]\nVendor=ATMEL\nID=\n");
    page.LoadProjectList();
    page.ListView1DblClick(std::nullopt);
    page.ListView1DblClick(1);  // no type
    page.ListView1DblClick(5);  // an empty stored row
    page.ListView1DblClick(kProjectRowCount);
    {
        BusyScope busy(state.Busy);
        page.ListView1DblClick(0);
    }
    EXPECT_TRUE(chosen.empty());
    EXPECT_TRUE(view.log.empty());
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace burnmark::testing
