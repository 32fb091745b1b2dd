// What a screen reader receives from the main window and the About dialog on the real Win32
// front end, asked through Active Accessibility (oleacc) for every control and compared with the
// windows' tables: buttons and frames are named by their captions without the access-key mark,
// lists, drive lists and the labels that have one by the table's accessible name, labels by what
// they show otherwise; list rows are children with their texts and the selected row marked.
//
// Where the system's oleacc lacks what a check needs (Wine's has no proxies for the standard
// controls and no annotation service), the check is skipped with the system's own answer as the
// reason. What the front end asks the annotation service for is checked on any system, through a
// recording stand-in registered for the service's class.
#include "window_fixture.h"

// Defines the identifiers of oleacc's interfaces and properties in this file.
#include <initguid.h>
// initguid.h must come first.
#include <oleacc.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <tuple>

#include "about/frm_about.h"
#include "form/form2.h"
#include "lists/visible_text.h"
#include "platform/win32/text.h"

namespace vantrel::testing {
namespace {

using platform::ControlDescription;
using platform::ControlKind;
using platform::WindowDescription;
using platform::win32::Narrow;

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(hr));
  return text;
}

std::string WithoutAccessMark(std::string_view caption) {
  std::string text(caption);
  if (const auto mark = text.find('&'); mark != std::string::npos) text.erase(mark, 1);
  return text;
}

// One property as oleacc answered it: its result code and its text.
struct Text {
  HRESULT hr = E_FAIL;
  std::string text;
};

// One accessible object, released at the end of the scope.
class Accessible {
 public:
  Accessible(HWND window, LONG object) {
    hr_ = ::AccessibleObjectFromWindow(window, static_cast<DWORD>(object), IID_IAccessible,
                                       reinterpret_cast<void**>(&object_));
    if (FAILED(hr_)) object_ = nullptr;
  }
  ~Accessible() {
    if (object_ != nullptr) object_->Release();
  }
  Accessible(const Accessible&) = delete;
  Accessible& operator=(const Accessible&) = delete;

  HRESULT hr() const { return hr_; }
  explicit operator bool() const { return object_ != nullptr; }

  Text Name(LONG child = CHILDID_SELF) const { return Read(&IAccessible::get_accName, child); }
  Text Description(LONG child = CHILDID_SELF) const {
    return Read(&IAccessible::get_accDescription, child);
  }
  Text Help(LONG child = CHILDID_SELF) const { return Read(&IAccessible::get_accHelp, child); }
  Text Value(LONG child = CHILDID_SELF) const { return Read(&IAccessible::get_accValue, child); }
  std::optional<LONG> Role(LONG child = CHILDID_SELF) const {
    return Number(&IAccessible::get_accRole, child);
  }
  std::optional<LONG> State(LONG child = CHILDID_SELF) const {
    return Number(&IAccessible::get_accState, child);
  }
  LONG ChildCount() const {
    LONG count = -1;
    if (object_ == nullptr || FAILED(object_->get_accChildCount(&count))) return -1;
    return count;
  }

 private:
  static VARIANT Child(LONG child) {
    VARIANT id;
    ::VariantInit(&id);
    id.vt = VT_I4;
    id.lVal = child;
    return id;
  }
  Text Read(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), LONG child) const {
    Text answer;
    if (object_ == nullptr) return answer;
    BSTR text = nullptr;
    answer.hr = (object_->*get)(Child(child), &text);
    if (text != nullptr) {
      answer.text = Narrow(std::wstring_view(text, ::SysStringLen(text)));
      ::SysFreeString(text);
    }
    return answer;
  }
  std::optional<LONG> Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*),
                             LONG child) const {
    if (object_ == nullptr) return std::nullopt;
    VARIANT value;
    ::VariantInit(&value);
    if (FAILED((object_->*get)(Child(child), &value)) || value.vt != VT_I4) {
      ::VariantClear(&value);
      return std::nullopt;
    }
    return value.lVal;
  }

  HRESULT hr_ = E_FAIL;
  IAccessible* object_ = nullptr;
};

// What the system's annotation service answers when asked to name a window.
HRESULT AnnotationAnswer() {
  IAccPropServices* services = nullptr;
  HRESULT hr = ::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IAccPropServices, reinterpret_cast<void**>(&services));
  if (FAILED(hr)) return hr;
  const HWND scratch = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                         ::GetModuleHandleW(nullptr), nullptr);
  hr = services->SetHwndPropStr(scratch, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                PROPID_ACC_NAME, L"probe");
  ::DestroyWindow(scratch);
  services->Release();
  return hr;
}

// The annotation service as the front end sees it, recording what it is asked; it stores
// nothing, so oleacc answers as before. Its identity strings are its own: what it composes it
// decomposes, which is all a property server may do with one.
class RecordingAnnotations final : public IAccPropServices, public IClassFactory {
 public:
  struct Key {
    HWND window;
    DWORD object;
    DWORD child;
    bool name;  // else the description
    friend auto operator<=>(const Key&, const Key&) = default;
  };
  struct Server {
    IAccPropServer* server = nullptr;  // held while the annotation is in force
    AnnoScope scope = ANNO_THIS;
  };
  std::map<Key, std::string> texts;  // the annotations in force
  std::map<Key, Server> servers;     // the same, answered by a server
  int unknown_properties = 0;        // annotations of any other property

  ~RecordingAnnotations() {
    for (const auto& [key, server] : servers) server.server->Release();
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IAccPropServices) {
      *out = static_cast<IAccPropServices*>(this);
    } else if (iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return QueryInterface(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  HRESULT STDMETHODCALLTYPE SetHwndPropStr(HWND window, DWORD object, DWORD child,
                                           MSAAPROPID property, LPCWSTR text) override {
    const std::optional<bool> name = NameOrDescription(property);
    if (!name) return E_INVALIDARG;
    const Key key{window, object, child, *name};
    Drop(key);
    texts[key] = Narrow(text);
    return S_OK;
  }
  // A later annotation of a property replaces the earlier one, whichever kind each is.
  HRESULT STDMETHODCALLTYPE SetHwndPropServer(HWND window, DWORD object, DWORD child,
                                              const MSAAPROPID* properties, int count,
                                              IAccPropServer* server, AnnoScope scope) override {
    if (server == nullptr) return E_INVALIDARG;
    for (int i = 0; i < count; ++i) {
      const std::optional<bool> name = NameOrDescription(properties[i]);
      if (!name) return E_INVALIDARG;
      const Key key{window, object, child, *name};
      Drop(key);
      server->AddRef();
      servers[key] = {server, scope};
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ClearHwndProps(HWND window, DWORD object, DWORD child,
                                           const MSAAPROPID* properties, int count) override {
    for (int i = 0; i < count; ++i) {
      if (const std::optional<bool> name = NameOrDescription(properties[i])) {
        Drop({window, object, child, *name});
      }
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ComposeHwndIdentityString(HWND window, DWORD object, DWORD child,
                                                      BYTE** identity, DWORD* length) override {
    const Identity composed{kIdentityMark, window, object, child};
    *identity = static_cast<BYTE*>(::CoTaskMemAlloc(sizeof composed));
    if (*identity == nullptr) return E_OUTOFMEMORY;
    std::memcpy(*identity, &composed, sizeof composed);
    *length = sizeof composed;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DecomposeHwndIdentityString(const BYTE* identity, DWORD length,
                                                        HWND* window, DWORD* object,
                                                        DWORD* child) override {
    Identity decomposed{};
    if (identity == nullptr || length != sizeof decomposed) return E_INVALIDARG;
    std::memcpy(&decomposed, identity, sizeof decomposed);
    if (decomposed.mark != kIdentityMark) return E_INVALIDARG;
    *window = decomposed.window;
    *object = decomposed.object;
    *child = decomposed.child;
    return S_OK;
  }

  // What a client reading the property of the window's client object or of one of its children
  // (1..N) receives from the annotations: a text, the server's answer, or nothing (the system's
  // own). A server's answer is checked against the interface's rules on the way.
  std::optional<std::string> Of(HWND window, bool name, LONG child = CHILDID_SELF) {
    const auto object = static_cast<DWORD>(OBJID_CLIENT);
    const auto self = static_cast<DWORD>(CHILDID_SELF);
    const auto text = texts.find({window, object, static_cast<DWORD>(child), name});
    if (text != texts.end()) return text->second;
    auto server = servers.find({window, object, static_cast<DWORD>(child), name});
    if (server == servers.end() && child != CHILDID_SELF) {
      server = servers.find({window, object, self, name});
      if (server != servers.end() && server->second.scope != ANNO_CONTAINER) server = servers.end();
    }
    if (server == servers.end()) return std::nullopt;
    return Ask(*server->second.server, window, static_cast<DWORD>(child),
               name ? PROPID_ACC_NAME : PROPID_ACC_DESCRIPTION);
  }

  // Nothing else is expected of the front end.
  HRESULT STDMETHODCALLTYPE SetPropValue(const BYTE*, DWORD, MSAAPROPID, VARIANT) override {
    return Unexpected();
  }
  HRESULT STDMETHODCALLTYPE SetPropServer(const BYTE*, DWORD, const MSAAPROPID*, int,
                                          IAccPropServer*, AnnoScope) override {
    return Unexpected();
  }
  HRESULT STDMETHODCALLTYPE ClearProps(const BYTE*, DWORD, const MSAAPROPID*, int) override {
    return Unexpected();
  }
  HRESULT STDMETHODCALLTYPE SetHwndProp(HWND, DWORD, DWORD, MSAAPROPID, VARIANT) override {
    return Unexpected();
  }
  HRESULT STDMETHODCALLTYPE SetHmenuProp(HMENU, DWORD, MSAAPROPID, VARIANT) override {
    return Unexpected();
  }
  HRESULT STDMETHODCALLTYPE SetHmenuPropStr(HMENU, DWORD, MSAAPROPID, LPCWSTR) override {
    return Unexpected();
  }
  HRESULT STDMETHODCALLTYPE SetHmenuPropServer(HMENU, DWORD, const MSAAPROPID*, int,
                                               IAccPropServer*, AnnoScope) override {
    return Unexpected();
  }
  HRESULT STDMETHODCALLTYPE ClearHmenuProps(HMENU, DWORD, const MSAAPROPID*, int) override {
    return Unexpected();
  }
  HRESULT STDMETHODCALLTYPE ComposeHmenuIdentityString(HMENU, DWORD, BYTE**, DWORD*) override {
    return Unexpected();
  }
  HRESULT STDMETHODCALLTYPE DecomposeHmenuIdentityString(const BYTE*, DWORD, HMENU*,
                                                         DWORD*) override {
    return Unexpected();
  }

 private:
  struct Identity {
    DWORD mark;
    HWND window;
    DWORD object;
    DWORD child;
  };
  static constexpr DWORD kIdentityMark = 0x52454331;

  void Drop(const Key& key) {
    texts.erase(key);
    if (const auto it = servers.find(key); it != servers.end()) {
      it->second.server->Release();
      servers.erase(it);
    }
  }
  std::optional<std::string> Ask(IAccPropServer& server, HWND window, DWORD child,
                                 const MSAAPROPID& property) {
    BYTE* identity = nullptr;
    DWORD length = 0;
    EXPECT_EQ(ComposeHwndIdentityString(window, static_cast<DWORD>(OBJID_CLIENT), child, &identity,
                                        &length),
              S_OK);
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_I4;  // what the server must overwrite
    BOOL has_value = TRUE;
    const HRESULT hr = server.GetPropValue(identity, length, property, &value, &has_value);
    ::CoTaskMemFree(identity);
    EXPECT_EQ(hr, S_OK) << Hex(hr) << " for child " << child;
    std::optional<std::string> answer;
    if (has_value) {
      EXPECT_EQ(value.vt, VT_BSTR) << "child " << child;
      if (value.vt == VT_BSTR) {
        answer = Narrow(std::wstring_view(value.bstrVal, ::SysStringLen(value.bstrVal)));
      }
    } else {
      EXPECT_EQ(value.vt, VT_EMPTY) << "no value but a variant of type " << value.vt;
    }
    ::VariantClear(&value);
    return answer;
  }
  std::optional<bool> NameOrDescription(const MSAAPROPID& property) {
    if (property == PROPID_ACC_NAME) return true;
    if (property == PROPID_ACC_DESCRIPTION) return false;
    ++unknown_properties;
    return std::nullopt;
  }
  HRESULT Unexpected() {
    ++unknown_properties;
    return E_NOTIMPL;
  }
};

class Accessibility : public Win32Program {
 protected:
  void SetUp() override {
    joined_com_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    source = temp.Folder("source");
    temp.Folder("source\\sub");
    temp.Write("source\\b.txt", "bb");
    temp.Write("source\\A.txt", "");
  }
  void TearDown() override {
    if (cookie_ != 0) ::CoRevokeClassObject(cookie_);
    if (joined_com_) ::CoUninitialize();
  }
  // From here on the front end's annotations go to the recorder.
  void Record() {
    ASSERT_EQ(::CoRegisterClassObject(CLSID_AccPropServices, static_cast<IClassFactory*>(&recorder),
                                      CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_),
              S_OK);
  }
  void OpenAbout() {
    ::SendMessageW(Form2().hwnd(), WM_COMMAND, MenuCommand(Form2().hwnd(), 2), 0);
    Pump();
    ASSERT_NE(About(), nullptr);
  }
  // Every control of a window that has a window of its own, with it.
  std::vector<std::pair<const ControlDescription*, HWND>> Controls(
      const platform::win32::Win32Window& window) {
    std::vector<std::pair<const ControlDescription*, HWND>> found;
    for (const ControlDescription& control : window.description().controls) {
      if (const HWND hwnd = window.ControlHandle(control.name)) found.emplace_back(&control, hwnd);
    }
    return found;
  }
  // The push button's role tells whether oleacc has the proxies of the standard controls.
  std::optional<std::string> WithoutControlProxies() {
    const Accessible button(Control("Command2"), OBJID_CLIENT);
    const std::optional<LONG> role = button.Role();
    if (role == ROLE_SYSTEM_PUSHBUTTON) return std::nullopt;
    return "this oleacc answers role " + (role ? std::to_string(*role) : std::string("(none)")) +
           " for a push button (ROLE_SYSTEM_CLIENT is 10): it has no proxies for the standard "
           "controls, so it gives no roles, rows or labels of theirs";
  }

  RecordingAnnotations recorder;
  std::string source;

 private:
  bool joined_com_ = false;
  DWORD cookie_ = 0;
};

// Buttons and frames are named by their captions without the access-key mark on every system,
// since oleacc reads their window text; so are the About dialog's labels, which have no name of
// their own in the table. Wine's oleacc answers these too.
TEST_F(Accessibility, ButtonsFramesAndPlainLabelsAreNamedByWhatTheyShow) {
  Start(source);
  OpenAbout();
  int checked = 0;
  for (const platform::win32::Win32Window* window : {&Form2(), About()}) {
    for (const auto& [control, hwnd] : Controls(*window)) {
      const bool by_caption =
          control->kind == ControlKind::Button || control->kind == ControlKind::Frame ||
          (control->kind == ControlKind::Label && control->accessible_name.empty());
      if (!by_caption) continue;
      SCOPED_TRACE(std::string(control->name));
      const Accessible object(hwnd, OBJID_CLIENT);
      ASSERT_TRUE(object) << "AccessibleObjectFromWindow: " << Hex(object.hr());
      const Text name = object.Name();
      const std::string shown = control->kind == ControlKind::Label
                                    ? WindowText(hwnd)  // the About dialog fills its labels
                                    : WithoutAccessMark(control->caption);
      EXPECT_EQ(name.hr, S_OK) << Hex(name.hr);
      EXPECT_EQ(name.text, shown);
      ++checked;
    }
  }
  EXPECT_EQ(checked, 11 + 6);  // main window: 3 frames, 8 buttons; About: 2 buttons, 4 labels
  EXPECT_EQ(Accessible(Control("Command8"), OBJID_CLIENT).Name().text, "Copy +Paste");
}

// The lists, the drive lists and the labels that the table names are named by it; a label's
// text is its description, and a button's tooltip describes it.
TEST_F(Accessibility, ListsAndLabelsCarryTheTablesNamesAndButtonsTheirTooltips) {
  if (const HRESULT hr = AnnotationAnswer(); FAILED(hr)) {
    GTEST_SKIP() << "this oleacc's IAccPropServices::SetHwndPropStr answers " << Hex(hr)
                 << " (E_NOTIMPL is 0x80004001): it cannot rename a control, so the names of "
                    "the lists and labels are checked through the recorded annotations only";
  }
  Start(source);
  ClickItem(Control("File1"), NameIndex("File1", "b.txt"));
  for (const auto& [control, hwnd] : Controls(Form2())) {
    SCOPED_TRACE(std::string(control->name));
    const Accessible object(hwnd, OBJID_CLIENT);
    ASSERT_TRUE(object) << Hex(object.hr());
    if (!control->accessible_name.empty()) {
      EXPECT_EQ(object.Name().text, control->accessible_name);
    }
    if (control->kind == ControlKind::Label && !control->accessible_name.empty()) {
      const std::string shown = Caption(control->name);
      EXPECT_EQ(object.Description().text,
                shown.find_first_not_of(' ') == std::string::npos ? "" : shown);
    }
    if (!control->tooltip.empty()) {
      EXPECT_EQ(object.Description().text, control->tooltip);
    }
  }
  EXPECT_EQ(Accessible(Control("Label1"), OBJID_CLIENT).Description().text, "Filename:b.txt");
}

// Roles by kind, on a system whose oleacc has the standard controls' proxies.
TEST_F(Accessibility, ControlsHaveTheRolesOfTheirKinds) {
  Start(source);
  OpenAbout();
  if (const auto reason = WithoutControlProxies()) GTEST_SKIP() << *reason;
  const std::map<ControlKind, LONG> roles{
      {ControlKind::Button, ROLE_SYSTEM_PUSHBUTTON}, {ControlKind::Frame, ROLE_SYSTEM_GROUPING},
      {ControlKind::Label, ROLE_SYSTEM_STATICTEXT},  {ControlKind::DriveList, ROLE_SYSTEM_COMBOBOX},
      {ControlKind::FolderList, ROLE_SYSTEM_LIST},   {ControlKind::FileList, ROLE_SYSTEM_LIST},
  };
  for (const platform::win32::Win32Window* window : {&Form2(), About()}) {
    for (const auto& [control, hwnd] : Controls(*window)) {
      const auto role = roles.find(control->kind);
      if (role == roles.end()) continue;  // the picture box is the dialog's own kind of window
      SCOPED_TRACE(std::string(control->name));
      EXPECT_EQ(Accessible(hwnd, OBJID_CLIENT).Role(), role->second);
    }
  }
}

// A list's rows are its children, named by their texts, the selected one marked; a drive list's
// value is the drive it shows.
TEST_F(Accessibility, ListRowsAreChildrenWithTheSelectedOneMarked) {
  Start(source);
  if (const auto reason = WithoutControlProxies()) GTEST_SKIP() << *reason;
  ClickItem(Control("File1"), NameIndex("File1", "b.txt"));

  const Accessible files(Control("File1"), OBJID_CLIENT);
  ASSERT_EQ(files.ChildCount(), 2);
  for (LONG row = 1; row <= 2; ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(files.Name(row).text, Names("File1")[static_cast<std::size_t>(row - 1)]);
    EXPECT_EQ(files.Role(row), ROLE_SYSTEM_LISTITEM);
    const bool selected = Names("File1")[static_cast<std::size_t>(row - 1)] == "b.txt";
    EXPECT_EQ((files.State(row).value_or(0) & STATE_SYSTEM_SELECTED) != 0, selected);
  }

  const HWND dir1 = Control("Dir1");
  const Accessible folders(dir1, OBJID_CLIENT);
  ASSERT_EQ(folders.ChildCount(), ListCount(dir1));
  const auto open_row = ::SendMessageW(dir1, LB_GETCURSEL, 0, 0);
  ASSERT_GE(open_row, 0);
  for (LONG row = 1; row <= folders.ChildCount(); ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(folders.Name(row).text, ListText(dir1, row - 1));
    EXPECT_EQ((folders.State(row).value_or(0) & STATE_SYSTEM_SELECTED) != 0, row - 1 == open_row);
  }

  const HWND drive1 = Control("Drive1");
  EXPECT_EQ(Accessible(drive1, OBJID_CLIENT).Value().text, WindowText(drive1));
}

// What the front end asks the annotation service for, on any system: the tables' names for the
// lists and labels, the tooltips for the buttons, a label's text as its description while it
// changes, and nothing left behind once a window has gone.
TEST_F(Accessibility, FrontEndAnnotatesTheControlsFromTheTables) {
  Record();
  Start(source);
  OpenAbout();
  for (const platform::win32::Win32Window* window : {&Form2(), About()}) {
    for (const auto& [control, hwnd] : Controls(*window)) {
      SCOPED_TRACE(std::string(control->name));
      const std::optional<std::string> name = recorder.Of(hwnd, true);
      const std::optional<std::string> description = recorder.Of(hwnd, false);
      if (control->accessible_name.empty()) {
        EXPECT_EQ(name, std::nullopt);  // the system's own name is the caption
      } else {
        EXPECT_EQ(name, control->accessible_name);
      }
      if (!control->tooltip.empty()) {
        EXPECT_EQ(description, control->tooltip);
      } else if (control->kind == ControlKind::Label && !control->accessible_name.empty()) {
        const std::string shown = Caption(control->name);
        EXPECT_EQ(description, shown.find_first_not_of(' ') == std::string::npos
                                   ? std::nullopt
                                   : std::optional(shown));
      } else {
        EXPECT_EQ(description, std::nullopt);
      }
    }
  }
  EXPECT_EQ(recorder.Of(Control("Drive1"), true), "Source drive");
  EXPECT_EQ(recorder.Of(Control("File3"), true), "Programs");
  EXPECT_EQ(recorder.Of(Control("Command5"), false), "Run the selected program");

  ClickItem(Control("File1"), NameIndex("File1", "b.txt"));
  EXPECT_EQ(recorder.Of(Control("Label1"), false), "Filename:b.txt");
  EXPECT_EQ(recorder.Of(Control("Label2"), false), "Filesize: 2 Bytes");
  EXPECT_EQ(recorder.unknown_properties, 0);

  ::SendMessageW(About()->hwnd(), WM_CLOSE, 0, 0);
  ::SendMessageW(Form2().hwnd(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_TRUE(recorder.texts.empty()) << recorder.texts.size() << " annotations left";
  EXPECT_TRUE(recorder.servers.empty()) << recorder.servers.size() << " servers left";
}

// A file list box holds no texts, so the system's proxy would name every row with nothing: one
// server answers for the list and its rows, with the table's name and the texts the rows show
// (control characters as visible marks), read afresh after each change, and nothing past the
// last row. Once the window has gone the server is let go and answers no more.
TEST_F(Accessibility, FileListRowsAreNamedByWhatTheyShow) {
  // Windows refuses control characters in names, but not a line separator, which the lists
  // show escaped like a newline.
  temp.Write("source\\a\u2028b.txt", "");
  temp.Write("source\\run.exe", "");
  Record();
  Start(source);
  const auto rows = [&](std::string_view list) {
    std::vector<std::optional<std::string>> answers;
    for (LONG child = 1; child <= static_cast<LONG>(Names(list).size()) + 1; ++child) {
      answers.push_back(recorder.Of(Control(list), true, child));
    }
    return answers;
  };
  const auto shown = [&](std::string_view list) {
    std::vector<std::optional<std::string>> texts;
    for (const std::string& name : Names(list)) texts.emplace_back(lists::VisibleText(name));
    texts.emplace_back(std::nullopt);  // the child after the last row
    return texts;
  };

  int lists_checked = 0;
  for (const auto& [control, hwnd] : Controls(Form2())) {
    if (control->kind != ControlKind::FileList) continue;
    SCOPED_TRACE(std::string(control->name));
    const auto server =
        recorder.servers.find({hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, true});
    ASSERT_NE(server, recorder.servers.end());
    EXPECT_EQ(server->second.scope, ANNO_CONTAINER);
    EXPECT_EQ(recorder.Of(hwnd, true), control->accessible_name);
    EXPECT_EQ(rows(control->name), shown(control->name));
    ++lists_checked;
  }
  EXPECT_EQ(lists_checked, 3);
  using Rows = std::vector<std::optional<std::string>>;
  EXPECT_EQ(rows("File1"), (Rows{"A.txt", "a\\u2028b.txt", "b.txt", "run.exe", std::nullopt}));
  EXPECT_EQ(rows("File3"), (Rows{"run.exe", std::nullopt}));
  EXPECT_EQ(recorder.Of(Control("File1"), true, -1), std::nullopt);  // no such child

  // Other files, listed again: the server reads the rows as they are now.
  ASSERT_TRUE(::DeleteFileW(W(Join(source, "b.txt")).c_str()));
  ASSERT_TRUE(::DeleteFileW(W(Join(source, "A.txt")).c_str()));
  temp.Write("source\\c\u202Ed.txt", "");  // a right-to-left override
  Form2().FindFileList("File1").Refresh();
  EXPECT_EQ(rows("File1"), (Rows{"a\\u2028b.txt", "c\\u202Ed.txt", "run.exe", std::nullopt}));
  EXPECT_EQ(rows("File1"), shown("File1"));
  EXPECT_EQ(recorder.unknown_properties, 0);

  IAccPropServer* const server =
      recorder.servers.at({Control("File1"), static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, true})
          .server;
  server->AddRef();  // a client may still hold it after the window has gone
  ::SendMessageW(Form2().hwnd(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_TRUE(recorder.servers.empty()) << recorder.servers.size() << " servers left";
  BYTE* identity = nullptr;
  DWORD length = 0;
  recorder.ComposeHwndIdentityString(nullptr, static_cast<DWORD>(OBJID_CLIENT), 1, &identity,
                                     &length);
  VARIANT value;
  ::VariantInit(&value);
  BOOL has_value = TRUE;
  EXPECT_EQ(server->GetPropValue(identity, length, PROPID_ACC_NAME, &value, &has_value),
            CO_E_OBJNOTCONNECTED);
  EXPECT_FALSE(has_value);
  EXPECT_EQ(value.vt, VT_EMPTY);
  ::CoTaskMemFree(identity);
  server->Release();
}

}  // namespace
}  // namespace vantrel::testing
