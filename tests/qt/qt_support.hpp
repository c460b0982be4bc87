#pragma once
// User input sent to a widget the way Qt delivers it, answers to modal
// dialogs, and a small scan (the QApplication comes from application.cpp).
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <cmath>
#include <functional>

#include "support/scripted.hpp"

namespace varnel::test {

// Press at `from`, move to `to` if it differs, release there.
inline void drag(QWidget* w, QPoint from, QPoint to) {
  const auto send = [w](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  };
  send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  if (to != from) send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

inline void key(QWidget* w, int k, const QString& text = {}) {
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent e(type, k, Qt::NoModifier, text);
    QApplication::sendEvent(w, &e);
  }
}

// Runs `user` on the modal dialog of type D once it is up.
template <class D>
void whenShown(std::function<void(D*)> user) {
  QTimer::singleShot(0, [user] {
    QWidget* up = QApplication::activeModalWidget();
    if (auto* d = qobject_cast<D*>(up)) return user(d);
    ADD_FAILURE() << "the dialog did not come up";
    if (up) up->close();
  });
}

// Types the name and presses Open/Save.
inline void typeAndAccept(QFileDialog* d, const std::string& name) {
  d->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(name));
  static_cast<QDialog*>(d)->accept();
}

inline std::string smallScan(int n, double phase) {
  std::vector<std::pair<double, double>> r;
  for (int i = 0; i < n; ++i) r.push_back({30 + 2 * std::sin(i / 30.0 + phase), 29 + std::cos(i / 40.0)});
  return scanText(r);
}

// Whether the picture holds the chart surface's pixels, opaque.
inline bool showsSurface(const QImage& picture, const chart::Surface& s) {
  const QImage surface(reinterpret_cast<const uchar*>(s.bits()), s.ScaleWidth(), s.ScaleHeight(), QImage::Format_RGB32);
  return picture.convertToFormat(QImage::Format_ARGB32) == surface.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace varnel::test
