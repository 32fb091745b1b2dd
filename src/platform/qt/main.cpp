// The program: real services, the main window, and the event loop.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/application.h"
#include "app/services.h"
#include "platform/native.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_window_system.h"
#include "version.h"

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Without a display Qt prints a stack of plugin errors and aborts; say what is missing instead.
bool HaveDisplay() {
  return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
  if (!HaveDisplay()) {
    std::fputs(
        "vantrel: no display found (DISPLAY and WAYLAND_DISPLAY are not set); start it in a "
        "desktop session, or under a virtual display: xvfb-run scripts/run.sh\n",
        stderr);
    return 1;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vantrel"));
  QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                          .arg(vantrel::kVersionMajor)
                                          .arg(vantrel::kVersionMinor)
                                          .arg(vantrel::kVersionRevision));

  using namespace vantrel;
  auto files = platform::MakeNativeFileSystem();
  auto programs = platform::MakeNativeProgramStarter();
  auto registry = platform::MakeNativeRegistry();
  auto program_info = platform::MakeNativeProgramInfo();
  platform::qt::QtDialogs dialogs;
  platform::qt::QtClipboard clipboard;
  platform::qt::QtWindowSystem windows(platform::qt::QtWindowSystem::SystemOptions());
  app::Services services{.windows = windows,
                         .files = *files,
                         .dialogs = dialogs,
                         .programs = *programs,
                         .clipboard = clipboard,
                         .registry = *registry,
                         .program = *program_info,
                         .paths = platform::kNativePaths};
  app::Application vantrel_app(services);
  vantrel_app.Start();
  return QApplication::exec();
}
