// The character display's layout: where each cell and glyph lies, the text
// block it takes and its colour components.
#include "widgets/lcd_cells.h"

#include <gtest/gtest.h>

#include <vector>

namespace burnmark {
namespace {

TEST(LcdCells, Placement) {
    // Cells of 9 x 13 with one pixel between them, a pixel of frame first.
    EXPECT_EQ(LcdCellOrigin(0, 0), (LcdPoint{1, 1}));
    EXPECT_EQ(LcdCellOrigin(1, 0), (LcdPoint{11, 1}));
    EXPECT_EQ(LcdCellOrigin(0, 1), (LcdPoint{1, 15}));
    EXPECT_EQ(LcdCellOrigin(19, 3), (LcdPoint{191, 43}));
    EXPECT_EQ(LcdDisplaySize(), (LcdPoint{202, 58}));
    // The sheet holds 16 glyphs to a row.
    EXPECT_EQ(LcdGlyphOrigin(0), (LcdPoint{0, 0}));
    EXPECT_EQ(LcdGlyphOrigin('A'), (LcdPoint{1 * 9, 4 * 13}));
    EXPECT_EQ(LcdGlyphOrigin(255), (LcdPoint{15 * 9, 15 * 13}));
}

TEST(LcdCells, TextBlockAndCursor) {
    std::vector<uint8_t> block(kLcdTextBytes, ' ');
    block[0] = 'H';
    block[kLcdColumns + 2] = 'i';  // row 1, column 2
    block[kLcdCellCount] = 21;     // the cursor on row 1, column 1
    LcdText text;
    ASSERT_TRUE(text.SetText(block));
    EXPECT_EQ(text.Code(0, 0), 'H');
    EXPECT_EQ(text.Code(2, 1), 'i');
    EXPECT_TRUE(text.IsCursor(1, 1));
    EXPECT_FALSE(text.IsCursor(1, 0));

    // A block one byte short is not read at all.
    std::vector<uint8_t> shortBlock(kLcdTextBytes - 1, 'x');
    EXPECT_FALSE(text.SetText(shortBlock));
    EXPECT_EQ(text.Code(0, 0), 'H');
    EXPECT_FALSE(text.SetText({}));

    // A longer block: only its first bytes count; a cursor beyond the cells shows none.
    std::vector<uint8_t> longBlock(200, 'z');
    longBlock[kLcdCellCount] = 80;
    ASSERT_TRUE(text.SetText(longBlock));
    for (int r = 0; r < kLcdRows; ++r)
        for (int c = 0; c < kLcdColumns; ++c) EXPECT_FALSE(text.IsCursor(c, r));
}

TEST(LcdCells, ColourComponentsComeInto0To255) {
    struct Case {
        int32_t value, expected;
    };
    const Case cases[] = {{145, 145}, {255, 255}, {256, 0},    {300, 44},
                          {-1, 255},  {-256, 0},  {-257, 255}, {INT32_MIN, 0}};
    for (const Case& c : cases) EXPECT_EQ(LcdColourComponent(c.value), c.expected) << c.value;
}

}  // namespace
}  // namespace burnmark
