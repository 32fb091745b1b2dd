// The running program's folder (from GetModuleFileNameW) and its version: the numbers of the
// executable's own version record, or the numbers set in the build when it carries none.
#include <vector>

#include "platform/os_services.h"
#include "platform/win32/api.h"
#include "platform/win32/text.h"
#include "version.h"

namespace vantrel::platform {
namespace {

std::wstring ExecutablePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::optional<Version> RecordedVersion(const std::wstring& exe) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> block(size);
  if (!::GetFileVersionInfoW(exe.c_str(), 0, size, block.data())) return std::nullopt;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      fixed == nullptr || length < sizeof(VS_FIXEDFILEINFO)) {
    return std::nullopt;
  }
  return Version{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                 HIWORD(fixed->dwFileVersionLS)};
}

class Win32ProgramInfo final : public ProgramInfo {
 public:
  // The folder without a trailing separator, except at a drive root ("C:\").
  std::string Folder() override {
    const std::wstring path = ExecutablePath();
    const auto cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return {};
    const bool root = cut == 2 && path[1] == L':';
    return win32::Narrow(path.substr(0, root ? cut + 1 : cut));
  }

  Version ProgramVersion() override {
    if (const auto version = RecordedVersion(ExecutablePath())) return *version;
    return {kVersionMajor, kVersionMinor, kVersionRevision};
  }
};

}  // namespace

std::unique_ptr<ProgramInfo> MakeNativeProgramInfo() {
  return std::make_unique<Win32ProgramInfo>();
}

}  // namespace vantrel::platform
