#include "platform/off_thread_calls.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/os_services.h"

namespace vantrel::platform {
namespace {

// What a call that could not run at all gives back.
const std::error_code kNotRun = std::make_error_code(std::errc::resource_unavailable_try_again);

// Runs a call on a worker and hands its result back, or `failed` when the call could not run or
// threw; Run never returns before the call has, so the call may use the caller's arguments.
template <class Call, class Result = decltype(std::declval<Call&>()())>
Result OnWorker(OffThread& off_thread, Call call, Result failed) {
  Result result{};
  try {
    if (!off_thread.Run([&result, &call] { result = call(); })) return failed;
  } catch (...) {
    return failed;
  }
  return result;
}

}  // namespace

std::optional<lists::FolderSnapshot> ReadFolderSnapshotOffThread(OffThread& off_thread,
                                                                 const std::string& folder) {
  return ReadOffThread<std::optional<lists::FolderSnapshot>>(
      off_thread, folder,
      [](const std::string& path, const std::function<void()>& answered) {
        return ReadFolderSnapshot(path, answered);
      },
      std::nullopt);
}

std::optional<std::vector<lists::FolderEntry>> ReadFolderOffThread(OffThread& off_thread,
                                                                   const std::string& folder,
                                                                   bool with_exec_bits) {
  return ReadOffThread<std::optional<std::vector<lists::FolderEntry>>>(
      off_thread, folder,
      [with_exec_bits](const std::string& path, const std::function<void()>& answered) {
        return ReadFolder(path, with_exec_bits, answered);
      },
      std::nullopt);
}

bool ReadExecuteBitsOffThread(OffThread& off_thread, const std::string& folder,
                              const lists::SharedSnapshot& snapshot,
                              std::span<const std::uint32_t> entries,
                              std::span<std::uint8_t> marks) {
  // The worker may outlive this call: it reads and marks copies of its own.
  auto owned = std::make_shared<std::pair<std::vector<std::uint32_t>, std::vector<std::uint8_t>>>(
      std::vector<std::uint32_t>(entries.begin(), entries.end()),
      std::vector<std::uint8_t>(marks.size()));
  const bool read = ReadOffThread<bool>(
      off_thread, folder,
      [snapshot, owned](const std::string& path, const std::function<void()>&) {
        return ReadExecuteBits(path, *snapshot, owned->first, owned->second);
      },
      false);
  if (read) std::copy(owned->second.begin(), owned->second.end(), marks.begin());
  return read;
}

bool OffThreadFileSystem::OnStuckPlace(const std::string& path) const {
  return off_thread_.Stuck(FileSystemOf(path));
}

std::error_code OffThreadFileSystem::CopyFile(const std::string& from, const std::string& to,
                                              FileVersion* copied) {
  if (OnStuckPlace(from) || OnStuckPlace(to)) return kNotRun;
  return OnWorker(
      off_thread_, [&] { return files_->CopyFile(from, to, copied); }, kNotRun);
}

std::error_code OffThreadFileSystem::DeleteFile(const std::string& path) {
  if (OnStuckPlace(path)) return kNotRun;
  return OnWorker(
      off_thread_, [&] { return files_->DeleteFile(path); }, kNotRun);
}

std::error_code OffThreadFileSystem::DeleteCopiedFile(const std::string& path,
                                                      const FileVersion& copied) {
  if (OnStuckPlace(path)) return kNotRun;
  return OnWorker(
      off_thread_, [&] { return files_->DeleteCopiedFile(path, copied); }, kNotRun);
}

std::error_code OffThreadFileSystem::MakeFolder(const std::string& path) {
  if (OnStuckPlace(path)) return kNotRun;
  return OnWorker(
      off_thread_, [&] { return files_->MakeFolder(path); }, kNotRun);
}

std::optional<std::uint64_t> OffThreadFileSystem::FileLength(const std::string& path) {
  return ReadOffThread<std::optional<std::uint64_t>>(
      off_thread_, path,
      [files = files_](const std::string& file, const std::function<void()>&) {
        return files->FileLength(file);
      },
      std::nullopt);
}

std::string OffThreadFileSystem::FileExists(const std::string& path) {
  return ReadOffThread<std::string>(
      off_thread_, path,
      [files = files_](const std::string& file, const std::function<void()>&) {
        return files->FileExists(file);
      },
      std::string());
}

bool OffThreadProgramStarter::Start(const std::string& path, WindowStyle style) {
  return OnWorker(
      off_thread_, [&] { return programs_.Start(path, style); }, false);
}

std::string OffThreadProgramStarter::FindAccessory(Accessory kind) {
  return OnWorker(
      off_thread_, [&] { return programs_.FindAccessory(kind); }, std::string());
}

long OffThreadRegistry::OpenKey(RegistryKey root, const std::string& sub_key, std::uint32_t access,
                                RegistryKey* result) {
  return OnWorker(
      off_thread_, [&] { return registry_.OpenKey(root, sub_key, access, result); },
      kErrorNotReady);
}

long OffThreadRegistry::QueryValue(RegistryKey key, const std::string& name, std::uint32_t* type,
                                   unsigned char* data, std::uint32_t* size) {
  return OnWorker(
      off_thread_, [&] { return registry_.QueryValue(key, name, type, data, size); },
      kErrorNotReady);
}

long OffThreadRegistry::CloseKey(RegistryKey key) {
  return OnWorker(
      off_thread_, [&] { return registry_.CloseKey(key); }, kErrorNotReady);
}

std::string OffThreadRegistry::ExpandEnvironment(const std::string& text) {
  return registry_.ExpandEnvironment(text);  // the process's own environment: nothing to wait on
}

}  // namespace vantrel::platform
