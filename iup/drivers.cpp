// The one place that knows the platform drivers: IupOpen's choice of driver.
// IUP_DRIVER=headless forces the headless driver (the only one so far).
#include <cstdlib>
#include <cstring>

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
  (void)forced;  // every choice is headless until a windowing driver exists
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
