// The cases of the Windows failing-call sweep: which operation, on which file, with which way of
// failing; and the folders each run starts from.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "file_call_faults.h"
#include "sweep_checks.h"

namespace vantrel::testing {

// 300 KiB of data; nothing; 300 KiB in a read-only file.
enum class Content { kDense, kEmpty, kReadOnly };

struct SweepCase {
  Operation operation;
  Content content;
  faults::Failure failure;
};

std::vector<SweepCase> AllSweepCases();
std::string CaseName(const SweepCase& sweep);  // "MoveOver_Dense_DiskFull"
void PrintTo(const SweepCase& sweep, std::ostream* out);
std::string ContentText(const SweepCase& sweep);
std::string WayText(const SweepCase& sweep);

// The fewest failure points a sweep of the case tries, and the calls it must have failed at
// least once: proof that the seam stands where the service makes its calls.
long MinimumCalls(const SweepCase& sweep);
std::vector<std::string> ExpectedCalls(const SweepCase& sweep);

std::string SourceBytes(Content content);

// A sweep's own folder in the temporary folder. It is made and removed with the system's plain
// calls, which give up on what they cannot remove: a file the service left open must fail the
// sweep, not hang it.
class WorkFolder {
 public:
  WorkFolder();
  ~WorkFolder();
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// One run's folders, fresh, as sweep_checks.h names them; removed afterwards.
struct Scene {
  Scene(const WorkFolder& work, long at, const SweepCase& sweep, const std::string& new_bytes);
  ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;
  std::string root;
  Places places;
};

}  // namespace vantrel::testing
