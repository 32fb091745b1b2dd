#include "fake_window.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "lists/listing.h"
#include "platform/folder_reader.h"

namespace vantrel::testing {

using platform::ControlKind;
using platform::Event;

void FakeDriveList::Pick(const std::string& drive) {
  drive_ = drive;
  sink_.Raise(name_, Event::Change, {});
}

void FakeFolderList::SetPath(const std::string& path) {
  set_path_calls.push_back(path);
  const auto drive = system_.drive_folders.find(path);
  const std::string target = lists::NormalizeFolder(
      drive != system_.drive_folders.end() ? drive->second : path, system_.style);
  // A folder that cannot be opened leaves the list where it was, with no Change.
  if (!platform::ReadFolder(target, false)) return;
  if (target == path_) return;
  path_ = target;
  sink_.Raise(name_, Event::Change, {});
}

FakeFileList::FakeFileList(const platform::ControlDescription& description,
                           platform::EventSink& sink)
    : name_(description.name),
      pattern_(description.pattern),
      lists_programs_(description.lists_programs),
      sink_(sink) {}

void FakeFileList::SetPath(const std::string& path) {
  path_ = path;
  Relist();
}

void FakeFileList::Refresh() {
  ++refresh_count;
  Relist();
}

void FakeFileList::Relist() {
  const auto entries = platform::ReadFolder(path_, lists_programs_);
  names_ = entries ? lists::FileListNames(*entries, pattern_, lists_programs_)
                   : std::vector<std::string>{};
  if (!Lists(selected_)) selected_.clear();
}

bool FakeFileList::Lists(const std::string& name) const {
  return std::find(names_.begin(), names_.end(), name) != names_.end();
}

void FakeFileList::ClickItem(const std::string& name) {
  selected_ = name;
  sink_.Raise(name_, Event::Click, {});
}

FakeWindow::FakeWindow(const platform::WindowDescription& description, platform::EventSink& sink,
                       FakeWindowSystem& system)
    : description_(description), sink_(sink), system_(system), caption_(description.caption) {
  for (const auto& c : description.controls) {
    const std::string name(c.name);
    switch (c.kind) {
      case ControlKind::DriveList:
        drives_[name] = std::make_unique<FakeDriveList>(name, sink);
        break;
      case ControlKind::FolderList:
        folders_[name] = std::make_unique<FakeFolderList>(name, sink, system);
        break;
      case ControlKind::FileList:
        files_[name] = std::make_unique<FakeFileList>(c, sink);
        break;
      case ControlKind::Label:
        labels_[name] = std::make_unique<FakeLabel>();
        break;
      default:
        break;
    }
  }
}

void FakeWindow::Show() {
  if (loaded_) {
    ++front_count;
    return;
  }
  Load();
  sink_.Raise(platform::kFormControl, Event::Load, {});
}

// Design-time state: captions from the description, every list at the start folder.
void FakeWindow::Load() {
  loaded_ = true;
  ++load_count;
  caption_ = std::string(description_.caption);
  for (const auto& c : description_.controls) {
    if (c.kind == ControlKind::Label) Text(c.name).SetCaption(std::string(c.caption));
  }
  for (auto& [name, list] : folders_) list->Force(system_.start_folder);
  for (auto& [name, list] : files_) list->SetPath(system_.start_folder);
  for (auto& [name, list] : drives_) {
    for (const auto& [drive, folder] : system_.drive_folders) {
      if (folder == system_.start_folder) list->Force(drive);
    }
  }
}

template <class Map>
auto& Lookup(Map& map, std::string_view name) {
  const auto it = map.find(name);
  if (it == map.end()) throw std::logic_error("no such control: " + std::string(name));
  return *it->second;
}

FakeDriveList& FakeWindow::Drive(std::string_view name) {
  return Lookup(drives_, name);
}
FakeFolderList& FakeWindow::Folder(std::string_view name) {
  return Lookup(folders_, name);
}
FakeFileList& FakeWindow::Files(std::string_view name) {
  return Lookup(files_, name);
}
FakeLabel& FakeWindow::Text(std::string_view name) {
  return Lookup(labels_, name);
}

void FakeWindow::Raise(std::string_view control, Event event, platform::EventArgs args) {
  sink_.Raise(control, event, args);
}

std::unique_ptr<platform::Window> FakeWindowSystem::CreateWindow(
    const platform::WindowDescription& description, platform::EventSink& events) {
  auto window = std::make_unique<FakeWindow>(description, events, *this);
  windows_.emplace_back(std::string(description.name), window.get());
  return window;
}

platform::PicturePtr FakeWindowSystem::LoadPicture(const std::string& path) {
  pictures_asked.push_back(path);
  std::ifstream in(path, std::ios::binary);
  char header[4] = {};
  if (!in.read(header, sizeof header)) return nullptr;
  if (header[0] != 0 || header[1] != 0 || header[2] != 1 || header[3] != 0) return nullptr;
  auto picture = std::make_shared<FakePicture>();
  picture->path = path;
  return picture;
}

void FakeWindowSystem::EndProgram() {
  ended = true;
  for (auto& [name, window] : windows_) window->Unload();
}

FakeWindow* FakeWindowSystem::Find(std::string_view name) const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if (it->first == name) return it->second;
  }
  return nullptr;
}

int FakeWindowSystem::CreatedCount(std::string_view name) const {
  return static_cast<int>(std::count_if(windows_.begin(), windows_.end(),
                                        [&](const auto& w) { return w.first == name; }));
}

}  // namespace vantrel::testing
