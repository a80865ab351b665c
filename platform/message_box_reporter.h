#pragma once
// Shows a failure as the modal critical message box titled "ToviraWatch".

#include "common/failure.h"

namespace tovira {

class MessageBoxReporter final : public ErrorReporter {
 public:
  void report(ErrorCode code) override;
};

}  // namespace tovira
