// What the buffer editor shows and how typing into it edits the data buffer,
// without drawing: one absolute top row over the buffer, the cell-to-address
// mapping of the 8-bit and 16-bit pages, the cursor of each page and the
// entry of hex digits, characters and addresses.
//
// Nothing is kept per byte of the buffer: every cell's text is formatted from
// the buffer when it is asked for, so a view of 64 MB costs what a view of
// 64 KB costs. The view follows the buffer's change and resize notices.
//
// Both pages show 16 rows of 16 bytes from the same top row: the 8-bit page
// as 16 bytes, the 16-bit page as 8 words (low byte at the even address) with
// word addresses. A cell whose bytes lie at or past the buffer's length is
// blank and cannot be written; the top row never passes the last full view.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "buffer/data_buffer.h"
#include "platform/ports.h"

namespace burnmark {

// The editor's pages, in the order of its page control.
enum class EditorPage { Bits8 = 0, Bits16 = 1, Info = 2 };
// The three grids of a data page.
enum class EditorGrid { Address, Hex, Chars };

// A cell of a grid: a visible row (0 to 15) and a column. In the address grid
// each column is one hex digit of the row's address.
struct GridCell {
    EditorGrid grid = EditorGrid::Hex;
    int row = 0;
    int column = 0;
    bool operator==(const GridCell&) const = default;
};

enum class EditResult {
    Ignored,  // not a key the cell takes
    Refused,  // read-only, or the cell lies past the end of the buffer
    Pending,  // a hex digit taken; the cell waits for the rest of its digits
    Written,  // the cell's value is in the buffer and the cursor moved on
    Moved,    // an address digit: the view moved to the address typed
};

class EditorView : private BufferObserver {
public:
    static constexpr int kRows = 16;
    static constexpr uint32_t kRowBytes = 16;
    // Page up and page down keep one row of the old view in sight.
    static constexpr int kPageRows = 15;
    // Rows per wheel notch (a delta of 120).
    static constexpr int kWheelRows = 16;
    static constexpr int kWheelNotch = 120;
    static constexpr int kMinAddressDigits = 7;
    // ShowMemoryBlock shows at most this much.
    static constexpr std::size_t kShownBlockBytes = 256;

    explicit EditorView(DataBuffer& buffer);
    ~EditorView() override;
    EditorView(const EditorView&) = delete;
    EditorView& operator=(const EditorView&) = delete;

    DataBuffer& Buffer() const { return buffer_; }

    // Told after every change of what the grids show. bufferChanged: the
    // buffer's bytes or size changed (not only the view's position or cursor).
    void SetRedrawHook(std::function<void(bool bufferChanged)> hook) { redraw_ = std::move(hook); }

    // --- Position -----------------------------------------------------------
    // Rows of 16 bytes that hold a byte of the buffer (the last may be partial).
    uint64_t BufferRows() const;
    // The last top row that still fills the view; 0 for a buffer of 16 rows or less.
    uint64_t MaxTopRow() const;
    uint64_t TopRow() const;
    // Byte address of the first shown byte.
    uint64_t Base() const;
    // Each clamps to [0, MaxTopRow()], drops a digit entry that was under way
    // and goes back from a shown memory block to the buffer.
    void ScrollTo(int64_t row);
    void ScrollLines(int64_t lines);
    void PageUp() { ScrollLines(-kPageRows); }
    void PageDown() { ScrollLines(kPageRows); }
    // A wheel delta (120 per notch away from the operator, which scrolls up):
    // 16 rows per 120. Smaller deltas (touchpads, fine wheels) add up, a turn
    // of direction drops what had added up, and a delta of more than one notch
    // in a single event scrolls nothing.
    void Wheel(int delta);

    // --- Cells --------------------------------------------------------------
    // Columns of a grid: hex 16 or 8, characters 16, address AddressDigits().
    int ColumnCount(EditorPage page, EditorGrid grid) const;
    // Digits of the address grid: 7, more only when the last address needs them.
    int AddressDigits(EditorPage page) const;
    // The byte address of the cell's first byte (the row's address for the
    // address grid; the low byte for a 16-bit word); nullopt outside the grid.
    std::optional<uint64_t> CellAddress(EditorPage page, const GridCell& cell) const;
    // The cell shows data: all its bytes lie below the length.
    bool CellPresent(EditorPage page, const GridCell& cell) const;
    // Present, not read-only, no memory block shown.
    bool CellWritable(EditorPage page, const GridCell& cell) const;
    // The cell's text, formatted from the buffer now: "%02X" (8-bit hex),
    // high then low byte as "%02X%02X" (16-bit hex), the byte's character
    // (control bytes and bytes of 0x80 and above as "."), one digit of the
    // row's address ("%07X"; word addresses on the 16-bit page). Empty past
    // the end. The cell under a digit entry shows the digits typed so far
    // over the old value.
    std::string CellText(EditorPage page, const GridCell& cell) const;
    // The cell's byte, or its word (high byte at the odd address), for drawing;
    // nullopt for a blank cell and for the address grid.
    std::optional<uint32_t> CellValue(EditorPage page, const GridCell& cell) const;
    // The row's address as the address grid shows it, all digits; empty when
    // the row holds no byte.
    std::string RowAddressText(EditorPage page, int row) const;
    // The heading row: "%02X" / "%X" of the byte, "%04X" of the word column,
    // and on the 16-bit character grid "%X" of the word over its odd column.
    static std::string HeadingText(EditorPage page, EditorGrid grid, int column);
    // The column of grid `to` that shows the same byte or word as `column` of
    // grid `from` (the address grid: 0).
    static int TwinColumn(EditorPage page, EditorGrid from, int column, EditorGrid to);

    // --- Cursor -------------------------------------------------------------
    GridCell Cursor(EditorPage page) const;
    // Puts the cursor on a cell that shows data (any digit of a shown row in
    // the address grid); false, nothing changed, for any other cell.
    bool SetCursor(EditorPage page, const GridCell& cell);
    // The arrow keys: across the end of a row to the next or previous row,
    // past the top or bottom row by scrolling one row; never onto a blank cell.
    void MoveCursor(EditorPage page, int rows, int columns);
    // Takes the cursor to the other data grid of its page, on the same byte.
    void SwitchGrid(EditorPage page, EditorGrid grid);

    // --- Entry --------------------------------------------------------------
    // One keystroke at the page's cursor. Hex cells take exactly 2 (8-bit) or
    // 4 (16-bit) digits, overwriting the old value; any other printable key
    // counts as "0"; backspace takes back the last digit; the value is written
    // when the last digit comes. Character cells write the character's
    // Latin-1 code (0x20 to 0x7E, 0x80 to 0xFF; other keys are ignored). The
    // address grid moves the view so that the row shows the address typed.
    // After a write the cursor moves to the next cell, scrolling one row from
    // the last row of the view, and stays on the last cell of the buffer.
    EditResult TypeKey(EditorPage page, char32_t key);
    // Drops the digits typed into a cell that is not complete.
    void CancelEntry();
    // The digits typed into the cursor's hex cell so far (empty: none).
    const std::string& PendingDigits() const { return pending_; }
    EditorPage PendingPage() const { return pendingPage_; }

    // While the program is busy (a load or an operation running) nothing is
    // written; the view still scrolls.
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return readOnly_; }

    // --- Shown memory block -------------------------------------------------
    // Shows up to 256 bytes of the caller's memory as the first 16 rows, with
    // addresses from 0, read-only, until the next redraw from the buffer.
    void ShowMemoryBlock(std::span<const uint8_t> block);
    bool ShowingMemoryBlock() const { return shownBlock_.has_value(); }
    // Redraws from the buffer (a memory block shown goes).
    void RefreshGrids();

private:
    struct CellBytes {
        uint64_t address = 0;  // first byte
        int count = 0;         // 0: the address grid
    };

    void BufferChanged(DataBuffer& buffer, BufferChange change) override;
    void Changed(bool bufferChanged = false);
    // What the grids show: the buffer's length, or the shown block's.
    uint64_t ShownLength() const;
    std::optional<CellBytes> Locate(EditorPage page, const GridCell& cell) const;
    uint8_t ByteAt(uint64_t address) const;  // address below ShownLength()
    bool InGrid(EditorPage page, const GridCell& cell) const;
    // The cell after `cell` that takes the next keystroke, scrolling the view
    // one row when it lies below the view; false when there is none.
    bool Advance(EditorPage page);
    bool WriteCell(EditorPage page, const GridCell& cell, uint32_t value);
    EditResult TypeHex(EditorPage page, char32_t key);
    EditResult TypeChar(EditorPage page, char32_t key);
    EditResult TypeAddress(EditorPage page, char32_t key);
    void KeepCursorsOnData();
    GridCell& CursorRef(EditorPage page) { return cursors_[page == EditorPage::Bits16 ? 1 : 0]; }

    DataBuffer& buffer_;
    std::function<void(bool)> redraw_;
    uint64_t topRow_ = 0;
    std::array<GridCell, 2> cursors_{};
    std::string pending_;
    EditorPage pendingPage_ = EditorPage::Bits8;
    // Wheel deltas not yet scrolled, in sixteenths of a notch's delta.
    int wheelRest_ = 0;
    bool readOnly_ = false;
    std::optional<std::vector<uint8_t>> shownBlock_;
};

// ---- The information page and the editor's life ------------------------------

// The "Buffer Information" page's texts.
struct BufferInformation {
    std::string LastLoadFileName;  // [LoadDlg] "Name"
    std::string FileFormat;        // [LoadDlg] "Format" by name
    std::string CheckSum;          // "Check Sum : %08lX H"
    std::string SumRange;          // "Get Sum Range : %07lXH <---> %07lXH"
    std::string BufSize;           // "%07lX" of the length
    std::string StartAdd;          // "%07lX" of the last load's start
    std::string EndAddress;        // "%07lX" of the last load's last byte
};
// Read from the buffer and its History_1.ini when the page is shown.
BufferInformation ReadBufferInformation(const DataBuffer& buffer);
// 0 "Auto Detect", 1 "MS-DOS fn.exe", ... 7 "POF", any other "None".
const char* LoadFormatName(int32_t format);

// History_1.ini [CommonParameterSet] "CommonDataSelect": the data mode as the
// editor comes up, 0 as it closes. A write that fails is reported; false then.
bool WriteCommonDataSelect(const DataBuffer& buffer, int32_t value, Messages& messages);
// Closing a modified editor asks "Are you sure to close file ?" ("CLOSE");
// false when the operator cancels.
bool ConfirmCloseEditor(const DataBuffer& buffer, Messages& messages);

}  // namespace burnmark
