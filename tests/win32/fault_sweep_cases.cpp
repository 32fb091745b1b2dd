#include "fault_sweep_cases.h"

#include <random>
#include <stdexcept>

#include "win32_paths.h"

namespace vantrel::testing {
namespace {

using faults::Failure;

void MakeFolder(const std::string& path) {
  if (!::CreateDirectoryW(W(path).c_str(), nullptr)) {
    throw std::runtime_error("cannot make " + path);
  }
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  const HANDLE file = ::CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD put = 0;
  const bool written =
      file != INVALID_HANDLE_VALUE &&
      (bytes.empty() ||
       ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr)) &&
      put == bytes.size();
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  if (!written) throw std::runtime_error("cannot write " + path);
}

// Removes what it can and goes on past what it cannot.
void RemoveTree(const std::string& folder) {
  for (const std::string& name : RawNames(folder)) {
    const std::string path = Join(folder, name);
    if (IsFolder(path)) {
      RemoveTree(path);
    } else {
      ::SetFileAttributesW(W(path).c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(W(path).c_str());
    }
  }
  ::RemoveDirectoryW(W(folder).c_str());
}

}  // namespace

std::vector<SweepCase> AllSweepCases() {
  constexpr Failure kAll[] = {Failure::kDeviceError, Failure::kDiskFull, Failure::kInUse};
  std::vector<SweepCase> cases;
  for (const Operation operation :
       {Operation::kCopyOver, Operation::kCopyNew, Operation::kMoveOver, Operation::kMoveNew}) {
    for (const Content content : {Content::kDense, Content::kEmpty}) {
      for (const Failure failure : kAll) cases.push_back({operation, content, failure});
    }
  }
  // A read-only source's copy takes its attributes before the rename, and must lose them again
  // to be removed when the rename fails. (A move copies such a file but never deletes it.)
  for (const Operation operation : {Operation::kCopyOver, Operation::kCopyNew}) {
    cases.push_back({operation, Content::kReadOnly, Failure::kDeviceError});
  }
  // No call of a delete needs room on the disk.
  for (const Failure failure : {Failure::kDeviceError, Failure::kInUse}) {
    cases.push_back({Operation::kDelete, Content::kDense, failure});
  }
  for (const Failure failure : kAll) {
    cases.push_back({Operation::kNewFolder, Content::kEmpty, failure});
  }
  return cases;
}

std::string CaseName(const SweepCase& sweep) {
  static const char* const kFailures[] = {"DeviceError", "DiskFull", "InUse"};
  std::string name = OperationName(sweep.operation);
  static const char* const kContents[] = {"_Dense", "_Empty", "_ReadOnly"};
  if (IsCopyOrMove(sweep.operation)) name += kContents[static_cast<int>(sweep.content)];
  return name + "_" + kFailures[static_cast<int>(sweep.failure)];
}

void PrintTo(const SweepCase& sweep, std::ostream* out) {
  *out << CaseName(sweep);
}

std::string ContentText(const SweepCase& sweep) {
  if (sweep.operation == Operation::kNewFolder) return "-";
  static const char* const kTexts[] = {"300 KiB", "empty", "300 KiB, read-only"};
  return kTexts[static_cast<int>(sweep.content)];
}

std::string WayText(const SweepCase& sweep) {
  if (!IsCopyOrMove(sweep.operation)) return "-";
  return "hidden temporary marked for deletion, renamed over";
}

long MinimumCalls(const SweepCase& sweep) {
  switch (sweep.operation) {
    case Operation::kDelete:
      return sweep.failure == Failure::kDeviceError ? 2 : 1;
    case Operation::kNewFolder:
      return 1;
    default:
      if (sweep.failure != Failure::kDeviceError) return 3;
      return IsMove(sweep.operation) ? 20 : 15;
  }
}

std::vector<std::string> ExpectedCalls(const SweepCase& sweep) {
  const bool dense = sweep.content != Content::kEmpty;
  if (sweep.operation == Operation::kNewFolder) return {"CreateDirectoryW"};
  if (sweep.operation == Operation::kDelete) {
    if (sweep.failure == Failure::kInUse) return {"DeleteFileW"};
    return {"GetFileAttributesW", "DeleteFileW"};
  }
  std::vector<std::string> calls = {"CreateFileW(create)",
                                    "SetFileInformationByHandle(FileRenameInfo)"};
  if (sweep.failure == Failure::kDiskFull) {
    calls.push_back("FlushFileBuffers");
    if (dense) calls.push_back("WriteFile");
    return calls;
  }
  calls.push_back("CreateFileW(open)");
  calls.push_back("SetFileInformationByHandle(FileDispositionInfo)");
  calls.push_back("ReadFile");
  if (sweep.failure == Failure::kInUse) return calls;
  for (const char* call :
       {"GetFileType", "GetFileInformationByHandle", "SetFileTime", "FlushFileBuffers",
        "SetFileInformationByHandle(FileBasicInfo)", "CloseHandle"}) {
    calls.push_back(call);
  }
  if (dense) calls.push_back("WriteFile");
  if (IsMove(sweep.operation)) calls.push_back("GetFileInformationByHandleEx(FileIdInfo)");
  return calls;
}

std::string SourceBytes(Content content) {
  return content == Content::kEmpty ? std::string() : Pattern(kDenseSize, 1);
}

WorkFolder::WorkFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  std::random_device random;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const std::string candidate = platform::win32::Narrow(std::wstring(temp, length)) +
                                  "vantrel-sweep-" + std::to_string(random());
    if (::CreateDirectoryW(W(candidate).c_str(), nullptr)) path_ = candidate;
  }
  if (path_.empty()) throw std::runtime_error("cannot make a folder for the sweep");
}

WorkFolder::~WorkFolder() {
  RemoveTree(path_);
}

Scene::Scene(const WorkFolder& work, long at, const SweepCase& sweep, const std::string& new_bytes)
    : root(Join(work.path(), "run" + std::to_string(at))), places(root, '\\') {
  for (const std::string& folder : {root, places.source_folder, places.destination_folder}) {
    MakeFolder(folder);
  }
  WriteBytes(places.source, new_bytes);
  if (sweep.content == Content::kReadOnly) {
    ::SetFileAttributesW(W(places.source).c_str(), FILE_ATTRIBUTE_READONLY);
  }
  WriteBytes(Join(places.source_folder, kBystander), kBystanderBytes);
  WriteBytes(Join(places.destination_folder, kBystander), kBystanderBytes);
  if (HasOldDestination(sweep.operation)) WriteBytes(places.destination, OldBytes());
}

Scene::~Scene() {
  RemoveTree(root);
}

}  // namespace vantrel::testing
