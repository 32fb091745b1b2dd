// The failing-call sweep of the Windows file system: each operation runs again and again through
// the service built with its failing-call seam (file_call_faults.h), the first time with its
// first Windows file call failing, then its second, and so on until a run completes without
// reaching the failing call. After every run:
//   - the destination is byte for byte its old file or the new one (or absent, if it was);
//   - no other entry has appeared in either folder (no temporary file left behind);
//   - success was reported only for the complete new file, with the source's write time and
//     attributes (the temporary file was hidden);
//   - a move removed its source only once a complete copy was in place;
//   - a delete removed the named file or nothing, and said which;
//   - a new folder exists exactly when success was reported;
//   - a failed call that can mean lost data never ended in reported success;
//   - the service closed every handle it opened.
// Each failure point must really have failed (the seam notes it), and a sweep must have tried at
// least a plausible number of calls, so it cannot pass by failing nothing. The runs share one
// process, as the program's copies do.
//
// With VANTREL_FAULT_SWEEP_SUMMARY_WIN32 naming a folder (a Windows path, or a Unix one under
// Wine), each sweep writes there one JSON file of what it tried and found, in the form of the
// Linux sweep's summaries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "fault_sweep_cases.h"
#include "file_call_faults.h"
#include "platform/os_services.h"
#include "win32_paths.h"

namespace vantrel::testing {
namespace {

constexpr long kMostFailurePoints = 400;

// ---- One run ---------------------------------------------------------------------------------

struct Outcome {
  std::map<std::string, std::error_code> result;  // "copy", "delete", "mkdir" → what it returned
  faults::Record record;
};

// The operation as the program makes it: a move is a copy and, when the copy succeeded, the
// guarded delete of the source version it read.
Outcome Perform(platform::FileSystem& files, const SweepCase& sweep, const Scene& scene, long at) {
  Outcome run;
  faults::Arm(at, sweep.failure);
  switch (sweep.operation) {
    case Operation::kCopyOver:
    case Operation::kCopyNew:
      run.result["copy"] = files.CopyFile(scene.source, scene.destination);
      break;
    case Operation::kMoveOver:
    case Operation::kMoveNew: {
      platform::FileVersion version;
      run.result["copy"] = files.CopyFile(scene.source, scene.destination, &version);
      if (!run.result["copy"]) run.result["delete"] = files.DeleteCopiedFile(scene.source, version);
      break;
    }
    case Operation::kDelete:
      run.result["delete"] = files.DeleteFile(scene.source);
      break;
    case Operation::kNewFolder:
      run.result["mkdir"] = files.MakeFolder(scene.new_folder);
      break;
  }
  run.record = faults::Disarm();
  return run;
}

std::string Describe(const Outcome& run) {
  std::ostringstream text;
  for (const auto& [call, error] : run.result) {
    text << call << ": " << error.value() << " " << error.message() << "\n";
  }
  text << "calls:";
  for (const std::string& call : run.record.calls) text << " " << call;
  return text.str();
}

// ---- The checks ------------------------------------------------------------------------------

// What one run broke, by kind.
struct Findings {
  std::map<std::string, std::vector<std::string>> by_kind;
  void Add(const std::string& kind, const std::string& what) { by_kind[kind].push_back(what); }
};

const char* const kLost = "files_lost";
const char* const kDamaged = "files_damaged";
const char* const kStrays = "strays";
const char* const kMisreported = "misreported";
const char* const kSwallowed = "swallowed";
const char* const kLeaked = "handles_leaked";

enum class FileState { kMissing, kOld, kNew, kOther };

FileState StateOf(const std::string& path, const std::string* old_bytes,
                  const std::string& new_bytes) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return FileState::kMissing;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileState::kOther;
  const std::string bytes = ReadAll(path);
  if (bytes == new_bytes) return FileState::kNew;
  if (old_bytes != nullptr && bytes == *old_bytes) return FileState::kOld;
  return FileState::kOther;
}

const char* Describe(FileState state) {
  static const char* const kTexts[] = {"missing", "the old file", "the new file",
                                       "neither the old nor the new file"};
  return kTexts[static_cast<int>(state)];
}

bool Succeeded(const Outcome& run, const std::string& call) {
  const auto found = run.result.find(call);
  return found != run.result.end() && !found->second;
}

bool AllSucceeded(const Outcome& run) {
  bool all = !run.result.empty();
  for (const auto& [call, error] : run.result) all = all && !error;
  return all;
}

// Names beyond `allowed` are strays; a bystander missing or changed is damage.
void CheckFolder(const std::string& folder, const std::set<std::string>& allowed,
                 Findings& findings) {
  for (const std::string& name : RawNames(folder)) {
    if (!allowed.contains(name)) findings.Add(kStrays, "left behind: " + Join(folder, name));
  }
  if (ReadAll(Join(folder, kBystander)) != kBystanderBytes) {
    findings.Add(kDamaged, "the bystander in " + folder + " changed or went");
  }
}

// What a run must leave, taken before it: the bytes of the old and the new file, and what a
// complete copy carries over from its source.
struct Before {
  std::string new_bytes;
  std::string old_bytes;
  WIN32_FILE_ATTRIBUTE_DATA source{};
};

// The attributes a copy carries over.
constexpr DWORD kCarried = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

WIN32_FILE_ATTRIBUTE_DATA AttributeData(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ::GetFileAttributesExW(W(path).c_str(), GetFileExInfoStandard, &data);
  return data;
}

void CheckCopyOrMove(const SweepCase& sweep, const Scene& scene, const Outcome& run,
                     const Before& before, Findings& findings) {
  const std::string& new_bytes = before.new_bytes;
  const bool over = HasOldDestination(sweep.operation);
  const FileState destination =
      StateOf(scene.destination, over ? &before.old_bytes : nullptr, new_bytes);
  if (destination == FileState::kOther) findings.Add(kDamaged, "the destination is damaged");
  if (over && destination == FileState::kMissing) {
    findings.Add(kLost, "the destination's old file is gone");
  }
  CheckFolder(scene.destination_folder, {kBystander, kFile}, findings);
  CheckFolder(scene.source_folder, {kBystander, kFile}, findings);

  const bool copied = Succeeded(run, "copy");
  if (copied && destination != FileState::kNew) {
    findings.Add(kMisreported,
                 std::string("copy reported success; the destination is ") + Describe(destination));
  }
  if (copied && destination == FileState::kNew) {
    const WIN32_FILE_ATTRIBUTE_DATA copy = AttributeData(scene.destination);
    if (::CompareFileTime(&copy.ftLastWriteTime, &before.source.ftLastWriteTime) != 0) {
      findings.Add(kMisreported, "copy reported success; the copy lacks the source's write time");
    }
    if ((copy.dwFileAttributes & kCarried) != (before.source.dwFileAttributes & kCarried)) {
      findings.Add(kMisreported,
                   "copy reported success; the copy's attributes are not the source's");
    }
  }

  const FileState source = StateOf(scene.source, nullptr, new_bytes);
  const bool deleted = IsMove(sweep.operation) && copied && Succeeded(run, "delete");
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

void CheckDelete(const Scene& scene, const Outcome& run, const std::string& bytes,
                 Findings& findings) {
  CheckFolder(scene.source_folder, {kBystander, kFile}, findings);
  const FileState file = StateOf(scene.source, nullptr, bytes);
  if (file == FileState::kOther) findings.Add(kDamaged, "the file to delete is damaged");
  const bool reported = Succeeded(run, "delete");
  if (reported && file != FileState::kMissing) {
    findings.Add(kMisreported, "delete reported success but the file is still there");
  }
  if (!reported && file == FileState::kMissing) {
    findings.Add(kMisreported, "delete reported failure but the file is gone");
  }
}

void CheckNewFolder(const Scene& scene, const Outcome& run, Findings& findings) {
  CheckFolder(scene.destination_folder, {kBystander, kNewFolder}, findings);
  if (IsFolder(scene.new_folder) != Succeeded(run, "mkdir")) {
    findings.Add(kMisreported, IsFolder(scene.new_folder)
                                   ? "a new folder exists but failure was reported"
                                   : "success was reported but there is no new folder");
  }
}

// Failures the service may answer by going on, because nothing is lost: a handle is gone
// whatever its close answers; without the 128-bit file id the 64-bit index names the file; a
// copy's look for the temporary files a power cut left behind only tidies up; and the flush after
// the rename only makes lasting a name that already holds the complete copy.
bool MayBeAbsorbed(const Outcome& run) {
  const faults::Injected& failed = run.record.injected.front();
  if (failed.call == "CloseHandle" || failed.call == "GetFileInformationByHandleEx(FileIdInfo)" ||
      failed.call == "FindFirstFileW" || failed.call == "FindNextFileW" ||
      failed.call == "FindClose") {
    return true;
  }
  if (failed.call != "FlushFileBuffers") return false;
  const auto before = run.record.calls.begin() + static_cast<std::ptrdiff_t>(failed.index);
  return std::find(run.record.calls.begin(), before,
                   "SetFileInformationByHandle(FileRenameInfo)") != before;
}

// Whether anything still holds the entry open for its data: such a handle refuses an open that
// shares nothing. (A handle open for its attributes alone does not; the seam's own account of
// the handles sees those.)
bool HeldOpen(const std::string& path) {
  const HANDLE entry = ::CreateFileW(W(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (entry == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
  }
  ::CloseHandle(entry);
  return false;
}

void CheckHandles(const Scene& scene, const Outcome& run, Findings& findings) {
  for (const std::string& call : run.record.left_open) {
    findings.Add(kLeaked, "a handle opened by " + call + " was never closed");
  }
  for (const std::string& folder : {scene.source_folder, scene.destination_folder}) {
    for (const std::string& name : RawNames(folder)) {
      if (HeldOpen(Join(folder, name))) {
        findings.Add(kLeaked, Join(folder, name) + " is still held open");
      }
    }
  }
}

Findings Check(const SweepCase& sweep, const Scene& scene, const Outcome& run,
               const Before& before) {
  Findings findings;
  if (IsCopyOrMove(sweep.operation)) CheckCopyOrMove(sweep, scene, run, before, findings);
  if (sweep.operation == Operation::kDelete) CheckDelete(scene, run, before.new_bytes, findings);
  if (sweep.operation == Operation::kNewFolder) CheckNewFolder(scene, run, findings);
  if (AllSucceeded(run) && !run.record.injected.empty() && !MayBeAbsorbed(run)) {
    findings.Add(kSwallowed, "success reported after " + run.record.injected[0].call + " failed");
  }
  CheckHandles(scene, run, findings);
  return findings;
}

// ---- The summary -----------------------------------------------------------------------------

// What one sweep tried and found.
struct Tally {
  long failure_points = 0;
  long reported_failure = 0;
  long absorbed = 0;
  std::set<std::string> calls_failed;
  std::map<std::string, long> runs_with;  // finding kind → runs with at least one
};

// The summary folder as this program can open it: under Wine a Unix path is turned into the
// drive path that leads to it.
std::filesystem::path SummaryFolder() {
  const wchar_t* name = L"VANTREL_FAULT_SWEEP_SUMMARY_WIN32";
  const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (size <= 1) return {};
  std::wstring folder(size, L'\0');
  folder.resize(::GetEnvironmentVariableW(name, folder.data(), size));
  using ToDos = wchar_t* (*)(const char*);
  const auto to_dos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  if (folder.front() == L'/' && to_dos != nullptr) {
    if (wchar_t* dos = to_dos(platform::win32::Narrow(folder).c_str())) {
      folder = dos;
      ::HeapFree(::GetProcessHeap(), 0, dos);
    }
  }
  return std::filesystem::path(folder);
}

void WriteSummary(const SweepCase& sweep, const Tally& tally) {
  const std::filesystem::path folder = SummaryFolder();
  if (folder.empty()) return;
  std::ostringstream json;
  json << "{\"case\": \"" << CaseName(sweep) << "\", \"operation\": \""
       << OperationText(sweep.operation) << "\", \"file\": \"" << ContentText(sweep)
       << "\", \"way\": \"" << WayText(sweep) << "\", \"error\": \""
       << faults::FailureText(sweep.failure) << "\", "
       << "\"failure_points\": " << tally.failure_points
       << ", \"reported_failure\": " << tally.reported_failure
       << ", \"absorbed\": " << tally.absorbed << ", \"calls_failed\": [";
  const char* separator = "";
  for (const std::string& call : tally.calls_failed) {
    json << separator << '"' << call << '"';
    separator = ", ";
  }
  json << "]";
  for (const char* kind : {kLost, kDamaged, kStrays, kMisreported, kSwallowed, kLeaked}) {
    const auto found = tally.runs_with.find(kind);
    json << ", \"" << kind << "\": " << (found == tally.runs_with.end() ? 0 : found->second);
  }
  json << "}\n";
  std::ofstream(folder / (CaseName(sweep) + ".json")) << json.str();
}

// ---- The sweep -------------------------------------------------------------------------------

class FaultSweep : public ::testing::TestWithParam<SweepCase> {
 protected:
  WorkFolder work;
  std::unique_ptr<platform::FileSystem> files = platform::MakeNativeFileSystem();
};

TEST_P(FaultSweep, NoFailingCallLosesOrDamagesAFile) {
  const SweepCase& sweep = GetParam();
  Before before{SourceBytes(sweep.content), OldBytes()};
  Tally tally;
  long completing = 0;
  for (long at = 1; completing == 0; ++at) {
    ASSERT_LE(at, kMostFailurePoints) << "the operation never completed";
    const Scene scene(work, at, sweep, before.new_bytes);
    before.source = AttributeData(scene.source);
    const Outcome run = Perform(*files, sweep, scene, at);
    const std::string context = "failing call " + std::to_string(at) + ":\n" + Describe(run);
    ASSERT_LE(run.record.injected.size(), 1u) << context;
    if (run.record.injected.empty()) {
      // The run that did not reach the failing call: every call before it has been failed once.
      EXPECT_EQ(run.record.counted, at - 1) << context;
      EXPECT_TRUE(AllSucceeded(run)) << "without a failure:\n" << context;
      completing = at;
    } else {
      const faults::Injected& failed = run.record.injected[0];
      EXPECT_EQ(failed.at, at) << context;
      EXPECT_GE(run.record.counted, at) << context;
      ++tally.failure_points;
      tally.calls_failed.insert(failed.call);
      ++(AllSucceeded(run) ? tally.absorbed : tally.reported_failure);
    }
    const Findings findings = Check(sweep, scene, run, before);
    for (const auto& [kind, what] : findings.by_kind) {
      ++tally.runs_with[kind];
      for (const std::string& one : what) ADD_FAILURE() << kind << ": " << one << "\n" << context;
    }
  }
  WriteSummary(sweep, tally);
  EXPECT_GE(tally.failure_points, MinimumCalls(sweep));
  for (const std::string& call : ExpectedCalls(sweep)) {
    EXPECT_TRUE(tally.calls_failed.contains(call)) << call << " was never failed";
  }
}

INSTANTIATE_TEST_SUITE_P(Sweeps, FaultSweep, ::testing::ValuesIn(AllSweepCases()),
                         [](const auto& info) { return CaseName(info.param); });

// ---- One call refused as a volume or a server refuses what it cannot do: times it cannot set
// do not fail a copy, and a temporary name it cannot store gives way to the short one; a device
// error in the same call still fails the copy.

struct Refusal {
  const char* call;
  DWORD error;
  bool copies;
};

std::string RefusalName(const Refusal& refusal) {
  std::string name = refusal.call;
  name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return !std::isalnum(c); }),
             name.end());
  return name + "_" + std::to_string(refusal.error);
}

void PrintTo(const Refusal& refusal, std::ostream* out) {
  *out << RefusalName(refusal);
}

class RefusedCall : public ::testing::TestWithParam<Refusal> {
 protected:
  WorkFolder work;
  std::unique_ptr<platform::FileSystem> files = platform::MakeNativeFileSystem();
};

TEST_P(RefusedCall, CopiesWithoutWhatTheVolumeCannotTakeAndFailsOnOtherErrors) {
  const Refusal& refusal = GetParam();
  const SweepCase sweep{Operation::kCopyOver, Content::kDense, faults::Failure::kDeviceError};
  const std::string new_bytes = SourceBytes(Content::kDense);
  const Scene scene(work, 1, sweep, new_bytes);
  faults::ArmCall(refusal.call, refusal.error);
  const std::error_code copied = files->CopyFile(scene.source, scene.destination);
  const faults::Record record = faults::Disarm();
  ASSERT_EQ(record.injected.size(), 1u);
  EXPECT_EQ(!copied, refusal.copies) << copied.message();
  EXPECT_EQ(ReadAll(scene.destination), refusal.copies ? new_bytes : OldBytes());
  EXPECT_EQ(RawNames(scene.destination_folder), (std::vector<std::string>{kBystander, kFile}));
  EXPECT_TRUE(record.left_open.empty());
}

INSTANTIATE_TEST_SUITE_P(Calls, RefusedCall,
                         ::testing::Values(Refusal{"SetFileTime", ERROR_INVALID_FUNCTION, true},
                                           Refusal{"SetFileTime", ERROR_NOT_SUPPORTED, true},
                                           Refusal{"SetFileTime", ERROR_ACCESS_DENIED, true},
                                           Refusal{"SetFileTime", ERROR_IO_DEVICE, false},
                                           Refusal{"CreateFileW(create)", ERROR_INVALID_NAME, true},
                                           Refusal{"CreateFileW(create)",
                                                   ERROR_FILENAME_EXCED_RANGE, true},
                                           Refusal{"CreateFileW(create)", ERROR_IO_DEVICE, false}),
                         [](const auto& info) { return RefusalName(info.param); });

}  // namespace
}  // namespace vantrel::testing
