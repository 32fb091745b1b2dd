// Keeping each pane's drive, folder and file lists and their labels in step, and Exit.
#pragma once

#include "app/form2.h"

namespace vantrel::app {

void Drive1_Change(Form2& f);
void Drive2_Change(Form2& f);
void Dir1_Change(Form2& f);
void Dir2_Change(Form2& f);
void File1_Click(Form2& f);
void Command2_Click(Form2& f);
void ext_Click(Form2& f);

}  // namespace vantrel::app
