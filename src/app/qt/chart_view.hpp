#pragma once
#include <QImage>
#include <QWidget>
#include <cstdint>

#include "app/dialogs.hpp"
#include "app/qt/dialogs.hpp"
#include "chart/surface.hpp"

class QAction;

namespace varnel::qt {

// Shows the form's chart surface pixel for pixel inside a 1-pixel border.
// The surface is the picture: nothing is scaled, smoothed or drawn here.
// Its context menu copies the picture or saves it as a PNG file; neither
// touches the form.
class ChartView : public QWidget {
  Q_OBJECT

 public:
  explicit ChartView(const chart::Surface& surface, QWidget* parent = nullptr);

  // Schedules a repaint when the surface has been drawn on since last shown.
  void refresh();

  // Where a failed save is reported; a box of the view's own until set.
  void setMessageBox(app::MessageBox* messages) { messages_ = messages ? messages : &ownBox_; }
  // The dialog that asks where to save; Qt's own until set.
  void setFileDialog(app::FileDialog* dialog) { dialog_ = dialog ? dialog : &ownDialog_; }

  QAction* copyAction() const { return copy_; }
  QAction* saveAction() const { return save_; }

  // "Copy Chart": the surface's pixels onto the clipboard as an image.
  void copyChart();
  // "Save Chart as PNG...": asks for a name, then writes the surface's pixels.
  void saveChart();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const chart::Surface& surface_;
  QImage image_;
  std::uint64_t shown_;
  QAction* copy_;
  QAction* save_;
  QtMessageBox ownBox_;
  app::MessageBox* messages_ = &ownBox_;
  QtFileDialog ownDialog_{QStringLiteral("png")};
  app::FileDialog* dialog_ = &ownDialog_;
};

}  // namespace varnel::qt
