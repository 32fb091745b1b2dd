// The real program on an X server, ended by the Exit button or by the Exit item of its File menu:
// the process ends at once with status 0, with no question asked and no other window keeping it
// alive. The clicks are sent to the program's own windows as X events, as a user's would arrive.
// Started with Qt's command-line options, the program takes none of them; Qt's environment
// variables still work.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "temp_folder.h"

// Last: Xlib defines macros (None, Bool, Status) that other headers use as names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

extern char** environ;

namespace vantrel::testing {
namespace {

using std::chrono::milliseconds;

constexpr int kClientHeight = 453;  // the main window's client area, 6795 twips
// The Exit button, in the client area: 3360, 3000 twips, 1215 by 375.
constexpr int kExitX = 224 + 81 / 2;
constexpr int kExitY = 200 + 25 / 2;
// A spot of the client area that belongs to no control: right of the buttons, above the
// destination frame.
constexpr int kEmptyX = 400;
constexpr int kEmptyY = 3;

bool WaitFor(const std::function<bool()>& condition, milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(milliseconds(10));
  }
  return true;
}

// The program started from the test's temporary folder with the given arguments and extra
// environment variables, with its output kept in a file there.
class RunningProgram {
 public:
  RunningProgram(const testing::TempFolder& temp, std::vector<std::string> arguments,
                 const std::vector<std::string>& environment) {
    const std::string runtime = temp.Folder("runtime");
    ::chmod(runtime.c_str(), 0700);
    std::vector<std::string> settings{"QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + runtime};
    settings.insert(settings.end(), environment.begin(), environment.end());
    for (char** variable = environ; *variable != nullptr; ++variable) {
      const std::string text = *variable;
      if (!text.starts_with("QT_QPA_PLATFORM=") && !text.starts_with("XDG_RUNTIME_DIR=")) {
        settings.push_back(text);
      }
    }
    std::vector<char*> envp;
    for (std::string& text : settings) envp.push_back(text.data());
    envp.push_back(nullptr);
    arguments.insert(arguments.begin(), VANTREL_PROGRAM);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const std::string folder = temp.str();
    const std::string log = folder + "/vantrel.log";
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out, STDOUT_FILENO);
      ::dup2(out, STDERR_FILENO);
      if (::chdir(folder.c_str()) == 0) ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
    ::close(out);
  }
  ~RunningProgram() {
    if (pid_ <= 0 || status_) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  pid_t pid() const { return pid_; }
  // True once the process has ended; its wait status is then kept.
  bool Ended() {
    if (status_) return true;
    int status = 0;
    if (pid_ <= 0 || ::waitpid(pid_, &status, WNOHANG) != pid_) return false;
    status_ = status;
    return true;
  }
  std::optional<int> status() const { return status_; }

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

class ExitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    display_ = ::XOpenDisplay(nullptr);
    if (display_ == nullptr) GTEST_SKIP() << "no X display (run under xvfb-run)";
    program_.emplace(temp_, arguments_, environment_);
    ASSERT_GT(program_->pid(), 0);
    ASSERT_TRUE(WaitFor([&] { return !Windows(false).empty() || program_->Ended(); },
                        std::chrono::seconds(20)))
        << "the main window did not appear";
    ASSERT_FALSE(program_->Ended()) << testing::ReadAll(temp_.str() + "/vantrel.log");
    const std::vector<Window> windows = Windows(false);
    ASSERT_EQ(windows.size(), 1u);
    main_ = windows[0];
    XWindowAttributes attributes{};
    ASSERT_TRUE(::XGetWindowAttributes(display_, main_, &attributes));
    // Without a window manager the window is the client area with the menu bar above it.
    menu_bar_ = attributes.height - kClientHeight;
    ASSERT_GT(menu_bar_, 0);
  }
  void TearDown() override {
    program_.reset();
    if (display_ != nullptr) ::XCloseDisplay(display_);
  }

  // The program's mapped top-level windows: menus and other pop-ups are override-redirect.
  std::vector<Window> Windows(bool popups) {
    std::vector<Window> found;
    const Atom pid_atom = ::XInternAtom(display_, "_NET_WM_PID", False);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    ::XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count);
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes attributes{};
      if (!::XGetWindowAttributes(display_, children[i], &attributes) ||
          attributes.map_state != IsViewable ||
          static_cast<bool>(attributes.override_redirect) != popups) {
        continue;
      }
      Atom type = 0;
      int format = 0;
      unsigned long items = 0, left = 0;
      unsigned char* data = nullptr;
      if (::XGetWindowProperty(display_, children[i], pid_atom, 0, 1, False, XA_CARDINAL, &type,
                               &format, &items, &left, &data) == Success &&
          data != nullptr && items == 1 &&
          *reinterpret_cast<const long*>(data) == program_->pid()) {
        found.push_back(children[i]);
      }
      if (data != nullptr) ::XFree(data);
    }
    if (children != nullptr) ::XFree(children);
    return found;
  }

  // A left button press or release at a point of the window, delivered to the program.
  void Button(Window window, int x, int y, bool press) {
    XEvent event{};
    event.xbutton.type = press ? ButtonPress : ButtonRelease;
    event.xbutton.display = display_;
    event.xbutton.window = window;
    event.xbutton.root = DefaultRootWindow(display_);
    event.xbutton.time = CurrentTime;
    event.xbutton.x = x;
    event.xbutton.y = y;
    Window child = 0;
    ::XTranslateCoordinates(display_, window, event.xbutton.root, x, y, &event.xbutton.x_root,
                            &event.xbutton.y_root, &child);
    event.xbutton.state = press ? 0 : Button1Mask;
    event.xbutton.button = Button1;
    event.xbutton.same_screen = True;
    ::XSendEvent(display_, window, False, NoEventMask, &event);
    ::XFlush(display_);
  }
  void Click(Window window, int x, int y) {
    Button(window, x, y, true);
    Button(window, x, y, false);
  }

  // A click on a place of no control leaves the program running: what ends it is the Exit.
  void ExpectRunningAfterAnEmptyClick() {
    Click(main_, kEmptyX, menu_bar_ + kEmptyY);
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_FALSE(program_->Ended());
    EXPECT_EQ(Windows(false).size(), 1u);
  }

  // The program ended by itself within two seconds (a busy machine's "at once"), with status 0.
  void ExpectEndedAtOnce() {
    EXPECT_TRUE(WaitFor([&] { return program_->Ended(); }, std::chrono::seconds(2)))
        << "still running two seconds after the Exit";
    ASSERT_TRUE(program_->status().has_value());
    EXPECT_TRUE(WIFEXITED(*program_->status()));
    EXPECT_EQ(WEXITSTATUS(*program_->status()), 0);
  }

  // Drops the File menu down from its title, the menu bar's first, and picks its only item, Exit.
  void ExitThroughTheFileMenu() {
    Button(main_, 12, menu_bar_ / 2, true);
    std::vector<Window> menus;
    ASSERT_TRUE(WaitFor([&] { return !(menus = Windows(true)).empty(); }, std::chrono::seconds(5)))
        << "the File menu did not drop down";
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_FALSE(program_->Ended());
    ASSERT_EQ(menus.size(), 1u);
    XWindowAttributes menu{};
    ASSERT_TRUE(::XGetWindowAttributes(display_, menus[0], &menu));
    Click(menus[0], menu.width / 2, menu.height / 2);
    ExpectEndedAtOnce();
  }

  std::vector<std::string> arguments_;    // after the program's name
  std::vector<std::string> environment_;  // NAME=value, besides the test's own
  testing::TempFolder temp_;
  Display* display_ = nullptr;
  std::optional<RunningProgram> program_;
  Window main_ = 0;
  int menu_bar_ = 0;
};

TEST_F(ExitTest, TheExitButtonEndsTheProgramAtOnce) {
  ExpectRunningAfterAnEmptyClick();
  Click(main_, kExitX, menu_bar_ + kExitY);
  ExpectEndedAtOnce();
}

TEST_F(ExitTest, ExitOnTheFileMenuEndsTheProgramAtOnce) {
  ExpectRunningAfterAnEmptyClick();
  ExitThroughTheFileMenu();
}

// Qt's own options, each of which would change the window were Qt given it: another platform
// (the window would not reach this X server), a mirrored layout (the File menu's title would
// stand at the menu bar's right end), another size, another style.
class CommandLineTest : public ExitTest,
                        public ::testing::WithParamInterface<std::vector<std::string>> {
 protected:
  CommandLineTest() { arguments_ = GetParam(); }
};

TEST_P(CommandLineTest, QtsOptionsAreIgnored) {
  XWindowAttributes attributes{};
  ASSERT_TRUE(::XGetWindowAttributes(display_, main_, &attributes));
  EXPECT_EQ(attributes.width, 522);
  ExitThroughTheFileMenu();
}

INSTANTIATE_TEST_SUITE_P(Options, CommandLineTest,
                         ::testing::Values(std::vector<std::string>{"-platform", "offscreen"},
                                           std::vector<std::string>{"-reverse"},
                                           std::vector<std::string>{
                                               "-qwindowgeometry", "200x100+300+200", "-style",
                                               "windows", "an-unknown-argument"}));

class ScaleFactorTest : public ExitTest {
 protected:
  ScaleFactorTest() { environment_ = {"QT_SCALE_FACTOR=2"}; }
};

TEST_F(ScaleFactorTest, QtsScaleFactorVariableStillWorks) {
  XWindowAttributes attributes{};
  ASSERT_TRUE(::XGetWindowAttributes(display_, main_, &attributes));
  EXPECT_EQ(attributes.width, 2 * 522);
  EXPECT_EQ(attributes.height % 2, 0);
}

}  // namespace
}  // namespace vantrel::testing
