// Which version of a file an open handle reaches: what a copy records of its source, and what a
// guarded delete checks before it removes the file.
#pragma once

#include <system_error>

#include "platform/file_system.h"
#include "platform/win32/api.h"

namespace vantrel::platform::win32 {

// The file's 128-bit id and 64-bit volume serial where the file system gives them (ReFS needs
// them: its 64-bit index is not unique), else the 64-bit index and 32-bit serial; with its size
// and last write time. `info` is what GetFileInformationByHandle gave for the same handle.
FileVersion VersionOf(HANDLE file, const BY_HANDLE_FILE_INFORMATION& info);

// A file's 64-bit index, from GetFileInformationByHandle.
inline std::uint64_t IndexOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
}

}  // namespace vantrel::platform::win32
