#include "hung_mount.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "fuse_support.h"

namespace vantrel::testing {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// Past this the server detaches its mount and ends by itself: a test that hung or crashed
// before its cleanup cannot leave anything blocked for longer. Longer than any test on it,
// shorter than the tests' timeout.
constexpr const char* kServerLifetimeSeconds = "30";
constexpr milliseconds kMountWait{10000};
constexpr milliseconds kConfirmationWait{5000};

std::string TemporaryBase() {
  const char* base = std::getenv("TMPDIR");
  return base != nullptr && *base != '\0' ? base : "/tmp";
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

HungMount::~HungMount() {
  Remove();
}

HungMount::Started HungMount::Start() {
  if (::access("/dev/fuse", R_OK | W_OK) != 0) {
    return {Outcome::kUnavailable,
            std::string("FUSE is not usable here: /dev/fuse: ") + std::strerror(errno)};
  }
  // A command written to a server that has died must fail, not kill the test.
  std::signal(SIGPIPE, SIG_IGN);
  if (!MakeFolders()) return Fail(Outcome::kFailed, "cannot make a temporary mount point");
  if (!StartServer()) return Fail(Outcome::kFailed, "cannot start " VANTREL_HUNG_FS);
  return WaitUntilMounted();
}

bool HungMount::MakeFolders() {
  std::string pattern = TemporaryBase() + "/vantrel-hung-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return false;
  char* real = ::realpath(pattern.c_str(), nullptr);
  base_ = real != nullptr ? real : pattern;
  std::free(real);
  mount_point_ = base_ + "/mnt";
  log_ = base_ + "/server.log";
  return ::mkdir(mount_point_.c_str(), 0755) == 0;
}

// The server in the foreground: commands on its standard input, confirmations on its standard
// output, messages into the log.
bool HungMount::StartServer() {
  int to_server[2];
  int from_server[2];
  if (::pipe2(to_server, O_CLOEXEC) != 0) return false;
  commands_ = to_server[1];
  if (::pipe2(from_server, O_CLOEXEC) != 0) {
    ::close(to_server[0]);
    return false;
  }
  confirmations_ = from_server[0];
  const int log = ::open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const char* argv[] = {VANTREL_HUNG_FS, "--lifetime", kServerLifetimeSeconds, mount_point_.c_str(),
                        nullptr};
  server_ = ::fork();
  if (server_ == 0) {
    ::dup2(to_server[0], STDIN_FILENO);
    ::dup2(from_server[1], STDOUT_FILENO);
    if (log >= 0) ::dup2(log, STDERR_FILENO);
    ::execv(argv[0], const_cast<char* const*>(argv));
    ::_exit(127);
  }
  for (const int end : {to_server[0], from_server[1], log}) ::close(end);
  return server_ > 0;
}

HungMount::Started HungMount::WaitUntilMounted() {
  const auto end = Clock::now() + kMountWait;
  while (!IsListed()) {
    int status = 0;
    if (::waitpid(server_, &status, WNOHANG) == server_) {
      server_ = -1;
      const std::string said = ReadText(log_);
      if (WIFEXITED(status) && WEXITSTATUS(status) == 2) {
        return Fail(Outcome::kUnavailable,
                    "mounting a FUSE file system is not permitted here: " + said);
      }
      return Fail(Outcome::kFailed, "hung_fs ended before mounting (wait status " +
                                        std::to_string(status) + "): " + said);
    }
    if (Clock::now() > end) return Fail(Outcome::kFailed, "hung_fs did not mount in time");
    std::this_thread::sleep_for(milliseconds(5));
  }
  // Listed is not yet answering: the kernel's first call waits for the server's start.
  struct stat point {};
  struct stat base {};
  if (::stat(mount_point_.c_str(), &point) != 0 || ::stat(base_.c_str(), &base) != 0 ||
      !S_ISDIR(point.st_mode) || point.st_dev == base.st_dev) {
    return Fail(Outcome::kFailed, "the mount does not answer: " + ReadText(log_));
  }
  return {Outcome::kMounted, {}};
}

HungMount::Started HungMount::Fail(Outcome outcome, const std::string& message) {
  Remove();
  return {outcome, message};
}

bool HungMount::Hang() {
  return Command("hang", "hung");
}

bool HungMount::Answer() {
  return Command("answer", "answering");
}

bool HungMount::StallAfterListing() {
  return Command("stall", "stalling");
}

bool HungMount::HangReads() {
  return Command("hang-reads", "hanging reads");
}

bool HungMount::Command(const char* command, const char* confirmation) {
  if (commands_ < 0) return false;
  const std::string line = std::string(command) + "\n";
  if (::write(commands_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
    return false;
  }
  return ReadLineWithin(confirmations_, kConfirmationWait) == confirmation;
}

void HungMount::Remove() {
  // The server first: that fails every call blocked on the mount, ours included.
  if (server_ > 0) ::kill(server_, SIGKILL);
  if (!mount_point_.empty() && IsListed()) DetachMount(mount_point_);
  if (server_ > 0) ::waitpid(server_, nullptr, 0);
  server_ = -1;
  CloseFd(commands_);
  CloseFd(confirmations_);
  // Never anything recursive here: a mount point still listed keeps its folder.
  if (!mount_point_.empty() && !IsListed()) ::rmdir(mount_point_.c_str());
  if (!log_.empty()) ::unlink(log_.c_str());
  if (!base_.empty()) ::rmdir(base_.c_str());
  base_.clear();
  mount_point_.clear();
  log_.clear();
}

bool HungMount::IsListed() const {
  return IsMountListed(mount_point_, "fuse.hung_fs");
}

void HungMountTest::SetUp() {
  const HungMount::Started started = mount.Start();
  if (started.outcome == HungMount::Outcome::kUnavailable) GTEST_SKIP() << started.message;
  ASSERT_EQ(started.outcome, HungMount::Outcome::kMounted) << started.message;
}

char ProcessState(pid_t pid) {
  const std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
  // pid (name) state ...: the name may hold spaces and parentheses, so look after the last ')'.
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos || close + 2 >= stat.size()) return '?';
  return stat[close + 2];
}

std::string KernelWait(pid_t pid) {
  return ReadText("/proc/" + std::to_string(pid) + "/wchan");
}

bool BlockedOnMount(pid_t pid) {
  return ProcessState(pid) == 'D' || KernelWait(pid) == "request_wait_answer";
}

}  // namespace vantrel::testing
