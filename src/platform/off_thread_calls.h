// The file system and program start as handlers use them, with every call made on a worker
// thread while the GUI thread waits; and the folder reads of the lists, which give up on a folder
// that does not answer.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "lists/folder_snapshot.h"
#include "lists/listing.h"
#include "platform/file_system.h"
#include "platform/folder_reader.h"
#include "platform/off_thread.h"
#include "platform/program_starter.h"

namespace vantrel::platform {

// How long a folder may take to open and give its first entries before it counts as a drive
// that cannot be opened. A folder that answered in time is read to its end, however long.
inline constexpr std::chrono::milliseconds kFolderAnswerDeadline{3000};

// ReadFolderSnapshot on a worker thread; nullopt when the folder cannot be read or did not
// answer in time, or while an earlier read on its file system is still unanswered.
std::optional<lists::FolderSnapshot> ReadFolderSnapshotOffThread(OffThread& off_thread,
                                                                 const std::string& folder);
// ReadFolder, in the same way.
std::optional<std::vector<lists::FolderEntry>> ReadFolderOffThread(OffThread& off_thread,
                                                                   const std::string& folder,
                                                                   bool with_exec_bits);

class OffThreadFileSystem final : public FileSystem {
 public:
  OffThreadFileSystem(FileSystem& files, OffThread& off_thread)
      : files_(files), off_thread_(off_thread) {}

  using FileSystem::CopyFile;
  std::error_code CopyFile(const std::string& from, const std::string& to,
                           FileVersion* copied) override;
  std::error_code DeleteFile(const std::string& path) override;
  std::error_code DeleteCopiedFile(const std::string& path, const FileVersion& copied) override;
  std::error_code MakeFolder(const std::string& path) override;
  std::optional<std::uint64_t> FileLength(const std::string& path) override;
  std::string FileExists(const std::string& path) override;

 private:
  FileSystem& files_;
  OffThread& off_thread_;
};

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

}  // namespace vantrel::platform
