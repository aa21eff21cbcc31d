#include "buffer/editor_view.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "platform/profile.h"
#include "platform/settings_report.h"

namespace burnmark {

namespace {

constexpr const char* kHexDigits = "0123456789ABCDEF";

bool Printable(char32_t key) { return key >= 0x20 && key <= 0x7E; }

// A character a character cell takes: any with a Latin-1 code, 0x80 and
// above included, but the control codes below 0x20 and DEL (the Delete key's).
bool Latin1Character(char32_t key) { return Printable(key) || (key >= 0x80 && key <= 0xFF); }

bool IsHexDigit(char32_t key) {
    return (key >= '0' && key <= '9') || (key >= 'a' && key <= 'f') || (key >= 'A' && key <= 'F');
}

// A typed key as a digit: hex digits in upper case, any other key "0".
char DigitOf(char32_t key) {
    if (!IsHexDigit(key)) return '0';
    return static_cast<char>(key >= 'a' ? key - 'a' + 'A' : key);
}

uint64_t ParseHex(const std::string& digits) {
    uint64_t value = 0;
    for (char d : digits)
        value = value * 16 + static_cast<uint64_t>(std::max(0, HexDigit(d)));
    return value;
}

void AppendHexByte(std::string& text, uint8_t byte) {
    text += kHexDigits[byte >> 4];
    text += kHexDigits[byte & 0x0F];
}

int HexDigitCount(uint64_t value) {
    int digits = 1;
    while (value >>= 4) ++digits;
    return digits;
}

bool IsDataPage(EditorPage page) { return page == EditorPage::Bits8 || page == EditorPage::Bits16; }

}  // namespace

EditorView::EditorView(DataBuffer& buffer) : buffer_(buffer) { buffer_.AddObserver(this); }

EditorView::~EditorView() { buffer_.RemoveObserver(this); }

void EditorView::Changed(bool bufferChanged) {
    if (redraw_) redraw_(bufferChanged);
}

void EditorView::BufferChanged(DataBuffer&, BufferChange change) {
    shownBlock_.reset();
    if (change == BufferChange::Size) {
        // The cells would otherwise keep addresses of the old length and the
        // next digit typed would land elsewhere: start again from the top.
        topRow_ = 0;
        pending_.clear();
        wheelRest_ = 0;
    }
    KeepCursorsOnData();
    Changed(true);
}

// ---- Position -------------------------------------------------------------------------------

uint64_t EditorView::ShownLength() const {
    if (shownBlock_) return shownBlock_->size();
    return buffer_.HasBlock() ? buffer_.GetBufferSize() : 0;
}

uint64_t EditorView::BufferRows() const { return (ShownLength() + kRowBytes - 1) / kRowBytes; }

uint64_t EditorView::MaxTopRow() const {
    const uint64_t rows = BufferRows();
    return rows > kRows ? rows - kRows : 0;
}

uint64_t EditorView::TopRow() const {
    if (shownBlock_) return 0;
    // Clamped when read as well, so that no length change can put it past the end.
    return std::min(topRow_, MaxTopRow());
}

uint64_t EditorView::Base() const { return TopRow() * kRowBytes; }

void EditorView::ScrollTo(int64_t row) {
    const bool hadBlock = shownBlock_.has_value();
    const uint64_t before = TopRow();
    shownBlock_.reset();
    const uint64_t target = row < 0 ? 0 : std::min(static_cast<uint64_t>(row), MaxTopRow());
    if (!hadBlock && target == before) return;
    topRow_ = target;
    pending_.clear();
    KeepCursorsOnData();
    Changed();
}

void EditorView::ScrollLines(int64_t lines) { ScrollTo(static_cast<int64_t>(TopRow()) + lines); }

void EditorView::Wheel(int delta) {
    if (delta == 0 || delta > kWheelNotch || delta < -kWheelNotch) return;
    if (wheelRest_ != 0 && (wheelRest_ > 0) != (delta > 0)) wheelRest_ = 0;
    wheelRest_ += delta * kWheelRows;
    const int rows = wheelRest_ / kWheelNotch;  // towards zero: the rest waits
    wheelRest_ -= rows * kWheelNotch;
    if (rows != 0) ScrollLines(-rows);
}

// ---- Cells ----------------------------------------------------------------------------------

int EditorView::AddressDigits(EditorPage page) const {
    const uint64_t rows = BufferRows();
    uint64_t last = rows > 0 ? (rows - 1) * kRowBytes : 0;
    if (page == EditorPage::Bits16) last /= 2;
    return std::max(kMinAddressDigits, HexDigitCount(last));
}

int EditorView::ColumnCount(EditorPage page, EditorGrid grid) const {
    if (!IsDataPage(page)) return 0;
    switch (grid) {
        case EditorGrid::Address:
            return AddressDigits(page);
        case EditorGrid::Hex:
            return page == EditorPage::Bits16 ? 8 : 16;
        case EditorGrid::Chars:
            return 16;
    }
    return 0;
}

bool EditorView::InGrid(EditorPage page, const GridCell& cell) const {
    return IsDataPage(page) && cell.row >= 0 && cell.row < kRows && cell.column >= 0 &&
           cell.column < ColumnCount(page, cell.grid);
}

std::optional<EditorView::CellBytes> EditorView::Locate(EditorPage page,
                                                        const GridCell& cell) const {
    if (!InGrid(page, cell)) return std::nullopt;
    const uint64_t row = Base() + static_cast<uint64_t>(cell.row) * kRowBytes;
    const auto column = static_cast<uint64_t>(cell.column);
    const bool words = page == EditorPage::Bits16;
    switch (cell.grid) {
        case EditorGrid::Address:
            return CellBytes{row, 0};
        case EditorGrid::Hex:
            return words ? CellBytes{row + 2 * column, 2} : CellBytes{row + column, 1};
        case EditorGrid::Chars:
            // The 16-bit page shows each word's high byte first.
            return CellBytes{row + (words ? column ^ 1 : column), 1};
    }
    return std::nullopt;
}

std::optional<uint64_t> EditorView::CellAddress(EditorPage page, const GridCell& cell) const {
    const auto at = Locate(page, cell);
    if (!at) return std::nullopt;
    return at->address;
}

bool EditorView::CellPresent(EditorPage page, const GridCell& cell) const {
    const auto at = Locate(page, cell);
    if (!at) return false;
    const uint64_t length = ShownLength();
    if (at->count == 0) return at->address < length;
    return at->address + static_cast<uint64_t>(at->count) <= length;
}

bool EditorView::CellWritable(EditorPage page, const GridCell& cell) const {
    return !readOnly_ && !shownBlock_ && cell.grid != EditorGrid::Address &&
           CellPresent(page, cell);
}

uint8_t EditorView::ByteAt(uint64_t address) const {
    if (shownBlock_) return (*shownBlock_)[static_cast<std::size_t>(address)];
    // One byte through a short lock: the lock checks nothing per byte, and a
    // view of 16 rows asks for a few hundred.
    BufferLock lock = buffer_.GetBufferHandle();
    return address < lock.size() ? lock[static_cast<std::size_t>(address)] : uint8_t{0};
}

std::string EditorView::RowAddressText(EditorPage page, int row) const {
    if (!IsDataPage(page) || row < 0 || row >= kRows) return {};
    const uint64_t address = Base() + static_cast<uint64_t>(row) * kRowBytes;
    if (address >= ShownLength()) return {};
    const uint64_t shown = page == EditorPage::Bits16 ? address / 2 : address;
    const int digits = AddressDigits(page);
    std::string text(static_cast<std::size_t>(digits), '0');
    uint64_t rest = shown;
    for (int i = digits - 1; i >= 0 && rest != 0; --i, rest >>= 4)
        text[static_cast<std::size_t>(i)] = kHexDigits[rest & 0x0F];
    return text;
}

std::optional<uint32_t> EditorView::CellValue(EditorPage page, const GridCell& cell) const {
    if (cell.grid == EditorGrid::Address || !CellPresent(page, cell)) return std::nullopt;
    const CellBytes at = *Locate(page, cell);
    uint32_t value = ByteAt(at.address);
    if (at.count == 2) value |= uint32_t{ByteAt(at.address + 1)} << 8;
    return value;
}

std::string EditorView::CellText(EditorPage page, const GridCell& cell) const {
    if (!CellPresent(page, cell)) return {};
    const CellBytes at = *Locate(page, cell);
    switch (cell.grid) {
        case EditorGrid::Address:
            return std::string(
                1, RowAddressText(page, cell.row)[static_cast<std::size_t>(cell.column)]);
        case EditorGrid::Hex: {
            std::string text;
            if (at.count == 2) AppendHexByte(text, ByteAt(at.address + 1));
            AppendHexByte(text, ByteAt(at.address));
            if (!pending_.empty() && pendingPage_ == page && Cursor(page) == cell)
                text.replace(0, pending_.size(), pending_);
            return text;
        }
        case EditorGrid::Chars: {
            const uint8_t byte = ByteAt(at.address);
            return std::string(1, Printable(byte) ? static_cast<char>(byte) : '.');
        }
    }
    return {};
}

std::string EditorView::HeadingText(EditorPage page, EditorGrid grid, int column) {
    if (!IsDataPage(page) || column < 0) return {};
    char text[12] = {};
    const bool words = page == EditorPage::Bits16;
    switch (grid) {
        case EditorGrid::Address:
            return {};
        case EditorGrid::Hex:
            std::snprintf(text, sizeof text, words ? "%04X" : "%02X", column);
            break;
        case EditorGrid::Chars:
            if (!words)
                std::snprintf(text, sizeof text, "%X", column);
            else if (column % 2 == 1)
                std::snprintf(text, sizeof text, "%X", (column - 1) / 2);
            break;
    }
    return text;
}

int EditorView::TwinColumn(EditorPage page, EditorGrid from, int column, EditorGrid to) {
    if (from == to) return column;
    if (from == EditorGrid::Address || to == EditorGrid::Address) return 0;
    if (page != EditorPage::Bits16) return column;
    return from == EditorGrid::Hex ? column * 2 : column / 2;
}

// ---- Cursor ---------------------------------------------------------------------------------

GridCell EditorView::Cursor(EditorPage page) const {
    return cursors_[page == EditorPage::Bits16 ? 1 : 0];
}

bool EditorView::SetCursor(EditorPage page, const GridCell& cell) {
    if (!CellPresent(page, cell)) return false;
    if (Cursor(page) == cell) return true;
    pending_.clear();
    CursorRef(page) = cell;
    Changed();
    return true;
}

void EditorView::MoveCursor(EditorPage page, int rows, int columns) {
    if (!IsDataPage(page)) return;
    GridCell next = Cursor(page);
    const int count = ColumnCount(page, next.grid);
    int64_t column = int64_t{next.column} + columns;
    int64_t row = int64_t{next.row} + rows;
    // Across the end of a row to the neighbouring row.
    row += column >= 0 ? column / count : -((-column + count - 1) / count);
    column = ((column % count) + count) % count;

    int64_t scroll = 0;
    if (row < 0) scroll = row;
    if (row >= kRows) scroll = row - (kRows - 1);
    row -= scroll;
    const int64_t top = static_cast<int64_t>(TopRow()) + scroll;
    if (top < 0 || top > static_cast<int64_t>(MaxTopRow())) return;

    next.row = static_cast<int>(row);
    next.column = static_cast<int>(column);
    const uint64_t before = topRow_;
    topRow_ = static_cast<uint64_t>(top);
    if (!CellPresent(page, next)) {
        topRow_ = before;
        return;
    }
    if (scroll != 0) shownBlock_.reset();
    pending_.clear();
    CursorRef(page) = next;
    KeepCursorsOnData();
    Changed();
}

void EditorView::SwitchGrid(EditorPage page, EditorGrid grid) {
    if (!IsDataPage(page)) return;
    const GridCell now = Cursor(page);
    if (now.grid == grid) return;
    SetCursor(page, GridCell{grid, now.row, TwinColumn(page, now.grid, now.column, grid)});
}

void EditorView::KeepCursorsOnData() {
    for (EditorPage page : {EditorPage::Bits8, EditorPage::Bits16}) {
        GridCell& cell = CursorRef(page);
        cell.column = std::min(cell.column, ColumnCount(page, cell.grid) - 1);
        if (!CellPresent(page, cell)) cell = GridCell{cell.grid, 0, 0};
    }
}

// ---- Entry ----------------------------------------------------------------------------------

EditResult EditorView::TypeKey(EditorPage page, char32_t key) {
    if (!IsDataPage(page)) return EditResult::Ignored;
    switch (Cursor(page).grid) {
        case EditorGrid::Address:
            return TypeAddress(page, key);
        case EditorGrid::Hex:
            return TypeHex(page, key);
        case EditorGrid::Chars:
            return TypeChar(page, key);
    }
    return EditResult::Ignored;
}

void EditorView::CancelEntry() {
    if (pending_.empty()) return;
    pending_.clear();
    Changed();
}

EditResult EditorView::TypeHex(EditorPage page, char32_t key) {
    const GridCell cell = Cursor(page);
    if (pendingPage_ != page) pending_.clear();
    if (key == U'\b') {
        if (pending_.empty()) return EditResult::Ignored;
        pending_.pop_back();
        Changed();
        return EditResult::Pending;
    }
    if (!Printable(key)) return EditResult::Ignored;
    if (!CellWritable(page, cell)) {
        CancelEntry();
        return EditResult::Refused;
    }
    pendingPage_ = page;
    pending_ += DigitOf(key);
    // Exactly the cell's digits: the value is written once the last one comes.
    const std::size_t digits = page == EditorPage::Bits16 ? 4 : 2;
    if (pending_.size() < digits) {
        Changed();
        return EditResult::Pending;
    }
    const auto value = static_cast<uint32_t>(ParseHex(pending_));
    pending_.clear();
    if (!WriteCell(page, cell, value)) {
        Changed();
        return EditResult::Refused;
    }
    Advance(page);
    Changed();
    return EditResult::Written;
}

EditResult EditorView::TypeChar(EditorPage page, char32_t key) {
    const GridCell cell = Cursor(page);
    if (!Latin1Character(key)) return EditResult::Ignored;
    if (!CellWritable(page, cell) || !WriteCell(page, cell, static_cast<uint32_t>(key)))
        return EditResult::Refused;
    Advance(page);
    Changed();
    return EditResult::Written;
}

EditResult EditorView::TypeAddress(EditorPage page, char32_t key) {
    if (!Printable(key)) return EditResult::Ignored;
    const GridCell cell = Cursor(page);
    std::string text = RowAddressText(page, cell.row);
    if (static_cast<std::size_t>(cell.column) >= text.size()) return EditResult::Refused;
    text[static_cast<std::size_t>(cell.column)] = DigitOf(key);

    // The typed row shows the address typed: the top lies that many rows above.
    const uint64_t typed = ParseHex(text);
    const uint64_t address = page == EditorPage::Bits16 ? typed * 2 : typed;
    const uint64_t above = static_cast<uint64_t>(cell.row) * kRowBytes;
    const uint64_t top = address >= above ? (address - above) / kRowBytes : 0;
    ScrollTo(static_cast<int64_t>(top));  // at most 2^33: 8 digits, doubled

    GridCell& cursor = CursorRef(page);
    cursor.column = std::min(cell.column + 1, AddressDigits(page) - 1);
    KeepCursorsOnData();
    Changed();
    return EditResult::Moved;
}

bool EditorView::WriteCell(EditorPage page, const GridCell& cell, uint32_t value) {
    const auto at = Locate(page, cell);
    if (!at || at->count == 0) return false;
    BufferLock lock = buffer_.GetBufferHandle();
    const auto count = static_cast<uint64_t>(at->count);
    if (!lock || at->address + count > lock.size()) return false;
    const auto index = static_cast<std::size_t>(at->address);
    lock[index] = static_cast<uint8_t>(value);
    if (count == 2) lock[index + 1] = static_cast<uint8_t>(value >> 8);
    lock.MarkChanged();
    buffer_.SetModified(true);
    return true;
}

bool EditorView::Advance(EditorPage page) {
    GridCell next = Cursor(page);
    int64_t scroll = 0;
    if (++next.column >= ColumnCount(page, next.grid)) {
        next.column = 0;
        ++next.row;
    }
    // From the last row of the view the view moves up one row, rather than
    // the cursor going back to the top of the view.
    if (next.row >= kRows) {
        next.row = kRows - 1;
        scroll = 1;
    }
    const uint64_t top = TopRow() + static_cast<uint64_t>(scroll);
    if (top > MaxTopRow()) return false;
    const uint64_t before = topRow_;
    topRow_ = top;
    if (!CellPresent(page, next)) {  // the last cell of the buffer
        topRow_ = before;
        return false;
    }
    CursorRef(page) = next;
    return true;
}

void EditorView::SetReadOnly(bool readOnly) {
    if (readOnly_ == readOnly) return;
    readOnly_ = readOnly;
    if (readOnly_) pending_.clear();
    Changed();
}

// ---- Shown memory block ---------------------------------------------------------------------

void EditorView::ShowMemoryBlock(std::span<const uint8_t> block) {
    const std::size_t count = std::min(block.size(), kShownBlockBytes);
    shownBlock_.emplace(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(count));
    pending_.clear();
    KeepCursorsOnData();
    Changed();
}

void EditorView::RefreshGrids() {
    shownBlock_.reset();
    KeepCursorsOnData();
    Changed(true);
}

// ---- The information page and the editor's life ---------------------------------------------

const char* LoadFormatName(int32_t format) {
    static constexpr const char* kNames[] = {
        "Auto Detect", "MS-DOS fn.exe", "MS-DOS fn.com", "Binary / Machine Code",
        "Intel HEX",   "Motorola HEX",  "Tektlonix HEX", "POF",
    };
    if (format < 0 || format >= static_cast<int32_t>(std::size(kNames))) return "None";
    return kNames[format];
}

BufferInformation ReadBufferInformation(const DataBuffer& buffer) {
    const Profile history(buffer.HistoryIniPath());
    BufferInformation info;
    info.LastLoadFileName = history.ReadString("LoadDlg", "Name", "None");
    // A missing key is the dialog's default, 0; a value that is no number is no format.
    const int32_t format =
        history.KeyExists("LoadDlg", "Format") ? history.ReadInteger("LoadDlg", "Format", -1) : 0;
    info.FileFormat = LoadFormatName(format);

    char text[96];
    std::snprintf(text, sizeof text, "Check Sum : %08X H",
                  static_cast<unsigned>(buffer.SumValue()));
    info.CheckSum = text;
    std::snprintf(text, sizeof text, "Get Sum Range : %07XH <---> %07XH",
                  static_cast<unsigned>(buffer.SumStart()), static_cast<unsigned>(buffer.SumEnd()));
    info.SumRange = text;
    std::snprintf(text, sizeof text, "%07X", static_cast<unsigned>(buffer.GetBufferSize()));
    info.BufSize = text;
    std::snprintf(text, sizeof text, "%07X", static_cast<unsigned>(buffer.GetLoadedStart()));
    info.StartAdd = text;
    const uint32_t end = buffer.GetLoadedEnd();
    std::snprintf(text, sizeof text, "%07X", static_cast<unsigned>(end > 0 ? end - 1 : 0));
    info.EndAddress = text;
    return info;
}

bool WriteCommonDataSelect(const DataBuffer& buffer, int32_t value, Messages& messages) {
    if (Profile(buffer.HistoryIniPath())
            .WriteInteger("CommonParameterSet", "CommonDataSelect", value))
        return true;
    ReportSettingsWriteFailure(messages, {buffer.HistoryIniPath()});
    return false;
}

bool ConfirmCloseEditor(const DataBuffer& buffer, Messages& messages) {
    if (!buffer.Modified()) return true;
    return messages.MessageBox("Are you sure to close file ?", "CLOSE", MsgButtons::OkCancel,
                               MsgIcon::None) == MsgAnswer::Ok;
}

}  // namespace burnmark
