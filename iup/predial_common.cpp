// What the predefined dialogs share: the language switch, the frame they
// are built in, the shared result and the close box.
#include <cstdlib>
#include <vector>

#include "predial.h"

namespace iup::predial {

bool English() {
  return std::getenv("IUP_INGLES") != nullptr;
}
const char* ConfirmText() {
  return English() ? "Ok" : "Confirma";
}
const char* CancelText() {
  return English() ? "Cancel" : "Cancela";
}

int& Result() {
  static int result = 0;
  return result;
}

IupElement* Pad() {
  IupElement* fill = IupCreateFill();
  IupSetAttribute(fill, "SIZE", "10");
  return fill;
}

IupElement* Spring() {
  return IupCreateFill();
}

IupElement* DialogButton(const char* title, const char* action, const char* handle,
                         IupCallback callback) {
  IupElement* button = IupCreateButton(title, action);
  IupSetAttribute(button, "SIZE", "40x");
  IupSetHandle(handle, button);
  IupBindAction(action, callback);
  return button;
}

namespace {

std::vector<IupElement*> Present(std::initializer_list<IupElement*> children) {
  std::vector<IupElement*> list;
  for (IupElement* child : children)
    if (child != nullptr) list.push_back(child);
  return list;
}

int CloseBoxCallback(IupElement* dialog) {
  Result() = IupGetAttributeInt(dialog, "IUPPREDIAL_CANCEL");
  return IUP_CLOSE;
}

}  // namespace

IupElement* Hbox(std::initializer_list<IupElement*> children) {
  std::vector<IupElement*> list = Present(children);
  return IupCreateHboxv(list.data(), static_cast<int>(list.size()));
}

IupElement* Vbox(std::initializer_list<IupElement*> children) {
  std::vector<IupElement*> list = Present(children);
  return IupCreateVboxv(list.data(), static_cast<int>(list.size()));
}

void FixedDialogAttributes(IupElement* dialog) {
  for (const char* name : {"MENUBOX", "MINBOX", "MAXBOX", "RESIZE"})
    IupSetAttribute(dialog, name, "NO");
  IupSetAttribute(dialog, "BORDER", "YES");
}

IupElement* FramedDialog(IupElement* content, IupElement* buttons) {
  IupElement* column = Vbox({Spring(), Pad(), content, Spring(), Pad(), buttons, Spring(), Pad()});
  IupElement* dialog =
      IupCreateDialog(IupCreateFrame(Hbox({Spring(), Pad(), column, Spring(), Pad()})));
  FixedDialogAttributes(dialog);
  return dialog;
}

void RunAndDestroy(IupElement* dialog) {
  IupPopup(dialog, IUP_CENTER, IUP_CENTER);
  IupDestroy(dialog);
}

void CloseBoxReports(IupElement* dialog, int cancel_result) {
  IupSetAttributeCopyF(dialog, "IUPPREDIAL_CANCEL", "%d", cancel_result);
  IupSetAttribute(dialog, "CLOSE_CB", "iup_cb_closebox");
  IupBindAction("iup_cb_closebox", AsCallback(CloseBoxCallback));
}

}  // namespace iup::predial
