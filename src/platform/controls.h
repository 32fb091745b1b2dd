// The list, label and window operations that the program's handlers use. Each front end (and the
// in-memory doubles used by the tests) implements them on its own widgets.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace vantrel::platform {

// A picture loaded from a file (the drag icon); opaque to the core.
class Picture {
 public:
  virtual ~Picture() = default;
};
using PicturePtr = std::shared_ptr<const Picture>;

class DriveList {
 public:
  virtual ~DriveList() = default;
  // The picked drive's text, usable as a folder list path.
  virtual std::string Drive() const = 0;
};

class FolderList {
 public:
  virtual ~FolderList() = default;
  // The open folder: a full path with a trailing separator only at a drive root.
  virtual std::string Path() const = 0;
  // Opens a folder (or, given a drive text, that drive's current folder) and raises Change when
  // the open folder moved. A folder that cannot be opened leaves the list where it was.
  virtual void SetPath(const std::string& path) = 0;
  virtual void Refresh() = 0;
};

enum class DragAction { Begin = 1, End = 2 };

class FileList {
 public:
  virtual ~FileList() = default;
  virtual std::string Path() const = 0;
  // Lists the regular files of the folder that match the list's pattern.
  virtual void SetPath(const std::string& path) = 0;
  // The selected entry's bare name, empty when nothing is selected.
  virtual std::string FileName() const = 0;
  virtual void Refresh() = 0;
  virtual void SetDragIcon(PicturePtr icon) = 0;
  virtual void Drag(DragAction action) = 0;
};

class Label {
 public:
  virtual ~Label() = default;
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& text) = 0;
};

// One window made from a window description. Controls are looked up by their names in the
// description; asking for a name that is not there, or of another kind, is a programming error.
class Window {
 public:
  virtual ~Window() = default;
  virtual DriveList& FindDriveList(std::string_view name) = 0;
  virtual FolderList& FindFolderList(std::string_view name) = 0;
  virtual FileList& FindFileList(std::string_view name) = 0;
  virtual Label& FindLabel(std::string_view name) = 0;

  virtual void SetCaption(const std::string& text) = 0;
  // Shows the window modeless. A window that is not loaded is loaded first, which raises its Load
  // event; showing a loaded window only brings it to the front.
  virtual void Show() = 0;
  // Closes the window; the next Show loads it again.
  virtual void Unload() = 0;
  virtual bool IsLoaded() const = 0;
  // Opens one of the window's menus as a pop-up at the mouse pointer.
  virtual void PopupMenu(std::string_view menu) = 0;
};

}  // namespace vantrel::platform
