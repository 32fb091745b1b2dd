// The program: real services, the main window, and the event loop.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/application.h"
#include "platform/os_services.h"
#include "platform/qt/system_services.h"
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

int main(int, char** argv) {
  if (!HaveDisplay()) {
    std::fputs(
        "vantrel: no display found (DISPLAY and WAYLAND_DISPLAY are not set); start it in a "
        "desktop session, or under a virtual display: xvfb-run scripts/run.sh\n",
        stderr);
    return 1;
  }
  vantrel::platform::PrepareProcess();
  // Vantrel takes no command line, and Qt gets none of it: options such as -reverse, -style or
  // -platform would change the window. Qt's environment variables (QT_QPA_PLATFORM,
  // QT_SCALE_FACTOR) still work, as in any Qt program.
  char program_name[] = "vantrel";
  char* qt_argv[] = {argv[0] != nullptr ? argv[0] : program_name, nullptr};
  int qt_argc = 1;
  QApplication application(qt_argc, qt_argv);
  QApplication::setApplicationName(QStringLiteral("Vantrel"));
  QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                          .arg(vantrel::kVersionMajor)
                                          .arg(vantrel::kVersionMinor)
                                          .arg(vantrel::kVersionRevision));

  vantrel::platform::qt::SystemServices system;
  vantrel::app::Application vantrel_app(system.services());
  vantrel_app.Start();
  const int code = QApplication::exec();
  // Every copy has been waited for by now; should one still be writing, its temporary file goes.
  vantrel::platform::RemoveCopiesInProgress();
  return code;
}
