// The verify-error list as data: the list grid (a heading row and one row per
// listed difference), the row whose bits are shown, and the bit view that
// sets the buffer value and the chip value of that row side by side, bit by
// bit, with the differing bits marked. The window only renders these cells.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "operations/verify_error_list.h"

namespace burnmark {

// Grid sizes: the list has the heading row plus one row per listed difference
// (row r holds index r - 1); the bit view has its heading row, "Buffer" and "  IC  ".
inline constexpr int kVerifyListColumns = 6;
inline constexpr int kVerifyListGridRows = kVerifyErrorRows + 1;
inline constexpr int kBitViewColumns = 26;
inline constexpr int kBitViewRows = 3;

// List columns. Column 3 is a thin separator that is never written.
inline constexpr int kListNumberColumn = 0;
inline constexpr int kListBufferAddressColumn = 1;
inline constexpr int kListBufferValueColumn = 2;
inline constexpr int kListChipValueColumn = 4;
inline constexpr int kListChipAddressColumn = 5;

// Bit view columns: 1, 3, 5, 14 and 23 are thin separators.
inline constexpr int kBitAddressColumn = 2;
inline constexpr int kBitValueColumn = 4;
inline constexpr int kBitHighColumn = 24;  // "Hi": the high byte as a character
inline constexpr int kBitLowColumn = 25;   // "Lo": the low byte as a character
// The column of bit k (0 .. 15): bits 15 to 8 in columns 6 to 13, bits 7 to 0
// in columns 15 to 22.
constexpr int BitColumn(int bit) { return bit < 8 ? 22 - bit : 21 - bit; }

// Told what changed; the window redraws those cells and comes up when asked.
class VerifyErrorListView {
public:
    virtual ~VerifyErrorListView() = default;
    // List grid rows first to last (0 is the heading row) changed.
    virtual void ListRowsChanged(int first, int last) = 0;
    virtual void BitViewChanged() = 0;
    // The list's selection moved to row SelectedErrorRow (the reset before a
    // compare, the first row of a compare); the operator's own clicks are not
    // told back.
    virtual void SelectionChanged() = 0;
    // Show the window and raise it over the main window.
    virtual void BringUp() = 0;
};

class VerifyErrorListModel : public VerifyErrorList {
public:
    VerifyErrorListModel();

    void SetView(VerifyErrorListView* view) { view_ = view; }

    // --- VerifyErrorList -------------------------------------------------------
    void Show() override;
    void ResetList() override;
    bool AddVerifyError(int32_t index, uint32_t bufferAddress, int width, uint16_t chipValue,
                        uint32_t chipAddress, uint16_t bufferValue) override;
    bool AddVerifyErrorPair(int32_t index, uint32_t bufferAddress, uint32_t chipAddress,
                            uint8_t bufferHigh, uint8_t bufferLow, uint8_t chipHigh,
                            uint8_t chipLow) override;

    // --- The window's own operations -------------------------------------------
    // Empties the rows and the bit view; the headings stay.
    void ClearVerifyErrors();
    // Fills the bit view from row SelectedErrorRow. A row that holds no
    // difference (empty, the heading row, beyond the grid) changes nothing.
    void ShowBitDifference();
    // The operator selected a cell of the list.
    void Verify_Error_ListSelectCell(int column, int row);
    // The operator clicked the list: the selected row's bits.
    void Verify_Error_ListDblClick() { ShowBitDifference(); }
    // The window was closed (Exit): the next Show brings it up again.
    void WindowClosed() { windowUp_ = false; }

    // --- Cells -----------------------------------------------------------------
    // Row 0 holds the headings. Out of the grid: empty.
    const std::string& ListCell(int column, int row) const;
    const std::string& BitCell(int column, int row) const;

    int32_t SelectedErrorRow() const { return selectedErrorRow_; }
    uint8_t FirstRowShown() const { return firstRowShown_; }

private:
    // Writes one row from its value texts; false when the index is refused.
    void Select(int32_t row);
    bool PutRow(int32_t index, uint32_t bufferAddress, uint32_t chipAddress,
                std::string bufferValue, std::string chipValue);
    std::string& Bit(int column, int row) { return bits_[row][column]; }
    void NotifyBitView();

    VerifyErrorListView* view_ = nullptr;
    std::array<std::array<std::string, kVerifyListColumns>, kVerifyListGridRows> list_{};
    std::array<std::array<std::string, kBitViewColumns>, kBitViewRows> bits_{};
    int32_t selectedErrorRow_ = 0;
    uint8_t firstRowShown_ = 0;
    // The window is up and has been raised for the compare that is listing.
    bool windowUp_ = false;
    bool raisedForCompare_ = false;
};

}  // namespace burnmark
