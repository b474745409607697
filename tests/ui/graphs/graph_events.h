#pragma once

// Mouse, key and wheel events sent straight to a graph, without a window system in between.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>

namespace graph_events {

inline void mouse(QWidget& widget, QEvent::Type type, QPointF at, Qt::MouseButton button,
                  Qt::MouseButtons held) {
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

inline void press(QWidget& widget, QPointF at) {
    mouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}
inline void move(QWidget& widget, QPointF at, bool held = true) {
    mouse(widget, QEvent::MouseMove, at, Qt::NoButton, held ? Qt::LeftButton : Qt::NoButton);
}
inline void release(QWidget& widget, QPointF at) {
    mouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}
inline void drag(QWidget& widget, QPointF from, QPointF to) {
    press(widget, from);
    move(widget, to);
    release(widget, to);
}

inline void key(QWidget& widget, int code, const QString& text = {}) {
    QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &event);
}

inline void wheel(QWidget& widget, QPoint angle) {
    const QPointF at(widget.width() / 2.0, widget.height() / 2.0);
    QWheelEvent event(at, widget.mapToGlobal(at), QPoint(), angle, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
}

// Shows `widget` at side x side and waits until it has been laid out.
inline bool show_square(QWidget& widget, int side) {
    widget.resize(side, side);
    widget.show();
    return QTest::qWaitForWindowExposed(&widget) &&
           QTest::qWaitFor([&] { return widget.size() == QSize(side, side); }, 2000);
}

}  // namespace graph_events
