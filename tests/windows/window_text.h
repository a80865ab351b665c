#pragma once
// Text the reader and the probe read from windows, the same way in either process.

#include <windows.h>

#include <string>
#include <vector>

namespace tovira::bench {

// GetWindowText: from another process the text Windows keeps without asking the
// program (a top-level window's title); within the program, the window's answer to
// WM_GETTEXT.
inline std::wstring WindowText(HWND window) {
  std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
  text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
  return text;
}

// A list box's lines, each message sent with send(window, message, wparam, lparam):
// SendMessageW inside the program, a call with a time limit from outside.
template <typename Send>
std::vector<std::wstring> ListBoxLines(HWND list, Send send) {
  const auto count = send(list, LB_GETCOUNT, 0, 0);
  std::vector<std::wstring> lines(count > 0 ? count : 0);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    lines[i].resize(send(list, LB_GETTEXTLEN, i, 0) + 1);
    const auto length = send(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(lines[i].data()));
    lines[i].resize(length == LB_ERR ? 0 : length);
  }
  return lines;
}

}  // namespace tovira::bench
