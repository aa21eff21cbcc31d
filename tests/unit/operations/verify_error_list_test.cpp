// The verify-error list as data: the row texts, the refused rows, the
// selection, the bit view and when the window is brought up.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "operations/verify_error_list_model.h"

namespace burnmark {
namespace {

class RecordingView : public VerifyErrorListView {
public:
    void ListRowsChanged(int first, int last) override {
        rows.push_back(std::to_string(first) + "-" + std::to_string(last));
    }
    void BitViewChanged() override { ++bitViews; }
    void SelectionChanged() override { ++selections; }
    void BringUp() override { ++bringUps; }

    std::vector<std::string> rows;
    int bitViews = 0, selections = 0, bringUps = 0;
};

std::vector<std::string> Row(const VerifyErrorListModel& model, int row) {
    std::vector<std::string> cells;
    for (int column = 0; column < kVerifyListColumns; ++column)
        cells.push_back(model.ListCell(column, row));
    return cells;
}

// Every cell of both grids, for "nothing changed".
std::vector<std::string> AllCells(const VerifyErrorListModel& model) {
    std::vector<std::string> cells;
    for (int row = 0; row < kVerifyListGridRows; ++row)
        for (const std::string& cell : Row(model, row)) cells.push_back(cell);
    for (int row = 0; row < kBitViewRows; ++row)
        for (int column = 0; column < kBitViewColumns; ++column)
            cells.push_back(model.BitCell(column, row));
    return cells;
}

// The sixteen bit cells of a bit-view row, bit 15 first, "_" for an empty cell.
std::string BitRow(const VerifyErrorListModel& model, int row) {
    std::string text;
    for (int bit = 15; bit >= 0; --bit) {
        const std::string& cell = model.BitCell(BitColumn(bit), row);
        text += cell.empty() ? "_" : cell;
    }
    return text;
}

using Add = std::function<bool(VerifyErrorListModel&)>;

TEST(VerifyErrorListTest, HeadingsOfBothGrids) {
    const VerifyErrorListModel model;
    EXPECT_EQ(Row(model, 0), (std::vector<std::string>{"NO.", "Buffer Address", "Buffer Value", "",
                                                       "IC Value", "IC Address"}));
    EXPECT_EQ(model.BitCell(0, 1), "Buffer");
    EXPECT_EQ(model.BitCell(0, 2), "  IC  ");
    EXPECT_EQ(model.BitCell(kBitAddressColumn, 0), "Address");
    EXPECT_EQ(model.BitCell(kBitValueColumn, 0), "HEX");
    EXPECT_EQ(model.BitCell(kBitHighColumn, 0), "Hi");
    EXPECT_EQ(model.BitCell(kBitLowColumn, 0), "Lo");
    EXPECT_EQ(model.SelectedErrorRow(), 0);
    EXPECT_EQ(model.FirstRowShown(), 0);
}

TEST(VerifyErrorListTest, RowFormats) {
    struct Case {
        const char* name;
        Add add;
        int gridRow;
        std::vector<std::string> cells;
    };
    const Case cases[] = {
        {"8-bit",
         [](auto& m) { return m.AddVerifyError(0, 0x1234, 8, 0x3B, 0x1234, 0x3A); },
         1,
         {"0", "0001234", "3A", "", "3B", "0001234"}},
        {"8-bit lists the low byte",
         [](auto& m) { return m.AddVerifyError(7, 0x10, 8, 0x1FF, 0x10, 0x100); },
         8,
         {"7", "0000010", "00", "", "FF", "0000010"}},
        {"16-bit single values",
         [](auto& m) { return m.AddVerifyError(3, 0xABCDEF, 16, 0x00FF, 0xABCDEF, 0x1234); },
         4,
         {"3", "0ABCDEF", "1234", "", "00FF", "0ABCDEF"}},
        {"16-bit pair, high byte first",
         [](auto& m) { return m.AddVerifyErrorPair(12, 0x10, 0x10, 0x12, 0x34, 0x0A, 0xB5); },
         13,
         {"12", "0000010", "1234", "", "0AB5", "0000010"}},
        {"buffer and chip address kept apart",
         [](auto& m) { return m.AddVerifyError(1, 0x100, 8, 0xCD, 0x200, 0xAB); },
         2,
         {"1", "0000100", "AB", "", "CD", "0000200"}},
        {"an address beyond seven digits is not cut",
         [](auto& m) { return m.AddVerifyError(2, 0x12345678, 8, 1, 0xFFFFFFFF, 2); },
         3,
         {"2", "12345678", "02", "", "01", "FFFFFFFF"}},
        {"index 255 fills the last row",
         [](auto& m) { return m.AddVerifyErrorPair(255, 0x7FFFF, 0x7FFFF, 0, 0, 0xFF, 0xFF); },
         256,
         {"255", "007FFFF", "0000", "", "FFFF", "007FFFF"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VerifyErrorListModel model;
        RecordingView view;
        model.SetView(&view);
        EXPECT_TRUE(c.add(model));
        EXPECT_EQ(Row(model, c.gridRow), c.cells);
        EXPECT_EQ(view.rows.front(), std::to_string(c.gridRow) + "-" + std::to_string(c.gridRow));
        // Nothing else in the list was written.
        int filled = 0;
        for (int row = 1; row < kVerifyListGridRows; ++row)
            filled += !model.ListCell(kListNumberColumn, row).empty();
        EXPECT_EQ(filled, 1);
    }
}

TEST(VerifyErrorListTest, RefusedRowsChangeNothing) {
    struct Case {
        const char* name;
        Add add;
    };
    const Case cases[] = {
        {"index 256", [](auto& m) { return m.AddVerifyError(256, 1, 8, 1, 1, 2); }},
        {"index 257", [](auto& m) { return m.AddVerifyErrorPair(257, 1, 1, 0, 1, 0, 2); }},
        {"index -1", [](auto& m) { return m.AddVerifyError(-1, 1, 8, 1, 1, 2); }},
        {"pair index -1", [](auto& m) { return m.AddVerifyErrorPair(-1, 1, 1, 0, 1, 0, 2); }},
        {"most negative index",
         [](auto& m) { return m.AddVerifyError(INT32_MIN, 1, 16, 1, 1, 2); }},
        {"largest index", [](auto& m) { return m.AddVerifyError(INT32_MAX, 1, 8, 1, 1, 2); }},
        {"width 0", [](auto& m) { return m.AddVerifyError(0, 1, 0, 1, 1, 2); }},
        {"width 32", [](auto& m) { return m.AddVerifyError(0, 1, 32, 1, 1, 2); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VerifyErrorListModel model;
        RecordingView view;
        model.SetView(&view);
        const std::vector<std::string> before = AllCells(model);
        EXPECT_FALSE(c.add(model));
        EXPECT_EQ(AllCells(model), before);
        EXPECT_EQ(model.SelectedErrorRow(), 0);
        EXPECT_EQ(model.FirstRowShown(), 0);
        EXPECT_TRUE(view.rows.empty());
        EXPECT_EQ(view.bitViews, 0);
        EXPECT_EQ(view.selections, 0);
    }
}

TEST(VerifyErrorListTest, FirstRowOfACompareIsShownAtOnceLaterRowsWaitForAClick) {
    VerifyErrorListModel model;
    RecordingView view;
    model.SetView(&view);

    model.ResetList();
    EXPECT_EQ(view.selections, 1);
    model.AddVerifyError(0, 0x40, 8, 0x3B, 0x40, 0x3A);
    EXPECT_EQ(model.SelectedErrorRow(), 1);
    EXPECT_EQ(model.FirstRowShown(), 1);
    EXPECT_EQ(model.BitCell(kBitAddressColumn, 1), "0000040");
    EXPECT_EQ(model.BitCell(kBitValueColumn, 2), "3B");

    const std::vector<std::string> shown = AllCells(model);
    model.AddVerifyError(1, 0x41, 8, 0x00, 0x41, 0xFF);
    model.AddVerifyError(2, 0x42, 8, 0x11, 0x42, 0x22);
    for (int row = 0; row < kBitViewRows; ++row)
        for (int column = 0; column < kBitViewColumns; ++column)
            EXPECT_EQ(
                model.BitCell(column, row),
                shown[kVerifyListGridRows * kVerifyListColumns + row * kBitViewColumns + column]);

    // The operator clicks the third row.
    model.Verify_Error_ListSelectCell(2, 3);
    model.Verify_Error_ListDblClick();
    EXPECT_EQ(model.BitCell(kBitAddressColumn, 1), "0000042");
    EXPECT_EQ(model.BitCell(kBitValueColumn, 1), "22");
    // A row added now leaves the operator's row in view; so does the last one.
    model.AddVerifyError(3, 0x43, 8, 0x44, 0x43, 0x55);
    model.AddVerifyError(kVerifyErrorRows - 1, 0x1FF, 8, 0x01, 0x1FF, 0x02);
    EXPECT_EQ(model.SelectedErrorRow(), 3);
    EXPECT_EQ(model.BitCell(kBitAddressColumn, 1), "0000042");

    // The next compare's reset: rows (the last one too) and bit view empty,
    // headings kept, row 1 selected again, and its first row shown at once.
    model.ResetList();
    const VerifyErrorListModel fresh;
    EXPECT_EQ(AllCells(model), AllCells(fresh));
    EXPECT_EQ(model.SelectedErrorRow(), 1);
    EXPECT_EQ(model.FirstRowShown(), 0);
    model.AddVerifyErrorPair(0, 0x8, 0x8, 0x12, 0x34, 0x12, 0x35);
    EXPECT_EQ(model.BitCell(kBitValueColumn, 1), "1234");
}

TEST(VerifyErrorListTest, BitViewColumns) {
    struct Case {
        const char* name;
        Add add;
        std::string marks, buffer, chip;  // bit 15 first
        std::string hi[2], lo[2];         // buffer, chip
    };
    const Case cases[] = {
        {"8-bit 3A against 3B marks only bit 0",
         [](auto& m) { return m.AddVerifyError(0, 0x40, 8, 0x3B, 0x40, 0x3A); },
         "_______________X",
         "________00111010",
         "________00111011",
         {"", ""},
         {":", ";"}},
        {"8-bit bytes that are no characters",
         [](auto& m) { return m.AddVerifyError(0, 0x40, 8, 0x00, 0x40, 0xFF); },
         "________XXXXXXXX",
         "________11111111",
         "________00000000",
         {"", ""},
         {".", "."}},
        {"16-bit pair, bits 15 and 0",
         [](auto& m) { return m.AddVerifyErrorPair(0, 0x10, 0x10, 0x12, 0x34, 0x92, 0x35); },
         "X______________X",
         "0001001000110100",
         "1001001000110101",
         {".", "."},
         {"4", "5"}},
        {"16-bit printable edges: space and tilde as is, 1F and 7F as dots",
         [](auto& m) { return m.AddVerifyErrorPair(0, 0x10, 0x10, 0x20, 0x7E, 0x1F, 0x7F); },
         "__XXXXXX_______X",
         "0010000001111110",
         "0001111101111111",
         {" ", "."},
         {"~", "."}},
        {"16-bit single value",
         [](auto& m) { return m.AddVerifyError(0, 0x10, 16, 0x4142, 0x10, 0xC1C2); },
         "X_______X_______",
         "1100000111000010",
         "0100000101000010",
         {".", "A"},
         {".", "B"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VerifyErrorListModel model;
        ASSERT_TRUE(c.add(model));
        EXPECT_EQ(BitRow(model, 0), c.marks);
        EXPECT_EQ(BitRow(model, 1), c.buffer);
        EXPECT_EQ(BitRow(model, 2), c.chip);
        for (int row = 1; row <= 2; ++row) {
            EXPECT_EQ(model.BitCell(kBitHighColumn, row), c.hi[row - 1]);
            EXPECT_EQ(model.BitCell(kBitLowColumn, row), c.lo[row - 1]);
        }
        // Separators stay empty; the headings stay where they are.
        for (int column : {1, 3, 5, 14, 23})
            for (int row = 0; row < kBitViewRows; ++row) EXPECT_EQ(model.BitCell(column, row), "");
        EXPECT_EQ(model.BitCell(kBitHighColumn, 0), "Hi");
        EXPECT_EQ(model.BitCell(kBitLowColumn, 0), "Lo");
    }
}

TEST(VerifyErrorListTest, An8BitRowAfterA16BitRowLeavesNoHighByteBehind) {
    VerifyErrorListModel model;
    model.AddVerifyErrorPair(0, 0x10, 0x10, 0x41, 0x42, 0x00, 0x42);
    model.AddVerifyError(1, 0x20, 8, 0x3B, 0x20, 0x3A);
    model.Verify_Error_ListSelectCell(0, 2);
    model.ShowBitDifference();
    EXPECT_EQ(BitRow(model, 0), "_______________X");
    EXPECT_EQ(BitRow(model, 1), "________00111010");
    EXPECT_EQ(model.BitCell(kBitHighColumn, 1), "");
    EXPECT_EQ(model.BitCell(kBitHighColumn, 2), "");
    EXPECT_EQ(model.BitCell(kBitLowColumn, 1), ":");
}

TEST(VerifyErrorListTest, ARowWithoutADifferenceChangesNothing) {
    VerifyErrorListModel model;
    model.AddVerifyError(0, 0x40, 8, 0x3B, 0x40, 0x3A);
    model.AddVerifyError(1, 0x41, 8, 0x00, 0x41, 0xFF);
    const std::vector<std::string> before = AllCells(model);

    // The heading row, rows outside the grid, and an empty row.
    for (int row : {0, -1, INT_MIN, kVerifyListGridRows, 1000, 3, kVerifyListGridRows - 1}) {
        SCOPED_TRACE(row);
        model.Verify_Error_ListSelectCell(1, row);
        model.Verify_Error_ListDblClick();
        EXPECT_EQ(AllCells(model), before);
    }
    model.Verify_Error_ListSelectCell(1, 2);
    model.Verify_Error_ListDblClick();
    EXPECT_EQ(model.BitCell(kBitValueColumn, 1), "FF");
}

TEST(VerifyErrorListTest, WindowComesUpOncePerCompare) {
    VerifyErrorListModel model;
    RecordingView view;
    model.SetView(&view);

    // A compare shows the list before each of its rows.
    model.ResetList();
    for (int i = 0; i < 5; ++i) {
        model.Show();
        model.AddVerifyError(i, i, 8, 0, i, 1);
    }
    EXPECT_EQ(view.bringUps, 1);

    // The next compare raises it again over the main window.
    model.ResetList();
    model.Show();
    model.Show();
    EXPECT_EQ(view.bringUps, 2);

    // Closed with Exit, then an extended-area compare (no reset) lists a row.
    model.WindowClosed();
    model.Show();
    model.Show();
    EXPECT_EQ(view.bringUps, 3);
}

}  // namespace
}  // namespace burnmark
