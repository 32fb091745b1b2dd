#include "platform/off_thread_calls.h"

#include <memory>
#include <utility>

#include "platform/native.h"

namespace vantrel::platform {
namespace {

// Runs a call on a worker and hands its result back; Run never returns before the call has, so
// the call may use the caller's arguments.
template <class Call>
auto OnWorker(OffThread& off_thread, Call call) -> decltype(call()) {
  decltype(call()) result{};
  off_thread.Run([&result, &call] { result = call(); });
  return result;
}

// A read that may be given up on owns its folder text and its result.
template <class Result, class Read>
std::optional<Result> ReadAnswering(OffThread& off_thread, const std::string& folder, Read read) {
  auto result = std::make_shared<std::optional<Result>>();
  const bool finished = off_thread.RunAnswering(
      [folder, result, read](const std::function<void()>& answered) {
        *result = read(folder, answered);
      },
      kFolderAnswerDeadline, FileSystemOf(folder),
      [folder] { return ResolvedFileSystemOf(folder); });
  if (!finished) return std::nullopt;
  return std::move(*result);
}

}  // namespace

std::optional<lists::FolderSnapshot> ReadFolderSnapshotOffThread(OffThread& off_thread,
                                                                 const std::string& folder) {
  return ReadAnswering<lists::FolderSnapshot>(
      off_thread, folder, [](const std::string& path, const std::function<void()>& answered) {
        return ReadFolderSnapshot(path, answered);
      });
}

std::optional<std::vector<lists::FolderEntry>> ReadFolderOffThread(OffThread& off_thread,
                                                                   const std::string& folder,
                                                                   bool with_exec_bits) {
  return ReadAnswering<std::vector<lists::FolderEntry>>(
      off_thread, folder,
      [with_exec_bits](const std::string& path, const std::function<void()>& answered) {
        return ReadFolder(path, with_exec_bits, answered);
      });
}

std::error_code OffThreadFileSystem::CopyFile(const std::string& from, const std::string& to,
                                              FileVersion* copied) {
  return OnWorker(off_thread_, [&] { return files_.CopyFile(from, to, copied); });
}

std::error_code OffThreadFileSystem::DeleteFile(const std::string& path) {
  return OnWorker(off_thread_, [&] { return files_.DeleteFile(path); });
}

std::error_code OffThreadFileSystem::DeleteCopiedFile(const std::string& path,
                                                      const FileVersion& copied) {
  return OnWorker(off_thread_, [&] { return files_.DeleteCopiedFile(path, copied); });
}

std::error_code OffThreadFileSystem::MakeFolder(const std::string& path) {
  return OnWorker(off_thread_, [&] { return files_.MakeFolder(path); });
}

std::optional<std::uint64_t> OffThreadFileSystem::FileLength(const std::string& path) {
  return OnWorker(off_thread_, [&] { return files_.FileLength(path); });
}

std::string OffThreadFileSystem::FileExists(const std::string& path) {
  return OnWorker(off_thread_, [&] { return files_.FileExists(path); });
}

bool OffThreadProgramStarter::Start(const std::string& path, WindowStyle style) {
  return OnWorker(off_thread_, [&] { return programs_.Start(path, style); });
}

std::string OffThreadProgramStarter::FindAccessory(Accessory kind) {
  return OnWorker(off_thread_, [&] { return programs_.FindAccessory(kind); });
}

}  // namespace vantrel::platform
