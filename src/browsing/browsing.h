// The main window's own handlers: keeping each pane's drive, folder and file lists and their
// labels in step, opening About, and Exit.
#pragma once

#include "form/form2.h"

namespace vantrel::browsing {

void Drive1_Change(form::Form2& f);
void Drive2_Change(form::Form2& f);
void Dir1_Change(form::Form2& f);
void Dir2_Change(form::Form2& f);
void File1_Click(form::Form2& f);
void ab_Click(form::Form2& f);
void Command2_Click(form::Form2& f);
void ext_Click(form::Form2& f);

}  // namespace vantrel::browsing
