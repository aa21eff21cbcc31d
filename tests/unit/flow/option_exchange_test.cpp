// The option patch list and the option-type-1 exchange with the programmer
// after a load, against the simulated programmer.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "buffer/option_patches.h"
#include "unit/flow/flow_fixture.h"

namespace burnmark::testing {
namespace {

struct Patch {
    uint32_t address;
    uint16_t value;
};

std::array<uint8_t, kPatchListBytes> PatchList(const std::vector<Patch>& patches,
                                               bool endRecord = true) {
    std::array<uint8_t, kPatchListBytes> list;
    list.fill(0xFF);
    std::size_t at = 0;
    for (const Patch& p : patches) {
        const uint16_t words[3] = {static_cast<uint16_t>(p.address & 0xFFFF),
                                   static_cast<uint16_t>(p.address >> 16), p.value};
        for (uint16_t w : words) {
            list[at++] = static_cast<uint8_t>(w & 0xFF);
            list[at++] = static_cast<uint8_t>(w >> 8);
        }
    }
    if (!endRecord) std::fill(list.begin() + static_cast<long>(at), list.end(), 0x00);
    return list;
}

// ---- The patch routine ------------------------------------------------------------------------

struct PatchCase {
    const char* name;
    std::vector<Patch> patches;
    bool endRecord;
    std::size_t applied;
    std::size_t skipped;
    std::vector<std::pair<uint32_t, uint8_t>> bytes;
};

void PrintTo(const PatchCase& c, std::ostream* os) { *os << c.name; }

class PatchBound : public FlowTest, public ::testing::WithParamInterface<PatchCase> {};

// The buffer in these cases: 0x10000 + 1024 bytes, all 0x11.
constexpr uint32_t kLength = 0x10400;

TEST_P(PatchBound, WritesOnlyRecordsWhollyInsideTheBuffer) {
    const PatchCase& c = GetParam();
    ASSERT_TRUE(buffer.SetBufferSize(0x10000));
    ASSERT_EQ(buffer.GetBufferSize(), kLength);
    FillBuffer(0x11);
    struct Notices : BufferObserver {
        void BufferChanged(DataBuffer&, BufferChange change) override {
            if (change == BufferChange::Bytes) ++bytes;
        }
        int bytes = 0;
    } notices;
    buffer.AddObserver(&notices);

    const PatchOutcome outcome =
        ApplyOptionPatches(buffer, PatchList(c.patches, c.endRecord), messages);
    buffer.RemoveObserver(&notices);
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.applied, c.applied);
    EXPECT_EQ(outcome.skipped, c.skipped);
    for (const auto& [address, value] : c.bytes)
        EXPECT_EQ(Byte(address), value) << "at 0x" << std::hex << address;
    // The editor hears of the patches once, and only when one was written.
    EXPECT_EQ(notices.bytes, c.applied > 0 ? 1 : 0);
    EXPECT_TRUE(messages.shown.empty());
}

std::vector<Patch> FortyTwo() {
    std::vector<Patch> p;
    for (uint32_t i = 0; i < 42; ++i) p.push_back({i * 2, static_cast<uint16_t>(0x0100 | i)});
    return p;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PatchBound,
    ::testing::Values(PatchCase{"LowByteAtTheAddressHighByteAfter",
                                {{0x1234, 0xABCD}},
                                true,
                                1,
                                0,
                                {{0x1233, 0x11}, {0x1234, 0xCD}, {0x1235, 0xAB}, {0x1236, 0x11}}},
                      PatchCase{"HighWordAddressesAbove64K",
                                {{0x10010, 0x2211}},
                                true,
                                1,
                                0,
                                {{0x10010, 0x11}, {0x10011, 0x22}, {0x0010, 0x11}}},
                      PatchCase{"LastPairInsideIsWritten",
                                {{kLength - 2, 0x4433}},
                                true,
                                1,
                                0,
                                {{kLength - 2, 0x33}, {kLength - 1, 0x44}}},
                      PatchCase{"PairCrossingTheEndIsSkipped",
                                {{kLength - 1, 0x4433}},
                                true,
                                0,
                                1,
                                {{kLength - 1, 0x11}}},
                      // address + 1 wraps to 0 in 32 bits: must not pass the bound.
                      PatchCase{"TopAddressDoesNotWrap",
                                {{0xFFFFFFFF, 0x5566}, {0x20, 0x7788}},
                                true,
                                1,
                                1,
                                {{0, 0x11}, {0x20, 0x88}, {0x21, 0x77}}},
                      PatchCase{
                          "EndRecordFirstChangesNothing", {}, true, 0, 0, {{0, 0x11}, {1, 0x11}}},
                      // Only all three words 0xFFFF end the list: an erased
                      // value at a real address is a patch like any other.
                      PatchCase{"ErasedValueIsNoEndRecord",
                                {{0x40, 0xFFFF}, {0x50, 0x3322}},
                                true,
                                2,
                                0,
                                {{0x40, 0xFF}, {0x41, 0xFF}, {0x50, 0x22}, {0x51, 0x33}}},
                      PatchCase{"ListWithoutEndRecordStopsAt42",
                                FortyTwo(),
                                false,
                                42,
                                0,
                                {{0, 0x00}, {1, 0x01}, {82, 0x29}, {83, 0x01}, {84, 0x11}}}),
    [](const ::testing::TestParamInfo<PatchCase>& info) { return info.param.name; });

TEST_F(PatchBound, RecordsAfterTheEndRecordAreNotApplied) {
    auto list = PatchList({{0x10, 0x2211}});
    // A record behind the end record.
    const uint8_t behind[6] = {0x20, 0x00, 0x00, 0x00, 0x44, 0x33};
    std::copy(std::begin(behind), std::end(behind), list.begin() + 12);
    FillBuffer(0x11);
    EXPECT_EQ(ApplyOptionPatches(buffer, list, messages).applied, 1u);
    EXPECT_EQ(Byte(0x20), 0x11);
}

// ---- The exchange after a load ---------------------------------------------------------------

class OptionExchange : public FlowTest {
protected:
    void SetUp() override {
        SelectDevice(ValidDevice().Set("Option_Fuse_Type", "0x01"));
        ASSERT_EQ(device.FuseTypeDigit, 1);
        for (std::size_t i = 0; i < options.OptionWords.size(); ++i)
            options.OptionWords[i] = static_cast<uint16_t>(0xA000 + i);
        sim.InsertChip(false, 0x8000);
        sim.patchList = PatchList({{0x0002, 0xBEEF}, {0xFFFFFFFF, 0x5566}});
        HandBack(WriteData("data.bin", "ABCDEFGH"), {{"Format", "3"}});
        sim.ClearTrace();
    }

    // The trace from the write of the option words on.
    std::vector<std::string> Tail() const {
        const auto lines = sim.TraceLines();
        const auto it = std::find(lines.begin(), lines.end(), "out 47 0E00 0100");
        return {it, lines.end()};
    }
};

TEST_F(OptionExchange, WritesTheWordsAppliesThemAndPatchesTheLoadedData) {
    LoadFlow flow(Context());
    EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::Loaded);
    EXPECT_EQ(Tail(), (std::vector<std::string>{"out 47 0E00 0100", "bulk-out 256",
                                                 "out 49 4000 0C00", "in 42 0000 0000 16",
                                                 "out 46 0F00 0100", "bulk-in 256"}));
    EXPECT_TRUE(sim.ProtocolErrors().empty());

    // The 256 bytes of OptionWords, low byte first.
    const auto& trace = sim.Trace();
    const auto words = std::find_if(trace.begin(), trace.end(), [](const SimCall& c) {
        return c.kind == SimCallKind::VendorOut && c.request == CmdBlockWrite && c.value == 0x0E00;
    });
    ASSERT_NE(words, trace.end());
    const std::vector<uint8_t>& sent = std::next(words)->data;
    ASSERT_EQ(sent.size(), 256u);
    EXPECT_EQ(sent[0], 0x00);
    EXPECT_EQ(sent[1], 0xA0);
    EXPECT_EQ(sent[254], 0x7F);
    EXPECT_EQ(sent[255], 0xA0);

    // The programmer got the loaded data, and its patch landed in the buffer.
    ASSERT_GE(sim.Download().size(), 8u);
    EXPECT_EQ(sim.Download()[0], 'A');
    EXPECT_EQ(Bytes(0, 6), (std::vector<uint8_t>{'A', 'B', 0xEF, 0xBE, 'E', 'F'}));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(frame.Guards.ProgramGuard, 0u);
}

struct ExchangeFault {
    const char* name;
    SimCallKind kind;
    int request;         // -1: any
    bool lastOfGoodRun;  // the fault hits the last such call of a good run
    std::string message;
};

void PrintTo(const ExchangeFault& c, std::ostream* os) { *os << c.name; }

class OptionExchangeFaults : public OptionExchange,
                             public ::testing::WithParamInterface<ExchangeFault> {};

TEST_P(OptionExchangeFaults, EachStepEndsTheCommandWithItsMessage) {
    const ExchangeFault& f = GetParam();
    int nth = 1;
    if (f.lastOfGoodRun) {
        // Count the matching calls of a good run, then fail the last of them.
        LoadFlow good(Context());
        ASSERT_EQ(good.RunLoad(HandedBack()), LoadEnd::Loaded);
        nth = static_cast<int>(
            std::count_if(sim.Trace().begin(), sim.Trace().end(), [&](const SimCall& c) {
                return c.kind == f.kind && (f.request < 0 || c.request == f.request);
            }));
        FillBuffer(0xFF);
        messages.Clear();
        sim.ClearTrace();
    }
    sim.InjectFault(f.kind, nth, SimFault::Fail, f.request);
    sounds.calls.clear();

    LoadFlow flow(Context());
    EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::ExchangeFailed);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().text, f.message);
    EXPECT_TRUE(messages.shown.back().plain);
    // One failure display, so one failure sound.
    EXPECT_EQ(std::count(sounds.calls.begin(), sounds.calls.end(), "error"), 1);
    // The loaded data stays; no patch was applied.
    EXPECT_EQ(Bytes(0, 4), (std::vector<uint8_t>{'A', 'B', 'C', 'D'}));
    EXPECT_FALSE(busy.Busy());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionExchangeFaults,
    ::testing::Values(ExchangeFault{"WordsRequest", SimCallKind::VendorOut, CmdBlockWrite, true,
                                    "Error 47! Write Command Fail"},
                      ExchangeFault{"WordsData", SimCallKind::BulkOut, -1, true,
                                    "Error! Data -> DE-48 0x300 Buffer Fail"},
                      ExchangeFault{"Apply", SimCallKind::VendorOut, CmdExecute, false,
                                    "Error 49! Command Fail"},
                      ExchangeFault{"PatchListRequest", SimCallKind::VendorOut, CmdBlockRead, false,
                                    "Error 46! Read Command Fail"},
                      ExchangeFault{"PatchListData", SimCallKind::BulkIn, -1, false,
                                    "Error! Data -> DE-48 256 Buffer Fail"}),
    [](const ::testing::TestParamInfo<ExchangeFault>& info) { return info.param.name; });

TEST_F(OptionExchange, PatchesOnlyWhenTheApplyRoutinePassed) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
    } cases[] = {
        {"status not a pass",
         [&] {
             std::array<uint8_t, 16> failed{};
             failed[0] = 1;
             sim.OverrideStatus(OpApplyOptions, failed);
         }},
        {"status read fails",
         [&] { sim.InjectFault(SimCallKind::VendorIn, 1, SimFault::Fail, CmdStatus); }},
        {"status read short",
         [&] { sim.InjectFault(SimCallKind::VendorIn, 1, SimFault::Short, CmdStatus); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FillBuffer(0xFF);
        messages.Clear();
        sounds.calls.clear();
        sim.ClearTrace();
        c.arrange();
        LoadFlow flow(Context());
        EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::ExchangeFailed);
        // The status was the last thing asked; no patch list was read or applied.
        ASSERT_FALSE(sim.TraceLines().empty());
        EXPECT_EQ(sim.TraceLines().back().substr(0, 18), "in 42 0000 0000 16");
        EXPECT_EQ(Bytes(0, 4), (std::vector<uint8_t>{'A', 'B', 'C', 'D'}));
        // A status failure shows the failure display without a message.
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(std::count(sounds.calls.begin(), sounds.calls.end(), "error"), 1);
        EXPECT_FALSE(page.Visible(StatusImage::Pass));
        EXPECT_FALSE(page.Visible(StatusImage::Wait));
    }
}

TEST_F(OptionExchange, NoProgrammerShowsTheVerifyStepFailedAndKeepsTheData) {
    sim.ClearSlots();
    LoadFlow flow(Context());
    EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::ExchangeFailed);
    EXPECT_TRUE(page.Visible(CopyStep::Verify, StepImage::Fail));
    EXPECT_FALSE(page.Visible(CopyStep::Verify, StepImage::Working));
    EXPECT_FALSE(page.Visible(CopyStep::Verify, StepImage::Pass));
    EXPECT_EQ(Bytes(0, 4), (std::vector<uint8_t>{'A', 'B', 'C', 'D'}));
    for (const auto& line : sim.TraceLines()) EXPECT_NE(line.rfind("out 49", 0), 0u) << line;
}

TEST_F(OptionExchange, FailedDownloadEndsTheExchangeBeforeTheOptionsAreApplied) {
    // The first 32 KB data write of the download fails.
    sim.InjectFault(SimCallKind::VendorOut, 1, SimFault::Fail, CmdDataWrite);
    LoadFlow flow(Context());
    EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::ExchangeFailed);
    EXPECT_TRUE(Tail().empty());
    EXPECT_EQ(Bytes(0, 4), (std::vector<uint8_t>{'A', 'B', 'C', 'D'}));
}

}  // namespace
}  // namespace burnmark::testing
