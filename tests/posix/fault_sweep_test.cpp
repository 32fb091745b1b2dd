// The failing-call sweep: each operation of the POSIX file system runs again and again in
// fault_driver, the first time with its first file-system call failing, then its second, and so
// on until a run completes without reaching the failing call. After every run:
//   - the destination is byte for byte its old file or the new one (or absent, if it was);
//   - no other entry has appeared in either folder (no temporary left behind);
//   - success was reported only for the complete new file;
//   - a move removed its source only once a complete copy was in place;
//   - a delete removed the named file or nothing, and said which;
//   - a new folder exists exactly when success was reported;
//   - a failed call that can mean lost data (a write, a flush) never ended in reported success.
// Each failure point must really have failed (the fault library marks it), and a sweep must have
// tried at least a plausible number of calls, so it cannot pass by failing nothing.
//
// With VANTREL_FAULT_SWEEP_SUMMARY naming a folder, each sweep writes there one JSON file of
// what it tried and found (the operation, the file, the way of copying, the error, the failure
// points tried, the calls failed, and the files lost, damaged or left behind), and the file system
// when it ran on a mounted driver.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fault_run.h"
#include "fault_sweep_cases.h"
#include "sandbox.h"

namespace vantrel::testing {
namespace {

constexpr long kMostFailurePoints = 400;

// What one run broke, by kind.
struct Findings {
  std::map<std::string, std::vector<std::string>> by_kind;
  void Add(const std::string& kind, const std::string& what) { by_kind[kind].push_back(what); }
};

// The finding kinds, as the summary counts them.
const char* const kLost = "files_lost";
const char* const kDamaged = "files_damaged";
const char* const kStrays = "strays";
const char* const kMisreported = "misreported";
const char* const kSwallowed = "swallowed";

// Calls whose failure the service may answer by going on, because nothing is lost: a clone the
// system refuses is copied instead; a failed look for the first hole copies the file in one
// range; a failed access check leaves the real call to answer for itself; closing a descriptor
// only read from can lose nothing.
const std::set<std::string> kMayBeAbsorbed = {"ioctl(FICLONE)", "lseek", "faccessat",
                                              "close(read-only)"};

enum class FileState { kMissing, kOld, kNew, kOther };

FileState StateOf(const std::string& path, const std::string* old_bytes,
                  const std::string& new_bytes) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return FileState::kMissing;
  if (!S_ISREG(info.st_mode)) return FileState::kOther;
  if (FileHolds(path, new_bytes)) return FileState::kNew;
  if (old_bytes != nullptr && FileHolds(path, *old_bytes)) return FileState::kOld;
  return FileState::kOther;
}

const char* Describe(FileState state) {
  switch (state) {
    case FileState::kMissing:
      return "missing";
    case FileState::kOld:
      return "the old file";
    case FileState::kNew:
      return "the new file";
    case FileState::kOther:
      return "neither the old nor the new file";
  }
  return "";
}

// Names beyond `allowed` are strays; a bystander missing or changed is damage.
void CheckFolder(const Scene& scene, const std::string& folder,
                 const std::set<std::string>& allowed, Findings& findings) {
  for (const std::string& name : NamesIn(folder)) {
    if (!allowed.contains(name)) findings.Add(kStrays, "left behind: " + folder + "/" + name);
  }
  if (ReadFile(folder + "/" + kBystander) != scene.bystander_bytes) {
    findings.Add(kDamaged, "the bystander in " + folder + " changed or went");
  }
}

// Whether the file system keeps the bits a file is given: exFAT and FAT show the same bits for
// every file, whatever chmod was asked, so there a copy cannot carry the source's.
bool KeepsPermissionBits(const Scene& scene) {
  return (StatOf(scene.source_folder + "/" + kBystander).st_mode & 07777) == 0644;
}

bool Succeeded(const DriverRun& run, const std::string& call) {
  const auto found = run.result.find(call);
  return found != run.result.end() && found->second == 0;
}

void CheckCopyOrMove(const SweepCase& sweep, const Scene& scene, const DriverRun& run,
                     Findings& findings) {
  const bool over = HasOldDestination(sweep.operation);
  const bool move = IsMove(sweep.operation);
  const std::string& new_bytes = scene.contents.source_bytes;
  const FileState destination =
      StateOf(scene.destination, over ? &scene.contents.old_bytes : nullptr, new_bytes);
  if (destination == FileState::kOther) findings.Add(kDamaged, "the destination is damaged");
  if (over && destination == FileState::kMissing) {
    findings.Add(kLost, "the destination's old file is gone");
  }
  CheckFolder(scene, scene.destination_folder, {kBystander, kFile}, findings);
  CheckFolder(scene, scene.source_folder, {kBystander, kFile}, findings);

  const bool copied = Succeeded(run, "copy");
  if (copied && destination != FileState::kNew) {
    findings.Add(kMisreported,
                 std::string("copy reported success; the destination is ") + Describe(destination));
  }
  if (copied && destination == FileState::kNew && KeepsPermissionBits(scene) &&
      (StatOf(scene.destination).st_mode & 07777) != kSourceMode) {
    findings.Add(kMisreported, "copy reported success; the copy lacks the source's bits");
  }

  const FileState source = StateOf(scene.source, nullptr, new_bytes);
  const bool deleted = move && copied && Succeeded(run, "delete");
  if (source == FileState::kOther) findings.Add(kDamaged, "the source is damaged");
  if (source == FileState::kMissing && destination != FileState::kNew) {
    findings.Add(kLost, "the source is gone without a complete copy");
  }
  if (source == FileState::kMissing && !deleted) {
    findings.Add(kMisreported, "the source is gone but no delete reported success");
  }
  if (source != FileState::kMissing && deleted) {
    findings.Add(kMisreported, "delete reported success but the source is still there");
  }
}

void CheckDelete(const Scene& scene, const DriverRun& run, Findings& findings) {
  CheckFolder(scene, scene.source_folder, {kBystander, kFile}, findings);
  const FileState file = StateOf(scene.source, nullptr, scene.contents.source_bytes);
  if (file == FileState::kOther) findings.Add(kDamaged, "the file to delete is damaged");
  const bool reported = Succeeded(run, "delete");
  if (reported && file != FileState::kMissing) {
    findings.Add(kMisreported, "delete reported success but the file is still there");
  }
  if (!reported && file == FileState::kMissing) {
    findings.Add(kMisreported, "delete reported failure but the file is gone");
  }
}

void CheckNewFolder(const Scene& scene, const DriverRun& run, Findings& findings) {
  CheckFolder(scene, scene.destination_folder, {kBystander, kNewFolder}, findings);
  struct stat info {};
  const bool exists = ::lstat(scene.new_folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  if (exists != Succeeded(run, "mkdir")) {
    findings.Add(kMisreported, exists ? "a new folder exists but failure was reported"
                                      : "success was reported but there is no new folder");
  }
}

bool AllSucceeded(const DriverRun& run) {
  bool all = !run.result.empty();
  for (const auto& [call, error] : run.result) all = all && error == 0;
  return all;
}

Findings Check(const SweepCase& sweep, const Scene& scene, const DriverRun& run) {
  Findings findings;
  if (IsCopyOrMove(sweep.operation)) CheckCopyOrMove(sweep, scene, run, findings);
  if (sweep.operation == Operation::kDelete) CheckDelete(scene, run, findings);
  if (sweep.operation == Operation::kNewFolder) CheckNewFolder(scene, run, findings);
  if (AllSucceeded(run) && !run.injected.empty() &&
      !kMayBeAbsorbed.contains(run.injected[0].call)) {
    findings.Add(kSwallowed, "success reported after " + run.injected[0].call + " failed");
  }
  return findings;
}

// What one sweep tried and found, for the summary.
struct Tally {
  long failure_points = 0;
  long reported_failure = 0;
  long absorbed = 0;
  std::set<std::string> calls_failed;
  std::map<std::string, long> runs_with;  // finding kind → runs with at least one
};

void WriteSummary(const SweepCase& sweep, const Tally& tally) {
  const char* folder = std::getenv("VANTREL_FAULT_SWEEP_SUMMARY");
  if (folder == nullptr || *folder == '\0') return;
  std::ostringstream json;
  json << "{\"case\": \"" << CaseName(sweep) << "\", \"operation\": \""
       << OperationText(sweep.operation) << "\", \"file\": \"" << ContentText(sweep) << "\", "
       << "\"way\": \"" << WayText(sweep) << "\", \"error\": \"" << sweep.error << "\", "
       << "\"failure_points\": " << tally.failure_points
       << ", \"reported_failure\": " << tally.reported_failure
       << ", \"absorbed\": " << tally.absorbed << ", \"calls_failed\": [";
  const char* separator = "";
  for (const std::string& call : tally.calls_failed) {
    json << separator << '"' << call << '"';
    separator = ", ";
  }
  json << "]";
  for (const char* kind : {kLost, kDamaged, kStrays, kMisreported, kSwallowed}) {
    const auto found = tally.runs_with.find(kind);
    json << ", \"" << kind << "\": " << (found == tally.runs_with.end() ? 0 : found->second);
  }
  // Run on a mounted driver (carried_fs.sh run), the summary says which.
  const char* file_system = std::getenv("VANTREL_CARRIED_FS_KIND");
  const std::string on = file_system != nullptr && *file_system ? file_system : "";
  if (!on.empty()) json << ", \"file_system\": \"" << on << '"';
  json << "}\n";
  std::ofstream(std::string(folder) + "/" + (on.empty() ? "" : on + "-") + CaseName(sweep) +
                ".json")
      << json.str();
}

class FaultSweepTest : public ::testing::TestWithParam<SweepCase> {
 protected:
  void SetUp() override {
    const std::string why = WhyFaultsCannotBeInjected();
    if (!why.empty()) GTEST_SKIP() << why;
    driver.emplace(work.path());
  }

  // The marker and a large source, apart from the folders under test.
  Sandbox work{FolderBaseFor(GetParam().content)};
  std::optional<FaultDriver> driver;
};

TEST_P(FaultSweepTest, NoFailingCallLosesOrDamagesAFile) {
  const SweepCase& sweep = GetParam();
  const Contents contents = MakeContents(sweep.content, work);
  Tally tally;
  long completing = 0;
  for (long at = 1; completing == 0; ++at) {
    ASSERT_LE(at, kMostFailurePoints) << "the operation never completed";
    const Scene scene(sweep, contents);
    FaultSettings settings = SettingsOf(sweep);
    settings.fail_at = at;
    const DriverRun run = driver->Run(DriverArguments(sweep, scene), settings);
    const std::string context = "failing call " + std::to_string(at) + ":\n" + run.output;
    ASSERT_TRUE(run.ran) << context;
    ASSERT_LE(run.injected.size(), 1u) << context;
    if (run.injected.empty()) {
      // The run that did not reach the failing call: every call before it has been failed once.
      EXPECT_EQ(run.calls, at - 1) << context;
      completing = at;
    } else {
      EXPECT_EQ(run.injected[0].at, at) << context;
      EXPECT_EQ(run.injected[0].error, sweep.error) << context;
      EXPECT_GE(run.calls, at) << context;
      ++tally.failure_points;
      tally.calls_failed.insert(run.injected[0].call);
    }
    const Findings findings = Check(sweep, scene, run);
    for (const auto& [kind, what] : findings.by_kind) {
      ++tally.runs_with[kind];
      for (const std::string& one : what) ADD_FAILURE() << kind << ": " << one << "\n" << context;
    }
    if (!run.injected.empty()) {
      ++(AllSucceeded(run) ? tally.absorbed : tally.reported_failure);
    } else {
      EXPECT_TRUE(AllSucceeded(run)) << "without a failure:\n" << context;
    }
  }
  WriteSummary(sweep, tally);
  EXPECT_GE(tally.failure_points, MinimumCalls(sweep));
  for (const std::string& call : ExpectedCalls(sweep)) {
    EXPECT_TRUE(tally.calls_failed.contains(call)) << call << " was never failed";
  }
}

INSTANTIATE_TEST_SUITE_P(Sweeps, FaultSweepTest, ::testing::ValuesIn(AllSweepCases()),
                         [](const auto& info) { return CaseName(info.param); });

}  // namespace
}  // namespace vantrel::testing
