#pragma once
// A standard control named for screen readers with a name of ours. Narrator, and
// any client of Active Accessibility or UI Automation, reads a control through the
// system's accessible object for it; for a control that shows no name of its own
// (a picture, a list) that object borrows a name from the window before it. Asked
// for the control's client area (WM_GETOBJECT with OBJID_CLIENT), the program
// answers with the system's object, every question passed on to it but the
// control's name, which is computed whenever it is asked for, so a name that
// changes with every frame raises no event at all.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace tovira::win32 {

using AccessibleName = std::function<std::u16string()>;

// The answer to WM_GETOBJECT for the control's client area: its accessible object
// named by *name for as long as that lives (then the system's own name again).
// 0, which lets the system answer, when the object cannot be made.
LRESULT NamedAccessibleObject(HWND control, WPARAM wparam, std::weak_ptr<const AccessibleName> name);

// COM for the window's thread, which the accessible objects are handed out through.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;
};

}  // namespace tovira::win32
