#include "platform/message_box_reporter.h"

#include <QApplication>
#include <QMessageBox>

namespace tovira {

void MessageBoxReporter::report(ErrorCode code) {
  QMessageBox box(QMessageBox::Critical, QString::fromStdU16String(std::u16string(kFailureBoxTitle)),
                  QString::fromStdU16String(FailureMessage(code)), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.setObjectName(QStringLiteral("ToviraWatchFailure"));
  box.exec();
}

}  // namespace tovira
