// Key names and codes, key dispatch from the focused element through its
// ancestors, the dialog's own keys (default buttons, Tab), and focus.
// (IupMessage lives with the predefined dialogs.)
#include <cstdio>
#include <cstring>
#include <string>

#include "iupcore.h"
#include "keytable.h"

const char* IupKeyName(int code) {
  for (int i = 0; i < iup::kKeyNameCount; ++i)
    if (iup::kKeyNames[i].code == code) return iup::kKeyNames[i].name;
  static char text[8];
  std::snprintf(text, sizeof text, "%c", static_cast<char>(code));
  return text;
}

int IupKeyCode(const char* name) {
  if (name == nullptr) return 0;
  for (int i = 0; i < iup::kKeyNameCount; ++i)
    if (std::strcmp(iup::kKeyNames[i].name, name) == 0) return iup::kKeyNames[i].code;
  return 0;
}

namespace iup {

bool IsFocusable(IupElement* e) {
  if (e == nullptr || !IsMapped(e)) return false;
  switch (e->kind) {
    case IUP_BUTTON:
    case IUP_CANVAS:
    case IUP_LIST:
    case IUP_TEXT:
    case IUP_MULTILINE:
    case IUP_TOGGLE:
      break;
    default:
      return false;
  }
  if (ReadBool(IupGetAttribute(e, "ACTIVE")) == 0) return false;
  for (IupElement* up = e; up != nullptr && up->kind != IUP_DIALOG; up = up->parent)
    if (ReadBool(IupGetOwnAttribute(up, "VISIBLE")) == 0) return false;
  return true;
}

namespace event {

namespace {
IupElement* key_handler_owner = nullptr;
}

IupElement* KeyHandlerOwner() {
  return key_handler_owner;
}

namespace {
// "MODKEYSTATE" for the key being offered, the outer key's back after it
// (a callback may run a nested loop that offers keys of its own)
class ModifierState {
 public:
  explicit ModifierState(const char* modifiers) {
    const char* outer = IupGetGlobal("MODKEYSTATE");
    outer_ = outer != nullptr ? outer : "   ";
    IupSetGlobalCopy("MODKEYSTATE", modifiers != nullptr ? modifiers : "   ");
  }
  ~ModifierState() { IupSetGlobalCopy("MODKEYSTATE", outer_.c_str()); }
  ModifierState(const ModifierState&) = delete;
  ModifierState& operator=(const ModifierState&) = delete;

 private:
  std::string outer_;
};
}  // namespace

KeyOutcome Key(IupElement* focused, int code, const char* modifiers) {
  if (focused == nullptr) return KeyOutcome::Pass;
  const ModifierState held(modifiers);
  const int serial = focused->serial;
  const char* name = IupKeyName(code);
  const std::string key_name = name;  // the name text is reused by the next call
  int r = IUP_DEFAULT;
  for (IupElement* up = focused; up != nullptr; up = up->parent) {
    // own values only: an inherited handler is met at the ancestor holding it
    const char* action = IupGetOwnAttribute(up, key_name.c_str());
    if (action == nullptr) action = IupGetOwnAttribute(up, "K_ANY");
    if (action == nullptr) continue;
    IupCallback cb = IupFindAction(action);
    if (cb == nullptr) continue;
    const int up_serial = up->serial;
    IupElement* outer_owner = key_handler_owner;  // a callback may run a nested loop
    key_handler_owner = up;
    r = As<IupCallbackI>(cb)(focused, code);
    key_handler_owner = outer_owner;
    if (r != IUP_CONTINUE) break;
    if (!IsAlive(serial, focused) || !IsAlive(up_serial, up)) return KeyOutcome::Drop;
    r = IUP_DEFAULT;
  }
  if (r == IUP_CLOSE) {
    if (IsAlive(serial, focused)) {
      if (IupElement* dialog = IupGetDialog(focused))
        CloseBox(dialog);
      else
        CloseProcedure(focused);
    } else {
      CloseProcedure(nullptr);
    }
    return KeyOutcome::Closed;
  }
  if (r == IUP_IGNORE || !IsAlive(serial, focused)) return KeyOutcome::Drop;
  return KeyOutcome::Pass;
}

namespace {

void CollectFocusable(IupElement* e, std::vector<IupElement*>* out) {
  for (; e != nullptr; e = e->brother) {
    if (IsFocusable(e)) out->push_back(e);
    CollectFocusable(e->first_child, out);
  }
}

}  // namespace

bool DialogKey(IupElement* focused, int code) {
  IupElement* dialog = IupGetDialog(focused);
  if (dialog == nullptr && focused != nullptr && focused->kind == IUP_DIALOG) dialog = focused;
  if (dialog == nullptr) return false;
  if (code == K_CR || code == K_ESC) {
    IupElement* button =
        IupGetHandle(IupGetAttribute(dialog, code == K_CR ? "DEFAULTENTER" : "DEFAULTESC"));
    if (button == nullptr || button->kind != IUP_BUTTON || IupGetDialog(button) != dialog)
      return false;
    if (ReadBool(IupGetAttribute(button, "ACTIVE")) == 0) return true;
    ButtonPressed(button);
    return true;
  }
  if (code == K_TAB || code == K_sTAB) {
    std::vector<IupElement*> order;
    CollectFocusable(dialog->first_child, &order);
    if (order.empty()) return true;
    size_t at = 0;
    while (at < order.size() && order[at] != focused) ++at;
    size_t next;
    if (at == order.size())
      next = code == K_TAB ? 0 : order.size() - 1;
    else if (code == K_TAB)
      next = (at + 1) % order.size();
    else
      next = (at + order.size() - 1) % order.size();
    IupSetFocus(order[next]);
    return true;
  }
  return false;
}

}  // namespace event
}  // namespace iup

IupElement* IupSetFocus(IupElement* e) {
  IupElement* previous = iup::Drv().GetFocus();
  if (e != nullptr && iup::IsMapped(e)) iup::Drv().SetFocus(e);
  return previous;
}

IupElement* IupGetFocus(void) {
  return iup::Drv().GetFocus();
}
