#include "fault_run.h"

#include <dlfcn.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <string_view>

#include "sandbox.h"

extern char** environ;
#if defined(__SANITIZE_ADDRESS__)
extern "C" void __asan_init();
#endif

namespace vantrel::testing {
namespace {

constexpr int kDeadlineMs = 20'000;

// Under AddressSanitizer the driver carries the sanitizer's runtime, which must be the first
// library of the process: it goes first in the preload list, found where this process (built
// the same way) loaded it from. Its interceptors then hand each call on to the fault library.
// Empty when this build has no sanitizer runtime or it cannot be found.
std::string SanitizerRuntime() {
#if defined(__SANITIZE_ADDRESS__)
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&__asan_init), &info) != 0 && info.dli_fname != nullptr &&
      std::string_view(info.dli_fname).find("libasan") != std::string_view::npos) {
    return info.dli_fname;
  }
#endif
  return {};
}

// This process's environment without any earlier preload or fault setting, with the library.
std::vector<std::string> DriverEnvironment() {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text = *entry;
    if (text.starts_with("LD_PRELOAD=") || text.starts_with("VANTREL_FAULT_")) continue;
    environment.emplace_back(text);
  }
  const std::string runtime = SanitizerRuntime();
  environment.push_back("LD_PRELOAD=" + (runtime.empty() ? "" : runtime + ":") +
                        VANTREL_FAULT_LIBRARY);
  return environment;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

std::string Request(const std::vector<std::string>& words, const FaultSettings& settings,
                    const std::string& marker) {
  std::string request = std::to_string(settings.fail_at) + "\t" + settings.error + "\t" +
                        (settings.only_call.empty() ? "-" : settings.only_call) + "\t" +
                        (settings.refuse_kernel_copy ? "1" : "0") + "\t" +
                        (settings.refuse_unnamed ? "1" : "0") + "\t" + marker;
  for (const std::string& word : words) request += "\t" + word;
  return request + "\n";
}

void ParseOutput(DriverRun& run) {
  std::istringstream lines(run.output);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string call;
    long value = 0;
    if (!(words >> call >> value) || call == "end") continue;
    if (call == "calls") {
      run.calls = value;
    } else {
      run.result[call] = static_cast<int>(value);
    }
  }
}

std::vector<InjectedFailure> ReadMarker(const std::string& marker) {
  std::vector<InjectedFailure> injected;
  std::istringstream lines(ReadFile(marker));
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    InjectedFailure failure;
    words >> failure.at >> failure.call >> failure.error;
    injected.push_back(failure);
  }
  return injected;
}

}  // namespace

FaultDriver::FaultDriver(std::string work_folder) : marker_(work_folder + "/fault-marker") {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
  std::vector<std::string> arguments{VANTREL_FAULT_DRIVER, "serve"};
  std::vector<std::string> environment = DriverEnvironment();
  const std::vector<char*> argv = Pointers(arguments);
  const std::vector<char*> envp = Pointers(environment);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
  ::posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
  // A group of its own, so that a hung operation can be killed with the driver.
  posix_spawnattr_t attributes;
  ::posix_spawnattr_init(&attributes);
  ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  ::posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = -1;
  const int spawned =
      ::posix_spawn(&pid, VANTREL_FAULT_DRIVER, &actions, &attributes, argv.data(), envp.data());
  ::posix_spawnattr_destroy(&attributes);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(ends[1]);
  if (spawned != 0) {
    ::close(ends[0]);
    return;
  }
  socket_ = ends[0];
  pid_ = pid;
}

FaultDriver::~FaultDriver() {
  if (socket_ >= 0) ::close(socket_);  // the driver reads the end of its input and exits
  if (pid_ > 0) {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
}

void FaultDriver::Stop() {
  if (pid_ > 0) ::kill(-pid_, SIGKILL);
  if (socket_ >= 0) ::close(socket_);
  socket_ = -1;
}

bool FaultDriver::Send(const std::string& request) {
  for (std::size_t done = 0; done < request.size();) {
    const ssize_t sent =
        ::send(socket_, request.data() + done, request.size() - done, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    done += static_cast<std::size_t>(sent);
  }
  return true;
}

bool FaultDriver::ReceiveUntilEnd(std::string& output, int& status) {
  for (;;) {
    std::size_t start = 0;
    for (std::size_t newline; (newline = pending_.find('\n', start)) != std::string::npos;
         start = newline + 1) {
      if (pending_.compare(start, 4, "end ") != 0) continue;
      output = pending_.substr(0, start);
      status = std::atoi(pending_.c_str() + start + 4);
      pending_.erase(0, newline + 1);
      return true;
    }
    struct pollfd wait_for = {socket_, POLLIN, 0};
    if (::poll(&wait_for, 1, kDeadlineMs) != 1) return false;
    char buffer[4096];
    const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    pending_.append(buffer, static_cast<std::size_t>(got));
  }
}

DriverRun FaultDriver::Run(const std::vector<std::string>& words, const FaultSettings& settings) {
  DriverRun run;
  if (socket_ < 0) return run;
  ::unlink(marker_.c_str());
  int status = -1;
  if (!Send(Request(words, settings, marker_)) || !ReceiveUntilEnd(run.output, status)) {
    Stop();
    run.output += "(the driver ended or did not answer)";
    return run;
  }
  run.ran = status == 0;
  ParseOutput(run);
  run.injected = ReadMarker(marker_);
  return run;
}

std::string WhyFaultsCannotBeInjected() {
#if defined(__SANITIZE_ADDRESS__)
  if (SanitizerRuntime().empty()) {
    return "the AddressSanitizer runtime, which must come first in the driver, was not found as "
           "a shared library to preload";
  }
#endif
  return {};
}

}  // namespace vantrel::testing
