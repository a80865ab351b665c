// ToviraWatch for Windows: a stopwatch for animators.

#include "common/failure.h"
#include "settings/program_directory.h"
#include "platform/win32_services.h"
#include "windows/stopwatch_window.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  using namespace tovira;
  // Every failure, from the first, in the critical box titled "ToviraWatch".
  win32::Win32Machine machine;
  const ScopedErrorReporter installed(machine.failures);
  const win32::ComApartment com;  // for screen readers
  try {
    win32::StopwatchWindow window(instance, machine, ProgramDirectory());
    window.LoadAndShow(showCommand);
    return win32::RunMessageLoop(window);
  } catch (const std::exception&) {
    // No window to start up in: the failure is start-up's.
    ReportFailure(ErrorCode::Load);
    return 1;
  }
}
