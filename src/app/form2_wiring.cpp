// Which handler each event of the main window runs. An event without a row does nothing beyond
// the control's own behaviour.
#include "app/form2_wiring.h"

#include <array>

#include "browsing/browsing.h"
#include "fileops/file_operations.h"
#include "launcher/launcher.h"

namespace vantrel::app {
namespace {

using form::Form2;
using platform::Event;
using platform::EventArgs;
using Row = form::Wiring<Form2>;

// Adapts a handler that takes no event arguments.
template <void (*Handler)(Form2&)>
void NoArgs(Form2& f, const EventArgs&) {
  Handler(f);
}

constexpr std::array kForm2Wiring{
    Row{"Drive1", Event::Change, NoArgs<browsing::Drive1_Change>},
    Row{"Drive2", Event::Change, NoArgs<browsing::Drive2_Change>},
    Row{"Dir1", Event::Change, NoArgs<browsing::Dir1_Change>},
    Row{"Dir2", Event::Change, NoArgs<browsing::Dir2_Change>},
    Row{"File1", Event::Click, NoArgs<browsing::File1_Click>},
    Row{"Command7", Event::Click, NoArgs<fileops::Command7_Click>},
    Row{"Command8", Event::Click, NoArgs<fileops::Command8_Click>},
    Row{"File1", Event::MouseMove, fileops::File1_MouseMove},
    Row{"Dir2", Event::DragDrop, fileops::Dir2_DragDrop},
    Row{"Command1", Event::Click, NoArgs<fileops::Command1_Click>},
    Row{"Command3", Event::Click, NoArgs<fileops::Command3_Click>},
    Row{"Command4", Event::Click, NoArgs<launcher::Command4_Click>},
    Row{"Command5", Event::Click, NoArgs<launcher::Command5_Click>},
    Row{"File3", Event::DblClick, NoArgs<launcher::File3_DblClick>},
    Row{"File3", Event::Click, NoArgs<launcher::File3_Click>},
    Row{"Command6", Event::MouseDown, launcher::Command6_MouseDown},
    Row{"cal", Event::Click, NoArgs<launcher::cal_Click>},
    Row{"pain", Event::Click, NoArgs<launcher::pain_Click>},
    Row{"cd", Event::Click, NoArgs<launcher::cd_Click>},
    Row{"note", Event::Click, NoArgs<launcher::note_Click>},
    Row{"ab", Event::Click, NoArgs<browsing::ab_Click>},
    Row{"Command2", Event::Click, NoArgs<browsing::Command2_Click>},
    Row{"ext", Event::Click, NoArgs<browsing::ext_Click>},
};

}  // namespace

std::span<const form::Wiring<Form2>> Form2Wiring() {
  return kForm2Wiring;
}

}  // namespace vantrel::app
