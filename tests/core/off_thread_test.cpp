// Calls handed to workers while the GUI thread waits: the wait handles events, the deadline of
// work that gives no answer, a place left stuck, and the end of the program during a wait.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "about/frm_about.h"
#include "fileops/file_operations.h"
#include "gate.h"
#include "harness.h"
#include "platform/off_thread_calls.h"
#include "test_gui_wait.h"

namespace vantrel::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Polls until the workers given up on have ended.
bool AbandonedEnd(const platform::ThreadedOffThread& off_thread) {
  const auto until = Clock::now() + 5s;
  while (off_thread.abandoned() != 0 && Clock::now() < until) std::this_thread::sleep_for(1ms);
  return off_thread.abandoned() == 0;
}

class OffThreadTest : public ::testing::Test {
 protected:
  TestGuiWait gui;
  platform::ThreadedOffThread off_thread{gui, gui.state, std::make_shared<platform::StuckPlaces>()};
  Gate gate;
};

TEST_F(OffThreadTest, RunWaitsForTheWorkHandlingEventsAndShowsBusyOnlyWhenLong) {
  std::thread::id worker;
  EXPECT_TRUE(off_thread.Run([&] { worker = std::this_thread::get_id(); }));
  EXPECT_NE(worker, std::this_thread::get_id());
  EXPECT_TRUE(gui.busy_changes.empty()) << "a short call shows no busy cursor";

  // Rounds are counted from here: the first wait may have taken several on a slow machine.
  const int rounds_at_start = gui.rounds;
  std::atomic<bool> done = false;
  int rounds_before_done = -1;
  gui.on_events = [&] {
    // The worker is released only once events were handled.
    if (gui.rounds - rounds_at_start >= 3) gate.Open();
    if (!done) rounds_before_done = gui.rounds - rounds_at_start;
  };
  const auto start = Clock::now();
  EXPECT_TRUE(off_thread.Run([&] {
    gate.Pass();
    std::this_thread::sleep_for(300ms);  // past the busy cursor's delay
    done = true;
  }));
  EXPECT_TRUE(done);
  EXPECT_GE(rounds_before_done, 3);
  EXPECT_GE(Clock::now() - start, 300ms);
  EXPECT_EQ(gui.busy_changes, (std::vector<bool>{true, false}));
}

TEST_F(OffThreadTest, WorkThatKeepsAnsweringMayTakeLongerThanTheDeadline) {
  bool read_all = false;
  EXPECT_TRUE(off_thread.RunAnswering(
      [&read_all](const std::function<void()>& answered) {
        for (int batch = 0; batch < 10; ++batch) {  // a slow listing that keeps delivering
          answered();
          std::this_thread::sleep_for(20ms);
        }
        read_all = true;
      },
      100ms, "/mnt/slow"));
  EXPECT_TRUE(read_all);
  EXPECT_EQ(off_thread.abandoned(), 0U);
}

TEST_F(OffThreadTest, WorkThatAnswersAndThenStopsIsGivenUpADeadlineAfterItsLastAnswer) {
  auto late = std::make_shared<std::atomic<bool>>(false);
  const auto start = Clock::now();
  EXPECT_FALSE(off_thread.RunAnswering(
      [this, late](const std::function<void()>& answered) {
        for (int batch = 0; batch < 3; ++batch) {
          answered();
          std::this_thread::sleep_for(60ms);
        }
        answered();  // then the mount stops answering
        gate.Pass();
        *late = true;
      },
      100ms, "/mnt/stops"));
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, 270ms);
  EXPECT_LT(waited, 1s);
  EXPECT_TRUE(off_thread.Stuck("/mnt/stops"));
  gate.Open();
  EXPECT_TRUE(AbandonedEnd(off_thread));
  EXPECT_FALSE(off_thread.Stuck("/mnt/stops"));
}

TEST_F(OffThreadTest, WorkThatNeverAnswersIsGivenUpAndItsPlaceFailsAtOnceUntilItAnswers) {
  auto late = std::make_shared<std::atomic<bool>>(false);
  const auto start = Clock::now();
  EXPECT_FALSE(off_thread.RunAnswering(
      [this, late](const std::function<void()>&) {
        gate.Pass();
        *late = true;
      },
      100ms, "/mnt/hung"));
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, 100ms);
  EXPECT_LT(waited, 1s);
  EXPECT_FALSE(*late);
  EXPECT_EQ(off_thread.abandoned(), 1U);

  // The same file system again: refused without starting another worker that would hang too.
  bool started = false;
  const auto again = Clock::now();
  EXPECT_FALSE(
      off_thread.RunAnswering([&started](const auto&) { started = true; }, 1s, "/mnt/hung"));
  EXPECT_LT(Clock::now() - again, 50ms);
  EXPECT_FALSE(started);
  // Another file system is not held up by it.
  EXPECT_TRUE(off_thread.RunAnswering([](const auto& answered) { answered(); }, 1s, "/"));

  // Once the stuck call returns, the worker ends and the place may be tried again.
  gate.Open();
  EXPECT_TRUE(AbandonedEnd(off_thread));
  EXPECT_TRUE(*late);
  EXPECT_TRUE(off_thread.RunAnswering([](const auto& answered) { answered(); }, 1s, "/mnt/hung"));
}

TEST_F(OffThreadTest, APlaceWhoseMountTableCouldNotBeReadIsCountedLikeAnyOther) {
  EXPECT_FALSE(off_thread.RunAnswering([this](const auto&) { gate.Pass(); }, 50ms, ""));
  EXPECT_TRUE(off_thread.Stuck(""));
  bool started = false;
  EXPECT_FALSE(off_thread.RunAnswering([&started](const auto&) { started = true; }, 1s, ""));
  EXPECT_FALSE(started) << "a retry on an unknown place started another stuck worker";
  gate.Open();
  EXPECT_TRUE(AbandonedEnd(off_thread));
}

// Workers that end before their starter has let go of them, one after another while the
// processors are busy: every wait comes back, and every worker ran its own work. Threads detached
// once they ran had their start records wiped by the exit of the one before (on Windows, where
// this hung or crashed within a few hundred starts).
TEST_F(OffThreadTest, ManyShortWaitsInARowOnBusyProcessorsAllComeBack) {
  std::atomic<bool> stop = false;
  std::vector<std::thread> busy;
  for (int spinner = 0; spinner < 2; ++spinner) {
    busy.emplace_back([&stop] {
      while (!stop) {
      }
    });
  }
  int ran = 0;
  for (int wait = 0; wait < 1000; ++wait) {
    const int expected = ran;
    if (!off_thread.Run([&ran, expected] { ran = expected + 1; })) break;
  }
  stop = true;
  for (std::thread& spinner : busy) spinner.join();
  EXPECT_EQ(ran, 1000);
}

TEST_F(OffThreadTest, AWaitStartedDuringAnotherIsRefusedAndTheOuterEndsOnTime) {
  bool inner_ran = false;
  bool run_refused = false;
  bool read_refused = false;
  gui.on_events = [&] {
    if (gui.rounds != 1) return;  // something handled during the wait tries to wait too
    run_refused = !off_thread.Run([&inner_ran] { inner_ran = true; });
    read_refused =
        !off_thread.RunAnswering([&inner_ran](const auto&) { inner_ran = true; }, 1s, "/");
  };
  const auto start = Clock::now();
  EXPECT_TRUE(off_thread.Run([] { std::this_thread::sleep_for(100ms); }));
  EXPECT_LT(Clock::now() - start, 400ms);
  EXPECT_TRUE(run_refused);
  EXPECT_TRUE(read_refused);
  EXPECT_FALSE(inner_ran);
  EXPECT_FALSE(off_thread.Waiting());
}

// The file system a worker runs out of memory in.
class ThrowingFileSystem final : public RecordingFileSystem {
 public:
  ThrowingFileSystem() : RecordingFileSystem(platform::MakeNativeFileSystem()) {}
  using platform::FileSystem::CopyFile;
  std::error_code CopyFile(const std::string&, const std::string&,
                           platform::FileVersion*) override {
    throw std::bad_alloc();
  }
  std::optional<std::uint64_t> FileLength(const std::string&) override {
    throw std::length_error("a snapshot too large");
  }
};

TEST_F(OffThreadTest, AWorkersExceptionComesBackToItsCallerAndTheProgramLivesOn) {
  EXPECT_THROW((void)off_thread.Run([] { throw std::bad_alloc(); }), std::bad_alloc);
  EXPECT_FALSE(off_thread.RunAnswering(
      [](const auto& answered) {
        answered();
        throw std::length_error("too many entries");
      },
      1s, "/"));
  // Through the file system the handlers use, it is a failure like any other.
  auto throwing = std::make_shared<ThrowingFileSystem>();
  platform::OffThreadFileSystem files(throwing, off_thread);
  EXPECT_TRUE(files.CopyFile("/from", "/to"));
  EXPECT_EQ(files.FileLength("/from"), std::nullopt);
  bool ran = false;
  EXPECT_TRUE(off_thread.Run([&ran] { ran = true; }));
  EXPECT_TRUE(ran);
}

TEST_F(OffThreadTest, ACloseRequestDuringAWaitEndsTheProcessWithoutWaitingForTheWorker) {
  EXPECT_EXIT(
      {
        gui.on_events = [this] { gui.state.end_requested = true; };
        (void)off_thread.Run([this] { gate.Pass(); });  // never released
        std::_Exit(0);                                  // not reached
      },
      ::testing::ExitedWithCode(TestGuiWait::kEndedCode), "");
}

// A copy that takes long: the handler waits with events handled, and goes on once it is done.
TEST_F(OffThreadTest, AHandlerWaitsForItsCopyWhileEventsAreHandled) {
  namespace fs = std::filesystem;
  Harness h;
  fs::create_directories(h.temp.path() / "from");
  fs::create_directories(h.temp.path() / "to");
  std::ofstream(h.temp.path() / "from" / "a.txt") << "data";
  h.Start((h.temp.path() / "from").string());
  h.Dir2().SetPath((h.temp.path() / "to").string());
  h.File1().Select("a.txt");

  auto blocking = std::make_shared<GatedFileSystem>(gate);
  platform::OffThreadFileSystem files(blocking, off_thread);
  testing::FormWithFiles with_files(h, files);
  form::Form2& f = with_files.form();

  h.dialogs.answers.push_back(platform::Answer::Yes);
  const int refreshes_before = h.File2().refresh_count;
  std::vector<int> refreshes_during_wait;
  // The copy is let go after two rounds of its own wait; the waits for the checks before it
  // may have taken rounds too.
  int rounds_at_the_gate = 0;
  gui.on_events = [&] {
    refreshes_during_wait.push_back(h.File2().refresh_count);
    if (gate.arrived() > 0 && ++rounds_at_the_gate >= 2) gate.Open();
  };
  fileops::Command8_Click(f);
  // The handler went on only after the copy: File2 was refreshed once, after the rounds.
  ASSERT_GE(refreshes_during_wait.size(), 2U);
  for (int count : refreshes_during_wait) EXPECT_EQ(count, refreshes_before);
  EXPECT_EQ(h.File2().refresh_count, refreshes_before + 1);
  EXPECT_TRUE(h.File2().Lists("a.txt"));
  EXPECT_EQ(blocking->copies.size(), 1U);
}

}  // namespace
}  // namespace vantrel::testing
