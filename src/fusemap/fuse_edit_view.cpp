#include "fusemap/fuse_edit_view.h"

#include <algorithm>
#include <cstdio>

namespace burnmark {

namespace {

std::string Format08(int64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%08lld", static_cast<long long>(value));
    return text;
}

int32_t Clamp(int32_t value, const FuseScrollBar& bar) {
    return std::clamp(value, bar.Min, bar.Max);
}

}  // namespace

FuseEditView::FuseEditView(FuseMap& map) : map_(map) {
    grid_.SetWColls(kGridCols);
    grid_.SetHColls(kGridRows);
    grid_.OnChange = [this](int32_t x, int32_t y, int32_t v) { PalShowBox1Change(x, y, v); };
    grid_.OnCurrentChange = [this](int32_t x, int32_t y) { PalShowBox1CurrentChange(x, y); };
    grid_.OnLeftEvent = [this](int32_t x, int32_t y) { PalShowBox1LeftEvent(x, y); };
    grid_.OnRightEvent = [this](int32_t x, int32_t y) { PalShowBox1RightEvent(x, y); };
    grid_.OnRowEndEvent = [this](int32_t x, int32_t y) { PalShowBox1RowEndEvent(x, y); };
    grid_.OnBarUpEvent = [this](int32_t, int32_t) { SetV(map_.RowOffset - 1); };
    grid_.OnBarDownEvent = [this](int32_t, int32_t) { SetV(map_.RowOffset + 1); };
    map_.OnRefreshView = [this] { FollowMap(); };
    Rebind();
}

FuseEditView::~FuseEditView() { map_.OnRefreshView = nullptr; }

bool FuseEditView::HasMap() const {
    return map_.HasBlock() && map_.FuseCount() > 0 && map_.FuseCols() > 0;
}

int64_t FuseEditView::MapRows() const {
    if (!HasMap()) return 0;
    const int64_t cols = map_.FuseCols();
    // A device whose row count is short of its fuses would leave fuses that
    // no scroll reaches and that a jump would show beyond the bar's range.
    return std::max<int64_t>(map_.FuseRows(), (map_.FuseCount() + cols - 1) / cols);
}

FuseEditView::Bound FuseEditView::BoundNow() const {
    return Bound{map_.HasBlock(), map_.FuseCount(), map_.FuseCols(), map_.FuseRows(),
                 map_.IntactPolarity()};
}

void FuseEditView::FollowMap() {
    if (BoundNow() != bound_) {
        Rebind();
        return;
    }
    RefreshFuseView();
}

void FuseEditView::Rebind() {
    bound_ = BoundNow();
    map_.ColOffset = 0;
    map_.RowOffset = 0;
    map_.FuseLastChecksum = 0;
    grid_.SetFocusX(0);
    grid_.SetFocusY(0);
    SetupFuseView();
    RefreshFuseView();
}

void FuseEditView::SetupFuseView() {
    const int32_t cols = HasMap() ? map_.FuseCols() : 0;
    hBar_ = FuseScrollBar{};
    vBar_ = FuseScrollBar{};
    hBar_.LargeChange = grid_.Colls_W() - 1;
    vBar_.LargeChange = grid_.Colls_H() - 1;
    if (HasMap()) {
        hBar_.Max = std::max(0, cols - grid_.Colls_W());
        const int64_t rows = MapRows() - grid_.Colls_H();
        vBar_.Max = static_cast<int32_t>(std::max<int64_t>(0, rows)) + kSlackRows;
    }
    hBar_.Position = Clamp(map_.ColOffset, hBar_);
    vBar_.Position = Clamp(map_.RowOffset, vBar_);
    map_.ColOffset = hBar_.Position;
    map_.RowOffset = vBar_.Position;

    char text[64];
    std::snprintf(text, sizeof text, "Square : %04d * %04d ", cols, HasMap() ? map_.FuseRows() : 0);
    squareLabel_ = text;
    if (map_.IntactPolarity() == 1) {
        bigMap1Label_ = "-->Intact.[1 Key]";
        bitmap0Label_ = "-->Blown.[0 Key]";
    } else {
        bigMap1Label_ = "-->Blown.[1 Key]";
        bitmap0Label_ = "-->Intact.[0 Key]";
    }
    Changed();
}

void FuseEditView::RefreshFuseView() {
    const int64_t cols = HasMap() ? map_.FuseCols() : 0;
    for (int32_t r = 0; r < kGridRows; ++r)
        rowLabels_[r] = Format08(cols * (int64_t{map_.RowOffset} + r) + map_.ColOffset);
    for (int32_t r = 0; r < grid_.Colls_H(); ++r) {
        for (int32_t c = 0; c < grid_.Colls_W(); ++c) {
            // A column beyond the map's row holds no fuse of that row.
            const int64_t col = int64_t{map_.ColOffset} + c;
            const uint8_t v = col < cols ? map_.FuseAt(AddressOf(c, r)) : kNoFuse;
            grid_.SetArrValue(r, c, v);
        }
    }
    grid_.DrawAll();
    Changed();
}

const std::string& FuseEditView::RowLabel(int32_t row) const {
    static const std::string kNone;
    return row >= 0 && row < kGridRows ? rowLabels_[row] : kNone;
}

int64_t FuseEditView::AddressOf(int32_t x, int32_t y) const {
    const int64_t cols = HasMap() ? map_.FuseCols() : 0;
    return (int64_t{map_.RowOffset} + y) * cols + map_.ColOffset + x;
}

int64_t FuseEditView::FocusedAddress() const { return AddressOf(grid_.Focus_X(), grid_.Focus_Y()); }

// ---- Scroll bars ------------------------------------------------------------------------------

void FuseEditView::PalScrollBar_HScroll(int32_t position) { SetH(position); }
void FuseEditView::PalScrollBar_VScroll(int32_t position) { SetV(position); }

void FuseEditView::SetH(int32_t position) {
    hBar_.Position = Clamp(position, hBar_);
    map_.ColOffset = hBar_.Position;
    RefreshFuseView();
}

void FuseEditView::SetV(int32_t position) {
    vBar_.Position = Clamp(position, vBar_);
    map_.RowOffset = vBar_.Position;
    RefreshFuseView();
}

// ---- Grid events ------------------------------------------------------------------------------

void FuseEditView::PalShowBox1Change(int32_t x, int32_t y, int32_t value) {
    if (!HasMap() || int64_t{map_.ColOffset} + x >= map_.FuseCols()) return;
    map_.SetFuse(AddressOf(x, y), value);
}

void FuseEditView::PalShowBox1CurrentChange(int32_t x, int32_t y) {
    char text[64];
    std::snprintf(text, sizeof text, "X : %04lld     Y : %04lld",
                  static_cast<long long>(int64_t{map_.ColOffset} + x),
                  static_cast<long long>(int64_t{map_.RowOffset} + y));
    xLabel_ = text;
    jumpText_ = FilterJumpText(Format08(AddressOf(x, y)), HasMap() ? map_.FuseCount() : 0);
    Changed();
}

void FuseEditView::PalShowBox1LeftEvent(int32_t, int32_t) {
    // The focus is in column 0 and wants the fuse before it.
    if (!HasMap() || FocusedAddress() <= 0) return;
    if (map_.ColOffset > 0) {
        SetH(map_.ColOffset - 1);
        return;
    }
    // To the end of the previous map row: the row moves up inside the grid,
    // and only at its top does the view scroll.
    const int32_t cols = map_.FuseCols();
    hBar_.Position = std::max(0, cols - grid_.Colls_W());
    map_.ColOffset = hBar_.Position;
    grid_.SetFocusX(cols - 1 - map_.ColOffset);
    if (grid_.Focus_Y() > 0) {
        grid_.SetFocusY(grid_.Focus_Y() - 1);
        RefreshFuseView();
    } else {
        SetV(map_.RowOffset - 1);
    }
}

void FuseEditView::PalShowBox1RightEvent(int32_t, int32_t) {
    // The focus is in the grid's last column and wants the next fuse, which
    // must be one of the map.
    if (!HasMap() || FocusedAddress() + 1 >= map_.FuseCount()) return;
    if (map_.ColOffset < hBar_.Max) {
        SetH(map_.ColOffset + 1);
        return;
    }
    WrapToNextRow();
}

void FuseEditView::PalShowBox1RowEndEvent(int32_t x, int32_t) {
    // Only from the row's last fuse: the cells beyond it hold none, and the
    // next fuse is the first of the next map row.
    if (!HasMap() || int64_t{map_.ColOffset} + x != map_.FuseCols() - 1 ||
        FocusedAddress() + 1 >= map_.FuseCount())
        return;
    WrapToNextRow();
}

void FuseEditView::WrapToNextRow() {
    hBar_.Position = 0;
    map_.ColOffset = 0;
    grid_.SetFocusX(0);
    if (grid_.Focus_Y() + 1 < grid_.Colls_H()) {
        grid_.SetFocusY(grid_.Focus_Y() + 1);
        RefreshFuseView();
    } else {
        SetV(map_.RowOffset + 1);
    }
}

// ---- Jump -------------------------------------------------------------------------------------

std::string FuseEditView::FilterJumpText(const std::string& text, int64_t fuseCount) {
    if (fuseCount < 1) return "00000000";
    std::string kept = text.substr(0, 8);
    const std::size_t bad = kept.find_first_not_of("0123456789");
    if (bad != std::string::npos) kept.resize(bad);
    if (kept.empty()) return "00000000";
    if (std::stoll(kept) >= fuseCount) return Format08(fuseCount - 1);
    return kept;
}

bool FuseEditView::ParseJumpValue(const std::string& text, int64_t maximum, int64_t& address) {
    int64_t value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') break;
        value = value * 10 + (ch - '0');
        if (value >= maximum) break;  // no further digit brings it back
    }
    if (value < maximum) {
        address = value;
        return true;
    }
    address = maximum - 1;
    return false;
}

void FuseEditView::JumpEditChange(const std::string& text) {
    jumpText_ = FilterJumpText(text, HasMap() ? map_.FuseCount() : 0);
    Changed();
}

void FuseEditView::jump_bmpMouseUp() {
    if (!HasMap()) return;
    int64_t address = 0;
    ParseJumpValue(jumpText_, map_.FuseCount(), address);
    JumpToFuse(address);
}

void FuseEditView::JumpToFuse(int64_t a) {
    if (!HasMap()) return;
    a = std::clamp<int64_t>(a, 0, map_.FuseCount() - 1);
    const int32_t row = static_cast<int32_t>(a / map_.FuseCols());
    const int32_t col = static_cast<int32_t>(a % map_.FuseCols());
    if (col < grid_.Colls_W()) {
        hBar_.Position = 0;
        grid_.SetFocusX(col);
    } else {
        hBar_.Position = Clamp(col - grid_.Colls_W() + 1, hBar_);
        grid_.SetFocusX(grid_.Colls_W() - 1);
    }
    map_.ColOffset = hBar_.Position;
    if (row < grid_.Colls_H()) {
        vBar_.Position = 0;
        grid_.SetFocusY(row);
    } else {
        vBar_.Position = Clamp(row - grid_.Colls_H() + 1, vBar_);
        grid_.SetFocusY(grid_.Colls_H() - 1);
    }
    map_.RowOffset = vBar_.Position;
    RefreshFuseView();
}

// ---- Buttons ----------------------------------------------------------------------------------

void FuseEditView::check_sumClick() { map_.ShowFuseChecksum(1); }

void FuseEditView::GAL_Image6Click() { map_.ShowFuseChecksum(6); }

void FuseEditView::Changed() {
    if (OnViewChanged) OnViewChanged();
}

}  // namespace burnmark
