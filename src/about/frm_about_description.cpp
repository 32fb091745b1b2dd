// The About dialog's design and wiring.
#include <array>

#include "about/frm_about.h"

namespace vantrel::about {
namespace {

using platform::Colour;
using platform::ControlDescription;
using platform::ControlKind;
using platform::Event;
using platform::EventArgs;

constexpr Colour kBlack{0, 0, 0};
constexpr Colour kGrey{128, 128, 128};
constexpr Colour kWhite{255, 255, 255};

ControlDescription Text(std::string_view name, platform::Rect r, int tab,
                        std::string_view caption) {
  return {.name = name,
          .kind = ControlKind::Label,
          .bounds = r,
          .tab_index = tab,
          .caption = caption,
          .text_colour = kBlack,
          .takes_focus = false};
}

ControlDescription Line(int index, platform::LineEnds ends, Colour colour, int width) {
  return {.name = "Line1",
          .kind = ControlKind::Line,
          .line = ends,
          .text_colour = colour,
          .index = index,
          .line_width = width,
          .takes_focus = false};
}

const std::array kControls{
    ControlDescription{.name = "picIcon",
                       .kind = ControlKind::PictureBox,
                       .bounds = {240, 240, 780, 780},
                       .tab_index = 1,
                       // It takes the focus, so a screen reader needs a name to say for it.
                       .accessible_name = "Program icon",
                       .sunken = true},
    Text("lblTitle", {1050, 240, 3885, 480}, 5, "Application Title"),
    Text("lblVersion", {1050, 780, 3885, 225}, 6, "Version"),
    Text("lblDescription", {1080, 1125, 3885, 1170}, 3,
         "Vantrel was written by the Vantrel developers in December 2026."),
    // An etched rule: a grey line with a white one a pixel below it.
    Line(1, {90, 2445, 5654, 2445}, kGrey, 1),
    Line(0, {105, 2460, 5654, 2460}, kWhite, 2),
    ControlDescription{.name = "cmdOK",
                       .kind = ControlKind::Button,
                       .bounds = {4245, 2625, 1260, 345},
                       .tab_index = 0,
                       .caption = "OK"},
    Text("lblDisclaimer", {255, 2640, 3870, 825}, 4,
         "Vantrel is freeware: use and share it freely, at your own risk.\n"
         "Contact: telephone +1 555 0100"),
    ControlDescription{.name = "cmdSysInfo",
                       .kind = ControlKind::Button,
                       .bounds = {4260, 3075, 1245, 345},
                       .tab_index = 2,
                       .caption = "&System Info..."},
};

const platform::WindowDescription kFrmAbout{
    .name = "frmAbout",
    .caption = "About",
    .client = {2340, 1935, 5730, 3555},
    .placement = platform::Placement::Manual,
    .border = platform::Border::FixedDialog,
    .minimize_button = false,
    .maximize_button = false,
    .icon = false,
    .in_taskbar = false,
    .default_button = "cmdOK",
    .cancel_button = "cmdOK",
    .controls = kControls,
};

using Row = form::Wiring<FrmAbout>;

template <void (*Handler)(FrmAbout&)>
void NoArgs(FrmAbout& d, const EventArgs&) {
  Handler(d);
}

constexpr std::array kWiring{
    Row{platform::kFormControl, Event::Load, NoArgs<Form_Load>},
    Row{"cmdOK", Event::Click, NoArgs<cmdOK_Click>},
    Row{"cmdSysInfo", Event::Click, NoArgs<cmdSysInfo_Click>},
};

}  // namespace

const platform::WindowDescription& FrmAboutDescription() {
  return kFrmAbout;
}

std::span<const form::Wiring<FrmAbout>> FrmAboutWiring() {
  return kWiring;
}

}  // namespace vantrel::about
