// The stand-ins behind vantrel::platform::win32::calls in the sweep's build of the service, and
// the switch that arms them. Only what fails is simulated: a failed call does nothing and sets
// the last error, except a close (CloseHandle, FindClose), after which the handle is gone
// whatever it answered.
#include "file_call_faults.h"

#include <winioctl.h>

#include <map>
#include <string>

#include "platform/win32/file_calls.h"

namespace vantrel::testing::faults {
namespace {

struct State {
  bool armed = false;
  long fail_at = 0;
  Failure failure = Failure::kDeviceError;
  std::string only_call;  // when given, only the calls of that name are counted
  DWORD only_error = 0;   // and fail with this
  Record record;
  std::map<HANDLE, std::string> open;  // handles opened while armed, by the call that opened them
};

State state;

// What one call answers when it fails, for each way of failing; 0 where that way never makes
// this call fail (it is then not counted).
struct Answers {
  DWORD full = 0;
  DWORD in_use = 0;
};

// Whether this call is the one to fail; when it is, the last error is set and the failure noted.
bool Fails(const std::string& call, Answers answers) {
  if (!state.armed) return false;
  state.record.calls.push_back(call);
  DWORD error = ERROR_IO_DEVICE;
  if (state.failure == Failure::kDiskFull) error = answers.full;
  if (state.failure == Failure::kInUse) error = answers.in_use;
  if (!state.only_call.empty()) error = call == state.only_call ? state.only_error : 0;
  if (error == 0) return false;
  if (++state.record.counted != state.fail_at) return false;
  state.record.injected.push_back(
      {state.record.counted, call, error, state.record.calls.size() - 1});
  ::SetLastError(error);
  return true;
}

void Opened(HANDLE handle, const std::string& call) {
  if (state.armed && handle != INVALID_HANDLE_VALUE && handle != nullptr) state.open[handle] = call;
}

void Closed(HANDLE handle) {
  state.open.erase(handle);
}

bool Creates(DWORD disposition) {
  return disposition == CREATE_NEW || disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
}

std::string ClassName(FILE_INFO_BY_HANDLE_CLASS kind) {
  switch (kind) {
    case FileBasicInfo:
      return "FileBasicInfo";
    case FileRenameInfo:
      return "FileRenameInfo";
    case FileDispositionInfo:
      return "FileDispositionInfo";
    case FileIdInfo:
      return "FileIdInfo";
    default:
      return "class " + std::to_string(static_cast<int>(kind));
  }
}

std::string ControlName(DWORD code) {
  switch (code) {
    case FSCTL_QUERY_ALLOCATED_RANGES:
      return "FSCTL_QUERY_ALLOCATED_RANGES";
    case FSCTL_SET_SPARSE:
      return "FSCTL_SET_SPARSE";
    default:
      return std::to_string(code);
  }
}

}  // namespace

const char* FailureText(Failure failure) {
  switch (failure) {
    case Failure::kDeviceError:
      return "ERROR_IO_DEVICE";
    case Failure::kDiskFull:
      return "ERROR_DISK_FULL";
    case Failure::kInUse:
      return "ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED, ERROR_LOCK_VIOLATION";
  }
  return "";
}

void Arm(long fail_at, Failure failure) {
  state = State{};
  state.fail_at = fail_at;
  state.failure = failure;
  state.armed = true;
}

void ArmCall(const std::string& call, DWORD error) {
  Arm(1, Failure::kDeviceError);
  state.only_call = call;
  state.only_error = error;
}

Record Disarm() {
  Record record = std::move(state.record);
  for (const auto& [handle, call] : state.open) record.left_open.push_back(call);
  state = State{};
  return record;
}

}  // namespace vantrel::testing::faults

namespace vantrel::platform::win32::calls {

using testing::faults::Answers;
using testing::faults::Fails;

BOOL WINAPI CloseHandle(HANDLE object) {
  const bool fails = Fails("CloseHandle", {});
  testing::faults::Closed(object);
  const BOOL closed = ::CloseHandle(object);
  if (fails) ::SetLastError(ERROR_IO_DEVICE);
  return fails ? FALSE : closed;
}

BOOL WINAPI CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security) {
  if (Fails("CreateDirectoryW", {ERROR_DISK_FULL, ERROR_ACCESS_DENIED})) return FALSE;
  return ::CreateDirectoryW(path, security);
}

HANDLE WINAPI CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE model) {
  const bool creates = testing::faults::Creates(disposition);
  const std::string call = creates ? "CreateFileW(create)" : "CreateFileW(open)";
  const Answers answers =
      creates ? Answers{ERROR_DISK_FULL, ERROR_ACCESS_DENIED} : Answers{0, ERROR_SHARING_VIOLATION};
  if (Fails(call, answers)) return INVALID_HANDLE_VALUE;
  const HANDLE file = ::CreateFileW(path, access, share, security, disposition, flags, model);
  testing::faults::Opened(file, call);
  return file;
}

BOOL WINAPI DeleteFileW(LPCWSTR path) {
  if (Fails("DeleteFileW", {0, ERROR_SHARING_VIOLATION})) return FALSE;
  return ::DeleteFileW(path);
}

BOOL WINAPI DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD in_size, LPVOID out,
                            DWORD out_size, LPDWORD returned, LPOVERLAPPED overlapped) {
  if (Fails("DeviceIoControl(" + testing::faults::ControlName(code) + ")", {})) return FALSE;
  return ::DeviceIoControl(device, code, in, in_size, out, out_size, returned, overlapped);
}

BOOL WINAPI FindClose(HANDLE search) {
  const bool fails = Fails("FindClose", {});
  testing::faults::Closed(search);
  const BOOL closed = ::FindClose(search);
  if (fails) ::SetLastError(ERROR_IO_DEVICE);
  return fails ? FALSE : closed;
}

HANDLE WINAPI FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW found) {
  if (Fails("FindFirstFileW", {})) return INVALID_HANDLE_VALUE;
  const HANDLE search = ::FindFirstFileW(pattern, found);
  testing::faults::Opened(search, "FindFirstFileW");
  return search;
}

BOOL WINAPI FindNextFileW(HANDLE search, LPWIN32_FIND_DATAW found) {
  if (Fails("FindNextFileW", {})) return FALSE;
  return ::FindNextFileW(search, found);
}

BOOL WINAPI FlushFileBuffers(HANDLE file) {
  if (Fails("FlushFileBuffers", {ERROR_DISK_FULL, 0})) return FALSE;
  return ::FlushFileBuffers(file);
}

DWORD WINAPI GetFileAttributesW(LPCWSTR path) {
  if (Fails("GetFileAttributesW", {})) return INVALID_FILE_ATTRIBUTES;
  return ::GetFileAttributesW(path);
}

BOOL WINAPI GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info) {
  if (Fails("GetFileInformationByHandle", {})) return FALSE;
  return ::GetFileInformationByHandle(file, info);
}

BOOL WINAPI GetFileInformationByHandleEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info,
                                         DWORD size) {
  const std::string call = "GetFileInformationByHandleEx(" + testing::faults::ClassName(kind) + ")";
  if (Fails(call, {})) return FALSE;
  return ::GetFileInformationByHandleEx(file, kind, info, size);
}

BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) {
  if (Fails("GetFileSizeEx", {})) return FALSE;
  return ::GetFileSizeEx(file, size);
}

DWORD WINAPI GetFileType(HANDLE file) {
  if (Fails("GetFileType", {})) return FILE_TYPE_UNKNOWN;
  return ::GetFileType(file);
}

BOOL WINAPI GetVolumeInformationByHandleW(HANDLE file, LPWSTR name, DWORD name_size, LPDWORD serial,
                                          LPDWORD longest_name, LPDWORD flags, LPWSTR file_system,
                                          DWORD file_system_size) {
  if (Fails("GetVolumeInformationByHandleW", {})) return FALSE;
  return ::GetVolumeInformationByHandleW(file, name, name_size, serial, longest_name, flags,
                                         file_system, file_system_size);
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED overlapped) {
  if (Fails("ReadFile", {0, ERROR_LOCK_VIOLATION})) {
    if (got != nullptr) *got = 0;
    return FALSE;
  }
  return ::ReadFile(file, buffer, size, got, overlapped);
}

BOOL WINAPI SetEndOfFile(HANDLE file) {
  if (Fails("SetEndOfFile", {ERROR_DISK_FULL, 0})) return FALSE;
  return ::SetEndOfFile(file);
}

BOOL WINAPI SetFileInformationByHandle(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info,
                                       DWORD size) {
  const std::string call = "SetFileInformationByHandle(" + testing::faults::ClassName(kind) + ")";
  Answers answers;
  if (kind == FileRenameInfo) answers = {ERROR_DISK_FULL, ERROR_ACCESS_DENIED};
  if (kind == FileDispositionInfo) answers = {0, ERROR_ACCESS_DENIED};
  if (Fails(call, answers)) return FALSE;
  return ::SetFileInformationByHandle(file, kind, info, size);
}

BOOL WINAPI SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER position,
                             DWORD method) {
  if (Fails("SetFilePointerEx", {})) return FALSE;
  return ::SetFilePointerEx(file, distance, position, method);
}

BOOL WINAPI SetFileTime(HANDLE file, const FILETIME* created, const FILETIME* accessed,
                        const FILETIME* written) {
  if (Fails("SetFileTime", {})) return FALSE;
  return ::SetFileTime(file, created, accessed, written);
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD put,
                      LPOVERLAPPED overlapped) {
  if (Fails("WriteFile", {ERROR_DISK_FULL, 0})) {
    if (put != nullptr) *put = 0;
    return FALSE;
  }
  return ::WriteFile(file, buffer, size, put, overlapped);
}

}  // namespace vantrel::platform::win32::calls
