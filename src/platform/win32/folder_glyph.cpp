#include "platform/win32/folder_glyph.h"

#include <algorithm>

namespace vantrel::platform::win32 {
namespace {

constexpr COLORREF kOutline = RGB(128, 96, 0);
constexpr COLORREF kClosedFill = RGB(255, 216, 96);
constexpr COLORREF kOpenFill = RGB(255, 240, 176);

int Scaled(int pixels, UINT dpi) {
  return MulDiv(pixels, static_cast<int>(dpi), 96);
}

}  // namespace

void DrawFolderGlyph(HDC dc, int x, int top, int bottom, bool opened, UINT dpi) {
  const int width = Scaled(14, dpi), height = Scaled(10, dpi), tab = Scaled(5, dpi);
  const int y = top + (bottom - top - height) / 2;
  const HPEN pen = ::CreatePen(PS_SOLID, 1, kOutline);
  const HBRUSH brush = ::CreateSolidBrush(opened ? kOpenFill : kClosedFill);
  const HGDIOBJ old_pen = ::SelectObject(dc, pen);
  const HGDIOBJ old_brush = ::SelectObject(dc, brush);
  ::Rectangle(dc, x, y + Scaled(2, dpi), x + tab, y + Scaled(4, dpi));  // the tab
  ::Rectangle(dc, x, y + Scaled(3, dpi), x + width, y + height);        // the body
  if (opened) {
    // The raised front of an open folder.
    const POINT front[] = {{x + Scaled(3, dpi), y + Scaled(5, dpi)},
                           {x + width + Scaled(1, dpi), y + Scaled(5, dpi)},
                           {x + width - Scaled(2, dpi), y + height - 1},
                           {x, y + height - 1}};
    ::Polygon(dc, front, 4);
  }
  ::SelectObject(dc, old_brush);
  ::SelectObject(dc, old_pen);
  ::DeleteObject(brush);
  ::DeleteObject(pen);
}

int TextRowHeight(HWND list) {
  const HDC dc = ::GetDC(list);
  const HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, old);
  ::ReleaseDC(list, dc);
  return static_cast<int>(metrics.tmHeight);
}

int RowHeight(HWND list, UINT dpi) {
  return std::max(TextRowHeight(list) + Scaled(2, dpi), Scaled(14, dpi));
}

}  // namespace vantrel::platform::win32
