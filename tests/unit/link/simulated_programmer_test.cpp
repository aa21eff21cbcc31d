// The simulated programmer stands in for the hardware in every operation
// test, so its own rules are pinned here: the slot search, the
// announce-then-bulk rule and the chip's EPROM behaviour.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "link/programmer_requests.h"
#include "support/simulated_programmer.h"

namespace burnmark::testing {
namespace {

TEST(SimulatedProgrammerOpen, SearchesTheSlotsInOrder) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, uint16_t>> devices;
        bool opens;
        int slot;
        std::vector<int> probed;
    };
    const Case cases[] = {
        {"none", {}, false, -1, {}},
        {"foreign at 0, programmer at 3", {{0, 0x1234}, {3, 0x0A5E}}, true, 3, {0, 3}},
        {"two programmers: the first wins", {{5, 0x0A5E}, {2, 0x0A5E}}, true, 2, {2}},
        {"only foreign devices", {{0, 0x1234}, {14, 0x0A5F}}, false, -1, {0, 14}},
        {"programmer in the last slot", {{14, 0x0A5E}}, true, 14, {14}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedProgrammer sim;
        sim.ClearSlots();
        for (const auto& [slot, product] : c.devices) sim.SetSlot(slot, product);
        EXPECT_EQ(sim.UsbOpen(ProgrammerProductId), c.opens);
        EXPECT_EQ(sim.IsOpen(), c.opens);
        EXPECT_EQ(sim.OpenSlot(), c.slot);
        EXPECT_EQ(sim.ProbedSlots(), c.probed);
    }
}

TEST(SimulatedProgrammerOpen, AlreadyOpenAndCloseTwice) {
    SimulatedProgrammer sim;
    ASSERT_TRUE(sim.UsbOpen(ProgrammerProductId));
    EXPECT_TRUE(sim.UsbOpen(ProgrammerProductId));
    EXPECT_EQ(sim.ProbedSlots().size(), 1u);  // the second open touched nothing
    EXPECT_TRUE(sim.UsbClose());
    EXPECT_FALSE(sim.UsbClose());
    EXPECT_FALSE(sim.IsOpen());
}

TEST(SimulatedProgrammerOpen, ClosedOrUnpluggedAnswersNothing) {
    SimulatedProgrammer sim;
    std::array<uint8_t, 16> status{};
    EXPECT_FALSE(sim.UsbVendorCmdRead(CmdStatus, 0, 0, status));
    ASSERT_TRUE(sim.UsbOpen(ProgrammerProductId));
    sim.Unplug();
    EXPECT_FALSE(sim.UsbVendorCmdWrite(CmdChangePage, 0, 0));
    EXPECT_TRUE(sim.UsbClose());
    EXPECT_FALSE(sim.UsbOpen(ProgrammerProductId));
    sim.Replug();
    EXPECT_TRUE(sim.UsbOpen(ProgrammerProductId));
}

TEST(SimulatedProgrammerWire, BulkMustBeAnnounced) {
    SimulatedProgrammer sim;
    ASSERT_TRUE(sim.UsbOpen(ProgrammerProductId));
    const std::vector<uint8_t> bytes(16, 0);
    EXPECT_FALSE(sim.UsbDataWrite(bytes));
    EXPECT_EQ(sim.ProtocolErrors().size(), 1u);
    // One announcement, one transfer, of its own length.
    ASSERT_TRUE(sim.UsbVendorCmdWrite(CmdBlockWrite, 0x0B80, 0x80));
    EXPECT_TRUE(sim.UsbDataWrite(bytes));
    EXPECT_FALSE(sim.UsbDataWrite(bytes));
    EXPECT_EQ(sim.ProtocolErrors().size(), 2u);

    // A block read delivers what was announced and no more.
    std::vector<uint8_t> in(256, 0xAA);
    ASSERT_TRUE(sim.UsbVendorCmdWrite(CmdBlockRead, kOptionWordsAddr, kOptionWordsLength));
    EXPECT_FALSE(sim.UsbDataRead(in));
    EXPECT_EQ(sim.ProtocolErrors().size(), 3u);
    EXPECT_EQ(in[127], sim.Ram()[kOptionWordsAddr + 127]);
    EXPECT_TRUE(std::all_of(in.begin() + 128, in.end(), [](uint8_t b) { return b == 0xAA; }));
}

TEST(SimulatedProgrammerWire, ControlReplyOfTheWrongLengthFails) {
    SimulatedProgrammer sim;
    ASSERT_TRUE(sim.UsbOpen(ProgrammerProductId));
    std::array<uint8_t, 20> tooLong;
    tooLong.fill(0xAA);
    EXPECT_FALSE(sim.UsbVendorCmdRead(CmdStatus, 0, 0, tooLong));
    // Exactly the reply's 16 bytes arrived, nothing beyond them.
    EXPECT_TRUE(
        std::all_of(tooLong.begin() + 16, tooLong.end(), [](uint8_t b) { return b == 0xAA; }));

    // A short reply into a buffer longer than the reply moves only what there is.
    std::array<uint8_t, 40> longer;
    longer.fill(0xAA);
    sim.InjectFault(SimCallKind::VendorIn, 1, SimFault::Short, CmdStatus);
    EXPECT_FALSE(sim.UsbVendorCmdRead(CmdStatus, 0, 0, longer));
    EXPECT_TRUE(
        std::all_of(longer.begin() + 16, longer.end(), [](uint8_t b) { return b == 0xAA; }));
}

// The sweeps fail the nth call whatever it is: counted over every kind of
// call from the injection on, and only that one call.
TEST(SimulatedProgrammerFaults, TheNthCallOfAnyKindFails) {
    const std::vector<uint8_t> block(128, 0);
    std::array<uint8_t, 16> status{};
    for (int nth = 1; nth <= 4; ++nth) {
        SCOPED_TRACE(nth);
        SimulatedProgrammer sim;
        ASSERT_TRUE(sim.UsbOpen(ProgrammerProductId));
        sim.ClearTrace();
        sim.InjectFaultAtCall(nth, SimFault::Fail);
        const bool results[] = {
            sim.UsbOpen(ProgrammerProductId),  // already open: nothing to do unless faulted
            sim.UsbVendorCmdWrite(CmdBlockWrite, kParamBlockAddr, kParamBlockLength),
            sim.UsbDataWrite(block),
            sim.UsbVendorCmdRead(CmdStatus, 0, 0, status),
        };
        for (int call = 1; call <= 4; ++call) {
            // A failed announcement leaves its bulk write unannounced.
            const bool expected = call != nth && !(nth == 2 && call == 3);
            EXPECT_EQ(results[call - 1], expected) << "call " << call;
        }
    }

    // Unplug takes the programmer away at that call, a close included.
    SimulatedProgrammer sim;
    ASSERT_TRUE(sim.UsbOpen(ProgrammerProductId));
    sim.InjectFaultAtCall(1, SimFault::Unplug);
    EXPECT_TRUE(sim.UsbClose());
    EXPECT_FALSE(sim.UsbOpen(ProgrammerProductId));
    EXPECT_EQ(sim.CallCount(), 3u);
}

// Drives the chunk scheme the way the operations do.
class SimChipTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.UsbOpen(ProgrammerProductId)); }

    void SendWords(uint16_t offset, uint16_t bank, uint16_t size) {
        std::array<uint8_t, 128> block{};
        auto put = [&](unsigned at, uint16_t v) {
            block[at] = static_cast<uint8_t>(v);
            block[at + 1] = static_cast<uint8_t>(v >> 8);
        };
        put(kWordOffset, offset);
        put(kWordBank, bank);
        put(kWordSmallSize, size);
        ASSERT_TRUE(sim.UsbVendorCmdWrite(CmdBlockWrite, kParamBlockAddr, kParamBlockLength));
        ASSERT_TRUE(sim.UsbDataWrite(block));
    }

    std::array<uint8_t, 16> Run(uint16_t op) {
        EXPECT_TRUE(sim.UsbVendorCmdWrite(CmdExecute, kRoutineEntry, op));
        std::array<uint8_t, 16> status{};
        EXPECT_TRUE(sim.UsbVendorCmdRead(CmdStatus, 0, 0, status));
        return status;
    }

    std::array<uint8_t, 16> WriteChunk(uint16_t offset, uint16_t bank,
                                       const std::vector<uint8_t>& chunk, uint16_t op) {
        SendWords(offset, bank, 0);
        EXPECT_TRUE(sim.UsbVendorCmdWrite(CmdChangePage, 0, 0));
        for (int half = 0; half < 2; ++half) {
            EXPECT_TRUE(sim.UsbVendorCmdWrite(CmdDataWrite, 0x8000, 0x8000));
            EXPECT_TRUE(sim.UsbDataWrite(std::span(chunk).subspan(half * 0x8000, 0x8000)));
        }
        return op ? Run(op) : std::array<uint8_t, 16>{};
    }

    std::vector<uint8_t> ReadChunk(uint16_t offset, uint16_t bank, uint16_t op,
                                   std::array<uint8_t, 16>* status = nullptr) {
        SendWords(offset, bank, 0);
        const auto s = Run(op);
        if (status) *status = s;
        std::vector<uint8_t> chunk(0x10000);
        for (int half = 0; half < 2; ++half) {
            EXPECT_TRUE(sim.UsbVendorCmdWrite(CmdDataRead, 0x8000, 0x8000));
            EXPECT_TRUE(sim.UsbDataRead(std::span(chunk).subspan(half * 0x8000, 0x8000)));
        }
        return chunk;
    }

    SimulatedProgrammer sim;
};

TEST_F(SimChipTest, ProgrammingOnlyClearsBits) {
    sim.InsertChip(false, 0x20000);
    sim.Chip().main[0x10005] = 0x0F;
    std::vector<uint8_t> chunk(0x10000, 0xFF);
    chunk[4] = 0x3C;
    chunk[5] = 0xF0;  // 0x0F & 0xF0 = 0: the cell cannot become 0xF0

    const auto status = WriteChunk(0, 1, chunk, OpProgram);
    EXPECT_EQ(sim.Chip().main[0x10004], 0x3C);
    EXPECT_EQ(sim.Chip().main[0x10005], 0x00);
    EXPECT_EQ(status[0], 1);
    EXPECT_EQ((status[2] | status[3] << 8) << 16 | (status[4] | status[5] << 8), 0x10005);
    EXPECT_EQ(sim.Executions().back().bankWord, 1);
    EXPECT_TRUE(sim.ProtocolErrors().empty());
}

TEST_F(SimChipTest, EraseBlankCheckAndProtect) {
    sim.InsertChip(false, 0x8000, 0x100);
    sim.Chip().ext[0x10] = 0x7E;
    auto status = Run(OpBlankCheck);
    EXPECT_EQ(status[0], 1);
    EXPECT_EQ(status[4] | status[5] << 8, 0x8010);  // the extended area follows the main area
    EXPECT_EQ(status[6], 0x7E);

    EXPECT_EQ(Run(OpProtect)[0], 0);
    std::array<uint8_t, 16> readStatus{};
    ReadChunk(0, 0, OpRead, &readStatus);
    EXPECT_EQ(readStatus[0], 0);
    EXPECT_EQ(readStatus[1], 4);

    sim.Chip().chipOptionBlock[3] = 0x00;
    EXPECT_EQ(Run(OpErase)[0], 0);
    EXPECT_FALSE(sim.Chip().protectedFlag);
    EXPECT_EQ(sim.Chip().optionWords[0], 0xFF);
    EXPECT_EQ(sim.Chip().chipOptionBlock[3], 0xFF);
    status = Run(OpBlankCheck);
    EXPECT_EQ(status[0], 0);
    EXPECT_EQ(status[1], 0);
}

// Where a chunk lands: (bank x 64K + offset) addresses into the main or the
// extended area, two bytes an address on a 16-bit chip.
TEST_F(SimChipTest, ChunksLandByBankAndOffset) {
    struct Case {
        const char* name;
        bool wide;
        uint16_t offset;
        uint16_t bank;
        bool ext;
        size_t byteStart;
    };
    const Case cases[] = {
        {"8-bit main, bank 1", false, 0, 1, false, 0x10000},
        {"8-bit extended, bank 1", false, 0, 1, true, 0x10000},
        {"16-bit main, bank 1 second half", true, 0x8000, 1, false, 0x30000},
        {"16-bit extended, bank 0 second half", true, 0x8000, 0, true, 0x10000},
    };
    std::vector<uint8_t> chunk(0x10000);
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<uint8_t>(i ^ (i >> 8));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim.InsertChip(c.wide, 0x20000, 0x20000);  // 128K addresses in each area
        const std::vector<uint8_t>& area = c.ext ? sim.Chip().ext : sim.Chip().main;
        const std::vector<uint8_t>& other = c.ext ? sim.Chip().main : sim.Chip().ext;

        const auto status =
            WriteChunk(c.offset, c.bank, chunk, c.ext ? OpProgramExt : OpProgram);
        EXPECT_EQ(status[0], 0);
        EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), area.begin() + c.byteStart));
        EXPECT_EQ(area[c.byteStart - 1], 0xFF);
        EXPECT_TRUE(std::all_of(other.begin(), other.end(), [](uint8_t b) { return b == 0xFF; }));
        EXPECT_EQ(ReadChunk(c.offset, c.bank, c.ext ? OpReadExt : OpRead), chunk);
        EXPECT_TRUE(sim.ProtocolErrors().empty());
    }
}

TEST_F(SimChipTest, ReadGivesTheChipSumAndOptionBlock) {
    sim.InsertChip(false, 0x18000, 0x100);
    sim.Chip().main.assign(sim.Chip().main.size(), 0x01);
    sim.Chip().ext.assign(sim.Chip().ext.size(), 0x02);
    for (size_t i = 0; i < 256; ++i) sim.Chip().chipOptionBlock[i] = static_cast<uint8_t>(~i);

    // Every bank's status carries the sum of the whole area, so the last one does too.
    for (uint16_t bank : {0, 1}) {
        std::array<uint8_t, 16> status{};
        ReadChunk(0, bank, OpRead, &status);
        EXPECT_EQ(status[0] | status[1] << 8, 0);
        EXPECT_EQ(status[2] | status[3] << 8, 0x8000);  // 0x18000 x 1, low 16 bits
    }
    std::array<uint8_t, 16> status{};
    ReadChunk(0, 0, OpReadExt, &status);
    EXPECT_EQ(status[2] | status[3] << 8, 0x200);

    // The chip option block is readable at 0x0E00 right after the read.
    std::vector<uint8_t> block(256);
    ASSERT_TRUE(sim.UsbVendorCmdWrite(CmdBlockRead, kChipOptionAddr, kChipOptionLength));
    ASSERT_TRUE(sim.UsbDataRead(block));
    EXPECT_TRUE(std::equal(block.begin(), block.end(), sim.Chip().chipOptionBlock.begin()));
    EXPECT_TRUE(sim.ProtocolErrors().empty());
}

TEST_F(SimChipTest, ExtendedChunksStayOutOfTheDownload) {
    sim.InsertChip(false, 0x10000, 0x8000);
    const std::vector<uint8_t> mainChunk(0x10000, 0x11), extChunk(0x10000, 0x22);
    WriteChunk(0, 0, mainChunk, OpProgram);
    WriteChunk(0, 0, extChunk, OpProgramExt);
    EXPECT_EQ(sim.Chip().ext[0], 0x22);
    // The programmer's buffer image still holds the main area's data.
    ASSERT_GE(sim.Download().size(), 0x10000u);
    EXPECT_TRUE(std::equal(mainChunk.begin(), mainChunk.end(), sim.Download().begin()));
    EXPECT_EQ(Run(OpVerify)[0], 0);
}

TEST_F(SimChipTest, VerifyAndChecksumWorkOnTheDownload) {
    sim.InsertChip(false, 0x8000);
    std::vector<uint8_t> chunk(0x10000, 0xFF);
    chunk[0] = 0x01;
    chunk[1] = 0x02;
    WriteChunk(0, 0, chunk, 0);  // a download: no routine runs
    EXPECT_EQ(sim.Chip().main[0], 0xFF);
    auto status = Run(OpVerify);
    EXPECT_EQ(status[0], 1);

    status = Run(OpExtractOptions);
    EXPECT_EQ(status[0], 0);
    const uint16_t sum = static_cast<uint16_t>(0x01 + 0x02 + 0xFF * (0x8000 - 2));
    EXPECT_EQ(status[2] | status[3] << 8, sum);

    WriteChunk(0, 0, chunk, OpProgram);
    EXPECT_EQ(Run(OpVerify)[0], 0);
}

TEST_F(SimChipTest, OptionWordsAndPatchList) {
    sim.InsertChip(false, 0x8000);
    // Protect stores the option words the host left at 0x0B80.
    std::vector<uint8_t> words(128);
    for (size_t i = 0; i < words.size(); ++i) words[i] = static_cast<uint8_t>(i);
    ASSERT_TRUE(sim.UsbVendorCmdWrite(CmdBlockWrite, kOptionWordsAddr, kOptionWordsLength));
    ASSERT_TRUE(sim.UsbDataWrite(words));
    Run(OpProtect);
    sim.Ram().fill(0);

    // Extracting gives them back; a read of 64 of the 128 announced bytes is one transfer.
    Run(OpExtractOptions);
    std::vector<uint8_t> back(64);
    ASSERT_TRUE(sim.UsbVendorCmdWrite(CmdBlockRead, kOptionWordsAddr, kOptionWordsLength));
    ASSERT_TRUE(sim.UsbDataRead(back));
    EXPECT_TRUE(std::equal(back.begin(), back.end(), words.begin()));

    // Applying options reports the patch list at 0x0F00 and patches the download.
    sim.patchList.fill(0xFF);
    const uint8_t entry[6] = {0x34, 0x12, 0x00, 0x00, 0xCD, 0xAB};
    std::copy(entry, entry + 6, sim.patchList.begin());
    Run(OpApplyOptions);
    std::vector<uint8_t> list(256);
    ASSERT_TRUE(sim.UsbVendorCmdWrite(CmdBlockRead, kPatchListAddr, kPatchListLength));
    ASSERT_TRUE(sim.UsbDataRead(list));
    EXPECT_TRUE(std::equal(list.begin(), list.end(), sim.patchList.begin()));
    EXPECT_EQ(sim.Download()[0x1234], 0xCD);
    EXPECT_EQ(sim.Download()[0x1235], 0xAB);
    EXPECT_TRUE(sim.ProtocolErrors().empty());
}

}  // namespace
}  // namespace burnmark::testing
