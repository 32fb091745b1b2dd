// Moving a copy's data: a reflink clone where the file system makes one, else the kernel's copy
// or a buffer, range by range with the holes kept, flushed to disk behind the writing.
#pragma once

#include <sys/stat.h>

#include <system_error>

namespace vantrel::platform::posix {

// The data, then permission bits and times as the source's where the file system keeps them,
// then on disk: only a file that reached the disk whole may replace the destination. An fsync
// error fails the copy; never retried.
std::error_code FillTemporary(int source_fd, const struct stat& source, int temp_fd);

}  // namespace vantrel::platform::posix
