// In-memory controls and windows built from the same window descriptions as the real front
// ends. Lists read real folders, so handlers can be driven on temporary folders.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/events.h"
#include "platform/paths.h"
#include "platform/window_description.h"
#include "platform/window_system.h"

namespace vantrel::testing {

class FakeWindowSystem;

struct FakePicture : platform::Picture {
  std::string path;
};

class FakeDriveList : public platform::DriveList {
 public:
  FakeDriveList(std::string name, platform::EventSink& sink)
      : name_(std::move(name)), sink_(sink) {}
  std::string Drive() const override { return drive_; }
  // The user picks a drive: the list shows it and raises Change.
  void Pick(const std::string& drive);
  void Force(const std::string& drive) { drive_ = drive; }

 private:
  std::string name_;
  platform::EventSink& sink_;
  std::string drive_;
};

class FakeFolderList : public platform::FolderList {
 public:
  FakeFolderList(std::string name, platform::EventSink& sink, const FakeWindowSystem& system)
      : name_(std::move(name)), sink_(sink), system_(system) {}
  std::string Path() const override { return path_; }
  void SetPath(const std::string& path) override;
  void Refresh() override { ++refresh_count; }
  // Sets the open folder as loading does: no Change.
  void Force(const std::string& path) { path_ = path; }

  int refresh_count = 0;
  std::vector<std::string> set_path_calls;

 private:
  std::string name_;
  platform::EventSink& sink_;
  const FakeWindowSystem& system_;
  std::string path_;
};

class FakeFileList : public platform::FileList {
 public:
  FakeFileList(const platform::ControlDescription& description, platform::EventSink& sink);
  std::string Path() const override { return path_; }
  void SetPath(const std::string& path) override;
  std::string FileName() const override { return selected_; }
  void Refresh() override;
  void SetDragIcon(platform::PicturePtr icon) override { drag_icon = std::move(icon); }
  void Drag(platform::DragAction action) override { drag_actions.push_back(action); }

  const std::vector<std::string>& Names() const { return names_; }
  bool Lists(const std::string& name) const;
  // Selects an entry (or clears the selection with an empty name) without raising anything.
  void Select(const std::string& name) { selected_ = name; }
  // The user clicks an entry: it is selected and Click is raised.
  void ClickItem(const std::string& name);
  void Force(const std::string& path) { path_ = path; }

  int refresh_count = 0;
  platform::PicturePtr drag_icon;
  std::vector<platform::DragAction> drag_actions;

 private:
  void Relist();

  std::string name_;
  std::string pattern_;
  bool lists_programs_;
  platform::EventSink& sink_;
  std::string path_;
  std::string selected_;
  std::vector<std::string> names_;
};

class FakeLabel : public platform::Label {
 public:
  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& text) override { caption_ = text; }

 private:
  std::string caption_;
};

class FakeWindow : public platform::Window {
 public:
  FakeWindow(const platform::WindowDescription& description, platform::EventSink& sink,
             FakeWindowSystem& system);

  platform::DriveList& FindDriveList(std::string_view name) override { return Drive(name); }
  platform::FolderList& FindFolderList(std::string_view name) override { return Folder(name); }
  platform::FileList& FindFileList(std::string_view name) override { return Files(name); }
  platform::Label& FindLabel(std::string_view name) override { return Text(name); }
  void SetCaption(const std::string& text) override { caption_ = text; }
  void Show() override;
  void Unload() override { loaded_ = false; }
  bool IsLoaded() const override { return loaded_; }
  void PopupMenu(std::string_view menu) override { popups.emplace_back(menu); }

  FakeDriveList& Drive(std::string_view name);
  FakeFolderList& Folder(std::string_view name);
  FakeFileList& Files(std::string_view name);
  FakeLabel& Text(std::string_view name);
  const std::string& Caption() const { return caption_; }
  // Raises an event as the user's action on a control would.
  void Raise(std::string_view control, platform::Event event, platform::EventArgs args = {});
  void Click(std::string_view control) { Raise(control, platform::Event::Click); }

  int load_count = 0;
  int front_count = 0;  // shows of an already loaded window
  std::vector<std::string> popups;

 private:
  void Load();

  const platform::WindowDescription& description_;
  platform::EventSink& sink_;
  FakeWindowSystem& system_;
  std::string caption_;
  bool loaded_ = false;
  std::map<std::string, std::unique_ptr<FakeDriveList>, std::less<>> drives_;
  std::map<std::string, std::unique_ptr<FakeFolderList>, std::less<>> folders_;
  std::map<std::string, std::unique_ptr<FakeFileList>, std::less<>> files_;
  std::map<std::string, std::unique_ptr<FakeLabel>, std::less<>> labels_;
};

class FakeWindowSystem : public platform::WindowSystem {
 public:
  explicit FakeWindowSystem(platform::PathStyle style = platform::kNativePaths) : style(style) {}

  std::unique_ptr<platform::Window> CreateWindow(const platform::WindowDescription& description,
                                                 platform::EventSink& events) override;
  // Loads only files that start like an icon, as a real picture loader would refuse others.
  platform::PicturePtr LoadPicture(const std::string& path) override;
  void EndProgram() override;

  // The last window made from the description of that name; null when none was made.
  FakeWindow* Find(std::string_view name) const;
  int CreatedCount(std::string_view name) const;

  platform::PathStyle style;
  std::string start_folder;                          // where the lists open at load
  std::map<std::string, std::string> drive_folders;  // drive text -> its current folder
  bool ended = false;
  std::vector<std::string> pictures_asked;

 private:
  std::vector<std::pair<std::string, FakeWindow*>> windows_;
};

}  // namespace vantrel::testing
