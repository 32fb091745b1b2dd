#include "platform/win32/copy_file_win32.h"

#include <cstdint>
#include <random>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_path.h"
#include "platform/win32/win32_text.h"

namespace vantrel::platform::win32 {
namespace {

constexpr DWORD kBufferSize = 1u << 20;
constexpr std::size_t kNameMax = 255;  // UTF-16 units in one name
constexpr std::wstring_view kTemporaryTag = L".vantrel-";
constexpr std::size_t kRandomLength = 6;
constexpr int kTemporaryAttempts = 100;
// The attributes a copy carries over; the rest (compression, sparse, ...) belong to the volume.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// Reported for a copy onto the source itself.
constexpr DWORD kSameFile = ERROR_INVALID_PARAMETER;

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

std::uint64_t SizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
}

// Shared for reading only: nobody may write to the source while it is copied.
std::error_code OpenSource(const std::string& from, UniqueHandle& source,
                           BY_HANDLE_FILE_INFORMATION& info) {
  source.Reset(::CreateFileW(SystemPath(from).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!source.valid()) return LastError();
  if (::GetFileType(source.get()) != FILE_TYPE_DISK) return ErrorOf(ERROR_INVALID_FUNCTION);
  if (!::GetFileInformationByHandle(source.get(), &info)) return LastError();
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ErrorOf(ERROR_DIRECTORY);
  return {};
}

// What is at the destination name: nothing, or a file described by info. follow_link: the file
// a symbolic link points to, else the link itself.
std::error_code InspectDestination(const std::wstring& to, bool follow_link, bool& exists,
                                   BY_HANDLE_FILE_INFORMATION& info) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow_link ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  UniqueHandle handle(::CreateFileW(to.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, flags, nullptr));
  exists = handle.valid();
  if (!exists) {
    const DWORD error = ::GetLastError();
    // A missing name is replaced by a new file; so is a link that leads nowhere.
    if (error == ERROR_FILE_NOT_FOUND || (follow_link && error == ERROR_PATH_NOT_FOUND)) return {};
    return ErrorOf(error);
  }
  if (!::GetFileInformationByHandle(handle.get(), &info)) return LastError();
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

std::wstring RandomSuffix() {
  static constexpr wchar_t kAlphabet[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 engine{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kAlphabet) - 2);
  std::wstring suffix(kRandomLength, L' ');
  for (wchar_t& c : suffix) c = kAlphabet[pick(engine)];
  return suffix;
}

// ".<name>.vantrel-xxxxxx", the name shortened (never inside a surrogate pair) to fit.
std::wstring TemporaryName(const std::wstring& name) {
  std::size_t room = kNameMax - 1 - kTemporaryTag.size() - kRandomLength;
  if (room < name.size() && room > 0 && name[room - 1] >= 0xD800 && name[room - 1] <= 0xDBFF) {
    --room;
  }
  return L"." + name.substr(0, room) + std::wstring(kTemporaryTag) + RandomSuffix();
}

std::error_code CreateTemporary(const std::string& folder, const std::string& name,
                                std::string& temp_path, UniqueHandle& temp) {
  const std::wstring wide_name = Widen(name);
  DWORD error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    temp_path = folder + Narrow(TemporaryName(wide_name));
    temp.Reset(::CreateFileW(SystemPath(temp_path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (temp.valid()) return {};
    error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  temp_path.clear();
  return ErrorOf(error);
}

std::error_code CopyData(HANDLE in, HANDLE out, std::uint64_t& copied) {
  std::vector<char> buffer(kBufferSize);
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(in, buffer.data(), kBufferSize, &got, nullptr)) return LastError();
    if (got == 0) return {};
    for (DWORD done = 0; done < got;) {
      DWORD put = 0;
      if (!::WriteFile(out, buffer.data() + done, got - done, &put, nullptr)) return LastError();
      if (put == 0) return ErrorOf(ERROR_WRITE_FAULT);
      done += put;
    }
    copied += got;
  }
}

// The data, the source's times, then on disk: only a file that reached the disk whole may
// replace the destination. A flush or close error fails the copy.
std::error_code FillTemporary(HANDLE source, const BY_HANDLE_FILE_INFORMATION& info,
                              UniqueHandle& temp) {
  std::uint64_t copied = 0;
  if (auto error = CopyData(source, temp.get(), copied)) return error;
  if (copied != SizeOf(info)) return ErrorOf(ERROR_READ_FAULT);
  if (!::SetFileTime(temp.get(), &info.ftCreationTime, &info.ftLastAccessTime,
                     &info.ftLastWriteTime)) {
    return LastError();
  }
  if (!::FlushFileBuffers(temp.get())) return LastError();
  if (!temp.Close()) return LastError();
  return {};
}

std::error_code ReplaceDestination(const std::wstring& temp, const std::wstring& to,
                                   DWORD attributes) {
  const DWORD kept = attributes & kKeptAttributes;
  if (!::SetFileAttributesW(temp.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL)) {
    return LastError();
  }
  if (!::MoveFileExW(temp.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return LastError();
  }
  return {};
}

void RemoveTemporary(const std::wstring& temp) {
  ::SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only copy cannot go
  ::DeleteFileW(temp.c_str());
}

}  // namespace

std::error_code CopyFileSafely(const std::string& from, const std::string& to) {
  const PathParts parts = SplitLastComponent(to);
  if (parts.name.empty() || parts.name == "." || parts.name == "..") {
    return ErrorOf(ERROR_DIRECTORY);
  }
  UniqueHandle source;
  BY_HANDLE_FILE_INFORMATION info{};
  if (auto error = OpenSource(from, source, info)) return error;
  if (auto error = CheckDestination(to, info)) return error;

  std::string temp_path;
  UniqueHandle temp;
  if (auto error = CreateTemporary(parts.folder, parts.name, temp_path, temp)) return error;
  const std::wstring temp_wide = SystemPath(temp_path);
  std::error_code error = FillTemporary(source.get(), info, temp);
  if (!error) error = ReplaceDestination(temp_wide, SystemPath(to), info.dwFileAttributes);
  if (error) {
    temp.Reset();
    RemoveTemporary(temp_wide);
  }
  return error;
}

}  // namespace vantrel::platform::win32
