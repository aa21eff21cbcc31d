#include "fusemap/ui/fuse_cell_look.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace burnmark {

namespace {

const QColor kFace(251, 251, 246);
const QColor kFocusFace(255, 213, 74);
const QColor kFocusEdge(179, 84, 30);
const QColor kSeparator(125, 132, 140);
const QColor kOneMark(30, 60, 140);
const QColor kZeroMark(138, 144, 153);
const QColor kFocusZeroMark(107, 82, 0);

}  // namespace

namespace {

qreal RatioOf(const QPainter& painter) {
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1;
    return ratio > 0 ? ratio : 1;
}

}  // namespace

DevicePixels::DevicePixels(QPainter& painter)
    : painter_(painter),
      ratio_(RatioOf(painter)),
      line_(std::max(1, static_cast<int>(std::floor(ratio_)))) {
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.scale(1 / ratio_, 1 / ratio_);
}

DevicePixels::~DevicePixels() { painter_.restore(); }

QRect DevicePixels::Rect(const QRect& logical) const {
    return QRect(
        QPoint(At(logical.left()), At(logical.top())),
        QPoint(At(logical.left() + logical.width()) - 1, At(logical.top() + logical.height()) - 1));
}

void PaintFuseCell(QPainter& p, const QRect& cell, int line, FuseCellLook look) {
    const bool focused = look == FuseCellLook::HeighDown || look == FuseCellLook::LowDown;
    const bool one = look == FuseCellLook::BitHeigh || look == FuseCellLook::HeighDown;
    if (cell.width() < 4 * line || cell.height() < 4 * line) return;

    const QRect face(cell.left(), cell.top(), cell.width() - line, cell.height() - line);
    p.fillRect(face, focused ? kFocusFace : kFace);
    p.fillRect(QRect(face.right() + 1, cell.top(), line, cell.height()), kSeparator);
    p.fillRect(QRect(cell.left(), face.bottom() + 1, face.width(), line), kSeparator);
    if (focused) {
        p.fillRect(QRect(face.left(), face.top(), face.width(), line), kFocusEdge);
        p.fillRect(QRect(face.left(), face.bottom() - line + 1, face.width(), line), kFocusEdge);
        p.fillRect(QRect(face.left(), face.top(), line, face.height()), kFocusEdge);
        p.fillRect(QRect(face.right() - line + 1, face.top(), line, face.height()), kFocusEdge);
    }
    const int size = std::min(face.width(), face.height());
    if (one) {
        // A solid block for a 1, inset so that the grid's lines stay visible.
        const int inset = size * 3 / 14;
        p.fillRect(face.adjusted(inset, inset, -inset, -inset), kOneMark);
    } else {
        // A small dot for a 0, so that a 0 is told from a cell without a fuse.
        const int d = std::max(1, size / 7);
        p.fillRect(
            QRect(face.left() + (face.width() - d) / 2, face.top() + (face.height() - d) / 2, d, d),
            focused ? kFocusZeroMark : kZeroMark);
    }
}

}  // namespace burnmark
