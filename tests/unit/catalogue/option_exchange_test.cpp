// The option words on the wire, against the simulated programmer: the send
// for option types 2 and 1 with the patch list, the read-back, the chip
// option block into the store, the option-type-1 checksum, and what each
// failing request leaves behind.
#include "catalogue/option_exchange.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "unit/catalogue/option_fixture.h"

namespace burnmark::testing {
namespace {

std::vector<std::string> SetupLines() {
    std::vector<std::string> lines = {"close", "open", "out 47 4000 4000"};
    for (int page = 0; page < 8; ++page) {
        lines.push_back("out 43 000" + std::to_string(page) + " 0000");
        lines.push_back("bulk-out 16384");
    }
    lines.push_back("out 47 0B00 0080");
    lines.push_back("bulk-out 128");
    return lines;
}

std::vector<std::string> Then(std::vector<std::string> lines, std::vector<std::string> more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

struct Patch {
    uint32_t address;
    uint16_t value;
};

std::array<uint8_t, 256> PatchList(const std::vector<Patch>& patches, bool endEntry = true) {
    std::array<uint8_t, 256> list;
    list.fill(endEntry ? 0xFF : 0x00);
    std::size_t at = 0;
    for (const Patch& p : patches) {
        for (uint16_t w : {static_cast<uint16_t>(p.address & 0xFFFF),
                           static_cast<uint16_t>(p.address >> 16), p.value}) {
            list[at++] = static_cast<uint8_t>(w & 0xFF);
            list[at++] = static_cast<uint8_t>(w >> 8);
        }
    }
    return list;
}

std::array<uint8_t, 16> Status(uint8_t s0, uint8_t s1, uint16_t sum = 0) {
    std::array<uint8_t, 16> s{};
    s[0] = s0;
    s[1] = s1;
    s[2] = static_cast<uint8_t>(sum & 0xFF);
    s[3] = static_cast<uint8_t>(sum >> 8);
    return s;
}

class OptionExchangeTest : public OptionFixture {
protected:
    OptionExchangeTest() {
        // Three check boxes: ticked, not ticked, ticked.
        Definition(
            "[CurrentUserPage_0]\nComponentTotal=3\nComponentType0=0\nComponentType1=0\n"
            "ComponentType2=0\n");
        Store("[CurrentUserPageSetup]\nPage0Com0Set=1\nPage0Com1Set=0\nPage0Com2Set=1\n");
        options.OptionValuesSaved = 1;
        for (std::size_t i = 0; i < kOptionWordCount; ++i)
            options.OptionWords[i] = static_cast<uint16_t>(0x1100 + i);
        EXPECT_TRUE(buffer.SetBufferSize(0x2000));
        BufferLock lock = buffer.GetBufferHandle();
        std::fill(lock.Bytes().begin(), lock.Bytes().end(), uint8_t{0x11});
    }

    uint8_t Byte(uint32_t address) { return buffer.GetBufferHandle().Bytes()[address]; }
    const SimCall& Last(SimCallKind kind) const {
        for (auto it = sim.Trace().rbegin(); it != sim.Trace().rend(); ++it)
            if (it->kind == kind) return *it;
        static const SimCall none;
        return none;
    }
};

// ---- Sending -------------------------------------------------------------------------------

TEST_F(OptionExchangeTest, OptionTypeTwoSendsTheWordsAfterTheSetUp) {
    ASSERT_TRUE(exchange.SendOptionData());
    EXPECT_EQ(sim.TraceLines(), Then(SetupLines(), {"out 47 0B80 0080", "bulk-out 128"}));
    const std::vector<uint8_t>& sent = Last(SimCallKind::BulkOut).data;
    ASSERT_EQ(sent.size(), 128u);
    EXPECT_EQ(std::vector<uint8_t>(sent.begin(), sent.begin() + 8),
              (std::vector<uint8_t>{0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x03, 0x11}));
    EXPECT_EQ(sent[126], 63);  // word 63 as it was
    EXPECT_EQ(options.OptionWords[64], 0x1100 + 64);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(fail.count, 0);
    EXPECT_TRUE(sim.ProtocolErrors().empty());
}

TEST_F(OptionExchangeTest, OptionTypeOneAppliesTheOptionsAndPatchesOnAPass) {
    device.FuseTypeDigit = 1;
    sim.patchList = PatchList({{0x1234, 0xABCD}, {0x1FFF, 0x5566}});
    ASSERT_TRUE(exchange.SendOptionData());
    EXPECT_EQ(sim.TraceLines(),
              Then(SetupLines(), {"out 47 0B80 0080", "bulk-out 128", "out 49 4000 0C00",
                                  "in 42 0000 0000 16", "out 46 0F00 0100", "bulk-in 256"}));
    EXPECT_EQ(Byte(0x1233), 0x11);
    EXPECT_EQ(Byte(0x1234), 0xCD);
    EXPECT_EQ(Byte(0x1235), 0xAB);
    EXPECT_EQ(Byte(0x1FFF), 0x66);
    EXPECT_EQ(Byte(0x2000), 0x55);
    // The read voltages wait in the block for the next parameter block.
    EXPECT_EQ(device.DeviceParamBlock.Word(param::CurrentVcc), 50);
    EXPECT_EQ(device.DeviceParamBlock.Word(param::CurrentVhh), 52);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(OptionExchangeTest, ThePatchListIsBoundedByItsEndAndTheBuffer) {
    device.FuseTypeDigit = 1;
    struct Case {
        const char* name;
        std::array<uint8_t, 256> list;
        std::vector<std::pair<uint32_t, uint8_t>> bytes;
    };
    std::vector<Patch> fortyTwo;
    for (uint32_t i = 0; i < 42; ++i)
        fortyTwo.push_back({i * 2, static_cast<uint16_t>(0x2200 + i)});
    const uint32_t length = buffer.GetBufferSize();
    const Case cases[] = {
        {"EndFirst", PatchList({}), {{0, 0x11}}},
        {"PastTheBuffer",
         PatchList({{length - 1, 0x7788}, {0x00FFFFFF, 1}, {0xFFFFFFFF, 2}}),
         {{length - 1, 0x11}, {0, 0x11}}},
        {"FortyTwoWithoutAnEnd",
         PatchList(fortyTwo, false),
         {{0, 0x00}, {1, 0x22}, {82, 0x29}, {83, 0x22}, {84, 0x11}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BufferLock lock = buffer.GetBufferHandle();
        std::fill(lock.Bytes().begin(), lock.Bytes().end(), uint8_t{0x11});
        lock.Release();
        sim.patchList = c.list;
        EXPECT_TRUE(exchange.SendOptionData());
        for (const auto& [address, value] : c.bytes)
            EXPECT_EQ(Byte(address), value) << "at " << address;
    }
}

TEST_F(OptionExchangeTest, AFailedApplyPatchesNothing) {
    device.FuseTypeDigit = 1;
    sim.patchList = PatchList({{0x10, 0xABCD}});
    sim.OverrideStatus(OpApplyOptions, Status(1, 0));
    EXPECT_FALSE(exchange.SendOptionData());
    EXPECT_EQ(sim.TraceLines().back(), "in 42 0000 0000 16");
    EXPECT_EQ(Byte(0x10), 0x11);
    EXPECT_EQ(fail.count, 1);
    EXPECT_TRUE(messages.shown.empty());
}

struct SendFault {
    const char* name;
    SimCallKind kind;
    int nth;
    int request;
    std::vector<std::string> messages;
};

void PrintTo(const SendFault& c, std::ostream* os) { *os << c.name; }

class SendFaults : public OptionExchangeTest, public ::testing::WithParamInterface<SendFault> {};

TEST_P(SendFaults, StopTheSendAndPatchNothing) {
    const SendFault& c = GetParam();
    device.FuseTypeDigit = 1;
    sim.patchList = PatchList({{0x10, 0xABCD}});
    sim.InjectFault(c.kind, c.nth, SimFault::Fail, c.request);

    EXPECT_FALSE(exchange.SendOptionData());
    EXPECT_EQ(messages.Texts(), c.messages);
    EXPECT_GE(fail.count, 1);
    EXPECT_EQ(Byte(0x10), 0x11);
    EXPECT_TRUE(sim.TraceLines().back().ends_with("FAIL")) << sim.TraceLines().back();
}

INSTANTIATE_TEST_SUITE_P(
    EveryRequest, SendFaults,
    ::testing::Values(
        SendFault{"FpgaAnnounce", SimCallKind::VendorOut, 1, CmdBlockWrite, {}},
        SendFault{"FpgaPage", SimCallKind::VendorOut, 4, CmdChangePage, {}},
        SendFault{"FpgaBulk", SimCallKind::BulkOut, 8, -1, {}},
        SendFault{"ParamBlock", SimCallKind::VendorOut, 2, CmdBlockWrite, {}},
        SendFault{"ParamBulk", SimCallKind::BulkOut, 9, -1, {}},
        SendFault{"OptionWords",
                  SimCallKind::VendorOut,
                  3,
                  CmdBlockWrite,
                  {"Error 47! Write Command Fail"}},
        SendFault{
            "OptionBulk", SimCallKind::BulkOut, 10, -1, {"Error! Data -> DE-48 0x300 Buffer Fail"}},
        SendFault{"Apply", SimCallKind::VendorOut, 1, CmdExecute, {"Error 49! Command Fail"}},
        SendFault{"Status", SimCallKind::VendorIn, 1, CmdStatus, {}},
        SendFault{"PatchRequest",
                  SimCallKind::VendorOut,
                  1,
                  CmdBlockRead,
                  {"Error 46! Read Command Fail"}},
        SendFault{
            "PatchBulk", SimCallKind::BulkIn, 1, -1, {"Error! Data -> DE-48 256 Buffer Fail"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OptionExchangeTest, WithoutAProgrammerTheOperatorIsToldOnce) {
    sim.ClearSlots();
    EXPECT_FALSE(exchange.SendOptionData());
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{kHardwareMissingText}));
    EXPECT_EQ(fail.count, 1);
    // The words were packed all the same.
    EXPECT_EQ(options.OptionWords[1], 0);
}

TEST_F(OptionExchangeTest, AnUnusableDeviceIsRefusedBeforeTheProgrammerIsOpened) {
    for (int c = 0; c < 2; ++c) {
        SCOPED_TRACE(c);
        device.DeviceValid = c != 0;
        device.FpgaFileMissing = c == 0 ? 0 : 1;
        device.FuseTypeDigit = 1;
        sim.ClearTrace();
        EXPECT_FALSE(exchange.SendOptionData());
        exchange.RefreshOptionChecksum();
        EXPECT_TRUE(sim.Trace().empty());
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(downloads, 0);
    }
}

// A store that missed a write holds other values than the pages did: packing
// from it is refused, unless the device's pages carry no word at all. The
// words as they are still go out through SendOptionWords.
TEST_F(OptionExchangeTest, AStoreBehindItsValuesStopsThePackingSend) {
    struct Case {
        const char* menu;
        bool behind;
        bool sent;
    } cases[] = {
        {"OPTION\\TEST.INI", true, false},
        {"OPTION\\TEST.INI", false, true},
        {"0", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.menu) + (c.behind ? " behind" : ""));
        device.Menu = c.menu;
        options.StoreBehind = c.behind;
        options.OptionWords[0] = 0x1100;
        sim.ClearTrace();
        messages.Clear();
        fail.count = 0;
        EXPECT_EQ(exchange.SendOptionData(), c.sent);
        EXPECT_EQ(sim.Trace().empty(), !c.sent);
        const std::vector<std::string> said =
            c.sent ? std::vector<std::string>{}
                   : std::vector<std::string>{OptionStoreBehindText(dir.Path() + "temp.ini")};
        EXPECT_EQ(messages.Texts(), said);
        EXPECT_EQ(fail.count, c.sent ? 0 : 1);
        EXPECT_EQ(options.OptionWords[0], c.sent && c.menu[0] != '0' ? 1 : 0x1100);
    }

    device.Menu = "OPTION\\TEST.INI";
    options.StoreBehind = true;
    sim.ClearTrace();
    ASSERT_TRUE(exchange.SendOptionWords());
    EXPECT_EQ(Last(SimCallKind::BulkOut).data[0], 0x00);  // word 0 as it was: 0x1100
    EXPECT_EQ(Last(SimCallKind::BulkOut).data[1], 0x11);
}

// ---- Reading back --------------------------------------------------------------------------

class ReadBackTest : public OptionExchangeTest {
protected:
    ReadBackTest() {
        // Words: 0 check box, 1 hex 24-bit, 2-5 text, 6-35 a long text, 36 check box.
        Definition(
            "[CurrentUserPage_0]\nComponentTotal=5\nComponentType0=0\n"
            "ComponentType1=2\nValueType1=5\n"
            "ComponentType2=2\nValueType2=6\nLength2=4\n"
            "ComponentType3=2\nValueType3=6\nLength3=30\n"
            "ComponentType4=0\n");
        Store("[CurrentUserPageSetup]\nPage0Com3Set=kept\nPage0Com4Set=1\n");
        std::array<uint16_t, 64> chip{};
        chip[0] = 1;
        chip[1] = 0x3456;
        chip[2] = 'A';
        chip[3] = 'B';
        for (std::size_t i = 6; i < 64; ++i) chip[i] = 'z';
        for (std::size_t i = 0; i < chip.size(); ++i) {
            sim.Chip().optionWords[2 * i] = static_cast<uint8_t>(chip[i] & 0xFF);
            sim.Chip().optionWords[2 * i + 1] = static_cast<uint8_t>(chip[i] >> 8);
        }
        EXPECT_TRUE(link.Reopen());
        EXPECT_TRUE(link.Execute(OpExtractOptions));
        sim.ClearTrace();
    }
};

TEST_F(ReadBackTest, TakesTheWholeBlockAndUsesItsFirstThirtyTwoWords) {
    options.OptionValuesSaved = 0;
    ASSERT_TRUE(exchange.ReadOptionData());
    EXPECT_EQ(sim.TraceLines(), (std::vector<std::string>{"out 46 0B80 0080", "bulk-in 128"}));
    EXPECT_TRUE(sim.ProtocolErrors().empty());
    EXPECT_EQ(options.OptionWords[1], 0x3456);
    EXPECT_EQ(options.OptionWords[31], 'z');
    EXPECT_EQ(options.OptionWords[32], 0);
    EXPECT_EQ(options.OptionWords[127], 0);

    EXPECT_EQ(Stored("Page0Com0Set"), "1");
    EXPECT_EQ(Stored("Page0Com1Set"), "13398");
    EXPECT_EQ(Stored("Page0Com2Set"), "AB");
    // What lies past word 31 keeps what the pages showed: the text its stored
    // value, the check box the definition's state shown until now.
    EXPECT_EQ(Stored("Page0Com3Set"), "kept");
    EXPECT_EQ(Stored("Page0Com4Set"), "0");
    EXPECT_EQ(options.OptionValuesSaved, 1);
    // The pages now show what came back.
    EXPECT_EQ(Layout().Components[1].Text, "3456");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ReadBackTest, AFailedTransferLeavesWordsAndStoreAsTheyWere) {
    struct Case {
        SimCallKind kind;
        int request;
        const char* message;
    } cases[] = {{SimCallKind::VendorOut, CmdBlockRead, "Error 46! Read Command Fail"},
                 {SimCallKind::BulkIn, -1, "Error! MPU Option Data -> Buffer Fail"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        messages.Clear();
        fail.count = 0;
        sim.InjectFault(c.kind, 1, SimFault::Fail, c.request);
        EXPECT_FALSE(exchange.ReadOptionData());
        EXPECT_EQ(messages.Texts(), (std::vector<std::string>{c.message}));
        EXPECT_EQ(fail.count, 1);
        EXPECT_EQ(options.OptionWords[0], 0x1100);
        EXPECT_EQ(Stored("Page0Com0Set"), "<missing>");
    }
}

// The words arrive all the same; the operator is told that the store missed
// them, and the store counts as behind until a write of every value lands.
TEST_F(ReadBackTest, AStoreThatCannotBeWrittenIsReported) {
    const std::string store = dir.Path() + "temp.ini";
    ASSERT_EQ(::chmod(store.c_str(), 0444), 0);
    ASSERT_TRUE(exchange.ReadOptionData());
    EXPECT_EQ(options.OptionWords[1], 0x3456);
    EXPECT_EQ(Stored("Page0Com1Set"), "<missing>");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, OptionStoreWriteFailText(store, "read from the chip"));
    EXPECT_EQ(messages.shown[0].title, "Settings");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Warning);
    EXPECT_TRUE(options.StoreBehind);

    // Words 0 to 31 do not reach the last two components: still behind.
    ASSERT_EQ(::chmod(store.c_str(), 0644), 0);
    sim.ClearTrace();
    ASSERT_TRUE(link.Execute(OpExtractOptions));
    ASSERT_TRUE(exchange.ReadOptionData());
    EXPECT_EQ(Stored("Page0Com1Set"), "13398");
    EXPECT_TRUE(options.StoreBehind);
    // The whole chip option block reaches every one.
    exchange.StoreOptionWords();
    EXPECT_FALSE(options.StoreBehind);
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(ReadBackTest, TheChipOptionBlockGoesIntoTheStoreWithoutARequest) {
    options.ChipOptionWords.fill(0);
    options.ChipOptionWords[0] = 0;
    options.ChipOptionWords[1] = 0xFFFF;
    options.ChipOptionWords[2] = 'O';
    options.ChipOptionWords[3] = 'K';
    options.ChipOptionWords[36] = 1;
    exchange.StoreOptionWords();
    EXPECT_TRUE(sim.Trace().empty());
    EXPECT_EQ(Stored("Page0Com0Set"), "0");
    EXPECT_EQ(Stored("Page0Com1Set"), "65535");
    EXPECT_EQ(Stored("Page0Com2Set"), "OK");
    EXPECT_EQ(Stored("Page0Com3Set"), "");
    EXPECT_EQ(Stored("Page0Com4Set"), "1");
}

// ---- The option-type-1 checksum ----------------------------------------------------------

TEST_F(OptionExchangeTest, TheChecksumComesFromTheAppliedOptions) {
    device.FuseTypeDigit = 1;
    sim.OverrideStatus(OpApplyOptions, Status(0, 0, 0x1234));
    sim.OverrideStatus(OpApplyOptions, Status(0, 0, 0x1234));
    exchange.RefreshOptionChecksum();
    EXPECT_EQ(sim.TraceLines(), Then(SetupLines(), {"out 49 4000 0C00", "in 42 0000 0000 16"}));
    EXPECT_EQ(downloads, 1);
    // The block went out with the read voltages.
    EXPECT_EQ(sim.ParamWord(param::CurrentVcc), 50);
    EXPECT_EQ(sim.ParamWord(param::CurrentVpp), 51);
    EXPECT_EQ(field.texts, (std::vector<std::string>{"00001234"}));
    EXPECT_EQ(field.highlights, (std::vector<bool>{true}));
    EXPECT_EQ(checksum.LastChecksum(), 0x1234u);

    exchange.RefreshOptionChecksum();
    EXPECT_EQ(field.texts.back(), "00001234");
    EXPECT_EQ(field.highlights, (std::vector<bool>{true, false}));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(OptionExchangeTest, TheChecksumStaysWhenAStepFails) {
    device.FuseTypeDigit = 1;
    struct Case {
        const char* name;
        bool download;
        std::optional<std::array<uint8_t, 16>> status;
        bool statusRequestFails;
        std::vector<std::string> messages;
        int fails;
    } cases[] = {
        {"Download", false, std::nullopt, false, {}, 0},
        {"StatusFails", true, Status(1, 0, 0x4321), false, {}, 1},
        {"StatusRequest", true, std::nullopt, true, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim.ClearTrace();
        messages.Clear();
        fail.count = 0;
        downloadOk = c.download;
        if (c.status) sim.OverrideStatus(OpApplyOptions, *c.status);
        if (c.statusRequestFails)
            sim.InjectFault(SimCallKind::VendorIn, 1, SimFault::Fail, CmdStatus);
        exchange.RefreshOptionChecksum();
        EXPECT_TRUE(field.texts.empty());
        EXPECT_EQ(messages.Texts(), c.messages);
        EXPECT_EQ(fail.count, c.fails);
        // Nothing is applied to a buffer the programmer did not get.
        if (!c.download) {
            EXPECT_EQ(sim.TraceLines().back(), "bulk-out 128");
        }
    }
}

}  // namespace
}  // namespace burnmark::testing
