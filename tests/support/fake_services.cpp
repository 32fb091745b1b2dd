#include "fake_services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/os_services.h"

namespace vantrel::testing {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

platform::Answer ScriptedDialogs::MessageBox(const std::string& prompt, int style,
                                             const std::string& title) {
  messages.push_back({prompt, style, title});
  if (answers.empty()) {
    ADD_FAILURE() << "unexpected message box: " << prompt;
    return platform::Answer::No;
  }
  const platform::Answer answer = answers.front();
  answers.pop_front();
  return answer;
}

std::string ScriptedDialogs::InputBox(const std::string& prompt) {
  input_prompts.push_back(prompt);
  if (inputs.empty()) {
    ADD_FAILURE() << "unexpected input box: " << prompt;
    return {};
  }
  std::string text = inputs.front();
  inputs.pop_front();
  return text;
}

std::error_code RecordingFileSystem::CopyFile(const std::string& from, const std::string& to,
                                              platform::FileVersion* copied) {
  copies.emplace_back(from, to);
  if (record_only) return {};
  return real_->CopyFile(from, to, copied);
}

GatedFileSystem::GatedFileSystem(Gate& gate)
    : RecordingFileSystem(platform::MakeNativeFileSystem()), gate_(gate) {}

std::error_code GatedFileSystem::CopyFile(const std::string& from, const std::string& to,
                                          platform::FileVersion* copied) {
  gate_.Pass();
  return RecordingFileSystem::CopyFile(from, to, copied);
}

std::error_code RecordingFileSystem::DeleteFile(const std::string& path) {
  deletes.push_back(path);
  if (record_only) return {};
  return real_->DeleteFile(path);
}

std::error_code RecordingFileSystem::DeleteCopiedFile(const std::string& path,
                                                      const platform::FileVersion& copied) {
  deletes.push_back(path);
  if (record_only) return {};
  return real_->DeleteCopiedFile(path, copied);
}

std::error_code RecordingFileSystem::MakeFolder(const std::string& path) {
  made_folders.push_back(path);
  if (record_only) return {};
  return real_->MakeFolder(path);
}

std::optional<std::uint64_t> RecordingFileSystem::FileLength(const std::string& path) {
  length_queries.push_back(path);
  if (const auto it = length_overrides.find(path); it != length_overrides.end()) return it->second;
  return real_->FileLength(path);
}

std::string RecordingFileSystem::FileExists(const std::string& path) {
  exists_queries.push_back(path);
  if (absent.count(path)) return {};
  if (existing.count(path)) return path.substr(path.find_last_of("\\/") + 1);
  return real_->FileExists(path);
}

bool RecordingProgramStarter::Start(const std::string& path, platform::WindowStyle style) {
  started.emplace_back(path, style);
  if (succeeds) return succeeds(path);
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

std::string RecordingProgramStarter::FindAccessory(platform::Accessory kind) {
  accessories_asked.push_back(kind);
  const auto it = accessories.find(kind);
  return it == accessories.end() ? std::string() : it->second;
}

void InMemoryRegistry::SetString(const std::string& key, const std::string& name,
                                 const std::string& text, std::uint32_t type) {
  Value value{type, std::vector<unsigned char>(text.begin(), text.end())};
  value.data.push_back(0);
  SetRaw(key, name, std::move(value));
}

void InMemoryRegistry::SetDword(const std::string& key, const std::string& name,
                                std::uint32_t number) {
  Value value{platform::kRegDword, {}};
  for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<unsigned char>(number >> (8 * i)));
  SetRaw(key, name, std::move(value));
}

void InMemoryRegistry::SetRaw(const std::string& key, const std::string& name, Value value) {
  keys_[Lower(key)][Lower(name)] = std::move(value);
}

long InMemoryRegistry::OpenKey(platform::RegistryKey root, const std::string& sub_key,
                               std::uint32_t access, platform::RegistryKey* result) {
  access_asked.push_back(access);
  keys_opened.push_back(sub_key);
  if (open_status != platform::kErrorSuccess) return open_status;
  if (root != platform::kHkeyLocalMachine || !keys_.count(Lower(sub_key))) {
    return platform::kErrorFileNotFound;
  }
  *result = next_handle_++;
  handles_[*result] = Lower(sub_key);
  open_handles.insert(*result);
  return platform::kErrorSuccess;
}

long InMemoryRegistry::QueryValue(platform::RegistryKey key, const std::string& name,
                                  std::uint32_t* type, unsigned char* data, std::uint32_t* size) {
  const auto handle = handles_.find(key);
  if (handle == handles_.end() || !open_handles.count(key)) return 6;  // invalid handle
  const auto& values = keys_[handle->second];
  const auto it = values.find(Lower(name));
  if (it == values.end()) return platform::kErrorFileNotFound;
  const auto bytes = static_cast<std::uint32_t>(it->second.data.size());
  if (type) *type = it->second.type;
  if (data && *size < bytes) {
    *size = bytes;
    return platform::kErrorMoreData;
  }
  if (data) std::copy(it->second.data.begin(), it->second.data.end(), data);
  *size = bytes;
  return platform::kErrorSuccess;
}

long InMemoryRegistry::CloseKey(platform::RegistryKey key) {
  return open_handles.erase(key) ? platform::kErrorSuccess : 6;
}

std::string InMemoryRegistry::ExpandEnvironment(const std::string& text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t end = text[i] == '%' ? text.find('%', i + 1) : std::string::npos;
    const auto var = end == std::string::npos ? environment.end()
                                              : environment.find(text.substr(i + 1, end - i - 1));
    if (var != environment.end()) {
      out += var->second;
      i = end + 1;
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace vantrel::testing
