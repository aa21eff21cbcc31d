// Verify and confirm: the read-back compare on every shape of device, its
// differences counted or listed, the on-programmer verify of option type 1,
// the Verify and Confirm steps, and how each of them fails.
#include <gtest/gtest.h>

#include <functional>

#include "operation_rig.h"

namespace burnmark::testing {
namespace {

using Kind = VerifyListCall::Kind;

// The chip holds a pattern and the buffer the same, at the read's places.
void Matching(OperationRig& rig, const DeviceShape& shape) {
    rig.UseDevice(shape);
    rig.FillBufferPattern(0x55);  // the bytes past the device differ from the chip's answer
    rig.FillChipPattern();
    rig.sim.Chip().beyondArea = 0x5A;
    rig.CopyChipToBuffer();
}

struct CompareShape {
    const char* name;
    DeviceShape shape;
    std::vector<SentWords> main;  // OpRead executions of the main-area compare
    std::vector<SentWords> ext;   // OpReadExt executions of the extended-area compare
    int dataReads;
};

void PrintTo(const CompareShape& c, std::ostream* os) { *os << c.name; }

class CompareShapeTest : public ::testing::TestWithParam<CompareShape> {};

// Both steps read the areas back as the read does and pass on a chip that
// holds the buffer; a byte past the area (the 16-bit byte after the last
// word included) is not compared.
TEST_P(CompareShapeTest, MatchingChipPassesBothSteps) {
    const CompareShape& c = GetParam();
    for (CopyStep step : {CopyStep::Verify, CopyStep::Confirm}) {
        SCOPED_TRACE(StepName(step));
        OperationRig rig;
        Matching(rig, c.shape);
        if (step == CopyStep::Verify)
            rig.readBacks.verify_nClick();
        else
            rig.readBacks.confirm_nClick();

        EXPECT_EQ(rig.Executed(OpRead), c.main);
        EXPECT_EQ(rig.Executed(OpReadExt), c.ext);
        EXPECT_EQ(rig.Requests(CmdDataRead), c.dataReads);
        for (const SimExecution& e : rig.sim.Executions())
            EXPECT_EQ(e.vcc, rig.device.Voltages[kReadVcc]);
        EXPECT_EQ(rig.page.Top(step), StepImage::Pass);
        EXPECT_EQ(rig.page.Status(), StatusLook::Passed);
        EXPECT_EQ(rig.frame.Run.VerifyErrorsFound, 0);
        EXPECT_EQ(rig.FailSounds(), 0);
        EXPECT_GE(rig.PassSounds(), 1);
        EXPECT_EQ(rig.list.Count(Kind::Row) + rig.list.Count(Kind::Pair), 0);
        EXPECT_TRUE(rig.messages.shown.empty());
        EXPECT_FALSE(rig.buffer.Locked());
        EXPECT_TRUE(rig.sim.ProtocolErrors().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Devices, CompareShapeTest,
    ::testing::Values(CompareShape{"Byte32K", {"0x00FF", 0, 0x7FFF}, {{0, 0, 0x8000}}, {}, 1},
                      CompareShape{"Byte96K", {"0x00FF", 1, 0x7FFF}, {{0, 0, 0}, {1, 0, 0}}, {}, 3},
                      CompareShape{"Byte32KWithExt1K",
                                   {"0x00FF", 0, 0x7FFF, 0, 0x03FF},
                                   {{0, 0, 0x8000}},
                                   {{0, 0, 0x0400}},
                                   2},
                      CompareShape{"Byte64KWithExt128K",
                                   {"0x00FF", 0, 0xFFFF, 1, 0xFFFF},
                                   {{0, 0, 0}},
                                   {{0, 0, 0}, {1, 0, 0}},
                                   6},
                      // The second extended chunk holds the area's last 32 KB, then
                      // bytes past the area that differ from the buffer's: only
                      // its first half is read and compared.
                      CompareShape{"Byte64KWithExt96K",
                                   {"0x00FF", 0, 0xFFFF, 1, 0x7FFF},
                                   {{0, 0, 0}},
                                   {{0, 0, 0}, {1, 0, 0}},
                                   5},
                      // Exactly the area: 32 KB, one half, though the byte after it differs.
                      CompareShape{"Word16K", {"0xFFFF", 0, 0x3FFF}, {{0, 0, 0x8000}}, {}, 1},
                      CompareShape{"Word32K", {"0xFFFF", 0, 0x7FFF}, {{0, 0, 0}}, {}, 2},
                      // 128K words whose low address word is 0 still take their second bank.
                      CompareShape{
                          "Word128KPlusOne",
                          {"0xFFFF", 2, 0x0000},
                          {{0, 0, 0}, {0, 0x8000, 0}, {1, 0, 0}, {1, 0x8000, 0}, {2, 0, 0}},
                          {},
                          9},
                      // The 16-bit extended compares announce twice their counted bytes.
                      // The 16-bit main compare announces the whole device's bytes.
                      CompareShape{"Word1KWithExt1K",
                                   {"0xFFFF", 0, 0x03FF, 0, 0x03FF},
                                   {{0, 0, 0x0FFE}},
                                   {{0, 0, 0x0FFE}},
                                   2},
                      CompareShape{"Word32KWithExt40K",
                                   {"0xFFFF", 0, 0x7FFF, 0, 0x9FFF},
                                   {{0, 0, 0}},
                                   {{0, 0, 0}, {0, 0x8000, 0}},
                                   5}),
    [](const ::testing::TestParamInfo<CompareShape>& info) { return info.param.name; });

// ---- Differences ------------------------------------------------------------------------------

TEST(CompareTest, WithoutTheListEveryPieceIsReadAndNothingListed) {
    OperationRig rig;
    Matching(rig, {"0x00FF", 1, 0xFFFF});
    rig.options.VerifyListWanted = 0;
    std::fill(rig.sim.Chip().main.begin(), rig.sim.Chip().main.end(), uint8_t{0x00});
    EXPECT_FALSE(rig.readBacks.verify_1Click(kModeReady));
    EXPECT_EQ(rig.Requests(CmdDataRead), 4);
    EXPECT_EQ(rig.frame.Run.VerifyErrorsFound, 1);
    EXPECT_TRUE(rig.list.calls.empty());
    EXPECT_EQ(rig.page.Top(CopyStep::Verify), StepImage::Fail);
    EXPECT_EQ(rig.FailSounds(), 1);
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(CompareTest, ListingStopsAtTheLastRowAndEachRowNamesItsPlace) {
    OperationRig rig;
    Matching(rig, {"0x00FF", 0, 0xFFFF});
    rig.options.VerifyListWanted = 1;
    // 300 differences over both pieces.
    std::vector<uint8_t>& chip = rig.sim.Chip().main;
    for (uint32_t i = 0; i < 300; ++i) chip[i * 200 + 7] ^= 0xFF;
    rig.list.calls.push_back(VerifyListCall::Show());  // left from an earlier compare

    EXPECT_FALSE(rig.readBacks.ConfirmDevice(kModeReady));
    ASSERT_GE(rig.list.calls.size(), 3u);
    EXPECT_EQ(rig.list.calls[1], VerifyListCall::Reset());
    const std::vector<VerifyListCall> rows = rig.list.Rows();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kVerifyErrorRows));
    for (int32_t i = 0; i < kVerifyErrorRows; ++i) {
        const uint32_t p = static_cast<uint32_t>(i) * 200 + 7;
        const std::vector<uint8_t> buffer = rig.BufferBytes(p, 1);
        EXPECT_EQ(rows[i], VerifyListCall::Row(i, p, 8, chip[p], p, buffer[0])) << i;
    }
    // The window comes up before each row.
    EXPECT_EQ(rig.list.calls[2], VerifyListCall::Show());
    EXPECT_EQ(rig.frame.Run.VerifyErrorsFound, 1);
    EXPECT_EQ(rig.page.Top(CopyStep::Confirm), StepImage::Fail);
    EXPECT_EQ(rig.FailSounds(), 1);
}

TEST(CompareTest, A16BitWordIsOneRowWhicheverOfItsBytesDiffer) {
    struct Case {
        const char* name;
        bool low, high;  // which bytes of word 0x10 differ
    };
    for (const Case& c :
         {Case{"Both", true, true}, Case{"HighOnly", false, true}, Case{"LowOnly", true, false}}) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        Matching(rig, {"0xFFFF", 0, 0x3FFF});
        rig.options.VerifyListWanted = 1;
        std::vector<uint8_t>& chip = rig.sim.Chip().main;
        if (c.low) chip[0x20] ^= 0x0F;
        if (c.high) chip[0x21] ^= 0xF0;
        EXPECT_FALSE(rig.readBacks.verify_1Click(kModeReady));
        const std::vector<uint8_t> buffer = rig.BufferBytes(0x20, 2);
        EXPECT_EQ(rig.list.Rows(),
                  std::vector<VerifyListCall>{VerifyListCall::Pair(
                      0, 0x10, 0x10, static_cast<uint16_t>(buffer[1] << 8 | buffer[0]),
                      static_cast<uint16_t>(chip[0x21] << 8 | chip[0x20]))});
        EXPECT_EQ(rig.frame.Run.VerifyErrorsFound, 1);
    }
}

TEST(CompareTest, ExtendedAreaRowsNameTheirPlaceInTheBuffer) {
    struct Case {
        const char* name;
        DeviceShape shape;
        uint64_t extByte;  // the differing byte, counted in the extended area
        VerifyListCall (*row)(OperationRig&, uint64_t at);
    };
    const Case cases[] = {
        {"Byte",
         {"0x00FF", 0, 0x7FFF, 0, 0x03FF},
         5,
         [](OperationRig& r, uint64_t at) {
             const uint8_t b = r.BufferBytes(at, 1)[0];
             return VerifyListCall::Row(0, static_cast<uint32_t>(at), 8,
                                        r.sim.Chip().ext[at - 0x8000], static_cast<uint32_t>(at),
                                        b);
         }},
        {"Word",
         {"0xFFFF", 0, 0x03FF, 0, 0x03FF},
         6,
         [](OperationRig& r, uint64_t at) {
             const std::vector<uint8_t> b = r.BufferBytes(at, 2);
             const std::vector<uint8_t>& ext = r.sim.Chip().ext;
             const uint64_t e = at - 0x800;
             const auto word = static_cast<uint32_t>(at / 2);
             return VerifyListCall::Pair(0, word, word, static_cast<uint16_t>(b[1] << 8 | b[0]),
                                         static_cast<uint16_t>(ext[e + 1] << 8 | ext[e]));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        Matching(rig, c.shape);
        rig.options.VerifyListWanted = 1;
        rig.sim.Chip().ext[c.extByte] ^= 0x81;
        rig.readBacks.confirm_nClick();
        const uint64_t at = rig.sim.Chip().main.size() + c.extByte;
        EXPECT_EQ(rig.list.Rows(), std::vector<VerifyListCall>{c.row(rig, at)});
        EXPECT_EQ(rig.list.Count(Kind::Reset), 1);  // the main area's, not the extended area's
        EXPECT_EQ(rig.page.Top(CopyStep::Confirm), StepImage::Fail);
        EXPECT_EQ(rig.frame.Run.VerifyErrorsFound, 0);  // the main area matched
        EXPECT_EQ(rig.FailSounds(), 1);
    }
}

TEST(CompareTest, ADifferingMainAreaLeavesTheExtendedAreaUncompared) {
    OperationRig rig;
    Matching(rig, {"0x00FF", 0, 0x7FFF, 0, 0x03FF});
    rig.sim.Chip().main[3] ^= 1;
    rig.readBacks.verify_nClick();
    EXPECT_TRUE(rig.Executed(OpReadExt).empty());
    EXPECT_EQ(rig.page.Top(CopyStep::Verify), StepImage::Fail);

    // Once the main area matches again, the extended area follows it.
    rig.sim.Chip().main[3] ^= 1;
    rig.readBacks.verify_nClick();
    EXPECT_EQ(rig.frame.Run.VerifyErrorsFound, 0);
    EXPECT_EQ(rig.Executed(OpReadExt).size(), 1u);
    EXPECT_EQ(rig.page.Top(CopyStep::Verify), StepImage::Pass);
}

TEST(CompareTest, FuseMapDeviceComparesExactlyItsFuses) {
    OperationRig rig;
    rig.UseDevice({"0x00FF", 1, 0x001B});
    rig.device.HasFuseMap = 1;
    ASSERT_TRUE(rig.fuseMap.InitFuseBuffer({2048, 32, 64, 20, 0}));
    std::vector<uint8_t>& chip = rig.sim.Chip().main;
    std::fill(chip.begin(), chip.end(), uint8_t{0x77});
    for (int64_t i = 0; i < 2048; ++i) {
        chip[static_cast<std::size_t>(i)] = i % 5 == 0 ? 1 : 0;
        rig.fuseMap.SetFuse(i, i % 5 == 0 ? 1 : 0);
    }
    rig.FillBufferPattern();  // not the buffer side of a fuse-map device
    rig.options.VerifyListWanted = 1;
    EXPECT_TRUE(rig.readBacks.verify_1Click(kModeReady));
    EXPECT_TRUE(rig.readBacks.ConfirmDevice(kModeReady));

    rig.fuseMap.SetFuse(2047, 1);
    EXPECT_FALSE(rig.readBacks.verify_1Click(kModeReady));
    EXPECT_EQ(rig.list.Rows().back(), VerifyListCall::Row(0, 2047, 8, 0, 2047, 1));
}

// A chip that answers other bytes than 0 and 1 for its fuses (0xFF for an
// intact one): what the read stored it confirms, and a fuse differs only
// when it is 0 on one side and not on the other.
TEST(CompareTest, FuseMapChipBytesCountAsTheReadStoresThem) {
    OperationRig rig;
    rig.UseDevice({"0x00FF", 1, 0x001B});
    rig.device.HasFuseMap = 1;
    ASSERT_TRUE(rig.fuseMap.InitFuseBuffer({2048, 32, 64, 20, 0}));
    std::vector<uint8_t>& chip = rig.sim.Chip().main;
    for (std::size_t i = 0; i < 2048; ++i) chip[i] = i % 7 == 0 ? 0x00 : (i % 7 == 1 ? 0x40 : 0xFF);
    rig.options.VerifyListWanted = 1;
    rig.page.SetChecked(CopyCheckBox::check_confirm, true);

    rig.readBacks.read_nClick();
    EXPECT_EQ(rig.page.Top(CopyStep::Read), StepImage::Pass);
    EXPECT_EQ(rig.page.Top(CopyStep::Confirm), StepImage::Pass);
    EXPECT_EQ(rig.fuseMap.FuseAt(1), 1);
    EXPECT_TRUE(rig.readBacks.verify_1Click(kModeReady));

    rig.fuseMap.SetFuse(0, 1);  // the chip's byte there is 0
    rig.fuseMap.SetFuse(8, 0);  // 0x40 there: an intact fuse
    EXPECT_FALSE(rig.readBacks.verify_1Click(kModeReady));
    EXPECT_EQ(rig.list.Rows(), (std::vector<VerifyListCall>{
                                   VerifyListCall::Row(0, 0, 8, 0, 0, 1),
                                   VerifyListCall::Row(1, 8, 8, 1, 8, 0),
                               }));
}

// ---- On the programmer ----------------------------------------------------------------------

TEST(OnProgrammerVerifyTest, DownloadsOnTheReadVoltagesThenVerifiesOnceOrTwice) {
    struct Case {
        const char* name;
        std::function<void(ReadBackOperations&)> click;
        bool setUp;
        std::size_t verifies;
    };
    const Case cases[] = {
        {"VerifyStep", [](ReadBackOperations& e) { e.verify_nClick(); }, true, 1},
        {"VerifyFailPicture", [](ReadBackOperations& e) { e.verify_fClick(); }, true, 1},
        {"RunStep", [](ReadBackOperations& e) { e.verify_1Click(kModeRun); }, false, 1},
        {"ConfirmStep", [](ReadBackOperations& e) { e.confirm_nClick(); }, false, 2},
        {"ConfirmPassPicture", [](ReadBackOperations& e) { e.confirm_pClick(); }, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        Matching(rig, {"0x00FF", 0, 0x7FFF, 0, 0x00FF});
        rig.device.FuseTypeDigit = 1;
        rig.options.VerifyListWanted = 1;
        if (!c.setUp) rig.OpenAsRunDid();
        c.click(rig.readBacks);

        std::vector<uint16_t> operations;
        for (const SimExecution& e : rig.sim.Executions()) {
            operations.push_back(e.operation);
            EXPECT_EQ(e.vcc, rig.device.Voltages[kReadVcc]);
            EXPECT_EQ(e.vpp, rig.device.Voltages[kReadVpp]);
        }
        EXPECT_EQ(operations, std::vector<uint16_t>(c.verifies, OpVerify));
        const std::vector<std::string> wire = rig.sim.TraceLines();
        EXPECT_EQ(std::count(wire.begin(), wire.end(), "open"), c.setUp ? 1 : 0);
        // The download's first block already carried the read voltages.
        const std::vector<SentWords> blocks = rig.ChunkWords();
        ASSERT_FALSE(blocks.empty());
        EXPECT_EQ(blocks.front(), (SentWords{0, 0, 0x8100}));
        EXPECT_EQ(rig.Executed(OpRead).size(), 0u);
        EXPECT_EQ(rig.list.Rows().size(), 0u);
        const CopyStep step = c.verifies == 2 ? CopyStep::Confirm : CopyStep::Verify;
        EXPECT_EQ(rig.page.Top(step), StepImage::Pass);
        EXPECT_EQ(rig.page.Status(), StatusLook::Passed);
        EXPECT_GE(rig.PassSounds(), 1);
        EXPECT_TRUE(rig.messages.shown.empty());
    }
}

struct OnProgrammerFailure {
    const char* name;
    std::function<void(OperationRig&)> arrange;
    std::vector<std::string> messages;
    std::size_t verifies;  // OpVerify executions before it stopped
    std::string lastLine;
};

void PrintTo(const OnProgrammerFailure& c, std::ostream* os) { *os << c.name; }

class OnProgrammerFailureTest : public ::testing::TestWithParam<OnProgrammerFailure> {};

TEST_P(OnProgrammerFailureTest, FailsTheConfirmOnceAndSendsNothingAfter) {
    const OnProgrammerFailure& c = GetParam();
    OperationRig rig;
    Matching(rig, {"0x00FF", 0, 0x7FFF});
    rig.device.FuseTypeDigit = 1;
    rig.OpenAsRunDid();
    c.arrange(rig);
    rig.readBacks.confirm_nClick();
    EXPECT_EQ(rig.messages.Texts(), c.messages);
    EXPECT_EQ(rig.Executed(OpVerify).size(), c.verifies);
    EXPECT_EQ(rig.sim.TraceLines().back(), c.lastLine);
    EXPECT_EQ(rig.page.Top(CopyStep::Confirm), StepImage::Fail);
    EXPECT_EQ(rig.page.Status(), StatusLook::Failed);
    EXPECT_EQ(rig.FailSounds(), 1);
    EXPECT_EQ(rig.PassSounds(), 0);
    EXPECT_FALSE(rig.buffer.Locked());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OnProgrammerFailureTest,
    ::testing::Values(OnProgrammerFailure{"DownloadData",
                                          [](OperationRig& r) {
                                              r.sim.InjectFault(SimCallKind::BulkOut, 2);
                                          },
                                          {kErrReadData},
                                          0,
                                          "bulk-out 32768 FAIL"},
                      OnProgrammerFailure{"DownloadParamBlock",
                                          [](OperationRig& r) {
                                              r.sim.InjectFault(SimCallKind::VendorOut, 1,
                                                                SimFault::Fail, 0x47);
                                          },
                                          {},
                                          0,
                                          "out 47 0B00 0080 FAIL"},
                      OnProgrammerFailure{"SecondExecute",
                                          [](OperationRig& r) {
                                              r.sim.InjectFault(SimCallKind::VendorOut, 2,
                                                                SimFault::Fail, CmdExecute);
                                          },
                                          {kErrExecute49},
                                          1,
                                          "out 49 4000 0600 FAIL"},
                      OnProgrammerFailure{"StatusRequest",
                                          [](OperationRig& r) {
                                              r.sim.InjectFault(SimCallKind::VendorIn, 1,
                                                                SimFault::Fail, CmdStatus);
                                          },
                                          {},
                                          1,
                                          "in 42 0000 0000 16 FAIL"},
                      OnProgrammerFailure{"ChipDiffers",
                                          [](OperationRig& r) { r.sim.Chip().main[9] ^= 0x40; },
                                          {},
                                          1,
                                          "in 42 0000 0000 16"}),
    [](const ::testing::TestParamInfo<OnProgrammerFailure>& info) { return info.param.name; });

// ---- Steps and pictures -------------------------------------------------------------------------

TEST(VerifyStepTest, FailPictureVerifiesAgainOnlyAfterAVerifyRan) {
    OperationRig rig;
    Matching(rig, {"0x00FF", 0, 0x7FFF});
    rig.readBacks.verify_fClick();
    EXPECT_TRUE(rig.sim.Trace().empty());
    EXPECT_EQ(rig.page.Top(CopyStep::Verify), StepImage::Ready);

    rig.readBacks.verify_nClick();
    EXPECT_EQ(rig.frame.Run.VerifyPass, 1);
    rig.readBacks.verify_fClick();
    EXPECT_EQ(rig.Executed(OpRead).size(), 2u);
    EXPECT_EQ(rig.page.Top(CopyStep::Verify), StepImage::Pass);
    EXPECT_EQ(rig.frame.Guards.VerifyGuard, 0u);
}

TEST(ConfirmStepTest, ConfirmFromReadyPutsTheReadStepBackToReadyAndSetsUp) {
    OperationRig rig;
    Matching(rig, {"0x00FF", 0, 0x7FFF});
    rig.page.Hide(CopyStep::Read, StepImage::Ready);
    EXPECT_TRUE(rig.readBacks.ConfirmDevice(kModeReady));
    EXPECT_EQ(rig.page.Top(CopyStep::Read), StepImage::Ready);
    const std::vector<std::string> wire = rig.sim.TraceLines();
    EXPECT_EQ(std::count(wire.begin(), wire.end(), "open"), 1);
    // From the pass picture, after a good read: no set-up, the read keeps its pass.
    rig.sim.ClearTrace();
    rig.frame.Run.ReadOkFlag = 1;
    rig.page.Show(CopyStep::Read, StepImage::Pass);
    EXPECT_TRUE(rig.readBacks.ConfirmDevice(kModeRerun));
    EXPECT_EQ(rig.sim.TraceLines().front(), "out 47 0B00 0080");
    EXPECT_EQ(rig.page.Top(CopyStep::Read), StepImage::Pass);
    // Without a good read the Read step keeps what it shows.
    rig.frame.Run.ReadOkFlag = 0;
    rig.page.Show(CopyStep::Read, StepImage::Ready);
    EXPECT_TRUE(rig.readBacks.ConfirmDevice(kModeRerun));
    EXPECT_EQ(rig.page.Top(CopyStep::Read), StepImage::Ready);
}

TEST(GuardedCompareTest, EveryGuardedCompareSendsNothingAndYieldsTrue) {
    OperationRig rig;
    rig.frame.Guards.VerifyGuard = 1;
    rig.frame.Guards.ConfirmGuard = 1;
    EXPECT_TRUE(rig.readBacks.verify_1Click(kModeReady));
    EXPECT_TRUE(rig.readBacks.ConfirmDevice(kModeReady));
    EXPECT_TRUE(rig.readBacks.ConfirmExtArea());
    EXPECT_TRUE(rig.readBacks.VerifyExtArea());
    rig.device.FuseTypeDigit = 1;
    EXPECT_TRUE(rig.readBacks.verify_1Click(kModeRun));
    rig.readBacks.confirm_nClick();
    EXPECT_TRUE(rig.sim.Trace().empty());
    EXPECT_EQ(rig.FailSounds(), 0);
}

// ---- Failures -----------------------------------------------------------------------------------

struct CompareFailure {
    const char* name;
    DeviceShape shape;
    bool verify;  // verify_1Click, else ConfirmDevice
    std::function<void(OperationRig&)> arrange;
    std::vector<std::string> messages;
    std::string lastLine;  // nothing goes out after the failure
    // The chip could not be read: the step and the Load step are offered again.
    bool reOffered = false;
    StepImage top = StepImage::Fail;
    // The second chunk of a 16-bit bank offers the steps but leaves the run's readiness alone.
    bool runReadyKept = false;
};

void PrintTo(const CompareFailure& c, std::ostream* os) { *os << c.name; }

class CompareFailureTest : public ::testing::TestWithParam<CompareFailure> {};

TEST_P(CompareFailureTest, FailsOnceAndSendsNothingAfter) {
    const CompareFailure& c = GetParam();
    OperationRig rig;
    Matching(rig, c.shape);
    rig.frame.Run.ReadOkFlag = 1;
    rig.frame.Run.RunReady = 0;
    c.arrange(rig);
    const CopyStep step = c.verify ? CopyStep::Verify : CopyStep::Confirm;
    for (StepImage image : {StepImage::Ready, StepImage::Highlight, StepImage::Working})
        rig.page.Hide(CopyStep::Load, image);

    EXPECT_FALSE(c.verify ? rig.readBacks.verify_1Click(kModeReady)
                          : rig.readBacks.ConfirmDevice(kModeReady));
    EXPECT_EQ(rig.messages.Texts(), c.messages);
    EXPECT_EQ(rig.FailSounds(), 1);
    EXPECT_EQ(rig.PassSounds(), 0);
    EXPECT_EQ(rig.page.Status(), StatusLook::Failed);
    EXPECT_TRUE(rig.page.Visible(step, StepImage::Fail));
    EXPECT_FALSE(rig.page.Visible(step, StepImage::Pass));
    EXPECT_EQ(rig.frame.Run.ReadOkFlag, 0);
    if (!c.lastLine.empty()) {
        EXPECT_EQ(rig.sim.TraceLines().back(), c.lastLine);
    }
    EXPECT_EQ(rig.page.Top(step), c.reOffered ? StepImage::Ready : c.top);
    EXPECT_EQ(rig.page.Top(CopyStep::Load), c.reOffered ? StepImage::Ready : StepImage::Off);
    EXPECT_EQ(rig.frame.Run.RunReady, c.reOffered && !c.runReadyKept ? 1 : 0);
    EXPECT_FALSE(rig.buffer.Locked());
}

const DeviceShape kByte128K{"0x00FF", 1, 0xFFFF};
const DeviceShape kWord128K{"0xFFFF", 1, 0xFFFF};

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareFailureTest,
    ::testing::Values(
        CompareFailure{"NoProgrammer",
                       kByte128K,
                       false,
                       [](OperationRig& r) { r.sim.ClearSlots(); },
                       {kHardwareMissingText},
                       "open FAIL",
                       false,
                       StepImage::Ready},
        CompareFailure{"ParamBlock",
                       kByte128K,
                       true,
                       [](OperationRig& r) {
                           r.sim.InjectFault(SimCallKind::VendorOut, 6, SimFault::Fail, 0x47);
                       },
                       {},
                       "out 47 0B00 0080 FAIL"},
        CompareFailure{"Execute",
                       kWord128K,
                       false,
                       [](OperationRig& r) {
                           r.sim.InjectFault(SimCallKind::VendorOut, 1, SimFault::Fail, CmdExecute);
                       },
                       {kErrExecute},
                       "out 49 4000 0100 FAIL"},
        CompareFailure{"StatusRequest",
                       kByte128K,
                       false,
                       [](OperationRig& r) {
                           r.sim.InjectFault(SimCallKind::VendorIn, 2, SimFault::Fail, CmdStatus);
                       },
                       {},
                       "in 42 0000 0000 16 FAIL"},
        CompareFailure{"ByteChipProtected",
                       kByte128K,
                       false,
                       [](OperationRig& r) { r.sim.Chip().protectedFlag = true; },
                       {kErrChipProtected, kErrProtectedCannotRead},
                       "in 42 0000 0000 16",
                       true},
        CompareFailure{"ByteChipError",
                       kByte128K,
                       false,
                       [](OperationRig& r) {
                           r.sim.OverrideStatus(OpRead, {1, 0});
                       },
                       {kErrCannotReadComma, kErrProtectedCannotRead},
                       "in 42 0000 0000 16",
                       true},
        CompareFailure{"WordFirstChunkProtected",
                       kWord128K,
                       false,
                       [](OperationRig& r) { r.sim.Chip().protectedFlag = true; },
                       {kErrProtectedCannotRead},
                       "in 42 0000 0000 16",
                       true},
        CompareFailure{"WordFirstChunkError",
                       kWord128K,
                       false,
                       [](OperationRig& r) {
                           r.sim.OverrideStatus(OpRead, {1, 0});
                       },
                       {kErrCannotReadShort},
                       "in 42 0000 0000 16",
                       true},
        CompareFailure{"WordSecondChunkError",
                       kWord128K,
                       false,
                       [](OperationRig& r) {
                           r.sim.OverrideStatus(OpRead, {0, 0});
                           r.sim.OverrideStatus(OpRead, {1, 0});
                       },
                       {kErrCannotReadComma},
                       "in 42 0000 0000 16",
                       true,
                       StepImage::Fail,
                       true},
        CompareFailure{"VerifyChipError",
                       kWord128K,
                       true,
                       [](OperationRig& r) {
                           r.sim.OverrideStatus(OpRead, {1, 0});
                       },
                       {kErrProtectedCannotRead},
                       "in 42 0000 0000 16",
                       true},
        CompareFailure{"DataRequest",
                       kByte128K,
                       true,
                       [](OperationRig& r) {
                           r.sim.InjectFault(SimCallKind::VendorOut, 2, SimFault::Fail,
                                             CmdDataRead);
                       },
                       {kErrDataRead},
                       "out 4B 8000 8000 FAIL"},
        CompareFailure{
            "ShortHalf",
            kWord128K,
            false,
            [](OperationRig& r) { r.sim.InjectFault(SimCallKind::BulkIn, 3, SimFault::Short); },
            {kErrReadData},
            "bulk-in 32768 FAIL"},
        CompareFailure{"ChunkAllocation",
                       kWord128K,
                       true,
                       [](OperationRig& r) { r.frame.chunksBeforeFailure = 2; },
                       {kErrChunkAlloc},
                       "bulk-in 32768"},
        CompareFailure{"UnknownWidth", {"0x0FFF", 0, 0x7FFF}, true, [](OperationRig&) {}, {}, ""},
        CompareFailure{"StartBankPastTheDevice",
                       {"0x00FF", 1, 0xFFFF, 0, 0, 2},
                       false,
                       [](OperationRig&) {},
                       {},
                       "bulk-out 16384"},
        CompareFailure{"FuseMapWithoutItsMap",
                       {"0x00FF", 1, 0x001B},
                       true,
                       [](OperationRig& r) { r.device.HasFuseMap = 1; },
                       {kErrNoBufferHandle},
                       "bulk-out 16384"}),
    [](const ::testing::TestParamInfo<CompareFailure>& info) { return info.param.name; });

TEST(CompareFailureTest2, AnUnknownWidthSendsNothing) {
    OperationRig rig;
    rig.UseDevice({"0x0FFF", 0, 0x7FFF});
    EXPECT_FALSE(rig.readBacks.verify_1Click(kModeReady));
    EXPECT_FALSE(rig.readBacks.ConfirmExtArea());
    EXPECT_TRUE(rig.sim.Trace().empty());
}

TEST(CompareFailureTest2, ABufferThatCannotHoldTheDeviceComparesNothing) {
    OperationRig rig(0x30000);
    rig.UseDevice({"0x00FF", 3, 0xFFFF});
    rig.messages.Clear();
    EXPECT_FALSE(rig.readBacks.ConfirmDevice(kModeReady));
    EXPECT_TRUE(rig.Executed(OpRead).empty());
    EXPECT_EQ(rig.FailSounds(), 1);
}

}  // namespace
}  // namespace burnmark::testing
