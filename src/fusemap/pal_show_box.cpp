#include "fusemap/pal_show_box.h"

#include <algorithm>

namespace burnmark {

PalShowBox::PalShowBox() { ResetArea(); }

void PalShowBox::SetArrValue(int32_t row, int32_t col, int32_t v) {
    if (row < 0 || row >= kMaxRows || col < 0 || col >= kMaxCols || v < 0 || v > kNoFuse) return;
    cells_[row][col] = v;
}

int32_t PalShowBox::ReadArrValue(int32_t row, int32_t col) const {
    if (row < 0 || row >= kMaxRows || col < 0 || col >= kMaxCols) return 0;
    return cells_[row][col];
}

void PalShowBox::ResetArea() {
    for (auto& row : cells_) row.fill(kNoFuse);
    for (int32_t r = 0; r < collsH_; ++r) std::fill_n(cells_[r].begin(), collsW_, 0);
    // The focus never lies outside the area, so that no key reaches a cell
    // beyond it.
    focusX_ = std::min(focusX_, collsW_ - 1);
    focusY_ = std::min(focusY_, collsH_ - 1);
}

void PalShowBox::SetWColls(int32_t n) {
    if (n < 1 || n >= kMaxCols) return;
    collsW_ = n;
    ResetArea();
    Repaint();
}

void PalShowBox::SetHColls(int32_t n) {
    if (n < 1 || n >= kMaxRows) return;
    collsH_ = n;
    ResetArea();
    Repaint();
}

void PalShowBox::SetFocusX(int32_t n) {
    if (n < 0 || n >= collsW_) return;
    focusX_ = n;
    DrawAll();
}

void PalShowBox::SetFocusY(int32_t n) {
    if (n < 0 || n >= collsH_) return;
    focusY_ = n;
    DrawAll();
}

void PalShowBox::SetCellSize(int32_t width, int32_t height) {
    cellW_ = std::max(0, width);
    cellH_ = std::max(0, height);
    Repaint();
}

void PalShowBox::DrawAll() {
    Repaint();
    if (OnCurrentChange) OnCurrentChange(focusX_, focusY_);
}

void PalShowBox::Repaint() {
    if (OnRepaint) OnRepaint();
}

void PalShowBox::FocusIn() {
    focused_ = true;
    Repaint();
}

void PalShowBox::Exit() {
    focused_ = false;
    Repaint();
}

void PalShowBox::ToggleFocused() {
    int32_t& cell = cells_[focusY_][focusX_];
    if (cell == kNoFuse) return;
    cell = cell == 0 ? 1 : 0;
    if (OnChange) OnChange(focusX_, focusY_, cell);
}

void PalShowBox::KeyDown(Key key) {
    switch (key) {
        case Key::Left:
            if (--focusX_ < 0) {
                focusX_ = 0;
                if (OnLeftEvent) OnLeftEvent(0, focusY_);
            }
            break;
        case Key::Right:
            if (focusX_ == collsW_ - 1) {
                if (OnRightEvent) OnRightEvent(focusX_, focusY_);
                return;
            }
            if (cells_[focusY_][focusX_ + 1] == kNoFuse) {
                if (OnRowEndEvent) OnRowEndEvent(focusX_, focusY_);
                return;
            }
            ++focusX_;
            break;
        case Key::Up:
            if (--focusY_ < 0) {
                focusY_ = 0;
                if (OnBarUpEvent) OnBarUpEvent(focusX_, 0);
            }
            break;
        case Key::Down:
            if (focusY_ + 1 < collsH_ && cells_[focusY_ + 1][focusX_] != kNoFuse) {
                ++focusY_;
            } else if (OnBarDownEvent) {
                OnBarDownEvent(focusX_, focusY_);
            }
            break;
        case Key::Enter:
        case Key::Space:
            ToggleFocused();
            KeyDown(Key::Right);
            break;
        case Key::Zero:
        case Key::One: {
            int32_t& cell = cells_[focusY_][focusX_];
            if (cell != kNoFuse) {
                cell = key == Key::One ? 1 : 0;
                if (OnChange) OnChange(focusX_, focusY_, cell);
                KeyDown(Key::Right);
            }
            break;
        }
        case Key::Home:
            focusX_ = 0;
            break;
        case Key::End: {
            const auto& row = cells_[focusY_];
            const auto first = std::find(row.begin(), row.begin() + collsW_, kNoFuse);
            // A row that starts with no fuse keeps the focus on its first cell.
            focusX_ = std::max<int32_t>(0, static_cast<int32_t>(first - row.begin()) - 1);
            break;
        }
        case Key::PageUp:
            if (focusY_ > 0) {
                focusY_ = 0;
            } else if (OnPageUpEvent) {
                OnPageUpEvent(focusX_, focusY_);
            }
            break;
        case Key::PageDown:
            if (focusY_ == collsH_ - 1) {
                if (OnPageDownEvent) OnPageDownEvent(focusX_, focusY_);
            } else {
                int32_t first = 0;
                while (first < collsH_ && cells_[first][focusX_] != kNoFuse) ++first;
                focusY_ = std::max<int32_t>(0, first - 1);
            }
            break;
        case Key::Other:
            break;
    }
    DrawAll();
}

bool PalShowBox::CellAt(int32_t px, int32_t py, int32_t& col, int32_t& row) const {
    if (cellW_ <= 0 || cellH_ <= 0) return false;
    if (px < kCellOrigin || py < kCellOrigin) return false;
    col = (px - kCellOrigin) / cellW_;
    row = (py - kCellOrigin) / cellH_;
    return col < collsW_ && row < collsH_;
}

bool PalShowBox::MouseLDown(int32_t px, int32_t py) {
    int32_t col = 0, row = 0;
    if (!CellAt(px, py, col, row)) return false;
    focusX_ = col;
    focusY_ = row;
    focused_ = true;
    DrawAll();
    return true;
}

bool PalShowBox::DMouseDown(int32_t px, int32_t py) {
    int32_t col = 0, row = 0;
    if (!CellAt(px, py, col, row)) return false;
    focusX_ = col;
    focusY_ = row;
    focused_ = true;
    ToggleFocused();
    DrawAll();
    return true;
}

}  // namespace burnmark
