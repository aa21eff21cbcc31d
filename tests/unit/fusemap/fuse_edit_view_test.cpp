// The fuse-map editor's view over the map: ranges and texts, the jump, the
// wraps from one map row into the next, the scroll bars, edits written to the
// map, and maps that are narrow, tiny or missing.
#include "fusemap/fuse_edit_view.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fusemap/jedec.h"
#include "support/fake_ports.h"

namespace burnmark {
namespace {

using testing::FakeFailDisplay;
using testing::FakeMessages;
using Key = PalShowBox::Key;

constexpr FuseGeometry kGal{2194, 44, 50, 20, 1};
constexpr FuseGeometry kNarrow{256, 16, 16, 20, 0};

struct Editor {
    explicit Editor(const FuseGeometry& g) {
        map.InitFuseBuffer(g);
        // A pattern, so that a cell shows which fuse it is.
        for (int64_t i = 0; i < map.FuseCount(); ++i) map.SetFuse(i, i % 3 == 0);
        view = std::make_unique<FuseEditView>(map);
        messages.Clear();
    }
    // Offsets through the bars, as the operator would set them.
    void Show(int32_t colOffset, int32_t rowOffset, int32_t focusX, int32_t focusY) {
        view->PalScrollBar_HScroll(colOffset);
        view->PalScrollBar_VScroll(rowOffset);
        view->Grid().SetFocusX(focusX);
        view->Grid().SetFocusY(focusY);
    }
    int32_t FocusedCell() const {
        const PalShowBox& g = view->Grid();
        return g.ReadArrValue(g.Focus_Y(), g.Focus_X());
    }
    // The grid shows the map's fuses where the offsets say, and the bars agree.
    void ExpectConsistent(const char* name) const {
        EXPECT_EQ(view->HBar().Position, map.ColOffset) << name;
        EXPECT_EQ(view->VBar().Position, map.RowOffset) << name;
        EXPECT_GE(map.ColOffset, 0) << name;
        EXPECT_GE(map.RowOffset, 0) << name;
        const PalShowBox& g = view->Grid();
        for (int32_t r = 0; r < g.Colls_H(); ++r)
            for (int32_t c = 0; c < g.Colls_W(); ++c) {
                const int64_t col = map.ColOffset + c;
                const int64_t want =
                    col < map.FuseCols()
                        ? map.FuseAt((map.RowOffset + r) * int64_t{map.FuseCols()} + col)
                        : kNoFuse;
                ASSERT_EQ(g.ReadArrValue(r, c), want) << name << " cell " << r << "," << c;
            }
    }

    FakeMessages messages;
    FakeFailDisplay fail;
    FuseMap map{messages, fail};
    std::unique_ptr<FuseEditView> view;
};

TEST(FuseEditViewTest, RangesSizeAndLegendFollowTheGeometry) {
    struct Case {
        const char* name;
        FuseGeometry g;
        int32_t hMax, vMax;
        const char* square;
        const char* one;
        const char* zero;
    };
    const Case cases[] = {
        {"44 x 50", kGal, 20, 48, "Square : 0044 * 0050 ", "-->Intact.[1 Key]", "-->Blown.[0 Key]"},
        {"32 x 64, other polarity",
         {2048, 32, 64, 20, 0},
         8,
         62,
         "Square : 0032 * 0064 ",
         "-->Blown.[1 Key]",
         "-->Intact.[0 Key]"},
        {"narrower and lower than the grid",
         {24, 6, 4, 20, 1},
         0,
         6,
         "Square : 0006 * 0004 ",
         "-->Intact.[1 Key]",
         "-->Blown.[0 Key]"},
        // Rows short of the fuses: every fuse stays reachable.
        {"10 rows for 50 rows of fuses",
         {2194, 44, 10, 20, 0},
         20,
         48,
         "Square : 0044 * 0010 ",
         "-->Blown.[1 Key]",
         "-->Intact.[0 Key]"},
        {"no map",
         {0, 44, 50, 20, 1},
         0,
         0,
         "Square : 0000 * 0000 ",
         "-->Blown.[1 Key]",
         "-->Intact.[0 Key]"},
    };
    for (const Case& c : cases) {
        Editor e(c.g);
        const FuseEditView& v = *e.view;
        EXPECT_EQ(v.HBar().Min, 0) << c.name;
        EXPECT_EQ(v.HBar().Max, c.hMax) << c.name;
        EXPECT_EQ(v.VBar().Max, c.vMax) << c.name;
        EXPECT_EQ(v.HBar().LargeChange, 23) << c.name;
        EXPECT_EQ(v.VBar().LargeChange, 7) << c.name;
        EXPECT_EQ(v.HBar().SmallChange, 1) << c.name;
        EXPECT_EQ(v.SquareLabel(), c.square) << c.name;
        EXPECT_EQ(v.BigMap1Label(), c.one) << c.name;
        EXPECT_EQ(v.Bitmap0Label(), c.zero) << c.name;
        EXPECT_EQ(v.XLabel(), "X : 0000     Y : 0000") << c.name;
        EXPECT_EQ(v.JumpText(), "00000000") << c.name;
        e.ExpectConsistent(c.name);
    }
}

TEST(FuseEditViewTest, WithoutAMapNothingMovesAndNothingIsWritten) {
    Editor e({0, 44, 50, 20, 1});
    FuseEditView& v = *e.view;
    EXPECT_FALSE(v.HasMap());
    EXPECT_FALSE(v.JumpEnabled());
    // The view adds no message to the one the map's set-up gave.
    EXPECT_TRUE(e.messages.shown.empty());
    for (int32_t r = 0; r < FuseEditView::kGridRows; ++r) EXPECT_EQ(v.RowLabel(r), "00000000");

    v.JumpEditChange("123");
    EXPECT_EQ(v.JumpText(), "00000000");
    v.jump_bmpMouseUp();
    v.JumpToFuse(5);
    v.PalScrollBar_VScroll(3);
    v.PalScrollBar_HScroll(3);
    for (Key k : {Key::Right, Key::Left, Key::Enter, Key::One, Key::Down, Key::Up})
        v.Grid().KeyDown(k);
    v.Grid().SetCellSize(15, 15);
    v.Grid().DMouseDown(10, 10);
    EXPECT_EQ(e.map.ColOffset, 0);
    EXPECT_EQ(e.map.RowOffset, 0);
    EXPECT_EQ(e.FocusedCell(), kNoFuse);
    EXPECT_EQ(v.JumpText(), "00000000");
}

TEST(FuseEditViewTest, JumpShowsTheFuseInItsOwnOrTheLastColumnAndRow) {
    struct Case {
        int64_t target;
        int32_t colOffset, rowOffset, focusX, focusY;
        int64_t shown;  // the focused fuse afterwards
        const char* xLabel;
    };
    const Case cases[] = {
        {2193, 14, 42, 23, 7, 2193, "X : 0037     Y : 0049"},
        {0, 0, 0, 0, 0, 0, "X : 0000     Y : 0000"},
        {23, 0, 0, 23, 0, 23, "X : 0023     Y : 0000"},
        {24, 1, 0, 23, 0, 24, "X : 0024     Y : 0000"},
        {44 * 7 + 5, 0, 0, 5, 7, 44 * 7 + 5, "X : 0005     Y : 0007"},
        {44 * 8, 0, 1, 0, 7, 44 * 8, "X : 0000     Y : 0008"},
        {-5, 0, 0, 0, 0, 0, "X : 0000     Y : 0000"},
        {99999, 14, 42, 23, 7, 2193, "X : 0037     Y : 0049"},
    };
    for (const Case& c : cases) {
        Editor e(kGal);
        e.Show(9, 17, 4, 3);  // somewhere else first
        e.view->JumpToFuse(c.target);
        const std::string name = std::to_string(c.target);
        EXPECT_EQ(e.map.ColOffset, c.colOffset) << name;
        EXPECT_EQ(e.map.RowOffset, c.rowOffset) << name;
        EXPECT_EQ(e.view->Grid().Focus_X(), c.focusX) << name;
        EXPECT_EQ(e.view->Grid().Focus_Y(), c.focusY) << name;
        EXPECT_EQ(e.view->FocusedAddress(), c.shown) << name;
        EXPECT_EQ(e.FocusedCell(), e.map.FuseAt(c.shown)) << name;
        EXPECT_EQ(e.view->XLabel(), c.xLabel) << name;
        char jump[16];
        std::snprintf(jump, sizeof jump, "%08lld", static_cast<long long>(c.shown));
        EXPECT_EQ(e.view->JumpText(), jump) << name;
        e.ExpectConsistent(name.c_str());
    }

    // The row labels name each shown row's first shown fuse.
    Editor e(kGal);
    e.view->JumpToFuse(2193);
    EXPECT_EQ(e.view->RowLabel(0), "00001862");  // 44 * 42 + 14
    EXPECT_EQ(e.view->RowLabel(7), "00002170");
    EXPECT_EQ(e.view->RowLabel(8), "");

    // The Jump button goes to the fuse the edit names.
    e.view->JumpEditChange("100");
    e.view->jump_bmpMouseUp();
    EXPECT_EQ(e.view->FocusedAddress(), 100);
    EXPECT_EQ(e.view->JumpText(), "00000100");
}

TEST(FuseEditViewTest, LeftAndRightAtTheGridsEdgesStepOneFuse) {
    struct Case {
        const char* name;
        FuseGeometry g;
        int32_t colOffset, rowOffset, focusX, focusY;
        Key key;
        int64_t expect;  // the focused fuse afterwards
        int32_t expectRowOffset;
    };
    const Case cases[] = {
        {"left from grid row 1 to the row above", kGal, 0, 0, 0, 1, Key::Left, 43, 0},
        {"left from the top row scrolls up", kGal, 0, 5, 0, 0, Key::Left, 5 * 44 - 1, 4},
        {"left inside the grid's rows", kGal, 0, 5, 0, 3, Key::Left, 8 * 44 - 1, 5},
        {"left scrolls a column", kGal, 3, 2, 0, 4, Key::Left, 6 * 44 + 2, 2},
        {"left at the first fuse", kGal, 0, 0, 0, 0, Key::Left, 0, 0},
        {"right from grid row 6 to row 7", kGal, 20, 0, 23, 6, Key::Right, 7 * 44, 0},
        {"right from the last grid row scrolls down", kGal, 20, 0, 23, 7, Key::Right, 8 * 44, 1},
        {"right scrolls a column", kGal, 5, 0, 23, 2, Key::Right, 2 * 44 + 29, 0},
        {"right into the last map row", kGal, 20, 41, 23, 7, Key::Right, 49 * 44, 42},
        {"right at the last fuse", kGal, 14, 42, 23, 7, Key::Right, 2193, 42},
        {"narrow: left from grid row 1", kNarrow, 0, 0, 0, 1, Key::Left, 15, 0},
        {"narrow: left from the top row", kNarrow, 0, 3, 0, 0, Key::Left, 47, 2},
        {"narrow: right at the row's end to the next row", kNarrow, 0, 0, 15, 0, Key::Right, 16, 0},
        {"narrow: enter at the row's end", kNarrow, 0, 0, 15, 2, Key::Enter, 3 * 16, 0},
        {"narrow: right from the last grid row scrolls down", kNarrow, 0, 2, 15, 7, Key::Right,
         10 * 16, 3},
        {"narrow: right at the last fuse", kNarrow, 0, 8, 15, 7, Key::Right, 255, 8},
        {"3 per row: right at the row's end", {6, 3, 2, 20, 0}, 0, 0, 2, 0, Key::Right, 3, 0},
    };
    for (const Case& c : cases) {
        Editor e(c.g);
        e.Show(c.colOffset, c.rowOffset, c.focusX, c.focusY);
        e.view->Grid().KeyDown(c.key);
        EXPECT_EQ(e.view->FocusedAddress(), c.expect) << c.name;
        EXPECT_EQ(e.map.RowOffset, c.expectRowOffset) << c.name;
        EXPECT_EQ(e.FocusedCell(), e.map.FuseAt(c.expect)) << c.name;
        e.ExpectConsistent(c.name);
    }
}

TEST(FuseEditViewTest, TheArrowsWalkTheWholeMapOneFuseAtATime) {
    struct Case {
        const char* name;
        FuseGeometry g;
    };
    const Case cases[] = {
        {"44 per row", kGal},
        {"32 per row", {2048, 32, 64, 20, 0}},
        {"24 per row", {240, 24, 10, 20, 0}},
        {"16 per row", kNarrow},
        {"3 per row, 2 rows", {6, 3, 2, 20, 0}},
    };
    for (const Case& c : cases) {
        Editor e(c.g);
        const int64_t last = c.g.FuseCount - 1;
        e.view->JumpToFuse(last);
        for (int64_t a = last; a > 0; --a) {
            e.view->Grid().KeyDown(Key::Left);
            ASSERT_EQ(e.view->FocusedAddress(), a - 1) << c.name;
            ASSERT_EQ(e.FocusedCell(), e.map.FuseAt(a - 1)) << c.name;
        }
        e.view->Grid().KeyDown(Key::Left);
        EXPECT_EQ(e.view->FocusedAddress(), 0) << c.name;
        e.ExpectConsistent(c.name);
        for (int64_t a = 0; a < last; ++a) {
            e.view->Grid().KeyDown(Key::Right);
            ASSERT_EQ(e.view->FocusedAddress(), a + 1) << c.name;
        }
        e.view->Grid().KeyDown(Key::Right);
        EXPECT_EQ(e.view->FocusedAddress(), last) << c.name;
        e.ExpectConsistent(c.name);
    }
}

TEST(FuseEditViewTest, EditsReachTheMapOnlyForItsFuses) {
    Editor e(kNarrow);
    const std::vector<uint8_t> before(e.map.Block().begin(), e.map.Block().end());
    const uint32_t sumBefore = e.map.FuseChecksum();
    PalShowBox& grid = e.view->Grid();
    grid.SetCellSize(15, 15);

    // Beyond the map's 16 columns the cells hold no fuse: nothing is written.
    for (int32_t x : {16, 20, 23}) {
        grid.SetFocusX(x);
        grid.SetFocusY(1);
        grid.KeyDown(Key::One);
        grid.KeyDown(Key::Zero);
        grid.DMouseDown(3 + x * 15 + 7, 3 + 15 + 7);
        grid.KeyDown(Key::Enter);  // in the last column it moves on to the next row
    }
    // Past the last map row, in the slack the bar lets the grid show.
    e.view->PalScrollBar_VScroll(e.view->VBar().Max);
    grid.SetFocusX(0);
    grid.SetFocusY(7);
    grid.KeyDown(Key::Enter);
    EXPECT_EQ(std::vector<uint8_t>(e.map.Block().begin(), e.map.Block().end()), before);

    // A double click on fuse 17 (row 1, column 1) toggles it.
    e.view->PalScrollBar_VScroll(0);
    ASSERT_TRUE(grid.DMouseDown(3 + 15 + 7, 3 + 15 + 7));
    EXPECT_EQ(e.map.FuseAt(17), before[17] ? 0 : 1);
    EXPECT_NE(e.map.FuseChecksum(), sumBefore);
    // Enter toggles it back and moves on; "1" sets fuse 18.
    grid.SetFocusX(1);
    grid.KeyDown(Key::Enter);
    EXPECT_EQ(e.map.FuseAt(17), before[17]);
    grid.KeyDown(Key::One);
    EXPECT_EQ(e.map.FuseAt(18), 1);
    EXPECT_EQ(e.view->FocusedAddress(), 19);
    e.ExpectConsistent("after edits");
}

TEST(FuseEditViewTest, ScrollBarsMoveTheOffsetsInsideTheirRanges) {
    Editor e(kGal);
    FuseEditView& v = *e.view;
    // The bottom: six rows past the map, its slack showing no fuse.
    v.PalScrollBar_VScroll(48);
    EXPECT_EQ(e.map.RowOffset, 48);
    EXPECT_EQ(v.RowLabel(7), "00002420");
    EXPECT_EQ(v.Grid().ReadArrValue(0, 0), e.map.FuseAt(48 * 44));
    EXPECT_EQ(v.Grid().ReadArrValue(2, 0), kNoFuse);
    e.ExpectConsistent("bottom");
    v.PalScrollBar_VScroll(1000);
    v.PalScrollBar_HScroll(1000);
    EXPECT_EQ(e.map.RowOffset, 48);
    EXPECT_EQ(e.map.ColOffset, 20);
    v.PalScrollBar_VScroll(-4);
    v.PalScrollBar_HScroll(-4);
    EXPECT_EQ(e.map.RowOffset, 0);
    EXPECT_EQ(e.map.ColOffset, 0);

    // Up at the grid's top and Down at its bottom scroll one row.
    v.PalScrollBar_VScroll(10);
    v.Grid().SetFocusY(0);
    v.Grid().KeyDown(Key::Up);
    EXPECT_EQ(e.map.RowOffset, 9);
    v.Grid().SetFocusY(7);
    v.Grid().KeyDown(Key::Down);
    v.Grid().KeyDown(Key::Down);
    EXPECT_EQ(e.map.RowOffset, 11);
    e.ExpectConsistent("after keys");
}

TEST(FuseEditViewTest, RowsPastTheBlockShowNoFuse) {
    // Wide rows: six rows past the map lie beyond its 4096 bytes of slack.
    Editor e({1400, 700, 2, 20, 0});
    e.view->PalScrollBar_HScroll(e.view->HBar().Max);
    e.view->PalScrollBar_VScroll(e.view->VBar().Max);
    EXPECT_EQ(e.map.RowOffset, 6);
    e.ExpectConsistent("past the block");
    for (int32_t c = 0; c < 24; ++c) EXPECT_EQ(e.view->Grid().ReadArrValue(7, c), kNoFuse);
}

TEST(FuseEditViewTest, TheJumpEditKeepsDigitsBelowTheFuseCount) {
    struct Case {
        const char* text;
        int64_t count;
        const char* expect;
    };
    const Case cases[] = {
        {"12a45", 2194, "12"},
        {"", 2194, "00000000"},
        {"a12", 2194, "00000000"},
        {"2193", 2194, "2193"},
        {"2194", 2194, "00002193"},
        {"99999999", 2194, "00002193"},
        {"123456789", 200000000, "12345678"},
        {"0000012", 2194, "0000012"},
        {" 7", 2194, "00000000"},
        // What the focus of a map without fuses would write there.
        {"-0000001", 0, "00000000"},
        {"5", 0, "00000000"},
        {"", 0, "00000000"},
    };
    for (const Case& c : cases) {
        const std::string once = FuseEditView::FilterJumpText(c.text, c.count);
        EXPECT_EQ(once, c.expect) << c.text << " of " << c.count;
        // The edit shows the filtered text, which the filter then keeps: its
        // own rewrite ends there.
        EXPECT_EQ(FuseEditView::FilterJumpText(once, c.count), once) << c.text;
    }

    struct Parse {
        const char* text;
        int64_t maximum;
        bool below;
        int64_t address;
    };
    const Parse parses[] = {
        {"2193", 2194, true, 2193},
        {"2194", 2194, false, 2193},
        {"", 2194, true, 0},
        {"00000017", 2194, true, 17},
        {"99999999999999999999999", 10, false, 9},
    };
    for (const Parse& p : parses) {
        int64_t address = -7;
        EXPECT_EQ(FuseEditView::ParseJumpValue(p.text, p.maximum, address), p.below) << p.text;
        EXPECT_EQ(address, p.address) << p.text;
    }
}

TEST(FuseEditViewTest, ANewMapForAnotherDeviceStartsAtItsFirstFuse) {
    Editor e(kGal);
    e.view->JumpToFuse(2000);
    e.map.ShowFuseChecksum(6);
    ASSERT_NE(e.map.FuseLastChecksum, 0u);

    // The map rebuilt for another geometry redraws the view, which follows it.
    ASSERT_TRUE(e.map.InitFuseBuffer(kNarrow));
    EXPECT_EQ(e.view->HBar().Max, 0);
    EXPECT_EQ(e.view->VBar().Max, 14);
    EXPECT_EQ(e.view->SquareLabel(), "Square : 0016 * 0016 ");
    EXPECT_EQ(e.view->FocusedAddress(), 0);
    EXPECT_EQ(e.map.FuseLastChecksum, 0u);
    e.ExpectConsistent("rebuilt");

    // A map that could not be built leaves nothing to show once rebound.
    e.map.InitFuseBuffer({0, 0, 0, 0, 0});
    e.view->Rebind();
    EXPECT_FALSE(e.view->HasMap());
    EXPECT_EQ(e.view->SquareLabel(), "Square : 0000 * 0000 ");
    e.ExpectConsistent("no map");
}

TEST(FuseEditViewTest, SumShowsTheChecksumInABoxAndOkOnlyInTheField) {
    Editor e(kGal);
    std::vector<std::string> field;
    e.map.OnChecksumShown = [&](const std::string& text, bool) { field.push_back(text); };
    const std::string sum = FuseChecksumText(e.map.FuseChecksum());

    e.view->check_sumClick();
    ASSERT_EQ(e.messages.shown.size(), 1u);
    EXPECT_EQ(e.messages.shown[0].title, "Get Check Sum");
    EXPECT_EQ(e.messages.shown[0].text, sum);
    e.view->GAL_Image6Click();
    EXPECT_EQ(e.messages.shown.size(), 1u);
    EXPECT_EQ(field, (std::vector<std::string>{sum, sum}));
}

}  // namespace
}  // namespace burnmark
