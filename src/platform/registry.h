// The registry's three read operations, with the Windows status codes and value types, so that
// one reader works on the real registry and on the stand-ins of other systems.
//
// Opening a key may block (on Linux it looks for a program on the search path): the GUI thread
// makes these calls only through OffThreadRegistry (off_thread_calls.h).
#pragma once

#include <cstdint>
#include <string>

namespace vantrel::platform {

using RegistryKey = std::uintptr_t;
inline constexpr RegistryKey kHkeyLocalMachine = 0x80000002u;

inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorNotReady = 21;
inline constexpr long kErrorMoreData = 234;

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeyRead = 0x20019;

class Registry {
 public:
  virtual ~Registry() = default;
  virtual long OpenKey(RegistryKey root, const std::string& sub_key, std::uint32_t access,
                       RegistryKey* result) = 0;
  // On success *size holds the bytes stored (a string's terminating NUL included); a value larger
  // than *size gives kErrorMoreData with *size set to the size needed.
  virtual long QueryValue(RegistryKey key, const std::string& name, std::uint32_t* type,
                          unsigned char* data, std::uint32_t* size) = 0;
  virtual long CloseKey(RegistryKey key) = 0;
  // Expands %NAME% environment references the way the system does for expandable strings.
  virtual std::string ExpandEnvironment(const std::string& text) = 0;
};

}  // namespace vantrel::platform
