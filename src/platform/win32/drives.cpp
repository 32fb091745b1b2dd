// The drive list on Windows: every logical drive as "c: [label]" (the letter in lower case, the
// volume label in brackets when it has one), and the working folder. Which drives there are
// comes from the drive letters alone; a label means asking the volume, which a network drive
// whose server has gone or a slow medium may not answer, so that is done off the GUI thread.
#include <cwctype>
#include <memory>
#include <string_view>

#include "lists/listing.h"
#include "platform/os_services.h"
#include "platform/win32/api.h"
#include "platform/win32/text.h"

namespace vantrel::platform {
namespace {

constexpr int kDriveLetters = 26;

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

// The label asked on a worker; empty when the volume has none, or did not answer by `deadline`.
std::wstring LabelOffThread(OffThread& off_thread, const std::wstring& root,
                            std::chrono::milliseconds deadline) {
  auto label = std::make_shared<std::wstring>();
  const bool finished = off_thread.RunAnswering(
      [root, label](const std::function<void()>&) { *label = VolumeLabel(root); }, deadline,
      win32::Narrow(root));
  return finished ? *label : std::wstring();
}

DriveInfo DescribeDrive(const std::wstring& root, const std::wstring& label) {
  std::wstring text;
  text.push_back(static_cast<wchar_t>(std::towlower(root[0])));
  text.push_back(L':');
  if (!label.empty()) text += L" [" + label + L"]";
  return {win32::Narrow(text), win32::Narrow(root)};
}

bool StartsWith(std::wstring_view text, std::wstring_view start) {
  return text.substr(0, start.size()) == start;
}

// "\\server\share\" of a path that starts "\\server\share", in one letter case.
std::wstring ShareRoot(std::wstring_view unc) {
  std::size_t end = unc.find(L'\\', 2);
  if (end != std::wstring_view::npos) end = unc.find(L'\\', end + 1);
  std::wstring root(unc.substr(0, end));
  for (wchar_t& c : root) c = static_cast<wchar_t>(std::towlower(c));
  return root + L"\\";
}

// The path made absolute against the working folder, without asking any file system.
std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return path;
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);
  }
}

}  // namespace

// Each drive is asked for its label on its own worker, all within one deadline: a drive that
// hangs costs the rest no more than that, and stays unasked (listed by its letter) until it
// answers, since its file system counts as stuck meanwhile.
std::vector<DriveInfo> ListDrives(OffThread& off_thread) {
  const DWORD letters = ::GetLogicalDrives();
  const auto give_up_at = std::chrono::steady_clock::now() + kDriveAnswerDeadline;
  std::vector<DriveInfo> drives;
  for (int i = 0; i < kDriveLetters; ++i) {
    if (!(letters & (DWORD{1} << i))) continue;
    const std::wstring root{static_cast<wchar_t>(L'A' + i), L':', L'\\'};
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(give_up_at - std::chrono::steady_clock::now());
    const std::wstring label =
        left.count() > 0 ? LabelOffThread(off_thread, root, left) : std::wstring();
    drives.push_back(DescribeDrive(root, label));
  }
  return drives;
}

std::string FileSystemOf(const std::string& path) {
  std::wstring wide = win32::Widen(path);
  for (wchar_t& c : wide) c = c == L'/' ? L'\\' : c;
  if (StartsWith(wide, L"\\\\?\\UNC\\")) return win32::Narrow(ShareRoot(L"\\" + wide.substr(7)));
  if (StartsWith(wide, L"\\\\?\\") || StartsWith(wide, L"\\\\.\\")) {
    wide.erase(0, 4);
  } else {
    wide = FullPath(wide);
  }
  if (wide.size() >= 2 && wide[1] == L':' && std::iswalpha(wide[0])) {
    return win32::Narrow(UpperDrive(wide.substr(0, 2)) + L"\\");
  }
  if (StartsWith(wide, L"\\\\")) return win32::Narrow(ShareRoot(wide));
  return {};  // a device: nothing to tell apart
}

// Links and junctions are not followed here: a folder reached through one counts on the drive or
// share it is written on, which is where Windows users keep them pointing in the main.
std::string ResolvedFileSystemOf(const std::string& path) {
  return FileSystemOf(path);
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
  return lists::NormalizeFolder(win32::Narrow(UpperDrive(buffer)), kWindowsPaths);
}

}  // namespace vantrel::platform
