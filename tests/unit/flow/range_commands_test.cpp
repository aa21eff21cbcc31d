// The editor's Sum, Fill and Block commands from the dialog's answer to the
// buffer, and the Sum dialog's programmer checksum for option type 1 on the
// simulated programmer.
#include "flow/range_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "support/fake_checksum_field.h"
#include "unit/flow/flow_fixture.h"

namespace burnmark::testing {
namespace {

class RangeCommands : public FlowTest {
protected:
    void SetUp() override {
        SelectDevice(ValidDevice());
        checksum.SetField(&field);
        buffer.SetChecksumView(&checksum);
        commands.SetBlockDialog(&blockDialog);
        commands.SetFillDialog(&fillDialog);
        commands.SetSumDialog(&sumDialog);
        commands.MainEditPageChange = [this] { ++pageChanges; };
        commands.ScrollByteViewToTop = [this] { ++scrolls; };
        sim.InsertChip(false, 0x8000);
    }

    void Count(uint32_t from, uint32_t to) {
        BufferLock lock = buffer.GetBufferHandle();
        for (uint32_t a = from; a < to; ++a) lock[a] = static_cast<uint8_t>(a);
    }
    int ErrorSounds() const {
        return static_cast<int>(std::count(sounds.calls.begin(), sounds.calls.end(), "error"));
    }

    ChecksumDisplay checksum;
    RecordingField field;
    EditRangeCommands commands{RangeCommandParts{busy, device, buffer, messages, progress, checksum,
                                                 frame, downloads, link, fpga}};
    ScriptedBlockDialog blockDialog;
    ScriptedFillDialog fillDialog;
    ScriptedSumDialog sumDialog;
    int pageChanges = 0;
    int scrolls = 0;
};

RangeFields Range(const char* s, const char* e, const char* ws, const char* we) {
    return RangeFields{s, e, ws, we};
}

// ---- Fill --------------------------------------------------------------------------------------

struct FillCase {
    const char* name;
    RangeFields range;
    bool userCheck;
    int32_t byteWordSel;
    const char* userByte;
    const char* userWord;
    int32_t select;
    uint32_t at;
    std::vector<uint8_t> bytes;  // from at on, one past the range included
};

void PrintTo(const FillCase& c, std::ostream* os) { *os << c.name; }

class FillCommand : public RangeCommands, public ::testing::WithParamInterface<FillCase> {};

TEST_P(FillCommand, FillsWhatTheDialogAnswered) {
    const FillCase& c = GetParam();
    Count(0, 0x2000);
    fillDialog.script = [&](FillDialogLogic& logic) {
        FillFields f = logic.Opening();
        f.range = c.range;
        f.userCheck = c.userCheck;
        f.byteWordSel = c.byteWordSel;
        f.userByte = c.userByte;
        f.userWord = c.userWord;
        f.select = c.select;
        return logic.Accept(f).answer;
    };
    EXPECT_EQ(commands.FillDataClick(), RangeEnd::Done);
    EXPECT_EQ(Bytes(c.at, c.bytes.size()), c.bytes);
    EXPECT_EQ(pageChanges, 1);
    EXPECT_EQ(scrolls, 1);
    EXPECT_FALSE(progress.shown);
    EXPECT_FALSE(busy.Busy());
    EXPECT_TRUE(messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, FillCommand,
                         ::testing::Values(FillCase{"UserWord",
                                                    Range("10", "13", "8", "9"),
                                                    true,
                                                    1,
                                                    "00",
                                                    "12AB",
                                                    0,
                                                    0x0F,
                                                    {0x0F, 0xAB, 0x12, 0xAB, 0x12, 0x14}},
                                           FillCase{"UserByte",
                                                    Range("10", "12", "8", "9"),
                                                    true,
                                                    0,
                                                    "5A",
                                                    "12AB",
                                                    0,
                                                    0x0F,
                                                    {0x0F, 0x5A, 0x5A, 0x5A, 0x13}},
                                           FillCase{"AllBit0",
                                                    Range("0", "FF", "0", "7F"),
                                                    false,
                                                    0,
                                                    "FF",
                                                    "FFFF",
                                                    1,
                                                    0xFE,
                                                    {0x00, 0x00, 0x00}},
                                           FillCase{"AllBit1",
                                                    Range("4", "5", "2", "3"),
                                                    false,
                                                    0,
                                                    "00",
                                                    "0000",
                                                    0,
                                                    3,
                                                    {0x03, 0xFF, 0xFF, 0x06}},
                                           // Past the counting bytes, which it would repeat.
                                           FillCase{"SequentialByte",
                                                    Range("30FE", "3101", "187F", "1880"),
                                                    false,
                                                    0,
                                                    "FF",
                                                    "FFFF",
                                                    3,
                                                    0x30FD,
                                                    {0x00, 0xFE, 0xFF, 0x00, 0x01, 0x00}},
                                           FillCase{"SequentialWord",
                                                    Range("1230", "1233", "918", "919"),
                                                    false,
                                                    0,
                                                    "FF",
                                                    "FFFF",
                                                    4,
                                                    0x1230,
                                                    {0x12, 0x30, 0x12, 0x32, 0x34}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RangeCommands, AllBit0ReachesNoFurtherThanItsEnd) {
    Count(0, 0x200);
    fillDialog.script = [](FillDialogLogic& logic) {
        FillFields f = logic.Opening();
        f.range = Range("0", "FF", "0", "7F");
        f.select = 1;
        return logic.Accept(f).answer;
    };
    ASSERT_EQ(commands.FillDataClick(), RangeEnd::Done);
    EXPECT_EQ(Bytes(0, 0x100), std::vector<uint8_t>(0x100, 0));
    EXPECT_EQ(Byte(0x100), 0x00);  // its own counting value
    EXPECT_EQ(Byte(0x101), 0x01);
}

TEST_F(RangeCommands, RandomDataStaysInItsRange) {
    fillDialog.script = [](FillDialogLogic& logic) {
        FillFields f = logic.Opening();
        f.range = Range("3000", "30FF", "1800", "187F");
        f.select = 2;
        return logic.Accept(f).answer;
    };
    ASSERT_EQ(commands.FillDataClick(), RangeEnd::Done);
    const std::vector<uint8_t> filled = Bytes(0x3000, 0x100);
    // Neither left as it was nor the address bytes.
    EXPECT_NE(filled, std::vector<uint8_t>(0x100, 0));
    std::vector<uint8_t> counting(0x100);
    for (std::size_t i = 0; i < counting.size(); ++i) counting[i] = static_cast<uint8_t>(i);
    EXPECT_NE(filled, counting);
    EXPECT_EQ(Byte(0x2FFF), 0x00);
    EXPECT_EQ(Byte(0x3100), 0x00);
}

// ---- The ways out without OK -------------------------------------------------------------------

TEST_F(RangeCommands, CancelChangesNothingEvenWithAnOkAnswerRememberedFromBefore) {
    // The last run's answer in every section: a fill, a block and a sum.
    WriteSection(kFillSection,
                 {{"StartAdd", "0"}, {"EndAdd", "255"}, {"Select", "1"}, {"OK", "1"}});
    WriteSection(kBlockSection,
                 {{"StartAdd", "0"}, {"EndAdd", "255"}, {"DistSAdd", "512"}, {"OK", "1"}});
    WriteSection(kSumSection, {{"StartAdd", "0"}, {"EndAdd", "255"}, {"OK", "1"}});
    Count(0, 0x400);
    const std::vector<uint8_t> before = Bytes(0, 0x400);
    blockDialog.script = [](BlockDialogLogic& logic) {
        logic.Cancel();
        return std::optional<BlockRequest>();
    };
    fillDialog.script = [](FillDialogLogic& logic) {
        logic.Cancel();
        return std::optional<FillRequest>();
    };
    sumDialog.script = [](SumDialogLogic& logic) {
        logic.Cancel();
        return std::optional<SumRequest>();
    };
    EXPECT_EQ(commands.BlockClick(), RangeEnd::Cancelled);
    EXPECT_EQ(commands.FillDataClick(), RangeEnd::Cancelled);
    EXPECT_EQ(commands.GetSumClick(), RangeEnd::Cancelled);

    EXPECT_EQ(Bytes(0, 0x400), before);
    EXPECT_EQ(pageChanges, 0);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(field.texts.empty());
    for (const char* section : {kBlockSection, kFillSection, kSumSection})
        EXPECT_EQ(ReadKey(section, "OK"), "0") << section;
}

TEST_F(RangeCommands, ACommandWhileBusyOpensNoDialog) {
    BusyScope scope(busy);
    EXPECT_EQ(commands.BlockClick(), RangeEnd::Ignored);
    EXPECT_EQ(commands.FillDataClick(), RangeEnd::Ignored);
    EXPECT_EQ(commands.GetSumClick(), RangeEnd::Ignored);
    EXPECT_EQ(blockDialog.runs + fillDialog.runs + sumDialog.runs, 0);
}

// ---- Block -------------------------------------------------------------------------------------

TEST_F(RangeCommands, BlockRunsTheAnswerAndRefreshesThePage) {
    Count(0, 0x40);
    const std::vector<uint8_t> source = Bytes(0x10, 16);
    blockDialog.script = [](BlockDialogLogic& logic) {
        BlockFields f = logic.Opening();
        f.range = Range("10", "1F", "8", "F");
        f.dest8 = "18";
        f.action = 0;
        return logic.Accept(f).answer;
    };
    EXPECT_EQ(commands.BlockClick(), RangeEnd::Done);
    EXPECT_EQ(Bytes(0x18, 16), source);
    EXPECT_EQ(pageChanges, 1);
    EXPECT_EQ(scrolls, 1);
    EXPECT_FALSE(busy.Busy());
}

// ---- Sum
// -----------------------------------------------------------------------------------------

TEST_F(RangeCommands, SumAddsExactlyTheTypedRange) {
    // 0 .. 0x8000: end - start equals the device's 0x8000 bytes, and still
    // the last byte counts.
    FillBuffer(0x00);
    {
        BufferLock lock = buffer.GetBufferHandle();
        lock[0] = 1;
        lock[0x8000] = 0x80;
        lock[0x8001] = 0x40;
    }
    sumDialog.script = [](SumDialogLogic& logic) {
        return logic.Accept(Range("0", "8000", "0", "4000")).answer;
    };
    EXPECT_EQ(commands.GetSumClick(), RangeEnd::Done);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "SUM : 00000081");
    EXPECT_EQ(messages.shown[0].title, "Get Check Sum");
    EXPECT_EQ(field.texts, (std::vector<std::string>{"00000081"}));
    EXPECT_EQ(field.highlights, (std::vector<bool>{true}));
    EXPECT_EQ(buffer.SumStart(), 0u);
    EXPECT_EQ(buffer.SumEnd(), 0x8000u);
    EXPECT_FALSE(progress.shown);
    EXPECT_EQ(progress.shows, 1);
}

// ---- The programmer checksum of option type 1
// ------------------------------------------------------

class ProgrammerChecksum : public RangeCommands {
protected:
    void SetUp() override {
        RangeCommands::SetUp();
        SelectDevice(ValidDevice().Set("Option_Fuse_Type", "0x01"));
        ASSERT_EQ(device.FuseTypeDigit, 1);
        sim.ClearTrace();
    }
    void Status(uint8_t s0, uint16_t sum) {
        std::array<uint8_t, 16> status{};
        status[0] = s0;
        status[2] = static_cast<uint8_t>(sum & 0xFF);
        status[3] = static_cast<uint8_t>(sum >> 8);
        sim.OverrideStatus(OpExtractOptions, status);
    }
    // The Sum dialog pressed IC once, then closed with Cancel.
    std::optional<RangeFields> PressIc() {
        std::optional<RangeFields> range;
        sumDialog.script = [&](SumDialogLogic& logic) {
            range = logic.IcButton();
            logic.Cancel();
            return std::optional<SumRequest>();
        };
        EXPECT_EQ(commands.GetSumClick(), RangeEnd::Cancelled);
        return range;
    }
};

TEST_F(ProgrammerChecksum, ShowsTheStatusWordRedThenNormalForTheSameValue) {
    Status(0, 0x1234);
    Status(0, 0x1234);
    const std::optional<RangeFields> range = PressIc();
    ASSERT_TRUE(range);
    EXPECT_EQ(range->byteEnd, "000FFFF");  // 2 x (0x7FFF + 1) bytes
    const std::vector<std::string> lines = sim.TraceLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "out 49 4000 0B00"), lines.end());
    EXPECT_TRUE(sim.ProtocolErrors().empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "00001234");
    EXPECT_TRUE(messages.shown[0].plain);

    PressIc();
    EXPECT_EQ(field.texts, (std::vector<std::string>{"00001234", "00001234"}));
    EXPECT_EQ(field.highlights, (std::vector<bool>{true, false}));
    EXPECT_EQ(ErrorSounds(), 0);
    EXPECT_FALSE(busy.Busy());
}

TEST_F(ProgrammerChecksum, TheDialogsOwnRangeIsNotSummedAgain) {
    sumDialog.script = [](SumDialogLogic& logic) {
        return logic.Accept(Range("0", "FF", "0", "7F")).answer;
    };
    EXPECT_EQ(commands.GetSumClick(), RangeEnd::NothingDone);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(field.texts.empty());
}

struct ChecksumFault {
    const char* name;
    SimCallKind kind;
    int request;  // -1: any
    int nth;      // the faulted call among those that match
    bool badStatus;
    bool extractSent;  // the extract (0x0B00) went out before the end
    std::vector<std::string> shown;
};

void PrintTo(const ChecksumFault& c, std::ostream* os) { *os << c.name; }

class ProgrammerChecksumFaults : public ProgrammerChecksum,
                                 public ::testing::WithParamInterface<ChecksumFault> {};

TEST_P(ProgrammerChecksumFaults, FailWithTheFailureDisplayAndLeaveSumEdit) {
    const ChecksumFault& f = GetParam();
    if (f.badStatus) {
        Status(0x01, 0x1234);
    } else {
        sim.InjectFault(f.kind, f.nth, SimFault::Fail, f.request);
    }
    sounds.calls.clear();
    EXPECT_EQ(PressIc(), std::nullopt);
    EXPECT_TRUE(field.texts.empty());
    EXPECT_EQ(ErrorSounds(), 1);
    EXPECT_TRUE(page.Visible(StatusImage::Fail));
    if (!f.shown.empty()) {
        EXPECT_EQ(messages.Texts(), f.shown);
    }
    const std::vector<std::string> lines = sim.TraceLines();
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "out 49 4000 0B00") != lines.end(),
              f.extractSent);
    EXPECT_FALSE(busy.Busy());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgrammerChecksumFaults,
    ::testing::Values(
        // The set-up writes 12 bulk blocks; the 13th is the download's first.
        ChecksumFault{"Download", SimCallKind::BulkOut, -1, 13, false, false, {}},
        ChecksumFault{"Extract",
                      SimCallKind::VendorOut,
                      CmdExecute,
                      1,
                      false,
                      false,
                      {"Error 49! Command Fail"}},
        ChecksumFault{"StatusRequest", SimCallKind::VendorIn, CmdStatus, 1, false, true, {}},
        ChecksumFault{"StatusFailed", SimCallKind::VendorIn, -1, 1, true, true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgrammerChecksum, NoProgrammerShowsTheVerifyStepFailed) {
    sim.ClearSlots();
    EXPECT_EQ(PressIc(), std::nullopt);
    EXPECT_TRUE(page.Visible(CopyStep::Verify, StepImage::Fail));
    EXPECT_FALSE(page.Visible(CopyStep::Verify, StepImage::Pass));
    EXPECT_TRUE(field.texts.empty());
}

}  // namespace
}  // namespace burnmark::testing
