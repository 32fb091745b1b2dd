// Start-up: the main window is made from its description and wiring table and shown. The
// application object owns what lives for the whole run: the main window and the About slot.
#pragma once

#include <memory>
#include <optional>

#include "app/form2_wiring.h"
#include "form/form2.h"
#include "form/services.h"
#include "form/wiring.h"

namespace vantrel::app {

class Application {
 public:
  explicit Application(form::Services& services);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Creates and shows the main window; the front end's event loop runs from there.
  void Start();

  platform::Window& MainWindow() { return *window_; }

 private:
  form::Services& services_;
  form::Dispatcher<form::Form2> dispatcher_;
  std::unique_ptr<platform::Window> window_;
  std::unique_ptr<about::FrmAbout> about_;
  std::optional<form::Form2> form_;
};

}  // namespace vantrel::app
