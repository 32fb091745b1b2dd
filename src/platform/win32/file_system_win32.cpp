// FileSystem on Windows. Paths arrive as UTF-8 and go to the wide functions (see SystemPath).
#include "platform/native.h"
#include "platform/win32/copy_file_win32.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_path.h"
#include "platform/win32/win32_text.h"

namespace vantrel::platform {
namespace {

using win32::ErrorOf;
using win32::LastError;
using win32::SystemPath;

// Removes exactly one file. Refused: a path ending in a separator (nothing was selected, so it
// names the folder), a folder (even an empty one, or a link to one), and a read-only file.
std::error_code DeleteOneFile(const std::string& path) {
  const win32::PathParts parts = win32::SplitLastComponent(path);
  if (parts.name.empty() || parts.name == "." || parts.name == "..") {
    return ErrorOf(ERROR_DIRECTORY);
  }
  const std::wstring wide = SystemPath(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ErrorOf(ERROR_DIRECTORY);
  if (attributes & FILE_ATTRIBUTE_READONLY) return ErrorOf(ERROR_ACCESS_DENIED);
  if (!::DeleteFileW(wide.c_str())) return LastError();
  return {};
}

// One level only. A typed name that Windows would shorten silently (a trailing dot or space)
// is refused rather than made under another name.
std::error_code MakeOneFolder(const std::string& path) {
  const std::wstring typed = win32::Widen(path);
  if (win32::HasComponentEndingInDotOrSpace(typed)) return ErrorOf(ERROR_INVALID_NAME);
  if (!::CreateDirectoryW(SystemPath(path).c_str(), nullptr)) return LastError();
  return {};
}

// The length of a disk file (through a link); nullopt for folders, devices and missing files.
std::optional<std::uint64_t> LengthOf(const std::string& path) {
  win32::UniqueHandle file(::CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file.valid() || ::GetFileType(file.get()) != FILE_TYPE_DISK) return std::nullopt;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

// A directory search for the exact name (no wildcards), counting normal files only: folders,
// hidden and system files are not found. Gives the name as the disk spells it.
std::string FoundName(const std::string& path) {
  if (path.find_first_of("*?") != std::string::npos) return {};
  if (win32::SplitLastComponent(path).name.empty()) return {};
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW(SystemPath(path).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return {};
  ::FindClose(search);
  constexpr DWORD kNotNormal =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if (found.dwFileAttributes & kNotNormal) return {};
  return win32::Narrow(found.cFileName);
}

class Win32FileSystem final : public FileSystem {
 public:
  std::error_code CopyFile(const std::string& from, const std::string& to) override {
    return win32::CopyFileSafely(from, to);
  }
  std::error_code DeleteFile(const std::string& path) override { return DeleteOneFile(path); }
  std::error_code MakeFolder(const std::string& path) override { return MakeOneFolder(path); }
  std::optional<std::uint64_t> FileLength(const std::string& path) override {
    return LengthOf(path);
  }
  std::string FileExists(const std::string& path) override { return FoundName(path); }
};

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() {
  return std::make_unique<Win32FileSystem>();
}

}  // namespace vantrel::platform
