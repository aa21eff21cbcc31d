// The fuse-map editor's state as data: which window of the map the fuse grid
// shows (ColOffset and RowOffset on the map), the two scroll bars over it, the
// row labels, the size, coordinate and legend texts, the jump edit with its
// filter, and the wraps that let the focus run from one map row into the next.
// It reads cells with FuseMap::FuseAt and writes changes with SetFuse only, so
// that every index it makes is checked by the map. The window Tform2 shows it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "fusemap/fuse_map.h"
#include "fusemap/pal_show_box.h"

namespace burnmark {

struct FuseScrollBar {
    int32_t Min = 0;
    int32_t Max = 0;
    int32_t SmallChange = 1;
    int32_t LargeChange = 1;
    int32_t Position = 0;
};

class FuseEditView {
public:
    static constexpr int32_t kGridCols = 24;
    static constexpr int32_t kGridRows = 8;
    // Rows the vertical bar may run past the last map row.
    static constexpr int32_t kSlackRows = 6;

    // Takes the map's redraw (FuseMap::OnRefreshView) until it is destroyed;
    // a redraw after the map was built for another geometry rebinds.
    explicit FuseEditView(FuseMap& map);
    ~FuseEditView();
    FuseEditView(const FuseEditView&) = delete;
    FuseEditView& operator=(const FuseEditView&) = delete;

    FuseMap& Map() { return map_; }
    PalShowBox& Grid() { return grid_; }
    const PalShowBox& Grid() const { return grid_; }

    // Told after every change of what the window shows.
    std::function<void()> OnViewChanged;

    // For the map of a new device: the first fuse in the grid's top left
    // corner and focused, no checksum shown yet, ranges and texts for the
    // map's geometry, the cells drawn.
    void Rebind();
    // Ranges, size and legend texts for the map's geometry. A map that could
    // not be built has none of them (InitFuseBuffer has told the operator).
    void SetupFuseView();
    // Row labels and cells from the map at the offsets, then the grid redraws.
    void RefreshFuseView();

    // Rebind when the map was built anew for another geometry (or lost its
    // block) since the last Rebind, else RefreshFuseView.
    void FollowMap();

    // The map is there to edit: the grid shows fuses and the jump works.
    bool HasMap() const;

    const FuseScrollBar& HBar() const { return hBar_; }
    const FuseScrollBar& VBar() const { return vBar_; }
    // A scroll bar moved to a position (line or page step, either end, the end
    // of a thumb drag): the offset follows it, kept inside the bar's range.
    void PalScrollBar_HScroll(int32_t position);
    void PalScrollBar_VScroll(int32_t position);

    // "%08d" of the address of the first shown fuse of grid row r.
    const std::string& RowLabel(int32_t row) const;
    const std::string& SquareLabel() const { return squareLabel_; }
    const std::string& XLabel() const { return xLabel_; }
    const std::string& BigMap1Label() const { return bigMap1Label_; }
    const std::string& Bitmap0Label() const { return bitmap0Label_; }

    // The address of the focused cell's fuse (it may lie past the map).
    int64_t FocusedAddress() const;

    // The jump edit: JumpEditChange takes the text the operator left there and
    // keeps the filtered one in JumpText, which the window shows.
    const std::string& JumpText() const { return jumpText_; }
    bool JumpEnabled() const { return HasMap(); }
    void JumpEditChange(const std::string& text);
    // The jump edit's filter for a map of fuseCount fuses: at most 8
    // characters, cut at the first that is not a digit, empty gives
    // "00000000", a value not below the count gives the last fuse. Without
    // fuses it is always "00000000".
    static std::string FilterJumpText(const std::string& text, int64_t fuseCount);
    // The decimal value of text; true when it is below maximum, else the
    // result is maximum - 1.
    static bool ParseJumpValue(const std::string& text, int64_t maximum, int64_t& address);
    // The Jump button: to the fuse the jump edit names.
    void jump_bmpMouseUp();
    // Shows fuse a (kept inside the map) and focuses it: in its own column
    // and row while they lie in the first window, else in the grid's last.
    void JumpToFuse(int64_t a);

    // SUM: the checksum into the checksum field and a box "Get Check Sum".
    void check_sumClick();
    // OK (after the window hid itself): the checksum into the field only.
    void GAL_Image6Click();

private:
    // What the view was set up for.
    struct Bound {
        bool block = false;
        int64_t count = 0;
        int32_t cols = 0, rows = 0, polarity = 0;
        bool operator==(const Bound&) const = default;
    };
    Bound BoundNow() const;

    // The grid's events.
    void PalShowBox1Change(int32_t x, int32_t y, int32_t value);
    void PalShowBox1CurrentChange(int32_t x, int32_t y);
    void PalShowBox1LeftEvent(int32_t x, int32_t y);
    void PalShowBox1RightEvent(int32_t x, int32_t y);
    // Right at the last fuse of a map row narrower than the grid.
    void PalShowBox1RowEndEvent(int32_t x, int32_t y);
    // The focus to the first fuse of the next map row, scrolling one row
    // from the grid's last row.
    void WrapToNextRow();

    // Every map row that holds a fuse, and at least the device's rows.
    int64_t MapRows() const;
    int64_t AddressOf(int32_t x, int32_t y) const;
    void SetH(int32_t position);
    void SetV(int32_t position);
    void Changed();

    FuseMap& map_;
    Bound bound_;
    PalShowBox grid_;
    FuseScrollBar hBar_;
    FuseScrollBar vBar_;
    std::array<std::string, kGridRows> rowLabels_;
    std::string squareLabel_;
    std::string xLabel_;
    std::string bigMap1Label_;
    std::string bitmap0Label_;
    std::string jumpText_ = "00000000";
};

}  // namespace burnmark
