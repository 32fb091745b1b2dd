// The failing-call sweep of the Windows file system: each operation runs again and again through
// the service built with its failing-call seam (file_call_faults.h), with its first Windows file
// call failing, then its second, and so on (sweep_tally.h), and every run is checked for what it
// lost, damaged, left behind or misreported (sweep_checks.h). Besides, a copy reported complete
// must carry the source's write time and attributes (the temporary file was hidden), and the
// service must close every handle it opened. The runs share one process, as the program's copies
// do.
//
// With VANTREL_FAULT_SWEEP_SUMMARY_WIN32 naming a folder (a Windows path, or a Unix one under
// Wine), each sweep writes there one JSON file of what it tried and found, in the form of the
// Linux sweep's summaries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <filesystem>
#include <map>
#include <sstream>

#include "fault_sweep_cases.h"
#include "file_call_faults.h"
#include "platform/os_services.h"
#include "sweep_checks.h"
#include "sweep_tally.h"
#include "win32_paths.h"

namespace vantrel::testing {
namespace {

// ---- One run ---------------------------------------------------------------------------------

struct Outcome {
  std::map<std::string, std::error_code> result;  // "copy", "delete", "mkdir" → what it returned
  faults::Record record;
};

// The operation as the program makes it: a move is a copy and, when the copy succeeded, the
// guarded delete of the source version it read.
Outcome Perform(platform::FileSystem& files, const SweepCase& sweep, const Scene& scene, long at) {
  const Places& places = scene.places;
  Outcome run;
  faults::Arm(at, sweep.failure);
  switch (sweep.operation) {
    case Operation::kCopyOver:
    case Operation::kCopyNew:
      run.result["copy"] = files.CopyFile(places.source, places.destination);
      break;
    case Operation::kMoveOver:
    case Operation::kMoveNew: {
      platform::FileVersion version;
      run.result["copy"] = files.CopyFile(places.source, places.destination, &version);
      if (!run.result["copy"])
        run.result["delete"] = files.DeleteCopiedFile(places.source, version);
      break;
    }
    case Operation::kDelete:
      run.result["delete"] = files.DeleteFile(places.source);
      break;
    case Operation::kNewFolder:
      run.result["mkdir"] = files.MakeFolder(places.new_folder);
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

// The attributes a copy carries over.
constexpr DWORD kCarried = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

WIN32_FILE_ATTRIBUTE_DATA AttributeData(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ::GetFileAttributesExW(W(path).c_str(), GetFileExInfoStandard, &data);
  return data;
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

// What a run left, seen with the system's own calls; one run's record of the seam.
class Win32SweepFiles : public SweepFiles {
 public:
  // What a complete copy carries over from its source, taken before each run.
  WIN32_FILE_ATTRIBUTE_DATA source_before{};
  const faults::Record* record = nullptr;

  EntryKind KindOf(const std::string& path) const override {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::kMissing;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? EntryKind::kFolder : EntryKind::kFile;
  }
  bool Holds(const std::string& path, const std::string& bytes) const override {
    return Exists(path) && ReadAll(path) == bytes;
  }
  std::vector<std::string> NamesIn(const std::string& folder) const override {
    return RawNames(folder);
  }
  std::string Join(const std::string& folder, const std::string& name) const override {
    return vantrel::testing::Join(folder, name);
  }
  // The source's write time and attributes (the temporary file was hidden).
  void CheckCarriedOver(const Places& places, Findings& findings) const override {
    const WIN32_FILE_ATTRIBUTE_DATA copy = AttributeData(places.destination);
    if (::CompareFileTime(&copy.ftLastWriteTime, &source_before.ftLastWriteTime) != 0) {
      findings.Add(kMisreported, "copy reported success; the copy lacks the source's write time");
    }
    if ((copy.dwFileAttributes & kCarried) != (source_before.dwFileAttributes & kCarried)) {
      findings.Add(kMisreported,
                   "copy reported success; the copy's attributes are not the source's");
    }
  }
  // The service closed every handle it opened.
  void CheckLeftOpen(const Places& places, Findings& findings) const override {
    for (const std::string& call : record->left_open) {
      findings.Add(kLeaked, "a handle opened by " + call + " was never closed");
    }
    for (const std::string& folder : {places.source_folder, places.destination_folder}) {
      for (const std::string& name : RawNames(folder)) {
        if (HeldOpen(Join(folder, name))) {
          findings.Add(kLeaked, Join(folder, name) + " is still held open");
        }
      }
    }
  }
};

Answers AnswersOf(const Outcome& run) {
  Answers answers;
  for (const auto& [call, error] : run.result) answers.succeeded[call] = !error;
  if (!run.record.injected.empty()) {
    answers.failed_call = run.record.injected[0].call;
    answers.may_be_absorbed = MayBeAbsorbed(run);
  }
  return answers;
}

// ---- The summary -----------------------------------------------------------------------------

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

void WriteSummaryOf(const SweepCase& sweep, const Tally& tally) {
  const std::filesystem::path folder = SummaryFolder();
  if (folder.empty()) return;
  WriteSummary(folder,
               {CaseName(sweep), OperationText(sweep.operation), ContentText(sweep), WayText(sweep),
                faults::FailureText(sweep.failure), ""},
               tally, {kLost, kDamaged, kStrays, kMisreported, kSwallowed, kLeaked});
}

// ---- The sweep -------------------------------------------------------------------------------

class FaultSweep : public ::testing::TestWithParam<SweepCase> {
 protected:
  WorkFolder work;
  std::unique_ptr<platform::FileSystem> files = platform::MakeNativeFileSystem();
};

TEST_P(FaultSweep, NoFailingCallLosesOrDamagesAFile) {
  const SweepCase& sweep = GetParam();
  const std::string new_bytes = SourceBytes(sweep.content);
  Win32SweepFiles seen_files;
  Tally tally;
  RunSweep(
      [&](long at) {
        const Scene scene(work, at, sweep, new_bytes);
        seen_files.source_before = AttributeData(scene.places.source);
        const Outcome run = Perform(*files, sweep, scene, at);
        seen_files.record = &run.record;
        SweepRun seen;
        seen.counted = run.record.counted;
        seen.failures = run.record.injected.size();
        seen.answers = AnswersOf(run);
        seen.context = Describe(run);
        if (!run.record.injected.empty()) seen.failed_at = run.record.injected[0].at;
        seen.findings =
            CheckRun(sweep.operation, scene.places, new_bytes, seen.answers, seen_files);
        return seen;
      },
      tally);
  if (HasFatalFailure()) return;
  WriteSummaryOf(sweep, tally);
  ExpectCoverage(tally, MinimumCalls(sweep), ExpectedCalls(sweep));
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
  const std::error_code copied = files->CopyFile(scene.places.source, scene.places.destination);
  const faults::Record record = faults::Disarm();
  ASSERT_EQ(record.injected.size(), 1u);
  EXPECT_EQ(!copied, refusal.copies) << copied.message();
  EXPECT_EQ(ReadAll(scene.places.destination), refusal.copies ? new_bytes : OldBytes());
  EXPECT_EQ(RawNames(scene.places.destination_folder),
            (std::vector<std::string>{kBystander, kFile}));
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
