#include "platform/win32/button.h"

#include "platform/win32/mouse_args.h"
#include "platform/win32/tooltips.h"

namespace vantrel::platform::win32 {
namespace {
constexpr int kButtonMargins = 6;  // the frame and the focus mark, above and below
}

void Win32Button::Create(const ControlHost& host) {
  events_ = &host.events;
  const bool is_default = host.window.default_button == name();
  MakeWindow(host, L"BUTTON", std::string(description().caption),
             WS_TABSTOP | (is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
  if (!description().tooltip.empty())
    AddTooltip(host.tooltips, host.form, hwnd_, description().tooltip);
  if (host.events.Handles(name(), Event::MouseDown)) Subclass(hwnd_);
}

// In a button tall enough for two lines of its font, a caption too long for one wraps onto a
// second; a lower button keeps its caption on one line.
void Win32Button::Place(const RECT& pixels, UINT dpi) {
  const HDC dc = ::GetDC(hwnd_);
  const HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, old);
  ::ReleaseDC(hwnd_, dc);
  const bool two_lines = pixels.bottom - pixels.top >= 2 * metrics.tmHeight + kButtonMargins;
  const LONG style = ::GetWindowLongW(hwnd_, GWL_STYLE);
  ::SetWindowLongW(hwnd_, GWL_STYLE, two_lines ? style | BS_MULTILINE : style & ~BS_MULTILINE);
  Win32Control::Place(pixels, dpi);
}

void Win32Button::OnCommand(WORD code) {
  if (code == BN_CLICKED) events_->Raise(name(), Event::Click, {});
}

// The press is the button's own first (it takes the focus and shows itself pressed); the
// handler then runs while the button is down, as a pop-up menu opened there expects.
LRESULT Win32Button::OnMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  const std::int16_t pressed = PressedButton(message);
  if (pressed == 0) return Default(window, message, wparam, lparam);
  const LRESULT result = Default(window, message, wparam, lparam);
  events_->Raise(name(), Event::MouseDown, MouseArgs(window, pressed, wparam, lparam));
  return result;
}

}  // namespace vantrel::platform::win32
