#include "platform/qt/window_system.h"

#include <QCoreApplication>
#include <QDrag>
#include <cstdlib>
#include <utility>

#include "platform/qt/fonts.h"
#include "platform/qt/picture.h"
#include "platform/qt/window.h"

namespace vantrel::platform::qt {

QtWindowSystem::Options QtWindowSystem::SystemOptions() {
  return {.list_drives = [](OffThread& off_thread) { return ListDrives(off_thread); },
          .working_folder = WorkingFolder(),
          .quit = [] { QCoreApplication::exit(0); },
          .end_now = [] { std::_Exit(0); },
          .run_drag = [](QDrag& drag) { drag.exec(Qt::CopyAction); }};
}

QtWindowSystem::QtWindowSystem(Options options)
    : quit_(std::move(options.quit)),
      gui_wait_(context_, std::move(options.end_now)),
      off_thread_(gui_wait_, wait_, ProcessStuckPlaces()),
      context_{.drives = lists::DriveMemory({}, options.working_folder, kNativePaths),
               .list_drives = std::move(options.list_drives),
               .off_thread = off_thread_,
               .working_folder = options.working_folder,
               .snapshots = FolderSnapshots(off_thread_),
               .run_drag = std::move(options.run_drag),
               .wait = wait_} {
  if (context_.list_drives) {
    context_.drives =
        lists::DriveMemory(context_.list_drives(off_thread_), options.working_folder, kNativePaths);
  }
  InstallFontSubstitutes();
}

QtWindowSystem::~QtWindowSystem() = default;

std::unique_ptr<Window> QtWindowSystem::CreateWindow(const WindowDescription& description,
                                                     EventSink& events) {
  return std::make_unique<QtWindow>(description, events, context_);
}

PicturePtr QtWindowSystem::LoadPicture(const std::string& path) {
  return LoadPictureFile(path, off_thread_);
}

void QtWindowSystem::EndProgram() {
  wait_.ended = true;
  for (QtWindow* window : context_.windows) window->Hide();
  quit_();
}

}  // namespace vantrel::platform::qt
