// The failing-call seam of the Win32 file-system service, for the failing-call sweep. The sweep's
// build of the service (win32_file_faults) sends every Windows file call it makes through the
// stand-ins of file_call_faults.cpp (see src/platform/win32/file_calls.h). While armed they count
// the calls and make the N-th counted one fail instead of reaching the system, and they keep
// account of the handles opened and closed. Disarmed they only pass the calls on.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/win32/api.h"

namespace vantrel::testing::faults {

// The way the disk fails, and so which calls are counted and what they answer.
enum class Failure {
  // The disk stops answering: every call is counted and fails with ERROR_IO_DEVICE.
  kDeviceError,
  // The disk is full: only the calls that need room are counted (creating a file or a folder, a
  // write, a flush, a new end of file, a rename) and fail with ERROR_DISK_FULL.
  kDiskFull,
  // Another program (a virus scanner, an indexer, an editor) holds the file or the folder: the
  // calls that open, rename or remove a name are counted and fail with ERROR_SHARING_VIOLATION
  // or ERROR_ACCESS_DENIED, as Windows answers them; a read fails with ERROR_LOCK_VIOLATION.
  kInUse,
};

// The errors it answers: "ERROR_IO_DEVICE", "ERROR_DISK_FULL", or the three of kInUse.
const char* FailureText(Failure failure);

struct Injected {
  long at = 0;       // its place among the counted calls, from 1
  std::string call;  // "WriteFile", "SetFileInformationByHandle(FileRenameInfo)", ...
  DWORD error = 0;
  std::size_t index = 0;  // its place in Record::calls
};

// What happened between Arm and Disarm.
struct Record {
  long counted = 0;                    // calls counted
  std::vector<Injected> injected;      // the call failed, if the run reached it
  std::vector<std::string> calls;      // every call made, counted or not, in order
  std::vector<std::string> left_open;  // the calls that opened handles still open
};

// Counts from the next call on; the call numbered `fail_at` fails (0: none).
void Arm(long fail_at, Failure failure);
// Counts only the calls of that name (as Injected::call names them); the first fails with
// `error`, as a volume that cannot do what the call asks would answer.
void ArmCall(const std::string& call, DWORD error);
Record Disarm();

}  // namespace vantrel::testing::faults
