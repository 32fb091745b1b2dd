// What screen readers receive for a control beyond what the system gives on its own. The
// system's accessibility proxies name a list box or a combo box by the static text just before
// it in z-order (here usually another control's changing text, or nothing) and a static text by
// its own text. Direct annotation (IAccPropServices::SetHwndPropStr) replaces such a property of
// the control's client object for Active Accessibility and UI Automation clients alike; the
// annotations live in the control's window and need COM on the thread that makes them.
#pragma once

#include <string_view>

#include "platform/win32/win32_api.h"

namespace vantrel::platform::win32 {

// COM for the calling thread (a single-threaded apartment, as windows need) while it lives.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool joined_ = false;
};

// The name of the control's client object; an empty name gives back the system's own.
void SetAccessibleName(HWND control, std::string_view name);
// The description of the control's client object; an empty or blank text gives back the
// system's own.
void SetAccessibleDescription(HWND control, std::string_view text);
// Gives back the system's own name and description, before the window goes: a window made later
// may get the same handle.
void ClearAccessibleTexts(HWND control);

}  // namespace vantrel::platform::win32
