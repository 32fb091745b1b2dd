// The file system and program start as handlers use them, with every call made on a worker
// thread while the GUI thread waits; and the folder reads of the lists, which give up on a folder
// that does not answer.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "lists/folder_snapshot.h"
#include "lists/listing.h"
#include "platform/file_system.h"
#include "platform/folder_reader.h"
#include "platform/off_thread.h"
#include "platform/os_services.h"
#include "platform/program_starter.h"
#include "platform/registry.h"
#include "platform/stuck_places.h"

namespace vantrel::platform {

// A read of `path` on a worker thread, given up on after kAnswerDeadline without an answer and
// counted on the file system the path leads to. `read` gets the path and the function to call
// whenever the system shows it is alive; it must own what it touches, since it may outlive the
// call. `failed` when it cannot be read, stopped answering, or its file system is stuck.
template <class Result, class Read>
Result ReadOffThread(OffThread& off_thread, const std::string& path, Read read, Result failed) {
  auto result = std::make_shared<Result>(failed);
  const bool finished = off_thread.RunAnswering(
      [path, result, read](const std::function<void()>& answered) {
        *result = read(path, answered);
      },
      kAnswerDeadline, FileSystemOf(path), [path] { return ResolvedFileSystemOf(path); });
  if (!finished) return failed;
  return std::move(*result);
}

// ReadFolderSnapshot on a worker thread; nullopt when the folder cannot be read or stopped
// answering, or while its file system is stuck.
std::optional<lists::FolderSnapshot> ReadFolderSnapshotOffThread(OffThread& off_thread,
                                                                 const std::string& folder);
// ReadFolder, in the same way.
std::optional<std::vector<lists::FolderEntry>> ReadFolderOffThread(OffThread& off_thread,
                                                                   const std::string& folder,
                                                                   bool with_exec_bits);

// The file system through `off_thread`. Reads give up after kAnswerDeadline without an answer
// and fail as unreadable. Changes (copy, delete, new folder) wait as long as they take, since
// they cannot be given up on halfway, but one whose source or destination is on a stuck file
// system fails at once, as does every call made while another wait runs.
// ReadExecuteBits of part of a snapshot on a worker thread, given up on as a folder read is;
// false when the folder cannot be read or did not answer, with `marks` left as they were.
bool ReadExecuteBitsOffThread(OffThread& off_thread, const std::string& folder,
                              const lists::SharedSnapshot& snapshot,
                              std::span<const std::uint32_t> entries,
                              std::span<std::uint8_t> marks);

class OffThreadFileSystem final : public FileSystem {
 public:
  // A read given up on goes on alone on its worker, so the file system is shared with it.
  OffThreadFileSystem(std::shared_ptr<FileSystem> files, OffThread& off_thread)
      : files_(std::move(files)), off_thread_(off_thread) {}

  using FileSystem::CopyFile;
  std::error_code CopyFile(const std::string& from, const std::string& to,
                           FileVersion* copied) override;
  std::error_code DeleteFile(const std::string& path) override;
  std::error_code DeleteCopiedFile(const std::string& path, const FileVersion& copied) override;
  std::error_code MakeFolder(const std::string& path) override;
  std::optional<std::uint64_t> FileLength(const std::string& path) override;
  std::string FileExists(const std::string& path) override;

 private:
  bool OnStuckPlace(const std::string& path) const;

  std::shared_ptr<FileSystem> files_;
  OffThread& off_thread_;
};

// Program start through `off_thread`; looking for an accessory gives up as a read does.
class OffThreadProgramStarter final : public ProgramStarter {
 public:
  OffThreadProgramStarter(ProgramStarter& programs, OffThread& off_thread)
      : programs_(programs), off_thread_(off_thread) {}

  bool Start(const std::string& path, WindowStyle style) override;
  std::string FindAccessory(Accessory kind) override;

 private:
  ProgramStarter& programs_;
  OffThread& off_thread_;
};

// The registry through `off_thread`: on Linux, opening a key looks for a program on the search
// path, whose folders may sit on a mount that stopped answering.
class OffThreadRegistry final : public Registry {
 public:
  OffThreadRegistry(Registry& registry, OffThread& off_thread)
      : registry_(registry), off_thread_(off_thread) {}

  long OpenKey(RegistryKey root, const std::string& sub_key, std::uint32_t access,
               RegistryKey* result) override;
  long QueryValue(RegistryKey key, const std::string& name, std::uint32_t* type,
                  unsigned char* data, std::uint32_t* size) override;
  long CloseKey(RegistryKey key) override;
  std::string ExpandEnvironment(const std::string& text) override;

 private:
  Registry& registry_;
  OffThread& off_thread_;
};

}  // namespace vantrel::platform
