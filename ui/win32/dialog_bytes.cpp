#include "dialog_bytes.h"

#include "wide_text.h"
#include "win32.h"

namespace kv::ui::win32 {

namespace {

// The dialog manager's atoms of the predefined control classes.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;
constexpr WORD kComboBoxAtom = 0x0085;

class Writer {
 public:
  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Short(int value) { Word(static_cast<WORD>(static_cast<short>(value))); }
  void Text(const std::string& text) {
    for (wchar_t c : Widen(text)) {
      Word(static_cast<WORD>(c));
    }
    Word(0);
  }
  // Items start on a DWORD boundary of the template.
  void AlignDword() {
    if (words_.size() % 2 != 0) {
      Word(0);
    }
  }
  std::vector<WORD> Take() { return std::move(words_); }

 private:
  std::vector<WORD> words_;
};

WORD ClassAtom(ControlKind kind) {
  switch (kind) {
    case ControlKind::Edit:
      return kEditAtom;
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::PushButton:
    case ControlKind::GroupBox:
      return kButtonAtom;
    case ControlKind::DropDownList:
      return kComboBoxAtom;
    case ControlKind::Label:
      break;
  }
  return kStaticAtom;
}

DWORD ExtendedStyle(const ControlTemplate& control) {
  return control.kind == ControlKind::Edit && control.style.border ? WS_EX_CLIENTEDGE : 0;
}

}  // namespace

DWORD ControlWindowStyle(const ControlTemplate& control, bool firstOfRadioGroup) {
  DWORD style = WS_CHILD;
  if (!control.hidden) {
    style |= WS_VISIBLE;
  }
  if (control.disabled) {
    style |= WS_DISABLED;
  }
  if (control.kind != ControlKind::Label && control.kind != ControlKind::GroupBox) {
    style |= WS_TABSTOP;
  }
  // A run of radio buttons of one group is one group of the dialog manager
  // (arrow keys move within it); every other control stands alone.
  if (control.kind != ControlKind::RadioButton || firstOfRadioGroup) {
    style |= WS_GROUP;
  }
  const kv::ui::ControlStyle& flags = control.style;
  switch (control.kind) {
    case ControlKind::Label:
      style |= flags.centred ? SS_CENTER : flags.rightAligned ? SS_RIGHT : SS_LEFT;
      style |= flags.border ? WS_BORDER : 0;
      break;
    case ControlKind::Edit:
      style |= flags.centred ? ES_CENTER : flags.rightAligned ? ES_RIGHT : ES_LEFT;
      style |= flags.digitsOnly ? ES_NUMBER : 0;
      style |= flags.readOnly ? ES_READONLY : 0;
      style |= flags.autoHScroll ? ES_AUTOHSCROLL : 0;
      break;
    case ControlKind::CheckBox:
      style |= BS_AUTOCHECKBOX;
      break;
    case ControlKind::RadioButton:
      style |= BS_AUTORADIOBUTTON;
      break;
    case ControlKind::PushButton:
      style |= BS_PUSHBUTTON;
      break;
    case ControlKind::GroupBox:
      style |= BS_GROUPBOX;
      break;
    case ControlKind::DropDownList:
      style |= CBS_DROPDOWNLIST | (flags.vScroll ? WS_VSCROLL : 0);
      break;
  }
  return style;
}

std::vector<WORD> BuildDialogTemplate(const DialogTemplate& dialog, bool pageStyle) {
  Writer out;
  // A property sheet sizes its pages in the dialog units of its own font,
  // "MS Shell Dlg": a page drawn in another font would not fit the room the
  // sheet made for it and be cut off, so a page takes the sheet's font at the
  // template's size.
  const DWORD style = pageStyle ? DS_SHELLFONT | WS_CHILD | WS_DISABLED | WS_CAPTION
                                : DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  out.Dword(style);
  out.Dword(0);
  out.Word(static_cast<WORD>(dialog.controls.size()));
  out.Short(0);
  out.Short(0);
  out.Short(dialog.width);
  out.Short(dialog.height);
  out.Word(0);  // no menu
  out.Word(0);  // the dialog class
  out.Text(dialog.caption);
  out.Word(static_cast<WORD>(dialog.fontPointSize));
  out.Text(pageStyle ? std::string("MS Shell Dlg") : dialog.fontName);

  const ControlTemplate* previous = nullptr;
  for (const ControlTemplate& control : dialog.controls) {
    const bool firstOfGroup = !previous || previous->kind != ControlKind::RadioButton ||
                              previous->radioGroup != control.radioGroup;
    out.AlignDword();
    out.Dword(ControlWindowStyle(control, firstOfGroup));
    out.Dword(ExtendedStyle(control));
    out.Short(control.x);
    out.Short(control.y);
    out.Short(control.width);
    out.Short(control.kind == ControlKind::DropDownList ? control.height + kDropDownListHeight
                                                        : control.height);
    out.Word(static_cast<WORD>(control.id));  // kIdStatic is 0xFFFF, the platform's IDC_STATIC
    out.Word(0xFFFF);
    out.Word(ClassAtom(control.kind));
    out.Text(control.text);
    out.Word(0);  // no creation data
    previous = &control;
  }
  return out.Take();
}

}  // namespace kv::ui::win32
