// Whether two names are one name to Windows: equal unit by unit once each is upper-cased by the
// system's own table, as NTFS and FAT compare them.
#pragma once

#include <string_view>

namespace vantrel::platform::win32 {

bool SameName(std::wstring_view a, std::wstring_view b);

}  // namespace vantrel::platform::win32
