// The platform the toolkit runs on: the driver the program installed. The
// core knows no driver of its own; until one is installed, core calls reach
// an inert stand-in that shows nothing and delivers no event, and IupOpen
// refuses to open.
#include <cstdio>

#include "iupcore.h"

namespace iup {
namespace {

// What core calls reach with no driver installed: nothing is created, shown
// or delivered, so a program that forgot to install one fails in IupOpen
// instead of crashing on the first element.
class NoPlatform final : public Driver {
 public:
  const char* Name() const override { return "None"; }
  const char* SystemName() const override { return "None"; }
  void Open() override {}
  void Shutdown() override {}
  const char* SystemColour(Colour) override { return "0 0 0"; }
  void CharSize(IupElement*, int* char_width, int* char_height) override {
    *char_width = 1;
    *char_height = 1;
  }
  int TextWidth(IupElement*, const char*) override { return 0; }
  ScreenMetrics Screen() override { return {}; }
  void* Create(IupElement*, IupElement*) override { return nullptr; }
  void Destroy(IupElement*) override {}
  void Move(IupElement*, int, int, int, int) override {}
  void PlaceDialog(IupElement*, int, int, int, int) override {}
  void DialogPosition(IupElement*, int* x, int* y) override { *x = *y = 0; }
  void Repaint(IupElement*) override {}
  void SetVisible(IupElement*, bool) override {}
  bool IsVisible(IupElement*) override { return false; }
  void SetEnabled(IupElement*, bool) override {}
  void SetFocus(IupElement*) override {}
  IupElement* GetFocus() override { return nullptr; }
  void Activate(IupElement*) override {}
  IupElement* ActiveDialog() override { return nullptr; }
  void SetAttribute(IupElement*, const char*, const char*) override {}
  DriverValue GetAttribute(IupElement*, const char*) override { return {}; }
  bool DeliverOne() override { return false; }
  bool WaitEvent() override { return false; }
  IupElement* TrackMenu(IupElement*, int, int) override { return nullptr; }
  void MessageBox(IupElement*, const char*, const char*) override {}
  FileAnswer ChooseFile(IupElement*, const FileRequest&) override { return {}; }
};

std::unique_ptr<Driver>& Slot() {
  static auto* slot = new std::unique_ptr<Driver>;
  return *slot;
}

}  // namespace

bool InstallDriver(std::unique_ptr<Driver> driver) {
  if (driver == nullptr || GlobalElement() != nullptr) return false;
  Slot() = std::move(driver);
  return true;
}

Driver& Drv() {
  static auto* none = new NoPlatform;
  if (Slot() == nullptr) return *none;
  return *Slot();
}

Driver* CurrentDriver() {
  return Slot().get();
}

}  // namespace iup
