#include "windows/stopwatch_window.h"

#include "windows/control_ids.h"
#include "windows/menu_bar.h"
#include "windows/resource_ids.h"
#include "windows/wide_text.h"

#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

namespace tovira::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"ToviraWatch";
// A fixed width: the user may change the window's height, which the lap list follows.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr UINT_PTR kRefreshTimer = 1;

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;  // double clicks on the background
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(TOVIRA_ICON), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  // No background of the class: the window erases in the colour of the scheme.
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    RaiseFault("the window class could not be registered");
  }
}

struct ControlDefinition {
  Control control;
  const wchar_t* windowClass;
  std::u16string_view text;
  DWORD style;
  int id;
};

// In their creation order. The digit strip is hidden; the pictures and the label
// take the mouse (SS_NOTIFY), which plain statics would pass to the window below.
// The list holds the lines as written and draws them itself, with the stand-ins.
constexpr ControlDefinition kControls[] = {
    {Control::imgNumber, L"STATIC", u"", SS_OWNERDRAW, kDigitStripId},
    {Control::cmdLap, L"BUTTON", design::kLapCaption, WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, kResetLapButtonId},
    {Control::lstLap, L"LISTBOX", u"",
     WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT, kLapListId},
    {Control::cmdStart, L"BUTTON", design::kStartCaption, WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, kStartStopButtonId},
    {Control::imgWatch, L"STATIC", u"", WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY, kDialId},
    {Control::lblTime, L"STATIC", design::kTimeLabelText, WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY, kTimeLabelId},
};

}  // namespace

FineTimerResolution::FineTimerResolution() { timeBeginPeriod(1); }
FineTimerResolution::~FineTimerResolution() { timeEndPeriod(1); }

StopwatchWindow::StopwatchWindow(HINSTANCE instance, Win32Machine& machine, std::string programDirectory)
    : instance_(instance),
      machine_(machine),
      canvas_(LoadDialPictures(instance, 1)),
      form_(WindowParts{*this, *this, *this, *this, *this, canvas_, *this},
            MachineServices{machine.ticks, machine.sound, machine.cursor, machine.stacking, machine.numbers,
                            std::move(programDirectory)}) {
  RegisterWindowClass(instance, WindowProcedure);
  UniqueMenu menuBar = CreateMenuBar();
  MONITORINFO primary{};
  primary.cbSize = sizeof primary;
  GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary);
  // Made on the primary monitor first, to learn its density; sized and centred after.
  CreateWindowExW(0, kWindowClass, Wide(design::kWindowCaption).c_str(), kStyle, primary.rcWork.left,
                  primary.rcWork.top, 0, 0, nullptr, menuBar.get(), instance, this);
  if (!window_) RaiseFault("the window could not be made");
  menuBar.release();  // the window destroys its menu bar
  machine_.stacking.setWindow(window_.get());
  machine_.failures.setOwner(window_.get());

  if (const int ratio = ArtworkRatioForDpi(dpi_); ratio != canvas_.ratio()) {
    canvas_.usePictures(LoadDialPictures(instance, ratio));
  }
  const SIZE frame = frameSize(design::kClientArea.height);
  const RECT& work = primary.rcWork;
  SetWindowPos(window_.get(), nullptr, work.left + (work.right - work.left - frame.cx) / 2,
               work.top + (work.bottom - work.top - frame.cy) / 2, frame.cx, frame.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  applyIcons();
  createControls();
  ready_ = true;
}

// A window still there goes with the members below the stopwatch; what it is sent
// meanwhile reaches the stopwatch no more.
StopwatchWindow::~StopwatchWindow() { ready_ = false; }

void StopwatchWindow::createControls() {
  for (const ControlDefinition& definition : kControls) {
    HWND control = CreateWindowExW(definition.control == Control::lstLap ? WS_EX_CLIENTEDGE : 0,
                                   definition.windowClass, Wide(definition.text).c_str(), WS_CHILD | definition.style,
                                   0, 0, 0, 0, window_.get(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(definition.id)), instance_, nullptr);
    if (!control) RaiseFault("a control could not be made");
    controls_[static_cast<std::size_t>(definition.control)] = control;
    // The controls' messages come here first. (Not through SetWindowSubclass, whose
    // every message asks for a window property, a round trip to Wine's server.)
    if (definition.control != Control::imgNumber) {
      SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      controlProcedures_[static_cast<std::size_t>(definition.control)] = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProcedure)));
    }
    place(definition.control, form_.rectOf(definition.control));
  }
  // Tab goes through the controls by their order on screen: Start first, then
  // Lap and the list. (The label and the pictures take no focus.)
  SetWindowPos(controlOf(Control::cmdStart), controlOf(Control::imgNumber), 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  applyFonts();
}

void StopwatchWindow::applyFonts() {
  UniqueFont buttons = CreateDesignFont(Control::cmdStart, dpi_);
  UniqueFont label = CreateDesignFont(Control::lblTime, dpi_);
  UniqueFont list = CreateDesignFont(Control::lstLap, dpi_);
  for (const auto& [control, font] : {std::pair{Control::cmdStart, buttons.get()}, {Control::cmdLap, buttons.get()},
                                      {Control::lblTime, label.get()}, {Control::lstLap, list.get()}}) {
    SendMessageW(controlOf(control), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  // The old fonts go once no control uses them.
  buttonFont_ = std::move(buttons);
  labelFont_ = std::move(label);
  listFont_ = std::move(list);
  SendMessageW(controlOf(Control::lstLap), LB_SETITEMHEIGHT, 0, lapLineHeight());
  chooseLapStandIns();
}

// A line as high as the list's font, as the list makes it for lines it draws itself.
int StopwatchWindow::lapLineHeight() const {
  const WindowDeviceContext screen(window_.get());
  const SelectedObject font(screen.get(), listFont_.get());
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen.get(), &metrics);
  return metrics.tmHeight;
}

// The lines are laid out in cells of the list's font, a digit's width each. A
// separator that the font lacks (another font would stand in for it) or draws wider
// or narrower than that is shown as a character of the same meaning that it does
// draw one cell wide, so that long times stand under short ones.
void StopwatchWindow::chooseLapStandIns() {
  const WindowDeviceContext screen(window_.get());
  const SelectedObject font(screen.get(), listFont_.get());
  const auto width = [&](wchar_t c) -> std::optional<INT> {
    WORD glyph = 0;
    INT advance = 0;
    if (GetGlyphIndicesW(screen.get(), &c, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) != 1 || glyph == 0xFFFF ||
        !GetCharWidth32W(screen.get(), c, c, &advance)) {
      return std::nullopt;
    }
    return advance;
  };
  const std::optional<INT> cell = width(L'0');
  lapStandIns_ = ChooseSeparatorStandIns(machine_.numbers.numberSymbols(),
                                         [&](char16_t c) { return cell && width(static_cast<wchar_t>(c)) == cell; });
  InvalidateRect(controlOf(Control::lstLap), nullptr, FALSE);
}

void StopwatchWindow::applyIcons() {
  for (auto [which, metric, owner] : {std::tuple{ICON_BIG, SM_CXICON, &bigIcon_}, {ICON_SMALL, SM_CXSMICON, &smallIcon_}}) {
    const int size = GetSystemMetricsForDpi(metric, dpi_);
    UniqueIcon icon(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(TOVIRA_ICON), IMAGE_ICON, size, size, 0)));
    SendMessageW(window_.get(), WM_SETICON, which, reinterpret_cast<LPARAM>(icon.get()));
    *owner = std::move(icon);
  }
}

void StopwatchWindow::LoadAndShow(int showCommand) {
  form_.Load();
  ShowWindow(window_.get(), showCommand);
}

// ---- The parts the stopwatch drives ---------------------------------------------------------

void StopwatchWindow::setWindowCaption(std::u16string_view text) { SetWindowTextW(window_.get(), Wide(text).c_str()); }

void StopwatchWindow::setButtonCaptions(std::u16string_view start, std::u16string_view lap) {
  SetWindowTextW(controlOf(Control::cmdStart), Wide(start).c_str());
  SetWindowTextW(controlOf(Control::cmdLap), Wide(lap).c_str());
}

void StopwatchWindow::setTimeText(std::u16string_view text) {
  SetWindowTextW(controlOf(Control::lblTime), Wide(text).c_str());
}

void StopwatchWindow::clearLines() { SendMessageW(controlOf(Control::lstLap), LB_RESETCONTENT, 0, 0); }

void StopwatchWindow::addLines(std::vector<std::u16string> lines) {
  const HWND list = controlOf(Control::lstLap);
  // Drawn once, after the last line: a new display mode rewrites every line.
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  bool added = true;
  for (const std::u16string& line : lines) {
    added = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(line).c_str())) >= 0;
    if (!added) break;
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  if (!added) RaiseFault("the lap list takes no more lines");
}

void StopwatchWindow::selectNewestLine() {
  const HWND list = controlOf(Control::lstLap);
  SendMessageW(list, LB_SETCURSEL, SendMessageW(list, LB_GETCOUNT, 0, 0) - 1, 0);
}

void StopwatchWindow::setChecked(MenuItem item, bool checked) {
  CheckMenuItem(GetMenu(window_.get()), CommandOf(item), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void StopwatchWindow::setVisible(Control control, bool visible) {
  const HWND hwnd = controlOf(control);
  // The keyboard's focus goes on to the next control rather than stay on a hidden one.
  if (!visible && GetFocus() == hwnd) SetFocus(GetNextDlgTabItem(window_.get(), hwnd, FALSE));
  ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

void StopwatchWindow::place(Control control, const TwipsRect& rect) {
  const PixelRect pixels = monitorTwipsPerPixel().toPixels(rect);
  MoveWindow(controlOf(control), pixels.left, pixels.top, pixels.width, pixels.height, TRUE);
}

// The stopwatch measures the dial, and draws on it, in the desktop's device-independent
// pixels, 15 twips each whatever the monitor: the dial keeps its size in twips, and
// with it its place among the controls, and the canvas draws it at the monitor's density.
TwipsPerPixel StopwatchWindow::twipsPerPixel() const { return canvas_.twipsPerPixel(); }

double StopwatchWindow::clientHeightTwips() const {
  RECT client;
  GetClientRect(window_.get(), &client);
  return monitorTwipsPerPixel().toTwipsY(client.bottom);
}

PixelRect StopwatchWindow::clientAreaOnScreen() const {
  RECT client;
  GetClientRect(window_.get(), &client);
  MapWindowPoints(window_.get(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  return PixelRect{client.left, client.top, client.right - client.left, client.bottom - client.top};
}

void StopwatchWindow::startTimer(int delayMs) {
  if (!fineTimers_) fineTimers_.emplace();
  SetTimer(window_.get(), kRefreshTimer, static_cast<UINT>(delayMs), nullptr);
  timerActive_ = true;
}

void StopwatchWindow::stopTimer() {
  KillTimer(window_.get(), kRefreshTimer);
  timerActive_ = false;
  fineTimers_.reset();
}

double StopwatchWindow::screenHertz() const {
  MONITORINFOEXW monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window_.get(), MONITOR_DEFAULTTONEAREST), &monitor);
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsW(monitor.szDevice, ENUM_CURRENT_SETTINGS, &mode)) return 0.0;
  // 0 and 1 stand for the hardware's default rate, which the system does not say.
  return mode.dmDisplayFrequency > 1 ? mode.dmDisplayFrequency : 0.0;
}

bool StopwatchWindow::shownOnScreen() const { return IsWindowVisible(window_.get()) && !IsIconic(window_.get()); }

void StopwatchWindow::showDial(const PixelRect& changed, std::int32_t handTime) {
  handTime_ = handTime;
  if (changed.empty()) return;
  // Canvas pixels to the monitor's, one more on each side for the smoothing of a
  // picture drawn at another density.
  const double scale = static_cast<double>(dpi_) / USER_DEFAULT_SCREEN_DPI;
  const int margin = scale == canvas_.ratio() ? 0 : 1;
  const RECT area{static_cast<LONG>(std::floor(changed.left * scale)) - margin,
                  static_cast<LONG>(std::floor(changed.top * scale)) - margin,
                  static_cast<LONG>(std::ceil((changed.left + changed.width) * scale)) + margin,
                  static_cast<LONG>(std::ceil((changed.top + changed.height) * scale)) + margin};
  InvalidateRect(controlOf(Control::imgWatch), &area, FALSE);
}

SIZE StopwatchWindow::frameSize(double clientHeightTwips) const {
  const TwipsPerPixel tpp = monitorTwipsPerPixel();
  RECT frame{0, 0, tpp.toPixelsX(design::kClientArea.width), tpp.toPixelsY(clientHeightTwips)};
  AdjustWindowRectExForDpi(&frame, kStyle, TRUE, 0, dpi_);
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

// ---- Messages -------------------------------------------------------------------------------

// A fault in the window's own handling ends that message: nothing may unwind
// through the system's code that called the procedure.
LRESULT CALLBACK StopwatchWindow::WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<StopwatchWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_.reset(window);
    self->dpi_ = GetDpiForWindow(window);
  }
  auto* self = reinterpret_cast<StopwatchWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  try {
    if (self) return self->onMessage(window, message, wparam, lparam);
  } catch (const std::exception&) {
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK StopwatchWindow::ControlProcedure(HWND control, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  try {
    return reinterpret_cast<StopwatchWindow*>(GetWindowLongPtrW(control, GWLP_USERDATA))
        ->onControlMessage(control, message, wparam, lparam);
  } catch (const std::exception&) {
    return 0;
  }
}

LRESULT StopwatchWindow::onMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (ready_) onCommand(wparam, lparam);
      return 0;
    case WM_DRAWITEM:
      onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_MEASUREITEM:  // the list's lines, when it is made
      if (wparam != kLapListId) break;
      reinterpret_cast<MEASUREITEMSTRUCT*>(lparam)->itemHeight = static_cast<UINT>(lapLineHeight());
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX: {
      const HWND control = reinterpret_cast<HWND>(lparam);
      if (control != controlOf(Control::lblTime) && control != controlOf(Control::lstLap)) break;
      const HDC dc = reinterpret_cast<HDC>(wparam);
      const ColorPair colors = ColorsOf(control == controlOf(Control::lblTime) ? Control::lblTime : Control::lstLap,
                                        colorScheme_);
      SetTextColor(dc, Drawn(colors.text));
      SetBkColor(dc, Drawn(colors.background));
      return reinterpret_cast<LRESULT>(BrushOf(dc, colors.background));
    }
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      const HDC dc = reinterpret_cast<HDC>(wparam);
      FillRect(dc, &client, BrushOf(dc, WindowBackground(colorScheme_)));
      return TRUE;
    }
    // A change of the scheme, or of its colours, shows at once.
    case WM_SYSCOLORCHANGE:
      followColorScheme();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      if (ready_) forwardMouse(PressTarget::Background, message);
      return 0;
    case WM_MOUSEMOVE:
      if (ready_) form_.ObserveInputClock();
      return 0;
    case WM_TIMER:
      if (wparam == kRefreshTimer) onTimer();
      return 0;
    case WM_SIZE:
      if (!ready_) return 0;
      if (wparam != SIZE_MINIMIZED) form_.FormResize();
      form_.ShownChanged();
      return 0;
    case WM_WINDOWPOSCHANGED: {
      const LRESULT result = DefWindowProcW(window, message, wparam, lparam);
      const UINT flags = reinterpret_cast<const WINDOWPOS*>(lparam)->flags;
      if (!ready_) return result;
      if (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) form_.ShownChanged();
      // Moved or resized (by the keyboard, by Windows to another monitor): the clip follows.
      if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) form_.PlacementChanged();
      return result;
    }
    case WM_GETMINMAXINFO: {
      auto& limits = *reinterpret_cast<MINMAXINFO*>(lparam);
      limits.ptMinTrackSize.x = limits.ptMaxTrackSize.x = frameSize(0).cx;
      return 0;
    }
    case WM_DPICHANGED:
      onDpiChanged(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_SETTINGCHANGE:
      if (wparam == SPI_SETHIGHCONTRAST) followColorScheme();
      if (ready_ && lparam && std::wstring_view(reinterpret_cast<const wchar_t*>(lparam)) == L"intl") {
        chooseLapStandIns();
        form_.NumberFormatChanged();
      }
      break;
    case WM_ACTIVATE:
      onActivate(wparam);
      return 0;
    case WM_CLOSE:
      close();
      return 0;
    // The session's end closes the window as its close button does; the program
    // never holds it up.
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wparam) close();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      machine_.failures.setOwner(nullptr);
      window_.release();  // gone already
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT StopwatchWindow::onControlMessage(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
  // (The object id is a DWORD in a wider LPARAM.)
  if (message == WM_GETOBJECT && static_cast<DWORD>(lparam) == static_cast<DWORD>(OBJID_CLIENT)) {
    if (const auto name = accessibleNameOf(control)) {
      if (const LRESULT object = NamedAccessibleObject(control, wparam, *name)) return object;
    }
  }
  if (message == WM_MOUSEMOVE && ready_) form_.ObserveInputClock();
  if (isButton(control)) return onButtonMessage(control, message, wparam, lparam);
  const bool leftPress = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
  if (leftPress && control == controlOf(Control::lstLap)) {
    selectLineAt(lparam);
    if (ready_) forwardMouse(PressTarget::LapList, message);
    return 0;
  }
  const LRESULT result = controlDefault(control, message, wparam, lparam);
  if (const auto target = pressTargetOf(control); target && ready_) forwardMouse(*target, message);
  return result;
}

// A push button clicks at the release of the mouse or of Space: while it handles
// that message, the message's time is the moment of the click. A click made by a
// program (BM_CLICK, a screen reader's Invoke) has no input behind it, and the
// button's own release inside it bears the time of whatever message came last.
LRESULT StopwatchWindow::onButtonMessage(HWND button, UINT message, WPARAM wparam, LPARAM lparam) {
  // Our buttons draw no hot state, so a move over one that drags no press of it
  // stays here: the button would only ask the system to track the pointer, which
  // Wine does with a timer every millisecond until the pointer leaves the button.
  if (message == WM_MOUSEMOVE && GetCapture() != button) return 0;
  const bool release = message == WM_LBUTTONUP || message == WM_KEYUP;
  if (message != BM_CLICK && !(release && !clickByProgram_)) {
    // A double click's second press is a press again, as on any push button: the
    // owner-drawn button would take it for a notification of its own.
    return controlDefault(button, message == WM_LBUTTONDBLCLK ? WM_LBUTTONDOWN : message, wparam, lparam);
  }
  const bool byProgram = std::exchange(clickByProgram_, message == BM_CLICK);
  if (release) buttonInputTime_ = static_cast<std::uint32_t>(GetMessageTime());
  const LRESULT result = controlDefault(button, message, wparam, lparam);
  buttonInputTime_.reset();
  clickByProgram_ = byProgram;
  return result;
}

LRESULT StopwatchWindow::controlDefault(HWND control, UINT message, WPARAM wparam, LPARAM lparam) const {
  const auto index = static_cast<std::size_t>(std::find(controls_.begin(), controls_.end(), control) - controls_.begin());
  return CallWindowProcW(controlProcedures_.at(index), control, message, wparam, lparam);
}

// The list's own handling would follow the pointer until the button is released,
// taking the selection back from the line that a record made by the press selected.
// So the left button selects the line under it (a double click's second press too),
// and the press goes on to the stopwatch.
void StopwatchWindow::selectLineAt(LPARAM point) {
  const HWND list = controlOf(Control::lstLap);
  SetFocus(list);
  const auto hit = static_cast<DWORD>(SendMessageW(list, LB_ITEMFROMPOINT, 0, point));
  if (HIWORD(hit) == 0) SendMessageW(list, LB_SETCURSEL, LOWORD(hit), 0);  // not below the last line
}

const std::shared_ptr<const AccessibleName>* StopwatchWindow::accessibleNameOf(HWND control) const {
  if (control == controlOf(Control::imgWatch)) return &dialName_;
  if (control == controlOf(Control::lstLap)) return &lapListName_;
  return nullptr;
}

std::optional<PressTarget> StopwatchWindow::pressTargetOf(HWND control) const {
  if (control == controlOf(Control::lblTime)) return PressTarget::TimeLabel;
  if (control == controlOf(Control::lstLap)) return PressTarget::LapList;
  if (control == controlOf(Control::imgWatch)) return PressTarget::Dial;
  return std::nullopt;
}

// Each press reads the stopwatch's clock at the moment the system stamped it.
void StopwatchWindow::forwardMouse(PressTarget target, UINT message) {
  const auto time = static_cast<std::uint32_t>(GetMessageTime());
  switch (message) {
    case WM_LBUTTONDOWN: form_.HandlePress(target, MouseButton::Left, time); break;
    case WM_LBUTTONDBLCLK: form_.HandleDoubleClick(target, MouseButton::Left, time); break;
    case WM_RBUTTONDOWN: form_.HandlePress(target, MouseButton::Right, time); break;
    case WM_RBUTTONDBLCLK: form_.HandleDoubleClick(target, MouseButton::Right, time); break;
    case WM_MBUTTONDOWN: form_.HandlePress(target, MouseButton::Middle, time); break;
    case WM_MBUTTONDBLCLK: form_.HandleDoubleClick(target, MouseButton::Middle, time); break;
    default: break;
  }
}

void StopwatchWindow::onCommand(WPARAM wparam, LPARAM lparam) {
  const UINT id = LOWORD(wparam);
  if (lparam != 0) {  // from a control
    if (HIWORD(wparam) != BN_CLICKED) return;
    if (id == kStartStopButtonId) form_.cmdStartClick(buttonInputTime_);
    if (id == kResetLapButtonId) form_.cmdLapClick(buttonInputTime_);
    return;
  }
  if (id == kQuitCommand) {
    close();
  } else if (const auto item = MarkedItemOf(id)) {
    form_.MenuClick(*item);
  }
}

// Each event sets the next, which takes this timer's place (no KillTimer first: under
// Wine every timer call is a round trip to its server); without one it ends.
void StopwatchWindow::onTimer() {
  timerActive_ = false;
  if (ready_) {
    form_.ObserveInputClock();
    form_.tmrClockTimer();
  }
  if (!timerActive_) stopTimer();
}

// The keyboard's focus comes back to where it was when the window is active again.
void StopwatchWindow::onActivate(WPARAM wparam) {
  if (LOWORD(wparam) == WA_INACTIVE) {
    focusWhileInactive_ = GetFocus();
    return;
  }
  if (HIWORD(wparam)) return;  // minimised
  // Windows lets a clip go on its own meanwhile (a UAC prompt, Ctrl+Alt+Del).
  if (ready_) form_.PlacementChanged();
  HWND focus = focusWhileInactive_;
  if (!IsChild(window_.get(), focus) || !IsWindowVisible(focus)) {
    focus = GetNextDlgTabItem(window_.get(), nullptr, FALSE);
  }
  SetFocus(focus ? focus : window_.get());
}

// On a monitor of another density: fonts, icons and the dial's pictures of that
// density, the window's client area the same in twips, and the controls placed anew.
void StopwatchWindow::onDpiChanged(unsigned dpi, const RECT& suggested) {
  const double clientHeight = clientHeightTwips();
  const int ratio = ArtworkRatioForDpi(dpi);
  std::optional<DialPictures> pictures;
  if (ratio != canvas_.ratio()) pictures.emplace(LoadDialPictures(instance_, ratio));
  dpi_ = dpi;
  if (pictures) canvas_.usePictures(std::move(*pictures));
  applyFonts();
  applyIcons();
  const SIZE frame = frameSize(clientHeight);
  SetWindowPos(window_.get(), nullptr, suggested.left, suggested.top, frame.cx, frame.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  for (const ControlDefinition& definition : kControls) place(definition.control, form_.rectOf(definition.control));
  form_.ScreenChanged();
  InvalidateRect(controlOf(Control::imgWatch), nullptr, FALSE);
}

// Read again, and everything drawn in it, from the window's background down.
void StopwatchWindow::followColorScheme() {
  colorScheme_ = SystemColorScheme();
  RedrawWindow(window_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void StopwatchWindow::close() {
  form_.Unload();
  ready_ = false;
  DestroyWindow(window_.get());
}

// ---- Painting -------------------------------------------------------------------------------

void StopwatchWindow::onDrawItem(const DRAWITEMSTRUCT& item) {
  switch (item.CtlID) {
    case kStartStopButtonId: drawButton(item, Control::cmdStart); break;
    case kResetLapButtonId: drawButton(item, Control::cmdLap); break;
    case kDialId: drawPicture(item, canvas_.picture(), Control::imgWatch); break;
    case kDigitStripId: drawPicture(item, canvas_.digitStrip(), Control::imgNumber); break;
    case kLapListId: drawLapLine(item); break;
    default: break;
  }
}

// A push button painted in its own colours, whatever the desktop's theme.
void StopwatchWindow::drawButton(const DRAWITEMSTRUCT& item, Control button) const {
  const HDC dc = item.hDC;
  const bool pressed = item.itemState & ODS_SELECTED;
  const ColorPair colors = ColorsOf(button, colorScheme_);
  RECT face = item.rcItem;
  FillRect(dc, &face, BrushOf(dc, colors.background));
  DrawEdge(dc, &face, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
  if (item.itemState & ODS_FOCUS && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = face;
    InflateRect(&focus, -1, -1);
    DrawFocusRect(dc, &focus);
  }
  if (pressed) OffsetRect(&face, 1, 1);
  const SelectedObject font(dc, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, Drawn(colors.text));
  DrawTextW(dc, TextOf(item.hwndItem).c_str(), -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// A line as the list would draw it, the separators' stand-ins in place of the signs.
void StopwatchWindow::drawLapLine(const DRAWITEMSTRUCT& item) const {
  const HDC dc = item.hDC;
  if (item.itemID == static_cast<UINT>(-1)) {  // an empty list taking or losing the focus
    if (item.itemAction & ODA_FOCUS) DrawFocusRect(dc, &item.rcItem);
    return;
  }
  const HWND list = item.hwndItem;
  std::u16string line(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, item.itemID, 0)) + 1, u'\0');
  const LRESULT length = SendMessageW(list, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(line.data()));
  line.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
  const std::wstring shown = Wide(WithStandIns(std::move(line), lapStandIns_));
  const bool selected = item.itemState & ODS_SELECTED;
  const SelectedObject font(dc, listFont_.get());
  const ColorPair colors = ColorsOf(Control::lstLap, colorScheme_);
  SetBkColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHT) : Drawn(colors.background));
  SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : Drawn(colors.text));
  ExtTextOutW(dc, item.rcItem.left + 1, item.rcItem.top, ETO_OPAQUE | ETO_CLIPPED, &item.rcItem, shown.c_str(),
              static_cast<UINT>(shown.size()), nullptr);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &item.rcItem);
}

// A picture from the control's top left corner at the monitor's density, as a
// picture box shows it; the rest of the control in its background.
void StopwatchWindow::drawPicture(const DRAWITEMSTRUCT& item, const DibPicture& picture, Control control) const {
  const HDC dc = item.hDC;
  // Rounded as the control's size is, so that a dial fills its control exactly.
  const double scale = static_cast<double>(dpi_) / USER_DEFAULT_SCREEN_DPI / canvas_.ratio();
  const int width = RoundToInt32(picture.width() * scale);
  const int height = RoundToInt32(picture.height() * scale);
  if (width == picture.width() && height == picture.height()) {
    BitBlt(dc, 0, 0, width, height, picture.dc(), 0, 0, SRCCOPY);
  } else {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, 0, 0, width, height, picture.dc(), 0, 0, picture.width(), picture.height(), SRCCOPY);
  }
  const RECT& all = item.rcItem;
  const HBRUSH background = BrushOf(dc, ColorsOf(control, colorScheme_).background);
  const RECT right{width, 0, all.right, all.bottom};
  const RECT below{0, height, width, all.bottom};
  if (!IsRectEmpty(&right)) FillRect(dc, &right, background);
  if (!IsRectEmpty(&below)) FillRect(dc, &below, background);
}

int RunMessageLoop(const StopwatchWindow& window) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Tab moves between the controls and Space presses the focused button, as in a dialog.
    if (window.handle() && IsDialogMessageW(window.handle(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace tovira::win32
