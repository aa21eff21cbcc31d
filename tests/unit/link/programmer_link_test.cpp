#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "link_fixture.h"

namespace burnmark::testing {
namespace {

std::vector<std::string> SetupWire() {
    std::vector<std::string> lines = {
        "close",           "open",
        "out 47 0B00 0080", "bulk-out 256",  // clears 0x0B00 on: announces 128, sends 256
        "out 47 0B00 0100", "bulk-out 256",
        "out 47 0B00 0080", "bulk-out 128",  // the parameter block
        "out 47 4000 4000",                  // the FPGA image, no bulk of its own
    };
    for (int page = 0; page < 8; ++page) {
        lines.push_back("out 43 000" + std::to_string(page) + " 0000");
        lines.push_back("bulk-out 16384");
    }
    return lines;
}

bool AllBytes(const std::vector<uint8_t>& bytes, uint8_t value) {
    return std::all_of(bytes.begin(), bytes.end(), [&](uint8_t b) { return b == value; });
}

class FirstSetupTest : public LinkFixture {};

TEST_F(FirstSetupTest, PutsTheWholeSetUpOnTheWire) {
    LoadShortFpga();
    ASSERT_TRUE(link.FirstSetup(Device()));

    EXPECT_EQ(Lines(), SetupWire());
    const auto& trace = sim.Trace();
    EXPECT_TRUE(AllBytes(trace[3].data, 0x00));
    EXPECT_TRUE(AllBytes(trace[5].data, 0x00));
    EXPECT_EQ(trace[7].data, std::vector<uint8_t>(block.begin(), block.end()));
    for (int page = 0; page < 8; ++page) {
        SCOPED_TRACE(page);
        // Every page carries the image's first 16 KB: the ten file bytes, then 0xFF.
        const std::vector<uint8_t>& bytes = trace[10 + 2 * page].data;
        ASSERT_EQ(bytes.size(), 16384u);
        EXPECT_TRUE(std::equal(kShortFpga.begin(), kShortFpga.end(), bytes.begin()));
        EXPECT_TRUE(AllBytes(std::vector<uint8_t>(bytes.begin() + 10, bytes.end()), 0xFF));
    }
    // The requests carry no control data stage of their own.
    for (const SimCall& call : trace) {
        if (call.kind == SimCallKind::VendorOut) {
            EXPECT_TRUE(call.data.empty());
        }
    }

    // What the programmer holds afterwards.
    EXPECT_TRUE(sim.ProtocolErrors().empty());
    EXPECT_EQ(sim.FpgaPagesWritten(), 0xFF);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), sim.Ram().begin() + 0x0B00));
    EXPECT_TRUE(std::all_of(sim.Ram().begin() + 0x0B80, sim.Ram().begin() + 0x0C00,
                            [](uint8_t b) { return b == 0; }));

    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(sounds.calls.empty());
    EXPECT_EQ(fail.count, 0);
}

TEST_F(FirstSetupTest, StartsFromAFreshHandleEachTime) {
    LoadShortFpga();
    ASSERT_TRUE(link.FirstSetup(Device()));
    sim.ClearTrace();
    ASSERT_TRUE(link.FirstSetup(Device()));
    // The open handle is closed first, so a re-plugged programmer is found anew.
    std::vector<std::string> lines = Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "close");
    EXPECT_EQ(lines[1], "open");
    EXPECT_EQ(sim.ProbedSlots(), (std::vector<int>{0, 0}));
}

// Refusals before anything reaches the programmer.
struct RefusalCase {
    const char* name;
    bool fpgaMissing;
    bool deviceValid;
    bool imageLoaded;
    std::vector<std::string> wire;  // what the set-up still does
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class FirstSetupRefusalTest : public LinkFixture,
                              public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(FirstSetupRefusalTest, RefusesSilently) {
    const RefusalCase& c = GetParam();
    if (c.imageLoaded) LoadShortFpga();
    SetupDevice device = Device();
    device.fpgaFileMissing = c.fpgaMissing;
    device.deviceValid = c.deviceValid;

    EXPECT_FALSE(link.FirstSetup(device));
    EXPECT_EQ(Lines(), c.wire);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(sounds.calls.empty());
    EXPECT_EQ(fail.count, 0);

    // The device selection's reopen refuses alike and never opens.
    sim.ClearTrace();
    EXPECT_FALSE(link.ReopenAndSetup(device));
    EXPECT_TRUE(Lines().empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(fail.count, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, FirstSetupRefusalTest,
    ::testing::Values(
        RefusalCase{"FpgaFileMissing", true, true, true, {}},
        RefusalCase{"DefinitionIncomplete", false, false, true, {}},
        // The first device's FPGA file never loaded: no image is held at all.
        RefusalCase{"NoImageEverLoaded", false, true, false, {"close", "open"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FirstSetupTest, NoProgrammerShowsTheHardwareText) {
    LoadShortFpga();
    sim.ClearSlots();
    for (bool firstSetupSelected : {false, true}) {
        SCOPED_TRACE(firstSetupSelected);
        messages.Clear();
        sim.ClearTrace();
        SetupDevice device = Device();
        device.firstSetupSelected = firstSetupSelected;
        EXPECT_FALSE(link.FirstSetup(device));
        // The open comes before the selection test: the text, and no sound.
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text,
                  " Hardware not connected! \n\n Please Check USB cable connect,Power,Power "
                  "Switch..\n\n The System is in DEMO mode Now !!");
        EXPECT_TRUE(messages.shown[0].plain);
        EXPECT_TRUE(sounds.calls.empty());
        EXPECT_EQ(fail.count, 0);
        EXPECT_EQ(Lines(), (std::vector<std::string>{"close", "open FAIL"}));
    }
}

TEST_F(FirstSetupTest, FirstSetupSelectedGivesTheFailureSoundWhateverSoundOnSays) {
    LoadShortFpga();
    player.SoundOn = 0;
    const std::vector<std::pair<uint8_t, std::vector<std::string>>> modes = {
        {0, {"error"}}, {1, {"beep", "pause 50", "beep", "beep"}}};
    for (const auto& [mode, sound] : modes) {
        SCOPED_TRACE(mode);
        sounds.calls.clear();
        sim.ClearTrace();
        player.SoundMode = mode;
        SetupDevice device = Device();
        device.firstSetupSelected = true;
        EXPECT_FALSE(link.FirstSetup(device));
        EXPECT_EQ(sounds.calls, sound);
        EXPECT_EQ(Lines(), (std::vector<std::string>{"close", "open"}));
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(fail.count, 0);
    }
}

// One injected fault per wire step of the set-up: its message (or none), the
// failure display once, nothing sent after the fault.
struct SetupFaultCase {
    const char* name;
    SimCallKind kind;
    int nth;
    int request;
    SimFault fault;
    std::optional<std::string> message;
};

void PrintTo(const SetupFaultCase& c, std::ostream* os) { *os << c.name; }

class FirstSetupFaultTest : public LinkFixture,
                            public ::testing::WithParamInterface<SetupFaultCase> {};

TEST_P(FirstSetupFaultTest, StopsAtTheFault) {
    const SetupFaultCase& c = GetParam();
    LoadShortFpga();
    sim.InjectFault(c.kind, c.nth, c.fault, c.request);

    EXPECT_FALSE(link.FirstSetup(Device()));

    const std::vector<std::string> expected =
        c.message ? std::vector<std::string>{*c.message} : std::vector<std::string>{};
    EXPECT_EQ(messages.Texts(), expected);
    EXPECT_EQ(fail.count, 1);
    EXPECT_TRUE(sounds.calls.empty());
    const std::vector<std::string> lines = Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().ends_with(" FAIL")) << lines.back();
    // Everything before the fault is the normal set-up.
    const std::vector<std::string> wire = SetupWire();
    ASSERT_LE(lines.size(), wire.size());
    for (size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_EQ(lines[i], wire[i]);
    EXPECT_EQ(lines.back(), wire[lines.size() - 1] + " FAIL");
}

constexpr auto kOut = SimCallKind::VendorOut;
constexpr auto kBulk = SimCallKind::BulkOut;
constexpr auto kFail = SimFault::Fail;

INSTANTIATE_TEST_SUITE_P(
    WireSteps, FirstSetupFaultTest,
    ::testing::Values(
        SetupFaultCase{"FirstClearRequest", kOut, 1, 0x47, kFail, "Error 47! Write Command Fail"},
        SetupFaultCase{"FirstClearBulk", kBulk, 1, -1, kFail, "Error! Data -> Buffer Fail"},
        SetupFaultCase{"FirstClearBulkShort", kBulk, 1, -1, SimFault::Short,
                       "Error! Data -> Buffer Fail"},
        SetupFaultCase{"SecondClearRequest", kOut, 2, 0x47, kFail, "Error 47! Write Command Fail"},
        SetupFaultCase{"SecondClearBulk", kBulk, 2, -1, kFail, std::nullopt},
        SetupFaultCase{"ParamRequest", kOut, 3, 0x47, kFail, std::nullopt},
        SetupFaultCase{"ParamBulk", kBulk, 3, -1, kFail, std::nullopt},
        SetupFaultCase{"ParamBulkUnplugged", kBulk, 3, -1, SimFault::Unplug, std::nullopt},
        SetupFaultCase{"FpgaAnnounce", kOut, 4, 0x47, kFail, std::nullopt},
        SetupFaultCase{"FpgaPage0Select", kOut, 1, 0x43, kFail, std::nullopt},
        SetupFaultCase{"FpgaPage0Bulk", kBulk, 4, -1, kFail, std::nullopt},
        SetupFaultCase{"FpgaPage7Select", kOut, 8, 0x43, kFail, std::nullopt},
        SetupFaultCase{"FpgaPage7BulkShort", kBulk, 11, -1, SimFault::Short, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

class ReopenAndSetupTest : public LinkFixture {};

TEST_F(ReopenAndSetupTest, SendsParameterBlockAndImageWithoutClearing) {
    LoadShortFpga();
    EXPECT_TRUE(link.ReopenAndSetup(Device()));
    std::vector<std::string> wire = SetupWire();
    wire.erase(wire.begin() + 2, wire.begin() + 6);  // no clearing requests
    EXPECT_EQ(Lines(), wire);
    EXPECT_TRUE(sim.ProtocolErrors().empty());
}

TEST_F(ReopenAndSetupTest, NoProgrammerIsSilent) {
    LoadShortFpga();
    sim.ClearSlots();
    EXPECT_FALSE(link.ReopenAndSetup(Device()));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(fail.count, 0);
}

TEST_F(ReopenAndSetupTest, ImageNeverLoadedSendsNothing) {
    EXPECT_FALSE(link.ReopenAndSetup(Device()));
    EXPECT_TRUE(Lines().empty());
}

TEST_F(ReopenAndSetupTest, ParamFailureSkipsTheImage) {
    LoadShortFpga();
    sim.InjectFault(kBulk, 1);
    EXPECT_FALSE(link.ReopenAndSetup(Device()));
    EXPECT_EQ(Lines().back(), "bulk-out 128 FAIL");
    EXPECT_EQ(fail.count, 1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FirstSetupTest, SendFpgaPagesWithoutAnImageSendsNothing) {
    ASSERT_TRUE(sim.UsbOpen(ProgrammerProductId));
    sim.ClearTrace();
    EXPECT_FALSE(link.SendFpgaPages());
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(fail.count, 1);
    EXPECT_TRUE(messages.shown.empty());
}

// The status never reads as a pass unless the programmer said so in full.
class StatusTest : public LinkFixture {
protected:
    void SetUp() override {
        sim.InsertChip(false, 0x8000);
        ASSERT_TRUE(link.Reopen());
        ASSERT_TRUE(link.Execute(OpErase));  // leaves a passing status behind
    }
};

TEST_F(StatusTest, PassAndProtectedAndChecksum) {
    OperationStatus status;
    ASSERT_TRUE(link.ReadStatus(status));
    EXPECT_TRUE(status.Pass());

    // Only 00 04 is a protected chip; any other state but 00 00 is a failure.
    struct Case {
        uint8_t s0, s1;
        bool protectedChip;
    };
    for (const Case& c : {Case{0, 4, true}, Case{0, 2, false}, Case{4, 4, false}}) {
        SCOPED_TRACE(::testing::Message() << int(c.s0) << " " << int(c.s1));
        sim.OverrideStatus(OpRead, {c.s0, c.s1});
        ASSERT_TRUE(link.Execute(OpRead));
        ASSERT_TRUE(link.ReadStatus(status));
        EXPECT_FALSE(status.Pass());
        EXPECT_EQ(status.ReadProtected(), c.protectedChip);
    }

    sim.OverrideStatus(OpExtractOptions, {0, 0, 0x34, 0x12});
    ASSERT_TRUE(link.Execute(OpExtractOptions));
    ASSERT_TRUE(link.ReadStatus(status));
    EXPECT_EQ(status.Checksum(), 0x1234);
    EXPECT_EQ(sim.TraceLines().back(), "in 42 0000 0000 16");
}

TEST_F(StatusTest, FailureGivesTheErrorAddressAndData) {
    // A blank check that finds byte 0x12345 programmed to 0x5A.
    sim.InsertChip(false, 0x20000);
    sim.Chip().main[0x12345] = 0x5A;
    ASSERT_TRUE(link.Execute(OpBlankCheck));
    OperationStatus status;
    ASSERT_TRUE(link.ReadStatus(status));
    EXPECT_FALSE(status.Pass());
    EXPECT_FALSE(status.ReadProtected());
    EXPECT_EQ(status.ResultWord(), 0x0001);  // the high word, bytes 2 and 3
    EXPECT_EQ(status.ErrorAddress(), 0x12345u);
    EXPECT_EQ(status.ErrorData(), 0x5A);
}

TEST_F(StatusTest, FailedOrShortReplyIsNeverAPass) {
    for (SimFault fault : {SimFault::Fail, SimFault::Short, SimFault::Unplug}) {
        SCOPED_TRACE(static_cast<int>(fault));
        sim.Replug();
        OperationStatus status;
        status.bytes.fill(0);  // even a caller's stale pass must not survive
        sim.InjectFault(SimCallKind::VendorIn, 1, fault, 0x42);
        EXPECT_FALSE(link.ReadStatus(status));
        EXPECT_FALSE(status.Pass());
        EXPECT_FALSE(status.ReadProtected());
        EXPECT_TRUE(std::all_of(status.bytes.begin(), status.bytes.end(),
                                [](uint8_t b) { return b == 0xFF; }));
    }
}

}  // namespace
}  // namespace burnmark::testing
