#include "sweep_checks.h"

namespace vantrel::testing {
namespace {

enum class FileState { kMissing, kOld, kNew, kOther };

FileState StateOf(const SweepFiles& files, const std::string& path, const std::string* old_bytes,
                  const std::string& new_bytes) {
  switch (files.KindOf(path)) {
    case EntryKind::kMissing:
      return FileState::kMissing;
    case EntryKind::kFile:
      break;
    case EntryKind::kFolder:
    case EntryKind::kOther:
      return FileState::kOther;
  }
  if (files.Holds(path, new_bytes)) return FileState::kNew;
  if (old_bytes != nullptr && files.Holds(path, *old_bytes)) return FileState::kOld;
  return FileState::kOther;
}

const char* Describe(FileState state) {
  static const char* const kTexts[] = {"missing", "the old file", "the new file",
                                       "neither the old nor the new file"};
  return kTexts[static_cast<int>(state)];
}

// Names beyond `allowed` are strays; a bystander missing or changed is damage.
void CheckFolder(const SweepFiles& files, const std::string& folder,
                 const std::set<std::string>& allowed, Findings& findings) {
  for (const std::string& name : files.NamesIn(folder)) {
    if (!allowed.contains(name)) findings.Add(kStrays, "left behind: " + files.Join(folder, name));
  }
  if (!files.Holds(files.Join(folder, kBystander), kBystanderBytes)) {
    findings.Add(kDamaged, "the bystander in " + folder + " changed or went");
  }
}

void CheckCopyOrMove(Operation operation, const Places& places, const std::string& new_bytes,
                     const Answers& answers, const SweepFiles& files, Findings& findings) {
  const bool over = HasOldDestination(operation);
  const std::string old_bytes = OldBytes();
  const FileState destination =
      StateOf(files, places.destination, over ? &old_bytes : nullptr, new_bytes);
  if (destination == FileState::kOther) findings.Add(kDamaged, "the destination is damaged");
  if (over && destination == FileState::kMissing) {
    findings.Add(kLost, "the destination's old file is gone");
  }
  CheckFolder(files, places.destination_folder, {kBystander, kFile}, findings);
  CheckFolder(files, places.source_folder, {kBystander, kFile}, findings);

  const bool copied = Succeeded(answers, "copy");
  if (copied && destination != FileState::kNew) {
    findings.Add(kMisreported,
                 std::string("copy reported success; the destination is ") + Describe(destination));
  }
  if (copied && destination == FileState::kNew) files.CheckCarriedOver(places, findings);

  const FileState source = StateOf(files, places.source, nullptr, new_bytes);
  const bool deleted = IsMove(operation) && copied && Succeeded(answers, "delete");
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

void CheckDelete(const Places& places, const std::string& bytes, const Answers& answers,
                 const SweepFiles& files, Findings& findings) {
  CheckFolder(files, places.source_folder, {kBystander, kFile}, findings);
  const FileState file = StateOf(files, places.source, nullptr, bytes);
  if (file == FileState::kOther) findings.Add(kDamaged, "the file to delete is damaged");
  const bool reported = Succeeded(answers, "delete");
  if (reported && file != FileState::kMissing) {
    findings.Add(kMisreported, "delete reported success but the file is still there");
  }
  if (!reported && file == FileState::kMissing) {
    findings.Add(kMisreported, "delete reported failure but the file is gone");
  }
}

void CheckNewFolder(const Places& places, const Answers& answers, const SweepFiles& files,
                    Findings& findings) {
  CheckFolder(files, places.destination_folder, {kBystander, kNewFolder}, findings);
  const bool exists = files.KindOf(places.new_folder) == EntryKind::kFolder;
  if (exists != Succeeded(answers, "mkdir")) {
    findings.Add(kMisreported, exists ? "a new folder exists but failure was reported"
                                      : "success was reported but there is no new folder");
  }
}

}  // namespace

bool IsMove(Operation operation) {
  return operation == Operation::kMoveOver || operation == Operation::kMoveNew;
}

bool IsCopyOrMove(Operation operation) {
  return IsMove(operation) || operation == Operation::kCopyOver || operation == Operation::kCopyNew;
}

bool HasOldDestination(Operation operation) {
  return operation == Operation::kCopyOver || operation == Operation::kMoveOver;
}

const char* OperationName(Operation operation) {
  static const char* const kNames[] = {"CopyOver", "CopyNew", "MoveOver",
                                       "MoveNew",  "Delete",  "NewFolder"};
  return kNames[static_cast<int>(operation)];
}

std::string OperationText(Operation operation) {
  static const char* const kTexts[] = {"copy over an existing file",
                                       "copy to a new name",
                                       "move over an existing file",
                                       "move to a new name",
                                       "delete",
                                       "new folder"};
  return kTexts[static_cast<int>(operation)];
}

std::string Pattern(std::size_t size, std::uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& byte : bytes) {
    seed = seed * 1664525u + 1013904223u;
    byte = static_cast<char>(seed >> 24);
  }
  return bytes;
}

std::string OldBytes() {
  return Pattern(kOldSize, 7);
}

Places::Places(const std::string& root, char separator)
    : source_folder(root + separator + "source"),
      destination_folder(root + separator + "destination"),
      source(source_folder + separator + kFile),
      destination(destination_folder + separator + kFile),
      new_folder(destination_folder + separator + kNewFolder) {}

bool Succeeded(const Answers& answers, const std::string& call) {
  const auto found = answers.succeeded.find(call);
  return found != answers.succeeded.end() && found->second;
}

bool AllSucceeded(const Answers& answers) {
  bool all = !answers.succeeded.empty();
  for (const auto& [call, succeeded] : answers.succeeded) all = all && succeeded;
  return all;
}

Findings CheckRun(Operation operation, const Places& places, const std::string& new_bytes,
                  const Answers& answers, const SweepFiles& files) {
  Findings findings;
  if (IsCopyOrMove(operation)) {
    CheckCopyOrMove(operation, places, new_bytes, answers, files, findings);
  }
  if (operation == Operation::kDelete) CheckDelete(places, new_bytes, answers, files, findings);
  if (operation == Operation::kNewFolder) CheckNewFolder(places, answers, files, findings);
  if (AllSucceeded(answers) && !answers.failed_call.empty() && !answers.may_be_absorbed) {
    findings.Add(kSwallowed, "success reported after " + answers.failed_call + " failed");
  }
  files.CheckLeftOpen(places, findings);
  return findings;
}

}  // namespace vantrel::testing
