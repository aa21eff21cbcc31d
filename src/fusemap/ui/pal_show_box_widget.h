// The fuse grid control on the screen: draws a PalShowBox (frame, sunken
// bevel, the cells in their four looks) and hands it the keys, clicks and
// focus changes. Its size follows the model's area; Qt's own double
// buffering keeps repaints free of flicker.
#pragma once

#include <QSize>
#include <QWidget>

#include "fusemap/pal_show_box.h"

class QPainter;

namespace burnmark {

// Draws the control of the given logical size: the black frame, the silver
// face with its sunken bevel, and the cells in their looks.
void PaintPalShowBox(QPainter& painter, const PalShowBox& model, QSize size);

class TPalShowBox : public QWidget {
    Q_OBJECT

public:
    // The model outlives the widget. Its cells are kFuseCellSize pixels.
    explicit TPalShowBox(PalShowBox& model, QWidget* parent = nullptr);
    ~TPalShowBox() override;

    PalShowBox& Model() { return model_; }

    // The grid's key for a Qt key code; Other for keys the grid does not use.
    static PalShowBox::Key KeyOf(int qtKey);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void FollowModel();

    PalShowBox& model_;
};

}  // namespace burnmark
