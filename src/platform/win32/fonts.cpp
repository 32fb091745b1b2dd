#include "platform/win32/fonts.h"

#include "platform/win32/dpi.h"
#include "platform/win32/text.h"

namespace vantrel::platform::win32 {

HFONT FontSet::Get(const Font& font, UINT dpi) {
  Key key{std::string(font.face), font.points, font.bold, dpi};
  if (const auto it = fonts_.find(key); it != fonts_.end()) return it->second;
  const std::wstring face = Widen(font.face);
  const HFONT made =
      ::CreateFontW(FontHeight(font.points, dpi), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                    FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face.c_str());
  fonts_.emplace(std::move(key), made);
  return made;
}

void FontSet::Clear() {
  for (auto& [key, font] : fonts_) {
    if (font != nullptr) ::DeleteObject(font);
  }
  fonts_.clear();
}

}  // namespace vantrel::platform::win32
