// The Windows file calls that copying, deleting and making folders go through, by their own names
// in a namespace of their own. In the program they are the system's functions themselves (the
// names are merely brought in, so a call costs nothing more). The failing-call sweep compiles the
// same sources again with VANTREL_FILE_CALL_FAULTS, where each is a stand-in that counts the
// calls and can make one of them fail as a failing disk, a full disk or a file held by another
// program would; the stand-ins live with that test (tests/win32/file_call_faults.cpp).
#pragma once

#include "platform/win32/api.h"

namespace vantrel::platform::win32::calls {

#ifndef VANTREL_FILE_CALL_FAULTS

using ::CloseHandle;
using ::CreateDirectoryW;
using ::CreateFileW;
using ::DeleteFileW;
using ::DeviceIoControl;
using ::FindClose;
using ::FindFirstFileW;
using ::FindNextFileW;
using ::FlushFileBuffers;
using ::GetFileAttributesW;
using ::GetFileInformationByHandle;
using ::GetFileInformationByHandleEx;
using ::GetFileSizeEx;
using ::GetFileType;
using ::GetVolumeInformationByHandleW;
using ::ReadFile;
using ::SetEndOfFile;
using ::SetFileInformationByHandle;
using ::SetFilePointerEx;
using ::SetFileTime;
using ::WriteFile;

#else

BOOL WINAPI CloseHandle(HANDLE object);
BOOL WINAPI CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
HANDLE WINAPI CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE model);
BOOL WINAPI DeleteFileW(LPCWSTR path);
BOOL WINAPI DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD in_size, LPVOID out,
                            DWORD out_size, LPDWORD returned, LPOVERLAPPED overlapped);
BOOL WINAPI FindClose(HANDLE search);
HANDLE WINAPI FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW found);
BOOL WINAPI FindNextFileW(HANDLE search, LPWIN32_FIND_DATAW found);
BOOL WINAPI FlushFileBuffers(HANDLE file);
DWORD WINAPI GetFileAttributesW(LPCWSTR path);
BOOL WINAPI GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info);
BOOL WINAPI GetFileInformationByHandleEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info,
                                         DWORD size);
BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
DWORD WINAPI GetFileType(HANDLE file);
BOOL WINAPI GetVolumeInformationByHandleW(HANDLE file, LPWSTR name, DWORD name_size, LPDWORD serial,
                                          LPDWORD longest_name, LPDWORD flags, LPWSTR file_system,
                                          DWORD file_system_size);
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED overlapped);
BOOL WINAPI SetEndOfFile(HANDLE file);
BOOL WINAPI SetFileInformationByHandle(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info,
                                       DWORD size);
BOOL WINAPI SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER position,
                             DWORD method);
BOOL WINAPI SetFileTime(HANDLE file, const FILETIME* created, const FILETIME* accessed,
                        const FILETIME* written);
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD put,
                      LPOVERLAPPED overlapped);

#endif

}  // namespace vantrel::platform::win32::calls
