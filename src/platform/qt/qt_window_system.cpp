#include "platform/qt/qt_window_system.h"

#include <QCoreApplication>
#include <QDrag>
#include <utility>

#include "platform/qt/fonts.h"
#include "platform/qt/qt_picture.h"
#include "platform/qt/qt_window.h"

namespace vantrel::platform::qt {

QtWindowSystem::Options QtWindowSystem::SystemOptions() {
  return {.drives = ListDrives(),
          .list_drives = ListDrives,
          .working_folder = WorkingFolder(),
          .quit = [] { QCoreApplication::exit(0); },
          .run_drag = [](QDrag& drag) { drag.exec(Qt::CopyAction); }};
}

QtWindowSystem::QtWindowSystem(Options options)
    : context_{.drives =
                   DriveMemory(std::move(options.drives), options.working_folder, kNativePaths),
               .list_drives = std::move(options.list_drives),
               .working_folder = options.working_folder,
               .run_drag = std::move(options.run_drag)},
      quit_(std::move(options.quit)) {
  InstallFontSubstitutes();
}

QtWindowSystem::~QtWindowSystem() = default;

std::unique_ptr<Window> QtWindowSystem::CreateWindow(const WindowDescription& description,
                                                     EventSink& events) {
  return std::make_unique<QtWindow>(description, events, context_);
}

PicturePtr QtWindowSystem::LoadPicture(const std::string& path) {
  return LoadPictureFile(path);
}

void QtWindowSystem::EndProgram() {
  context_.ended = true;
  for (QtWindow* window : context_.windows) window->Hide();
  quit_();
}

}  // namespace vantrel::platform::qt
