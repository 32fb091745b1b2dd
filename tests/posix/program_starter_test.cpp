// ProgramStarter on POSIX: the contract every starter keeps (tests/contract), and what is POSIX's
// own: the exact file starts, on its own, and leaves no zombie.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "contract_place.h"
#include "platform/os_services.h"
#include "platform/posix/make_program_starter.h"
#include "program_starter_contract.h"
#include "sandbox.h"

namespace vantrel::testing {

namespace posix = platform::posix;
using platform::Accessory;
using platform::MakeNativeProgramStarter;
using platform::PrepareProcess;
using platform::ProgramStarter;
using platform::WindowStyle;

namespace {

// A script that writes its argument count to the marker file, then the marker's final name.
std::string MarkerScript(const std::string& marker) {
  return "#!/bin/sh\necho \"$#\" > '" + marker + ".part' && mv '" + marker + ".part' '" + marker +
         "'\n";
}

// Children of this process that are zombies, from /proc.
int ZombieChildren() {
  int zombies = 0;
  DIR* proc = ::opendir("/proc");
  while (const dirent* entry = proc ? ::readdir(proc) : nullptr) {
    const std::string stat = ReadFile(std::string("/proc/") + entry->d_name + "/stat");
    const auto close = stat.rfind(')');
    if (close == std::string::npos) continue;
    char state = 0;
    int parent = 0;
    if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &parent) != 2) continue;
    if (parent == ::getpid() && state == 'Z') ++zombies;
  }
  if (proc) ::closedir(proc);
  return zombies;
}

bool HasNoChildren() {
  errno = 0;
  return ::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

class ProgramStarterTest : public ::testing::Test {
 protected:
  Sandbox box;
  std::unique_ptr<ProgramStarter> starter = MakeNativeProgramStarter();
};

// No shell: spaces, quotes, semicolons, dollars and a leading dash are part of the name.
TEST_F(ProgramStarterTest, StartsTheExactFileWithNoArgumentsAndLeavesNoChild) {
  const std::string folder = box.Folder("my programs $HOME");
  const char* names[] = {"run me;now.sh", "-dash 'quoted' \"double\" $(touch pwned).sh"};
  for (const std::string name : names) {
    const std::string marker = box / ("marker-" + std::to_string(name.size()));
    const std::string script = folder + "/" + name;
    std::ofstream(script) << MarkerScript(marker);
    ::chmod(script.c_str(), 0755);
    ASSERT_TRUE(starter->Start(script, WindowStyle::Normal)) << name;
    ASSERT_TRUE(WaitUntil([&] { return Exists(marker); })) << name;
    EXPECT_EQ(ReadFile(marker), "0\n");
  }
  EXPECT_FALSE(Exists(folder + "/pwned"));
  EXPECT_FALSE(Exists("pwned"));
  EXPECT_TRUE(HasNoChildren());
  EXPECT_EQ(ZombieChildren(), 0);
}

// The window style means nothing to an X11 or Wayland program and is not passed on: a program
// started minimized finds the same arguments, working folder, environment, session and signal
// state as one started normally, as the script that writes them down shows.
TEST_F(ProgramStarterTest, AMinimizedProgramStartsJustAsANormalOne) {
  const std::string report = box / "report";
  const std::string what_it_finds =
      "  echo \"arguments $# [$0] [$*]\"\n"
      "  echo \"folder $(pwd -P)\"\n"
      "  echo \"umask $(umask)\"\n"
      "  read -r pid name state parent group session rest < /proc/$$/stat\n"
      "  [ \"$session\" = \"$$\" ] && echo 'session own' || echo 'session other'\n"
      // Read with the shell's own builtin: while the shell vforks a reader such as grep it
      // blocks every signal, and the reader could catch that mask rather than the real one.
      "  while read -r key value; do\n"
      "    case $key in SigBlk:|SigIgn:) echo \"$key $value\" ;; esac\n"
      "  done < /proc/$$/status\n"
      "  env | LC_ALL=C sort\n";
  const std::string script = box.Write("report-start",
                                       "#!/bin/sh\n{\n" + what_it_finds + "} > '" + report +
                                           ".part' && mv '" + report + ".part' '" + report + "'\n",
                                       0755);
  const auto run = [&](WindowStyle style) {
    ::unlink(report.c_str());
    if (!starter->Start(script, style)) return std::string("not started");
    if (!WaitUntil([&] { return Exists(report); })) return std::string("no report");
    return ReadFile(report);
  };
  const std::string normal = run(WindowStyle::Normal);
  const std::string minimized = run(WindowStyle::Minimized);
  EXPECT_EQ(minimized, normal);

  char here[4096] = {};
  ASSERT_NE(::getcwd(here, sizeof here), nullptr);
  EXPECT_EQ(normal.rfind("arguments 0 [" + script + "] []\nfolder " + std::string(here) + "\n", 0),
            0u)
      << normal;
  EXPECT_NE(normal.find("\nsession own\n"), std::string::npos) << normal;
  EXPECT_NE(normal.find("\nSigBlk: 0000000000000000\n"), std::string::npos) << normal;
  EXPECT_TRUE(HasNoChildren());
}

// What is no program at all is the contract's (ProgramStarterContract). A script without an
// execute bit is not started either.
TEST_F(ProgramStarterTest, WhatIsNotMarkedExecutableOrCannotRunIsNotStarted) {
  EXPECT_FALSE(starter->Start(box.Write("text.sh", "#!/bin/sh\n", 0644), WindowStyle::Normal));
  // Marked executable but no program: the failed exec is reported, not lost in a child.
  EXPECT_FALSE(starter->Start(box.Write("garbage",
                                        "\x7f"
                                        "ELF garbage",
                                        0755),
                              WindowStyle::Normal));
  EXPECT_TRUE(HasNoChildren());
}

// This program ignores SIGXFSZ (PrepareProcess), and an ignored signal stays ignored across exec:
// a started program must find it at its default again. It reports its ignored signals, a mask in
// hexadecimal, from /proc.
TEST_F(ProgramStarterTest, AStartedProgramFindsTheFileSizeSignalAtItsDefault) {
  const std::string marker = box / "marker";
  const std::string script = box.Write("report-ignored",
                                       "#!/bin/sh\ngrep '^SigIgn:' /proc/$$/status > '" + marker +
                                           ".part' && mv '" + marker + ".part' '" + marker + "'\n",
                                       0755);
  const auto started = RunInChild([&] {
    PrepareProcess();
    struct sigaction now {};
    if (::sigaction(SIGXFSZ, nullptr, &now) != 0 || now.sa_handler != SIG_IGN) return 2;
    return starter->Start(script, WindowStyle::Normal) ? 0 : 1;
  });
  ASSERT_EQ(started, 0);
  ASSERT_TRUE(WaitUntil([&] { return Exists(marker); }));
  const std::string report = ReadFile(marker);
  ASSERT_EQ(report.rfind("SigIgn:", 0), 0u) << report;
  const unsigned long long ignored = std::stoull(report.substr(7), nullptr, 16);
  EXPECT_EQ(ignored & (1ULL << (SIGXFSZ - 1)), 0u) << report;
}

class FindAccessoryTest : public ::testing::Test {
 protected:
  Sandbox box;
  std::string first = box.Folder("first");
  std::string second = box.Folder("second");
  std::unique_ptr<ProgramStarter> starter =
      posix::MakeProgramStarter("relative:" + first + "::" + second + "/");
};

// The list's order decides, not the folder order; files without an execute bit do not count.
TEST_F(FindAccessoryTest, GivesTheFirstOfTheListFoundOnThePath) {
  box.Write("second/kcalc", "", 0755);
  box.Write("first/xcalc", "", 0755);
  box.Write("first/gnome-calculator", "", 0644);
  EXPECT_EQ(starter->FindAccessory(Accessory::Calculator), second + "/kcalc");
  box.Write("first/mousepad", "", 0755);
  EXPECT_EQ(starter->FindAccessory(Accessory::Notepad), first + "/mousepad");
  box.Write("second/gimp", "", 0755);
  EXPECT_EQ(starter->FindAccessory(Accessory::Paint), second + "/gimp");
  box.Write("first/vlc", "", 0755);
  EXPECT_EQ(starter->FindAccessory(Accessory::CdPlayer), first + "/vlc");
}

TEST_F(FindAccessoryTest, GivesNothingWhereNoneIsInstalled) {
  box.Folder("first/kcalc");
  EXPECT_EQ(starter->FindAccessory(Accessory::Calculator), "");
  EXPECT_EQ(posix::MakeProgramStarter("")->FindAccessory(Accessory::Notepad), "");
}

}  // namespace
}  // namespace vantrel::testing

namespace vantrel::testing {
VANTREL_PROGRAM_STARTER_CONTRACT(Posix,
                                 ::testing::Values(ProgramStarterMaker{
                                     "native", MakePlace, platform::MakeNativeProgramStarter}));
}  // namespace vantrel::testing
