// A Qt plugin that the end-to-end tests load into the real program through
// QT_QPA_GENERIC_PLUGINS. It appends the text of every message box the program
// shows to the file named by TOVIRA_E2E_BOX_LOG, one line per box, because a
// box's text cannot be read from outside over X11.

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QGenericPlugin>
#include <QMessageBox>

namespace {

class BoxRecorder final : public QObject {
 public:
  explicit BoxRecorder(QString logPath) : logPath_(std::move(logPath)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      if (const auto* box = qobject_cast<const QMessageBox*>(watched)) record(box->text());
    }
    return false;
  }

 private:
  void record(const QString& text) const {
    QFile log(logPath_);
    if (!log.open(QIODevice::Append | QIODevice::Text)) return;
    log.write(text.toUtf8() + '\n');
  }

  QString logPath_;
};

}  // namespace

class BoxProbePlugin final : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "box_probe.json")

 public:
  QObject* create(const QString&, const QString&) override {
    const QString logPath = qEnvironmentVariable("TOVIRA_E2E_BOX_LOG");
    if (logPath.isEmpty()) return nullptr;
    auto* recorder = new BoxRecorder(logPath);
    QCoreApplication::instance()->installEventFilter(recorder);
    return recorder;
  }
};

#include "box_probe.moc"
