// The copy behind FileSystem::CopyFile on Windows.
#pragma once

#include <string>
#include <system_error>

#include "platform/file_system.h"

namespace vantrel::platform::win32 {

// Copies a file over the destination name so that a failure never damages anything: the data
// goes into a hidden temporary file in the destination folder, which replaces the destination
// name in one step only when it is complete and flushed to disk. The temporary file is marked
// for deletion from the moment it exists until that step, so the system removes it when the
// copy fails, and when the process is killed. Refuses a source that is not a disk file, a
// destination that is the source itself (same volume and file index, whatever the spelling:
// letter case, 8.3 names, "." and "..", doubled separators, hard links), a folder, and a
// read-only destination. The copy keeps the source's attributes and times; a sparse source
// stays sparse where the destination's file system allows. On success `copied`, when given,
// receives the version of the source that was read.
std::error_code CopyFileSafely(const std::string& from, const std::string& to, FileVersion* copied);

}  // namespace vantrel::platform::win32
