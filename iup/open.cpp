// Opening and closing the toolkit: the global element and its attributes,
// the installed driver and the file dialog class.
#include <cstdio>
#include <cstdlib>

#include "iupcore.h"

namespace iup {
namespace {

bool exit_handler_registered = false;

void ShutdownAtExit() {
  if (GlobalElement() != nullptr && CurrentDriver() != nullptr) CurrentDriver()->Shutdown();
}

}  // namespace
}  // namespace iup

int IupOpen(void) {
  if (iup::GlobalElement() != nullptr) return 0;
  if (!iup::exit_handler_registered) {
    std::atexit(iup::ShutdownAtExit);
    iup::exit_handler_registered = true;
  }
  if (iup::CurrentDriver() == nullptr) {
    // the program chooses the platform; without one nothing could be shown
    std::fputs("IupOpen: no driver installed!\n", stderr);
    return 1;
  }
  iup::Driver& driver = *iup::CurrentDriver();
  iup::SetGlobalElement(iup::NewElement(IUP_USER, 0));
  IupSetGlobal("VERSION", "1.8.3");
  IupSetGlobal("DRIVER", driver.Name());
  IupSetGlobal("SYSTEM", driver.SystemName());
  const iup::ScreenMetrics screen = driver.Screen();
  char size[32];
  std::snprintf(size, sizeof size, "%dx%d", screen.work_width, screen.work_height);
  IupSetGlobalCopy("SCREENSIZE", size);
  IupSetGlobal("WIN_DEFAULTFONT", "MS Sans Serif::8");
  IupFileDlgOpen();
  driver.Open();
  // the version dialog ("IUP_VERSION") is shown by the host right after IupOpen
  return 0;
}

void IupClose(void) {
  IupElement* global = iup::GlobalElement();
  if (global == nullptr) return;
  if (iup::CurrentDriver() != nullptr) iup::CurrentDriver()->Shutdown();
  IupDestroy(global);
  iup::SetGlobalElement(nullptr);
}
