// Starting programs on POSIX: the file itself is executed (no shell, no arguments), in a session
// of its own, and handed to init at once so it never becomes our zombie and is never waited for.
#include "platform/posix/make_program_starter.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <span>
#include <string_view>

#include "platform/os_services.h"
#include "platform/posix/program_search.h"
#include "platform/posix/unique_fd.h"

namespace vantrel::platform {
namespace {

// Runs in the grandchild, after fork in a possibly threaded program: only async-signal-safe
// calls from here on. Signal handling starts from the defaults, as a program started from a
// desktop expects: an ignored signal stays ignored across exec, and this program ignores
// SIGXFSZ (PrepareProcess), which must again end a started program that writes past its file
// size limit. An exec failure is told to the parent through the pipe.
[[noreturn]] void ExecProgram(char* const argv[], int report_fd) {
  ::setsid();
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  for (int signal_number = 1; signal_number < NSIG; ++signal_number) {
    ::sigaction(signal_number, &defaults, nullptr);
  }
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::execve(argv[0], argv, environ);
  const int error = errno;
  [[maybe_unused]] const ssize_t ignored = ::write(report_fd, &error, sizeof error);
  ::_exit(127);
}

// The middle process forks the program and exits at once; waiting for it is immediate.
[[noreturn]] void RunMiddleProcess(char* const argv[], int report_fd) {
  const pid_t program = ::_Fork();
  if (program == 0) ExecProgram(argv, report_fd);
  if (program < 0) {
    const int error = errno;
    [[maybe_unused]] const ssize_t ignored = ::write(report_fd, &error, sizeof error);
  }
  ::_exit(0);
}

void WaitForMiddleProcess(pid_t middle) {
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
}

// True when the program's exec succeeded: the pipe then closes without a word.
bool ExecSucceeded(int report_fd) {
  int error = 0;
  ssize_t got;
  do {
    got = ::read(report_fd, &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  return got == 0;
}

bool StartDetached(const std::string& path) {
  std::string program = path;
  char* const argv[] = {program.data(), nullptr};
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) return false;
  posix::UniqueFd read_end(pipe_fds[0]);
  posix::UniqueFd write_end(pipe_fds[1]);
  // No handler of ours may run in the child before exec: block everything across the fork.
  sigset_t all, previous;
  ::sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &previous);
  const pid_t middle = ::fork();
  if (middle == 0) RunMiddleProcess(argv, write_end.get());
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  write_end.Reset();
  if (middle < 0) return false;
  WaitForMiddleProcess(middle);
  return ExecSucceeded(read_end.get());
}

constexpr std::string_view kCalculators[] = {"gnome-calculator", "kcalc", "galculator",
                                             "qalculate-gtk", "xcalc"};
constexpr std::string_view kPaintPrograms[] = {"kolourpaint", "pinta", "mtpaint", "gimp"};
constexpr std::string_view kAudioPlayers[] = {"audacious", "rhythmbox", "vlc", "clementine"};
constexpr std::string_view kTextEditors[] = {"gedit",  "gnome-text-editor", "kate",
                                             "kwrite", "mousepad",          "pluma",
                                             "xed",    "leafpad",           "featherpad"};

// The programs of each kind, the most common desktops' own first.
std::span<const std::string_view> CandidatesOf(Accessory kind) {
  switch (kind) {
    case Accessory::Calculator:
      return kCalculators;
    case Accessory::Paint:
      return kPaintPrograms;
    case Accessory::CdPlayer:
      return kAudioPlayers;
    case Accessory::Notepad:
      return kTextEditors;
  }
  return {};
}

class PosixProgramStarter final : public ProgramStarter {
 public:
  explicit PosixProgramStarter(std::optional<std::string> search_path)
      : search_path_(std::move(search_path)) {}

  // Checked before starting, so a missing file or one that is no program fails at once. The
  // window style has no portable meaning for an X11 or Wayland program and is not passed on.
  bool Start(const std::string& path, WindowStyle /*style*/) override {
    return posix::IsExecutableFile(path) && StartDetached(path);
  }

  std::string FindAccessory(Accessory kind) override {
    return posix::FindProgram(CandidatesOf(kind),
                              search_path_ ? *search_path_ : posix::ProgramSearchPath());
  }

 private:
  std::optional<std::string> search_path_;
};

}  // namespace

namespace posix {
std::unique_ptr<ProgramStarter> MakeProgramStarter(std::optional<std::string> search_path) {
  return std::make_unique<PosixProgramStarter>(std::move(search_path));
}
}  // namespace posix

std::unique_ptr<ProgramStarter> MakeNativeProgramStarter() {
  return posix::MakeProgramStarter(std::nullopt);
}

}  // namespace vantrel::platform
