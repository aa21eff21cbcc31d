// The load and save dialogs' decisions: the file range, the opening fields,
// the format rule, the checks of Load and Save with their texts, the buffer
// sizing, and the answer handed to the command in memory even when
// History_1.ini cannot keep it.
#include "flow/file_dialogs.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "buffer/address_entry.h"
#include "flow/dialog_hand_back.h"
#include "flow/range_commands.h"
#include "unit/flow/flow_fixture.h"

namespace burnmark::testing {
namespace {

namespace fs = std::filesystem;

// While it lives no file of the process grows beyond the limit: every write
// of a larger settings file fails, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

using Shown = std::vector<std::pair<std::string, std::string>>;

class FileDialogs : public FlowTest {
protected:
    void SetUp() override {
        SelectDevice(ValidDevice());
        ASSERT_EQ(buffer.GetBufferSize(), 0x10400u);
    }
    FlowContext Full() {
        FlowContext ctx = Context();
        ctx.sizing = &sizing;
        ctx.page = &page;
        return ctx;
    }
    Shown ShownNow() const {
        Shown shown;
        for (const auto& m : messages.shown) shown.emplace_back(m.text, m.title);
        return shown;
    }
    LoadDialogFields LoadFields(const std::string& path, const char* start, const char* end,
                                const char* dest = "0", const char* fill = "FF") {
        LoadDialogFields f;
        f.name = path;
        f.sourceStart = start;
        f.sourceEnd = end;
        f.dest = dest;
        f.format = 3;
        f.fill = fill;
        return f;
    }
};

// ---- Load --------------------------------------------------------------------------------------

TEST_F(FileDialogs, TheFileRangeFollowsTheFileSize) {
    EXPECT_EQ(FillFileRange(WriteData("one.bin", "A")), (FileRangeTexts{"000000", "0000000"}));
    EXPECT_EQ(FillFileRange(WriteData("some.bin", std::string(0x1234, 'x'))),
              (FileRangeTexts{"000000", "0001233"}));
    // Nothing to read wraps to the seven-digit field's largest end.
    EXPECT_EQ(FillFileRange(WriteData("empty.bin", "")), (FileRangeTexts{"000000", "FFFFFFF"}));
    EXPECT_EQ(FillFileRange(dir.Path() + "missing.bin"), (FileRangeTexts{"000000", "FFFFFFF"}));
}

TEST_F(FileDialogs, TheLoadDialogOpensOnTheRememberedFileWithoutTouchingTheBuffer) {
    LoadDialogLogic logic(Full());
    // Nothing remembered, or a remembered file that is gone: the form's
    // defaults, "Auto Detect" with every field open to entries.
    for (const std::string& remembered : {std::string(), dir.Path() + "gone.bin"}) {
        SCOPED_TRACE(remembered);
        if (!remembered.empty())
            WriteSection(kLoadSection,
                         {{"Name", remembered}, {"UserFill", "170"}, {"UnuserFillCheck", "0"}});
        const LoadDialogFields f = logic.Opening();
        EXPECT_EQ(f.name, "");
        EXPECT_EQ(f.sourceStart, "0000000");
        EXPECT_EQ(f.sourceEnd, "0000000");
        EXPECT_EQ(f.dest, "00000000");
        EXPECT_EQ(f.format, 0);
        EXPECT_TRUE(f.rangeEditable);
        EXPECT_TRUE(f.fillUnused);
        EXPECT_EQ(f.fill, "FF");
    }

    // An Intel file longer than the buffer: detection reads it privately.
    std::string text = ":0400000001020304F2\r\n";
    text += std::string(0x20000, ' ') + "\r\n:00000001FF\r\n";
    const std::string path = WriteData("big.hex", text);
    WriteSection(kLoadSection, {{"Name", path}, {"UserFill", "170"}, {"UnuserFillCheck", "0"}});
    FillBuffer(0x33);
    LoadDialogFields f = logic.Opening();
    EXPECT_EQ(f.name, path);
    EXPECT_EQ(f.format, 4);
    EXPECT_TRUE(f.rangeEditable);
    EXPECT_EQ(f.sourceStart, "000000");
    EXPECT_EQ(f.sourceEnd, HexEntryText(AddressText(static_cast<uint32_t>(text.size() - 1))));
    EXPECT_EQ(f.dest, "000000");
    EXPECT_EQ(f.fill, "AA");
    EXPECT_FALSE(f.fillUnused);  // the remembered tick, after the format rule
    EXPECT_EQ(buffer.GetBufferSize(), 0x10400u);
    EXPECT_EQ(Bytes(0, 4), std::vector<uint8_t>(4, 0x33));
    EXPECT_TRUE(messages.shown.empty());

    // A file of no hex format opens on "Auto Detect", which takes the range
    // from the file: its fields are closed to entries.
    WriteSection(kLoadSection, {{"Name", WriteData("plain.bin", "plain")}});
    f = logic.Opening();
    EXPECT_EQ(f.format, 0);
    EXPECT_EQ(f.sourceEnd, "0000004");
    EXPECT_FALSE(f.rangeEditable);
    // Without a remembered tick the unused bytes are filled.
    EXPECT_FALSE(f.fillUnused);
    Profile(History()).DeleteKey(kLoadSection, "UnuserFillCheck");
    EXPECT_TRUE(logic.Opening().fillUnused);
}

TEST(LoadFormatRule, AutoDetectTakesTheRangeAndHexFormatsTickTheFill) {
    EXPECT_FALSE(LoadDialogLogic::RangeEditable(0));
    for (int format = 1; format <= 6; ++format) {
        EXPECT_TRUE(LoadDialogLogic::RangeEditable(format));
        LoadDialogFields f;
        f.format = format;
        f.fillUnused = false;
        LoadDialogLogic::ApplyFormatRule(f);
        EXPECT_EQ(f.fillUnused, format >= 4) << format;
    }
}

struct LoadCheck {
    const char* name;
    std::string file;  // "<missing>": no such file
    const char* start;
    const char* end;
    const char* dest;
    const char* fill;
    Shown shown;
};

void PrintTo(const LoadCheck& c, std::ostream* os) { *os << c.name; }

class LoadChecks : public FileDialogs, public ::testing::WithParamInterface<LoadCheck> {};

TEST_P(LoadChecks, RefuseInTheirOrderOrAnswer) {
    const LoadCheck& c = GetParam();
    const std::string path =
        c.file == "<missing>" ? dir.Path() + "missing.bin" : WriteData("f.bin", c.file);
    WriteSection(kLoadSection, {{"OK", "7"}});
    LoadDialogLogic logic(Full());
    const std::optional<LoadSettings> answer =
        logic.Accept(LoadFields(path, c.start, c.end, c.dest, c.fill));
    EXPECT_EQ(ShownNow(), c.shown);
    EXPECT_EQ(answer.has_value(), c.shown.empty());
    EXPECT_EQ(ReadKey(kLoadSection, "OK"), c.shown.empty() ? "1" : "7");
}

const std::pair<std::string, std::string> kOrder{"Input Value Error !", "Error"};
const std::pair<std::string, std::string> kLimit{"Input Value Error !", "ERROR"};

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadChecks,
    ::testing::Values(LoadCheck{"Whole", "ABCDEFGH", "000000", "0000007", "0", "FF", {}},
                      LoadCheck{"OneByteFile", "A", "000000", "0000000", "0", "FF", {}},
                      LoadCheck{"Missing",
                                "<missing>",
                                "000000",
                                "FFFFFFF",
                                "0",
                                "FF",
                                {{"Not Found File ! ", "ERROR"}}},
                      LoadCheck{"Reversed", "ABCDEFGH", "5", "2", "0", "FF", {kOrder}},
                      LoadCheck{"EmptyFile", "", "000000", "FFFFFFF", "0", "FF", {kLimit}},
                      LoadCheck{"StartAtTheSize", "ABCDEFGH", "8", "8", "0", "FF", {kLimit}},
                      LoadCheck{"EndAtTheSize", "ABCDEFGH", "0", "8", "0", "FF", {kLimit}},
                      LoadCheck{"LastDestination", "ABCDEFGH", "0", "7", "EFFFFF", "FF", {}},
                      LoadCheck{
                          "DestinationAtTheLimit", "ABCDEFGH", "0", "7", "F00000", "FF", {kLimit}},
                      LoadCheck{"FillAboveAByte", "ABCDEFGH", "0", "7", "0", "100", {kLimit}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileDialogs, AOneByteFileLoads) {
    const std::string path = WriteData("one.bin", "Z");
    LoadDialogLogic logic(Full());
    LoadDialogFields f = LoadFields(path, "000000", "0000000", "10");
    const std::optional<LoadSettings> answer = logic.Accept(f);
    ASSERT_TRUE(answer);
    LoadFlow flow(Full());
    EXPECT_EQ(flow.RunLoad(*answer), LoadEnd::Loaded);
    EXPECT_EQ(Byte(0x10), 'Z');
    EXPECT_EQ(Byte(0x0F), 0xFF);
    EXPECT_EQ(buffer.GetLoadedStart(), 0x10u);
    EXPECT_EQ(buffer.GetLoadedEnd(), 0x11u);
}

TEST_F(FileDialogs, AFileBeyondTheRangeFieldsIsRefusedNotLoadedInPart) {
    const std::string path = dir.Path() + "huge.bin";
    { std::ofstream(path, std::ios::binary) << 'x'; }
    fs::resize_file(path, kMaxLoadFileBytes + 1);  // sparse: nothing is written
    LoadDialogLogic logic(Full());
    EXPECT_EQ(logic.Accept(LoadFields(path, "000000", "FFFFFFF")), std::nullopt);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kLoadTooBigText);
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Error);
    EXPECT_EQ(buffer.GetBufferSize(), 0x10400u);

    // One byte less: its last offset is the largest the field holds.
    messages.Clear();
    fs::resize_file(path, kMaxLoadFileBytes);
    const std::optional<LoadSettings> answer = logic.Accept(LoadFields(path, "000000", "FFFFFFF"));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->SourceEAdd, 0xFFFFFFF);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FileDialogs, LoadSizesTheBufferByTheDeviceOrByALongerFile) {
    LoadDialogLogic logic(Full());
    // Shorter than the device (0x8000 bytes): sized by the device.
    ASSERT_TRUE(
        logic.Accept(LoadFields(WriteData("short.bin", std::string(0x100, 's')), "0", "FF")));
    EXPECT_EQ(device.BufferBytes, 0x8000u);
    EXPECT_EQ(sizing.BufferSize, 0x10000u);
    EXPECT_EQ(buffer.GetBufferSize(), 0x10400u);

    // Longer: the buffer grows to at least it, and stays so for the device.
    ASSERT_TRUE(
        logic.Accept(LoadFields(WriteData("long.bin", std::string(0x30000, 'l')), "0", "2FFFF")));
    EXPECT_EQ(device.BufferBytes, 0x2FFFFu);
    EXPECT_EQ(sizing.BufferSize, 0x2FFFFu);
    EXPECT_EQ(sizing.LoadedBufferSize, 0x2FFFFu);
    EXPECT_EQ(buffer.GetBufferSize(), 0x2FFFFu + 1024);
    ASSERT_TRUE(
        logic.Accept(LoadFields(WriteData("short.bin", std::string(0x100, 's')), "0", "FF")));
    EXPECT_EQ(buffer.GetBufferSize(), 0x2FFFFu + 1024);
}

TEST_F(FileDialogs, APlacementThatCannotGrowTheBufferStopsFromTheDialogsPath) {
    buffer.SetMaxBlockBytes(0x20000);
    const std::string path = WriteData("big.bin", std::string(0x30000, 'b'));
    LoadDialogLogic logic(Full());
    const std::optional<LoadSettings> answer = logic.Accept(LoadFields(path, "0", "2FFFF"));
    ASSERT_TRUE(answer);
    LoadFlow flow(Full());
    EXPECT_NE(flow.RunLoad(*answer), LoadEnd::Loaded);
    EXPECT_EQ(buffer.GetBufferSize(), 0x10400u);
    EXPECT_EQ(buffer.GetLoadedEnd(), 0u);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown[0].text, "Memory error !");
    EXPECT_FALSE(busy.Busy());
}

TEST_F(FileDialogs, LoadAndCancelOfferTheirCopyPageSteps) {
    for (CopyControl c :
         {CopyControl::Panel7, CopyControl::Panel8, CopyControl::Panel9, CopyControl::CopyReadBtn})
        page.SetEnabled(c, false);
    LoadDialogLogic logic(Full());
    ASSERT_TRUE(logic.Accept(LoadFields(WriteData("a.bin", "AB"), "0", "1")));
    EXPECT_TRUE(page.Enabled(CopyControl::Panel8));
    EXPECT_TRUE(page.Enabled(CopyControl::Panel9));
    EXPECT_TRUE(page.Visible(CopyStep::Edit, StepImage::Ready));
    EXPECT_TRUE(page.Visible(CopyStep::Save, StepImage::Working));
    EXPECT_FALSE(page.Enabled(CopyControl::Panel7));

    logic.Cancel();
    EXPECT_TRUE(page.Enabled(CopyControl::Panel7));
    EXPECT_TRUE(page.Enabled(CopyControl::CopyReadBtn));
    EXPECT_TRUE(page.Visible(CopyStep::Load, StepImage::Highlight));
    EXPECT_EQ(ReadKey(kLoadSection, "OK"), "0");
}

// ---- Save --------------------------------------------------------------------------------------

struct SaveCheck {
    const char* name;
    int32_t format;
    const char* end;
    std::string refusal;  // empty: accepted
};

void PrintTo(const SaveCheck& c, std::ostream* os) { *os << c.name; }

class SaveLimits : public FileDialogs, public ::testing::WithParamInterface<SaveCheck> {};

TEST_P(SaveLimits, EachFormatTakesTheRangesItsRecordsReach) {
    const SaveCheck& c = GetParam();
    ASSERT_TRUE(buffer.SetBufferSize(0x1000001));
    SaveDialogLogic logic(Full());
    SaveDialogFields f;
    f.name = dir.Path() + "out.dat";
    f.start = "0";
    f.end = c.end;
    f.format = c.format;
    const std::optional<SaveSettings> answer = logic.Accept(f);
    EXPECT_EQ(answer.has_value(), c.refusal.empty());
    if (c.refusal.empty()) {
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(static_cast<int32_t>(answer->Format), c.format);
        EXPECT_EQ(answer->SourceEAdd, static_cast<int64_t>(HexFieldValue(c.end)));
        return;
    }
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, c.refusal);
    EXPECT_EQ(messages.shown[0].title, "SAVE");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveLimits,
    ::testing::Values(SaveCheck{"S1Reaches64K", 2, "FFFF", ""},
                      SaveCheck{"S1Beyond", 2, "10000",
                                "File Too Big for Motorola %S[S1],\nPlease Select other Format."},
                      SaveCheck{"IntelReaches1M", 1, "FFFFF", ""},
                      SaveCheck{"IntelBeyond", 1, "100000",
                                "File Too Big for Intel Format,\nPlease Select other Format."},
                      SaveCheck{"TektronixReaches64K", 5, "FFFF", ""},
                      SaveCheck{"TektronixBeyond", 5, "10000",
                                "File Too Big for Tektlonix Format,\nPlease Select other Format."},
                      SaveCheck{"S2Reaches16M", 3, "FFFFFF", ""},
                      SaveCheck{"S2Beyond", 3, "1000000",
                                "File Too Big for Motorola S2,\nPlease Select other Format."},
                      SaveCheck{"BinaryUnlimited", 0, "1000000", ""},
                      SaveCheck{"S3Unlimited", 4, "1000000", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileDialogs, SaveRefusesANamelessOrBadRangeAndAsksBeforeReplacingAFile) {
    SaveDialogLogic logic(Full());
    SaveDialogFields f;
    f.start = "0";
    f.end = "FF";
    EXPECT_FALSE(logic.Accept(f));
    f.name = dir.Path() + "new.dat";
    f.end = "0";
    EXPECT_FALSE(logic.Accept(f));
    f.end = "10400";
    EXPECT_FALSE(logic.Accept(f));
    EXPECT_EQ(ShownNow(), (Shown{{"No File Name!!", ""}, kOrder, kLimit}));

    // Cancel to the question: nothing is written and the dialog stays open.
    messages.Clear();
    const std::string existing = WriteData("old.dat", "old");
    WriteSection(kSaveSection, {{"OK", "0"}});
    f.name = existing;
    f.end = "FF";
    messages.answers.push_back(MsgAnswer::Cancel);
    EXPECT_FALSE(logic.Accept(f));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "File is Exist ! Are sure to save ?");
    EXPECT_EQ(messages.shown[0].title, "Save File");
    EXPECT_EQ(messages.shown[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(dir.Read("data/old.dat"), "old");
    EXPECT_EQ(ReadKey(kSaveSection, "OK"), "0");

    messages.answers.push_back(MsgAnswer::Ok);
    EXPECT_TRUE(logic.Accept(f));
    EXPECT_EQ(ReadKey(kSaveSection, "OK"), "1");
    EXPECT_EQ(ReadKey(kSaveSection, "Name"), existing);
}

TEST_F(FileDialogs, SaveRangeButtons) {
    WriteSection(kSaveSection, {{"Format", "3"}});
    SaveDialogLogic logic(Full());
    const SaveDialogFields f = logic.Opening();
    EXPECT_EQ(f.name, "");
    EXPECT_EQ(f.format, 3);
    EXPECT_EQ(f.start, "000000");
    EXPECT_EQ(f.end, "0007FFF");

    EXPECT_EQ(logic.MaxRange(), (FileRangeTexts{"000000", "00103FF"}));
    EXPECT_EQ(logic.FileRange(dir.Path() + "missing"), std::nullopt);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"No File Seleted!!"});
    EXPECT_EQ(logic.FileRange(WriteData("f.bin", std::string(0x100, 'f'))),
              (FileRangeTexts{"000000", "00000FF"}));

    // Without a device the range is the whole buffer.
    device.DeviceValid = false;
    EXPECT_EQ(logic.IcRange(), (FileRangeTexts{"000000", "00103FF"}));

    // With an extended area the range runs to the area's last byte.
    SelectDevice(ValidDevice().Set("ext_address_Low", "0x00FF"));
    EXPECT_EQ(logic.IcRange(), (FileRangeTexts{"000000", "00080FF"}));
}

// ---- The answer travels in memory -------------------------------------------------------------

class StaleHandBack : public FileDialogs {
protected:
    void SetUp() override {
        FileDialogs::SetUp();
        oldFile = WriteData("old.bin", "OLDOLD");
        // The last run's answers: the old file, with "OK" 1.
        HandBack(oldFile, {{"Format", "3"}});
        WriteSection(kSaveSection, {{"Name", oldFile},
                                    {"SourceSAdd", "0"},
                                    {"SourceEAdd", "3"},
                                    {"Format", "0"},
                                    {"OK", "1"}});
        WriteSection(kFillSection,
                     {{"StartAdd", "0"}, {"EndAdd", "255"}, {"Select", "1"}, {"OK", "1"}});
        FillBuffer(0x5A);
    }
    // One report of the settings file that could not be written.
    void ExpectOneWriteFailure() const {
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, HandBackWriteFailText(History()));
    }
    std::string oldFile;
};

TEST_F(StaleHandBack, ACancelledLoadLoadsNothing) {
    ScriptedLoadDialog dialog;
    dialog.answer = [](LoadDialogLogic& logic) {
        logic.Cancel();
        return std::optional<LoadSettings>();
    };
    FileSizeLimit limit(16);
    LoadFlow flow(Full());
    EXPECT_EQ(flow.LoadFileClick(dialog), LoadEnd::Cancelled);
    EXPECT_EQ(Bytes(0, 6), std::vector<uint8_t>(6, 0x5A));
    ExpectOneWriteFailure();
}

TEST_F(StaleHandBack, ALoadOfANewNameLoadsThatFile) {
    const std::string fresh = WriteData("new.bin", "NEWNEW");
    ScriptedLoadDialog dialog;
    dialog.answer = [&](LoadDialogLogic& logic) {
        return logic.Accept(LoadFields(fresh, "0", "5"));
    };
    FileSizeLimit limit(16);
    LoadFlow flow(Full());
    EXPECT_EQ(flow.LoadFileClick(dialog), LoadEnd::Loaded);
    EXPECT_EQ(Bytes(0, 6), (std::vector<uint8_t>{'N', 'E', 'W', 'N', 'E', 'W'}));
    EXPECT_EQ(dialog.loadPathEdit, fresh);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown[0].text, HandBackWriteFailText(History()));
}

TEST_F(StaleHandBack, ACancelledSaveWritesNoFileAndANewNameIsUsed) {
    ScriptedSaveDialog dialog;
    dialog.answer = [](SaveDialogLogic& logic) {
        logic.Cancel();
        return std::optional<SaveSettings>();
    };
    // Room for the four saved bytes, not for the settings file.
    FileSizeLimit limit(16);
    SaveFlow flow(Full());
    EXPECT_EQ(flow.SaveFileClick(dialog), SaveEnd::Cancelled);
    EXPECT_EQ(dir.Read("data/old.bin"), "OLDOLD");
    ExpectOneWriteFailure();

    messages.Clear();
    const std::string fresh = dir.Path() + "data/new.bin";
    dialog.answer = [&](SaveDialogLogic& logic) {
        SaveDialogFields f = logic.Opening();
        f.name = fresh;
        f.start = "0";
        f.end = "3";
        return logic.Accept(f);
    };
    EXPECT_EQ(flow.SaveFileClick(dialog), SaveEnd::Saved);
    EXPECT_EQ(dir.Read("data/new.bin"), "ZZZZ");
    EXPECT_EQ(dir.Read("data/old.bin"), "OLDOLD");
    ExpectOneWriteFailure();
}

TEST_F(StaleHandBack, ACancelledFillFillsNothing) {
    ChecksumDisplay checksum;
    EditRangeCommands commands(RangeCommandParts{busy, device, buffer, messages, progress, checksum,
                                                 frame, downloads, link, fpga});
    ScriptedFillDialog dialog;
    dialog.script = [](FillDialogLogic& logic) {
        logic.Cancel();
        return std::optional<FillRequest>();
    };
    commands.SetFillDialog(&dialog);
    FileSizeLimit limit(16);
    EXPECT_EQ(commands.FillDataClick(), RangeEnd::Cancelled);
    EXPECT_EQ(Bytes(0, 0x100), std::vector<uint8_t>(0x100, 0x5A));
    ExpectOneWriteFailure();
}

}  // namespace
}  // namespace burnmark::testing
