// What screen readers receive for a control beyond what the system gives on its own. The
// system's accessibility proxies name a list box or a combo box by the static text just before
// it in z-order (here usually another control's changing text, or nothing) and a static text by
// its own text. Direct annotation (IAccPropServices::SetHwndPropStr) replaces such a property of
// the control's client object for Active Accessibility and UI Automation clients alike; the
// annotations live in the control's window and need COM on the thread that makes them.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/win32/api.h"

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
// may get the same handle. This also ends the names given by AccessibleRows.
void ClearAccessibleTexts(HWND control);

// Names a list box and its rows where the rows' texts live in the program only (an owner-drawn
// list with LBS_NODATA): the system's proxy names a row by LB_GETTEXT, which such a list answers
// with nothing. A server annotation of the list's client object and its immediate children
// (ANNO_CONTAINER) is asked for the name of each: the list gets `name` (the system's own when
// empty), row 1..N the text that row shows, read at each question; any other row, nothing.
class AccessibleRows {
 public:
  // The text the row at `index` (from 0) shows, or nullopt when there is no such row.
  using RowText = std::function<std::optional<std::wstring>(std::size_t index)>;

  AccessibleRows() = default;
  ~AccessibleRows() { Stop(); }
  AccessibleRows(const AccessibleRows&) = delete;
  AccessibleRows& operator=(const AccessibleRows&) = delete;

  void Start(HWND list, std::string_view name, RowText row_text);
  // No more answers: the system may still hold the server for a while, and a question reaching
  // it then finds it disconnected instead of reading a list that has gone.
  void Stop();

 private:
  class Server;
  Server* server_ = nullptr;
};

}  // namespace vantrel::platform::win32
