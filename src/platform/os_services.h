// The services of the operating system the program runs on, created by main() and by the tests
// that work on real folders.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/drive_info.h"
#include "platform/file_system.h"
#include "platform/off_thread.h"
#include "platform/program_info.h"
#include "platform/program_starter.h"
#include "platform/registry.h"

namespace vantrel::platform {

// Process-wide settings made once at start-up, before any file is written: on POSIX a write past
// the file-size limit (RLIMIT_FSIZE) fails with EFBIG instead of killing the program (SIGXFSZ is
// ignored).
void PrepareProcess();

// As the program ends, with copies perhaps still writing on workers that will not be waited for:
// has the temporary files those copies are writing removed, so nothing half done stays behind.
// It returns at once: a process of its own removes them once this one has ended (at most 2 s
// after this call, should a worker stuck on a hung mount keep this process from ending); a file
// on a file system that stopped answering stays, for the next copy into its folder to remove.
void RemoveCopiesInProgress();

std::unique_ptr<FileSystem> MakeNativeFileSystem();
std::unique_ptr<ProgramStarter> MakeNativeProgramStarter();
std::unique_ptr<Registry> MakeNativeRegistry();
std::unique_ptr<ProgramInfo> MakeNativeProgramInfo();

// How long the drives may take to say what they are before they are listed unchecked.
inline constexpr std::chrono::milliseconds kDriveAnswerDeadline{500};

// The drives a user would browse, in the order the drive list shows them. They are listed from
// the mount table (Linux) or the drive letters (Windows) alone; what needs the file system
// itself (whether a mount point is a folder, a volume label) is asked through `off_thread` with
// kDriveAnswerDeadline, and a drive that does not answer in time is listed all the same (by its
// path, or by its letter without a label).
std::vector<DriveInfo> ListDrives(OffThread& off_thread);

// The mounted file system holding a path (its mount point, or its drive or share root), for
// telling reads of one file system apart from those of another. Asks no file system.
std::string FileSystemOf(const std::string& path);
// FileSystemOf the place the path really leads to, its links followed. It reads the links on the
// way, so it belongs on a worker, but it never looks at the file system it finds: a mount point
// is known from the mount table and not looked at, since a hung one would not answer.
std::string ResolvedFileSystemOf(const std::string& path);

// The process's working folder, in the lists' form.
std::string WorkingFolder();

}  // namespace vantrel::platform
