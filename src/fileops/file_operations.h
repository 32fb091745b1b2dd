// Turning the pane selections into paths, and copy, move, drag-and-drop copy, delete and new
// folder with their confirmations.
#pragma once

#include <string>
#include <string_view>

#include "fileops/selection_paths.h"
#include "form/form2.h"
#include "platform/events.h"

namespace vantrel::fileops {

// File1's folder, a separator, File1's selected name.
std::string SourceFilePath(const form::Form2& f);
// Dir2's open folder, a separator, File1's selected name.
std::string DestinationFilePath(const form::Form2& f);

void Command8_Click(form::Form2& f);  // copy
void Command7_Click(form::Form2& f);  // move
void Command3_Click(form::Form2& f);  // delete
void Command1_Click(form::Form2& f);  // new folder
void File1_MouseMove(form::Form2& f, const platform::EventArgs& args);
void Dir2_DragDrop(form::Form2& f, const platform::EventArgs& args);

}  // namespace vantrel::fileops
