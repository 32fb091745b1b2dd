#include "platform/win32/api.h"
#include "platform/win32/text.h"

namespace vantrel::platform::win32 {

std::error_code ErrorOf(unsigned long code) {
  return {static_cast<int>(code), std::system_category()};
}

std::error_code LastError() {
  return ErrorOf(::GetLastError());
}

}  // namespace vantrel::platform::win32
