#pragma once
// Owners for Win32 handles: each closes its handle with the call that matches how
// it was obtained, on every path out of the scope that holds it.

#include <unknwn.h>
#include <windows.h>

#include <memory>
#include <type_traits>

namespace tovira::win32 {

template <auto Close>
struct HandleCloser {
  template <typename Handle>
  void operator()(Handle handle) const noexcept {
    Close(handle);
  }
};

// A handle type that is a pointer (HWND, HMENU, HFONT, ...) closed by Close.
template <typename Handle, auto Close>
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<Handle>, HandleCloser<Close>>;

using UniqueMenu = UniqueHandle<HMENU, DestroyMenu>;
using UniqueFont = UniqueHandle<HFONT, DeleteObject>;
using UniquePen = UniqueHandle<HPEN, DeleteObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteObject>;
using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;
using UniqueDeviceContext = UniqueHandle<HDC, DeleteDC>;
using UniqueModule = UniqueHandle<HMODULE, FreeLibrary>;
using UniqueHook = UniqueHandle<HHOOK, UnhookWindowsHookEx>;
using UniqueWindow = UniqueHandle<HWND, DestroyWindow>;

// A reference to a COM object, released once.
struct ComReleaser {
  void operator()(IUnknown* object) const noexcept { object->Release(); }
};
template <typename Interface>
using ComReference = std::unique_ptr<Interface, ComReleaser>;

// A window's device context from GetDC, released to that window.
class WindowDeviceContext {
 public:
  explicit WindowDeviceContext(HWND window) : window_(window), context_(GetDC(window)) {}
  ~WindowDeviceContext() {
    if (context_) ReleaseDC(window_, context_);
  }
  WindowDeviceContext(const WindowDeviceContext&) = delete;
  WindowDeviceContext& operator=(const WindowDeviceContext&) = delete;

  HDC get() const { return context_; }

 private:
  HWND window_;
  HDC context_;
};

// An object selected into a device context until the end of the scope.
class SelectedObject {
 public:
  SelectedObject(HDC context, HGDIOBJ object) : context_(context), previous_(SelectObject(context, object)) {}
  ~SelectedObject() { SelectObject(context_, previous_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC context_;
  HGDIOBJ previous_;
};

}  // namespace tovira::win32
