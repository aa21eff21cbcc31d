// The fuse grid as data: a window of at most 30 rows by 50 columns of cells
// (0 or 1 a fuse of that value, 2 no fuse), the area in use, the focused cell,
// and the key and mouse rules with the events that tell the owner what
// happened. The owner copies a window of the fuse map in, writes changes back
// from OnChange and scrolls when the focus wants to leave an edge. The widget
// TPalShowBox only draws this model and hands it the keys and clicks.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

namespace burnmark {

class PalShowBox {
public:
    static constexpr int32_t kMaxRows = 30;
    static constexpr int32_t kMaxCols = 50;
    // Cells start this far from the control's top left corner (frame, bevel, gap).
    static constexpr int32_t kCellOrigin = 3;
    static constexpr uint8_t kNoFuse = 2;

    enum class Key {
        Left,
        Right,
        Up,
        Down,
        Enter,
        Space,
        Zero,
        One,
        Home,
        End,
        PageUp,
        PageDown,
        Other
    };

    PalShowBox();

    // Told whenever the control must be drawn again.
    std::function<void()> OnRepaint;

    // Edge events: x is the focused column, y the focused row.
    std::function<void(int32_t x, int32_t y)> OnBarUpEvent;
    std::function<void(int32_t x, int32_t y)> OnBarDownEvent;
    std::function<void(int32_t x, int32_t y)> OnPageUpEvent;
    std::function<void(int32_t x, int32_t y)> OnPageDownEvent;
    std::function<void(int32_t x, int32_t y)> OnLeftEvent;
    std::function<void(int32_t x, int32_t y)> OnRightEvent;
    // Right towards a cell without a fuse inside the area (the end of a row
    // narrower than the area): the focus stays, and the owner may move it.
    std::function<void(int32_t x, int32_t y)> OnRowEndEvent;
    // Fired by every DrawAll.
    std::function<void(int32_t x, int32_t y)> OnCurrentChange;
    // A cell the operator changed; flag is its new value.
    std::function<void(int32_t x, int32_t y, int32_t flag)> OnChange;

    // Cell (row, col) = v for a row 0..29, a column 0..49 and v 0..2; else nothing.
    void SetArrValue(int32_t row, int32_t col, int32_t v);
    // The cell's value; 0 for a cell outside the 30 x 50 array.
    int32_t ReadArrValue(int32_t row, int32_t col) const;

    int32_t Colls_W() const { return collsW_; }
    int32_t Colls_H() const { return collsH_; }
    // 1..49 columns (1..29 rows): every cell 2, the new area 0, the focus kept
    // inside it, repaint. Other sizes are ignored.
    void SetWColls(int32_t n);
    void SetHColls(int32_t n);

    int32_t Focus_X() const { return focusX_; }
    int32_t Focus_Y() const { return focusY_; }
    // Only inside the area: the focus moves, DrawAll.
    void SetFocusX(int32_t n);
    void SetFocusY(int32_t n);

    // The size of the value-1 cell picture, which every click is measured in;
    // 0 while there is none.
    void SetCellSize(int32_t width, int32_t height);
    int32_t CellWidth() const { return cellW_; }
    int32_t CellHeight() const { return cellH_; }
    // The control's size for the area: frame and bevel around the cells.
    int32_t ControlWidth() const { return collsW_ * cellW_ + 4; }
    int32_t ControlHeight() const { return collsH_ * cellH_ + 4; }

    // Asks for a repaint and fires OnCurrentChange.
    void DrawAll();

    // True while the control has the keyboard focus: the focused cell is then
    // drawn with its focus look.
    bool Focused() const { return focused_; }
    void FocusIn();
    void Exit();

    void KeyDown(Key key);
    // A left press at a pixel of the control: the cell under it takes the
    // focus. A press on the frame, the margins or while no cell size is known
    // hits no cell and is ignored. Returns whether a cell was hit.
    bool MouseLDown(int32_t px, int32_t py);
    // A double click: the cell under the pointer takes the focus and toggles.
    bool DMouseDown(int32_t px, int32_t py);

private:
    bool CellAt(int32_t px, int32_t py, int32_t& col, int32_t& row) const;
    void ResetArea();
    // Toggles the focused cell unless it is 2, with OnChange.
    void ToggleFocused();
    void Repaint();

    std::array<std::array<int32_t, kMaxCols>, kMaxRows> cells_{};
    int32_t collsW_ = 10;
    int32_t collsH_ = 6;
    int32_t focusX_ = 0;
    int32_t focusY_ = 0;
    int32_t cellW_ = 0;
    int32_t cellH_ = 0;
    bool focused_ = false;
};

}  // namespace burnmark
