// The fuse grid's rules: keys, mouse, the area setters and the events that
// tell the owner where the focus went.
#include "fusemap/pal_show_box.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace burnmark {
namespace {

using Key = PalShowBox::Key;
using Cell = std::pair<int, int>;  // (row, column)

// Records every event but OnCurrentChange, which fires on each repaint.
struct Recorder {
    explicit Recorder(PalShowBox& box) {
        auto edge = [this](const char* name) {
            return [this, name](int32_t x, int32_t y) {
                events.push_back(std::string(name) + " " + std::to_string(x) + "," +
                                 std::to_string(y));
            };
        };
        box.OnLeftEvent = edge("left");
        box.OnRightEvent = edge("right");
        box.OnRowEndEvent = edge("rowend");
        box.OnBarUpEvent = edge("barup");
        box.OnBarDownEvent = edge("bardown");
        box.OnPageUpEvent = edge("pageup");
        box.OnPageDownEvent = edge("pagedown");
        box.OnChange = [this](int32_t x, int32_t y, int32_t flag) {
            events.push_back("change " + std::to_string(x) + "," + std::to_string(y) + "=" +
                             std::to_string(flag));
        };
        box.OnCurrentChange = [this](int32_t, int32_t) { ++currentChanges; };
    }
    std::vector<std::string> events;
    int currentChanges = 0;
};

TEST(PalShowBoxTest, KeysMoveTheFocusAndReportTheEdges) {
    struct Case {
        const char* name;
        std::vector<Cell> noFuse;  // cells holding 2 in the default 10 x 6 area
        std::vector<Cell> ones;
        Cell focus;  // (column, row)
        Key key;
        Cell expectFocus;
        std::vector<std::string> events;
        std::vector<std::pair<Cell, int>> cells;  // (row, column) = value afterwards
    };
    const Case cases[] = {
        {"left", {}, {}, {3, 2}, Key::Left, {2, 2}, {}, {}},
        {"left at column 0", {}, {}, {0, 2}, Key::Left, {0, 2}, {"left 0,2"}, {}},
        {"right", {}, {}, {3, 2}, Key::Right, {4, 2}, {}, {}},
        {"right at the last column", {}, {}, {9, 2}, Key::Right, {9, 2}, {"right 9,2"}, {}},
        {"right into no fuse", {{2, 4}}, {}, {3, 2}, Key::Right, {3, 2}, {"rowend 3,2"}, {}},
        {"up", {}, {}, {3, 2}, Key::Up, {3, 1}, {}, {}},
        {"up at the top row", {}, {}, {3, 0}, Key::Up, {3, 0}, {"barup 3,0"}, {}},
        {"down", {}, {}, {3, 2}, Key::Down, {3, 3}, {}, {}},
        {"down into no fuse", {{3, 3}}, {}, {3, 2}, Key::Down, {3, 2}, {"bardown 3,2"}, {}},
        {"down at the last row", {}, {}, {3, 5}, Key::Down, {3, 5}, {"bardown 3,5"}, {}},
        {"enter toggles 0 and moves on",
         {},
         {},
         {3, 2},
         Key::Enter,
         {4, 2},
         {"change 3,2=1"},
         {{{2, 3}, 1}}},
        {"space toggles 1",
         {},
         {{2, 3}},
         {3, 2},
         Key::Space,
         {4, 2},
         {"change 3,2=0"},
         {{{2, 3}, 0}}},
        {"enter on no fuse still moves",
         {{2, 3}},
         {},
         {3, 2},
         Key::Enter,
         {4, 2},
         {},
         {{{2, 3}, 2}}},
        {"enter at the last column",
         {},
         {},
         {9, 2},
         Key::Enter,
         {9, 2},
         {"change 9,2=1", "right 9,2"},
         {{{2, 9}, 1}}},
        {"1 sets and moves on", {}, {}, {3, 2}, Key::One, {4, 2}, {"change 3,2=1"}, {{{2, 3}, 1}}},
        {"0 on a 0 still reports",
         {},
         {},
         {3, 2},
         Key::Zero,
         {4, 2},
         {"change 3,2=0"},
         {{{2, 3}, 0}}},
        {"0 on no fuse does nothing", {{2, 3}}, {}, {3, 2}, Key::Zero, {3, 2}, {}, {{{2, 3}, 2}}},
        {"home", {}, {}, {7, 2}, Key::Home, {0, 2}, {}, {}},
        {"end of a full row", {}, {}, {2, 2}, Key::End, {9, 2}, {}, {}},
        {"end before no fuse", {{2, 6}, {2, 8}}, {}, {2, 2}, Key::End, {5, 2}, {}, {}},
        {"end of a row without fuses", {{2, 0}}, {}, {4, 2}, Key::End, {0, 2}, {}, {}},
        {"page up", {}, {}, {3, 3}, Key::PageUp, {3, 0}, {}, {}},
        {"page up at the top row", {}, {}, {3, 0}, Key::PageUp, {3, 0}, {"pageup 3,0"}, {}},
        {"page down of a full column", {}, {}, {3, 1}, Key::PageDown, {3, 5}, {}, {}},
        {"page down before no fuse", {{4, 3}}, {}, {3, 1}, Key::PageDown, {3, 3}, {}, {}},
        {"page down of a column without fuses",
         {{0, 3}},
         {},
         {3, 1},
         Key::PageDown,
         {3, 0},
         {},
         {}},
        {"page down at the last row", {}, {}, {3, 5}, Key::PageDown, {3, 5}, {"pagedown 3,5"}, {}},
        {"other key", {}, {}, {3, 2}, Key::Other, {3, 2}, {}, {}},
    };
    for (const Case& c : cases) {
        PalShowBox box;
        for (auto [r, col] : c.noFuse) box.SetArrValue(r, col, 2);
        for (auto [r, col] : c.ones) box.SetArrValue(r, col, 1);
        box.SetFocusX(c.focus.first);
        box.SetFocusY(c.focus.second);
        Recorder rec(box);

        box.KeyDown(c.key);

        EXPECT_EQ(box.Focus_X(), c.expectFocus.first) << c.name;
        EXPECT_EQ(box.Focus_Y(), c.expectFocus.second) << c.name;
        EXPECT_EQ(rec.events, c.events) << c.name;
        for (auto [cell, v] : c.cells)
            EXPECT_EQ(box.ReadArrValue(cell.first, cell.second), v) << c.name;
    }
}

TEST(PalShowBoxTest, EveryRepaintReportsTheFocusButTheRefusedRightKeys) {
    PalShowBox box;
    box.SetArrValue(0, 1, 2);
    Recorder rec(box);
    std::vector<std::pair<int, int>> seen;
    box.OnCurrentChange = [&](int32_t x, int32_t y) { seen.emplace_back(x, y); };

    box.KeyDown(Key::Down);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{0, 1}}));
    box.KeyDown(Key::Other);
    EXPECT_EQ(seen.size(), 2u);

    // Right into no fuse and Right at the edge leave the picture as it is.
    box.SetFocusY(0);
    seen.clear();
    box.KeyDown(Key::Right);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(box.Focus_X(), 0);
    box.SetFocusX(9);
    seen.clear();
    box.KeyDown(Key::Right);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(rec.events, (std::vector<std::string>{"rowend 0,0", "right 9,0"}));
}

TEST(PalShowBoxTest, ClicksHitTheCellUnderThePointerOnly) {
    struct Case {
        const char* name;
        int cellSize;
        int px, py;
        bool hit;
        Cell focus;  // (column, row) afterwards
    };
    // The 24 x 8 area of 15-pixel cells: cells from pixel 3 to 362 and 122.
    const Case cases[] = {
        {"first pixel of the first cell", 15, 3, 3, true, {0, 0}},
        {"last pixel of the first cell", 15, 17, 17, true, {0, 0}},
        {"first pixel of the second cell", 15, 18, 18, true, {1, 1}},
        {"last cell", 15, 362, 122, true, {23, 7}},
        {"left margin", 15, 2, 40, false, {5, 2}},
        {"top margin", 15, 40, 1, false, {5, 2}},
        {"right margin", 15, 363, 40, false, {5, 2}},
        {"bottom margin", 15, 40, 123, false, {5, 2}},
        {"far outside", 15, 5000, 5000, false, {5, 2}},
        {"negative", 15, -20, -20, false, {5, 2}},
        {"no picture", 0, 40, 40, false, {5, 2}},
    };
    for (const Case& c : cases) {
        PalShowBox box;
        box.SetWColls(24);
        box.SetHColls(8);
        box.SetCellSize(c.cellSize, c.cellSize);
        box.SetFocusX(5);
        box.SetFocusY(2);
        Recorder rec(box);

        EXPECT_EQ(box.MouseLDown(c.px, c.py), c.hit) << c.name;
        EXPECT_EQ(box.Focus_X(), c.focus.first) << c.name;
        EXPECT_EQ(box.Focus_Y(), c.focus.second) << c.name;
        EXPECT_EQ(box.Focused(), c.hit) << c.name;

        // A double click at the same place toggles that cell and no other.
        EXPECT_EQ(box.DMouseDown(c.px, c.py), c.hit) << c.name;
        const std::vector<std::string> toggled = {"change " + std::to_string(c.focus.first) + "," +
                                                  std::to_string(c.focus.second) + "=1"};
        EXPECT_EQ(rec.events, c.hit ? toggled : std::vector<std::string>{}) << c.name;
    }
}

TEST(PalShowBoxTest, ADoubleClickOnNoFuseChangesNothing) {
    PalShowBox box;
    box.SetCellSize(15, 15);
    box.SetArrValue(1, 2, 2);
    Recorder rec(box);
    EXPECT_TRUE(box.DMouseDown(3 + 2 * 15 + 7, 3 + 15 + 7));
    EXPECT_EQ(box.Focus_X(), 2);
    EXPECT_EQ(box.Focus_Y(), 1);
    EXPECT_EQ(box.ReadArrValue(1, 2), 2);
    EXPECT_TRUE(rec.events.empty());
}

TEST(PalShowBoxTest, AreaSettersKeepTheirBoundsAndTheFocusInside) {
    PalShowBox box;
    EXPECT_EQ(box.Colls_W(), 10);
    EXPECT_EQ(box.Colls_H(), 6);
    // Without a cell picture the control is its frame alone.
    EXPECT_EQ(box.ControlWidth(), 4);
    EXPECT_EQ(box.ControlHeight(), 4);

    box.SetFocusX(9);
    box.SetFocusY(5);
    for (int n : {0, -1, 50, 1000}) box.SetWColls(n);
    for (int n : {0, -7, 30}) box.SetHColls(n);
    EXPECT_EQ(box.Colls_W(), 10);
    EXPECT_EQ(box.Colls_H(), 6);

    box.SetWColls(4);
    box.SetHColls(3);
    EXPECT_EQ(box.Focus_X(), 3);
    EXPECT_EQ(box.Focus_Y(), 2);
    // The new area is all fuses of 0, the rest no fuse.
    EXPECT_EQ(box.ReadArrValue(2, 3), 0);
    EXPECT_EQ(box.ReadArrValue(2, 4), 2);
    EXPECT_EQ(box.ReadArrValue(3, 0), 2);
    // The focus only moves inside the area.
    for (int n : {-1, 4, 50}) box.SetFocusX(n);
    for (int n : {-1, 3, 30}) box.SetFocusY(n);
    EXPECT_EQ(box.Focus_X(), 3);
    EXPECT_EQ(box.Focus_Y(), 2);
    // Keys at the new edges stay inside: Enter at the last column writes there.
    box.KeyDown(Key::Enter);
    EXPECT_EQ(box.ReadArrValue(2, 3), 1);

    box.SetWColls(49);
    box.SetHColls(29);
    box.SetCellSize(15, 15);
    EXPECT_EQ(box.ControlWidth(), 49 * 15 + 4);
    EXPECT_EQ(box.ControlHeight(), 29 * 15 + 4);
}

TEST(PalShowBoxTest, CellAccessIsBoundedOnBothSides) {
    PalShowBox box;
    for (auto [r, c] : {Cell{-1, 0}, Cell{0, -1}, Cell{30, 0}, Cell{0, 50}, Cell{-100, -100}}) {
        box.SetArrValue(r, c, 1);  // nothing
        EXPECT_EQ(box.ReadArrValue(r, c), 0) << r << "," << c;
    }
    box.SetArrValue(29, 49, 1);
    EXPECT_EQ(box.ReadArrValue(29, 49), 1);
    for (int v : {-1, 3, 255}) {
        box.SetArrValue(0, 0, v);
        EXPECT_EQ(box.ReadArrValue(0, 0), 0) << v;
    }
}

}  // namespace
}  // namespace burnmark
