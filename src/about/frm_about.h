// The About dialog: one object for the whole run, created by the first "About". Its window is
// loaded when shown and unloaded by OK, Escape or the close box; the object stays.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "form/services.h"
#include "form/wiring.h"
#include "platform/controls.h"
#include "platform/registry.h"
#include "platform/window_description.h"

namespace vantrel::about {

class FrmAbout {
 public:
  explicit FrmAbout(form::Services& services);
  FrmAbout(const FrmAbout&) = delete;
  FrmAbout& operator=(const FrmAbout&) = delete;

  // Loads the window when it is not loaded (running Form_Load), then shows it modeless.
  void Show();

  platform::Window& window() { return *window_; }
  form::Services& services() { return services_; }

 private:
  form::Services& services_;
  form::Dispatcher<FrmAbout> dispatcher_;
  std::unique_ptr<platform::Window> window_;
};

void Form_Load(FrmAbout& d);
void cmdOK_Click(FrmAbout& d);
void cmdSysInfo_Click(FrmAbout& d);

// Starts the system-information tool found through the registry, or says it is unavailable.
void StartSysInfo(FrmAbout& d);
// Reads one registry value as text into key_val; false (and key_val empty) when it cannot.
bool GetKeyValue(platform::Registry& registry, platform::RegistryKey key_root,
                 const std::string& key_name, const std::string& sub_key_ref, std::string& key_val);

const platform::WindowDescription& FrmAboutDescription();
std::span<const form::Wiring<FrmAbout>> FrmAboutWiring();

}  // namespace vantrel::about
