#include "app/application.h"

#include "about/frm_about.h"

namespace vantrel::app {

Application::Application(form::Services& services)
    : services_(services), dispatcher_(Form2Wiring()) {}

Application::~Application() = default;

void Application::Start() {
  window_ = services_.windows.CreateWindow(form::Form2Description(), dispatcher_);
  form_.emplace(*window_, services_, about_);
  // No handler runs while the window loads and its lists take their first folder.
  window_->Show();
  dispatcher_.Bind(&*form_);
}

}  // namespace vantrel::app
