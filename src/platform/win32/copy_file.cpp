#include "platform/win32/copy_file.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/win32/api.h"
#include "platform/win32/copy_ranges.h"
#include "platform/win32/file_calls.h"
#include "platform/win32/file_version.h"
#include "platform/win32/path.h"
#include "platform/win32/same_name.h"
#include "platform/win32/temporary_name.h"
#include "platform/win32/text.h"
#include "platform/win32/unique_handle.h"

namespace vantrel::platform::win32 {
namespace {

constexpr int kTemporaryAttempts = 100;
// The attributes a copy carries over; the rest (compression, sparse, ...) belong to the volume.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// Reported for a copy onto the source itself.
constexpr DWORD kSameFile = ERROR_INVALID_PARAMETER;

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && IndexOf(a) == IndexOf(b);
}

std::uint64_t SizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
}

// Shared for reading only: nobody may write to the source while it is copied.
std::error_code OpenSource(const std::string& from, UniqueHandle& source,
                           BY_HANDLE_FILE_INFORMATION& info) {
  source.Reset(calls::CreateFileW(SystemPath(from).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!source.valid()) return LastError();
  if (calls::GetFileType(source.get()) != FILE_TYPE_DISK) return ErrorOf(ERROR_INVALID_FUNCTION);
  if (!calls::GetFileInformationByHandle(source.get(), &info)) return LastError();
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ErrorOf(ERROR_DIRECTORY);
  return {};
}

// What is at the destination name: nothing, or a file described by info. follow_link: the file
// a symbolic link points to, else the link itself.
std::error_code InspectDestination(const std::wstring& to, bool follow_link, bool& exists,
                                   BY_HANDLE_FILE_INFORMATION& info) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow_link ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  UniqueHandle handle(calls::CreateFileW(to.c_str(), FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, flags, nullptr));
  exists = handle.valid();
  if (!exists) {
    const DWORD error = ::GetLastError();
    // A missing name is replaced by a new file; so is a link that leads nowhere.
    if (error == ERROR_FILE_NOT_FOUND || (follow_link && error == ERROR_PATH_NOT_FOUND)) return {};
    return ErrorOf(error);
  }
  if (!calls::GetFileInformationByHandle(handle.get(), &info)) return LastError();
  return {};
}

std::error_code CheckDestination(const std::string& to, const BY_HANDLE_FILE_INFORMATION& source) {
  const std::wstring path = SystemPath(to);
  for (const bool follow_link : {false, true}) {
    bool exists = false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (auto error = InspectDestination(path, follow_link, exists, info)) return error;
    if (!exists) continue;
    if (SameFile(info, source)) return ErrorOf(kSameFile);
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ErrorOf(ERROR_DIRECTORY);
    if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) return ErrorOf(ERROR_ACCESS_DENIED);
  }
  return {};
}

// Marks the file for deletion when its last handle closes, or takes the mark away.
bool SetDeleteOnClose(HANDLE file, bool doomed) {
  FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(doomed ? TRUE : FALSE)};
  return calls::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                           sizeof disposition) != 0;
}

// A name the volume cannot store (too long in its own count, a character it refuses): the short
// form, which owes nothing to the file's name, may still do.
bool NameRefused(DWORD error) {
  return error == ERROR_INVALID_NAME || error == ERROR_FILENAME_EXCED_RANGE;
}

// The temporary file, opened for writing and for deletion, shared with nobody, and marked for
// deletion at once. Shared with nobody, it cannot be removed while the copy writes it: the
// tidying of another copy into the folder is refused with a sharing violation.
std::error_code CreateTemporary(const std::string& folder, const std::string& name,
                                UniqueHandle& temp) {
  const std::wstring wide_name = Widen(name);
  bool short_form = false;
  DWORD error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    const std::wstring temp_name =
        short_form ? ShortTemporaryName(RandomTail()) : TemporaryName(wide_name, RandomTail());
    const std::wstring path = SystemPath(folder + Narrow(temp_name));
    temp.Reset(calls::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (temp.valid()) {
      if (SetDeleteOnClose(temp.get(), true)) return {};
      // A file system that cannot delete files: nothing could be cleaned up after a failure.
      error = ::GetLastError();
      temp.Reset();
      calls::DeleteFileW(path.c_str());
      return ErrorOf(error);
    }
    error = ::GetLastError();
    if (!short_form && NameRefused(error)) {
      short_form = true;
      continue;
    }
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return ErrorOf(error);
}

// Removes what one leftover name holds, unless it is a folder or a link, or the destination
// itself. A copy still writing holds its file shared with nobody (sharing violation), and one
// that failed has marked it for deletion (access denied): either way the file stays. So does
// this copy's own source, open without sharing deletion.
void RemoveIfLeftOver(const std::string& folder, const std::string& destination,
                      const WIN32_FIND_DATAW& found) {
  if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return;
  if (!IsTemporaryName(found.cFileName)) return;
  if (SameName(found.cFileName, Widen(destination))) return;
  calls::DeleteFileW(SystemPath(folder + Narrow(found.cFileName)).c_str());
}

// Removes the temporary files a power cut left in the folder (the mark for deletion lives in
// memory only), in one pass over the names of the temporary forms.
void RemoveLeftoverTemporaries(const std::string& folder, const std::string& destination) {
  WIN32_FIND_DATAW found{};
  const HANDLE search = calls::FindFirstFileW(SystemPath(folder + ".*vantrel-*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    RemoveIfLeftOver(folder, destination, found);
  } while (calls::FindNextFileW(search, &found));
  calls::FindClose(search);
}

// The data ranges of a sparse source, once the temporary file has been made sparse; nullopt
// when either file system cannot take part, and the copy writes every byte.
std::optional<std::vector<ByteRange>> SparseRanges(HANDLE source, std::uint64_t size, HANDLE temp) {
  DWORD flags = 0;
  if (!calls::GetVolumeInformationByHandleW(temp, nullptr, 0, nullptr, nullptr, &flags, nullptr,
                                            0) ||
      !(flags & FILE_SUPPORTS_SPARSE_FILES)) {
    return std::nullopt;
  }
  auto ranges = AllocatedRanges(source, size);
  if (!ranges || !MakeSparse(temp)) return std::nullopt;
  return ranges;
}

std::error_code CopyContents(HANDLE source, const BY_HANDLE_FILE_INFORMATION& info, HANDLE temp) {
  const std::uint64_t size = SizeOf(info);
  if (info.dwFileAttributes & FILE_ATTRIBUTE_SPARSE_FILE) {
    if (const auto ranges = SparseRanges(source, size, temp)) {
      return CopyRanges(source, temp, *ranges, size);
    }
  }
  std::vector<char> buffer;
  std::uint64_t copied = 0;
  if (auto error = CopyBytes(source, temp, UINT64_MAX, buffer, copied)) return error;
  if (copied != size) return ErrorOf(ERROR_READ_FAULT);
  return {};
}

// A volume or server that keeps no times, or will not let them be set: some network file systems
// and drivers answer "invalid function" or "not supported", and a share may grant writing a
// file's data but not its attributes (access denied). The copy keeps the data all the same, as
// a copy without its times on Linux does.
bool TimesUnsupported(DWORD error) {
  return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ||
         error == ERROR_ACCESS_DENIED;
}

// The data, the source's times where the volume keeps them, then on disk: only a file that
// reached the disk whole may replace the destination. A flush error fails the copy.
std::error_code FillTemporary(HANDLE source, const BY_HANDLE_FILE_INFORMATION& info, HANDLE temp) {
  if (auto error = CopyContents(source, info, temp)) return error;
  if (!calls::SetFileTime(temp, &info.ftCreationTime, &info.ftLastAccessTime,
                          &info.ftLastWriteTime) &&
      !TimesUnsupported(::GetLastError())) {
    return LastError();
  }
  if (!calls::FlushFileBuffers(temp)) return LastError();
  return {};
}

bool SetAttributes(HANDLE file, DWORD attributes) {
  FILE_BASIC_INFO basic{};  // times of zero stay as they are
  basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
  return calls::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) != 0;
}

// Renames the open file, replacing what is at the new name in one step.
bool RenameOver(HANDLE file, const std::wstring& to) {
  const std::size_t name_bytes = to.size() * sizeof(wchar_t);
  std::vector<std::byte> buffer(sizeof(FILE_RENAME_INFO) + name_bytes);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(name_bytes);
  std::memcpy(rename->FileName, to.data(), name_bytes);
  return calls::SetFileInformationByHandle(file, FileRenameInfo, rename,
                                           static_cast<DWORD>(buffer.size())) != 0;
}

// The temporary file takes the destination's name through its own handle, unmarked just before;
// a failed rename marks it again (writable, or the mark is refused), so it goes as it closes.
std::error_code ReplaceDestination(UniqueHandle& temp, const std::wstring& to, DWORD attributes) {
  if (!SetDeleteOnClose(temp.get(), false)) return LastError();
  if (!SetAttributes(temp.get(), attributes & kKeptAttributes) || !RenameOver(temp.get(), to)) {
    const std::error_code error = LastError();
    SetAttributes(temp.get(), FILE_ATTRIBUTE_NORMAL);
    SetDeleteOnClose(temp.get(), true);
    return error;
  }
  // The data reached the disk before the rename; this flush makes the new name lasting too. The
  // copy has taken the destination's place by now, whatever it answers.
  calls::FlushFileBuffers(temp.get());
  temp.Reset();
  return {};
}

}  // namespace

std::error_code CopyFileSafely(const std::string& from, const std::string& to,
                               FileVersion* copied) {
  const PathParts parts = SplitLastComponent(to);
  if (parts.name.empty() || parts.name == "." || parts.name == "..") {
    return ErrorOf(ERROR_DIRECTORY);
  }
  UniqueHandle source;
  BY_HANDLE_FILE_INFORMATION info{};
  if (auto error = OpenSource(from, source, info)) return error;
  if (auto error = CheckDestination(to, info)) return error;
  RemoveLeftoverTemporaries(parts.folder, parts.name);

  UniqueHandle temp;
  if (auto error = CreateTemporary(parts.folder, parts.name, temp)) return error;
  if (auto error = FillTemporary(source.get(), info, temp.get())) return error;
  if (auto error = ReplaceDestination(temp, SystemPath(to), info.dwFileAttributes)) return error;
  if (copied != nullptr) *copied = VersionOf(source.get(), info);
  return {};
}

}  // namespace vantrel::platform::win32
