// Program, extended-area program and buffer download: the chunk sequence on
// the wire, what lands in the chip or the programmer, and the failures.
#include <gtest/gtest.h>

#include <functional>

#include "operation_rig.h"

namespace burnmark::testing {
namespace {

struct ChunkCase {
    const char* name;
    DeviceShape shape;
    std::vector<SentWords> program;   // (bank, offset, word 0x14) per programmed chunk
    std::vector<SentWords> download;  // the same for the download
};

void PrintTo(const ChunkCase& c, std::ostream* os) { *os << c.name; }

class ChunkingTest : public ::testing::TestWithParam<ChunkCase> {};

TEST_P(ChunkingTest, ProgramWritesTheBufferIntoTheChip) {
    const ChunkCase& c = GetParam();
    OperationRig rig;
    rig.UseDevice(c.shape);
    rig.FillBufferPattern();

    ASSERT_TRUE(rig.downloads.program_1Click(kModeReady));
    EXPECT_EQ(rig.Executed(OpProgram), c.program);
    EXPECT_EQ(rig.ChunkWords(), c.program);
    EXPECT_EQ(rig.sim.ParamWord(param::CurrentVpp), rig.device.Voltages[kProgramVpp]);
    EXPECT_TRUE(rig.sim.ProtocolErrors().empty());

    // The banks before the device's start bank stay blank.
    const uint64_t bankBytes = rig.sim.Chip().wide ? 0x20000 : 0x10000;
    const std::vector<uint8_t>& chip = rig.sim.Chip().main;
    const uint64_t skipped = std::min<uint64_t>(c.shape.startHi * bankBytes, chip.size());
    EXPECT_EQ(std::vector<uint8_t>(chip.begin(), chip.begin() + skipped),
              std::vector<uint8_t>(skipped, 0xFF));
    EXPECT_TRUE(std::vector<uint8_t>(chip.begin() + skipped, chip.end()) ==
                rig.BufferBytes(skipped, chip.size() - skipped));
    EXPECT_FALSE(rig.buffer.Locked());
    EXPECT_EQ(rig.page.Top(CopyStep::Program), StepImage::Pass);
    EXPECT_EQ(rig.page.ProgressBar2().position, rig.page.ProgressBar2().maximum);
    EXPECT_EQ(rig.PassSounds(), 1);
}

TEST_P(ChunkingTest, DownloadPutsTheBufferIntoTheProgrammer) {
    const ChunkCase& c = GetParam();
    OperationRig rig;
    rig.UseDevice(c.shape);
    rig.FillBufferPattern(0x81);
    rig.OpenAsRunDid();

    ASSERT_TRUE(rig.downloads.SendBufferToProgrammer());
    EXPECT_EQ(rig.ChunkWords(), c.download);
    EXPECT_TRUE(rig.sim.Executions().empty());
    EXPECT_TRUE(rig.sim.ProtocolErrors().empty());
    const uint64_t n = rig.device.DeviceBytes;
    ASSERT_GE(rig.sim.Download().size(), n);
    EXPECT_TRUE(std::vector<uint8_t>(rig.sim.Download().begin(), rig.sim.Download().begin() + n) ==
                rig.BufferBytes(0, n));
    EXPECT_FALSE(rig.buffer.Locked());
    EXPECT_EQ(rig.PassSounds(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, ChunkingTest,
    ::testing::Values(
        ChunkCase{"Byte32K", {"0x00FF", 0, 0x7FFF}, {{0, 0, 0x7FFF}}, {{0, 0, 0x8001}}},
        ChunkCase{"Byte64K", {"0x00ff", 0, 0xFFFF}, {{0, 0, 0xFFFF}}, {{0, 0, 0}}},
        ChunkCase{"Byte128K", {"0x00FF", 1, 0xFFFF}, {{0, 0, 0}, {1, 0, 0}},
                  {{0, 0, 0}, {1, 0, 0}}},
        ChunkCase{"Byte96K", {"0x00FF", 1, 0x7FFF}, {{0, 0, 0}, {1, 0, 0}},
                  {{0, 0, 0}, {1, 0, 0}}},
        // 64 KB and one byte: the last byte has a bank of its own.
        ChunkCase{"Byte64KAndOne", {"0x00FF", 1, 0x0000}, {{0, 0, 0}, {1, 0, 0}},
                  {{0, 0, 0}, {1, 0, 0}}},
        ChunkCase{"Byte128KFromBank1", {"0x00FF", 1, 0xFFFF, 0, 0, 1}, {{1, 0, 0}},
                  {{0, 0, 0}, {1, 0, 0}}},
        // The download's size covers the main area and the 1 KB behind it exactly.
        ChunkCase{"Byte32KWithExtArea", {"0x00FF", 0, 0x7FFF, 0, 0x03FF}, {{0, 0, 0x7FFF}},
                  {{0, 0, 0x8400}}},
        ChunkCase{"Word16K", {"0xFFFF", 0, 0x3FFF}, {{0, 0, 0x8000}}, {{0, 0, 0x8001}}},
        ChunkCase{"Word32K", {"0xffff", 0, 0x7FFF}, {{0, 0, 0}},
                  {{0, 0, 0}, {0, 0x8000, 0}}},
        ChunkCase{"Word64K", {"0xFFFF", 0, 0xFFFF}, {{0, 0, 0}, {0, 0x8000, 0}},
                  {{0, 0, 0}, {0, 0x8000, 0}}},
        ChunkCase{"Word128K", {"0xFFFF", 1, 0xFFFF},
                  {{0, 0, 0}, {0, 0x8000, 0}, {1, 0, 0}, {1, 0x8000, 0}},
                  {{0, 0, 0}, {0, 0x8000, 0}, {1, 0, 0}, {1, 0x8000, 0}}},
        // The download carries the extended area behind the main area in a bank of its own.
        ChunkCase{"Word128KWithExt1K", {"0xFFFF", 1, 0xFFFF, 0, 0x03FF},
                  {{0, 0, 0}, {0, 0x8000, 0}, {1, 0, 0}, {1, 0x8000, 0}},
                  {{0, 0, 0},
                   {0, 0x8000, 0},
                   {1, 0, 0},
                   {1, 0x8000, 0},
                   {2, 0, 0},
                   {2, 0x8000, 0}}},
        // 128K words and one: the last word opens a third bank; the program
        // sends no chunk that lies wholly past the device.
        ChunkCase{"Word128KAndOne", {"0xFFFF", 2, 0x0000},
                  {{0, 0, 0}, {0, 0x8000, 0}, {1, 0, 0}, {1, 0x8000, 0}, {2, 0, 0}},
                  {{0, 0, 0},
                   {0, 0x8000, 0},
                   {1, 0, 0},
                   {1, 0x8000, 0},
                   {2, 0, 0},
                   {2, 0x8000, 0}}},
        ChunkCase{"Word128KMixedCaseWidth", {"0xffFF", 1, 0xFFFF},
                  {{0, 0, 0}, {0, 0x8000, 0}, {1, 0, 0}, {1, 0x8000, 0}},
                  {{0, 0, 0}, {0, 0x8000, 0}, {1, 0, 0}, {1, 0x8000, 0}}}),
    [](const ::testing::TestParamInfo<ChunkCase>& info) { return info.param.name; });

// A 96 KB device: the last chunk carries the 32 KB that exist (and the
// buffer's own margin), then blank bytes; never bytes from beyond the buffer.
TEST(ProgramTest, PartialLastBankIsFilledWithBlankBytes) {
    for (bool download : {false, true}) {
        SCOPED_TRACE(download);
        OperationRig rig;
        rig.UseDevice({"0x00FF", 1, 0x7FFF});
        rig.FillBufferPattern();
        const uint64_t length = rig.buffer.GetBufferSize();
        ASSERT_LT(length, 0x20000u);
        if (download) rig.OpenAsRunDid();  // the download runs on the caller's set-up
        ASSERT_TRUE(download ? rig.downloads.SendBufferToProgrammer()
                             : rig.downloads.program_1Click(kModeReady));

        std::vector<uint8_t> lastChunk;
        for (const SimCall& c : rig.sim.Trace())
            if (c.kind == SimCallKind::BulkOut && c.data.size() == 0x8000)
                lastChunk.insert(lastChunk.end(), c.data.begin(), c.data.end());
        ASSERT_EQ(lastChunk.size(), 4u * 0x8000);
        lastChunk.erase(lastChunk.begin(), lastChunk.begin() + 0x10000);
        const uint64_t held = length - 0x10000;
        EXPECT_TRUE(std::vector<uint8_t>(lastChunk.begin(), lastChunk.begin() + held) ==
                    rig.BufferBytes(0x10000, held));
        EXPECT_EQ(std::vector<uint8_t>(lastChunk.begin() + held, lastChunk.end()),
                  std::vector<uint8_t>(0x10000 - held, 0xFF));
    }
}

TEST(ProgramTest, ProgramOverDataWithoutEraseFailsAndEraseMakesItPass) {
    OperationRig rig;
    rig.FillBufferPattern(0x11);
    ASSERT_TRUE(rig.downloads.program_1Click(kModeReady));

    rig.FillBufferPattern(0x22);  // bits that would have to go back to 1
    rig.sounds.calls.clear();
    EXPECT_FALSE(rig.downloads.program_1Click(kModeRerun));
    EXPECT_EQ(rig.page.Top(CopyStep::Program), StepImage::Fail);
    EXPECT_EQ(rig.FailSounds(), 1);
    EXPECT_TRUE(rig.messages.shown.empty());

    ASSERT_TRUE(rig.simple.erase_1Click(kModeReady));
    ASSERT_TRUE(rig.downloads.program_1Click(kModeReady));
    EXPECT_TRUE(rig.sim.Chip().main == rig.BufferBytes(0, 0x8000));
}

TEST(ProgramTest, FuseMapDeviceProgramsTheFuses) {
    OperationRig rig;
    rig.UseDevice({"0x00FF", 0, 5000 - 1});
    rig.device.HasFuseMap = 1;
    ASSERT_TRUE(rig.fuseMap.InitFuseBuffer({5000, 100, 50, 24, 0}));
    rig.fuseMap.ClearFuseMap(1);
    for (int64_t i = 0; i < 5000; i += 3) rig.fuseMap.SetFuse(i, 0);
    rig.FillBufferPattern();  // not the source for a fuse map

    ASSERT_TRUE(rig.downloads.program_1Click(kModeReady));
    const std::span<const uint8_t> fuses = rig.fuseMap.GetFuseBuffer();
    EXPECT_TRUE(rig.sim.Chip().main == std::vector<uint8_t>(fuses.begin(), fuses.end()));
}

TEST(ProgramTest, SixteenBitProgramGrowsTheBufferToItsTransferSize) {
    OperationRig rig;
    rig.UseDevice({"0xFFFF", 0, 0x3FFF});
    rig.buffer.SetBufferSize(0x4000);  // smaller than the device
    ASSERT_TRUE(rig.downloads.program_1Click(kModeReady));
    EXPECT_EQ(rig.buffer.GetBufferSize(), 0x8000u + DataBuffer::kLengthSlack);
}

// ---- Extended area ----------------------------------------------------------------------------

struct ExtCase {
    const char* name;
    DeviceShape shape;
    std::vector<SentWords> chunks;
};

void PrintTo(const ExtCase& c, std::ostream* os) { *os << c.name; }

class ExtAreaTest : public ::testing::TestWithParam<ExtCase> {};

// The handler programs the main area, then the extended area from behind the
// main area in the buffer, over the extended area's own extent: an extended
// chunk that runs past the area is blank there, whatever the buffer holds.
TEST_P(ExtAreaTest, HandlerProgramsBothAreasFromTheirPlacesInTheBuffer) {
    const ExtCase& c = GetParam();
    OperationRig rig;
    rig.UseDevice(c.shape);
    ASSERT_TRUE(rig.buffer.SetBufferSize(rig.buffer.GetBufferSize() + 0x20000));
    rig.FillBufferPattern();
    rig.downloads.prog_nClick();

    EXPECT_EQ(rig.Executed(OpProgramExt), c.chunks);
    for (const SimExecution& e : rig.sim.Executions()) {
        if (e.operation != OpProgramExt) continue;
        EXPECT_TRUE(std::all_of(e.pastArea.begin(), e.pastArea.end(),
                                [](uint8_t b) { return b == 0xFF; }))
            << "bank " << e.bankWord << ", offset 0x" << std::hex << e.offsetWord;
    }
    const std::vector<uint8_t>& main = rig.sim.Chip().main;
    const std::vector<uint8_t>& ext = rig.sim.Chip().ext;
    EXPECT_TRUE(main == rig.BufferBytes(0, main.size()));
    EXPECT_TRUE(ext == rig.BufferBytes(main.size(), ext.size()));
    EXPECT_TRUE(rig.sim.ProtocolErrors().empty());
    EXPECT_EQ(rig.page.Top(CopyStep::Program), StepImage::Pass);
    EXPECT_EQ(rig.frame.Run.RunFailed, 0);
    EXPECT_EQ(rig.PassSounds(), 2);  // program's own and the handler's
    EXPECT_FALSE(rig.buffer.Locked());
}

INSTANTIATE_TEST_SUITE_P(
    Devices, ExtAreaTest,
    ::testing::Values(
        ExtCase{"Byte256", {"0x00FF", 0, 0x0FFF, 0, 0x00FF}, {{0, 0, 0x0100}}},
        ExtCase{"Byte128KBehind64K", {"0x00FF", 0, 0xFFFF, 1, 0xFFFF}, {{0, 0, 0}, {1, 0, 0}}},
        // The second chunk carries the area's last 32 KB, then blank bytes.
        ExtCase{"Byte96KBehind64K", {"0x00FF", 0, 0xFFFF, 1, 0x7FFF}, {{0, 0, 0}, {1, 0, 0}}},
        ExtCase{"Word40KBehind32K", {"0xFFFF", 0, 0x7FFF, 0, 0x9FFF},
                {{0, 0, 0xFFFF}, {0, 0x8000, 0xFFFF}}},
        // An area of exactly one chunk: no second chunk.
        ExtCase{"Word32KBehind32K", {"0xFFFF", 0, 0x7FFF, 0, 0x7FFF}, {{0, 0, 0xFFFF}}},
        ExtCase{"Word1KBehind1K", {"0xFFFF", 0, 0x03FF, 0, 0x03FF}, {{0, 0, 0x07FF}}}),
    [](const ::testing::TestParamInfo<ExtCase>& info) { return info.param.name; });

TEST(ExtAreaHandlerTest, OptionTypeOneSkipsTheExtendedAreaAndItsFailureFailsTheStep) {
    OperationRig rig;
    rig.UseDevice({"0x00FF", 0, 0x0FFF, 0, 0x00FF});
    rig.device.FuseTypeDigit = 1;
    rig.downloads.prog_nClick();
    EXPECT_TRUE(rig.Executed(OpProgramExt).empty());

    rig.device.FuseTypeDigit = 0;
    rig.sounds.calls.clear();
    rig.sim.OverrideStatus(OpProgramExt, {1, 0});
    rig.simple.erace_nClick();
    rig.sounds.calls.clear();
    rig.downloads.prog_fClick();
    EXPECT_EQ(rig.page.Top(CopyStep::Program), StepImage::Fail);
    EXPECT_EQ(rig.frame.Run.RunFailed, 1);
    EXPECT_EQ(rig.frame.Run.RunActive, 0);
    EXPECT_EQ(rig.FailSounds(), 1);
    EXPECT_EQ(rig.PassSounds(), 1);  // the main area's own pass
}

// ---- Failures ---------------------------------------------------------------------------------

struct ProgramFailure {
    const char* name;
    DeviceShape shape;
    std::function<void(OperationRig&)> arrange;
    std::vector<std::string> messages;
    std::size_t programmedChunks;  // executions of OpProgram before it stopped
    bool setupFailure = false;
};

void PrintTo(const ProgramFailure& c, std::ostream* os) { *os << c.name; }

class ProgramFailureTest : public ::testing::TestWithParam<ProgramFailure> {};

TEST_P(ProgramFailureTest, StopsOnceWithTheFailedPicture) {
    const ProgramFailure& c = GetParam();
    OperationRig rig;
    rig.UseDevice(c.shape);
    rig.FillBufferPattern();
    c.arrange(rig);

    EXPECT_FALSE(rig.downloads.program_1Click(kModeReady));
    EXPECT_EQ(rig.FailSounds(), 1);
    EXPECT_EQ(rig.PassSounds(), 0);
    EXPECT_EQ(rig.messages.Texts(), c.messages);
    EXPECT_EQ(rig.Executed(OpProgram).size(), c.programmedChunks);
    EXPECT_EQ(rig.page.Top(CopyStep::Program),
              c.setupFailure ? StepImage::Ready : StepImage::Fail);
    EXPECT_TRUE(rig.page.Visible(CopyStep::Program, StepImage::Fail));
    EXPECT_FALSE(rig.page.Visible(CopyStep::Program, StepImage::Pass));
    EXPECT_EQ(rig.page.Status(), StatusLook::Failed);
    EXPECT_FALSE(rig.buffer.Locked());
}

const std::vector<std::string> kNone;
const DeviceShape kByte128K{"0x00FF", 1, 0xFFFF};
const DeviceShape kWord128K{"0xFFFF", 1, 0xFFFF};

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramFailureTest,
    ::testing::Values(
        // Six 0x47 requests: four in the set-up, chunk 0's block, chunk 1's block.
        ProgramFailure{"SecondChunkParamBlock8", kByte128K,
                       [](OperationRig& r) {
                           r.sim.InjectFault(SimCallKind::VendorOut, 6, SimFault::Fail, 0x47);
                       },
                       kNone, 1},
        ProgramFailure{"SecondHalfParamBlock16", kWord128K,
                       [](OperationRig& r) {
                           r.sim.InjectFault(SimCallKind::VendorOut, 6, SimFault::Fail, 0x47);
                       },
                       kNone, 1},
        ProgramFailure{"ChangePage", kByte128K,
                       [](OperationRig& r) {
                           r.sim.InjectFault(SimCallKind::VendorOut, 9, SimFault::Fail, 0x43);
                       },
                       {kErrChangePage}, 0},
        ProgramFailure{"DataWriteRequest", kWord128K,
                       [](OperationRig& r) {
                           r.sim.InjectFault(SimCallKind::VendorOut, 3, SimFault::Fail, 0x4C);
                       },
                       {kErrDataWrite}, 1},
        // Bulk writes: eleven in the set-up, then block, half 0, half 1 per chunk.
        ProgramFailure{"FirstHalfData", kByte128K,
                       [](OperationRig& r) { r.sim.InjectFault(SimCallKind::BulkOut, 13); },
                       {kErrReadData}, 0},
        ProgramFailure{"SecondHalfDataShort", kByte128K,
                       [](OperationRig& r) {
                           r.sim.InjectFault(SimCallKind::BulkOut, 17, SimFault::Short);
                       },
                       {kErrReadData}, 1},
        ProgramFailure{"Execute", kByte128K,
                       [](OperationRig& r) {
                           r.sim.InjectFault(SimCallKind::VendorOut, 1, SimFault::Fail, 0x49);
                       },
                       {kErrExecuteProgram}, 0},
        ProgramFailure{"StatusRequest", kWord128K,
                       [](OperationRig& r) {
                           r.sim.InjectFault(SimCallKind::VendorIn, 2, SimFault::Fail, 0x42);
                       },
                       kNone, 2},
        ProgramFailure{"StatusNotPass", kByte128K,
                       [](OperationRig& r) { r.sim.OverrideStatus(OpProgram, {1, 0}); }, kNone,
                       1},
        ProgramFailure{"ChunkAllocation", kByte128K,
                       [](OperationRig& r) { r.frame.chunksBeforeFailure = 1; },
                       {kErrChunkAlloc}, 1},
        ProgramFailure{"ChunkAllocation16", kWord128K,
                       [](OperationRig& r) { r.frame.chunksBeforeFailure = 0; },
                       {kErrChunkAlloc}, 0},
        ProgramFailure{"UnknownWidth", {"0x0FFF", 0, 0x7FFF},
                       [](OperationRig&) {}, kNone, 0},
        ProgramFailure{"SmallDeviceWithMixedCaseWidth", {"0xFFff", 0, 0x7FFF},
                       [](OperationRig&) {}, kNone, 0},
        ProgramFailure{"FuseMapWithoutBlock", {"0x00FF", 0, 0x7FFF},
                       [](OperationRig& r) { r.device.HasFuseMap = 1; }, {kErrLockFailed}, 0},
        ProgramFailure{"StartBankPastTheDevice", {"0x00FF", 1, 0xFFFF, 0, 0, 2},
                       [](OperationRig&) {}, kNone, 0},
        ProgramFailure{"DeviceLoadIncomplete", kByte128K,
                       [](OperationRig& r) { r.device.DeviceValid = false; }, kNone, 0, true},
        ProgramFailure{"NoProgrammer", kByte128K,
                       [](OperationRig& r) { r.sim.ClearSlots(); }, {kHardwareMissingText}, 0,
                       true}),
    [](const ::testing::TestParamInfo<ProgramFailure>& info) { return info.param.name; });

TEST(ProgramFailureTest2, UnknownWidthSendsNothing) {
    OperationRig rig;
    rig.UseDevice({"0x0FFF", 0, 0x7FFF});
    EXPECT_FALSE(rig.downloads.program_1Click(kModeReady));
    EXPECT_FALSE(rig.downloads.SendBufferToProgrammer());
    EXPECT_FALSE(rig.downloads.ProgramExtArea());
    EXPECT_TRUE(rig.sim.Trace().empty());
}

TEST(ProgramFailureTest2, NoBufferBlock) {
    OperationRig rig(100);  // too small for the buffer's first block
    ASSERT_FALSE(rig.buffer.HasBlock());
    rig.OpenAsRunDid();
    rig.messages.Clear();
    EXPECT_FALSE(rig.downloads.SendBufferToProgrammer());
    EXPECT_EQ(rig.messages.Texts(), (std::vector<std::string>{kErrNoBufferHandle}));
    EXPECT_EQ(rig.FailSounds(), 1);

    // Program first grows the buffer to the device; that fails with the
    // buffer's own message and the step fails with it.
    rig.messages.Clear();
    rig.sounds.calls.clear();
    EXPECT_FALSE(rig.downloads.program_1Click(kModeReady));
    EXPECT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.FailSounds(), 1);
    EXPECT_EQ(rig.page.Top(CopyStep::Program), StepImage::Fail);
    EXPECT_TRUE(rig.sim.Trace().empty());
}

struct DownloadFailure {
    const char* name;
    DeviceShape shape;
    std::function<void(OperationRig&)> arrange;
    std::vector<std::string> messages;
};

void PrintTo(const DownloadFailure& c, std::ostream* os) { *os << c.name; }

class DownloadFailureTest : public ::testing::TestWithParam<DownloadFailure> {};

TEST_P(DownloadFailureTest, StopsOnceWithoutTouchingTheStepPictures) {
    const DownloadFailure& c = GetParam();
    OperationRig rig;
    rig.UseDevice(c.shape);
    rig.OpenAsRunDid();
    c.arrange(rig);
    rig.page.Hide(CopyStep::Program, StepImage::Ready);

    EXPECT_FALSE(rig.downloads.SendBufferToProgrammer());
    EXPECT_EQ(rig.FailSounds(), 1);
    EXPECT_EQ(rig.messages.Texts(), c.messages);
    EXPECT_EQ(rig.page.Status(), StatusLook::Failed);
    EXPECT_FALSE(rig.page.Visible(CopyStep::Program, StepImage::Ready));
    EXPECT_TRUE(rig.page.Visible(CopyStep::Program, StepImage::Pass));
    EXPECT_FALSE(rig.buffer.Locked());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DownloadFailureTest,
    ::testing::Values(
        DownloadFailure{"SecondChunkParamBlock", kByte128K,
                        [](OperationRig& r) {
                            r.sim.InjectFault(SimCallKind::VendorOut, 2, SimFault::Fail, 0x47);
                        },
                        kNone},
        DownloadFailure{"ChangePage", kWord128K,
                        [](OperationRig& r) {
                            r.sim.InjectFault(SimCallKind::VendorOut, 2, SimFault::Fail, 0x43);
                        },
                        {kErrChangePage}},
        DownloadFailure{"DataWriteRequest", kByte128K,
                        [](OperationRig& r) {
                            r.sim.InjectFault(SimCallKind::VendorOut, 1, SimFault::Fail, 0x4C);
                        },
                        {kErrDataWrite}},
        DownloadFailure{"SecondHalfData", kWord128K,
                        [](OperationRig& r) { r.sim.InjectFault(SimCallKind::BulkOut, 3); },
                        {kErrReadData}},
        DownloadFailure{"ChunkAllocation", kByte128K,
                        [](OperationRig& r) { r.frame.chunksBeforeFailure = 1; },
                        {kErrChunkAlloc}},
        DownloadFailure{"UnknownWidth", {"0xFF", 0, 0x7FFF}, [](OperationRig&) {}, kNone},
        DownloadFailure{"DeviceLoadIncomplete", kByte128K,
                        [](OperationRig& r) { r.device.DeviceValid = false; }, kNone}),
    [](const ::testing::TestParamInfo<DownloadFailure>& info) { return info.param.name; });

// ---- Extended-area failures -------------------------------------------------------------------

const DeviceShape kByteExt128K{"0x00FF", 0, 0xFFFF, 1, 0xFFFF};
const DeviceShape kWordExt40K{"0xFFFF", 0, 0x7FFF, 0, 0x9FFF};

struct ExtFailure {
    const char* name;
    DeviceShape shape;
    std::function<void(OperationRig&)> arrange;
    std::vector<std::string> messages;
};

void PrintTo(const ExtFailure& c, std::ostream* os) { *os << c.name; }

class ExtAreaFailureTest : public ::testing::TestWithParam<ExtFailure> {};

TEST_P(ExtAreaFailureTest, StopsOnceWithTheFailedPicture) {
    const ExtFailure& c = GetParam();
    OperationRig rig;
    rig.UseDevice(c.shape);
    rig.OpenAsRunDid();  // the extended area follows program's set-up
    c.arrange(rig);

    EXPECT_FALSE(rig.downloads.ProgramExtArea());
    EXPECT_EQ(rig.FailSounds(), 1);
    EXPECT_EQ(rig.messages.Texts(), c.messages);
    EXPECT_EQ(rig.page.Top(CopyStep::Program), StepImage::Fail);
    EXPECT_EQ(rig.page.Status(), StatusLook::Failed);
    EXPECT_FALSE(rig.buffer.Locked());
}

// Bulk writes per chunk: its block, half 0, half 1.
INSTANTIATE_TEST_SUITE_P(
    Cases, ExtAreaFailureTest,
    ::testing::Values(
        ExtFailure{"ByteFirstHalf", kByteExt128K,
                   [](OperationRig& r) { r.sim.InjectFault(SimCallKind::BulkOut, 2); },
                   {kErrReadData}},
        ExtFailure{"ByteSecondHalfIsAWrite", kByteExt128K,
                   [](OperationRig& r) { r.sim.InjectFault(SimCallKind::BulkOut, 6); },
                   {kErrWriteData}},
        ExtFailure{"WordSecondHalfAsInProgram", kWordExt40K,
                   [](OperationRig& r) { r.sim.InjectFault(SimCallKind::BulkOut, 3); },
                   {kErrReadData}},
        ExtFailure{"ChangePage", kWordExt40K,
                   [](OperationRig& r) {
                       r.sim.InjectFault(SimCallKind::VendorOut, 2, SimFault::Fail, 0x43);
                   },
                   {kErrChangePage}},
        ExtFailure{"Execute", kByteExt128K,
                   [](OperationRig& r) {
                       r.sim.InjectFault(SimCallKind::VendorOut, 1, SimFault::Fail, 0x49);
                   },
                   {kErrExecuteProgram}},
        ExtFailure{"ChunkAllocation", kWordExt40K,
                   [](OperationRig& r) { r.frame.chunksBeforeFailure = 1; }, {kErrChunkAlloc}},
        ExtFailure{"StatusNotPass", kByteExt128K,
                   [](OperationRig& r) { r.sim.OverrideStatus(OpProgramExt, {1, 0}); }, kNone}),
    [](const ::testing::TestParamInfo<ExtFailure>& info) { return info.param.name; });

// ---- Bank bar and pass sound -------------------------------------------------------------------

TEST(ProgramProgressTest, BankBarFollowsEachProceduresOwnCount) {
    struct Case {
        const char* name;
        DeviceShape shape;
        int procedure;  // 0 program, 1 extended area, 2 download
        int32_t maximum;
        std::vector<int32_t> positions;
    };
    const Case cases[] = {
        {"Byte32K", {"0x00FF", 0, 0x7FFF}, 0, 2, {1, 2}},
        {"Byte128K", kByte128K, 0, 3, {1, 2, 3}},
        {"Byte192KFromBank1", {"0x00FF", 2, 0xFFFF, 0, 0, 1}, 0, 4, {2, 3, 4}},
        // The 16-bit path counts from the bank itself, not one past it.
        {"Word128K", kWord128K, 0, 3, {1, 0, 1, 3}},
        {"ExtByte128K", kByteExt128K, 1, 2, {10, 0, 1, 2}},
        {"DownloadLeavesTheBarAlone", kByte128K, 2, 100, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        rig.UseDevice(c.shape);
        if (c.procedure != 0) rig.OpenAsRunDid();
        BarRecorder bars(rig.page);
        bool ok = false;
        if (c.procedure == 0) ok = rig.downloads.program_1Click(kModeReady);
        if (c.procedure == 1) ok = rig.downloads.ProgramExtArea();
        if (c.procedure == 2) ok = rig.downloads.SendBufferToProgrammer();
        ASSERT_TRUE(ok);
        EXPECT_EQ(rig.page.ProgressBar2().maximum, c.maximum);
        EXPECT_EQ(bars.bar2, c.positions);
        EXPECT_TRUE(bars.bar21.empty());
    }
}

// The pass sound needs sound on, no automatic run and Pass showing. After Stop
// the pump leaves Pass hidden: each chunk shows it again, 8-bit and 16-bit.
TEST(ProgramSoundTest, PassSoundNeedsSoundOnNoRunAndPassShowing) {
    struct Case {
        const char* name;
        DeviceShape shape;
        uint8_t soundOn, runActive, stop;
        int passSounds;
    };
    const Case cases[] = {
        {"Byte", {"0x00FF", 0, 0x7FFF}, 1, 0, 0, 1},
        {"SoundOff", {"0x00FF", 0, 0x7FFF}, 0, 0, 0, 0},
        {"DuringARun", {"0x00FF", 0, 0x7FFF}, 1, 1, 0, 0},
        {"ByteAfterStop", {"0x00FF", 0, 0x7FFF}, 1, 0, 1, 1},
        {"Word", {"0xFFFF", 0, 0x3FFF}, 1, 0, 0, 1},
        {"WordAfterStop", {"0xFFFF", 0, 0x3FFF}, 1, 0, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        rig.UseDevice(c.shape);
        rig.player.SoundOn = c.soundOn;
        rig.frame.Run.RunActive = c.runActive;
        rig.frame.Run.StopFlag = c.stop;
        ASSERT_TRUE(rig.downloads.program_1Click(kModeReady));
        EXPECT_EQ(rig.PassSounds(), c.passSounds);
        EXPECT_EQ(rig.FailSounds(), 0);
    }
}

TEST(ProgramSoundTest, EveryExtendedAreaChunkShowsPassAgain) {
    for (const char* width : {"0x00FF", "0xFFFF"}) {
        SCOPED_TRACE(width);
        OperationRig rig;
        rig.UseDevice({width, 0, 0x3FFF, 0, 0x03FF});
        rig.OpenAsRunDid();
        rig.frame.Run.StopFlag = 1;  // the pump leaves Pass hidden
        ASSERT_TRUE(rig.downloads.ProgramExtArea());
        EXPECT_EQ(rig.page.Status(), StatusLook::Passed);
    }
}

TEST(ProgramSoundTest, HandlersClosingSoundIgnoresTheRunOnlyOnARerun) {
    OperationRig rig;
    rig.frame.Run.RunActive = 1;
    rig.downloads.prog_nClick();
    EXPECT_EQ(rig.PassSounds(), 0);
    rig.downloads.prog_pClick();
    EXPECT_EQ(rig.PassSounds(), 1);
    EXPECT_EQ(rig.page.Top(CopyStep::Program), StepImage::Pass);
    EXPECT_EQ(rig.frame.Guards.ProgramGuard, 0u);
}

}  // namespace
}  // namespace burnmark::testing
