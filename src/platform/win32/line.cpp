#include "platform/win32/line.h"

#include <algorithm>

#include "platform/win32/dpi.h"

namespace vantrel::platform::win32 {

// Level and upright lines are filled from their start downwards or rightwards, so two lines a
// pixel apart (an etched rule) never overlap whatever their widths.
void Win32Line::Paint(HDC dc, UINT dpi) {
  const LineEnds& ends = description().line;
  const int x1 = ToPixels(ends.x1, dpi), y1 = ToPixels(ends.y1, dpi);
  const int x2 = ToPixels(ends.x2, dpi), y2 = ToPixels(ends.y2, dpi);
  const int width = std::max(1, MulDiv(description().line_width, static_cast<int>(dpi), 96));
  const Colour colour = description().text_colour.value_or(Colour{});
  const COLORREF rgb = RGB(colour.red, colour.green, colour.blue);
  if (y1 == y2 || x1 == x2) {
    const RECT area{std::min(x1, x2), std::min(y1, y2), y1 == y2 ? std::max(x1, x2) : x1 + width,
                    y1 == y2 ? y1 + width : std::max(y1, y2)};
    const HBRUSH brush = ::CreateSolidBrush(rgb);
    ::FillRect(dc, &area, brush);
    ::DeleteObject(brush);
    return;
  }
  const HPEN pen = ::CreatePen(PS_INSIDEFRAME, width, rgb);
  const HGDIOBJ old = ::SelectObject(dc, pen);
  ::MoveToEx(dc, x1, y1, nullptr);
  ::LineTo(dc, x2, y2);
  ::SelectObject(dc, old);
  ::DeleteObject(pen);
}

}  // namespace vantrel::platform::win32
