// The fonts of one window at its dpi, made once per face, size and weight and freed together.
#pragma once

#include <map>
#include <string>
#include <tuple>

#include "platform/win32/api.h"
#include "platform/window_description.h"

namespace vantrel::platform::win32 {

class FontSet {
 public:
  FontSet() = default;
  ~FontSet() { Clear(); }
  FontSet(const FontSet&) = delete;
  FontSet& operator=(const FontSet&) = delete;

  // A face the system does not have is mapped by Windows to the nearest one it has.
  HFONT Get(const Font& font, UINT dpi);
  void Clear();

 private:
  using Key = std::tuple<std::string, double, bool, UINT>;
  std::map<Key, HFONT> fonts_;
};

}  // namespace vantrel::platform::win32
