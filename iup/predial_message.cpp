// IupMessage (the driver's message box) and the version dialog.
#include "iupdriver.h"
#include "predial.h"

void IupMessage(const char* title, const char* text) {
  iup::Driver* driver = iup::CurrentDriver();
  if (driver == nullptr) return;
  driver->MessageBox(driver->ActiveDialog(), title ? title : "", text ? text : "");
}

namespace {

int VersionOk(IupElement*) {
  return IUP_CLOSE;
}

}  // namespace

void IupVersionDialog(void) {
  using namespace iup::predial;
  IupElement* version = IupCreateLabel(nullptr);
  IupSetAttributeCopyF(version, "TITLE", English() ? "version %s" : "vers\xe3o %s", "1.8.3");
  IupElement* ok = IupCreateButton("Ok", "okbuttonversion_cb");
  IupBindAction("okbuttonversion_cb", AsCallback(VersionOk));
  IupElement* column = Vbox({IupCreateLabel("IUP/Windows"), version,
                             IupCreateLabel(English() ? "5/31/99" : "31/5/99"), ok});
  IupSetAttribute(column, "GAP", "3");
  IupElement* dialog = IupCreateDialog(column);
  IupSetAttribute(dialog, "TITLE", English() ? "IUP/Windows Version" : "Vers\xe3o do IUP/Windows");
  for (const char* name : {"MENUBOX", "MINBOX", "MAXBOX"}) IupSetAttribute(dialog, name, "NO");
  RunAndDestroy(dialog);
}
