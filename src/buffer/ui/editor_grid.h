// One grid of the buffer editor (the address, hex or character grid of the
// 8-bit or 16-bit page): a heading row over the 16 rows the view shows, drawn
// from the view's cells each time it is painted. It keeps no text of its own;
// the keys and clicks it gets go to the view.
#pragma once

#include <QStaticText>
#include <QWidget>
#include <array>

#include "buffer/editor_view.h"

namespace burnmark {

class EditorGridWidget : public QWidget {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 16;
    // The heading row and the view's 16 rows.
    static constexpr int kHeight = kRowHeight * (EditorView::kRows + 1);

    EditorGridWidget(EditorView& view, EditorPage page, EditorGrid grid, int width,
                     QWidget* parent = nullptr);

    EditorPage Page() const { return page_; }
    EditorGrid Grid() const { return grid_; }
    // The cell under a point of the widget; nullopt on the heading or outside.
    std::optional<GridCell> CellAt(QPoint point) const;
    // The cell's rectangle in the widget.
    QRect CellRect(int row, int column) const;

signals:
    // A right click (or the menu key) asks for the editor's popup menu.
    void PopupRequested(QPoint globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // The main window routes the wheel to the view; the grid leaves it alone.
    void wheelEvent(QWheelEvent* event) override;

private:
    int Columns() const;
    double ColumnWidth() const;
    void PaintHeading(QPainter& painter);
    void PaintRow(QPainter& painter, int row);
    void PaintPending(QPainter& painter, const QRect& rect, const std::string& text);
    // Draws one of the prepared texts centred in its cell, or its two bytes side by side.
    void DrawCentred(QPainter& painter, const QRect& rect, const QStaticText* const* parts,
                     int count);

    EditorView& view_;
    EditorPage page_;
    EditorGrid grid_;
    QFont font_;
    QFont headingFont_;
    int advance_ = 7;  // the data font's character width
    int textHeight_ = 12;
    // Prepared texts: every byte as two hex digits, every byte as the
    // character the grid shows, every hex digit.
    std::array<QStaticText, 256> hexBytes_;
    std::array<QStaticText, 256> chars_;
    std::array<QStaticText, 16> digits_;
};

}  // namespace burnmark
