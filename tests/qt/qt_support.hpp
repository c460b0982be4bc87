#pragma once
// User input sent to a widget the way Qt delivers it, and answers to modal
// dialogs (the QApplication comes from application.cpp).
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <functional>

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

// Runs `user` on the modal dialog of type D once it is up.
template <class D>
void whenShown(std::function<void(D*)> user) {
  QTimer::singleShot(0, [user] {
    QWidget* up = QApplication::activeModalWidget();
    auto* d = qobject_cast<D*>(up);
    if (!d) {
      ADD_FAILURE() << "the dialog did not come up";
      if (up) up->close();
      return;
    }
    user(d);
  });
}

}  // namespace varnel::test
