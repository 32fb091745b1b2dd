#include "platform/win32/clipboard.h"

#include "platform/win32/api.h"

namespace vantrel::platform::win32 {
namespace {
constexpr int kAttempts = 10;
constexpr DWORD kPauseMs = 20;
}  // namespace

bool Win32Clipboard::Clear() {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (::OpenClipboard(nullptr)) {
      const bool emptied = ::EmptyClipboard() != 0;
      ::CloseClipboard();
      return emptied;
    }
    ::Sleep(kPauseMs);
  }
  return false;
}

}  // namespace vantrel::platform::win32
