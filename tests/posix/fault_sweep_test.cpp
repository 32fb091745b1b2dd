// The failing-call sweep of the POSIX file system: each operation runs again and again in
// fault_driver, with its first file-system call failing, then its second, and so on
// (sweep_tally.h), and every run is checked for what it lost, damaged, left behind or misreported
// (sweep_checks.h). A failed call that can mean lost data (a write, a flush) must never end in
// reported success; and a copy reported complete must carry the source's mode bits where the
// file system keeps them.
//
// With VANTREL_FAULT_SWEEP_SUMMARY naming a folder, each sweep writes there one JSON file of
// what it tried and found (the operation, the file, the way of copying, the error, the failure
// points tried, the calls failed, and the files lost, damaged or left behind), and the file system
// when it ran on a mounted driver.
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fault_run.h"
#include "fault_sweep_cases.h"
#include "sandbox.h"
#include "sweep_checks.h"
#include "sweep_tally.h"

namespace vantrel::testing {
namespace {

// Calls whose failure the service may answer by going on, because nothing is lost: a clone the
// system refuses is copied instead; a failed look for the first hole copies the file in one
// range; a failed access check leaves the real call to answer for itself; closing a descriptor
// only read from can lose nothing.
const std::set<std::string> kMayBeAbsorbed = {"ioctl(FICLONE)", "lseek", "faccessat",
                                              "close(read-only)"};

class PosixSweepFiles : public SweepFiles {
 public:
  EntryKind KindOf(const std::string& path) const override {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return EntryKind::kMissing;
    if (S_ISREG(info.st_mode)) return EntryKind::kFile;
    return S_ISDIR(info.st_mode) ? EntryKind::kFolder : EntryKind::kOther;
  }
  bool Holds(const std::string& path, const std::string& bytes) const override {
    return FileHolds(path, bytes);
  }
  std::vector<std::string> NamesIn(const std::string& folder) const override {
    return vantrel::testing::NamesIn(folder);
  }
  std::string Join(const std::string& folder, const std::string& name) const override {
    return folder + "/" + name;
  }
  // The source's mode bits, where the file system keeps the bits a file is given: exFAT and FAT
  // show the same bits for every file, whatever chmod was asked, so there a copy cannot carry
  // them. The bystander was made 0644.
  void CheckCarriedOver(const Places& places, Findings& findings) const override {
    const bool keeps_bits =
        (StatOf(Join(places.source_folder, kBystander)).st_mode & 07777) == 0644;
    if (keeps_bits && (StatOf(places.destination).st_mode & 07777) != kSourceMode) {
      findings.Add(kMisreported, "copy reported success; the copy lacks the source's bits");
    }
  }
  // Each run's process has ended before the checks: it can hold nothing open.
  void CheckLeftOpen(const Places&, Findings&) const override {}
};

Answers AnswersOf(const DriverRun& run) {
  Answers answers;
  for (const auto& [call, error] : run.result) answers.succeeded[call] = error == 0;
  if (!run.injected.empty()) {
    answers.failed_call = run.injected[0].call;
    answers.may_be_absorbed = kMayBeAbsorbed.contains(answers.failed_call);
  }
  return answers;
}

void WriteSummaryOf(const SweepCase& sweep, const Tally& tally) {
  const char* folder = std::getenv("VANTREL_FAULT_SWEEP_SUMMARY");
  if (folder == nullptr || *folder == '\0') return;
  // Run on a mounted driver (carried_fs.sh run), the summary says which.
  const char* file_system = std::getenv("VANTREL_CARRIED_FS_KIND");
  WriteSummary(folder,
               {CaseName(sweep), OperationText(sweep.operation), ContentText(sweep), WayText(sweep),
                sweep.error, file_system != nullptr ? file_system : ""},
               tally, {kLost, kDamaged, kStrays, kMisreported, kSwallowed});
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
  const PosixSweepFiles files;
  Tally tally;
  RunSweep(
      [&](long at) {
        const Scene scene(sweep, contents);
        FaultSettings settings = SettingsOf(sweep);
        settings.fail_at = at;
        const DriverRun run = driver->Run(DriverArguments(sweep, scene), settings);
        SweepRun seen;
        seen.ran = run.ran;
        seen.counted = run.calls;
        seen.failures = run.injected.size();
        seen.answers = AnswersOf(run);
        seen.context = run.output;
        if (!run.injected.empty()) {
          seen.failed_at = run.injected[0].at;
          EXPECT_EQ(run.injected[0].error, sweep.error) << "failing call " << at << ":\n"
                                                        << run.output;
        }
        seen.findings =
            CheckRun(sweep.operation, scene.places, contents.source_bytes, seen.answers, files);
        return seen;
      },
      tally);
  if (HasFatalFailure()) return;
  WriteSummaryOf(sweep, tally);
  ExpectCoverage(tally, MinimumCalls(sweep), ExpectedCalls(sweep));
}

INSTANTIATE_TEST_SUITE_P(Sweeps, FaultSweepTest, ::testing::ValuesIn(AllSweepCases()),
                         [](const auto& info) { return CaseName(info.param); });

}  // namespace
}  // namespace vantrel::testing
