// A Qt plugin that the end-to-end tests load into the real program through
// QT_QPA_GENERIC_PLUGINS, to see what cannot be read from outside over X11:
// - TOVIRA_E2E_BOX_LOG: the text of every message box the program shows, one line per box;
// - TOVIRA_E2E_STATE_LOG: after every mouse button or key released, one JSON line with
//   how many releases the program has seen and what the window shows then: the
//   buttons' captions and visibility, the lap list's lines and selection, the time
//   label, the menu check marks, which control has the keyboard focus, the window's
//   device pixel ratio, and where each element is on the screen and in the window
//   (and a spot of bare background), so a test knows where to click and to look.

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QGenericPlugin>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace {

void AppendLine(const QString& path, const QByteArray& line) {
  QFile log(path);
  if (!log.open(QIODevice::Append)) return;
  log.write(line + '\n');
}

QJsonArray ScreenRect(const QWidget* widget, QRect rect) {
  const QPoint topLeft = widget->mapToGlobal(rect.topLeft());
  return {topLeft.x(), topLeft.y(), rect.width(), rect.height()};
}

QJsonObject Control(const QWidget* widget) {
  const QRect inWindow(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
  QJsonObject control{{"shown", widget->isVisible()},
                      {"rect", ScreenRect(widget, widget->rect())},
                      {"inWindow", QJsonArray{inWindow.x(), inWindow.y(), inWindow.width(), inWindow.height()}}};
  if (const auto* button = qobject_cast<const QPushButton*>(widget)) control["text"] = button->text();
  if (QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(const_cast<QWidget*>(widget))) {
    control["name"] = accessible->text(QAccessible::Name);
  }
  return control;
}

QJsonObject LapList(const QAbstractItemView* list) {
  QJsonArray lines, rows;
  const QAbstractItemModel* model = list->model();
  for (int row = 0; row < model->rowCount(); ++row) {
    const QModelIndex index = model->index(row, 0);
    lines.append(index.data().toString());
    rows.append(ScreenRect(list->viewport(), list->visualRect(index)));
  }
  QJsonArray selected;
  for (const QModelIndex& index : list->selectionModel()->selectedIndexes()) selected.append(index.row());
  QJsonObject state = Control(list);
  state["lines"] = lines;
  state["rows"] = rows;
  state["selected"] = selected;
  state["viewport"] = ScreenRect(list->viewport(), list->viewport()->rect());
  return state;
}

// A spot of the client area that no control covers, with room around it.
QJsonArray BareBackground(const QWidget* client) {
  constexpr int kRoom = 4;
  auto bare = [&](QPoint p) {
    for (const QPoint d : {QPoint(0, 0), QPoint(-kRoom, -kRoom), QPoint(kRoom, -kRoom), QPoint(-kRoom, kRoom),
                           QPoint(kRoom, kRoom)}) {
      if (!client->rect().contains(p + d) || client->childAt(p + d)) return false;
    }
    return true;
  };
  for (int y = client->height() - 1 - kRoom; y >= kRoom; --y) {
    const QPoint spot(client->width() / 2, y);
    if (bare(spot)) {
      const QPoint global = client->mapToGlobal(spot);
      return {global.x(), global.y()};
    }
  }
  return {};
}

class WindowProbe final : public QObject {
 public:
  WindowProbe(QString boxLog, QString stateLog) : boxLog_(std::move(boxLog)), stateLog_(std::move(stateLog)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && !boxLog_.isEmpty()) {
      if (const auto* box = qobject_cast<const QMessageBox*>(watched)) AppendLine(boxLog_, box->text().toUtf8());
    }
    const bool released = event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::KeyRelease;
    if (!released || stateLog_.isEmpty() || !watched->isWidgetType()) return false;
    // One release reaches every widget it propagates to; the server's time tells them apart.
    const auto timestamp = static_cast<QInputEvent*>(event)->timestamp();
    if (timestamp != lastRelease_) ++releases_;
    lastRelease_ = timestamp;
    if (!dumpPending_) {
      // After the event is handled. Releases that come in one batch share a line.
      dumpPending_ = true;
      QTimer::singleShot(0, this, [this] {
        dumpPending_ = false;
        dumpState();
      });
    }
    return false;
  }

 private:
  void dumpState() {
    QMainWindow* window = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->objectName() == QLatin1String("frmStopwatch")) window = qobject_cast<QMainWindow*>(top);
    }
    if (!window) return;
    const QWidget* focus = QApplication::focusWidget();
    QJsonObject state{{"releases", releases_},
                      {"caption", window->windowTitle()},
                      {"focus", focus ? focus->objectName() : QString()}};
    for (const char* name : {"cmdStart", "cmdLap", "lblTime", "imgWatch"}) {
      if (const auto* widget = window->findChild<QWidget*>(QString::fromLatin1(name))) state[name] = Control(widget);
    }
    if (const auto* list = window->findChild<QAbstractItemView*>(QStringLiteral("lstLap"))) {
      state["lstLap"] = LapList(list);
    }
    QJsonObject checked;
    for (const QAction* action : window->findChildren<QAction*>()) {
      if (action->isCheckable() && !action->objectName().isEmpty()) checked[action->objectName()] = action->isChecked();
    }
    state["checked"] = checked;
    state["background"] = BareBackground(window->centralWidget());
    state["ratio"] = window->devicePixelRatioF();
    AppendLine(stateLog_, QJsonDocument(state).toJson(QJsonDocument::Compact));
  }

  QString boxLog_;
  QString stateLog_;
  bool dumpPending_ = false;
  int releases_ = 0;
  quint64 lastRelease_ = 0;
};

}  // namespace

class WindowProbePlugin final : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "window_probe.json")

 public:
  QObject* create(const QString&, const QString&) override {
    auto* probe = new WindowProbe(qEnvironmentVariable("TOVIRA_E2E_BOX_LOG"), qEnvironmentVariable("TOVIRA_E2E_STATE_LOG"));
    QCoreApplication::instance()->installEventFilter(probe);
    return probe;
  }
};

#include "window_probe.moc"
