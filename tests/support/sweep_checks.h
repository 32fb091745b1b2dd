// What the two failing-call sweeps (tests/posix, tests/win32) share: the operations they make,
// the folders each run starts from, and the checks after every run. Each sweep fails the N-th
// file-system call of one operation in its own way; what a run may leave behind is the same on
// every system:
//   - the destination is byte for byte its old file or the new one (or absent, if it was);
//   - no other entry has appeared in either folder (no temporary left behind);
//   - success was reported only for the complete new file, with what a copy carries over;
//   - a move removed its source only once a complete copy was in place;
//   - a delete removed the named file or nothing, and said which;
//   - a new folder exists exactly when success was reported;
//   - a failed call that can mean lost data (a write, a flush) never ended in reported success.
// The checks look at the files through SweepFiles, the system's own calls, never through the
// service under test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace vantrel::testing {

enum class Operation { kCopyOver, kCopyNew, kMoveOver, kMoveNew, kDelete, kNewFolder };

bool IsMove(Operation operation);
bool IsCopyOrMove(Operation operation);
bool HasOldDestination(Operation operation);
const char* OperationName(Operation operation);  // "CopyOver", for test names
std::string OperationText(Operation operation);  // "copy over an existing file", for summaries

// The names each run's folders hold: source/{file, bystander} and destination/{bystander}, plus
// destination/file holding the old bytes when the operation replaces a file.
inline constexpr char kFile[] = "file";
inline constexpr char kBystander[] = "bystander";
inline constexpr char kNewFolder[] = "new folder";
inline constexpr char kBystanderBytes[] = "a file nobody asked about";
inline constexpr std::size_t kDenseSize = 300 * 1024;
inline constexpr std::size_t kOldSize = 70 * 1024;

// Bytes that repeat nowhere within a file, so a block in the wrong place shows.
std::string Pattern(std::size_t size, std::uint32_t seed);
std::string OldBytes();  // the destination's old file

// One run's paths, joined with the system's separator.
struct Places {
  Places(const std::string& root, char separator);
  std::string source_folder, destination_folder, source, destination, new_folder;
};

// What one run broke, by kind; the kinds are what the summaries count.
struct Findings {
  std::map<std::string, std::vector<std::string>> by_kind;
  void Add(const std::string& kind, const std::string& what) { by_kind[kind].push_back(what); }
};
inline constexpr char kLost[] = "files_lost";
inline constexpr char kDamaged[] = "files_damaged";
inline constexpr char kStrays[] = "strays";
inline constexpr char kMisreported[] = "misreported";
inline constexpr char kSwallowed[] = "swallowed";
inline constexpr char kLeaked[] = "handles_leaked";

enum class EntryKind { kMissing, kFile, kFolder, kOther };

// How a sweep looks at what a run left, with the system's own calls.
class SweepFiles {
 public:
  virtual ~SweepFiles() = default;
  virtual EntryKind KindOf(const std::string& path) const = 0;  // the name itself, not a link's
  virtual bool Holds(const std::string& path, const std::string& bytes) const = 0;
  virtual std::vector<std::string> NamesIn(const std::string& folder) const = 0;
  virtual std::string Join(const std::string& folder, const std::string& name) const = 0;
  // What a copy reported complete must carry over from its source besides its bytes (mode bits,
  // write time, attributes): a finding for each that it lacks.
  virtual void CheckCarriedOver(const Places& places, Findings& findings) const = 0;
  // What a run may not leave besides files (handles still open): a finding for each.
  virtual void CheckLeftOpen(const Places& places, Findings& findings) const = 0;
};

// What the service answered in one run.
struct Answers {
  std::map<std::string, bool> succeeded;  // "copy", "delete", "mkdir" → reported success
  std::string failed_call;                // the call failed, empty when the run did not reach it
  bool may_be_absorbed = false;  // the failed call is one the service may answer by going on
};
bool Succeeded(const Answers& answers, const std::string& call);
bool AllSucceeded(const Answers& answers);

// Every check of one run of the operation on the scene at `places`, whose source held
// `new_bytes`.
Findings CheckRun(Operation operation, const Places& places, const std::string& new_bytes,
                  const Answers& answers, const SweepFiles& files);

}  // namespace vantrel::testing
