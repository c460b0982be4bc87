#include "qt/main_window.hpp"

#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "qt/chart_view.hpp"
#include "qt/dialogs.hpp"
#include "qt/value_bar.hpp"
#include "qt/visits_window.hpp"
#include "app/stand_in_dialogs.hpp"

namespace varnel::qt {

namespace {

QColor colour(std::uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(0xFF000000u | rgb)); }

// The table gives point sizes for a 96-dpi screen; pixel sizes keep the
// texts inside their fixed boxes whatever the screen's dpi. The boxes were
// laid out for a small, narrow face: today's sans faces look as large at 90 %
// of the pixel size (their lower case is taller), and a face wider than about
// 0.48 em a character is condensed to that, or "Degrees C" and "Calc Now"
// would not fit.
QFont fontFor(double points) {
  QFont font;
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  const int pixels = static_cast<int>(std::lround(0.9 * points * 96.0 / 72.0));
  font.setPixelSize(pixels);
  const QString sample = QStringLiteral("Degrees C");
  const int wanted = static_cast<int>(0.48 * pixels * static_cast<double>(sample.size()));
  for (int stretch = 100; stretch > 70 && QFontMetrics(font).horizontalAdvance(sample) > wanted; stretch -= 2)
    font.setStretch(stretch - 2);
  return font;
}

// Push buttons do not wrap their captions; break them at blanks where two
// lines fit, as the small square "Calc Now" buttons need.
QString wrapped(const QString& text, const QFont& font, int width, int height) {
  const QFontMetrics metrics(font);
  if (metrics.horizontalAdvance(text) <= width || height < 2 * metrics.lineSpacing()) return text;
  const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  QString result, line;
  for (const QString& word : words) {
    const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
    if (!line.isEmpty() && metrics.horizontalAdvance(candidate) > width) {
      result += line + QLatin1Char('\n');
      line = word;
    } else {
      line = candidate;
    }
  }
  return result + line;
}

// Some labels reach under the boxes placed over their right end ("Slope
// Comparison" under its first result box); their text wraps before them.
int coveredRight(const app::ControlDef& label) {
  const QRect area(label.x, label.y, label.w, label.h);
  int right = 0;
  for (const app::ControlDef& other : app::controls()) {
    if (other.kind == app::Kind::Label || other.kind == app::Kind::Frame || other.x <= label.x) continue;
    const QRect overlap = area.intersected(QRect(other.x, other.y, other.w, other.h));
    if (overlap.width() > 2 && overlap.height() > 2) right = std::max(right, area.right() + 1 - other.x);
  }
  return right;
}

// The one local file a drag carries, or "" when it carries anything else
// (several files, a folder, a remote URL, plain text).
QString draggedFile(const QMimeData* data) {
  if (!data || !data->hasUrls()) return {};
  const QList<QUrl> urls = data->urls();
  if (urls.size() != 1 || !urls.first().isLocalFile()) return {};
  QString path = urls.first().toLocalFile();
  if (path.isEmpty() || QFileInfo(path).isDir()) return {};
  return path;
}

constexpr int kButtonPadding = 6;  // frame and margin of a push button, both sides together

}  // namespace

QString MainWindow::controlName(std::string_view name, int index) {
  QString result = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  if (index >= 0) result += QLatin1Char('(') + QString::number(index) + QLatin1Char(')');
  return result;
}

MainWindow::MainWindow(app::Form& form, QWidget* parent) : QMainWindow(parent), form_(form) {
  setWindowTitle(QString::fromUtf8(app::kCaption));

  fileMenu_ = menuBar()->addMenu(QString::fromUtf8(app::kMenuCaption));
  fileMenu_->setObjectName(QStringLiteral("file"));
  for (const app::MenuItem& item : app::menuItems()) {
    QAction* action = fileMenu_->addAction(QString::fromUtf8(item.caption));
    action->setObjectName(QString::fromUtf8(item.name));
    const char* name = item.name;
    connect(action, &QAction::triggered, this, [this, name] { forward([this, name] { form_.click(name); }); });
  }

  visitsMenu_ = menuBar()->addMenu(QStringLiteral("&Visits"));
  visitsMenu_->setObjectName(QStringLiteral("visitsMenu"));
  QAction* compare = visitsMenu_->addAction(QStringLiteral("Compare &Visits\u2026"));
  compare->setObjectName(QStringLiteral("compareVisits"));
  connect(compare, &QAction::triggered, this, [this] { visitsWindow(); });

  patientsMenu_ = menuBar()->addMenu(QStringLiteral("&Patients"));
  patientsMenu_->setObjectName(QStringLiteral("patientsMenu"));
  QAction* patients = patientsMenu_->addAction(QStringLiteral("Open &Patients\u2026"));
  patients->setObjectName(QStringLiteral("openPatients"));

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  client->setFixedSize(app::kClientWidth, app::kClientHeight);
  QPalette palette = client->palette();
  palette.setColor(QPalette::Window, colour(app::kWindowBackground));
  palette.setColor(QPalette::WindowText, Qt::black);
  client->setPalette(palette);
  client->setAutoFillBackground(true);
  setCentralWidget(client);

  for (const app::ControlDef& def : app::controls()) controls_.push_back({&def, build(def, client)});
  // Frames only group: the controls drawn over them keep their own places.
  for (const Bound& c : controls_)
    if (c.def->kind == app::Kind::Frame) c.widget->lower();

  layout()->setSizeConstraint(QLayout::SetFixedSize);
  refresh();
}

QWidget* MainWindow::build(const app::ControlDef& def, QWidget* parent) {
  const char* name = def.name;
  const int index = def.index;
  QWidget* widget = nullptr;
  switch (def.kind) {
    case app::Kind::Label: {
      auto* label = new QLabel(parent);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(true);
      label->setTextFormat(Qt::PlainText);
      label->setContentsMargins(0, 0, coveredRight(def), 0);
      widget = label;
      break;
    }
    case app::Kind::TextBox: {
      auto* box = new QLineEdit(parent);
      box->setAlignment(def.alignRight ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
      box->setReadOnly(def.readOnly);
      // Boxes only the program writes take no keyboard focus.
      if (def.readOnly) box->setFocusPolicy(Qt::NoFocus);
      if (def.opensScan) box->installEventFilter(this);
      connect(box, &QLineEdit::textEdited, this, [this, name, index](const QString& typed) {
        forward([&] {
          if (std::string* text = form_.text(name, index)) *text = typed.toStdString();
        });
      });
      widget = box;
      break;
    }
    case app::Kind::Button: {
      auto* button = new QPushButton(parent);
      button->setAutoDefault(false);
      connect(button, &QPushButton::clicked, this,
              [this, name, index] { forward([this, name, index] { form_.click(name, index); }); });
      widget = button;
      break;
    }
    case app::Kind::Frame:
      widget = new QGroupBox(parent);
      break;
    case app::Kind::ScrollBar: {
      auto* bar = new ValueBar(parent);
      connect(bar, &ValueBar::moved, this, [this, name](int v) {
        forward([this, name, v] {
          if (app::ScrollBar* formBar = form_.scrollBar(name)) formBar->setValue(v);
        });
      });
      widget = bar;
      break;
    }
    case app::Kind::Chart:
      widget = chart_ = new ChartView(form_.Picture1, parent);
      break;
  }
  widget->setObjectName(controlName(name, index));
  widget->setGeometry(def.x, def.y, def.w, def.h);
  widget->setFont(fontFor(def.fontPt));
  if (def.kind != app::Kind::ScrollBar && def.kind != app::Kind::Chart) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour(def.fg));
    palette.setColor(QPalette::ButtonText, colour(def.fg));
    palette.setColor(QPalette::Text, colour(def.fg));
    palette.setColor(QPalette::Button, colour(def.bg));
    if (def.kind == app::Kind::TextBox) palette.setColor(QPalette::Base, colour(def.bg));
    widget->setPalette(palette);
  }
  return widget;
}

QWidget* MainWindow::control(std::string_view name, int index) const {
  for (const Bound& c : controls_)
    if (name == c.def->name && index == c.def->index) return c.widget;
  return nullptr;
}

void MainWindow::forward(const std::function<void()>& event) {
  event();
  refresh();
}

// Only the boxes that open a scan are watched. A click on one, a press and
// a release over it as a button takes it, runs its handler. A press that
// Qt reports as the second half of a double click counts as a press too:
// a user who cancels the dialog and clicks again at once is not ignored.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const Bound* box = nullptr;
  for (const Bound& c : controls_)
    if (c.widget == watched) box = &c;
  if (!box) return QMainWindow::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return fileDrop(*box, event);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) break;
      pressed_ = box->widget;
      return true;
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) break;
      const bool over = pressed_ == box->widget && box->widget->rect().contains(mouse->position().toPoint());
      pressed_ = nullptr;
      if (over) forward([&] { form_.click(box->def->name, box->def->index); });
      return true;
    }
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

// Every drag over a file-name box ends here: it takes one scan file and
// nothing else, never dropped text.
bool MainWindow::fileDrop(const Bound& c, QEvent* event) {
  auto* drop = static_cast<QDropEvent*>(event);
  const QString path = dialog_ ? draggedFile(drop->mimeData()) : QString();
  // Only ever a copy: a drag accepted as a move would let the program the
  // file came from delete it.
  if (path.isEmpty() || !(drop->possibleActions() & Qt::CopyAction)) {
    drop->ignore();
    return true;
  }
  drop->setDropAction(Qt::CopyAction);
  drop->accept();
  if (event->type() == QEvent::Drop) {
    // Loaded once the drop is over: a message box shown inside the drop
    // would keep the program the file came from waiting.
    const int index = c.def->index;
    QMetaObject::invokeMethod(
        this, [this, index, path] { openDropped(index, path); }, Qt::QueuedConnection);
  }
  return true;
}

void MainWindow::openDropped(int index, const QString& path) {
  if (!dialog_) return;
  dialog_->answerOnce(path);
  form_.click("Filename", index);
  dialog_->forgetAnswer();
  refresh();
}

VisitsWindow* MainWindow::visitsWindow() {
  if (!visits_) {
    visits_ = new VisitsWindow(this, this);
    // Beside this window, where the screen has room.
    const QRect frame = frameGeometry();
    visits_->move(frame.right() + 8, frame.top());
  }
  visits_->show();
  visits_->raise();
  visits_->activateWindow();
  return visits_;
}

void MainWindow::openVisits(const QStringList& files) { visitsWindow()->setVisits(files); }

void MainWindow::openComparison(const std::vector<batch::Action>& actions) {
  if (!dialog_) return;
  // A comparison without outputs asks nothing of the box itself: the form
  // shows what goes wrong in its own.
  app::RecordedMessages unused;
  for (const batch::Action& a : actions) {
    if (!a.answer.empty()) dialog_->answerOnce(QString::fromStdString(a.answer));
    a.run(form_, *dialog_, unused);
    dialog_->forgetAnswer();
  }
  refresh();
}

void MainWindow::refresh() {
  for (const Bound& c : controls_) showControl(c);
}

void MainWindow::showControl(const Bound& c) {
  const app::ControlDef& def = *c.def;
  const QSignalBlocker quiet(c.widget);
  QString text;
  if (const std::string* live = form_.text(def.name, def.index))
    text = QString::fromStdString(*live);
  else
    text = QString::fromUtf8(def.text);

  switch (def.kind) {
    case app::Kind::Label: {
      auto* label = static_cast<QLabel*>(c.widget);
      if (label->text() != text) label->setText(text);
      break;
    }
    case app::Kind::TextBox: {
      auto* box = static_cast<QLineEdit*>(c.widget);
      // Untouched when unchanged, so typing keeps its cursor. A new text is
      // shown from its start, except a path: its end names the file, and the
      // whole path stands in the tooltip.
      if (box->text() != text) {
        box->setText(text);
        box->setCursorPosition(def.opensScan ? static_cast<int>(text.size()) : 0);
        if (def.opensScan) box->setToolTip(text);
      }
      break;
    }
    case app::Kind::Button: {
      auto* button = static_cast<QPushButton*>(c.widget);
      const QString caption = wrapped(text, button->font(), def.w - kButtonPadding, def.h);
      if (button->text() != caption) button->setText(caption);
      break;
    }
    case app::Kind::Frame: {
      auto* frame = static_cast<QGroupBox*>(c.widget);
      if (frame->title() != text) frame->setTitle(text);
      break;
    }
    case app::Kind::ScrollBar:
      if (const app::ScrollBar* bar = form_.scrollBar(def.name)) static_cast<ValueBar*>(c.widget)->display(*bar);
      break;
    case app::Kind::Chart:
      chart_->refresh();
      break;
  }
}

}  // namespace varnel::qt
