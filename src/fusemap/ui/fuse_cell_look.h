// The four looks of a fuse cell, drawn by our own code so that the grid, the
// editor's legend and its buttons share one picture of a fuse. Cells are
// filled in whole device pixels without smoothing, their lines as wide as the
// device pixel ratio allows evenly, so that they stay sharp and regular at any
// scale.
#pragma once

#include <QColor>
#include <QRect>
#include <QtGlobal>

class QPainter;

namespace burnmark {

enum class FuseCellLook {
    BitHeigh,   // value 1
    BitLow,     // value 0
    HeighDown,  // the focused cell of value 1
    LowDown,    // the focused cell of value 0
};

// Size of a cell picture in logical pixels; it matches the row labels' rows.
inline constexpr int kFuseCellSize = 15;

// Paints in device pixels for one scope: the painter's scale to its device's
// pixel ratio is undone, and logical positions are rounded onto the device's
// pixels, so that neighbouring cells share their edges exactly.
class DevicePixels {
public:
    explicit DevicePixels(QPainter& painter);
    ~DevicePixels();
    DevicePixels(const DevicePixels&) = delete;
    DevicePixels& operator=(const DevicePixels&) = delete;

    int At(int logical) const { return qRound(logical * ratio_); }
    // The device rectangle of a logical one.
    QRect Rect(const QRect& logical) const;
    // Device pixels of a one-pixel line: the same for every line at any ratio.
    int Line() const { return line_; }

private:
    QPainter& painter_;
    qreal ratio_;
    int line_;
};

// Draws one cell picture into a device rectangle (see DevicePixels): its face,
// its mark and the separator lines along its right and bottom edges.
void PaintFuseCell(QPainter& painter, const QRect& deviceCell, int line, FuseCellLook look);

// The frame colours of the grid control.
inline const QColor kGridBackground(192, 192, 192);
inline const QColor kGridShadow(128, 128, 128);

}  // namespace burnmark
