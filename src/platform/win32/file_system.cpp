// FileSystem on Windows. Paths arrive as UTF-8 and go to the wide functions (see SystemPath).
#include "platform/os_services.h"
#include "platform/win32/api.h"
#include "platform/win32/copy_file.h"
#include "platform/win32/file_calls.h"
#include "platform/win32/file_version.h"
#include "platform/win32/path.h"
#include "platform/win32/text.h"
#include "platform/win32/unique_handle.h"

namespace vantrel::platform {
namespace {

using win32::ErrorOf;
using win32::LastError;
using win32::SystemPath;
namespace calls = win32::calls;

// Reported when the name no longer leads to the version that was copied.
constexpr DWORD kNotTheCopiedFile = ERROR_FILE_INVALID;

// A path ending in a separator (nothing was selected, so it names the folder) names no file.
bool NamesAFile(const std::string& path) {
  const win32::PathParts parts = win32::SplitLastComponent(path);
  return !parts.name.empty() && parts.name != "." && parts.name != "..";
}

// Removes exactly one file. Refused: a path that names no file, a folder (even an empty one, or
// a link to one), and a read-only file.
std::error_code DeleteOneFile(const std::string& path) {
  if (!NamesAFile(path)) return ErrorOf(ERROR_DIRECTORY);
  const std::wstring wide = SystemPath(path);
  const DWORD attributes = calls::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ErrorOf(ERROR_DIRECTORY);
  if (attributes & FILE_ATTRIBUTE_READONLY) return ErrorOf(ERROR_ACCESS_DENIED);
  if (!calls::DeleteFileW(wide.c_str())) return LastError();
  return {};
}

// The version of the file a name leads to, through any link; the file stays open, shared for
// reading only, so it cannot change until `held` closes.
std::error_code VersionAtName(const std::wstring& path, win32::UniqueHandle& held,
                              FileVersion& version) {
  held.Reset(calls::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!held.valid() || !calls::GetFileInformationByHandle(held.get(), &info)) return LastError();
  version = win32::VersionOf(held.get(), info);
  return {};
}

// DeleteOneFile, done through one handle of the file itself (a link is the link, as DeleteFile
// has it) that is opened first and kept, shared for reading only: nobody can change, rename or
// replace the file between the check and the deletion. The version compared is that of the file
// the name leads to, as the copy read it: for a link, its target, and the link goes only while
// it still leads to the very version copied.
std::error_code DeleteIfStillCopied(const std::string& path, const FileVersion& copied) {
  if (!NamesAFile(path)) return ErrorOf(ERROR_DIRECTORY);
  const std::wstring wide = SystemPath(path);
  win32::UniqueHandle file(calls::CreateFileW(
      wide.c_str(), DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file.valid() || !calls::GetFileInformationByHandle(file.get(), &info)) return LastError();
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ErrorOf(ERROR_DIRECTORY);
  if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) return ErrorOf(ERROR_ACCESS_DENIED);
  FileVersion found = win32::VersionOf(file.get(), info);
  win32::UniqueHandle target;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    if (auto error = VersionAtName(wide, target, found)) return error;
  }
  if (found != copied) return ErrorOf(kNotTheCopiedFile);
  FILE_DISPOSITION_INFO disposition{TRUE};
  if (!calls::SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition,
                                         sizeof disposition)) {
    return LastError();
  }
  return {};
}

// One level only. A typed name that Windows would shorten silently (a trailing dot or space)
// is refused rather than made under another name.
std::error_code MakeOneFolder(const std::string& path) {
  const std::wstring typed = win32::Widen(path);
  if (win32::HasComponentEndingInDotOrSpace(typed)) return ErrorOf(ERROR_INVALID_NAME);
  if (!calls::CreateDirectoryW(SystemPath(path).c_str(), nullptr)) return LastError();
  return {};
}

// The length of a disk file (through a link); nullopt for folders, devices and missing files.
std::optional<std::uint64_t> LengthOf(const std::string& path) {
  win32::UniqueHandle file(calls::CreateFileW(
      SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file.valid() || calls::GetFileType(file.get()) != FILE_TYPE_DISK) return std::nullopt;
  LARGE_INTEGER size{};
  if (!calls::GetFileSizeEx(file.get(), &size)) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

// A directory search for the exact name (no wildcards), counting normal files only: folders,
// hidden and system files are not found. Gives the name as the disk spells it.
std::string FoundName(const std::string& path) {
  if (path.find_first_of("*?") != std::string::npos) return {};
  if (win32::SplitLastComponent(path).name.empty()) return {};
  WIN32_FIND_DATAW found{};
  const HANDLE search = calls::FindFirstFileW(SystemPath(path).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return {};
  calls::FindClose(search);
  constexpr DWORD kNotNormal =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if (found.dwFileAttributes & kNotNormal) return {};
  return win32::Narrow(found.cFileName);
}

class Win32FileSystem final : public FileSystem {
 public:
  using FileSystem::CopyFile;
  std::error_code CopyFile(const std::string& from, const std::string& to,
                           FileVersion* copied) override {
    return win32::CopyFileSafely(from, to, copied);
  }
  std::error_code DeleteFile(const std::string& path) override { return DeleteOneFile(path); }
  std::error_code DeleteCopiedFile(const std::string& path, const FileVersion& copied) override {
    return DeleteIfStillCopied(path, copied);
  }
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
