// The power cut at every step of a copy and of a move, on the powercut_fs FUSE file system (see
// powercut_fs.cpp for its model of what reaches the disk). A run without a cut counts the
// requests that change something or sync it (K); then for each k = 1..K the same operation runs on
// a fresh mount whose power goes after the k-th of them, and every view of what the cut could
// have left is checked:
//   - at least one complete copy of the file survives, under the source's name or the
//     destination's;
//   - a file under either name holds exactly the old or the new bytes (with their permission
//     bits), or is absent: an empty or half-written destination where the old one was is a fault;
//   - once the copy has reported success, the new file is on the strict disk under its name.
// The controls at the end run unsafe copies through the same sweep and expect it to catch them,
// so that a sweep finding nothing means something.
//
// When VANTREL_POWER_CUT_SUMMARY names a file, each sweep of the real service puts its line there
// (tab-separated, with a header), replacing an older line of the same sweep.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "fuse_support.h"
#include "platform/os_services.h"
#include "sandbox.h"

namespace vantrel::posix_testing {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr const char* kServerLifetimeSeconds = "60";
constexpr milliseconds kMountWait{10000};
constexpr milliseconds kReplyWait{10000};
constexpr milliseconds kExitWait{5000};
// Small writes, so that a cut can fall between the pieces of one file's data.
constexpr const char* kMaxWrite = "16384";

// ---- The server on a mount point.

bool IsListed(const std::string& mount_point) {
  return IsMountListed(mount_point, "fuse.powercut_fs");
}

class PowerCutMount {
 public:
  enum class Outcome { kMounted, kUnavailable, kFailed };

  PowerCutMount(std::string mount_point, std::string log)
      : mount_point_(std::move(mount_point)), log_(std::move(log)) {}
  ~PowerCutMount() { Stop(); }
  PowerCutMount(const PowerCutMount&) = delete;
  PowerCutMount& operator=(const PowerCutMount&) = delete;

  Outcome Start(bool copy_file_range, std::string& message) {
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
      message = std::string("FUSE is not usable here: /dev/fuse: ") + std::strerror(errno);
      return Outcome::kUnavailable;
    }
    std::signal(SIGPIPE, SIG_IGN);
    int to_server[2];
    int from_server[2];
    if (::pipe2(to_server, O_CLOEXEC) != 0 || ::pipe2(from_server, O_CLOEXEC) != 0) {
      message = "pipe failed";
      return Outcome::kFailed;
    }
    commands_ = to_server[1];
    replies_ = from_server[0];
    const int log = ::open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::vector<const char*> argv = {VANTREL_POWERCUT_FS, "--lifetime", kServerLifetimeSeconds,
                                     "--max-write", kMaxWrite};
    if (!copy_file_range) argv.push_back("--no-copy-file-range");
    argv.push_back(mount_point_.c_str());
    argv.push_back(nullptr);
    server_ = ::fork();
    if (server_ == 0) {
      ::dup2(to_server[0], STDIN_FILENO);
      ::dup2(from_server[1], STDOUT_FILENO);
      if (log >= 0) ::dup2(log, STDERR_FILENO);
      ::execv(argv[0], const_cast<char* const*>(argv.data()));
      ::_exit(127);
    }
    for (const int end : {to_server[0], from_server[1], log}) ::close(end);
    return WaitUntilMounted(message);
  }

  // Sends one command and returns the server's answer ("" when none came).
  std::string Command(const std::string& line) {
    const std::string sent = line + "\n";
    if (commands_ < 0 ||
        ::write(commands_, sent.data(), sent.size()) != static_cast<ssize_t>(sent.size())) {
      return {};
    }
    return ReadLineWithin(replies_, kReplyWait);
  }

  // Closing its input makes the server detach the mount and end; one that does not is killed.
  // "" when it ended with status 0; otherwise how it ended and what it wrote on standard error
  // (a sanitizer's report among it), so that a server that fails on its way out is not missed.
  std::string Stop() {
    if (commands_ >= 0) ::close(commands_);
    commands_ = -1;
    std::string ended;
    if (server_ > 0) {
      int status = 0;
      if (!WaitUntil([&] { return ::waitpid(server_, &status, WNOHANG) == server_; }, kExitWait)) {
        ::kill(server_, SIGKILL);
        ::waitpid(server_, &status, 0);
      }
      server_ = -1;
      if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        ended = "powercut_fs ended with " +
                (WIFEXITED(status) ? "status " + std::to_string(WEXITSTATUS(status))
                                   : "signal " + std::to_string(WTERMSIG(status))) +
                ":\n" + ReadFile(log_);
      }
    }
    if (IsListed(mount_point_)) DetachMount(mount_point_);
    if (replies_ >= 0) ::close(replies_);
    replies_ = -1;
    return ended;
  }

 private:
  Outcome WaitUntilMounted(std::string& message) {
    const auto end = Clock::now() + kMountWait;
    while (!IsListed(mount_point_)) {
      int status = 0;
      if (::waitpid(server_, &status, WNOHANG) == server_) {
        server_ = -1;
        message = ReadFile(log_);
        return WIFEXITED(status) && WEXITSTATUS(status) == 2 ? Outcome::kUnavailable
                                                             : Outcome::kFailed;
      }
      if (Clock::now() > end) {
        message = "powercut_fs did not mount in time";
        return Outcome::kFailed;
      }
      std::this_thread::sleep_for(milliseconds(2));
    }
    return Outcome::kMounted;
  }

  std::string mount_point_;
  std::string log_;
  pid_t server_ = -1;
  int commands_ = -1;
  int replies_ = -1;
};

// ---- Files on the mount, written with the plain calls.

bool WriteFile(const std::string& path, const std::string& data, mode_t mode, bool sync) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool done = ::write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size()) &&
              ::fchmod(fd, mode) == 0 && (!sync || ::fsync(fd) == 0);
  done = ::close(fd) == 0 && done;
  return done;
}

bool SyncFolder(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  return ::close(fd) == 0 && synced;
}

// A recognisable pattern: numbered lines, each saying which file it belongs to.
std::string Pattern(const char* which, std::size_t size) {
  std::string text;
  for (int line = 0; text.size() < size; ++line) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s file, line %06d: 0123456789abcdef\n", which, line);
    text += buffer;
  }
  text.resize(size);
  return text;
}

const std::string& NewBytes() {
  static const std::string bytes = Pattern("new", 100 * 1024);
  return bytes;
}
const std::string& OldBytes() {
  static const std::string bytes = Pattern("old", 80 * 1024);
  return bytes;
}
constexpr mode_t kNewMode = 0644;
constexpr mode_t kOldMode = 0640;
constexpr const char* kName = "file.dat";

// ---- One operation on the mount, cut or not.

// What the operation said it did.
struct Reported {
  bool copied = false;  // the copy reported success
};
using Operation = std::function<Reported(const std::string& from, const std::string& to)>;

// How the data reaches the destination.
enum class Route {
  kCopyFileRange,  // the server copies (FUSE_COPY_FILE_RANGE)
  // The server refuses copy_file_range and FUSE's kernel side copies by writes instead: the
  // program still sees copy_file_range succeed.
  kKernelSplice,
  // The source lies on another file system (the test's own folder), where copy_file_range fails
  // with EXDEV, so the program reads and writes itself. A delete there counts as on disk at once,
  // the worst case for a move.
  kOtherFileSystem,
};

const char* NameOf(Route route) {
  switch (route) {
    case Route::kCopyFileRange:
      return "copy_file_range";
    case Route::kKernelSplice:
      return "kernel_splice";
    case Route::kOtherFileSystem:
      return "read_write";
  }
  return "";
}

struct Case {
  std::string name;
  bool old_destination;  // the destination holds the old file before the operation
  Route route;
  Operation operation;
};

struct View {
  std::string folder;
  std::string description;
};

struct Aftermath {
  std::string folder;          // where the views were written
  std::string outside_source;  // the source on another file system, or ""
  unsigned long operations = 0;
  Reported reported;
  std::vector<View> views;
  std::string log;  // the counted requests, one a line
};

// Faults found over a whole sweep.
struct Tally {
  int cut_points = 0;
  int views = 0;
  int lost = 0;               // views without a complete copy
  int damaged = 0;            // views with wrong bytes under the source's or destination's name
  int wrong_permissions = 0;  // the right bytes with the wrong permission bits
  int unsynced_success = 0;   // a copy reported done whose file was not on the strict disk
  int leftovers = 0;          // views with other names (a temporary file) in the folders
  std::vector<std::string> faults;
};

class PowerCutRunner {
 public:
  PowerCutRunner() {
    const std::string mount_point = sandbox_ / "mnt";
    ::mkdir(mount_point.c_str(), 0755);
  }

  std::string mount_point() const { return sandbox_ / "mnt"; }

  // Prepares the files, settles them, arms the cut, runs the operation and dumps what the cut
  // left. "" when it ran; otherwise why not, and `unavailable` when FUSE cannot be used.
  std::string RunOnce(const Case& c, std::optional<unsigned long> cut, Aftermath& run,
                      bool& unavailable) {
    unavailable = false;
    PowerCutMount mount(mount_point(), sandbox_ / "server.log");
    std::string message;
    const PowerCutMount::Outcome started = mount.Start(c.route != Route::kKernelSplice, message);
    if (started != PowerCutMount::Outcome::kMounted) {
      unavailable = started == PowerCutMount::Outcome::kUnavailable;
      return "powercut_fs: " + message;
    }
    const std::string source_folder = mount_point() + "/src";
    const std::string destination_folder = mount_point() + "/dst";
    std::string source = source_folder + "/" + kName;
    if (c.route == Route::kOtherFileSystem) {
      const std::string outside = sandbox_ / "outside";
      ::mkdir(outside.c_str(), 0755);
      source = run.outside_source = outside + "/" + kName;
    }
    if (::mkdir(source_folder.c_str(), 0755) != 0 ||
        ::mkdir(destination_folder.c_str(), 0755) != 0 ||
        !WriteFile(source, NewBytes(), kNewMode, false) ||
        (c.old_destination &&
         !WriteFile(destination_folder + "/" + kName, OldBytes(), kOldMode, false))) {
      return "cannot prepare the files on the mount";
    }
    if (mount.Command("settle") != "settled") return "no answer to settle";
    if (mount.Command(cut ? "arm " + std::to_string(*cut) : "arm") != "armed") {
      return "no answer to arm";
    }
    run.reported = c.operation(source, destination_folder + "/" + kName);
    const std::string views_folder = sandbox_ / ("views-" + std::to_string(cut.value_or(0)));
    std::filesystem::remove_all(views_folder);
    ::mkdir(views_folder.c_str(), 0755);
    const std::string answer = mount.Command("dump " + views_folder);
    if (std::string ended = mount.Stop(); !ended.empty()) return ended;
    unsigned long operations = 0;
    int count = 0;
    if (std::sscanf(answer.c_str(), "dumped %lu %d", &operations, &count) != 2) {
      return "dump failed: " + answer;
    }
    run.folder = views_folder;
    run.operations = operations;
    run.log = ReadFile(views_folder + "/operations.txt");
    std::istringstream listing(ReadFile(views_folder + "/views.txt"));
    for (std::string line; std::getline(listing, line);) {
      const std::size_t tab = line.find('\t');
      run.views.push_back({views_folder + "/" + line.substr(0, tab), line.substr(tab + 1)});
    }
    if (static_cast<int>(run.views.size()) != count) return "views.txt does not list the views";
    return {};
  }

  // Checks every view of one run against what a power cut may leave.
  static void Check(const Case& c, unsigned long cut, const Aftermath& run, Tally& tally) {
    ++tally.cut_points;
    for (std::size_t i = 0; i < run.views.size(); ++i) {
      const View& view = run.views[i];
      ++tally.views;
      const std::string where =
          "cut after " + std::to_string(cut) + ", view " + view.description + ": ";
      const std::string source =
          run.outside_source.empty() ? view.folder + "/src/" + kName : run.outside_source;
      const std::string destination = view.folder + "/dst/" + kName;
      int complete = 0;
      for (const std::string& path : {source, destination}) {
        if (!Exists(path)) continue;
        const std::string shown =
            path.rfind(view.folder, 0) == 0 ? path.substr(view.folder.size() + 1) : path;
        const std::string bytes = ReadFile(path);
        const mode_t mode = StatOf(path).st_mode & 07777;
        const bool is_new = bytes == NewBytes();
        const bool is_old = c.old_destination && path == destination && bytes == OldBytes();
        if (!is_new && !is_old) {
          ++tally.damaged;
          tally.faults.push_back(where + shown + " holds " + std::to_string(bytes.size()) +
                                 " bytes that are neither file");
          continue;
        }
        if (mode != (is_new ? kNewMode : kOldMode)) {
          ++tally.wrong_permissions;
          tally.faults.push_back(where + shown + " has mode " + std::to_string(mode));
        }
        if (is_new) ++complete;
      }
      if (complete == 0) {
        ++tally.lost;
        tally.faults.push_back(where + "no complete copy of the file is left");
      }
      // The strict disk is view 0: a copy that said it was done must be on it.
      if (i == 0 && run.reported.copied &&
          (!Exists(destination) || ReadFile(destination) != NewBytes())) {
        ++tally.unsynced_success;
        tally.faults.push_back(where + "the copy reported success but its file is not on disk");
      }
      std::vector<std::string> names = NamesIn(view.folder + "/dst");
      const std::vector<std::string> source_names = NamesIn(view.folder + "/src");
      names.insert(names.end(), source_names.begin(), source_names.end());
      for (const std::string& name : names) {
        if (name != kName) {
          ++tally.leftovers;
          break;
        }
      }
    }
  }

 private:
  Sandbox sandbox_;
};

struct SweepResult {
  unsigned long operations = 0;  // K, counted without a cut
  std::string log;               // the requests of the run without a cut
  Tally tally;
};

// The run without a cut, then one cut after each of its K counted requests. Returns "" or why the
// sweep could not run; `unavailable` when FUSE cannot be used here.
std::string Sweep(const Case& c, SweepResult& result, bool& unavailable) {
  PowerCutRunner runner;
  Aftermath whole;
  if (auto error = runner.RunOnce(c, std::nullopt, whole, unavailable); !error.empty()) {
    return error;
  }
  result.operations = whole.operations;
  result.log = whole.log;
  for (unsigned long cut = 1; cut <= whole.operations; ++cut) {
    Aftermath run;
    if (auto error = runner.RunOnce(c, cut, run, unavailable); !error.empty()) return error;
    // Every cut must fall where it was set: the same requests run each time.
    if (run.operations != cut) {
      return "the cut after " + std::to_string(cut) + " stopped after " +
             std::to_string(run.operations) + " requests:\n" + run.log;
    }
    PowerCutRunner::Check(c, cut, run, result.tally);
    std::filesystem::remove_all(run.folder);
  }
  return {};
}

std::string Faults(const Tally& tally) {
  std::string text;
  for (std::size_t i = 0; i < tally.faults.size() && i < 20; ++i) text += tally.faults[i] + "\n";
  if (tally.faults.size() > 20) text += "...\n";
  return text;
}

// Which temporary file and which data copy ran, told from the requests the server saw.
std::string TemporaryKind(const std::string& log) {
  if (log.rfind("link ", 0) == 0 || log.find("\nlink ") != std::string::npos) return "unnamed";
  if (log.find(".vantrel-") != std::string::npos) return "named";
  return "none";
}
std::string DataCopyKind(const std::string& log) {
  if (log.find("copy_file_range ") != std::string::npos) return "copy_file_range";
  if (log.find("write ") != std::string::npos) return "write";
  return "none";
}

// Puts the sweep's line into the summary file, replacing an older line of the same sweep.
void Summarize(const std::string& sweep, Route route, const SweepResult& result) {
  const char* path = std::getenv("VANTREL_POWER_CUT_SUMMARY");
  if (path == nullptr || *path == '\0') return;
  const std::string header =
      "sweep\ttemporary\tdata_copy\toperations\tcut_points\tviews\tfiles_lost\tdamaged\t"
      "wrong_permissions\tunsynced_success\tviews_with_leftovers";
  const Tally& t = result.tally;
  const std::string line = sweep + "\t" + TemporaryKind(result.log) + "\t" + NameOf(route) + "\t" +
                           std::to_string(result.operations) + "\t" + std::to_string(t.cut_points) +
                           "\t" + std::to_string(t.views) + "\t" + std::to_string(t.lost) + "\t" +
                           std::to_string(t.damaged) + "\t" + std::to_string(t.wrong_permissions) +
                           "\t" + std::to_string(t.unsynced_success) + "\t" +
                           std::to_string(t.leftovers);
  std::string text = header + "\n";
  std::istringstream old(ReadFile(path));
  for (std::string kept; std::getline(old, kept);) {
    if (kept != header && !kept.empty() && kept.rfind(sweep + "\t", 0) != 0) text += kept + "\n";
  }
  text += line + "\n";
  const std::string temporary = std::string(path) + ".new";
  std::ofstream(temporary, std::ios::binary | std::ios::trunc) << text;
  std::rename(temporary.c_str(), path);
}

// ---- The operations: the real service, and unsafe ones for the controls.

Reported ServiceCopy(const std::string& from, const std::string& to) {
  return {!platform::MakeNativeFileSystem()->CopyFile(from, to)};
}

// As the program moves a file: the copy, then the source only if it is still what was copied.
Reported ServiceMove(const std::string& from, const std::string& to) {
  const auto files = platform::MakeNativeFileSystem();
  platform::FileVersion version;
  const bool copied = !files->CopyFile(from, to, &version);
  if (copied) files->DeleteCopiedFile(from, version);
  return {copied};
}

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.rfind('/'));
}
std::string TemporaryBeside(const std::string& path) {
  return FolderOf(path) + "/.file.dat.unsafe";
}

// Writes over the destination itself.
Reported CopyInPlace(const std::string& from, const std::string& to) {
  return {WriteFile(to, ReadFile(from), kNewMode, true)};
}

// Renames the new file over the destination before its data is on disk.
Reported CopyRenamingUnsyncedData(const std::string& from, const std::string& to) {
  const std::string temporary = TemporaryBeside(to);
  return {WriteFile(temporary, ReadFile(from), kNewMode, false) &&
          ::rename(temporary.c_str(), to.c_str()) == 0 && SyncFolder(FolderOf(to))};
}

// Deletes the source before the new name is on disk.
Reported MoveWithoutSyncingTheFolder(const std::string& from, const std::string& to) {
  const std::string temporary = TemporaryBeside(to);
  const bool copied = WriteFile(temporary, ReadFile(from), kNewMode, true) &&
                      ::rename(temporary.c_str(), to.c_str()) == 0;
  if (copied) ::unlink(from.c_str());
  return {copied};
}

// ---- The sweeps of the real service.

enum class Action { kCopyOverExistingFile, kMoveToAbsentDestination, kMoveOverExistingFile };

struct SweepCase {
  Action action;
  Route route;

  std::string Name() const {
    const char* what = action == Action::kCopyOverExistingFile      ? "CopyOverExistingFile"
                       : action == Action::kMoveToAbsentDestination ? "MoveToAbsentDestination"
                                                                    : "MoveOverExistingFile";
    const char* how = route == Route::kCopyFileRange  ? "CopyFileRange"
                      : route == Route::kKernelSplice ? "KernelSplice"
                                                      : "ReadWriteFromOtherFileSystem";
    return std::string(what) + "_" + how;
  }
};

void PrintTo(const SweepCase& sweep, std::ostream* out) {
  *out << sweep.Name();
}

class PowerCutSweepTest : public ::testing::TestWithParam<SweepCase> {};

TEST_P(PowerCutSweepTest, LeavesOneCompleteCopyAtEveryCut) {
  const SweepCase& sweep = GetParam();
  const bool move = sweep.action != Action::kCopyOverExistingFile;
  const Case c{sweep.Name(), sweep.action != Action::kMoveToAbsentDestination, sweep.route,
               move ? Operation(ServiceMove) : Operation(ServiceCopy)};
  SweepResult result;
  bool unavailable = false;
  const auto start = Clock::now();
  const std::string error = Sweep(c, result, unavailable);
  if (unavailable) GTEST_SKIP() << error;
  ASSERT_EQ(error, "");
  const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
  std::cout << c.name << ": " << result.operations << " requests, " << result.tally.cut_points
            << " cuts, " << result.tally.views << " views, " << took.count() << " ms; temporary "
            << TemporaryKind(result.log) << "\n"
            << result.log;

  // The operation did its work, and the data went the way meant for this sweep.
  EXPECT_GE(result.operations, 4u);
  EXPECT_EQ(DataCopyKind(result.log),
            sweep.route == Route::kCopyFileRange ? "copy_file_range" : "write");
  EXPECT_NE(TemporaryKind(result.log), "none");
  EXPECT_EQ(result.tally.cut_points, static_cast<int>(result.operations));

  const Tally& t = result.tally;
  EXPECT_EQ(t.lost, 0) << Faults(t);
  EXPECT_EQ(t.damaged, 0) << Faults(t);
  EXPECT_EQ(t.wrong_permissions, 0) << Faults(t);
  EXPECT_EQ(t.unsynced_success, 0) << Faults(t);
  Summarize(c.name, sweep.route, result);
}

std::vector<SweepCase> AllSweeps() {
  std::vector<SweepCase> sweeps;
  for (const Action action : {Action::kCopyOverExistingFile, Action::kMoveToAbsentDestination,
                              Action::kMoveOverExistingFile}) {
    for (const Route route :
         {Route::kCopyFileRange, Route::kKernelSplice, Route::kOtherFileSystem}) {
      sweeps.push_back({action, route});
    }
  }
  return sweeps;
}

INSTANTIATE_TEST_SUITE_P(Service, PowerCutSweepTest, ::testing::ValuesIn(AllSweeps()),
                         [](const ::testing::TestParamInfo<SweepCase>& info) {
                           return info.param.Name();
                         });

// ---- The model itself, and the controls: unsafe copies the sweep must catch.

TEST(PowerCutModelTest, KeepsOnlyWhatWasSyncedAndViewsWhatMayHaveBeenWrittenBack) {
  PowerCutRunner runner;
  // The steps run as the "operation" of a run on the usual prepared mount (the source file, an
  // empty destination folder).
  const Case c{"model", false, Route::kCopyFileRange, [&](const std::string&, const std::string&) {
                 const std::string a = runner.mount_point() + "/a";
                 const bool done = ::mkdir(a.c_str(), 0755) == 0 &&
                                   SyncFolder(runner.mount_point()) &&
                                   WriteFile(a + "/synced", "one", 0644, true) &&
                                   WriteFile(a + "/unsynced", "two", 0644, false) &&
                                   SyncFolder(a) && WriteFile(a + "/late", "three", 0644, true) &&
                                   ::unlink((runner.mount_point() + "/src/" + kName).c_str()) == 0;
                 return Reported{done};
               }};
  Aftermath run;
  bool unavailable = false;
  const std::string error = runner.RunOnce(c, std::nullopt, run, unavailable);
  if (unavailable) GTEST_SKIP() << error;
  ASSERT_EQ(error, "");
  ASSERT_TRUE(run.reported.copied) << "the steps failed on the mount";
  ASSERT_FALSE(run.views.empty());

  // The strict disk: synced data under synced names, an unsynced file empty, an unsynced name
  // absent, an unsynced delete undone.
  const std::string strict = run.views[0].folder;
  EXPECT_EQ(run.views[0].description, "durable");
  EXPECT_EQ(ReadFile(strict + "/a/synced"), "one");
  EXPECT_TRUE(Exists(strict + "/a/unsynced"));
  EXPECT_EQ(ReadFile(strict + "/a/unsynced"), "");
  EXPECT_FALSE(Exists(strict + "/a/late"));
  EXPECT_EQ(ReadFile(strict + std::string("/src/") + kName), NewBytes());

  // What the system may have written back by itself: each pending change, in some view.
  bool unsynced_data = false, late_name = false, delete_done = false;
  for (const View& view : run.views) {
    unsynced_data |= ReadFile(view.folder + "/a/unsynced") == "two";
    late_name |= ReadFile(view.folder + "/a/late") == "three";
    delete_done |= !Exists(view.folder + std::string("/src/") + kName);
  }
  EXPECT_TRUE(unsynced_data);
  EXPECT_TRUE(late_name);
  EXPECT_TRUE(delete_done);
  // Three pending changes (the data of a/unsynced, the names of /a and of /src): 2^3 views.
  EXPECT_EQ(run.views.size(), 8u);
}

SweepResult SweepOrSkip(const Case& c, bool& unavailable) {
  SweepResult result;
  const std::string error = Sweep(c, result, unavailable);
  if (!unavailable) {
    EXPECT_EQ(error, "");
  }
  return result;
}

TEST(PowerCutModelTest, CatchesACopyWrittenOverTheDestinationItself) {
  bool unavailable = false;
  const SweepResult result =
      SweepOrSkip({"in place", true, Route::kCopyFileRange, Operation(CopyInPlace)}, unavailable);
  if (unavailable) GTEST_SKIP() << "FUSE is not usable here";
  // The truncated or half-written destination, written back by the system before the fsync.
  EXPECT_GT(result.tally.damaged, 0) << result.log;
  EXPECT_EQ(result.tally.lost, 0);  // the source is never touched
}

TEST(PowerCutModelTest, CatchesARenameBeforeTheDataIsOnDisk) {
  bool unavailable = false;
  const SweepResult result = SweepOrSkip(
      {"rename unsynced", true, Route::kCopyFileRange, Operation(CopyRenamingUnsyncedData)},
      unavailable);
  if (unavailable) GTEST_SKIP() << "FUSE is not usable here";
  // The strict disk after the folder's sync: the new name on a file whose data never got there.
  EXPECT_GT(result.tally.damaged, 0) << result.log;
  EXPECT_GT(result.tally.unsynced_success, 0) << result.log;
}

TEST(PowerCutModelTest, CatchesAMoveThatDeletesTheSourceBeforeTheNewNameIsOnDisk) {
  bool unavailable = false;
  const SweepResult result = SweepOrSkip(
      {"move unsynced", false, Route::kCopyFileRange, Operation(MoveWithoutSyncingTheFolder)},
      unavailable);
  if (unavailable) GTEST_SKIP() << "FUSE is not usable here";
  // The delete written back by the system while the rename was not.
  EXPECT_GT(result.tally.lost, 0) << result.log;
}

}  // namespace
}  // namespace vantrel::posix_testing
