// The drive list on Windows: every logical drive as "c: [label]" (the letter in lower case, the
// volume label in brackets when it has one), and the working folder.
#include <cwchar>
#include <cwctype>

#include "platform/listing.h"
#include "platform/native.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_text.h"

namespace vantrel::platform {
namespace {

// Lists report a drive letter in upper case, so a folder and its drive's root compare alike.
std::wstring UpperDrive(std::wstring path) {
  if (path.size() >= 2 && path[1] == L':') path[0] = static_cast<wchar_t>(std::towupper(path[0]));
  return path;
}

std::wstring VolumeLabel(const std::wstring& root) {
  wchar_t label[MAX_PATH + 1] = {};
  if (!::GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                               nullptr, 0)) {
    return {};  // no medium, or a network drive out of reach
  }
  return label;
}

DriveInfo DescribeDrive(const std::wstring& root) {
  std::wstring text;
  text.push_back(static_cast<wchar_t>(std::towlower(root[0])));
  text.push_back(L':');
  if (const std::wstring label = VolumeLabel(root); !label.empty()) {
    text += L" [" + label + L"]";
  }
  return {win32::Narrow(text), win32::Narrow(UpperDrive(root))};
}

}  // namespace

std::vector<DriveInfo> ListDrives() {
  std::wstring buffer(128, L'\0');
  for (;;) {
    const DWORD length =
        ::GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0) return {};
    if (length < buffer.size()) break;
    buffer.resize(length + 1);
  }
  std::vector<DriveInfo> drives;
  for (const wchar_t* root = buffer.c_str(); *root != L'\0'; root += wcslen(root) + 1) {
    const std::wstring text(root);
    if (text.size() >= 2 && text[1] == L':') drives.push_back(DescribeDrive(text));
  }
  return drives;
}

std::string WorkingFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0) return "C:\\";
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    buffer.resize(length);
  }
  return NormalizeFolder(win32::Narrow(UpperDrive(buffer)), kWindowsPaths);
}

}  // namespace vantrel::platform
