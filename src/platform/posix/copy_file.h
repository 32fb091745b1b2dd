// The copy behind FileSystem::CopyFile on POSIX.
#pragma once

#include <string>
#include <system_error>

#include "platform/file_system.h"

namespace vantrel::platform::posix {

// Where the data goes while it is copied. Unnamed: a file with no name at all (O_TMPFILE) in
// the destination folder, named only once complete and on disk, so a copy killed at any moment
// leaves the folder as it was; on a file system that cannot make one, the copy goes the named
// way instead. Named: a hidden named file from the start (".name.vantrel-XXXXXX", or
// ".vantrel-XXXXXX" where the file system refuses that name), held by a lock while it is written
// and removed by the end of the program; a copy killed outright leaves it behind, for the next
// copy into that folder to remove. Also reachable directly so that this way stays tested.
enum class TemporaryFile { Unnamed, Named };

// Copies a regular file over the destination name so that a failure never damages anything: the
// data goes into a temporary file beside the destination, which replaces the destination name in
// one rename only when it is complete and on disk. Holes of a sparse source stay holes; the
// permission bits and times are the source's where the file system keeps them. Refuses
// a source that is not a regular file, a destination that is the source itself (by device and
// inode, whatever the spelling), a folder or a read-only file. On success `copied`, when given,
// receives the version of the source that was read.
std::error_code CopyFileSafely(const std::string& from, const std::string& to,
                               FileVersion* copied = nullptr,
                               TemporaryFile temporary = TemporaryFile::Unnamed);

}  // namespace vantrel::platform::posix
