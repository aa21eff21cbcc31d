// A picture on the main window that reports the mouse: the page backgrounds,
// the layers of the stacked buttons and the step pictures are all of this kind.
// Its picture is drawn for the screen it is on, so it stays sharp at any
// device pixel ratio.
#pragma once

#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <functional>
#include <memory>
#include <string>

#include "widgets/skin_workers.h"

namespace burnmark {

// Draws a picture of the given logical size for the given device pixel ratio.
using PictureSource = std::function<QPixmap(QSize size, qreal dpr)>;

class ImageControl : public QLabel {
    Q_OBJECT

public:
    explicit ImageControl(const QString& name, QWidget* parent = nullptr);
    ~ImageControl() override;

    // The picture, drawn when painted. Without one the label paints its text
    // or its pixmap.
    void SetPicture(PictureSource source);
    bool HasPicture() const { return static_cast<bool>(picture_); }

    // The picture as the skin workers see it; the reference lives as long as
    // the control.
    SkinLayerRef SkinHandle() const;
    // Where the skin's hide and show go. Without one they hide and show the
    // control; the Copy page sends them to its model instead, so that the
    // model and the pictures never disagree.
    void SetVisibilitySink(std::function<void(bool)> sink) { sink_ = std::move(sink); }
    void SetShown(bool shown);

    // What a click on this picture runs when it lies in a stack; empty: the
    // stack's command.
    void SetClick(std::function<void()> click) { click_ = std::move(click); }
    const std::function<void()>& Click() const { return click_; }

    // Looks drawn over the picture by its stack: highlighted (tinted blue,
    // with a ring) and held down (darker, one pixel lower and to the right).
    static constexpr QRgb kHotAccent = 0xff2f7fe8;
    void SetHotLook(bool hot);
    void SetPressedLook(bool pressed);
    bool HotLook() const { return hot_; }
    bool PressedLook() const { return pressed_; }

    // A layer of a stack leaves its mouse to the stack.
    void SetInStack(bool inStack) { inStack_ = inStack; }

signals:
    void MouseDown(Qt::MouseButton button, QPoint position, QPoint globalPosition);
    void MouseMove(Qt::MouseButtons buttons, QPoint position, QPoint globalPosition);
    void MouseUp(Qt::MouseButton button, QPoint position);
    // A left press and release on the picture.
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    class Layer;

    PictureSource picture_;
    std::shared_ptr<Layer> layer_;
    std::function<void(bool)> sink_;
    std::function<void()> click_;
    bool hot_ = false;
    bool pressed_ = false;
    bool inStack_ = false;
    bool mouseDown_ = false;
};

}  // namespace burnmark
