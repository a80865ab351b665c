#include "common/failure.h"

#include <cstdio>

namespace tovira {
namespace {

class StandardErrorReporter final : public ErrorReporter {
 public:
  void report(ErrorCode code) override {
    std::fprintf(stderr, "ToviraWatch: %s\n", FailureMessage(code).toLocal8Bit().constData());
  }
};

StandardErrorReporter standardErrorReporter;
ErrorReporter* installedReporter = nullptr;

}  // namespace

[[noreturn]] void RaiseFault(const char* what) { throw Fault(what); }

QString FailureMessage(ErrorCode code) {
  return QStringLiteral("(CODE:%1)致命的なエラー発生").arg(static_cast<int>(code), 3, 10, QChar(u'0'));
}

ErrorReporter& CurrentErrorReporter() {
  return installedReporter ? *installedReporter : standardErrorReporter;
}

void ReportFailure(ErrorCode code) { CurrentErrorReporter().report(code); }

ScopedErrorReporter::ScopedErrorReporter(ErrorReporter& reporter) : previous_(installedReporter) {
  installedReporter = &reporter;
}

ScopedErrorReporter::~ScopedErrorReporter() { installedReporter = previous_; }

}  // namespace tovira
