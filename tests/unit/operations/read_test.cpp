// Read: the chunks on the wire for every shape of device, where the chip's
// bytes land in the buffer (and nowhere else), the checksum shown, the
// option words of the chip, the automatic confirm and how a read fails.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <numeric>

#include "fusemap/jedec.h"
#include "operation_rig.h"
#include "operations/chip_transfer.h"

namespace burnmark::testing {
namespace {

uint32_t ByteSum(const std::vector<uint8_t>& bytes) {
    return std::accumulate(bytes.begin(), bytes.end(), uint32_t{0});
}

// Fakes the option pages' side of a read.
class RecordingReadBack : public OptionReadBack {
public:
    bool ReadOptionData() override {
        ++reads;
        return readSucceeds;
    }
    void StoreOptionWords() override { ++stores; }
    int reads = 0;
    int stores = 0;
    bool readSucceeds = true;
};

struct ReadShape {
    const char* name;
    DeviceShape shape;
    std::vector<SentWords> main;  // (bank, offset, size word) per OpRead
    std::vector<SentWords> ext;   // the same per OpReadExt
    int dataReads;                // 0x4B requests, one per 32 KB half
};

void PrintTo(const ReadShape& c, std::ostream* os) { *os << c.name; }

class ReadShapeTest : public ::testing::TestWithParam<ReadShape> {};

TEST_P(ReadShapeTest, ChipLandsAtItsPlacesInTheBufferAndNothingBeyond) {
    const ReadShape& c = GetParam();
    OperationRig rig;
    rig.UseDevice(c.shape);
    rig.FillChipPattern();
    rig.sim.Chip().beyondArea = 0x5A;  // what a chunk carries past the chip's areas
    rig.FillBufferPattern();
    const std::vector<uint8_t> before = rig.BufferBytes(0, rig.buffer.GetBufferSize());

    ASSERT_TRUE(rig.readBacks.readClick());
    EXPECT_EQ(rig.Executed(OpRead), c.main);
    EXPECT_EQ(rig.Executed(OpReadExt), c.ext);
    EXPECT_EQ(rig.sim.Executions().size(), c.main.size() + c.ext.size());
    EXPECT_EQ(rig.Requests(CmdDataRead), c.dataReads);
    EXPECT_TRUE(rig.sim.ProtocolErrors().empty());
    for (const SimExecution& e : rig.sim.Executions()) {
        EXPECT_EQ(e.vcc, rig.device.Voltages[kReadVcc]);
        EXPECT_EQ(e.vhh, rig.device.Voltages[kReadVhh]);
    }

    const std::vector<uint8_t>& main = rig.sim.Chip().main;
    const std::vector<uint8_t>& ext = rig.sim.Chip().ext;
    EXPECT_TRUE(rig.BufferBytes(0, main.size()) == main);
    EXPECT_TRUE(rig.BufferBytes(main.size(), ext.size()) == ext);
    const uint64_t end = main.size() + ext.size();
    const std::vector<uint8_t> after = rig.BufferBytes(0, rig.buffer.GetBufferSize());
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(std::equal(after.begin() + end, after.end(), before.begin() + end))
        << "bytes past the device changed";

    EXPECT_EQ(rig.field.texts.back(), ChecksumDisplay::Format(ByteSum(main) + ByteSum(ext)));
    EXPECT_EQ(rig.frame.Run.ReadOkFlag, 1);
    EXPECT_EQ(rig.page.Top(CopyStep::Read), StepImage::Pass);
    EXPECT_EQ(rig.page.ProgressBar2().position, rig.page.ProgressBar2().maximum);
    EXPECT_TRUE(rig.page.MultiVisible());
    EXPECT_FALSE(rig.buffer.Locked());
    EXPECT_TRUE(rig.messages.shown.empty());
    EXPECT_EQ(rig.FailSounds(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, ReadShapeTest,
    ::testing::Values(
        ReadShape{"Byte32K", {"0x00FF", 0, 0x7FFF}, {{0, 0, 0x8000}}, {}, 1},
        ReadShape{"Byte64K", {"0x00FF", 0, 0xFFFF}, {{0, 0, 0}}, {}, 2},
        // The last bank holds 32 KB: 32 KB are placed there, not 64.
        ReadShape{"Byte96K", {"0x00FF", 1, 0x7FFF}, {{0, 0, 0}, {1, 0, 0}}, {}, 3},
        ReadShape{"Byte128K", {"0x00FF", 1, 0xFFFF}, {{0, 0, 0}, {1, 0, 0}}, {}, 4},
        ReadShape{"Byte160K", {"0x00FF", 2, 0x7FFF}, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}, {}, 5},
        ReadShape{"Byte512K",
                  {"0x00FF", 7, 0xFFFF},
                  {{0, 0, 0},
                   {1, 0, 0},
                   {2, 0, 0},
                   {3, 0, 0},
                   {4, 0, 0},
                   {5, 0, 0},
                   {6, 0, 0},
                   {7, 0, 0}},
                  {},
                  16},
        ReadShape{"Byte32KWithExt1K",
                  {"0x00FF", 0, 0x7FFF, 0, 0x03FF},
                  {{0, 0, 0x8000}},
                  {{0, 0, 0x0400}},
                  2},
        // An extended area of two banks is read whole.
        ReadShape{"Byte64KWithExt128K",
                  {"0x00FF", 0, 0xFFFF, 1, 0xFFFF},
                  {{0, 0, 0}},
                  {{0, 0, 0}, {1, 0, 0}},
                  6},
        ReadShape{"Word16K", {"0xFFFF", 0, 0x3FFF}, {{0, 0, 0x8000}}, {}, 1},
        ReadShape{"Word32K", {"0xFFFF", 0, 0x7FFF}, {{0, 0, 0}}, {}, 2},
        ReadShape{"Word64K", {"0xffff", 0, 0xFFFF}, {{0, 0, 0}, {0, 0x8000, 0}}, {}, 4},
        ReadShape{"Word128K",
                  {"0xFFFF", 1, 0xFFFF},
                  {{0, 0, 0}, {0, 0x8000, 0}, {1, 0, 0}, {1, 0x8000, 0}},
                  {},
                  8},
        // 128K words and one: a third bank though the low address word is 0.
        ReadShape{"Word128KAndOne",
                  {"0xFFFF", 2, 0x0000},
                  {{0, 0, 0}, {0, 0x8000, 0}, {1, 0, 0}, {1, 0x8000, 0}, {2, 0, 0}},
                  {},
                  9},
        // 65536 + 16384 words: two banks, the second one chunk of one half.
        ReadShape{"Word80K", {"0xFFFF", 1, 0x3FFF}, {{0, 0, 0}, {0, 0x8000, 0}, {1, 0, 0}}, {}, 5},
        ReadShape{"Word32KWithExt40K",
                  {"0xFFFF", 0, 0x7FFF, 0, 0x9FFF},
                  {{0, 0, 0}},
                  {{0, 0, 0}, {0, 0x8000, 0}},
                  5}),
    [](const ::testing::TestParamInfo<ReadShape>& info) { return info.param.name; });

// The read from a start bank above 0 reads only that bank on and keeps the
// buffer below it.
TEST(ReadTest, StartBankReadsFromItsBankAndLeavesTheBanksBelow) {
    OperationRig rig;
    rig.UseDevice({"0x00FF", 2, 0x7FFF, 0, 0, 1});
    rig.FillChipPattern();
    rig.FillBufferPattern();
    const std::vector<uint8_t> firstBank = rig.BufferBytes(0, 0x10000);
    ASSERT_TRUE(rig.readBacks.readClick());
    EXPECT_EQ(rig.Executed(OpRead), (std::vector<SentWords>{{1, 0, 0}, {2, 0, 0}}));
    EXPECT_TRUE(rig.BufferBytes(0, 0x10000) == firstBank);
    const std::vector<uint8_t>& chip = rig.sim.Chip().main;
    EXPECT_TRUE(rig.BufferBytes(0x10000, chip.size() - 0x10000) ==
                std::vector<uint8_t>(chip.begin() + 0x10000, chip.end()));
}

TEST(ReadTest, ReadModeHighByteChoosesTheEngine) {
    struct Case {
        const char* name;
        const char* width;
        uint16_t readMode;
        int dataReads;  // 0x4B requests
    };
    const Case cases[] = {
        {"Byte0", "0x00FF", 0x0001, 1},
        {"Byte1", "0x00FF", 0x0110, 1},
        {"Word4", "0xFFFF", 0x0410, 2},
        // Engines 2, 3 and 5 up read no data; the set-up still runs.
        {"NoEngine2", "0x00FF", 0x0210, 0},
        {"NoEngine5", "0xFFFF", 0x0510, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        rig.UseDevice({c.width, 0, 0x7FFF});
        rig.device.DeviceParamBlock.SetWord(param::read_mode, c.readMode);
        rig.FillChipPattern();
        rig.frame.Run.ReadOkFlag = 1;  // left by an earlier good read
        // The set-up runs, so the read passes even where nothing is read.
        ASSERT_TRUE(rig.readBacks.readClick());
        EXPECT_EQ(rig.Requests(CmdDataRead), c.dataReads);
        EXPECT_EQ(rig.Executed(OpRead).size(), c.dataReads > 0 ? 1u : 0u);
        EXPECT_EQ(rig.sim.TraceLines().at(1), "open");
        // Nothing read, nothing to confirm.
        EXPECT_EQ(rig.frame.Run.ReadOkFlag, c.dataReads > 0 ? 1 : 0);
        if (c.dataReads > 0) {
            const std::vector<uint8_t>& chip = rig.sim.Chip().main;
            EXPECT_TRUE(rig.BufferBytes(0, chip.size()) == chip);
        }
    }
}

TEST(ReadTest, AReadLoadsTheDeviceOnceAndSizesTheBufferFromThatLoad) {
    OperationRig rig;
    // The device file names an FPGA file that is not there: its load says so
    // once, and the read refuses the programmer silently.
    std::ifstream sample(std::string(BURNMARK_SAMPLE_DIR) + "/INI/ATMEL/AT89C51.INI");
    std::string text((std::istreambuf_iterator<char>(sample)), std::istreambuf_iterator<char>());
    const std::size_t at = text.find("UserWav=MCU51.BIN");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 17, "UserWav=NOPE.BIN");
    rig.device.IcFileName = rig.dir.Write("INI/DEV.INI", text);
    rig.readBacks.read_nClick();
    const std::vector<std::string> texts = rig.messages.Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(std::count(texts.begin(), texts.end(), texts.front()), 1) << texts.front();
    EXPECT_TRUE(rig.sim.Trace().empty());
    EXPECT_EQ(rig.page.Top(CopyStep::Read), StepImage::Ready);
    EXPECT_TRUE(rig.page.Visible(CopyStep::Read, StepImage::Fail));
}

TEST(ReadTest, SizesTheBufferForTheDeviceBeforeItPlaces) {
    for (const char* width : {"0x00FF", "0xFFFF"}) {
        SCOPED_TRACE(width);
        OperationRig rig;
        rig.UseDevice({width, 1, 0xFFFF, 0, 0x03FF});
        rig.buffer.SetBufferSize(0x1000);
        rig.sizing.LoadedBufferSize = 0;
        rig.FillChipPattern();
        ASSERT_TRUE(rig.readBacks.readClick());
        // The extended area behind the main area fits as well.
        const std::vector<uint8_t>& chip = rig.sim.Chip().main;
        const std::vector<uint8_t>& ext = rig.sim.Chip().ext;
        ASSERT_GE(rig.buffer.GetBufferSize(), chip.size() + ext.size());
        EXPECT_TRUE(rig.BufferBytes(0, chip.size()) == chip);
        EXPECT_TRUE(rig.BufferBytes(chip.size(), ext.size()) == ext);
    }
}

// ---- Fuse maps and option types ----------------------------------------------------------------

TEST(ReadTest, FuseMapDeviceReadsItsFusesIntoTheMapAndShowsTheFuseChecksum) {
    OperationRig rig;
    // 2048 fuses; the chip's area (65564 bytes) is what the device words give.
    rig.UseDevice({"0x00FF", 1, 0x001B});
    rig.device.HasFuseMap = 1;
    ASSERT_TRUE(rig.fuseMap.InitFuseBuffer({2048, 32, 64, 20, 0}));
    rig.fuseMap.OnChecksumShown = [&](const std::string& text, bool changed) {
        rig.checksum.ShowText(text, changed);
    };
    int redraws = 0;
    rig.fuseMap.OnRefreshView = [&] { ++redraws; };
    std::vector<uint8_t>& chip = rig.sim.Chip().main;
    std::fill(chip.begin(), chip.end(), uint8_t{0x77});  // past the fuses: not fuses
    for (std::size_t i = 0; i < 2048; ++i) chip[i] = i % 3 == 0 ? 1 : 0;
    rig.FillBufferPattern();
    const std::vector<uint8_t> buffer = rig.BufferBytes(0, rig.buffer.GetBufferSize());

    ASSERT_TRUE(rig.readBacks.readClick());
    const std::span<const uint8_t> fuses = rig.fuseMap.GetFuseBuffer();
    EXPECT_TRUE(std::vector<uint8_t>(fuses.begin(), fuses.end()) ==
                std::vector<uint8_t>(chip.begin(), chip.begin() + 2048));
    EXPECT_EQ(rig.fuseMap.FuseAt(2048), kNoFuse);
    EXPECT_TRUE(rig.BufferBytes(0, rig.buffer.GetBufferSize()) == buffer)
        << "the data buffer is not the target";
    EXPECT_EQ(rig.field.texts.back(), FuseChecksumText(rig.fuseMap.FuseChecksum()));
    EXPECT_GE(redraws, 1);
    EXPECT_EQ(rig.page.Top(CopyStep::Read), StepImage::Pass);
}

TEST(ReadTest, OptionTypeOneShowsTheChipsChecksumAndTakesItsOptionBlock) {
    for (const char* width : {"0x00FF", "0xFFFF"}) {
        SCOPED_TRACE(width);
        OperationRig rig;
        rig.UseDevice({width, 0, 0x0FFF, 0, 0x00FF});
        rig.device.FuseTypeDigit = 1;
        RecordingReadBack readBack;
        rig.readBacks.SetOptionReadBack(&readBack);
        rig.FillChipPattern();
        for (std::size_t i = 0; i < 256; ++i)
            rig.sim.Chip().chipOptionBlock[i] = static_cast<uint8_t>(i ^ 0x5C);

        ASSERT_TRUE(rig.readBacks.readClick());
        // No extended area of its own: the programmer's devices read their
        // whole device through the main area.
        EXPECT_TRUE(rig.Executed(OpReadExt).empty());
        const uint16_t chipSum = static_cast<uint16_t>(ByteSum(rig.sim.Chip().main));
        EXPECT_EQ(rig.field.texts.back(), ChecksumDisplay::Format(chipSum));
        EXPECT_EQ(rig.options.ChipOptionWords[0], 0x5D5C);
        EXPECT_EQ(rig.options.ChipOptionWords[127], 0xA3A2);
        EXPECT_EQ(readBack.stores, 1);
        EXPECT_EQ(readBack.reads, 0);

        // A block that does not arrive whole leaves the words as they were.
        rig.sim.Chip().chipOptionBlock.fill(0x11);
        rig.sim.InjectFault(SimCallKind::BulkIn, 2, SimFault::Short);  // after the one data half
        EXPECT_FALSE(rig.readBacks.readClick());
        EXPECT_EQ(rig.messages.Texts(), std::vector<std::string>{kErrBlockReadData});
        EXPECT_EQ(rig.options.ChipOptionWords[0], 0x5D5C);
        EXPECT_EQ(readBack.stores, 1);
    }
}

// The programmer's checksum of the chip turns the field red when it changed
// on the 16-bit read only; the 8-bit read shows it and leaves the colour and
// the last checksum alone.
TEST(ReadTest, OptionTypeOneChecksumColourFollowsTheReadsWidth) {
    struct Case {
        const char* width;
        std::vector<bool> highlights;  // the first read, then the same chip again
        bool remembered;               // LastChecksum takes the chip's sum
    };
    const Case cases[] = {
        {"0x00FF", {}, false},
        {"0xFFFF", {true, false}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        OperationRig rig;
        rig.UseDevice({c.width, 0, 0x0FFF});
        rig.device.FuseTypeDigit = 1;
        rig.FillChipPattern();
        rig.checksum.SetLastChecksum(0x12345678);
        rig.field.highlights.clear();

        ASSERT_TRUE(rig.readBacks.readClick());
        ASSERT_TRUE(rig.readBacks.readClick());
        const uint16_t chipSum = static_cast<uint16_t>(ByteSum(rig.sim.Chip().main));
        EXPECT_EQ(rig.field.texts.back(), ChecksumDisplay::Format(chipSum));
        EXPECT_EQ(rig.field.highlights, c.highlights);
        EXPECT_EQ(rig.checksum.LastChecksum(), c.remembered ? chipSum : 0x12345678u);
    }
}

TEST(ReadTest, OptionWordTailRunsAfterAGoodReadOnlyAndTakesTheWordsOnAPass) {
    struct Case {
        const char* name;
        uint16_t fuseType;
        bool wired;
        std::function<void(OperationRig&)> arrange;
        int extracts;  // OpExtractOptions executions
        int reads;     // read-backs asked of the option pages
        bool ok;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"Type2", 2, true, [](OperationRig&) {}, 1, 1, true, {}},
        {"Type3", 3, true, [](OperationRig&) {}, 1, 1, true, {}},
        {"Type0HasNone", 0, true, [](OperationRig&) {}, 0, 0, true, {}},
        {"NotWiredYet", 2, false, [](OperationRig&) {}, 0, 0, true, {}},
        {"AfterAFailedRead",
         2,
         true,
         [](OperationRig& r) {
             r.sim.OverrideStatus(OpRead, {1, 0});
         },
         0,
         0,
         false,
         {kErrCannotRead}},
        {"ExtractRequestFails",
         2,
         true,
         [](OperationRig& r) {
             r.sim.InjectFault(SimCallKind::VendorOut, 2, SimFault::Fail, CmdExecute);
         },
         0,
         0,
         false,
         {kErrExecute49}},
        {"ExtractStatusFails",
         2,
         true,
         [](OperationRig& r) {
             r.sim.OverrideStatus(OpExtractOptions, {1, 0});
         },
         1,
         0,
         false,
         {}},
        {"ExtractStatusRequestFails",
         2,
         true,
         [](OperationRig& r) {
             r.sim.InjectFault(SimCallKind::VendorIn, 2, SimFault::Fail, CmdStatus);
         },
         1,
         0,
         false,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        rig.device.FuseTypeDigit = c.fuseType;
        RecordingReadBack readBack;
        if (c.wired) rig.readBacks.SetOptionReadBack(&readBack);
        c.arrange(rig);
        EXPECT_EQ(rig.readBacks.readClick(), c.ok);
        int extracts = 0;
        for (const SimExecution& e : rig.sim.Executions())
            extracts += e.operation == OpExtractOptions;
        EXPECT_EQ(extracts, c.extracts);
        EXPECT_EQ(readBack.reads, c.reads);
        EXPECT_EQ(rig.messages.Texts(), c.messages);
        EXPECT_EQ(rig.frame.Run.ReadOkFlag, c.ok ? 1 : 0);
        EXPECT_EQ(rig.FailSounds(), c.ok ? 0 : 1);
        if (!c.ok) {
            EXPECT_TRUE(rig.page.Visible(CopyStep::Read, StepImage::Fail));
        }
    }

    // A read-back that fails fails the read.
    OperationRig rig;
    rig.device.FuseTypeDigit = 3;
    RecordingReadBack readBack;
    readBack.readSucceeds = false;
    rig.readBacks.SetOptionReadBack(&readBack);
    EXPECT_FALSE(rig.readBacks.readClick());
    EXPECT_EQ(rig.frame.Run.ReadOkFlag, 0);
}

// ---- The Read step -----------------------------------------------------------------------------

TEST(ReadStepTest, KeepsTheTicksAndConfirmsWhatItReadWhenAsked) {
    struct Case {
        const char* name;
        DeviceShape shape;
        uint16_t fuseType;
        bool confirm;
        std::vector<uint16_t> operations;  // executed, in order
        int passSounds;
    };
    const DeviceShape withExt{"0x00FF", 0, 0x7FFF, 0, 0x03FF};
    const Case cases[] = {
        {"NoConfirm", {"0x00FF", 0, 0x7FFF}, 0, false, {OpRead}, 1},
        {"Confirm", {"0x00FF", 0, 0x7FFF}, 0, true, {OpRead, OpRead}, 1},
        {"ConfirmWithExtArea", withExt, 0, true, {OpRead, OpReadExt, OpRead, OpReadExt}, 1},
        // Option type 1 confirms on the programmer, twice, reading no data.
        {"ConfirmOnTheProgrammer", withExt, 1, true, {OpRead, OpVerify, OpVerify}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        rig.UseDevice(c.shape);
        rig.device.FuseTypeDigit = c.fuseType;
        rig.FillChipPattern();
        rig.page.SetChecked(CopyCheckBox::check_confirm, c.confirm);
        // The operator's ticks, protect among them.
        rig.page.SetChecked(CopyCheckBox::CheckBox1, false);
        rig.page.SetChecked(CopyCheckBox::CheckBox5, true);
        rig.frame.Run.ReadOkFlag = 1;  // left from an earlier read

        rig.readBacks.read_nClick();
        std::vector<uint16_t> operations;
        for (const SimExecution& e : rig.sim.Executions()) operations.push_back(e.operation);
        EXPECT_EQ(operations, c.operations);
        // One set-up, the read's: the confirm runs on it.
        const std::vector<std::string> wire = rig.sim.TraceLines();
        EXPECT_EQ(std::count(wire.begin(), wire.end(), "open"), 1);
        EXPECT_FALSE(rig.page.Box(CopyCheckBox::CheckBox1).checked);
        EXPECT_TRUE(rig.page.Box(CopyCheckBox::CheckBox5).checked);
        EXPECT_EQ(rig.page.Top(CopyStep::Read), StepImage::Pass);
        EXPECT_EQ(rig.page.Top(CopyStep::Confirm), c.confirm ? StepImage::Pass : StepImage::Ready);
        EXPECT_EQ(rig.frame.Run.ReadOkFlag, c.confirm ? 0 : 1);
        EXPECT_EQ(rig.PassSounds(), c.passSounds);
        EXPECT_EQ(rig.FailSounds(), 0);
        EXPECT_TRUE(rig.messages.shown.empty());
        for (const SimExecution& e : rig.sim.Executions())
            EXPECT_EQ(e.vpp, rig.device.Voltages[kReadVpp]);
    }
}

TEST(ReadStepTest, AFailedReadStartsNoConfirmEvenAfterAGoodOne) {
    OperationRig rig;
    rig.page.SetChecked(CopyCheckBox::check_confirm, true);
    rig.frame.Run.ReadOkFlag = 1;
    rig.sim.OverrideStatus(OpRead, {1, 0});
    rig.readBacks.read_nClick();
    EXPECT_EQ(rig.Executed(OpRead).size(), 1u);
    EXPECT_EQ(rig.frame.Run.ReadOkFlag, 0);
    EXPECT_EQ(rig.page.Top(CopyStep::Confirm), StepImage::Ready);
}

TEST(ReadStepTest, RerunFromThePassPictureSoundsTwiceWithoutConfirm) {
    OperationRig rig;
    rig.page.SetChecked(CopyCheckBox::check_confirm, false);
    rig.readBacks.read_nClick();
    rig.sounds.calls.clear();
    bool guarded = false;
    rig.pump.onProcess = [&] {
        if (guarded) return;
        guarded = true;
        // A click on the Read step while the pictures reset sends nothing.
        const std::size_t before = rig.sim.Trace().size();
        EXPECT_EQ(rig.frame.Guards.ReadGuard, 1u);
        EXPECT_TRUE(rig.readBacks.readClick());
        EXPECT_EQ(rig.sim.Trace().size(), before);
    };
    rig.readBacks.read_pClick();
    EXPECT_TRUE(guarded);
    EXPECT_EQ(rig.Executed(OpRead).size(), 2u);
    EXPECT_EQ(rig.PassSounds(), 2);
    EXPECT_EQ(rig.page.Top(CopyStep::Read), StepImage::Pass);
    EXPECT_EQ(rig.frame.Guards.ReadGuard, 0u);
}

// ---- Failures -----------------------------------------------------------------------------------

struct ReadFailure {
    const char* name;
    DeviceShape shape;
    std::function<void(OperationRig&)> arrange;
    std::vector<std::string> messages;
    // The last call on the wire: nothing goes out after the failure.
    std::string lastLine;
    // The steps are offered again: a chip that could not be read, or no set-up.
    bool reOffered = false;
};

void PrintTo(const ReadFailure& c, std::ostream* os) { *os << c.name; }

class ReadFailureTest : public ::testing::TestWithParam<ReadFailure> {};

TEST_P(ReadFailureTest, FailsOnceAndSendsNothingAfter) {
    const ReadFailure& c = GetParam();
    OperationRig rig;
    rig.UseDevice(c.shape);
    rig.device.DeviceParamBlock.SetWord(param::blank_mode, 0);  // no blank check to offer
    rig.page.SetEnabled(CopyControl::CopyEraseBtn, false);
    for (StepImage image : {StepImage::Ready, StepImage::Highlight, StepImage::Working})
        rig.page.Hide(CopyStep::Load, image);
    rig.frame.Run.RunReady = 0;
    c.arrange(rig);

    rig.readBacks.read_nClick();
    EXPECT_EQ(rig.messages.Texts(), c.messages);
    EXPECT_EQ(rig.FailSounds(), 1);
    EXPECT_EQ(rig.PassSounds(), 0);
    EXPECT_EQ(rig.page.Status(), StatusLook::Failed);
    EXPECT_TRUE(rig.page.Visible(CopyStep::Read, StepImage::Fail));
    EXPECT_FALSE(rig.page.Visible(CopyStep::Read, StepImage::Pass));
    EXPECT_EQ(rig.frame.Run.ReadOkFlag, 0);
    if (!c.lastLine.empty()) {
        ASSERT_FALSE(rig.sim.Trace().empty());
        EXPECT_EQ(rig.sim.TraceLines().back(), c.lastLine);
    }
    EXPECT_FALSE(rig.buffer.Locked());

    EXPECT_EQ(rig.page.Top(CopyStep::Read), c.reOffered ? StepImage::Ready : StepImage::Fail);
    EXPECT_EQ(rig.frame.Run.RunReady, c.reOffered ? 1 : 0);
    // Erase is offered again; blank check, which the device lacks, is not.
    EXPECT_EQ(rig.page.Top(CopyStep::Check), StepImage::Off);
    if (c.reOffered) {
        EXPECT_EQ(rig.page.Top(CopyStep::Erase), StepImage::Ready);
        EXPECT_TRUE(rig.page.Enabled(CopyControl::CopyEraseBtn));
        EXPECT_EQ(rig.page.Top(CopyStep::Load), StepImage::Ready);
    }
}

const DeviceShape kByte128K{"0x00FF", 1, 0xFFFF};
const DeviceShape kWord128K{"0xFFFF", 1, 0xFFFF};
const DeviceShape kByteExt{"0x00FF", 0, 0x7FFF, 0, 0x03FF};

// The set-up sends four 0x47 requests and eleven bulk writes.
INSTANTIATE_TEST_SUITE_P(
    Cases, ReadFailureTest,
    ::testing::Values(
        ReadFailure{"NoProgrammer",
                    kByte128K,
                    [](OperationRig& r) { r.sim.ClearSlots(); },
                    {kHardwareMissingText},
                    "open FAIL",
                    true},
        ReadFailure{"SecondChunkParamBlock",
                    kByte128K,
                    [](OperationRig& r) {
                        r.sim.InjectFault(SimCallKind::VendorOut, 6, SimFault::Fail, 0x47);
                    },
                    {},
                    "out 47 0B00 0080 FAIL"},
        ReadFailure{"SecondChunkParamBlockData",
                    kWord128K,
                    [](OperationRig& r) { r.sim.InjectFault(SimCallKind::BulkOut, 13); },
                    {},
                    "bulk-out 128 FAIL"},
        ReadFailure{"Execute",
                    kByte128K,
                    [](OperationRig& r) {
                        r.sim.InjectFault(SimCallKind::VendorOut, 2, SimFault::Fail, CmdExecute);
                    },
                    {kErrExecute},
                    "out 49 4000 0100 FAIL"},
        ReadFailure{"StatusRequest",
                    kByte128K,
                    [](OperationRig& r) {
                        r.sim.InjectFault(SimCallKind::VendorIn, 1, SimFault::Fail, CmdStatus);
                    },
                    {},
                    "in 42 0000 0000 16 FAIL"},
        ReadFailure{"ChipError",
                    kByte128K,
                    [](OperationRig& r) {
                        r.sim.OverrideStatus(OpRead, {1, 0});
                    },
                    {kErrCannotRead},
                    "in 42 0000 0000 16",
                    true},
        ReadFailure{"ChipProtected",
                    kByte128K,
                    [](OperationRig& r) { r.sim.Chip().protectedFlag = true; },
                    {kErrChipProtected},
                    "in 42 0000 0000 16",
                    true},
        ReadFailure{"ExtAreaProtectedIsAnError",
                    kByteExt,
                    [](OperationRig& r) {
                        r.sim.OverrideStatus(OpReadExt, {0, 4});
                    },
                    {kErrCannotRead},
                    "in 42 0000 0000 16",
                    true},
        ReadFailure{"WordChipProtected",
                    kWord128K,
                    [](OperationRig& r) { r.sim.Chip().protectedFlag = true; },
                    {kErrChipProtected},
                    "in 42 0000 0000 16",
                    true},
        ReadFailure{"WordSecondChunkError",
                    kWord128K,
                    [](OperationRig& r) {
                        r.sim.OverrideStatus(OpRead, {0, 0});
                        r.sim.OverrideStatus(OpRead, {1, 0});
                    },
                    {kErrCannotReadComma},
                    "in 42 0000 0000 16",
                    true},
        ReadFailure{"DataRequest",
                    kByte128K,
                    [](OperationRig& r) {
                        r.sim.InjectFault(SimCallKind::VendorOut, 3, SimFault::Fail, CmdDataRead);
                    },
                    {},
                    "out 4B 8000 8000 FAIL"},
        ReadFailure{"WordDataRequest",
                    kWord128K,
                    [](OperationRig& r) {
                        r.sim.InjectFault(SimCallKind::VendorOut, 3, SimFault::Fail, CmdDataRead);
                    },
                    {kErrDataRead},
                    "out 4B 8000 8000 FAIL"},
        ReadFailure{
            "ShortHalf",
            kByte128K,
            [](OperationRig& r) { r.sim.InjectFault(SimCallKind::BulkIn, 2, SimFault::Short); },
            {},
            "bulk-in 32768 FAIL"},
        ReadFailure{"WordHalf",
                    kWord128K,
                    [](OperationRig& r) { r.sim.InjectFault(SimCallKind::BulkIn, 4); },
                    {kErrReadData},
                    "bulk-in 32768 FAIL"},
        ReadFailure{"ChunkAllocation",
                    kByte128K,
                    [](OperationRig& r) { r.frame.chunksBeforeFailure = 1; },
                    {kErrChunkAlloc},
                    "bulk-in 32768"},
        ReadFailure{"WordChunkAllocation",
                    kWord128K,
                    [](OperationRig& r) { r.frame.chunksBeforeFailure = 0; },
                    {kErrChunkAlloc128},
                    "bulk-out 16384"},
        ReadFailure{"StartBankPastTheDevice",
                    {"0x00FF", 1, 0xFFFF, 0, 0, 2},
                    [](OperationRig&) {},
                    {},
                    "bulk-out 16384"},
        ReadFailure{"FuseMapWithoutItsMap",
                    {"0x00FF", 1, 0x001B},
                    [](OperationRig& r) { r.device.HasFuseMap = 1; },
                    {kErrNoBufferHandle},
                    "bulk-out 16384"},
        ReadFailure{"OptionBlockRequest",
                    kByte128K,
                    [](OperationRig& r) {
                        r.device.FuseTypeDigit = 1;
                        r.sim.InjectFault(SimCallKind::VendorOut, 1, SimFault::Fail, CmdBlockRead);
                    },
                    {kErrBlockRead},
                    "out 46 0E00 0100 FAIL"},
        ReadFailure{"OptionBlockData",
                    kWord128K,
                    [](OperationRig& r) {
                        r.device.FuseTypeDigit = 1;
                        r.sim.InjectFault(SimCallKind::BulkIn, 9);
                    },
                    {kErrBlockReadData},
                    "bulk-in 256 FAIL"}),
    [](const ::testing::TestParamInfo<ReadFailure>& info) { return info.param.name; });

TEST(ReadFailureTest2, ABufferThatCannotHoldTheDeviceTakesNothing) {
    OperationRig rig(0x30000);  // no block beyond 192 KB
    rig.UseDevice({"0x00FF", 3, 0xFFFF});
    rig.messages.Clear();
    rig.readBacks.read_nClick();
    EXPECT_EQ(rig.frame.Run.ReadOkFlag, 0);
    EXPECT_TRUE(rig.Executed(OpRead).empty());
    EXPECT_TRUE(rig.page.Visible(CopyStep::Read, StepImage::Fail));
    EXPECT_EQ(rig.FailSounds(), 1);
}

TEST(PlaceChunkTest, PlacesNoByteAtOrPastTheDestinationsEnd) {
    TransferChunk chunk;
    for (std::size_t i = 0; i < chunk.bytes.size(); ++i) chunk.bytes[i] = static_cast<uint8_t>(i);
    std::vector<uint8_t> dest(0x18000, 0xEE);
    EXPECT_EQ(PlaceChunk(dest, 0x10000, chunk, 0x10000), 0x8000u);
    EXPECT_EQ(dest[0xFFFF], 0xEE);
    EXPECT_EQ(dest[0x10001], 0x01);
    EXPECT_EQ(dest.back(), 0xFF);
    EXPECT_EQ(PlaceChunk(dest, 0, chunk, 0x20), 0x20u);
    EXPECT_EQ(dest[0x20], 0xEE);
    EXPECT_EQ(PlaceChunk(dest, dest.size(), chunk, 0x10000), 0u);
}

}  // namespace
}  // namespace burnmark::testing
