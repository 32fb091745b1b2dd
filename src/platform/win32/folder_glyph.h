// What the folder list draws besides text: a small folder picture, and the row height.
#pragma once

#include "platform/win32/api.h"

namespace vantrel::platform::win32 {

// An open or closed folder, left-aligned at x and centred between top and bottom.
void DrawFolderGlyph(HDC dc, int x, int top, int bottom, bool opened, UINT dpi);
// A row tall enough for the list's font and the glyph.
int RowHeight(HWND list, UINT dpi);
// A row tall enough for the list's font, as a list of strings has.
int TextRowHeight(HWND list);

}  // namespace vantrel::platform::win32
