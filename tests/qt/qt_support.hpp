#pragma once
// User input sent to a widget the way Qt delivers it (the QApplication
// comes from application.cpp).
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace varnel::test {

inline void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

inline void click(QWidget* w, QPoint at) {
  mouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton);
  mouse(w, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

inline void drag(QWidget* w, QPoint from, QPoint to) {
  mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton);
  mouse(w, QEvent::MouseMove, to, Qt::LeftButton);
  mouse(w, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

inline void key(QWidget* w, int k, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, text);
  QApplication::sendEvent(w, &release);
}

}  // namespace varnel::test
