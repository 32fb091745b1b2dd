// The waits off the GUI thread against a real mount that stops answering: the drive list, the
// folder reads and a copy must all come back while it hangs, and the worker left on the mount
// must end once the mount answers or goes.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <memory>
#include <thread>
#include <vector>

#include "browsing/browsing.h"
#include "fuse_support.h"
#include "harness.h"
#include "hung_mount.h"
#include "platform/off_thread_calls.h"
#include "platform/os_services.h"
#include "platform/posix/copy_file.h"
#include "platform/posix/registry_view.h"
#include "platform/posix/temporary_name.h"
#include "sandbox.h"
#include "test_gui_wait.h"

namespace vantrel::testing {
namespace {

using lists::FolderSnapshot;
using platform::DriveInfo;
using platform::ThreadedOffThread;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

std::vector<std::string> NamesOf(const lists::FolderSnapshot& snapshot) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < snapshot.size(); ++i) names.emplace_back(snapshot.Name(i));
  std::sort(names.begin(), names.end());
  return names;
}

bool Lists(const std::vector<DriveInfo>& drives, const std::string& path) {
  return std::any_of(drives.begin(), drives.end(), [&](const DriveInfo& drive) {
    return drive.text == path && drive.root == path;
  });
}

// Stands in for the window system: something to handle every 10 ms while the GUI thread waits.
class PaintEvents {
 public:
  explicit PaintEvents(testing::TestGuiWait& gui)
      : thread_([this, &gui] {
          while (!stop_) {
            gui.Wake();
            std::this_thread::sleep_for(milliseconds(10));
          }
        }) {}
  ~PaintEvents() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// A child process that looks up a path on the mount and exits 0 when that worked, else errno.
pid_t StatInChild(const std::string& path) {
  const pid_t child = ::fork();
  if (child == 0) {
    struct stat info {};
    ::_exit(::stat(path.c_str(), &info) == 0 ? 0 : errno);
  }
  return child;
}

// The child's exit code, or -1 when it has not ended within the deadline.
int ExitCodeWithin(pid_t child, milliseconds deadline) {
  int status = 0;
  if (!WaitUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; }, deadline)) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class HungMountWaitTest : public HungMountTest {
 protected:
  // The mount goes first, so a worker still blocked on it ends; then none may be left on it.
  // Only this test's mount counts: the machine may have hung mounts of its own.
  void TearDown() override {
    mount.Remove();
    EXPECT_TRUE(WaitUntil([this] { return StuckHere() == 0; }, milliseconds(5000)))
        << StuckHere() << " workers still blocked after the mount was removed";
  }

  // Workers given up on that are still stuck on this test's mount.
  std::size_t StuckHere() const { return places->Count(mount.path()); }

  testing::TestGuiWait gui;
  std::shared_ptr<platform::StuckPlaces> places = std::make_shared<platform::StuckPlaces>();
  ThreadedOffThread off_thread{gui, gui.state, places};
};

TEST_F(HungMountTest, ServesItsTreeAndHoldsEveryCallWhileHung) {
  EXPECT_EQ(NamesIn(mount.path()), (std::vector<std::string>{"docs", "readme.txt"}));
  EXPECT_EQ(NamesIn(mount / "docs"), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(ReadFile(mount / "docs/b.txt"), "bravo\n");

  ASSERT_TRUE(mount.Hang());
  const pid_t answered_later = StatInChild(mount / "docs/a.txt");
  // Blocked in the kernel, as on a network mount whose server went away.
  EXPECT_TRUE(WaitUntil([&] { return BlockedOnMount(answered_later); }, milliseconds(2000)));
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_TRUE(BlockedOnMount(answered_later)) << KernelWait(answered_later);
  EXPECT_EQ(::waitpid(answered_later, nullptr, WNOHANG), 0);
  ASSERT_TRUE(mount.Answer());
  EXPECT_EQ(ExitCodeWithin(answered_later, milliseconds(2000)), 0);

  ASSERT_TRUE(mount.Hang());
  const pid_t cut_off = StatInChild(mount / "docs");
  EXPECT_TRUE(WaitUntil([&] { return BlockedOnMount(cut_off); }, milliseconds(2000)));
  mount.Remove();
  const int code = ExitCodeWithin(cut_off, milliseconds(2000));
  EXPECT_GT(code, 0) << "the lookup should fail once the server is gone";
  EXPECT_FALSE(mount.mounted());
}

TEST_F(HungMountWaitTest, DriveListComesBackInTimeListingTheHungMountAndHandlingEvents) {
  ASSERT_TRUE(mount.Hang());
  std::vector<Clock::time_point> rounds;
  gui.on_events = [&rounds] { rounds.push_back(Clock::now()); };
  std::vector<DriveInfo> drives;
  Clock::time_point started;
  milliseconds took{};
  {
    PaintEvents paint(gui);
    started = Clock::now();
    took = TimeOf([&] { drives = platform::ListDrives(off_thread); });
  }
  EXPECT_GE(took, platform::kDriveAnswerDeadline - milliseconds(20)) << "the probe never blocked";
  EXPECT_LT(took, milliseconds(1000));
  EXPECT_TRUE(Lists(drives, mount.path())) << "the hung mount is listed by its path";
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives.front().text, "/");
  EXPECT_EQ(StuckHere(), 1u);
  EXPECT_EQ(gui.busy_changes, (std::vector<bool>{true, false}));

  // Events were handled all through the wait, not just at its end.
  ASSERT_GE(rounds.size(), 20u);
  Clock::time_point previous = started;
  for (const Clock::time_point round : rounds) {
    EXPECT_LT(round - previous, milliseconds(150));
    previous = round;
  }

  // The probe is still stuck on the mount: the next listing does not wait for it again.
  took = TimeOf([&] { drives = platform::ListDrives(off_thread); });
  EXPECT_LT(took, milliseconds(100));
  EXPECT_TRUE(Lists(drives, mount.path()));
  EXPECT_EQ(StuckHere(), 1u);
}

TEST_F(HungMountWaitTest, FolderReadGivesUpAfterItsDeadlineAndTheMountIsNotAskedAgain) {
  ASSERT_TRUE(mount.Hang());
  std::optional<lists::FolderSnapshot> read;
  milliseconds took =
      TimeOf([&] { read = ReadFolderSnapshotOffThread(off_thread, mount / "docs"); });
  EXPECT_FALSE(read.has_value());
  EXPECT_GE(took, platform::kAnswerDeadline - milliseconds(20));
  EXPECT_LT(took, platform::kAnswerDeadline + milliseconds(500));
  EXPECT_EQ(StuckHere(), 1u);

  // Another folder of the same mount: refused at once while the first read is stuck.
  took = TimeOf([&] { read = ReadFolderSnapshotOffThread(off_thread, mount.path()); });
  EXPECT_FALSE(read.has_value());
  EXPECT_LT(took, milliseconds(100));
  EXPECT_EQ(StuckHere(), 1u) << "no second worker was started on the mount";

  // Other file systems are not held up.
  const Sandbox sandbox;
  sandbox.Write("one.txt", "1");
  sandbox.Folder("sub");
  took = TimeOf([&] { read = ReadFolderSnapshotOffThread(off_thread, sandbox.path()); });
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(NamesOf(*read), (std::vector<std::string>{"one.txt", "sub"}));
  EXPECT_LT(took, milliseconds(500));
}

// A link on the root file system that leads into the hung mount: giving up on it must not stop
// the root file system's own folders from being read. Disabled while a path's file system is
// found from its text alone: the link's folder counts as the root file system's, so the root's
// reads are refused until the hung mount answers.
TEST_F(HungMountWaitTest, FolderReachedThroughALinkHoldsUpOnlyTheHungMount) {
  const Sandbox sandbox;
  sandbox.Write("local.txt", "1");
  const std::string link = sandbox / "share";
  ASSERT_EQ(::symlink(mount.path().c_str(), link.c_str()), 0);
  ASSERT_TRUE(mount.Hang());
  EXPECT_FALSE(ReadFolderSnapshotOffThread(off_thread, link + "/docs").has_value());
  // Through the link again, or straight: refused at once, with no second worker stuck.
  const milliseconds again = TimeOf(
      [&] { EXPECT_FALSE(ReadFolderSnapshotOffThread(off_thread, link + "/docs").has_value()); });
  EXPECT_LT(again, milliseconds(100));
  EXPECT_FALSE(ReadFolderSnapshotOffThread(off_thread, mount / "docs").has_value());
  EXPECT_EQ(StuckHere(), 1u);

  // The folder holding the link still reads, and at once: the link's target does not answer,
  // so it is listed as neither a file nor a folder.
  std::optional<lists::FolderSnapshot> read;
  const milliseconds took =
      TimeOf([&] { read = ReadFolderSnapshotOffThread(off_thread, sandbox.path()); });
  ASSERT_TRUE(read.has_value()) << "a read on the hung mount through a link blocks the root's";
  EXPECT_LT(took, milliseconds(1500));
  EXPECT_EQ(NamesOf(*read), (std::vector<std::string>{"local.txt", "share"}));
  for (std::size_t i = 0; i < read->size(); ++i) {
    if (read->Name(i) == "share") {
      EXPECT_EQ(read->at(i).kind, lists::EntryKind::Other);
    }
  }
}

TEST_F(HungMountWaitTest, CopyBetweenOrdinaryFoldersWorksWhileAWorkerIsStuckOnTheMount) {
  ASSERT_TRUE(mount.Hang());
  platform::ListDrives(off_thread);
  ASSERT_EQ(StuckHere(), 1u);

  const Sandbox sandbox;
  const std::string from = sandbox.Write("from.txt", std::string(100000, 'x'));
  const std::string to = sandbox.Folder("to") + "/from.txt";
  const std::shared_ptr<platform::FileSystem> native = platform::MakeNativeFileSystem();
  platform::OffThreadFileSystem files(native, off_thread);
  std::error_code copied = std::make_error_code(std::errc::io_error);
  const milliseconds took = TimeOf([&] { copied = files.CopyFile(from, to); });
  EXPECT_FALSE(copied) << copied.message();
  EXPECT_EQ(ReadFile(to), std::string(100000, 'x'));
  EXPECT_EQ(files.FileLength(to), 100000u);
  EXPECT_EQ(files.FileExists(to), "from.txt");
  EXPECT_LT(took, milliseconds(1000));
}

TEST_F(HungMountWaitTest, StuckWorkerEndsWhenTheMountAnswersAgainAndItCanBeReadAgain) {
  ASSERT_TRUE(mount.Hang());
  EXPECT_FALSE(ReadFolderSnapshotOffThread(off_thread, mount / "docs").has_value());
  ASSERT_EQ(StuckHere(), 1u);

  ASSERT_TRUE(mount.Answer());
  EXPECT_TRUE(WaitUntil([&] { return StuckHere() == 0; }, milliseconds(2000)));
  const std::optional<lists::FolderSnapshot> read =
      ReadFolderSnapshotOffThread(off_thread, mount / "docs");
  ASSERT_TRUE(read.has_value()) << "the mount stays refused after it answered";
  EXPECT_EQ(NamesOf(*read), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST_F(HungMountWaitTest, StuckWorkersEndWhenTheServerIsKilled) {
  ASSERT_TRUE(mount.Hang());
  const std::string folder = mount / "docs";
  EXPECT_FALSE(ReadFolderSnapshotOffThread(off_thread, folder).has_value());
  platform::ListDrives(off_thread);  // the stuck mount is not asked again
  ASSERT_EQ(StuckHere(), 1u);

  mount.Remove();
  EXPECT_TRUE(WaitUntil([&] { return StuckHere() == 0; }, milliseconds(2000)));
  // The folder is gone with its mount; reading it now fails without waiting.
  std::optional<lists::FolderSnapshot> read;
  const milliseconds took = TimeOf([&] { read = ReadFolderSnapshotOffThread(off_thread, folder); });
  EXPECT_FALSE(read.has_value());
  EXPECT_LT(took, milliseconds(100));
}

// A server that goes away in the middle of a listing: the read gives up a deadline after the last
// entries came, and from then on every call on the mount fails at once, with no new worker.
TEST_F(HungMountWaitTest, AMountThatAnswersItsFolderAndThenStopsIsGivenUpOnAndRefusedAfter) {
  ASSERT_TRUE(mount.StallAfterListing());
  std::optional<lists::FolderSnapshot> read;
  milliseconds took =
      TimeOf([&] { read = ReadFolderSnapshotOffThread(off_thread, mount / "docs"); });
  EXPECT_FALSE(read.has_value());
  EXPECT_GE(took, platform::kAnswerDeadline - milliseconds(20));
  EXPECT_LT(took, platform::kAnswerDeadline + milliseconds(1000));
  EXPECT_EQ(StuckHere(), 1u);

  const Sandbox sandbox;
  const std::string from = sandbox.Write("from.txt", "data");
  const std::shared_ptr<platform::FileSystem> native = platform::MakeNativeFileSystem();
  platform::OffThreadFileSystem files(native, off_thread);
  for (int attempt = 0; attempt < 10; ++attempt) {
    took = TimeOf([&] {
      EXPECT_FALSE(ReadFolderSnapshotOffThread(off_thread, mount / "docs").has_value());
      EXPECT_EQ(files.FileLength(mount / "docs/a.txt"), std::nullopt);
      EXPECT_TRUE(files.CopyFile(from, mount / "docs/from.txt"));
      EXPECT_TRUE(files.MakeFolder(mount / "new"));
    });
    EXPECT_LT(took, milliseconds(100));
  }
  EXPECT_EQ(StuckHere(), 1u) << "one worker stuck on the mount, however often it is tried";
  // Elsewhere the program goes on.
  EXPECT_FALSE(files.MakeFolder(sandbox / "elsewhere"));
  EXPECT_TRUE(Exists(sandbox / "elsewhere"));
}

// A click on a file of a mount that stops answering shows the size as unreadable once the
// deadline has passed, with events handled all the while.
TEST_F(HungMountWaitTest, AFileClickedOnAHungMountShowsNoSizeAfterTheDeadline) {
  testing::Harness h;
  h.Start(h.temp.str());
  h.File1().SetPath(mount / "docs");
  h.File1().Select("a.txt");
  const std::shared_ptr<platform::FileSystem> native = platform::MakeNativeFileSystem();
  platform::OffThreadFileSystem files(native, off_thread);
  testing::FormWithFiles with_files(h, files);
  form::Form2& f = with_files.form();
  ASSERT_TRUE(mount.Hang());
  int rounds = 0;
  gui.on_events = [&rounds] { ++rounds; };
  const milliseconds took = TimeOf([&] { browsing::File1_Click(f); });
  EXPECT_EQ(h.Caption("Label2"), "Filesize:  Bytes");
  EXPECT_GE(took, platform::kAnswerDeadline - milliseconds(20));
  EXPECT_LT(took, platform::kAnswerDeadline + milliseconds(1000));
  EXPECT_GE(rounds, 20);
}

// The system-information tool is looked for on the search path, one of whose folders sits on
// the hung mount: the look gives up there and the wait handles events all the while.
TEST_F(HungMountWaitTest, SystemInfoLookupWithAHungFolderOnThePathComesBack) {
  const Sandbox sandbox;
  ASSERT_TRUE(mount.Hang());
  const auto view = platform::posix::MakeRegistryView(
      mount / "docs" + ":" + sandbox.path(),
      [](const std::string&) { return std::optional<std::string>(); });
  platform::OffThreadRegistry registry(*view, off_thread);
  int rounds = 0;
  gui.on_events = [&rounds] { ++rounds; };
  platform::RegistryKey key = 0;
  long status = 0;
  const milliseconds took = TimeOf([&] {
    status = registry.OpenKey(platform::kHkeyLocalMachine, platform::posix::kMsinfoKey,
                              platform::kKeyQueryValue, &key);
  });
  EXPECT_EQ(status, platform::kErrorFileNotFound);
  EXPECT_LT(took, platform::kAnswerDeadline * 4) << "each hung folder costs one deadline";
  EXPECT_GE(rounds, 20);
}

// Ending the program while a copy out of the hung mount waits: the GUI thread ends at once. The
// process is reaped only once the mount lets go of the worker (a thread waiting on a FUSE server
// outlives even SIGKILL), so the server goes first.
TEST_F(HungMountTest, ProgramEndsWhileACopyOutOfTheHungMountWaits) {
  const Sandbox sandbox;
  const std::string to = sandbox / "a.txt";
  ASSERT_TRUE(mount.Hang());
  const pid_t program = ::fork();
  if (program == 0) {
    testing::TestGuiWait gui;
    ThreadedOffThread off_thread(gui, gui.state, std::make_shared<platform::StuckPlaces>());
    gui.on_events = [&gui] {
      if (gui.rounds >= 20) gui.state.end_requested = true;
    };
    const PaintEvents paint(gui);
    const std::shared_ptr<platform::FileSystem> native = platform::MakeNativeFileSystem();
    platform::OffThreadFileSystem files(native, off_thread);
    files.CopyFile(mount / "docs/a.txt", to);
    ::_exit(1);  // the copy came back although the mount hangs
  }
  ASSERT_GT(program, 0);
  // Its GUI thread is gone (a zombie leader) while its worker still waits on the mount.
  EXPECT_TRUE(WaitUntil([&] { return ProcessState(program) == 'Z'; }, milliseconds(3000)));
  mount.Remove();
  EXPECT_EQ(ExitCodeWithin(program, milliseconds(3000)), testing::TestGuiWait::kEndedCode);
  EXPECT_FALSE(Exists(to));
}

// ---- The temporary file of a copy that never finishes. A copy out of the mount whose reads hang
// has made its hidden file beside the destination and waits in its first read.

std::vector<std::string> TemporaryNamesIn(const std::string& folder) {
  std::vector<std::string> names = NamesIn(folder);
  std::erase_if(names,
                [](const std::string& name) { return !platform::posix::IsTemporaryName(name); });
  return names;
}

// A copy as file systems without unnamed files make it, out of the mount into the folder.
std::error_code CopyOutOfTheMount(const HungMount& mount, const std::string& to) {
  return platform::posix::CopyFileSafely(mount / "docs/a.txt", to, nullptr,
                                         platform::posix::TemporaryFile::Named);
}

// Once its temporary file shows, a copy out of the mount asks the mount for nothing but the
// data: waiting on the mount after that, it waits in its first read, its file held and recorded.
bool WaitsInItsFirstRead(pid_t copier, const std::string& folder) {
  return WaitUntil([&] { return TemporaryNamesIn(folder).size() == 1; }) &&
         WaitUntil([&] { return BlockedOnMount(copier); });
}

// In a child process: starts that copy on a thread of its own and returns once it waits in its
// first read (or ends the process with 2).
void StartCopyOutOfTheMount(const HungMount& mount, const std::string& folder) {
  std::atomic<pid_t> copier{0};
  std::thread([&mount, &copier, to = folder + "/a.txt"] {
    copier = ::gettid();
    CopyOutOfTheMount(mount, to);
    ::_exit(1);  // the copy came back although the mount hangs
  }).detach();
  if (!WaitUntil([&] { return copier != 0; }) || !WaitsInItsFirstRead(copier, folder)) ::_exit(2);
}

TEST_F(HungMountTest, TheEndOfTheProgramRemovesTheTemporaryFileOfACopyInProgress) {
  const Sandbox sandbox;
  ASSERT_TRUE(mount.HangReads());
  const pid_t program = ::fork();
  if (program == 0) {
    StartCopyOutOfTheMount(mount, sandbox.path());
    const milliseconds took = TimeOf([] { platform::RemoveCopiesInProgress(); });
    ::_exit(took < milliseconds(200) ? 0 : 4);
  }
  ASSERT_GT(program, 0);
  // Its main thread is gone (a zombie leader) while its worker still waits on the mount.
  EXPECT_TRUE(WaitUntil([&] { return ProcessState(program) == 'Z'; }, milliseconds(5000)));
  // The worker keeps the process, and the file open, while the mount hangs: the removal does not
  // wait for it for ever.
  EXPECT_TRUE(WaitUntil([&] { return NamesIn(sandbox.path()).empty(); }, milliseconds(4000)));
  mount.Remove();
  EXPECT_EQ(ExitCodeWithin(program, milliseconds(3000)), 0);
}

TEST_F(HungMountTest, ATemporaryFileStaysWhileItsCopyLivesAndGoesWithTheNextCopyOnceItIsKilled) {
  const Sandbox sandbox;
  const std::string other = sandbox.Write("b.txt", "bravo");
  ASSERT_TRUE(mount.HangReads());
  const pid_t copy = ::fork();
  if (copy == 0) ::_exit(CopyOutOfTheMount(mount, sandbox / "a.txt") ? 2 : 1);
  ASSERT_GT(copy, 0);
  ASSERT_TRUE(WaitsInItsFirstRead(copy, sandbox.path()));
  const std::vector<std::string> left = TemporaryNamesIn(sandbox.path());
  const std::unique_ptr<platform::FileSystem> files = platform::MakeNativeFileSystem();
  // Another copy into the folder, while the first one still writes: its file is held.
  EXPECT_FALSE(files->CopyFile(other, sandbox / "c.txt"));
  EXPECT_EQ(TemporaryNamesIn(sandbox.path()), left);
  ::kill(copy, SIGKILL);
  mount.Remove();  // the server first: the copy's read fails, and the kill can take it
  EXPECT_EQ(ExitCodeWithin(copy, milliseconds(3000)), 128 + SIGKILL);
  EXPECT_EQ(TemporaryNamesIn(sandbox.path()), left) << "killed outright, it tidied nothing";
  EXPECT_FALSE(files->CopyFile(other, sandbox / "d.txt"));
  EXPECT_EQ(NamesIn(sandbox.path()), (std::vector<std::string>{"b.txt", "c.txt", "d.txt"}));
}

// powercut_fs mounted on a folder: a drive to write on, whose server can then stop answering
// (stopped with SIGSTOP) as a network server or a pulled drive does.
class WritableMount {
 public:
  WritableMount() = default;
  ~WritableMount() {
    if (server_ > 0) {
      ::kill(server_, SIGKILL);
      ::kill(server_, SIGCONT);
      ::waitpid(server_, nullptr, 0);
    }
    if (!path_.empty() && IsMountListed(path_, "fuse.powercut_fs")) DetachMount(path_);
    if (commands_ >= 0) ::close(commands_);
  }
  WritableMount(const WritableMount&) = delete;
  WritableMount& operator=(const WritableMount&) = delete;

  bool Start(const std::string& mount_point) {
    int to_server[2];
    if (::pipe2(to_server, O_CLOEXEC) != 0) return false;
    server_ = ::fork();
    if (server_ == 0) {
      ::dup2(to_server[0], STDIN_FILENO);
      const int quiet = ::open("/dev/null", O_WRONLY);
      ::dup2(quiet, STDOUT_FILENO);
      ::dup2(quiet, STDERR_FILENO);
      ::execl(VANTREL_POWERCUT_FS, VANTREL_POWERCUT_FS, "--lifetime", "60", mount_point.c_str(),
              nullptr);
      ::_exit(127);
    }
    ::close(to_server[0]);
    commands_ = to_server[1];
    path_ = mount_point;
    return server_ > 0 && WaitUntil([&] { return IsMountListed(path_, "fuse.powercut_fs"); });
  }
  void StopAnswering() { ::kill(server_, SIGSTOP); }
  void AnswerAgain() { ::kill(server_, SIGCONT); }

 private:
  pid_t server_ = -1;
  int commands_ = -1;  // the server's standard input: it leaves when this closes
  std::string path_;
};

// A copy onto a drive whose server then stops: the removal of its temporary file waits there,
// and the end of the program goes on without it.
TEST_F(HungMountTest, TheEndOfTheProgramDoesNotWaitForARemovalOnADriveThatStoppedAnswering) {
  const Sandbox sandbox;
  WritableMount drive;
  const std::string drive_path = sandbox.Folder("drive");
  ASSERT_TRUE(drive.Start(drive_path));
  ASSERT_TRUE(mount.HangReads());
  int ready[2];
  int go[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(go), 0);
  const pid_t program = ::fork();
  if (program == 0) {
    StartCopyOutOfTheMount(mount, drive_path);
    char byte = 0;
    if (::write(ready[1], &byte, 1) != 1 || ::read(go[0], &byte, 1) != 1) ::_exit(4);
    const milliseconds took = TimeOf([] { platform::RemoveCopiesInProgress(); });
    ::_exit(took < milliseconds(200) ? 0 : 5);
  }
  ASSERT_GT(program, 0);
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  drive.StopAnswering();
  ASSERT_EQ(::write(go[1], &byte, 1), 1);
  // The process tells how long its end took: 0 for less than 0.2 s. Its removal may still wait on
  // the drive, and its copy on the mount: both must answer before the process can be reaped.
  std::this_thread::sleep_for(milliseconds(300));
  drive.AnswerAgain();
  mount.Remove();
  EXPECT_EQ(ExitCodeWithin(program, milliseconds(3000)), 0);
  for (const int end : {ready[0], ready[1], go[0], go[1]}) ::close(end);
}

}  // namespace
}  // namespace vantrel::testing
