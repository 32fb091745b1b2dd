// Starting programs on Windows: CreateProcessW with the full path as the application name, so
// the system never searches for or reinterprets the name, and the window style in STARTUPINFO.
// The process runs on its own: both handles are closed at once and nothing waits for it.
#include <algorithm>
#include <array>
#include <cwctype>
#include <optional>

#include "platform/os_services.h"
#include "platform/win32/api.h"
#include "platform/win32/command_line.h"
#include "platform/win32/path.h"
#include "platform/win32/text.h"

namespace vantrel::platform {
namespace {

// CreateProcessW quietly runs a batch file through cmd.exe, which would read the name (and
// anything in it) as a command line. Programs are started directly or not at all.
bool IsBatchFile(std::wstring name) {
  while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
  std::transform(name.begin(), name.end(), name.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return name.ends_with(L".bat") || name.ends_with(L".cmd");
}

WORD ShowCommand(WindowStyle style) {
  return style == WindowStyle::Minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
}

bool StartProgram(const std::string& path, WindowStyle style) {
  const win32::PathParts parts = win32::SplitLastComponent(path);
  if (parts.name.empty() || IsBatchFile(win32::Widen(parts.name))) return false;
  std::optional<std::wstring> command_line = win32::ProgramCommandLine(path);
  if (!command_line) return false;
  const std::wstring application = win32::SystemPath(path);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = ShowCommand(style);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(application.c_str(), command_line->data(), nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

std::wstring SystemFolder() {
  std::array<wchar_t, MAX_PATH + 1> buffer{};
  const UINT length = ::GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
  if (length == 0 || length >= buffer.size()) return {};
  return std::wstring(buffer.data(), length);
}

const wchar_t* AccessoryFile(Accessory kind) {
  switch (kind) {
    case Accessory::Calculator:
      return L"calc.exe";
    case Accessory::Paint:
      return L"mspaint.exe";
    case Accessory::Notepad:
      return L"notepad.exe";
    case Accessory::CdPlayer:
      break;  // gone from Windows, with no successor in the system folder
  }
  return nullptr;
}

class Win32ProgramStarter final : public ProgramStarter {
 public:
  bool Start(const std::string& path, WindowStyle style) override {
    return StartProgram(path, style);
  }

  std::string FindAccessory(Accessory kind) override {
    const wchar_t* file = AccessoryFile(kind);
    const std::wstring folder = SystemFolder();
    if (file == nullptr || folder.empty()) return {};
    const std::wstring path = folder + L"\\" + file;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    return win32::Narrow(path);
  }
};

}  // namespace

std::unique_ptr<ProgramStarter> MakeNativeProgramStarter() {
  return std::make_unique<Win32ProgramStarter>();
}

}  // namespace vantrel::platform
