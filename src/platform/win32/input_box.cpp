#include "platform/win32/input_box.h"

#include <vector>

#include "platform/win32/text.h"

namespace vantrel::platform::win32 {
namespace {

// Predefined window classes as a dialog template names them.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

struct Item {
  DWORD style;
  short x, y, width, height;
  WORD id;
  WORD window_class;
  std::wstring text;
};

class Template {
 public:
  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Text(const std::wstring& text) {
    for (wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  void AlignToDword() {
    if (words_.size() % 2 != 0) Word(0);
  }
  void Add(const Item& item) {
    AlignToDword();
    Dword(WS_CHILD | WS_VISIBLE | item.style);
    Dword(0);
    for (short value : {item.x, item.y, item.width, item.height}) Word(static_cast<WORD>(value));
    Word(item.id);
    Word(0xFFFF);
    Word(item.window_class);
    Text(item.text);
    Word(0);  // no creation data
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  std::vector<WORD> words_;
};

// Laid out in dialog units: the prompt at the top left, the buttons at the right, the text field
// across the bottom.
Template MakeTemplate(const std::string& prompt, const std::string& title) {
  const std::vector<Item> items{
      {SS_LEFT | SS_NOPREFIX, 7, 7, 172, 44, static_cast<WORD>(kInputPromptId), kStaticClass,
       Widen(prompt)},
      {ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 58, 230, 13, static_cast<WORD>(kInputTextId),
       kEditClass, L""},
      {BS_DEFPUSHBUTTON | WS_TABSTOP, 187, 7, 50, 14, IDOK, kButtonClass, L"OK"},
      {BS_PUSHBUTTON | WS_TABSTOP, 187, 25, 50, 14, IDCANCEL, kButtonClass, L"Cancel"},
  };
  Template dialog;
  dialog.Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  dialog.Dword(0);
  dialog.Word(static_cast<WORD>(items.size()));
  for (const int value : {0, 0, 244, 80}) dialog.Word(static_cast<WORD>(value));
  dialog.Word(0);  // no menu
  dialog.Word(0);  // the dialog class
  dialog.Text(Widen(title));
  dialog.Word(8);
  dialog.Text(L"MS Shell Dlg");
  for (const Item& item : items) dialog.Add(item);
  return dialog;
}

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    return TRUE;  // the focus goes to the text field, the first in the tab order
  }
  if (message != WM_COMMAND) return FALSE;
  const WORD id = LOWORD(wparam);
  if (id == IDOK) {
    const HWND field = ::GetDlgItem(dialog, kInputTextId);
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(field)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
    *reinterpret_cast<std::string*>(::GetWindowLongPtrW(dialog, DWLP_USER)) = Narrow(text);
    ::EndDialog(dialog, IDOK);
    return TRUE;
  }
  if (id == IDCANCEL) {
    ::EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

std::string RunInputBox(HWND owner, const std::string& prompt, const std::string& title) {
  const Template dialog = MakeTemplate(prompt, title);
  std::string typed;
  const INT_PTR result = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), dialog.get(), owner,
                                                   &Procedure, reinterpret_cast<LPARAM>(&typed));
  return result == IDOK ? typed : std::string();
}

}  // namespace vantrel::platform::win32
