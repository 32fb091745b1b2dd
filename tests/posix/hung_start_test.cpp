// The real program, started offscreen while a mount hangs, must reach its event loop: alive
// after a few seconds, with its GUI thread idling (state S, waiting for events) rather than
// blocked on the mount (state D, or S in the FUSE request wait).
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "hung_mount.h"
#include "sandbox.h"

extern char** environ;

namespace vantrel::testing {
namespace {

using std::chrono::milliseconds;

// This process's environment, offscreen and with a private runtime folder.
std::vector<std::string> Settings(const std::string& runtime) {
  std::vector<std::string> settings{"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + runtime};
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string text = *variable;
    if (!text.starts_with("QT_QPA_PLATFORM=") && !text.starts_with("XDG_RUNTIME_DIR=")) {
      settings.push_back(text);
    }
  }
  return settings;
}

// The program running from `folder`, started only once the mount hangs. Its end kills the FUSE
// server before the program: a program blocked on the mount could not be reaped before that.
class RunningProgram {
 public:
  RunningProgram(HungMount& mount, const Sandbox& sandbox, const std::string& folder)
      : mount_(mount), log_(sandbox / "vantrel.log") {
    std::vector<std::string> settings = Settings(sandbox.Folder("runtime", 0700));
    std::vector<char*> envp;
    for (std::string& text : settings) envp.push_back(text.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(VANTREL_PROGRAM), nullptr};
    int ready[2];
    int go[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) return;
    if (::pipe2(go, O_CLOEXEC) != 0) return;
    const int log = ::open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    // The child enters its working folder while the mount still answers, says so, and starts
    // the program once the mount hangs.
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(log, STDOUT_FILENO);
      ::dup2(log, STDERR_FILENO);
      char word = 0;
      if (::chdir(folder.c_str()) != 0 || ::write(ready[1], "r", 1) != 1 ||
          ::read(go[0], &word, 1) != 1) {
        ::_exit(126);
      }
      ::execve(argv[0], argv, envp.data());
      ::_exit(127);
    }
    for (const int end : {ready[1], go[0], log}) ::close(end);
    char word = 0;
    hung_ =
        pid_ > 0 && ::read(ready[0], &word, 1) == 1 && mount_.Hang() && ::write(go[1], "g", 1) == 1;
    for (const int end : {ready[0], go[1]}) ::close(end);
  }

  ~RunningProgram() {
    mount_.Remove();
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }

  bool started() const { return pid_ > 0 && hung_; }
  pid_t pid() const { return pid_; }
  bool Alive() const { return ::waitpid(pid_, nullptr, WNOHANG) == 0; }
  std::string Said() const { return ReadFile(log_); }

  // The GUI thread sampled every 50 ms: its state, or '!' when it waits on the mount.
  std::string Watch(milliseconds time) const {
    std::string samples;
    for (milliseconds waited{0}; waited < time; waited += milliseconds(50)) {
      samples.push_back(BlockedOnMount(pid_) ? '!' : ProcessState(pid_));
      std::this_thread::sleep_for(milliseconds(50));
    }
    return samples;
  }

 private:
  HungMount& mount_;
  std::string log_;
  pid_t pid_ = -1;
  bool hung_ = false;
};

// Waits `settle`, then watches the GUI thread for a second: it must stay alive and never be
// blocked on the mount.
void ExpectEventLoopReached(const RunningProgram& program, milliseconds settle) {
  std::this_thread::sleep_for(settle);
  ASSERT_TRUE(program.Alive()) << "the program ended:\n" << program.Said();
  const std::string samples = program.Watch(milliseconds(1000));
  EXPECT_EQ(samples.find_first_not_of("SR"), std::string::npos)
      << "GUI thread samples ('!': waiting on the mount): " << samples << ", now in:\n"
      << ReadFile("/proc/" + std::to_string(program.pid()) + "/stack") << program.Said();
  EXPECT_TRUE(program.Alive()) << program.Said();
}

TEST_F(HungMountTest, ProgramStartsWithAHungMountPresent) {
  const Sandbox sandbox;
  const RunningProgram program(mount, sandbox, sandbox.path());
  ASSERT_TRUE(program.started());
  // The drive list waits half a second for the mount points at most.
  ExpectEventLoopReached(program, milliseconds(2500));
}

TEST_F(HungMountTest, ProgramStartsInAFolderOfTheHungMount) {
  const Sandbox sandbox;
  const RunningProgram program(mount, sandbox, mount / "docs");
  ASSERT_TRUE(program.started());
  // The working folder's read gives up after three seconds; the drive list's after half of one.
  ExpectEventLoopReached(program, milliseconds(5000));
}

}  // namespace
}  // namespace vantrel::testing
