#include "platform/win32/same_name.h"

#include "platform/win32/api.h"

namespace vantrel::platform::win32 {

bool SameName(std::wstring_view a, std::wstring_view b) {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace vantrel::platform::win32
