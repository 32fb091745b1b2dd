// Prints the window tables of the main window and the About dialog as JSON, so a test outside the
// program (the AT-SPI walk) checks what the accessible tree shows against the same tables the
// front end builds its windows from.
#include <cstdio>
#include <string>
#include <string_view>

#include "about/frm_about.h"
#include "form/form2.h"
#include "platform/window_description.h"

namespace {

using vantrel::platform::ControlDescription;
using vantrel::platform::ControlKind;
using vantrel::platform::WindowDescription;

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + '"';
}

const char* KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Frame:
      return "frame";
    case ControlKind::DriveList:
      return "drive_list";
    case ControlKind::FolderList:
      return "folder_list";
    case ControlKind::FileList:
      return "file_list";
    case ControlKind::Label:
      return "label";
    case ControlKind::Button:
      return "button";
    case ControlKind::PictureBox:
      return "picture_box";
    case ControlKind::Line:
      return "line";
  }
  return "unknown";
}

std::string Control(const ControlDescription& c) {
  return "{\"name\": " + Quoted(c.name) + ", \"kind\": " + Quoted(KindName(c.kind)) +
         ", \"container\": " + Quoted(c.container) + ", \"caption\": " + Quoted(c.caption) +
         ", \"tooltip\": " + Quoted(c.tooltip) +
         ", \"accessible_name\": " + Quoted(c.accessible_name) +
         ", \"tab_index\": " + std::to_string(c.tab_index) +
         ", \"takes_focus\": " + (c.takes_focus ? "true" : "false") + "}";
}

std::string Window(const WindowDescription& w) {
  std::string out =
      "{\"name\": " + Quoted(w.name) + ", \"caption\": " + Quoted(w.caption) + ", \"controls\": [";
  const char* separator = "";
  for (const ControlDescription& c : w.controls) {
    out += separator + Control(c);
    separator = ",\n    ";
  }
  out += "], \"menus\": [";
  separator = "";
  for (const auto& menu : w.menus) {
    out += separator;
    out += "{\"name\": " + Quoted(menu.name) + ", \"caption\": " + Quoted(menu.caption) +
           ", \"items\": [";
    const char* item_separator = "";
    for (const auto& item : menu.items) {
      out += item_separator;
      out += "{\"name\": " + Quoted(item.name) + ", \"caption\": " + Quoted(item.caption) + "}";
      item_separator = ", ";
    }
    out += "]}";
    separator = ",\n    ";
  }
  return out + "]}";
}

}  // namespace

int main() {
  const std::string json = "{\"windows\": [\n  " + Window(vantrel::form::Form2Description()) +
                           ",\n  " + Window(vantrel::about::FrmAboutDescription()) + "]}\n";
  std::fputs(json.c_str(), stdout);
  return 0;
}
