#include "accessible_names.h"

// clang-format off
#include <initguid.h>
#include <oleacc.h>
// clang-format on

#include <optional>

#include "system_functions.h"

namespace kv::ui::win32 {

namespace {

constexpr UINT_PTR kSubclassId = 0x4B56;

// The system's object for a control with another name: every question but
// the control's own name goes to the system's object.
class NamedAccessible final : public IAccessible, public IOleWindow {
 public:
  NamedAccessible(IAccessible* standard, HWND window, std::wstring name,
                  std::optional<std::wstring> value)
      : standard_(standard), window_(window), name_(std::move(name)), value_(std::move(value)) {
    standard_->AddRef();
  }
  NamedAccessible(const NamedAccessible&) = delete;
  NamedAccessible& operator=(const NamedAccessible&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) {
      return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID_IAccessible)) {
      *out = static_cast<IAccessible*>(this);
    } else if (IsEqualIID(iid, IID_IOleWindow)) {
      *out = static_cast<IOleWindow*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
      delete this;
    }
    return static_cast<ULONG>(left);
  }

  // IOleWindow: how a reader finds the window of the object.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (!window) {
      return E_POINTER;
    }
    *window = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return standard_->GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return standard_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    return standard_->GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* badArgument) override {
    return standard_->Invoke(id, iid, locale, flags, params, result, exception, badArgument);
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!name) {
      return E_POINTER;
    }
    if (child.vt == VT_I4 && child.lVal == CHILDID_SELF) {
      *name = SysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
      return *name ? S_OK : E_OUTOFMEMORY;
    }
    return standard_->get_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return standard_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    return standard_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    return standard_->get_accChild(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (value && value_ && child.vt == VT_I4 && child.lVal == CHILDID_SELF) {
      *value = SysAllocStringLen(value_->data(), static_cast<UINT>(value_->size()));
      return *value ? S_OK : E_OUTOFMEMORY;
    }
    return standard_->get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return standard_->get_accDescription(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return standard_->get_accRole(child, role);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return standard_->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return standard_->get_accHelp(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
    return standard_->get_accKeyboardShortcut(child, keys);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    return standard_->get_accFocus(child);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return standard_->get_accSelection(children);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return standard_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    return standard_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    return standard_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override {
    return standard_->accHitTest(left, top, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return standard_->accDoDefaultAction(child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return standard_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return standard_->put_accValue(child, value);
  }

 private:
  ~NamedAccessible() { standard_->Release(); }

  IAccessible* standard_;
  HWND window_;
  std::wstring name_;
  std::optional<std::wstring> value_;
  LONG references_ = 1;
};

LRESULT CALLBACK NamedControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR /*id*/, DWORD_PTR answer) {
  const OleaccFunctions& oleacc = Oleacc();
  // OBJID_CLIENT comes as a 32-bit value, sign-extended or not.
  if (message == WM_GETOBJECT &&
      static_cast<LONG>(static_cast<DWORD>(lParam)) == static_cast<LONG>(OBJID_CLIENT) &&
      oleacc.createStdAccessibleObject && oleacc.lresultFromObject) {
    IAccessible* standard = nullptr;
    if (SUCCEEDED(oleacc.createStdAccessibleObject(window, OBJID_CLIENT, IID_IAccessible,
                                                   reinterpret_cast<void**>(&standard)))) {
      const auto& given = *reinterpret_cast<const AccessibleAnswer*>(answer);
      auto* named = new NamedAccessible(
          standard, window, given.name,
          given.hasValue ? std::optional<std::wstring>(given.value) : std::nullopt);
      standard->Release();
      const LRESULT result =
          oleacc.lresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(named));
      static_cast<IAccessible*>(named)->Release();
      return result;
    }
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &NamedControlProc, kSubclassId);
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

AccessibleNames::~AccessibleNames() {
  Clear();
  if (store_) {
    store_->Release();
  }
  if (comStarted_) {
    CoUninitialize();
  }
}

void AccessibleNames::Start() {
  if (started_) {
    return;
  }
  started_ = true;
  // The objects handed to readers are marshalled by COM on this thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  comStarted_ = SUCCEEDED(com);
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IAccPropServices, reinterpret_cast<void**>(&store_)))) {
    store_ = nullptr;
  }
}

void AccessibleNames::Name(HWND control, const std::wstring& name) {
  if (!control) {
    return;
  }
  Start();
  auto& entry = names_[control];
  const bool first = !entry;
  if (first) {
    entry = std::make_unique<Entry>();
  } else if (entry->answer.name == name) {
    return;
  }
  entry->answer.name = name;
  if (store_ && (first || entry->annotated)) {
    entry->annotated = SUCCEEDED(store_->SetHwndPropStr(
        control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, name.c_str()));
  }
  if (first && !entry->annotated) {
    SetWindowSubclass(control, &NamedControlProc, kSubclassId,
                      reinterpret_cast<DWORD_PTR>(&entry->answer));
  }
  if (!first) {
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
  }
}

void AccessibleNames::Value(HWND control, const std::wstring& value) {
  const auto found = names_.find(control);
  if (found == names_.end()) {
    return;
  }
  Entry& entry = *found->second;
  if (entry.answer.hasValue && entry.answer.value == value) {
    return;
  }
  entry.answer.value = value;
  entry.answer.hasValue = true;
  if (entry.annotated) {
    store_->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                           PROPID_ACC_VALUE, value.c_str());
  }
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
}

bool AccessibleNames::Annotated(HWND control) const {
  const auto found = names_.find(control);
  return found != names_.end() && found->second->annotated;
}

void AccessibleNames::Clear() {
  for (const auto& [control, entry] : names_) {
    if (!IsWindow(control)) {
      continue;
    }
    if (entry->annotated) {
      MSAAPROPID given[] = {PROPID_ACC_NAME, PROPID_ACC_VALUE};
      store_->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, given,
                             entry->answer.hasValue ? 2 : 1);
    } else {
      RemoveWindowSubclass(control, &NamedControlProc, kSubclassId);
    }
  }
  names_.clear();
}

}  // namespace kv::ui::win32
