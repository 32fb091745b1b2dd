// Scripted and recording stand-ins for the platform services.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "gate.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/program_info.h"
#include "platform/program_starter.h"
#include "platform/registry.h"

namespace vantrel::testing {

// Answers questions from a script; a question nobody scripted fails the test and answers No.
class ScriptedDialogs : public platform::Dialogs {
 public:
  struct Message {
    std::string prompt;
    int style;
    std::string title;
  };

  platform::Answer MessageBox(const std::string& prompt, int style,
                              const std::string& title) override;
  std::string InputBox(const std::string& prompt) override;

  std::deque<platform::Answer> answers;
  std::deque<std::string> inputs;
  std::vector<Message> messages;
  std::vector<std::string> input_prompts;
};

// A front end's real question boxes, except that the copy's "Sure!" is answered Yes at once.
class SureThenRealDialogs final : public platform::Dialogs {
 public:
  explicit SureThenRealDialogs(platform::Dialogs& real) : real_(real) {}
  platform::Answer MessageBox(const std::string& prompt, int style,
                              const std::string& title) override {
    if (title == "Sure!") return platform::Answer::Yes;
    return real_.MessageBox(prompt, style, title);
  }
  std::string InputBox(const std::string& prompt) override { return real_.InputBox(prompt); }

 private:
  platform::Dialogs& real_;
};

// The real file system, with every call recorded.
class RecordingFileSystem : public platform::FileSystem {
 public:
  explicit RecordingFileSystem(std::unique_ptr<platform::FileSystem> real)
      : real_(std::move(real)) {}

  using platform::FileSystem::CopyFile;
  std::error_code CopyFile(const std::string& from, const std::string& to,
                           platform::FileVersion* copied) override;
  std::error_code DeleteFile(const std::string& path) override;
  // Recorded in `deletes` as well.
  std::error_code DeleteCopiedFile(const std::string& path,
                                   const platform::FileVersion& copied) override;
  std::error_code MakeFolder(const std::string& path) override;
  std::optional<std::uint64_t> FileLength(const std::string& path) override;
  std::string FileExists(const std::string& path) override;

  std::vector<std::pair<std::string, std::string>> copies;
  std::vector<std::string> deletes;
  std::vector<std::string> made_folders;
  std::vector<std::string> length_queries;
  std::vector<std::string> exists_queries;
  // Lengths to report instead of asking the disk (for sizes no test should write).
  std::map<std::string, std::uint64_t> length_overrides;
  // Paths to report as existing files, such as fixed paths of another system.
  std::set<std::string> existing;
  // Paths to report as missing, such as fixed paths this system really has.
  std::set<std::string> absent;
  // When set, copies, deletes and new folders are only recorded, and reported as done: for tests
  // whose paths are of another system, which on this one would name places relative to the
  // working folder.
  bool record_only = false;

 private:
  std::unique_ptr<platform::FileSystem> real_;
};

// A recording file system whose copies wait at a gate before they start.
class GatedFileSystem final : public RecordingFileSystem {
 public:
  explicit GatedFileSystem(Gate& gate);
  using platform::FileSystem::CopyFile;
  std::error_code CopyFile(const std::string& from, const std::string& to,
                           platform::FileVersion* copied) override;

 private:
  Gate& gate_;
};

class RecordingProgramStarter : public platform::ProgramStarter {
 public:
  bool Start(const std::string& path, platform::WindowStyle style) override;
  std::string FindAccessory(platform::Accessory kind) override;

  std::vector<std::pair<std::string, platform::WindowStyle>> started;
  // Which starts succeed; by default those of a regular file that exists.
  std::function<bool(const std::string&)> succeeds;
  std::map<platform::Accessory, std::string> accessories;
  std::vector<platform::Accessory> accessories_asked;
};

class FakeClipboard : public platform::Clipboard {
 public:
  bool Clear() override {
    ++clear_count;
    return true;
  }
  int clear_count = 0;
};

class FakeProgramInfo : public platform::ProgramInfo {
 public:
  std::string Folder() override { return folder; }
  platform::Version ProgramVersion() override { return version; }
  std::string folder;
  platform::Version version{1, 0, 0};
};

// A registry in memory with the Windows status codes; it records which access each open asked
// for and which handles are still open.
class InMemoryRegistry : public platform::Registry {
 public:
  struct Value {
    std::uint32_t type;
    std::vector<unsigned char> data;
  };

  void SetString(const std::string& key, const std::string& name, const std::string& text,
                 std::uint32_t type = platform::kRegSz);
  void SetDword(const std::string& key, const std::string& name, std::uint32_t value);
  void SetRaw(const std::string& key, const std::string& name, Value value);

  long OpenKey(platform::RegistryKey root, const std::string& sub_key, std::uint32_t access,
               platform::RegistryKey* result) override;
  long QueryValue(platform::RegistryKey key, const std::string& name, std::uint32_t* type,
                  unsigned char* data, std::uint32_t* size) override;
  long CloseKey(platform::RegistryKey key) override;
  std::string ExpandEnvironment(const std::string& text) override;

  std::map<std::string, std::string> environment;
  long open_status = platform::kErrorSuccess;  // forced result of every open, when not success
  std::vector<std::uint32_t> access_asked;
  std::vector<std::string> keys_opened;
  std::set<platform::RegistryKey> open_handles;

 private:
  std::map<std::string, std::map<std::string, Value>> keys_;  // lower-case key -> values
  std::map<platform::RegistryKey, std::string> handles_;
  platform::RegistryKey next_handle_ = 0x100;
};

}  // namespace vantrel::testing
