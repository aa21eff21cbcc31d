// Block copy, move and exchange, the fills and the data-set modes.
#include <functional>

#include "buffer_fixture.h"
#include "platform/profile.h"

namespace burnmark::testing {
namespace {

using Bytes = std::vector<uint8_t>;

// Eight bytes written as letters; '.' is a zero byte.
Bytes Letters(const std::string& text) {
    Bytes out;
    for (char ch : text) out.push_back(ch == '.' ? 0 : static_cast<uint8_t>(ch));
    return out;
}

enum class Op { Copy, Move, Exchange };

struct BlockCase {
    const char* name;
    Op op;
    uint32_t start, end, dest;
    const char* expected;  // bytes 0..7 after the operation on "abcdefgh"
};

void PrintTo(const BlockCase& c, std::ostream* os) { *os << c.name; }

class BlockTest : public BufferTest, public ::testing::WithParamInterface<BlockCase> {
protected:
    bool Run(Op op, uint32_t start, uint32_t end, uint32_t dest) {
        switch (op) {
            case Op::Copy:
                return buffer.BlockCopy(start, end, dest);
            case Op::Move:
                return buffer.BlockMove(start, end, dest);
            case Op::Exchange:
                return buffer.BlockExchange(start, end, dest);
        }
        return false;
    }
};

TEST_P(BlockTest, DestinationGetsTheSourceAsItWas) {
    const BlockCase& c = GetParam();
    Set(0, Letters("abcdefgh"));
    ClearRecords();
    EXPECT_TRUE(Run(c.op, c.start, c.end, c.dest));
    EXPECT_EQ(Read(0, 9), Letters(std::string(c.expected) + "\xFF"));
    const bool changed = std::string(c.expected) != "abcdefgh";
    EXPECT_EQ(observer.changes.size(), changed ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BlockTest,
    ::testing::Values(BlockCase{"CopyApart", Op::Copy, 0, 1, 5, "abcdeabh"},
                      BlockCase{"CopyOverlapForwards", Op::Copy, 1, 3, 2, "abbcdfgh"},
                      BlockCase{"CopyOverlapBackwards", Op::Copy, 2, 4, 1, "acdeefgh"},
                      BlockCase{"CopyOneByteCopiesNothing", Op::Copy, 3, 3, 5, "abcdefgh"},
                      BlockCase{"CopyOntoItself", Op::Copy, 2, 4, 2, "abcdefgh"},
                      BlockCase{"MoveApart", Op::Move, 0, 1, 5, "..cdeabh"},
                      BlockCase{"MoveOverlapForwards", Op::Move, 1, 3, 2, "a.bcdfgh"},
                      BlockCase{"MoveOverlapBackwards", Op::Move, 2, 4, 1, "acde.fgh"},
                      BlockCase{"MoveOneByte", Op::Move, 3, 3, 6, "abc.efdh"},
                      BlockCase{"MoveOntoItself", Op::Move, 2, 4, 2, "abcdefgh"},
                      BlockCase{"ExchangeApart", Op::Exchange, 0, 1, 5, "fgcdeabh"},
                      BlockCase{"ExchangeOverlapForwards", Op::Exchange, 1, 3, 2, "aebcdfgh"},
                      BlockCase{"ExchangeOverlapBackwards", Op::Exchange, 2, 4, 1, "acdebfgh"},
                      BlockCase{"ExchangeOverlapBackwardsByTwo", Op::Exchange, 2, 4, 0, "cdeabfgh"},
                      BlockCase{"ExchangeOverlapForwardsByTwo", Op::Exchange, 0, 2, 2, "deabcfgh"},
                      BlockCase{"ExchangeOneByteChangesNothing", Op::Exchange, 3, 3, 5,
                                "abcdefgh"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BufferTest, DestinationEndingOnTheLastByteIsTaken) {
    // The refused table holds the same ranges one byte further on.
    const uint32_t last = buffer.GetBufferSize() - 1;
    const struct {
        const char* name;
        bool (DataBuffer::*op)(uint32_t, uint32_t, uint32_t);
        const char* head;  // bytes 0..7 afterwards; the last eight are "abcdefgh"
    } cases[] = {{"copy", &DataBuffer::BlockCopy, "abcdefgh"},
                 {"move", &DataBuffer::BlockMove, "........"},
                 {"exchange", &DataBuffer::BlockExchange, "ABCDEFGH"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Set(0, Letters("abcdefgh"));
        Set(last - 7, Letters("ABCDEFGH"));
        EXPECT_TRUE((buffer.*c.op)(0, 7, last - 7));
        EXPECT_EQ(Read(0, 8), Letters(c.head));
        EXPECT_EQ(Read(last - 7, 8), Letters("abcdefgh"));
    }
}

TEST_F(BufferTest, BlockOperationRunsTheRequestedAction) {
    struct Requested {
        int32_t start, end, dest, action;
        bool done;
        const char* expected;
    };
    const Requested cases[] = {
        {1, 3, 2, 0, true, "abbcdfgh"},    // copy
        {1, 3, 2, 1, true, "a.bcdfgh"},    // move
        {1, 3, 2, 2, true, "aebcdfgh"},    // swap
        {1, 3, 2, 3, false, "abcdefgh"},   // no such action
        {0, 0, 2, 0, false, "abcdefgh"},   // no end
        {2, 4, 2, 0, false, "abcdefgh"},   // onto itself
        {-1, 3, 2, 0, false, "abcdefgh"},  // addresses that wrap are refused
        {1, 3, -2, 0, false, "abcdefgh"},
    };
    for (const Requested& s : cases) {
        SCOPED_TRACE(::testing::Message() << "action " << s.action << " start " << s.start);
        Set(0, Letters("abcdefgh"));
        const BlockRequest request{static_cast<uint32_t>(s.start), static_cast<uint32_t>(s.end),
                                   static_cast<uint32_t>(s.dest), s.action};
        EXPECT_EQ(buffer.BlockOperation(request), s.done);
        EXPECT_EQ(Read(0, 8), Letters(s.expected));
    }
    // An empty answer does nothing.
    EXPECT_FALSE(buffer.BlockOperation(BlockRequest{}));
}

// --- Fills and data-set modes ----------------------------------------------------

struct Check {
    uint32_t at;
    Bytes bytes;
};

struct FillCase {
    const char* name;
    bool counting;  // start from address bytes instead of the fresh 0xFF
    std::function<bool(DataBuffer&)> op;
    bool done;
    std::vector<Check> checks;
};

void PrintTo(const FillCase& c, std::ostream* os) { *os << c.name; }

class FillTest : public BufferTest, public ::testing::WithParamInterface<FillCase> {};

TEST_P(FillTest, WritesExactlyItsRange) {
    const FillCase& c = GetParam();
    if (c.counting) Counting();
    ClearRecords();
    EXPECT_EQ(c.op(buffer), c.done);
    for (const Check& check : c.checks)
        EXPECT_EQ(Read(check.at, check.bytes.size()), check.bytes) << "at " << std::hex << check.at;
    EXPECT_EQ(observer.changes.size(), c.done ? 1u : 0u);
}

constexpr DataMode Even = DataMode::Even, Odd = DataMode::Odd, Swap = DataMode::SwapByte;
bool SetMode(DataBuffer& b, DataMode mode) {
    b.SetDataMode(mode);
    return true;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FillTest,
    ::testing::Values(
        FillCase{"ByteFill",
                 false,
                 [](DataBuffer& b) { return b.FillBuffer(0x10, 0x13, 0x5A); },
                 true,
                 {{0x0F, {0xFF, 0x5A, 0x5A, 0x5A, 0x5A, 0xFF}}}},
        FillCase{"AllBitZeroOverAPage",
                 true,
                 [](DataBuffer& b) { return b.FillBuffer(0, 0xFF, 0); },
                 true,
                 {{0, Bytes(256, 0)}, {0x100, {0x00, 0x01}}}},
        FillCase{"ByteFillToTheLastByte",
                 false,
                 [](DataBuffer& b) { return b.FillBuffer(8000, 8191, 0x12); },
                 true,
                 {{7999, {0xFF, 0x12}}, {8190, {0x12, 0x12}}}},
        // The end may be the length itself: that byte lies in the margin.
        FillCase{"ByteFillEndingAtTheLength",
                 false,
                 [](DataBuffer& b) { return b.FillBuffer(8190, 8192, 0x12); },
                 true,
                 {{8189, {0xFF, 0x12, 0x12}}}},
        FillCase{"ByteFillOfOneAddressDoesNothing",
                 false,
                 [](DataBuffer& b) { return b.FillBuffer(0x10, 0x10, 0); },
                 false,
                 {{0x10, {0xFF}}}},
        FillCase{"WordFill",
                 true,
                 [](DataBuffer& b) { return b.FillBufferWord(0x10, 0x13, 0x12AB); },
                 true,
                 {{0x0F, {0x0F, 0xAB, 0x12, 0xAB, 0x12, 0x14}}}},
        FillCase{"WordFillOddEndWritesThePair",
                 true,
                 [](DataBuffer& b) { return b.FillBufferWord(0x10, 0x14, 0x12AB); },
                 true,
                 {{0x10, {0xAB, 0x12, 0xAB, 0x12, 0xAB, 0x12, 0x16}}}},
        FillCase{"WordFillEndingAtTheLength",
                 true,
                 [](DataBuffer& b) { return b.FillBufferWord(8188, 8192, 0x12AB); },
                 true,
                 {{8187, {0xFB, 0xAB, 0x12, 0xAB, 0x12}}}},
        FillCase{"WordFillOfOneAddressDoesNothing",
                 true,
                 [](DataBuffer& b) { return b.FillBufferWord(0x10, 0x10, 0x12AB); },
                 false,
                 {{0x10, {0x10, 0x11}}}},
        FillCase{"AddressBytes",
                 false,
                 [](DataBuffer& b) { return b.FillPattern(0x1FE, 0x201, 1); },
                 true,
                 {{0x1FD, {0xFF, 0xFE, 0xFF, 0x00, 0x01, 0xFF}}}},
        FillCase{"AddressWords",
                 false,
                 [](DataBuffer& b) { return b.FillPattern(0x1230, 0x1233, 2); },
                 true,
                 {{0x122F, {0xFF, 0x12, 0x30, 0x12, 0x32, 0xFF}}}},
        FillCase{"AddressBytesEndingAtTheLength",
                 false,
                 [](DataBuffer& b) { return b.FillPattern(8189, 8192, 1); },
                 true,
                 {{8188, {0xFF, 0xFD, 0xFE, 0xFF}}}},
        FillCase{"AddressWordsEndingAtTheLength",
                 false,
                 [](DataBuffer& b) { return b.FillPattern(8188, 8192, 2); },
                 true,
                 {{8187, {0xFF, 0x1F, 0xFC, 0x1F, 0xFE}}}},
        FillCase{"PatternOfOneAddressDoesNothing",
                 false,
                 [](DataBuffer& b) { return b.FillPattern(0x10, 0x10, 1); },
                 false,
                 {{0x10, {0xFF}}}},
        FillCase{"UnknownPatternDoesNothing",
                 false,
                 [](DataBuffer& b) { return b.FillPattern(0x10, 0x20, 5); },
                 false,
                 {{0x10, Bytes(17, 0xFF)}}},
        FillCase{"EvenKeepsTheEvenBytes",
                 true,
                 [](DataBuffer& b) { return SetMode(b, Even); },
                 true,
                 {{0, {0x00, 0x02, 0x04, 0x06}}, {4094, {0xFC, 0x00}}, {8191, {0x00}}}},
        FillCase{"OddKeepsTheOddBytes",
                 true,
                 [](DataBuffer& b) { return SetMode(b, Odd); },
                 true,
                 {{0, {0x01, 0x03, 0x05, 0x07}}, {4094, {0xFD, 0x00}}, {8191, {0x00}}}},
        FillCase{"SwapByteSwapsEachPair",
                 true,
                 [](DataBuffer& b) { return SetMode(b, Swap); },
                 true,
                 {{0, {0x01, 0x00, 0x03, 0x02}}, {8190, {0xFF, 0xFE}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BufferTest, SwapByteTwiceRestoresInTheProgressFrame) {
    Counting();
    const Bytes before = All();
    ClearRecords();
    buffer.SetDataMode(DataMode::SwapByte);
    EXPECT_EQ(buffer.ReturnDataMode(), DataMode::SwapByte);
    EXPECT_EQ(progress.captions, (std::vector<std::string>{"Loading...", "Waiting..."}));
    EXPECT_EQ(progress.shows, 1);
    EXPECT_EQ(progress.closes, 1);
    EXPECT_GE(progress.steps, 95);
    EXPECT_LE(progress.steps, 105);
    buffer.SetDataMode(DataMode::SwapByte);
    EXPECT_EQ(All(), before);
    EXPECT_EQ(observer.changes.size(), 2u);
}

TEST_F(BufferTest, ByteFillStepsTheBarPerPiece) {
    ASSERT_TRUE(buffer.SetBufferSize(1 << 20));
    ClearRecords();
    ASSERT_TRUE(buffer.FillBuffer(0, (1 << 20) - 1, 0));
    EXPECT_EQ(progress.captions, std::vector<std::string>{"Fill Buffer"});
    EXPECT_EQ(progress.shows, 1);
    EXPECT_EQ(progress.closes, 0);  // the caller closes it
    EXPECT_EQ(progress.finishes, 1);
    EXPECT_GE(progress.steps, 95);
    EXPECT_LE(progress.steps, 105);
}

TEST_F(BufferTest, RandomFillStaysInItsRangeAndStopsAtTheLength) {
    ASSERT_TRUE(buffer.FillPattern(0x100, 0x1FF, 0));
    const Bytes inside = Read(0x100, 0x100);
    EXPECT_NE(std::count(inside.begin(), inside.end(), 0xFF), 0x100);
    EXPECT_EQ(Read(0xFF, 1), Bytes{0xFF});
    EXPECT_EQ(Read(0x200, 1), Bytes{0xFF});
    EXPECT_TRUE(messages.shown.empty());
    // Ending at the length itself is no error.
    EXPECT_TRUE(buffer.FillPattern(8100, 8192, 0));
    EXPECT_TRUE(messages.shown.empty());

    EXPECT_FALSE(buffer.FillPattern(8000, 9000, 0));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Random Error !!");
    EXPECT_EQ(messages.shown[0].title, "");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(Read(7999, 1), Bytes{0xFF});
    EXPECT_EQ(buffer.GetBufferSize(), 8192u);
}

// The bulk passes work in blocks and packed words; over a long range of odd
// length every byte must still follow the one-byte rule.
TEST_F(BufferTest, LongPassesFollowTheByteRuleToTheLastByte) {
    ASSERT_TRUE(buffer.SetBufferSize(0x10003 - 1024));  // BufferLength 0x10003
    const uint32_t length = buffer.GetBufferSize();
    const uint32_t first = 0x101, last = 0xFF7F;  // the last word spills past last
    struct Pass {
        const char* name;
        std::function<void(DataBuffer&)> run;
        // The expected byte at a, given the counting byte pattern before.
        std::function<uint8_t(uint32_t a, const Bytes& before)> want;
    };
    auto inRange = [=](uint32_t a) { return a >= first && a <= last; };
    // Words start at first, first + 2, ... <= last; a word may end at last + 1.
    auto wordStart = [=](uint32_t a) { return a - ((a - first) & 1); };
    auto inWords = [=](uint32_t a) { return a >= first && wordStart(a) <= last; };
    const Pass passes[] = {
        {"address bytes", [=](DataBuffer& b) { b.FillPattern(first, last, 1); },
         [=](uint32_t a, const Bytes& was) { return inRange(a) ? uint8_t(a) : was[a]; }},
        {"address words", [=](DataBuffer& b) { b.FillPattern(first, last, 2); },
         [=](uint32_t a, const Bytes& was) {
             if (!inWords(a)) return was[a];
             return a == wordStart(a) ? uint8_t(a >> 8) : uint8_t(wordStart(a));
         }},
        {"word fill", [=](DataBuffer& b) { b.FillBufferWord(first, last, 0x12AB); },
         [=](uint32_t a, const Bytes& was) {
             if (!inWords(a)) return was[a];
             return a == wordStart(a) ? uint8_t{0xAB} : uint8_t{0x12};
         }},
        {"even", [](DataBuffer& b) { b.SetDataMode(DataMode::Even); },
         [=](uint32_t a, const Bytes& was) {
             return a < (length - 2) / 2 ? was[2 * a] : uint8_t{0};
         }},
        {"odd", [](DataBuffer& b) { b.SetDataMode(DataMode::Odd); },
         [=](uint32_t a, const Bytes& was) {
             return a < (length - 2) / 2 ? was[2 * a + 1] : uint8_t{0};
         }},
        {"swap byte", [](DataBuffer& b) { b.SetDataMode(DataMode::SwapByte); },
         [=](uint32_t a, const Bytes& was) {
             if (a == length - 1) return was[a];  // the odd byte out has no partner
             return was[a ^ 1];
         }},
    };
    for (const Pass& pass : passes) {
        SCOPED_TRACE(pass.name);
        // A pattern that no pass reproduces by accident.
        {
            BufferLock lock = buffer.GetBufferHandle();
            for (std::size_t i = 0; i < lock.size(); ++i) lock[i] = uint8_t(i * 7 + (i >> 8));
        }
        const Bytes before = All();
        pass.run(buffer);
        const Bytes after = All();
        for (uint32_t a = 0; a < length; ++a) ASSERT_EQ(after[a], pass.want(a, before)) << a;
    }
}

// --- Refused ranges ----------------------------------------------------------------

struct RefusedCase {
    const char* name;
    std::function<bool(DataBuffer&)> op;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedTest : public BufferTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedTest, RefusesWithoutTouchingAByte) {
    Counting();
    const Bytes before = All();
    const uint32_t sumBefore = buffer.GetCheckSum();
    ClearRecords();
    EXPECT_FALSE(GetParam().op(buffer));
    EXPECT_EQ(All(), before);
    EXPECT_EQ(buffer.GetCheckSum(), sumBefore);
    EXPECT_TRUE(observer.changes.empty());
    EXPECT_TRUE(messages.shown.empty());
}

// The fresh buffer is 8192 bytes long.
INSTANTIATE_TEST_SUITE_P(
    Table, RefusedTest,
    ::testing::Values(
        RefusedCase{"FillPastTheLength", [](DataBuffer& b) { return b.FillBuffer(0, 8193, 0); }},
        RefusedCase{"FillReversed", [](DataBuffer& b) { return b.FillBuffer(10, 5, 0); }},
        RefusedCase{"WordFillPastTheLength",
                    [](DataBuffer& b) { return b.FillBufferWord(0, 8193, 0); }},
        RefusedCase{"AddressBytesPastTheLength",
                    [](DataBuffer& b) { return b.FillPattern(8000, 0x20000, 1); }},
        RefusedCase{"AddressWordsPastTheLength",
                    [](DataBuffer& b) { return b.FillPattern(8000, 0xFFFFFFFFu, 2); }},
        RefusedCase{"PatternReversed", [](DataBuffer& b) { return b.FillPattern(10, 5, 1); }},
        RefusedCase{"SumEndAtTheLength", [](DataBuffer& b) { return b.GetSum(0, 8192, 0); }},
        RefusedCase{"CopyReversed", [](DataBuffer& b) { return b.BlockCopy(0x20, 0x10, 0x100); }},
        RefusedCase{"CopySourcePastTheLength",
                    [](DataBuffer& b) { return b.BlockCopy(8000, 8192, 0); }},
        RefusedCase{"CopyDestinationEndPastTheLength",
                    [](DataBuffer& b) { return b.BlockCopy(0, 15, 8180); }},
        RefusedCase{"CopyDestinationOneBytePastTheEnd",
                    [](DataBuffer& b) { return b.BlockCopy(0, 9, 8192 - 9); }},
        RefusedCase{"CopyDestinationThatWouldWrap",
                    [](DataBuffer& b) { return b.BlockCopy(0, 15, 0xFFFFFFF8u); }},
        RefusedCase{"MoveReversed", [](DataBuffer& b) { return b.BlockMove(0x20, 0x10, 0x100); }},
        RefusedCase{"MoveDestinationEndPastTheLength",
                    [](DataBuffer& b) { return b.BlockMove(0, 15, 8180); }},
        RefusedCase{"MoveDestinationOneBytePastTheEnd",
                    [](DataBuffer& b) { return b.BlockMove(0, 9, 8192 - 9); }},
        RefusedCase{"ExchangeReversed",
                    [](DataBuffer& b) { return b.BlockExchange(0x20, 0x10, 0x100); }},
        RefusedCase{"ExchangeDestinationEndPastTheLength",
                    [](DataBuffer& b) { return b.BlockExchange(0, 15, 8180); }},
        RefusedCase{"ExchangeDestinationOneBytePastTheEnd",
                    [](DataBuffer& b) { return b.BlockExchange(0, 9, 8192 - 9); }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace burnmark::testing
