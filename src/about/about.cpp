#include "about/about.h"

#include "about/frm_about.h"

namespace vantrel::about {

void ab_Click(app::Form2& f) {
  // One dialog object for the whole run: made by the first "About", reused afterwards.
  if (!f.about) f.about = std::make_unique<FrmAbout>(f.services);
  f.about->Show();
}

}  // namespace vantrel::about
