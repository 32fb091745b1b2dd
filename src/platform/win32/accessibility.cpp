#include "platform/win32/accessibility.h"

// Defines the identifiers of the annotation service and its properties in this file.
#include <initguid.h>
// initguid.h must come first.
#include <oleacc.h>

#include <string>

#include "platform/win32/win32_text.h"

namespace vantrel::platform::win32 {
namespace {

// The annotation service, released at the end of the scope; null where it cannot be made.
class PropServices {
 public:
  PropServices() {
    if (FAILED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IAccPropServices, reinterpret_cast<void**>(&services_)))) {
      services_ = nullptr;
    }
  }
  ~PropServices() {
    if (services_ != nullptr) services_->Release();
  }
  PropServices(const PropServices&) = delete;
  PropServices& operator=(const PropServices&) = delete;
  IAccPropServices* operator->() const { return services_; }
  explicit operator bool() const { return services_ != nullptr; }

 private:
  IAccPropServices* services_ = nullptr;
};

bool Blank(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// A property that cannot be annotated keeps the system's own: the window works as before.
void Annotate(HWND control, const MSAAPROPID& property, std::string_view text) {
  if (control == nullptr) return;
  const PropServices services;
  if (!services) return;
  if (Blank(text)) {
    services->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &property, 1);
    return;
  }
  services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, property,
                           Widen(text).c_str());
}

}  // namespace

ComApartment::ComApartment() {
  // S_FALSE: the thread had COM already, which still wants its CoUninitialize.
  joined_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

ComApartment::~ComApartment() {
  if (joined_) ::CoUninitialize();
}

void SetAccessibleName(HWND control, std::string_view name) {
  Annotate(control, PROPID_ACC_NAME, name);
}

void SetAccessibleDescription(HWND control, std::string_view text) {
  Annotate(control, PROPID_ACC_DESCRIPTION, text);
}

void ClearAccessibleTexts(HWND control) {
  if (control == nullptr) return;
  const PropServices services;
  if (!services) return;
  const MSAAPROPID properties[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION};
  services->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, properties, 2);
}

}  // namespace vantrel::platform::win32
