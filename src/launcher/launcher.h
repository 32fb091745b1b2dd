// Running the selected program, the Run menu's accessories and its pop-up, and the clipboard.
#pragma once

#include "form/form2.h"
#include "platform/events.h"

namespace vantrel::launcher {

void File3_Click(form::Form2& f);
void Command5_Click(form::Form2& f);
void File3_DblClick(form::Form2& f);
void Command6_MouseDown(form::Form2& f, const platform::EventArgs& args);
void cal_Click(form::Form2& f);
void pain_Click(form::Form2& f);
void cd_Click(form::Form2& f);
void note_Click(form::Form2& f);
void Command4_Click(form::Form2& f);

}  // namespace vantrel::launcher
