#include "platform/win32/accessibility.h"

// Defines the identifiers of the annotation service and its properties in this file.
#include <initguid.h>
// initguid.h must come first.
#include <oleacc.h>

#include <string>
#include <utility>

#include "platform/win32/text.h"

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
  IAccPropServices* get() const { return services_; }
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

// Answers the name of the list and of its rows (see AccessibleRows). The system holds it by
// reference counts for as long as the annotation is in force; once disconnected it answers
// nothing.
class AccessibleRows::Server final : public IAccPropServer {
 public:
  Server(IAccPropServices* services, HWND list, std::string_view name, RowText row_text)
      : services_(services),
        list_(list),
        name_(Blank(name) ? std::wstring() : Widen(name)),
        row_text_(std::move(row_text)) {
    services_->AddRef();
  }
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  void Disconnect() {
    row_text_ = nullptr;
    if (services_ != nullptr) services_->Release();
    services_ = nullptr;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IAccPropServer) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = static_cast<IAccPropServer*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE GetPropValue(const BYTE* identity, DWORD length, MSAAPROPID property,
                                         VARIANT* value, BOOL* has_value) override {
    if (value == nullptr || has_value == nullptr) return E_POINTER;
    value->vt = VT_EMPTY;
    *has_value = FALSE;
    if (!row_text_ || services_ == nullptr) return CO_E_OBJNOTCONNECTED;
    HWND window = nullptr;
    DWORD object = 0;
    DWORD child = 0;
    if (property != PROPID_ACC_NAME ||
        services_->DecomposeHwndIdentityString(identity, length, &window, &object, &child) !=
            S_OK ||
        window != list_ || object != static_cast<DWORD>(OBJID_CLIENT)) {
      return S_OK;
    }
    // Children are numbered from 1; the rows are read now, so they are the ones shown now.
    std::optional<std::wstring> text;
    if (child != CHILDID_SELF) {
      text = row_text_(static_cast<std::size_t>(child) - 1);
    } else if (!name_.empty()) {
      text = name_;
    }
    if (!text) return S_OK;
    value->bstrVal = ::SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
    if (value->bstrVal == nullptr) return E_OUTOFMEMORY;
    value->vt = VT_BSTR;
    *has_value = TRUE;
    return S_OK;
  }

 private:
  ~Server() { Disconnect(); }

  LONG references_ = 1;
  IAccPropServices* services_;
  const HWND list_;
  const std::wstring name_;
  RowText row_text_;
};

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

void AccessibleRows::Start(HWND list, std::string_view name, RowText row_text) {
  Stop();
  if (list == nullptr) return;
  const PropServices services;
  if (!services) return;
  auto* server = new Server(services.get(), list, name, std::move(row_text));
  const MSAAPROPID property = PROPID_ACC_NAME;
  // The same property of the same object as SetAccessibleName's: this annotation replaces that
  // one, and ClearAccessibleTexts ends it.
  if (SUCCEEDED(services->SetHwndPropServer(list, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                            &property, 1, server, ANNO_CONTAINER))) {
    server_ = server;  // keeps the reference it was made with
    return;
  }
  server->Disconnect();
  server->Release();
}

void AccessibleRows::Stop() {
  if (server_ == nullptr) return;
  server_->Disconnect();
  server_->Release();
  server_ = nullptr;
}

}  // namespace vantrel::platform::win32
