#include "operations/verify_error_list_model.h"

#include <charconv>
#include <cstdio>

namespace burnmark {

namespace {

const std::string kEmpty;

std::string Hex(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
    return text;
}

// The value texts are written by this list, so they are always hexadecimal;
// anything else reads as 0.
uint16_t ParseHexCell(const std::string& text) {
    unsigned value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return static_cast<uint16_t>(value);
}

// A raw byte in the "Hi" and "Lo" cells: control and 8-bit codes would show
// as boxes or not at all, so only printable ASCII shows as itself.
std::string ByteCharacter(uint8_t byte) {
    return std::string(1, byte >= 0x20 && byte <= 0x7E ? static_cast<char>(byte) : '.');
}

}  // namespace

VerifyErrorListModel::VerifyErrorListModel() {
    list_[0][kListNumberColumn] = "NO.";
    list_[0][kListBufferAddressColumn] = "Buffer Address";
    list_[0][kListBufferValueColumn] = "Buffer Value";
    list_[0][kListChipValueColumn] = "IC Value";
    list_[0][kListChipAddressColumn] = "IC Address";
    bits_[1][0] = "Buffer";
    bits_[2][0] = "  IC  ";
    bits_[0][kBitAddressColumn] = "Address";
    bits_[0][kBitValueColumn] = "HEX";
    bits_[0][kBitHighColumn] = "Hi";
    bits_[0][kBitLowColumn] = "Lo";
}

void VerifyErrorListModel::Show() {
    // The compares come here before every row they add; raising the window
    // for each of them would only flicker it over the main window.
    if (windowUp_ && raisedForCompare_) return;
    windowUp_ = true;
    raisedForCompare_ = true;
    if (view_) view_->BringUp();
}

void VerifyErrorListModel::ResetList() {
    Select(1);
    firstRowShown_ = 0;
    raisedForCompare_ = false;
    ClearVerifyErrors();
}

void VerifyErrorListModel::ClearVerifyErrors() {
    for (int row = 1; row < kVerifyListGridRows; ++row) list_[row].fill(std::string());
    for (int row = 1; row < kBitViewRows; ++row)
        for (int column = kBitAddressColumn; column < kBitViewColumns; ++column)
            Bit(column, row).clear();
    for (int bit = 0; bit < 16; ++bit) Bit(BitColumn(bit), 0).clear();
    if (view_) view_->ListRowsChanged(1, kVerifyListGridRows - 1);
    NotifyBitView();
}

bool VerifyErrorListModel::AddVerifyError(int32_t index, uint32_t bufferAddress, int width,
                                          uint16_t chipValue, uint32_t chipAddress,
                                          uint16_t bufferValue) {
    // A row with addresses but no values would leave the value cells of an
    // earlier compare beside them: another width lists nothing.
    if (width == 8)
        return PutRow(index, bufferAddress, chipAddress, Hex(bufferValue & 0xFF, 2),
                      Hex(chipValue & 0xFF, 2));
    if (width == 16)
        return PutRow(index, bufferAddress, chipAddress, Hex(bufferValue, 4), Hex(chipValue, 4));
    return false;
}

bool VerifyErrorListModel::AddVerifyErrorPair(int32_t index, uint32_t bufferAddress,
                                              uint32_t chipAddress, uint8_t bufferHigh,
                                              uint8_t bufferLow, uint8_t chipHigh,
                                              uint8_t chipLow) {
    return PutRow(index, bufferAddress, chipAddress, Hex(bufferHigh, 2) + Hex(bufferLow, 2),
                  Hex(chipHigh, 2) + Hex(chipLow, 2));
}

bool VerifyErrorListModel::PutRow(int32_t index, uint32_t bufferAddress, uint32_t chipAddress,
                                  std::string bufferValue, std::string chipValue) {
    // A negative index would land on the headings or outside the grid.
    if (index < 0 || index >= kVerifyErrorRows) return false;
    const int row = index + 1;
    auto& cells = list_[row];
    cells[kListNumberColumn] = std::to_string(index);
    cells[kListBufferAddressColumn] = Hex(bufferAddress, 7);
    cells[kListBufferValueColumn] = std::move(bufferValue);
    cells[kListChipAddressColumn] = Hex(chipAddress, 7);
    cells[kListChipValueColumn] = std::move(chipValue);
    if (view_) view_->ListRowsChanged(row, row);
    // The first row of a compare is shown at once; later rows wait for the
    // operator's click so that the view does not change under the reader.
    if (firstRowShown_ == 0) {
        Select(1);
        ShowBitDifference();
        firstRowShown_ = 1;
    }
    return true;
}

void VerifyErrorListModel::Select(int32_t row) {
    selectedErrorRow_ = row;
    if (view_) view_->SelectionChanged();
}

void VerifyErrorListModel::Verify_Error_ListSelectCell(int /*column*/, int row) {
    selectedErrorRow_ = row;
}

void VerifyErrorListModel::ShowBitDifference() {
    const int row = selectedErrorRow_;
    // Row 0 holds the headings, which are no difference to show.
    if (row < 1 || row >= kVerifyListGridRows) return;
    const auto& cells = list_[row];
    if (cells[kListBufferAddressColumn].empty()) return;

    Bit(kBitAddressColumn, 1) = cells[kListBufferAddressColumn];
    Bit(kBitAddressColumn, 2) = cells[kListChipAddressColumn];
    Bit(kBitValueColumn, 1) = cells[kListBufferValueColumn];
    Bit(kBitValueColumn, 2) = cells[kListChipValueColumn];

    const std::size_t digits = cells[kListChipValueColumn].size();
    if (digits != 4 && digits != 2) {
        NotifyBitView();
        return;
    }
    const bool wide = digits == 4;
    const uint16_t buffer = ParseHexCell(cells[kListBufferValueColumn]);
    const uint16_t chip = ParseHexCell(cells[kListChipValueColumn]);

    for (int bit = 0; bit < 16; ++bit) {
        const int column = BitColumn(bit);
        Bit(column, 0).clear();
        if (bit >= 8 && !wide) {
            Bit(column, 1).clear();
            Bit(column, 2).clear();
            continue;
        }
        const bool b = (buffer >> bit) & 1;
        const bool c = (chip >> bit) & 1;
        Bit(column, 1) = b ? "1" : "0";
        Bit(column, 2) = c ? "1" : "0";
        if (b != c) Bit(column, 0) = "X";
    }

    if (wide) {
        Bit(kBitHighColumn, 1) = ByteCharacter(static_cast<uint8_t>(buffer >> 8));
        Bit(kBitHighColumn, 2) = ByteCharacter(static_cast<uint8_t>(chip >> 8));
    } else {
        // An 8-bit value has no high byte; a character left from a 16-bit row
        // would read as one.
        Bit(kBitHighColumn, 1).clear();
        Bit(kBitHighColumn, 2).clear();
    }
    Bit(kBitLowColumn, 1) = ByteCharacter(static_cast<uint8_t>(buffer & 0xFF));
    Bit(kBitLowColumn, 2) = ByteCharacter(static_cast<uint8_t>(chip & 0xFF));
    NotifyBitView();
}

const std::string& VerifyErrorListModel::ListCell(int column, int row) const {
    if (column < 0 || column >= kVerifyListColumns || row < 0 || row >= kVerifyListGridRows)
        return kEmpty;
    return list_[row][column];
}

const std::string& VerifyErrorListModel::BitCell(int column, int row) const {
    if (column < 0 || column >= kBitViewColumns || row < 0 || row >= kBitViewRows) return kEmpty;
    return bits_[row][column];
}

void VerifyErrorListModel::NotifyBitView() {
    if (view_) view_->BitViewChanged();
}

}  // namespace burnmark
