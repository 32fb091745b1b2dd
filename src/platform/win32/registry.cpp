// The registry on Windows, through the ANSI functions RegOpenKeyExA, RegQueryValueExA and
// RegCloseKey, whose sizes are bytes in the ANSI code page. Names go to them in that code page;
// string values come back converted to UTF-8, which is the same text when it is plain ASCII.
#include <vector>

#include "platform/os_services.h"
#include "platform/win32/api.h"
#include "platform/win32/text.h"

namespace vantrel::platform {
namespace {

// The predefined roots are 32-bit values that Windows sign-extends into a 64-bit handle.
HKEY ToKey(RegistryKey key) {
  if (key >= 0x80000000u && key <= 0x800000FFu) {
    const auto value = static_cast<LONG>(static_cast<DWORD>(key));
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(value));
  }
  return reinterpret_cast<HKEY>(key);
}

std::string ConvertCodePage(const std::string& text, UINT from, UINT to) {
  if (text.empty() || from == to) return text;
  const int wide_length =
      ::MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
  ::MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        wide_length);
  if (to == CP_UTF8) return win32::Narrow(wide);
  const int length =
      ::WideCharToMultiByte(to, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(to, 0, wide.data(), wide_length, out.data(), length, nullptr, nullptr);
  return out;
}

std::string ToAnsi(const std::string& utf8) {
  if (::GetACP() == CP_UTF8) return utf8;
  const std::wstring wide = win32::Widen(utf8);
  const int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), length,
                        nullptr, nullptr);
  return out;
}

bool IsText(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

class Win32Registry final : public Registry {
 public:
  long OpenKey(RegistryKey root, const std::string& sub_key, std::uint32_t access,
               RegistryKey* result) override {
    HKEY key = nullptr;
    const LONG status = ::RegOpenKeyExA(ToKey(root), ToAnsi(sub_key).c_str(), 0, access, &key);
    if (status == ERROR_SUCCESS) *result = reinterpret_cast<RegistryKey>(key);
    return status;
  }

  // The value is read as the ANSI function gives it, within the caller's size; text is then
  // handed over in UTF-8, and reported as too long if that form no longer fits.
  long QueryValue(RegistryKey key, const std::string& name, std::uint32_t* type,
                  unsigned char* data, std::uint32_t* size) override {
    DWORD value_type = 0;
    DWORD bytes = size != nullptr ? *size : 0;
    std::vector<unsigned char> buffer(data != nullptr ? bytes : 0);
    const LONG status = ::RegQueryValueExA(ToKey(key), ToAnsi(name).c_str(), nullptr, &value_type,
                                           data != nullptr ? buffer.data() : nullptr,
                                           size != nullptr ? &bytes : nullptr);
    if (type != nullptr) *type = value_type;
    if (size != nullptr && (status == ERROR_SUCCESS || status == ERROR_MORE_DATA)) *size = bytes;
    if (status != ERROR_SUCCESS || data == nullptr) return status;

    buffer.resize(bytes);
    if (IsText(value_type)) {
      const std::string text(buffer.begin(), buffer.end());
      const std::string utf8 = ConvertCodePage(text, CP_ACP, CP_UTF8);
      buffer.assign(utf8.begin(), utf8.end());
    }
    if (buffer.size() > *size) {
      *size = static_cast<std::uint32_t>(buffer.size());
      return ERROR_MORE_DATA;
    }
    std::copy(buffer.begin(), buffer.end(), data);
    *size = static_cast<std::uint32_t>(buffer.size());
    return ERROR_SUCCESS;
  }

  long CloseKey(RegistryKey key) override { return ::RegCloseKey(ToKey(key)); }

  std::string ExpandEnvironment(const std::string& text) override {
    const std::wstring wide = win32::Widen(text);
    DWORD length = ::ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
    for (int attempt = 0; attempt < 4 && length > 0; ++attempt) {
      std::wstring out(length, L'\0');
      const DWORD written = ::ExpandEnvironmentStringsW(wide.c_str(), out.data(), length);
      if (written == 0) break;
      if (written <= length) {
        out.resize(written - 1);  // without the terminating NUL
        return win32::Narrow(out);
      }
      length = written;
    }
    return text;
  }
};

}  // namespace

std::unique_ptr<Registry> MakeNativeRegistry() {
  return std::make_unique<Win32Registry>();
}

}  // namespace vantrel::platform
