#include "platform/win32/win32_api.h"
#include "platform/win32/win32_text.h"

namespace vantrel::platform::win32 {

std::error_code ErrorOf(unsigned long code) {
  return {static_cast<int>(code), std::system_category()};
}

std::error_code LastError() {
  return ErrorOf(::GetLastError());
}

}  // namespace vantrel::platform::win32
