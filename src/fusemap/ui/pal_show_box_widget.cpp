#include "fusemap/ui/pal_show_box_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "fusemap/ui/fuse_cell_look.h"

namespace burnmark {

TPalShowBox::TPalShowBox(PalShowBox& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("PalShowBox1"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    model_.OnRepaint = [this] { FollowModel(); };
    model_.SetCellSize(kFuseCellSize, kFuseCellSize);
    FollowModel();
}

TPalShowBox::~TPalShowBox() { model_.OnRepaint = nullptr; }

void TPalShowBox::FollowModel() {
    const QSize size(model_.ControlWidth(), model_.ControlHeight());
    if (this->size() != size) setFixedSize(size);
    update();
}

PalShowBox::Key TPalShowBox::KeyOf(int qtKey) {
    using Key = PalShowBox::Key;
    switch (qtKey) {
        case Qt::Key_Left:
            return Key::Left;
        case Qt::Key_Right:
            return Key::Right;
        case Qt::Key_Up:
            return Key::Up;
        case Qt::Key_Down:
            return Key::Down;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return Key::Enter;
        case Qt::Key_Space:
            return Key::Space;
        case Qt::Key_0:
            return Key::Zero;
        case Qt::Key_1:
            return Key::One;
        case Qt::Key_Home:
            return Key::Home;
        case Qt::Key_End:
            return Key::End;
        case Qt::Key_PageUp:
            return Key::PageUp;
        case Qt::Key_PageDown:
            return Key::PageDown;
        default:
            return Key::Other;
    }
}

void PaintPalShowBox(QPainter& painter, const PalShowBox& model, QSize size) {
    const DevicePixels px(painter);
    const int line = px.Line();
    const int w = px.At(size.width()), h = px.At(size.height());
    painter.fillRect(QRect(0, 0, w, h), Qt::black);
    painter.fillRect(QRect(line, line, w - 2 * line, h - 2 * line), kGridBackground);
    // The sunken bevel one pixel inside the frame.
    painter.fillRect(QRect(line, line, w - 2 * line, line), kGridShadow);
    painter.fillRect(QRect(line, line, line, h - 2 * line), kGridShadow);
    painter.fillRect(QRect(line, h - 2 * line, w - 2 * line, line), Qt::white);
    painter.fillRect(QRect(w - 2 * line, line, line, h - 2 * line), Qt::white);

    const int cw = model.CellWidth(), ch = model.CellHeight();
    for (int r = 0; r < model.Colls_H(); ++r) {
        for (int c = 0; c < model.Colls_W(); ++c) {
            const int v = model.ReadArrValue(r, c);
            if (v == PalShowBox::kNoFuse) continue;
            const bool focus = model.Focused() && c == model.Focus_X() && r == model.Focus_Y();
            const FuseCellLook look =
                v == 1 ? (focus ? FuseCellLook::HeighDown : FuseCellLook::BitHeigh)
                       : (focus ? FuseCellLook::LowDown : FuseCellLook::BitLow);
            const QRect cell(PalShowBox::kCellOrigin + c * cw, PalShowBox::kCellOrigin + r * ch, cw,
                             ch);
            PaintFuseCell(painter, px.Rect(cell), line, look);
        }
    }
}

void TPalShowBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintPalShowBox(painter, model_, size());
}

void TPalShowBox::keyPressEvent(QKeyEvent* event) {
    const PalShowBox::Key key = KeyOf(event->key());
    model_.KeyDown(key);
    // Keys the grid has no use for go on to the window (Escape, shortcuts).
    if (key == PalShowBox::Key::Other) event->ignore();
}

void TPalShowBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    const QPoint at = event->position().toPoint();
    model_.MouseLDown(at.x(), at.y());
}

void TPalShowBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    const QPoint at = event->position().toPoint();
    model_.DMouseDown(at.x(), at.y());
}

void TPalShowBox::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    model_.FocusIn();
}

void TPalShowBox::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    model_.Exit();
}

}  // namespace burnmark
