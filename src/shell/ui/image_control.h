// A picture on the main window that reports the mouse: the page backgrounds,
// the layers of the stacked buttons and the step pictures are all of this kind.
#pragma once

#include <QLabel>
#include <QMouseEvent>

namespace burnmark {

class ImageControl : public QLabel {
    Q_OBJECT

public:
    explicit ImageControl(const QString& name, QWidget* parent = nullptr) : QLabel(parent) {
        setObjectName(name);
    }

signals:
    void MouseDown(Qt::MouseButton button, QPoint position);
    void MouseMove(Qt::MouseButtons buttons, QPoint position);
    void MouseUp(Qt::MouseButton button, QPoint position);
    // A left press and release on the picture.
    void Clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) pressed_ = true;
        emit MouseDown(event->button(), event->position().toPoint());
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        emit MouseMove(event->buttons(), event->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        const bool click = pressed_ && event->button() == Qt::LeftButton &&
                           rect().contains(event->position().toPoint());
        if (event->button() == Qt::LeftButton) pressed_ = false;
        emit MouseUp(event->button(), event->position().toPoint());
        if (click) emit Clicked();
    }

private:
    bool pressed_ = false;
};

}  // namespace burnmark
