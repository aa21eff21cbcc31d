// The character display's layout: 20 x 4 cells of 9 x 13 pixels with one
// pixel between them, each cell one character code, drawn from a glyph sheet
// of 16 x 16 glyphs; one cell, the cursor, is drawn inverted.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace burnmark {

inline constexpr int kLcdColumns = 20;
inline constexpr int kLcdRows = 4;
inline constexpr int kLcdCellWidth = 9;
inline constexpr int kLcdCellHeight = 13;
inline constexpr int kLcdGap = 1;
inline constexpr int kLcdSheetGlyphs = 16;  // per row and per column of the sheet
inline constexpr std::size_t kLcdCellCount = kLcdColumns * kLcdRows;
// The cell codes in row order, then the cursor's cell index.
inline constexpr std::size_t kLcdTextBytes = kLcdCellCount + 1;

struct LcdPoint {
    int x, y;
    bool operator==(const LcdPoint&) const = default;
};

// Where a cell's glyph goes on the display.
constexpr LcdPoint LcdCellOrigin(int column, int row) {
    return {(kLcdGap + kLcdCellWidth) * column + 1, (kLcdGap + kLcdCellHeight) * row + 1};
}
// Where a code's glyph lies on the sheet.
constexpr LcdPoint LcdGlyphOrigin(uint8_t code) {
    return {(code % kLcdSheetGlyphs) * kLcdCellWidth, (code / kLcdSheetGlyphs) * kLcdCellHeight};
}
// The display's size: every cell with its gap, and a pixel of frame.
constexpr LcdPoint LcdDisplaySize() {
    return {kLcdColumns * (kLcdCellWidth + kLcdGap) + 2, kLcdRows * (kLcdCellHeight + kLcdGap) + 2};
}

// A colour component brought into 0..255 (a remainder that keeps its sign
// would leave a negative one invalid).
constexpr int32_t LcdColourComponent(int32_t value) {
    const int32_t r = value % 256;
    return r < 0 ? r + 256 : r;
}

class LcdText {
public:
    LcdText() { bytes_.fill(0); }

    // Takes the cell codes and the cursor from the block. A block shorter than
    // the display's text is refused and changes nothing.
    bool SetText(std::span<const uint8_t> block);

    uint8_t Code(int column, int row) const { return bytes_[row * kLcdColumns + column]; }
    // The cursor's cell index; one past the cells (or more) shows no cursor.
    uint8_t Cursor() const { return bytes_[kLcdCellCount]; }
    bool IsCursor(int column, int row) const {
        return Cursor() == static_cast<std::size_t>(row * kLcdColumns + column);
    }

private:
    std::array<uint8_t, kLcdTextBytes> bytes_;
};

}  // namespace burnmark
