// The native control behind one control of a window description. Each kind is a small wrapper
// that creates its window, keeps the state the handlers read, and turns the notifications that
// its parent receives (WM_COMMAND and friends) back into its own events.
#pragma once

#include <string>
#include <string_view>

#include "platform/events.h"
#include "platform/win32/api.h"
#include "platform/win32/front_end.h"
#include "platform/window_description.h"

namespace vantrel::platform::win32 {

// Where a drag of one control ends: the window finds the control under the pointer.
class DropSite {
 public:
  virtual ~DropSite() = default;
  virtual void DropAt(POINT screen, std::string_view source) = 0;
};

// What a control is created with.
struct ControlHost {
  HWND form = nullptr;
  int id = 0;  // the control's WM_COMMAND identifier
  EventSink& events;
  FrontEnd& front_end;
  DropSite& drops;
  HWND tooltips = nullptr;
  const WindowDescription& window;
};

class Win32Control {
 public:
  explicit Win32Control(const ControlDescription& description) : description_(description) {}
  virtual ~Win32Control() = default;
  Win32Control(const Win32Control&) = delete;
  Win32Control& operator=(const Win32Control&) = delete;

  const ControlDescription& description() const { return description_; }
  std::string_view name() const { return description_.name; }
  HWND hwnd() const { return hwnd_; }

  // Makes the native window (painted kinds make none); its size is set by Place.
  virtual void Create(const ControlHost& host) = 0;
  // Puts the control in its design-time state as its window loads; raises nothing.
  virtual void Load() {}
  // Its rectangle in the parent's client area, in pixels at the window's dpi.
  virtual void Place(const RECT& pixels, UINT dpi);
  // Tells screen readers what the system's proxy does not find: the description's accessible
  // name and its tooltip. Called once the window is made.
  virtual void Annotate();
  virtual void OnCommand(WORD /*code*/) {}
  virtual void OnMeasureItem(MEASUREITEMSTRUCT& /*item*/) {}
  virtual void OnDrawItem(const DRAWITEMSTRUCT& /*item*/) {}
  // WM_CTLCOLORSTATIC and WM_CTLCOLORBTN: the colours of the control's text and background.
  virtual HBRUSH OnColour(HDC dc);
  // Controls drawn by the window itself (lines).
  virtual void Paint(HDC /*dc*/, UINT /*dpi*/) {}
  // The native window has gone with its parent.
  virtual void Destroyed() { hwnd_ = nullptr; }

 protected:
  HWND MakeWindow(const ControlHost& host, const wchar_t* window_class, const std::string& text,
                  DWORD style, DWORD ex_style = 0);

  HWND hwnd_ = nullptr;

 private:
  const ControlDescription& description_;
};

// The face colour that the window and its static controls are drawn on.
HBRUSH FaceBrush();

}  // namespace vantrel::platform::win32
