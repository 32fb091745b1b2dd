// Runs one file operation through the real POSIX file system, with fault_inject preloaded and
// armed only around the operation itself, and prints what the service returned:
//
//   fault_driver copy FROM TO     CopyFile over TO (a new or an existing file)
//   fault_driver move FROM TO     a move as the Move button makes it: CopyFile, and when the copy
//                                 succeeded DeleteCopiedFile of the source, guarded by the version
//                                 the copy read
//   fault_driver delete PATH      DeleteFile
//   fault_driver mkdir PATH       MakeFolder
//   fault_driver as-nobody OPERATION ...   the operation, run as the user nobody (uid 65534)
//
// Output, one line per service call and then the number of calls counted while armed:
//   copy 0 Success
//   delete 5 Input/output error
//   calls 31
//
//   fault_driver serve            runs many operations, each in a fresh process of its own forked
//                                 from this one (starting a program costs ten times a fork here).
// Each line read is one operation: tab-separated, the fault library's settings (see
// fault_inject.cpp: the call to fail, the error, the one call name counted or "-", 1 or 0 for
// refusing the kernel copy, 1 or 0 for refusing unnamed files, the marker file), then the
// operation's words as above. The operation's lines are printed, then "end STATUS" (its exit
// status, or 128 + the signal that ended it).
//
// Exits 0 when the operation ran (whatever it returned), 2 on a usage error or when the fault
// library is not preloaded.
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/os_services.h"

namespace {

using vantrel::platform::FileSystem;
using vantrel::platform::FileVersion;

using Arm = void (*)();
using Disarm = long (*)();
Arm arm = nullptr;
Disarm disarm = nullptr;

// "as-nobody" before an operation runs it as the user nobody (uid 65534), for folders that an
// ordinary user may write to but not list.
constexpr const char* kAsNobody = "as-nobody";

bool Valid(std::vector<std::string> words) {
  if (!words.empty() && words[0] == kAsNobody) words.erase(words.begin());
  if (words.empty()) return false;
  const std::string& operation = words[0];
  if (operation == "copy" || operation == "move") return words.size() == 3;
  if (operation == "delete" || operation == "mkdir") return words.size() == 2;
  return false;
}

void Print(const char* call, const std::error_code& error) {
  std::printf("%s %d %s\n", call, error.value(), error.message().c_str());
}

// The one operation, armed from its first call to its last; the results are printed after.
void Perform(FileSystem& files, std::vector<std::string> words) {
  if (words[0] == kAsNobody) {
    words.erase(words.begin());
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
      std::printf("cannot become nobody\n");
      std::fflush(stdout);
      ::_exit(3);
    }
  }
  const std::string& operation = words[0];
  std::error_code first;
  std::error_code second;
  bool has_second = false;
  arm();
  if (operation == "copy") {
    first = files.CopyFile(words[1], words[2]);
  } else if (operation == "move") {
    FileVersion version;
    first = files.CopyFile(words[1], words[2], &version);
    if (!first) {
      has_second = true;
      second = files.DeleteCopiedFile(words[1], version);
    }
  } else if (operation == "delete") {
    first = files.DeleteFile(words[1]);
  } else if (operation == "mkdir") {
    first = files.MakeFolder(words[1]);
  }
  const long calls = disarm();
  Print(operation == "move" ? "copy" : operation.c_str(), first);
  if (has_second) Print("delete", second);
  std::printf("calls %ld\n", calls);
  std::fflush(stdout);
}

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::istringstream text(line);
  for (std::string field; std::getline(text, field, separator);) fields.push_back(field);
  return fields;
}

void SetOrClear(const char* name, const std::string& value, bool set) {
  if (set) {
    ::setenv(name, value.c_str(), 1);
  } else {
    ::unsetenv(name);
  }
}

// In the forked process: the settings go where the fault library reads them when armed.
void ApplySettings(const std::vector<std::string>& fields) {
  SetOrClear("VANTREL_FAULT_AT", fields[0], true);
  SetOrClear("VANTREL_FAULT_ERROR", fields[1], true);
  SetOrClear("VANTREL_FAULT_CALL", fields[2], fields[2] != "-");
  SetOrClear("VANTREL_FAULT_NO_KERNEL_COPY", "1", fields[3] == "1");
  SetOrClear("VANTREL_FAULT_NO_UNNAMED", "1", fields[4] == "1");
  SetOrClear("VANTREL_FAULT_MARKER", fields[5], true);
}

constexpr std::size_t kSettingFields = 6;

int Serve(FileSystem& files) {
  for (std::string line; std::getline(std::cin, line);) {
    const std::vector<std::string> fields = Split(line, '\t');
    const std::vector<std::string> words(
        fields.begin() + static_cast<long>(std::min(fields.size(), kSettingFields)), fields.end());
    if (fields.size() < kSettingFields || !Valid(words)) {
      std::printf("end 2\n");
      std::fflush(stdout);
      continue;
    }
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
      ApplySettings(fields);
      Perform(files, words);
      ::_exit(0);
    }
    int status = 0;
    while (child > 0 && ::waitpid(child, &status, 0) < 0) {
    }
    const int code = child < 0           ? 2
                     : WIFEXITED(status) ? WEXITSTATUS(status)
                                         : 128 + WTERMSIG(status);
    std::printf("end %d\n", code);
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + std::min(argc, 1), argv + argc);
  const bool serve = words.size() == 1 && words[0] == "serve";
  if (!serve && !Valid(words)) {
    std::fprintf(stderr, "usage: fault_driver copy|move FROM TO | delete|mkdir PATH | serve\n");
    return 2;
  }
  arm = reinterpret_cast<Arm>(::dlsym(RTLD_DEFAULT, "vantrel_fault_arm"));
  disarm = reinterpret_cast<Disarm>(::dlsym(RTLD_DEFAULT, "vantrel_fault_disarm"));
  if (arm == nullptr || disarm == nullptr) {
    std::fprintf(stderr, "fault_driver: the fault library is not preloaded\n");
    return 2;
  }
  vantrel::platform::PrepareProcess();
  const std::unique_ptr<FileSystem> files = vantrel::platform::MakeNativeFileSystem();
  if (serve) return Serve(*files);
  Perform(*files, words);
  return 0;
}
