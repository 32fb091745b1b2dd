// The cases of the failing-call sweep: which operation, on which file, copied which way, with
// which error; and the folders each run starts from.
#pragma once

#include <sys/types.h>

#include <ostream>
#include <string>
#include <vector>

#include "fault_run.h"
#include "sandbox.h"
#include "sweep_checks.h"

namespace vantrel::testing {

enum class Content {
  kDense,   // a few hundred KiB of data
  kSparse,  // 1 MiB with three blocks of data, the rest holes
  kEmpty,
  kLarge,  // just over two write-behind chunks, so the copy flushes while it copies
};

// How the system lets the copy go: an unnamed temporary file filled inside the kernel, the same
// filled through a buffer (copy_file_range refused, as between file systems), or a named
// temporary file (O_TMPFILE refused, as on file systems without unnamed files).
enum class Way { kKernelCopy, kBufferCopy, kNamedTemporary };

struct SweepCase {
  Operation operation;
  Content content;
  Way way;
  const char* error;  // "EIO", "ENOSPC" or "EDQUOT"
};

std::vector<SweepCase> AllSweepCases();
std::string CaseName(const SweepCase& sweep);  // "CopyOver_Sparse_BufferCopy_ENOSPC"
void PrintTo(const SweepCase& sweep, std::ostream* out);
std::string ContentText(const SweepCase& sweep);
std::string WayText(const SweepCase& sweep);

// The fewest calls a complete run of the case makes, and the calls a sweep must have failed at
// least once: proof that the fault library saw what the service does.
long MinimumCalls(const SweepCase& sweep);
std::vector<std::string> ExpectedCalls(const SweepCase& sweep);

inline constexpr mode_t kSourceMode = 0640;

// Where a sweep's folders go: TMPDIR (or /tmp), the disk the user's files are on; a large file's
// in memory (/dev/shm) when that is a writable tmpfs, since writing 64 MiB to a disk for every
// failure point would take most of a minute, and the write-behind's calls and their failures
// are the same there. Run under carried_fs.sh, the mounted driver's folder, for every content.
std::string FolderBaseFor(Content content);

// The bytes of the source, made once per sweep. A large
// source is written once into `master` (in `work`, which must lie in FolderBaseFor) and linked
// into each run's folder.
struct Contents {
  Content content;
  std::string source_bytes;
  std::string master;
};
Contents MakeContents(Content content, const Sandbox& work);

// One run's folders, fresh, as sweep_checks.h names them.
struct Scene {
  Scene(const SweepCase& sweep, const Contents& contents);
  const Contents& contents;
  Sandbox box{FolderBaseFor(contents.content)};
  Places places{box.path(), '/'};
};

FaultSettings SettingsOf(const SweepCase& sweep);
std::vector<std::string> DriverArguments(const SweepCase& sweep, const Scene& scene);

// Whether the file holds exactly these bytes. Read in place through one buffer: the large file
// is compared after every run, and page faults are dear in a virtual machine.
bool FileHolds(const std::string& path, const std::string& bytes);

}  // namespace vantrel::testing
