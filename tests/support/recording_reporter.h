#pragma once
// An error reporter that remembers the codes instead of showing a box.

#include "common/failure.h"

#include <vector>

namespace tovira::testing {

class RecordingReporter final : public ErrorReporter {
 public:
  RecordingReporter() : scope_(*this) {}
  void report(ErrorCode code) override { codes.push_back(code); }
  std::vector<ErrorCode> codes;

 private:
  ScopedErrorReporter scope_;
};

}  // namespace tovira::testing
