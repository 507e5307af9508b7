// The one place that knows the platform drivers: IupOpen's choice of driver.
// GTK is the default; IUP_DRIVER=headless forces the headless driver, which
// also stands in when no display can be opened (the host then tells).
#include <cstdlib>
#include <cstring>

#include "gtk/gtkdriver.h"
#include "headless/headless.h"
#include "iupcore.h"

namespace iup {
namespace {

std::unique_ptr<Driver>& Slot() {
  static auto* slot = new std::unique_ptr<Driver>;
  return *slot;
}

std::unique_ptr<Driver> MakeDriver() {
  const char* forced = std::getenv("IUP_DRIVER");
  if (forced != nullptr && std::strcmp(forced, "headless") == 0) return headless::NewDriver();
  if (auto native = gtk::NewDriver()) return native;
  return headless::NewDriver();
}

}  // namespace

void SelectDriver() {
  if (Slot() == nullptr) Slot() = MakeDriver();
}

Driver& Drv() {
  if (Slot() == nullptr) SelectDriver();
  return *Slot();
}

Driver* CurrentDriver() {
  return Slot().get();
}

}  // namespace iup
