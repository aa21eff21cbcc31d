// The two passes of the hex loads and the buffer size around them, format
// detection for the dialog, and the busy state of the program during a load.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "unit/flow/flow_fixture.h"

namespace burnmark::testing {
namespace {

// One byte 0x5A at 0x23456, reached through an extended linear address record.
const std::string kIntelHigh = ":020000040002F8\r\n:013456005A1B\r\n:00000001FF\r\n";
// The same byte as an S2 record.
const std::string kMotorolaHigh = "S2050234565A14\r\nS804000000FB\r\n";
// One byte 0x5A at 0xF000 (Tektronix addresses have 16 bits).
const std::string kTektronixHigh = "/F00001105A0F\r\n/00000000\r\n";
// A good first record (so the probe says yes), a long gap, then a record cut short.
std::string BrokenIntel(std::size_t gap) {
    return ":0400000001020304F2\r\n" + std::string(gap, '\n') + ":1000000001";
}

class LoadPasses : public FlowTest {
protected:
    void BufferOf(uint32_t length) {
        ASSERT_TRUE(buffer.SetBufferSize(length - DataBuffer::kLengthSlack));
        messages.Clear();
    }
};

struct ResizeCase {
    const char* name;
    std::string file;
    uint32_t high;  // where the file's one byte 0x5A lies
    std::vector<MsgAnswer> answers;
    bool asked;
    LoadEnd end;
    uint32_t lengthAfter;
    uint32_t lengthBefore = 0x10000;
    std::string question = "Resize to 0023456H";
};

void PrintTo(const ResizeCase& c, std::ostream* os) { *os << c.name; }

class ResizeQuestion : public LoadPasses, public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(ResizeQuestion, DataBeyondTheBuffer) {
    const ResizeCase& c = GetParam();
    BufferOf(c.lengthBefore);
    FillBuffer(0x33);
    HandBack(WriteData("high.hex", c.file));
    messages.answers.assign(c.answers.begin(), c.answers.end());

    LoadFlow flow(Context());
    EXPECT_EQ(flow.RunLoad(HandedBack()), c.end);

    bool asked = false;
    for (const auto& s : messages.shown) {
        if (s.title != "Out of buffer") continue;
        asked = true;
        EXPECT_EQ(s.text, c.question);
        EXPECT_EQ(s.buttons, MsgButtons::OkCancel);
    }
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(buffer.GetBufferSize(), c.lengthAfter);
    if (c.end == LoadEnd::Loaded) {
        EXPECT_EQ(Byte(c.high), 0x5A);
        EXPECT_EQ(buffer.GetLoadedEnd(), c.high + 1);
    } else {
        EXPECT_EQ(Byte(0), 0x33);  // nothing placed
        EXPECT_EQ(buffer.GetLoadedEnd(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ResizeQuestion,
                         ::testing::Values(
                             // The answer list starts with the announcement's OK.
                             ResizeCase{"IntelOkGrows",
                                        kIntelHigh,
                                        0x23456,
                                        {MsgAnswer::Ok, MsgAnswer::Ok},
                                        true,
                                        LoadEnd::Loaded,
                                        0x23456 + 1024},
                             ResizeCase{"IntelCancelKeepsTheBuffer",
                                        kIntelHigh,
                                        0x23456,
                                        {MsgAnswer::Ok, MsgAnswer::Cancel},
                                        true,
                                        LoadEnd::LoadFailed,
                                        0x10000},
                             ResizeCase{"MotorolaGrowsWithoutAsking",
                                        kMotorolaHigh,
                                        0x23456,
                                        {},
                                        false,
                                        LoadEnd::Loaded,
                                        0x23456 + 1024},
                             ResizeCase{"TektronixAsksToo",
                                        kTektronixHigh,
                                        0xF000,
                                        {MsgAnswer::Ok, MsgAnswer::Ok},
                                        true,
                                        LoadEnd::Loaded,
                                        0xF000 + 1024,
                                        0x2000,
                                        "Resize to 000F000H"},
                             ResizeCase{"TektronixCancelKeepsTheBuffer",
                                        kTektronixHigh,
                                        0xF000,
                                        {MsgAnswer::Ok, MsgAnswer::Cancel},
                                        true,
                                        LoadEnd::LoadFailed,
                                        0x2000,
                                        0x2000,
                                        "Resize to 000F000H"},
                             // Data on the buffer's last byte fit; one byte
                             // further, the buffer must grow.
                             ResizeCase{"LastByteOfTheBufferFits",
                                        "/1FFF012F5A0F\r\n/00000000\r\n",
                                        0x1FFF,
                                        {MsgAnswer::Ok},
                                        false,
                                        LoadEnd::Loaded,
                                        0x2000,
                                        0x2000},
                             ResizeCase{"OneBytePastTheBufferAsks",
                                        "/200001035A0F\r\n/00000000\r\n",
                                        0x2000,
                                        {MsgAnswer::Ok, MsgAnswer::Ok},
                                        true,
                                        LoadEnd::Loaded,
                                        0x2000 + 1024,
                                        0x2000,
                                        "Resize to 0002000H"}),
                         [](const ::testing::TestParamInfo<ResizeCase>& info) {
                             return info.param.name;
                         });

TEST_F(LoadPasses, FailedPassRestoresTheSizeFromBeforeTheLoad) {
    SelectDevice(ValidDevice());  // 8-bit 32 KB: the buffer holds 64 KB
    const uint32_t before = buffer.GetBufferSize();
    ASSERT_EQ(before, 0x10000u + 1024);
    FillBuffer(0x33);
    // Longer than the buffer, so reading it grows the buffer first.
    HandBack(WriteData("broken.hex", BrokenIntel(0x12000)));

    LoadFlow flow(Context());
    EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::LoadFailed);
    EXPECT_EQ(messages.Texts().back(), "FORMAT ERROR !");
    EXPECT_EQ(buffer.GetBufferSize(), before);
    EXPECT_EQ(Byte(0), 0x33);
    EXPECT_EQ(Byte(before - 1), 0x33);
}

TEST_F(LoadPasses, FailedLoadNeverLeavesTheBufferBelowTheDevicesNeed) {
    // An 8-bit device needs 64 KB, a 16-bit one 128 KB.
    struct Case {
        const char* name;
        DeviceKeys device;
        uint32_t need;
    };
    const Case cases[] = {{"Byte8", ValidDevice(), 0x10000},
                          {"Word16", ValidDevice().Set("Data_Width", "0xFFFF"), 0x20000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SelectDevice(c.device);
        BufferOf(0x2000);  // somebody left it smaller than the device needs
        HandBack(WriteData("broken.hex", BrokenIntel(16)));

        LoadFlow flow(Context());
        EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::LoadFailed);
        EXPECT_EQ(buffer.GetBufferSize(), c.need + 1024);
    }
}

TEST_F(LoadPasses, FailedLoadOfAnOptionTypeOneDeviceSendsNothing) {
    SelectDevice(ValidDevice().Set("Option_Fuse_Type", "0x01"));
    ASSERT_EQ(device.FuseTypeDigit, 1);
    const uint32_t before = buffer.GetBufferSize();
    HandBack(WriteData("broken.hex", BrokenIntel(0x12000)));
    sim.ClearTrace();

    LoadFlow flow(Context());
    EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::LoadFailed);
    EXPECT_TRUE(sim.TraceLines().empty());
    EXPECT_EQ(buffer.GetBufferSize(), before);
}

// Bytes 0x11 0x22 at 2 and 0x33 at 0x10 in each format: the image runs from
// 0 to 0x10, with the reader's pre-fill in its gaps.
struct PlacedCase {
    const char* name;
    std::string file;
    uint8_t gap;  // what a reader leaves in the gaps without the fill
};

class HexImagePlacement : public LoadPasses, public ::testing::WithParamInterface<PlacedCase> {};

TEST_P(HexImagePlacement, FillsTheGapsAndKeepsOrFillsTheRest) {
    const PlacedCase& c = GetParam();
    const std::string path = WriteData("placed.dat", c.file);
    // At 0x100 the image lies inside the buffer; at 0x1FF8 it runs past its
    // end, and the buffer grows to the next 64 KB.
    for (const uint32_t dest : {0x100u, 0x1FF8u}) {
        for (const bool fill : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "dest 0x" << std::hex << dest << " fill " << fill);
            BufferOf(DataBuffer::kInitialLength);
            FillBuffer(0x5C);
            const uint32_t lengthBefore = buffer.GetBufferSize();
            HandBack(path, {{"DistSAdd", std::to_string(dest)},
                            {"UnuserFillCheck", fill ? "1" : "0"},
                            {"UserFill", "167"}});

            LoadFlow flow(Context());
            ASSERT_EQ(flow.RunLoad(HandedBack()), LoadEnd::Loaded);

            const uint32_t length = buffer.GetBufferSize();
            EXPECT_EQ(length, dest + 0x11 > lengthBefore ? 0x10000u + 1024 : lengthBefore);
            std::vector<uint8_t> expected(length, 0);
            std::fill_n(expected.begin(), lengthBefore, uint8_t{0x5C});
            if (fill) std::fill(expected.begin(), expected.end(), uint8_t{0xA7});
            std::fill_n(expected.begin() + dest, 0x11, fill ? uint8_t{0xA7} : c.gap);
            expected[dest + 2] = 0x11;
            expected[dest + 3] = 0x22;
            expected[dest + 0x10] = 0x33;
            EXPECT_EQ(Bytes(0, length), expected);
            EXPECT_EQ(buffer.GetLoadedStart(), dest);
            EXPECT_EQ(buffer.GetLoadedEnd(), dest + 0x11);
            EXPECT_FALSE(progress.shown);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, HexImagePlacement,
    ::testing::Values(
        PlacedCase{"Intel", ":020002001122C9\r\n:0100100033BC\r\n:00000001FF\r\n", 0x00},
        PlacedCase{"Motorola", "S10500021122C5\r\nS104001033B8\r\nS9030000FC\r\n", 0xFF},
        PlacedCase{"Tektronix", "/00020204112206\r\n/001001023306\r\n/00000000\r\n", 0x00}),
    [](const ::testing::TestParamInfo<PlacedCase>& info) { return info.param.name; });

struct DetectCase {
    const char* name;
    std::string file;
    LoadFormat expected;
};

void PrintTo(const DetectCase& c, std::ostream* os) { *os << c.name; }

class DetectForTheDialog : public LoadPasses, public ::testing::WithParamInterface<DetectCase> {};

TEST_P(DetectForTheDialog, ProbesTheHeadWithoutTouchingTheBuffer) {
    const DetectCase& c = GetParam();
    BufferOf(0x10000);
    const std::string path = WriteData("probe.dat", c.file);
    WriteSection("LoadDlg", {{"Name", path}, {"SourceSAdd", "0"}, {"SourceEAdd", "99999999"}});
    const uint32_t requested = buffer.RequestedBufferSize();

    EXPECT_EQ(DetectFileFormat(History(), messages), c.expected);
    EXPECT_EQ(buffer.GetBufferSize(), 0x10000u);
    EXPECT_EQ(buffer.RequestedBufferSize(), requested);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(progress.shows, 0);
}

std::string ManyMotorolaRecords() {
    // About 160 KB of S1 records: more than the buffer and than the probed head.
    std::string text;
    for (int i = 0; i < 4096; ++i) text += "S107000001020304EE\r\n";
    return text + "S9030000FC\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DetectForTheDialog,
    ::testing::Values(
        DetectCase{"Intel", ":0400000001020304F2\r\n" + std::string(0x20000, '\n'),
                   LoadFormat::IntelHex},
        DetectCase{"MotorolaLongerThanTheHead", ManyMotorolaRecords(), LoadFormat::Motorola},
        DetectCase{"Tektronix", "/00000404010203040A\r\n/00000000\r\n", LoadFormat::Tektronix},
        DetectCase{"Binary", std::string(300, '\x01'), LoadFormat::Auto}),
    [](const ::testing::TestParamInfo<DetectCase>& info) { return info.param.name; });

TEST_F(LoadPasses, DetectingAMissingFileGivesZero) {
    WriteSection("LoadDlg", {{"Name", dir.Path() + "gone.hex"}});
    EXPECT_EQ(DetectFileFormat(History(), messages), LoadFormat::Auto);
    EXPECT_TRUE(messages.shown.empty());
}

// ---- Busy ---------------------------------------------------------------------------------

struct BusyCase {
    const char* name;
    std::string file;
    Keys keys;
    LoadEnd end;
};

void PrintTo(const BusyCase& c, std::ostream* os) { *os << c.name; }

class BusyDuringLoad : public LoadPasses, public ::testing::WithParamInterface<BusyCase> {};

TEST_P(BusyDuringLoad, SetForTheLoadAndClearedOnEveryWayOut) {
    const BusyCase& c = GetParam();
    HandBack(WriteData("f.dat", c.file), c.keys);
    std::vector<bool> switched;
    FlowContext ctx = Context();
    busy.OnChange = [&](bool now) { switched.push_back(now); };
    std::vector<bool> busyWhileParsing;
    pump.onProcess = [&] { busyWhileParsing.push_back(busy.Busy()); };

    ScriptedLoadDialog dialog;
    LoadFlow flow(ctx);
    EXPECT_EQ(flow.LoadFileClick(dialog), c.end);
    if (c.end == LoadEnd::Cancelled)
        EXPECT_TRUE(switched.empty());
    else
        EXPECT_EQ(switched, (std::vector<bool>{true, false}));
    for (bool busy : busyWhileParsing) EXPECT_TRUE(busy);
    EXPECT_FALSE(busy.Busy());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BusyDuringLoad,
    ::testing::Values(BusyCase{"Loaded", "ABCD", {{"Format", "3"}}, LoadEnd::Loaded},
                      BusyCase{"ReadFailed",
                               "ABCD",
                               {{"SourceSAdd", "3"}, {"SourceEAdd", "1"}},
                               LoadEnd::ReadFailed},
                      BusyCase{"LoadFailed", "ABCD", {{"Format", "5"}}, LoadEnd::LoadFailed},
                      BusyCase{"Cancelled", "ABCD", {{"OK", "0"}}, LoadEnd::Cancelled}),
    [](const ::testing::TestParamInfo<BusyCase>& info) { return info.param.name; });

TEST_F(LoadPasses, BusyDuringTheExternalProgramStart) {
    dir.Write("ext/ExtPro/tool", "#!/bin/sh\n");
    WriteSection("System", {{"Path", dir.Path() + "ext"}});
    dir.Write("INI/DEV.INI", "[ExtendPro]\r\nHaveExtendPro=1\r\nExtendProName=tool\r\n");
    device.IcFileName = dir.Path() + "INI/DEV.INI";
    HandBack(WriteData("f.bin", "ABCD"), {{"Format", "3"}});
    bool busyAtStart = false;
    processes.onStart = [&] { busyAtStart = busy.Busy(); };

    LoadFlow flow(Context());
    EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::Loaded);
    EXPECT_TRUE(busyAtStart);
    EXPECT_FALSE(busy.Busy());
}

TEST_F(LoadPasses, LoadCommandWhileBusyIsIgnored) {
    BusyScope held(busy);
    ScriptedLoadDialog dialog;
    LoadFlow flow(Context());
    EXPECT_EQ(flow.LoadFileClick(dialog), LoadEnd::Ignored);
    EXPECT_EQ(dialog.runs, 0);
    EXPECT_TRUE(busy.Busy());
}

// An S-record file of more than 65535 records, as srec_cat writes it: its
// record count is an S6 record. Skipped where srecord is not installed.
TEST_F(LoadPasses, ALargeSRecordFileWithItsCountRecordLoadsAsMotorola) {
    if (std::system("command -v srec_cat >/dev/null 2>&1") != 0) GTEST_SKIP() << "no srec_cat";
    const std::string text = dir.Path() + "data/big.s28";
    const std::string bin = dir.Path() + "data/big.bin";
    std::filesystem::create_directories(dir.Path() + "data");
    ASSERT_EQ(std::system(("srec_cat -generate 0 0x110000 -repeat-data 0x55 0xAA 0x01 -o " + text +
                           " -Motorola -obs=16 && srec_cat " + text + " -Motorola -o " + bin +
                           " -binary 2>/dev/null")
                              .c_str()),
              0);
    const std::string file = dir.Read("data/big.s28");
    ASSERT_NE(file.find("\nS6"), std::string::npos) << "srec_cat wrote no S6 record";
    const std::string expected = dir.Read("data/big.bin");
    ASSERT_EQ(expected.size(), 0x110000u);

    for (const char* format : {"0", "5"}) {  // auto-detected, and Motorola chosen
        SCOPED_TRACE(format);
        messages.Clear();
        messages.answers = {MsgAnswer::Yes};  // the buffer grows for the file
        HandBack(text, {{"Format", format}});
        LoadFlow flow(Context());
        EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::Loaded);
        for (const auto& shown : messages.shown) EXPECT_NE(shown.text, kLoadBinaryText);
        ASSERT_GE(buffer.GetBufferSize(), expected.size());
        const std::vector<uint8_t> loaded = Bytes(0, expected.size());
        EXPECT_TRUE(std::equal(loaded.begin(), loaded.end(), expected.begin(),
                               [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); }));
    }
}

}  // namespace
}  // namespace burnmark::testing
