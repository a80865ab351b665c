#include "platform/message_box_reporter.h"

#include <QApplication>
#include <QMessageBox>

namespace tovira {

void MessageBoxReporter::report(ErrorCode code) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("ToviraWatch"), FailureMessage(code), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.setObjectName(QStringLiteral("ToviraWatchFailure"));
  box.exec();
}

}  // namespace tovira
