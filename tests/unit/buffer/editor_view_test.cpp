// The editor's view state without drawing: what the cells show, typing into
// them, address entry, scrolling and the wheel, the buffer's notices, the
// information page.
#include "buffer/editor_view.h"

#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "buffer_fixture.h"
#include "platform/profile.h"
#include "platform/settings_report.h"

namespace burnmark::testing {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr EditorPage k8 = EditorPage::Bits8;
constexpr EditorPage k16 = EditorPage::Bits16;
constexpr EditorGrid kAddr = EditorGrid::Address;
constexpr EditorGrid kHex = EditorGrid::Hex;
constexpr EditorGrid kChars = EditorGrid::Chars;

class EditorViewTest : public BufferTest {
protected:
    EditorViewTest() {
        view.SetRedrawHook([this](bool bufferChanged) {
            ++redraws;
            if (bufferChanged) ++bufferRedraws;
        });
    }

    std::string Text(EditorPage page, EditorGrid grid, int row, int column) const {
        return view.CellText(page, GridCell{grid, row, column});
    }
    std::vector<EditResult> Type(EditorPage page, const std::u32string& keys) {
        std::vector<EditResult> results;
        for (char32_t key : keys) results.push_back(view.TypeKey(page, key));
        return results;
    }
    // A write by another holder of the buffer, which the view hears of.
    void Poke(uint32_t at, uint8_t byte) {
        BufferLock lock = buffer.GetBufferHandle();
        lock[at] = byte;
        lock.MarkChanged();
    }
    // A buffer of exactly `length` bytes (the buffer keeps 1024 past the request).
    void Length(uint32_t length) {
        ASSERT_TRUE(buffer.SetBufferSize(length - DataBuffer::kLengthSlack));
        ASSERT_EQ(buffer.GetBufferSize(), length);
    }
    // No cell shows or takes a byte at or past the end.
    void ExpectNothingPastTheEnd() {
        const uint64_t length = buffer.GetBufferSize();
        EXPECT_LE(view.TopRow(), view.MaxTopRow());
        for (EditorPage page : {k8, k16})
            for (EditorGrid grid : {kHex, kChars})
                for (int row = 0; row < EditorView::kRows; ++row)
                    for (int column = 0; column < view.ColumnCount(page, grid); ++column) {
                        const GridCell cell{grid, row, column};
                        const uint64_t address = *view.CellAddress(page, cell);
                        const uint64_t bytes = page == k16 && grid == kHex ? 2 : 1;
                        const bool inside = address + bytes <= length;
                        EXPECT_EQ(!view.CellText(page, cell).empty(), inside) << address;
                        EXPECT_EQ(view.CellWritable(page, cell), inside) << address;
                    }
    }

    EditorView view{buffer};
    int redraws = 0;
    int bufferRedraws = 0;
};

TEST_F(EditorViewTest, FreshEditorShowsOnesFromAddressZeroOnBothPages) {
    EXPECT_EQ(view.TopRow(), 0u);
    EXPECT_EQ(view.MaxTopRow(), 8192u / 16 - 16);
    for (int row = 0; row < EditorView::kRows; ++row) {
        char address[16];
        std::snprintf(address, sizeof address, "%07X", row * 16);
        EXPECT_EQ(view.RowAddressText(k8, row), address);
        std::snprintf(address, sizeof address, "%07X", row * 8);
        EXPECT_EQ(view.RowAddressText(k16, row), address);
        for (int column = 0; column < 16; ++column) {
            EXPECT_EQ(Text(k8, kHex, row, column), "FF");
            EXPECT_EQ(Text(k8, kChars, row, column), ".");
            EXPECT_EQ(Text(k16, kChars, row, column), ".");
        }
        for (int word = 0; word < 8; ++word) EXPECT_EQ(Text(k16, kHex, row, word), "FFFF");
    }
    EXPECT_EQ(Text(k8, kAddr, 15, 5), "F");
    EXPECT_EQ(Text(k8, kAddr, 15, 6), "0");
    EXPECT_EQ(view.ColumnCount(k8, kAddr), 7);
    EXPECT_EQ(view.ColumnCount(k16, kHex), 8);
    EXPECT_EQ(view.Cursor(k8), (GridCell{kHex, 0, 0}));

    struct Heading {
        EditorPage page;
        EditorGrid grid;
        int column;
        const char* text;
    };
    for (const Heading& h :
         {Heading{k8, kHex, 10, "0A"}, Heading{k8, kChars, 15, "F"}, Heading{k16, kHex, 7, "0007"},
          Heading{k16, kChars, 5, "2"}, Heading{k16, kChars, 4, ""}, Heading{k8, kAddr, 0, ""}})
        EXPECT_EQ(EditorView::HeadingText(h.page, h.grid, h.column), h.text) << h.column;
}

TEST_F(EditorViewTest, CharacterCellsShowOnlyPrintableAscii) {
    Set(0, {0x00, 0x09, 0x1F, 0x20, 0x41, 0x7E, 0x7F, 0x80, 0xE9, 0xFF});
    const std::string shown[] = {".", ".", ".", " ", "A", "~", ".", ".", ".", "."};
    for (int column = 0; column < 10; ++column)
        EXPECT_EQ(Text(k8, kChars, 0, column), shown[column]) << column;
    // The 16-bit page shows each word's high byte first.
    EXPECT_EQ(Text(k16, kChars, 0, 4), "~");
    EXPECT_EQ(Text(k16, kChars, 0, 5), "A");
    EXPECT_EQ(Text(k16, kChars, 0, 2), " ");
    EXPECT_EQ(Text(k16, kHex, 0, 2), "7E41");
    // What the grids draw from: the byte, or the word with its high byte above.
    EXPECT_EQ(view.CellValue(k16, GridCell{kHex, 0, 2}), 0x7E41u);
    EXPECT_EQ(view.CellValue(k16, GridCell{kChars, 0, 4}), 0x7Eu);
    EXPECT_EQ(view.CellValue(k8, GridCell{kAddr, 0, 0}), std::nullopt);
}

struct HexCase {
    const char* name;
    EditorPage page;
    GridCell start;
    std::u32string keys;
    std::vector<std::pair<uint32_t, Bytes>> bytes;  // address, bytes there afterwards
    GridCell cursor;
    uint64_t top;
    uint64_t startTop = 0;  // the view's top row before typing
};

void PrintTo(const HexCase& c, std::ostream* os) { *os << c.name; }

class HexEntryTest : public EditorViewTest, public ::testing::WithParamInterface<HexCase> {};

TEST_P(HexEntryTest, WritesExactlyTheCellsDigitsAndMovesOn) {
    const HexCase& c = GetParam();
    Counting();
    view.ScrollTo(static_cast<int64_t>(c.startTop));
    ASSERT_TRUE(view.SetCursor(c.page, c.start));
    ClearRecords();
    Type(c.page, c.keys);
    for (const auto& [address, bytes] : c.bytes)
        EXPECT_EQ(Read(address, bytes.size()), bytes) << std::hex << address;
    EXPECT_EQ(view.Cursor(c.page), c.cursor);
    EXPECT_EQ(view.TopRow(), c.top);
    EXPECT_TRUE(view.PendingDigits().empty());
    EXPECT_TRUE(buffer.Modified());
}

INSTANTIATE_TEST_SUITE_P(
    Cells, HexEntryTest,
    ::testing::Values(
        HexCase{"TwoDigits", k8, {kHex, 0, 0}, U"41", {{0, {0x41, 0x01}}}, {kHex, 0, 1}, 0},
        HexCase{"LowerCase", k8, {kHex, 2, 3}, U"ab", {{0x23, {0xAB}}}, {kHex, 2, 4}, 0},
        HexCase{"NotADigitIsZero", k8, {kHex, 0, 0}, U"g1", {{0, {0x01}}}, {kHex, 0, 1}, 0},
        // Four digits fill two cells; the second pair does not run on into the first.
        HexCase{"TwoCellsInTurn",
                k8,
                {kHex, 0, 0},
                U"FFAB",
                {{0, {0xFF, 0xAB, 0x02}}},
                {kHex, 0, 2},
                0},
        HexCase{
            "BackspaceTakesBackADigit", k8, {kHex, 0, 0}, U"4\b56", {{0, {0x56}}}, {kHex, 0, 1}, 0},
        HexCase{"LastColumnGoesToTheNextRow",
                k8,
                {kHex, 3, 15},
                U"12",
                {{0x3F, {0x12, 0x40}}},
                {kHex, 4, 0},
                0},
        // From the last cell of the view the view moves up one row; the top
        // row of the view is left as it was.
        HexCase{"LastCellOfTheViewScrollsOneRow",
                k8,
                {kHex, 15, 15},
                U"1234",
                {{0x00, {0x00}}, {0xFF, {0x12}}, {0x100, {0x34}}},
                {kHex, 15, 1},
                1},
        // The fresh buffer is 8192 bytes, 512 full rows. At the very last
        // cell both pairs land on the last byte and nothing moves.
        HexCase{"LastCellOfTheBufferTakesEachPair",
                k8,
                {kHex, 15, 15},
                U"1234",
                {{0x1FF0, {0xF0}}, {0x1FFE, {0xFE, 0x34}}},
                {kHex, 15, 15},
                0x1F0,
                0x1F0},
        HexCase{"WordLowByteAtTheEvenAddress",
                k16,
                {kHex, 0, 0},
                U"1234",
                {{0, {0x34, 0x12, 0x02}}},
                {kHex, 0, 1},
                0},
        HexCase{"WordLastColumnGoesToTheNextRow",
                k16,
                {kHex, 1, 7},
                U"ABCD",
                {{0x1E, {0xCD, 0xAB, 0x20}}},
                {kHex, 2, 0},
                0},
        HexCase{"LastWordOfTheViewScrollsOneRow",
                k16,
                {kHex, 15, 7},
                U"00010002",
                {{0xFE, {0x01, 0x00}}, {0x100, {0x02, 0x00}}},
                {kHex, 15, 1},
                1},
        HexCase{"LastWordOfTheBufferTakesEachWord",
                k16,
                {kHex, 15, 7},
                U"00010002",
                {{0x1FF0, {0xF0}}, {0x1FFC, {0xFC, 0xFD, 0x02, 0x00}}},
                {kHex, 15, 7},
                0x1F0,
                0x1F0},
        HexCase{
            "CharacterCell", k8, {kChars, 0, 3}, U"Az", {{3, {'A', 'z', 0x05}}}, {kChars, 0, 5}, 0},
        // A character beyond ASCII writes its Latin-1 code.
        HexCase{"CharacterCellLatin1",
                k8,
                {kChars, 0, 0},
                U"\u00e9\u00a3\u00ff",
                {{0, {0xE9, 0xA3, 0xFF, 0x03}}},
                {kChars, 0, 3},
                0},
        // Column c of the 16-bit page's characters is byte c with its lowest bit inverted.
        HexCase{"WordCharacterCells",
                k16,
                {kChars, 0, 0},
                U"HiX",
                {{0, {'i', 'H', 0x02, 'X'}}},
                {kChars, 0, 3},
                0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorViewTest, FirstDigitShowsAtOnceAndTheTwinCellFollowsTheWrite) {
    EXPECT_EQ(view.TypeKey(k8, U'4'), EditResult::Pending);
    EXPECT_EQ(view.PendingDigits(), "4");
    EXPECT_EQ(Text(k8, kHex, 0, 0), "4F");  // typed over the old value
    EXPECT_EQ(Read(0, 1), Bytes{0xFF});     // nothing written yet
    EXPECT_FALSE(buffer.Modified());
    EXPECT_EQ(view.TypeKey(k8, U'1'), EditResult::Written);
    EXPECT_EQ(Text(k8, kHex, 0, 0), "41");
    EXPECT_EQ(Text(k8, kChars, 0, 0), "A");
    EXPECT_EQ(Text(k16, kChars, 0, 1), "A");  // the low byte of word 0
    EXPECT_EQ(Text(k16, kHex, 0, 0), "FF41");
    EXPECT_EQ(observer.changes, std::vector{BufferChange::Bytes});

    // Keys that are not typed, and a cancelled entry, write nothing.
    EXPECT_EQ(view.TypeKey(k8, U'\x1b'), EditResult::Ignored);
    EXPECT_EQ(view.TypeKey(k8, U'\x00e9'), EditResult::Ignored);
    EXPECT_EQ(view.TypeKey(k8, U'7'), EditResult::Pending);
    view.CancelEntry();
    EXPECT_EQ(Text(k8, kHex, 0, 1), "FF");
    // A move of the cursor drops a half-typed cell too.
    EXPECT_EQ(view.TypeKey(k8, U'7'), EditResult::Pending);
    view.MoveCursor(k8, 1, 0);
    EXPECT_TRUE(view.PendingDigits().empty());
    EXPECT_EQ(Read(0, 2), (Bytes{0x41, 0xFF}));
    EXPECT_EQ(view.TypeKey(k8, U'\b'), EditResult::Ignored);

    // A digit left on one page does not become the first digit of the other's word.
    EXPECT_EQ(view.TypeKey(k8, U'7'), EditResult::Pending);
    EXPECT_EQ(Type(k16, U"123"), (std::vector<EditResult>(3, EditResult::Pending)));
    EXPECT_EQ(view.PendingDigits(), "123");
    EXPECT_EQ(view.TypeKey(k16, U'4'), EditResult::Written);
    EXPECT_EQ(Read(0, 2), (Bytes{0x34, 0x12}));
}

TEST_F(EditorViewTest, CharacterCellsIgnoreKeysWithoutALatin1Code) {
    for (EditorPage page : {k8, k16}) {
        ASSERT_TRUE(view.SetCursor(page, GridCell{kChars, 0, 0}));
        for (char32_t key : {U'\x1b', U'\x7f', U'\u0100', U'\u20ac', U'\U0001F600'})
            EXPECT_EQ(view.TypeKey(page, key), EditResult::Ignored) << static_cast<int>(key);
        EXPECT_EQ(view.Cursor(page), (GridCell{kChars, 0, 0}));
    }
    EXPECT_EQ(Read(0, 2), (Bytes{0xFF, 0xFF}));
    EXPECT_FALSE(buffer.Modified());
}

TEST_F(EditorViewTest, CellsAtOrPastTheEndAreBlankAndTakeNothing) {
    Length(0x401);  // odd: the last word has no high byte
    view.ScrollTo(1000);
    EXPECT_EQ(view.TopRow(), 0x41u - 16);
    EXPECT_EQ(view.RowAddressText(k8, 15), "0000400");
    EXPECT_EQ(Text(k8, kHex, 15, 0), "FF");
    EXPECT_EQ(Text(k8, kHex, 15, 1), "");
    EXPECT_FALSE(view.SetCursor(k8, GridCell{kHex, 15, 1}));
    EXPECT_EQ(Text(k16, kHex, 15, 0), "");  // 0x400 + 1 is not below the length
    EXPECT_EQ(Text(k16, kChars, 15, 1), ".");
    EXPECT_EQ(Text(k16, kChars, 15, 0), "");
    ExpectNothingPastTheEnd();

    // The last byte takes its digits; the cursor stays on it.
    ASSERT_TRUE(view.SetCursor(k8, GridCell{kHex, 15, 0}));
    EXPECT_EQ(Type(k8, U"5A"), (std::vector{EditResult::Pending, EditResult::Written}));
    EXPECT_EQ(Read(0x400, 1), Bytes{0x5A});
    EXPECT_EQ(view.Cursor(k8), (GridCell{kHex, 15, 0}));
    EXPECT_EQ(view.TopRow(), 0x41u - 16);
    // The 16-bit page's last full word: the cursor cannot move past it.
    ASSERT_TRUE(view.SetCursor(k16, GridCell{kHex, 14, 7}));
    EXPECT_EQ(Type(k16, U"BEEF").back(), EditResult::Written);
    EXPECT_EQ(Read(0x3FE, 3), (Bytes{0xEF, 0xBE, 0x5A}));
    EXPECT_EQ(view.Cursor(k16), (GridCell{kHex, 14, 7}));
    view.MoveCursor(k16, 1, 0);
    EXPECT_EQ(view.Cursor(k16), (GridCell{kHex, 14, 7}));
}

struct AddressCase {
    const char* name;
    EditorPage page;
    uint32_t length;
    int row;
    int column;
    std::u32string keys;
    uint64_t top;
    int cursorColumn;
};

void PrintTo(const AddressCase& c, std::ostream* os) { *os << c.name; }

class AddressEntryTest : public EditorViewTest,
                         public ::testing::WithParamInterface<AddressCase> {};

TEST_P(AddressEntryTest, TheTypedRowShowsTheAddressWithinTheBuffer) {
    const AddressCase& c = GetParam();
    Length(c.length);
    ASSERT_TRUE(view.SetCursor(c.page, GridCell{kAddr, c.row, c.column}));
    for (char32_t key : c.keys) EXPECT_EQ(view.TypeKey(c.page, key), EditResult::Moved);
    EXPECT_EQ(view.TopRow(), c.top);
    EXPECT_EQ(view.Cursor(c.page), (GridCell{kAddr, c.row, c.cursorColumn}));
    ExpectNothingPastTheEnd();
    EXPECT_FALSE(buffer.Modified());
}

INSTANTIATE_TEST_SUITE_P(
    Entry, AddressEntryTest,
    ::testing::Values(AddressCase{"RowZero", k8, 0x10000, 0, 3, U"1", 0x100, 4},
                      // Row 5 shows 0x50; a 1 in the fourth digit makes it 0x1050.
                      AddressCase{"RowCorrection", k8, 0x10000, 5, 3, U"1", 0x100, 4},
                      AddressCase{"NotBelowZero", k8, 0x10000, 5, 5, U"0", 0, 6},
                      AddressCase{"NotAHexDigitIsZero", k8, 0x10000, 0, 4, U"z", 0, 5},
                      // Typed up to the end: the view shows the last 16 rows, not a row past them.
                      AddressCase{"ClampedToTheLastView", k8, 0x12400, 0, 2, U"12400", 0x1230, 6},
                      AddressCase{"PastTheEnd", k8, 0x12400, 0, 0, U"F", 0x1230, 1},
                      // Word address 0xA10 on row 2: byte 0x1420, two rows of 16 above it.
                      AddressCase{"WordAddressDoubled", k16, 0x10000, 2, 4, U"a", 0x140, 5},
                      AddressCase{"WordAddressClamped", k16, 0x12400, 0, 2, U"9", 0x1230, 3},
                      // The column widens only when the last row's address needs an eighth digit.
                      AddressCase{"SevenDigitsUpTo256MB", k8, 0x10000000, 0, 0, U"1", 0x100000, 1},
                      AddressCase{"EighthDigitPast256MB", k8, 0x10000010, 0, 0, U"1", 0xFFFFF1, 1},
                      AddressCase{"WordAddressKeepsSevenDigits", k16, 0x10000010, 0, 0, U"1",
                                  0x200000, 1}),
    [](const auto& info) { return std::string(info.param.name); });

struct ScrollCase {
    const char* name;
    std::vector<std::function<void(EditorView&)>> steps;
    int64_t top;  // negative: counted back from the last top row (-1 is MaxTopRow)
};

void PrintTo(const ScrollCase& c, std::ostream* os) { *os << c.name; }

class ScrollTest : public EditorViewTest, public ::testing::WithParamInterface<ScrollCase> {};

TEST_P(ScrollTest, NeverShowsOrEditsPastTheEndOfA4MBBuffer) {
    const ScrollCase& c = GetParam();
    Length(4u << 20);
    ASSERT_EQ(view.MaxTopRow(), (4u << 16) - 16);
    for (const auto& step : c.steps) {
        step(view);
        ExpectNothingPastTheEnd();
    }
    const uint64_t top = c.top >= 0 ? static_cast<uint64_t>(c.top)
                                    : view.MaxTopRow() + 1 - static_cast<uint64_t>(-c.top);
    EXPECT_EQ(view.TopRow(), top);

    // The last cell of the view writes the byte it shows.
    ASSERT_TRUE(view.SetCursor(k8, GridCell{kHex, 15, 15}));
    EXPECT_EQ(Type(k8, U"5A").back(), EditResult::Written);
    EXPECT_EQ(Read(static_cast<uint32_t>(top * 16 + 255), 1), Bytes{0x5A});
}

using V = EditorView&;
const int64_t kEnd = 1 << 30;

INSTANTIATE_TEST_SUITE_P(
    Sequences, ScrollTest,
    ::testing::Values(
        ScrollCase{"LineUpAtTheTop", {[](V v) { v.ScrollLines(-1); }}, 0},
        ScrollCase{"LinesDown", {[](V v) { v.ScrollLines(1); }, [](V v) { v.ScrollLines(1); }}, 2},
        ScrollCase{"PagesDownAndUp",
                   {[](V v) { v.PageDown(); }, [](V v) { v.PageDown(); }, [](V v) { v.PageUp(); }},
                   15},
        ScrollCase{"PageUpAtTheTop", {[](V v) { v.ScrollLines(3); }, [](V v) { v.PageUp(); }}, 0},
        ScrollCase{"ThumbPastTheEnd", {[](V v) { v.ScrollTo(kEnd); }}, -1},
        ScrollCase{"ThumbBelowZero", {[](V v) { v.ScrollTo(-5); }}, 0},
        ScrollCase{
            "LineDownAtTheEnd", {[](V v) { v.ScrollTo(kEnd); }, [](V v) { v.ScrollLines(1); }}, -1},
        ScrollCase{"PageDownNearTheEnd",
                   {[](V v) { v.ScrollTo(kEnd); }, [](V v) { v.ScrollLines(-3); },
                    [](V v) { v.PageDown(); }},
                   -1},
        ScrollCase{
            "PageUpFromTheEnd", {[](V v) { v.ScrollTo(kEnd); }, [](V v) { v.PageUp(); }}, -16},
        ScrollCase{"WheelNotchDown", {[](V v) { v.Wheel(-120); }}, 16},
        ScrollCase{"WheelNotchUpAtTheTop", {[](V v) { v.Wheel(120); }}, 0},
        ScrollCase{
            "WheelDownAtTheEnd", {[](V v) { v.ScrollTo(kEnd); }, [](V v) { v.Wheel(-120); }}, -1},
        ScrollCase{"TouchpadDeltasAddUp",
                   {[](V v) { v.Wheel(-30); }, [](V v) { v.Wheel(-30); }, [](V v) { v.Wheel(-30); },
                    [](V v) { v.Wheel(-30); }},
                   16},
        // Three deltas of 5 are 15/120 of a notch: two rows, the rest kept.
        ScrollCase{"SmallDeltasKeepTheirRest",
                   {[](V v) { v.Wheel(-5); }, [](V v) { v.Wheel(-5); }, [](V v) { v.Wheel(-5); }},
                   2},
        // A turn drops the rest: 7 up after 7 down does not cancel it.
        ScrollCase{"TurnDropsTheRest",
                   {[](V v) { v.ScrollTo(100); }, [](V v) { v.Wheel(-7); }, [](V v) { v.Wheel(7); },
                    [](V v) { v.Wheel(7); }},
                   99},
        // A fast wheel reporting two notches at once scrolls nothing.
        ScrollCase{"DoubleNotchScrollsNothing",
                   {[](V v) { v.Wheel(240); }, [](V v) { v.Wheel(-240); }},
                   0},
        ScrollCase{
            "ThumbThenWheelUp", {[](V v) { v.ScrollTo(40); }, [](V v) { v.Wheel(120); }}, 24}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorViewTest, ArrowsWrapAcrossRowsAndScrollAtTheEdges) {
    struct Step {
        int rows, columns;
        GridCell cursor;
        uint64_t top;
    };
    const Step steps[] = {
        {0, -1, {kHex, 0, 0}, 0},                              // nothing before the first byte
        {-1, 0, {kHex, 0, 0}, 0},   {0, 16, {kHex, 1, 0}, 0},  // one row of columns
        {0, -1, {kHex, 0, 15}, 0},                             // back across the row's start
        {15, 0, {kHex, 15, 15}, 0}, {0, 1, {kHex, 15, 0}, 1},  // the view scrolls, the cursor stays
                                                               // on the last row
        {1, 0, {kHex, 15, 0}, 2},   {-15, 0, {kHex, 0, 0}, 2}, {-1, 0, {kHex, 0, 0}, 1},
    };
    for (const Step& s : steps) {
        view.MoveCursor(k8, s.rows, s.columns);
        EXPECT_EQ(view.Cursor(k8), s.cursor) << s.rows << "," << s.columns;
        EXPECT_EQ(view.TopRow(), s.top);
    }
    // The pages keep a cursor each.
    EXPECT_EQ(view.Cursor(k16), (GridCell{kHex, 0, 0}));
}

TEST_F(EditorViewTest, TwinColumnsPairTheGridsOfAPage) {
    struct Twin {
        EditorPage page;
        EditorGrid from;
        int column;
        EditorGrid to;
        int twin;
    };
    for (const Twin& t :
         {Twin{k8, kHex, 9, kChars, 9}, Twin{k8, kChars, 4, kHex, 4}, Twin{k16, kHex, 3, kChars, 6},
          Twin{k16, kChars, 7, kHex, 3}, Twin{k16, kChars, 6, kHex, 3}, Twin{k8, kHex, 5, kAddr, 0},
          Twin{k16, kAddr, 4, kHex, 0}})
        EXPECT_EQ(EditorView::TwinColumn(t.page, t.from, t.column, t.to), t.twin) << t.column;

    ASSERT_TRUE(view.SetCursor(k16, GridCell{kHex, 4, 3}));
    view.SwitchGrid(k16, kChars);
    EXPECT_EQ(view.Cursor(k16), (GridCell{kChars, 4, 6}));
    view.SwitchGrid(k16, kHex);
    EXPECT_EQ(view.Cursor(k16), (GridCell{kHex, 4, 3}));
}

TEST_F(EditorViewTest, ResizeWhileScrolledStartsAgainFromTheTop) {
    Length(4u << 20);
    view.ScrollTo(kEnd);
    ASSERT_TRUE(view.SetCursor(k8, GridCell{kHex, 15, 15}));
    EXPECT_EQ(view.TypeKey(k8, U'4'), EditResult::Pending);
    redraws = bufferRedraws = 0;

    Length(0x10400);
    EXPECT_EQ(bufferRedraws, 1);
    EXPECT_EQ(view.TopRow(), 0u);
    EXPECT_EQ(view.RowAddressText(k8, 15), "00000F0");
    EXPECT_TRUE(view.PendingDigits().empty());
    ExpectNothingPastTheEnd();
    // The next edit lands on the byte the cell shows now.
    EXPECT_EQ(Type(k8, U"12").back(), EditResult::Written);
    EXPECT_EQ(Read(0xFF, 1), Bytes{0x12});
}

TEST_F(EditorViewTest, ALoadWhileTheEndOfALargerBufferIsShown) {
    Length(4u << 20);
    view.ScrollTo(kEnd);
    const uint64_t end = view.TopRow();

    // A load that fits changes bytes only: the view stays where it was.
    const Bytes image(16, 0xA5);
    ASSERT_TRUE(buffer.PlaceLoadedData(image, image.size(), (4u << 20) - 16));
    EXPECT_EQ(view.TopRow(), end);
    EXPECT_EQ(Text(k8, kHex, 15, 0), "A5");
    EXPECT_EQ(Text(k16, kHex, 15, 7), "A5A5");

    // The device's smaller buffer comes back and the file is placed at 0.
    Length(0x20000);
    ASSERT_TRUE(buffer.PlaceLoadedDataFill(image, image.size(), 0xFF, 0));
    EXPECT_EQ(view.TopRow(), 0u);
    EXPECT_EQ(Text(k8, kHex, 0, 15), "A5");
    EXPECT_EQ(Text(k8, kHex, 1, 0), "FF");
    ExpectNothingPastTheEnd();
    view.ScrollTo(kEnd);
    EXPECT_EQ(view.TopRow(), 0x2000u - 16);
}

TEST_F(EditorViewTest, ReadOnlyWhileBusyStillScrolls) {
    EXPECT_EQ(view.TypeKey(k8, U'4'), EditResult::Pending);
    view.SetReadOnly(true);
    EXPECT_TRUE(view.PendingDigits().empty());
    EXPECT_EQ(view.TypeKey(k8, U'4'), EditResult::Refused);
    EXPECT_EQ(view.TypeKey(k8, U'1'), EditResult::Refused);
    view.SwitchGrid(k8, kChars);
    EXPECT_EQ(view.TypeKey(k8, U'A'), EditResult::Refused);
    EXPECT_FALSE(view.CellWritable(k8, GridCell{kHex, 0, 0}));
    ASSERT_TRUE(view.SetCursor(k8, GridCell{kAddr, 0, 4}));
    EXPECT_EQ(view.TypeKey(k8, U'1'), EditResult::Moved);
    EXPECT_EQ(view.TopRow(), 0x10u);  // row 0 shows 0x100
    EXPECT_EQ(Read(0, 2), (Bytes{0xFF, 0xFF}));
    EXPECT_FALSE(buffer.Modified());
    EXPECT_TRUE(observer.changes.empty());

    view.SetReadOnly(false);
    ASSERT_TRUE(view.SetCursor(k8, GridCell{kChars, 0, 0}));
    EXPECT_EQ(view.TypeKey(k8, U'A'), EditResult::Written);
    EXPECT_TRUE(buffer.Modified());
}

TEST_F(EditorViewTest, AShownMemoryBlockStandsUntilTheNextRedraw) {
    view.ScrollTo(20);
    Bytes block(256);
    for (int i = 0; i < 256; ++i) block[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i);
    view.ShowMemoryBlock(block);
    EXPECT_TRUE(view.ShowingMemoryBlock());
    EXPECT_EQ(view.RowAddressText(k8, 15), "00000F0");
    EXPECT_EQ(view.RowAddressText(k16, 15), "0000078");
    EXPECT_EQ(Text(k8, kHex, 15, 15), "FF");
    EXPECT_EQ(Text(k8, kHex, 4, 1), "41");
    EXPECT_EQ(Text(k16, kHex, 0, 1), "0302");
    EXPECT_EQ(Text(k8, kChars, 4, 1), "A");
    EXPECT_EQ(view.TypeKey(k8, U'0'), EditResult::Refused);  // not the buffer's bytes

    view.RefreshGrids();
    EXPECT_FALSE(view.ShowingMemoryBlock());
    EXPECT_EQ(view.TopRow(), 20u);
    EXPECT_EQ(Text(k8, kHex, 4, 1), "FF");
    // A change of the buffer ends it too; so does a short block's end.
    view.ShowMemoryBlock(Bytes(20, 0x11));
    EXPECT_EQ(Text(k8, kHex, 1, 3), "11");
    EXPECT_EQ(Text(k8, kHex, 1, 4), "");
    Poke(0, 0);
    EXPECT_FALSE(view.ShowingMemoryBlock());
}

TEST_F(EditorViewTest, ChangesOfTheBufferAreRedrawn) {
    Poke(0x10, 0x42);
    EXPECT_EQ(bufferRedraws, 1);
    EXPECT_EQ(Text(k8, kHex, 1, 0), "42");
    buffer.SetDataMode(DataMode::SwapByte);
    EXPECT_EQ(bufferRedraws, 2);
    EXPECT_EQ(Text(k8, kHex, 1, 1), "42");
    view.ScrollLines(1);
    EXPECT_EQ(redraws, 3);
    EXPECT_EQ(bufferRedraws, 2);
}

TEST_F(EditorViewTest, InformationPageTexts) {
    BufferInformation fresh = ReadBufferInformation(buffer);
    EXPECT_EQ(fresh.LastLoadFileName, "None");
    EXPECT_EQ(fresh.FileFormat, "Auto Detect");
    EXPECT_EQ(fresh.CheckSum, "Check Sum : 00000000 H");
    EXPECT_EQ(fresh.SumRange, "Get Sum Range : 0000000H <---> 0000000H");
    EXPECT_EQ(fresh.BufSize, "0002000");
    EXPECT_EQ(fresh.StartAdd, "0000000");
    EXPECT_EQ(fresh.EndAddress, "0000000");  // nothing loaded: not -1

    Profile history(buffer.HistoryIniPath());
    history.WriteString("LoadDlg", "Name", "/data/image.hex");
    history.WriteString("LoadDlg", "Format", "4");
    buffer.SetLoadedStart(0x100);
    buffer.SetLoadedEnd(0x140);
    ASSERT_TRUE(buffer.GetSum(0x100, 0x13F, 0));
    const BufferInformation loaded = ReadBufferInformation(buffer);
    EXPECT_EQ(loaded.LastLoadFileName, "/data/image.hex");
    EXPECT_EQ(loaded.FileFormat, "Intel HEX");
    EXPECT_EQ(loaded.CheckSum, "Check Sum : 00003FC0 H");
    EXPECT_EQ(loaded.SumRange, "Get Sum Range : 0000100H <---> 000013FH");
    EXPECT_EQ(loaded.StartAdd, "0000100");
    EXPECT_EQ(loaded.EndAddress, "000013F");

    const std::pair<const char*, const char*> formats[] = {
        {"0", "Auto Detect"},   {"1", "MS-DOS fn.exe"},
        {"2", "MS-DOS fn.com"}, {"3", "Binary / Machine Code"},
        {"5", "Motorola HEX"},  {"6", "Tektlonix HEX"},
        {"7", "POF"},           {"8", "None"},
        {"-1", "None"},         {"Intel", "None"}};
    for (const auto& [value, name] : formats) {
        history.WriteString("LoadDlg", "Format", value);
        EXPECT_EQ(ReadBufferInformation(buffer).FileFormat, name) << value;
    }
}

TEST_F(EditorViewTest, ClosingAModifiedEditorAsksAndTheDataModeIsRecorded) {
    EXPECT_TRUE(ConfirmCloseEditor(buffer, messages));
    EXPECT_TRUE(messages.shown.empty());
    buffer.SetModified(true);
    messages.answers = {MsgAnswer::Cancel, MsgAnswer::Ok};
    EXPECT_FALSE(ConfirmCloseEditor(buffer, messages));
    EXPECT_TRUE(ConfirmCloseEditor(buffer, messages));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "Are you sure to close file ?");
    EXPECT_EQ(messages.shown[0].title, "CLOSE");
    EXPECT_EQ(messages.shown[0].buttons, MsgButtons::OkCancel);

    messages.shown.clear();
    const Profile history(buffer.HistoryIniPath());
    EXPECT_TRUE(WriteCommonDataSelect(buffer, 3, messages));
    EXPECT_EQ(history.ReadInteger("CommonParameterSet", "CommonDataSelect", -1), 3);
    EXPECT_TRUE(messages.shown.empty());

    // A settings file that cannot be written: the operator is told, as of
    // every other settings write.
    ASSERT_EQ(::chmod(buffer.HistoryIniPath().c_str(), 0444), 0);
    EXPECT_FALSE(WriteCommonDataSelect(buffer, 0, messages));
    EXPECT_EQ(history.ReadInteger("CommonParameterSet", "CommonDataSelect", -1), 3);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, SettingsWriteFailText(buffer.HistoryIniPath()));
    EXPECT_EQ(messages.shown[0].title, kSettingsWriteFailTitle);
}

}  // namespace
}  // namespace burnmark::testing
