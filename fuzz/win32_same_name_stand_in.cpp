// Where the Windows build is not made, the fuzz targets of the Win32 name rules compare names with
// this stand-in: unit by unit with letter case aside, as Windows does, though with ASCII's table
// only. The rules need of the comparison only that it matches unit for unit; the Windows build
// replays the same corpus with the system's own comparison under Wine.
#include <cstddef>

#include "platform/win32/same_name.h"

namespace vantrel::platform::win32 {
namespace {

wchar_t Upper(wchar_t unit) {
  return unit >= L'a' && unit <= L'z' ? static_cast<wchar_t>(unit - L'a' + L'A') : unit;
}

}  // namespace

bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t at = 0; at < a.size(); ++at) {
    if (Upper(a[at]) != Upper(b[at])) return false;
  }
  return true;
}

}  // namespace vantrel::platform::win32
