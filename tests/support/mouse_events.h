// Left-button mouse events sent straight to a widget, for the window tests:
// what a press, a click or a double click delivers, at a point of the widget
// or at its centre.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace burnmark::testing {

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint at,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton, held,
                      modifiers);
    QApplication::sendEvent(w, &event);
}

inline void Click(QWidget* w, QPoint at) {
    SendMouse(w, QEvent::MouseButtonPress, at);
    SendMouse(w, QEvent::MouseButtonRelease, at);
}
inline void Click(QWidget* w) { Click(w, w->rect().center()); }

// As Qt delivers a double click: press, release, double click, release.
inline void DoubleClick(QWidget* w, QPoint at) {
    Click(w, at);
    SendMouse(w, QEvent::MouseButtonDblClick, at);
    SendMouse(w, QEvent::MouseButtonRelease, at);
}
inline void DoubleClick(QWidget* w) { DoubleClick(w, w->rect().center()); }

}  // namespace burnmark::testing
