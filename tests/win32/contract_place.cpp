#include "contract_place.h"

#include <stdexcept>

#include "platform/win32/unique_handle.h"
#include "win32_paths.h"

namespace vantrel::testing {
namespace {

using platform::win32::UniqueHandle;

void Check(bool done, const char* what, const std::string& path) {
  if (!done) throw std::runtime_error(std::string(what) + " failed: " + path);
}

std::int64_t Ticks(const FILETIME& time) {
  return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
}

// A file or a folder, opened to write its attributes or its data.
UniqueHandle Open(const std::string& path, DWORD access) {
  UniqueHandle file(::CreateFileW(W(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  Check(file.valid(), "CreateFileW", path);
  return file;
}

class Win32Place : public testing::Place {
 public:
  Win32Place() : root_(temp_.str()) {}

  const std::string& root() const override { return root_; }
  char separator() const override { return '\\'; }

  std::string Folder(const std::string& relative) override {
    const std::string folder = Path(relative);
    Check(::CreateDirectoryW(W(folder).c_str(), nullptr), "CreateDirectoryW", folder);
    return folder;
  }
  std::string Write(const std::string& relative, const std::string& content) override {
    const std::string path = Path(relative);
    UniqueHandle file(::CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    Check(file.valid(), "CreateFileW", path);
    DWORD written = 0;
    Check(::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                      nullptr) &&
              written == content.size(),
          "WriteFile", path);
    return path;
  }
  std::string WriteHidden(const std::string& name) override {
    const std::string path = Write(name, "");
    Check(::SetFileAttributesW(W(path).c_str(), FILE_ATTRIBUTE_HIDDEN), "SetFileAttributesW", path);
    return name;
  }
  void Overwrite(const std::string& path, const std::string& content) override {
    const UniqueHandle file = Open(path, GENERIC_WRITE);
    DWORD written = 0;
    Check(::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                      nullptr) &&
              written == content.size(),
          "WriteFile", path);
  }
  void WriteHoles(const std::string& path, std::uint64_t length) override {
    UniqueHandle file(
        ::CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    Check(file.valid(), "CreateFileW", path);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(length);
    Check(::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.get()),
          "SetEndOfFile", path);
  }
  std::string Read(const std::string& path) override { return ReadAll(path); }
  bool Exists(const std::string& path) override { return testing::Exists(path); }
  bool IsFolder(const std::string& path) override { return testing::IsFolder(path); }
  std::vector<std::string> Names(const std::string& folder) override { return RawNames(folder); }
  void SetReadOnly(const std::string& path, bool read_only) override {
    testing::SetReadOnly(path, read_only);
  }
  std::int64_t ModifiedTime(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    Check(::GetFileAttributesExW(W(path).c_str(), GetFileExInfoStandard, &data),
          "GetFileAttributesExW", path);
    return Ticks(data.ftLastWriteTime);
  }
  void SetModifiedTime(const std::string& path, std::int64_t time) override {
    const UniqueHandle file = Open(path, FILE_WRITE_ATTRIBUTES);
    const FILETIME written{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    Check(::SetFileTime(file.get(), nullptr, nullptr, &written), "SetFileTime", path);
  }
  std::int64_t Second() const override { return 10'000'000; }
  void HardLink(const std::string& existing, const std::string& link) override {
    Check(::CreateHardLinkW(W(link).c_str(), W(existing).c_str(), nullptr), "CreateHardLinkW",
          link);
  }
  void RenameOver(const std::string& from, const std::string& to) override {
    Check(::MoveFileExW(W(from).c_str(), W(to).c_str(), MOVEFILE_REPLACE_EXISTING), "MoveFileExW",
          to);
  }

 private:
  TempFolder temp_;
  std::string root_;
};

}  // namespace

std::unique_ptr<testing::Place> MakePlace() {
  return std::make_unique<Win32Place>();
}

}  // namespace vantrel::testing
