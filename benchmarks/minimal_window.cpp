// The yardstick of benchmarks/measure_under_wine.py: the least a Win32 window with
// ToviraWatch's kinds of controls does to show a running time. A list box, two
// owner-drawn buttons, a label and an owner-drawn 250-pixel picture, as plain
// controls without a manifest; the left button starts and stops. While running,
// the label shows the seconds 60 times a second and the picture is drawn anew 24
// times a second, each whole. The controls have the program's ids, so the
// benchmark drives both alike.

#include "windows/win32_handle.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr int kStart = 1001, kReset = 1002, kLabel = 1003, kList = 1004, kPicture = 1005;
constexpr int kPictureSize = 250;
constexpr UINT_PTR kTimer = 1;

struct Window {
  HWND start, reset, label, list, picture;
  tovira::win32::UniqueDeviceContext pictureDc;
  tovira::win32::UniqueBitmap pictureBitmap;
  bool running = false;
  DWORD startedAt = 0;
  long long frame = -1;
};
Window self;

// The hand at the frame's place on a face, drawn whole.
void DrawPicture(long long frame) {
  const HDC dc = self.pictureDc.get();
  const RECT all{0, 0, kPictureSize, kPictureSize};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  Ellipse(dc, 5, 5, kPictureSize - 5, kPictureSize - 5);
  const double angle = 2 * std::numbers::pi * static_cast<double>(frame % 144) / 144;
  const int centre = kPictureSize / 2;
  MoveToEx(dc, centre, centre, nullptr);
  LineTo(dc, centre + static_cast<int>(100 * std::sin(angle)), centre - static_cast<int>(100 * std::cos(angle)));
}

// The label 60 times a second, on the 60 Hz boundaries since the start.
void Refresh() {
  const DWORD elapsed = GetTickCount() - self.startedAt;
  wchar_t text[32];
  std::swprintf(text, 32, L"%lu.%03lu", elapsed / 1000, elapsed % 1000);
  SetWindowTextW(self.label, text);
  const long long frame = elapsed * 24LL / 1000;
  if (frame != self.frame) {
    self.frame = frame;
    DrawPicture(frame);
    InvalidateRect(self.picture, nullptr, FALSE);
  }
  const long long next = (elapsed * 60LL / 1000 + 1) * 1000 / 60 + 1;
  SetTimer(GetParent(self.label), kTimer, static_cast<UINT>(next - elapsed), nullptr);
}

void StartOrStop() {
  self.running = !self.running;
  SetWindowTextW(self.start, self.running ? L"Stop" : L"Start");
  if (!self.running) {
    KillTimer(GetParent(self.label), kTimer);
    const wchar_t* line = L"1.234";
    SendMessageW(self.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    return;
  }
  self.startedAt = GetTickCount();
  Refresh();
}

void DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlID == kPicture) {
    BitBlt(item.hDC, 0, 0, kPictureSize, kPictureSize, self.pictureDc.get(), 0, 0, SRCCOPY);
    return;
  }
  RECT face = item.rcItem;
  FillRect(item.hDC, &face, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(item.hDC, &face, item.itemState & ODS_SELECTED ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
  wchar_t text[16] = {};
  GetWindowTextW(item.hwndItem, text, 16);
  SetBkMode(item.hDC, TRANSPARENT);
  DrawTextW(item.hDC, text, -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED && LOWORD(wparam) == kStart) StartOrStop();
      if (HIWORD(wparam) == BN_CLICKED && LOWORD(wparam) == kReset && !self.running) {
        SendMessageW(self.list, LB_RESETCONTENT, 0, 0);
        SetWindowTextW(self.label, L"0.000");
      }
      return 0;
    case WM_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_TIMER:
      if (wparam == kTimer && self.running) Refresh();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

HWND Control(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style, int id, RECT place) {
  return CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | style, place.left, place.top, place.right,
                         place.bottom, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"MinimalWindow";
  RegisterClassW(&windowClass);
  RECT frame{0, 0, 260, 430};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  const HWND window = CreateWindowW(L"MinimalWindow", L"Minimal window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                    nullptr, instance, nullptr);
  self.picture = Control(window, L"STATIC", L"", SS_OWNERDRAW | SS_NOTIFY, kPicture, {5, 5, kPictureSize, kPictureSize});
  self.label = Control(window, L"STATIC", L"0.000", SS_LEFT, kLabel, {5, 260, 250, 30});
  self.start = Control(window, L"BUTTON", L"Start", BS_OWNERDRAW, kStart, {5, 295, 120, 33});
  self.reset = Control(window, L"BUTTON", L"Reset", BS_OWNERDRAW, kReset, {135, 295, 120, 33});
  self.list = Control(window, L"LISTBOX", L"", WS_VSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT, kList, {5, 333, 250, 90});
  const HDC screen = GetDC(nullptr);
  self.pictureDc.reset(CreateCompatibleDC(screen));
  self.pictureBitmap.reset(CreateCompatibleBitmap(screen, kPictureSize, kPictureSize));
  ReleaseDC(nullptr, screen);
  const tovira::win32::SelectedObject bitmap(self.pictureDc.get(), self.pictureBitmap.get());
  DrawPicture(0);
  ShowWindow(window, showCommand);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
