#include "about/frm_about.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace vantrel::about {
namespace {

using platform::kErrorSuccess;
using platform::RegistryKey;

constexpr std::uint32_t kValueBufferBytes = 1024;
constexpr const char* kUnavailable = "System Information Is Unavailable At This Time";

// A 32-bit number as "&h" and its uppercase hexadecimal digits without leading zeros.
std::string DwordText(const unsigned char* bytes, std::uint32_t size) {
  std::uint32_t value = 0;
  for (std::uint32_t i = 0; i < size && i < 4; ++i) value |= std::uint32_t{bytes[i]} << (8 * i);
  std::array<char, 16> digits{};
  std::snprintf(digits.data(), digits.size(), "%X", static_cast<unsigned>(value));
  return std::string("&h") + digits.data();
}

// Text of a string value: its bytes up to the first NUL, as Windows reads a string. A value can
// hold more after a NUL; kept, a path with a NUL inside would be one text to this program and a
// shorter one to every system call (a batch file could then start as a named program).
std::string StringText(const unsigned char* bytes, std::uint32_t size) {
  const std::string_view value(reinterpret_cast<const char*>(bytes), size);
  return std::string(value.substr(0, value.find('\0')));
}

bool StartProgram(FrmAbout& d, const std::string& path) {
  return !path.empty() && d.services().programs.Start(path, platform::WindowStyle::Normal);
}

}  // namespace

FrmAbout::FrmAbout(form::Services& services)
    : services_(services),
      dispatcher_(FrmAboutWiring()),
      window_(services.windows.CreateWindow(FrmAboutDescription(), dispatcher_)) {
  dispatcher_.Bind(this);
}

void FrmAbout::Show() {
  window_->Show();
}

void Form_Load(FrmAbout& d) {
  const platform::Version v = d.services().program.ProgramVersion();
  d.window().SetCaption("About Vantrel ");
  d.window()
      .FindLabel("lblVersion")
      .SetCaption("Version " + std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
                  std::to_string(v.revision));
  d.window().FindLabel("lblTitle").SetCaption("Vantrel");
}

void cmdOK_Click(FrmAbout& d) {
  d.window().Unload();
}

void cmdSysInfo_Click(FrmAbout& d) {
  StartSysInfo(d);
}

void StartSysInfo(FrmAbout& d) {
  auto& registry = d.services().registry;
  std::string path;
  bool started = false;
  if (GetKeyValue(registry, platform::kHkeyLocalMachine,
                  "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", path)) {
    started = StartProgram(d, path);
  } else if (GetKeyValue(registry, platform::kHkeyLocalMachine,
                         "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", path)) {
    const std::string tool = platform::PlainJoin(path, "MSINFO32.EXE", d.services().paths);
    if (!d.services().files.FileExists(tool).empty()) started = StartProgram(d, tool);
  }
  if (!started) d.services().dialogs.MessageBox(kUnavailable, platform::kOkOnly, "");
}

bool GetKeyValue(platform::Registry& registry, RegistryKey key_root, const std::string& key_name,
                 const std::string& sub_key_ref, std::string& key_val) {
  // Read access is all a lookup needs; asking for more fails for users who may not write there.
  RegistryKey key = 0;
  if (registry.OpenKey(key_root, key_name, platform::kKeyRead, &key) != kErrorSuccess) {
    key_val.clear();
    return false;
  }
  std::array<unsigned char, kValueBufferBytes> buffer{};
  std::uint32_t type = 0;
  std::uint32_t size = kValueBufferBytes;
  const long status = registry.QueryValue(key, sub_key_ref, &type, buffer.data(), &size);
  registry.CloseKey(key);
  if (status != kErrorSuccess || size > kValueBufferBytes) {
    key_val.clear();
    return false;
  }
  // A value with no data reads as no text, whatever its type says.
  if (size == 0) {
    key_val.clear();
    return true;
  }
  switch (type) {
    case platform::kRegSz:
      key_val = StringText(buffer.data(), size);
      break;
    case platform::kRegExpandSz:
      key_val = registry.ExpandEnvironment(StringText(buffer.data(), size));
      break;
    case platform::kRegDword:
      key_val = DwordText(buffer.data(), size);
      break;
    default:
      break;  // other types leave the text as it was
  }
  return true;
}

}  // namespace vantrel::about
