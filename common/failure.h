#pragma once
// The one failure convention of the program: an operation that hits a fault
// shows "(CODE:nnn)致命的なエラー発生" in a critical box titled "ToviraWatch" and
// returns at once; its caller carries on as if it had succeeded.
//
// Faults travel as exceptions. Operations without a guard of their own simply
// let them pass to the guard of whoever called them.

#include <stdexcept>
#include <string>
#include <string_view>

namespace tovira {

enum class ErrorCode : int {
  StartClick = 1,           // Click of cmdStart
  LapClick = 2,             // Click of cmdLap
  RecordStop = 3,
  Load = 4,                 // the window's Load event
  Unload = 5,               // the window's Unload event
  ShowSSK = 6,              // renderers, by display mode
  ShowSec = 7,
  ShowHMS = 8,
  ShowFrame24 = 9,
  Resize = 10,
  ShowAnalogWatch = 11,
  ShowDigitalWatch = 12,
  ClockTimer = 13,          // periodic event of tmrClock
  ReadIniValue = 101,
  WriteIniValue = 102,
  FrameStartFromMillis = 103,
  DrawDialNumber = 104,
  ArrangeControls = 105,
  LoadSettings = 106,
  SaveSettings = 107,
  FrameFromMillis = 108,
  DrawDialHand = 109,
};

// A run-time fault inside an operation (overflow, failed control or file operation).
class Fault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] void RaiseFault(const char* what);

// The title of every failure box.
inline constexpr std::u16string_view kFailureBoxTitle = u"ToviraWatch";

// "(CODE:001)致命的なエラー発生"
std::u16string FailureMessage(ErrorCode code);

// Where failures are shown: each front end installs its modal critical message
// box (titled kFailureBoxTitle, with an OK button); tests install one that records.
class ErrorReporter {
 public:
  virtual ~ErrorReporter() = default;
  virtual void report(ErrorCode code) = 0;
};

// The reporter in force. Without one installed, failures go to standard error.
ErrorReporter& CurrentErrorReporter();
void ReportFailure(ErrorCode code);

// Installs a reporter for the lifetime of this object, restoring the previous one after.
class ScopedErrorReporter {
 public:
  explicit ScopedErrorReporter(ErrorReporter& reporter);
  ~ScopedErrorReporter();
  ScopedErrorReporter(const ScopedErrorReporter&) = delete;
  ScopedErrorReporter& operator=(const ScopedErrorReporter&) = delete;

 private:
  ErrorReporter* previous_;
};

// Runs op; on a fault reports code and returns false. Faults never escape a guard.
template <class Operation>
bool Guarded(ErrorCode code, Operation&& op) noexcept {
  try {
    op();
    return true;
  } catch (const std::exception&) {
    ReportFailure(code);
    return false;
  }
}

}  // namespace tovira
