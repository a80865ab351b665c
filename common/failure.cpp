#include "common/failure.h"

#include "common/text.h"

#include <cstdio>

namespace tovira {
namespace {

class StandardErrorReporter final : public ErrorReporter {
 public:
  void report(ErrorCode code) override {
    std::fprintf(stderr, "ToviraWatch: %s\n", Utf8(FailureMessage(code)).c_str());
  }
};

StandardErrorReporter standardErrorReporter;
ErrorReporter* installedReporter = nullptr;

}  // namespace

[[noreturn]] void RaiseFault(const char* what) { throw Fault(what); }

std::u16string FailureMessage(ErrorCode code) {
  const int number = static_cast<int>(code);
  std::u16string text = u"(CODE:000)致命的なエラー発生";
  text[6] = static_cast<char16_t>(u'0' + number / 100 % 10);
  text[7] = static_cast<char16_t>(u'0' + number / 10 % 10);
  text[8] = static_cast<char16_t>(u'0' + number % 10);
  return text;
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
