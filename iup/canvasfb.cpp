// The toolkit's side of the window-canvas framebuffers: which canvas
// element draws into which framebuffer, the damage list, the picture the
// headless driver shows, and the host table the canvas drivers call.
#include <algorithm>
#include <cstring>
#include <map>

#include "iupcanvasfb.h"
#include "iupcore.h"
#include "iupdriver.h"

namespace iup::canvasfb {
namespace {

struct Entry {
  Framebuffer* fb = nullptr;
  void* handle = nullptr;
  int shown_w = 0, shown_h = 0;
  std::vector<unsigned char> r, g, b;  // what the headless window shows
};

struct Store {
  std::map<int, Entry> entries;  // by element serial: elements may go
  std::vector<int> damaged;
  DamageHook hook = nullptr;
  ClientSizeHook client_size = nullptr;
  double xres = 3.78, yres = 3.78;
};

Store& St() {
  static Store store;
  return store;
}

int MappedCanvas(IupElement* e) {
  if (e == nullptr || IupGetKind(e) != IUP_CANVAS || IupGetAttribute(e, "WID") == nullptr) return 0;
  return IupGetSerial(e);
}

// the mapped CANVAS at or below e whose native window is `window`, or 0
int CanvasBelow(IupElement* e, void* window) {
  for (; e != nullptr; e = IupGetBrother(e)) {
    if (IupGetKind(e) == IUP_CANVAS && IupGetAttributePointer(e, "WID") == window)
      return MappedCanvas(e);
    if (int serial = CanvasBelow(IupGetChild(e), window)) return serial;
  }
  return 0;
}

// Any driver's "WID" of a canvas: the canvases of every dialog are searched.
int CanvasOfWindow(void* window) {
  if (window == nullptr) return 0;
  for (IupElement* dialog : Dialogs())
    if (int serial = CanvasBelow(IupGetChild(dialog), window)) return serial;
  return 0;
}

Geometry GeometryOf(int serial) {
  Geometry g;
  if (IupElement* e = IupFromSerial(serial)) {
    g.width = std::max(0, IupGetCurrentWidth(e));
    g.height = std::max(0, IupGetCurrentHeight(e));
    if (St().client_size != nullptr) {
      St().client_size(e, &g.width, &g.height);
      g.width = std::max(0, g.width), g.height = std::max(0, g.height);
    }
  }
  g.xres = St().xres, g.yres = St().yres;
  return g;
}

void Attach(int serial, Framebuffer* fb, void* handle) {
  Store& s = St();
  IupElement* e = IupFromSerial(serial);
  if (fb == nullptr) {
    s.entries.erase(serial);
    s.damaged.erase(std::remove(s.damaged.begin(), s.damaged.end(), serial), s.damaged.end());
    if (e != nullptr) IupSetAttributePointer(e, "_CD_CANVAS", nullptr);
    return;
  }
  Entry& entry = s.entries[serial];
  entry.fb = fb, entry.handle = handle;
  if (e != nullptr) IupSetAttributePointer(e, "_CD_CANVAS", handle);
}

void Damaged(int serial) {
  Store& s = St();
  if (s.entries.count(serial) == 0) return;
  if (std::find(s.damaged.begin(), s.damaged.end(), serial) == s.damaged.end())
    s.damaged.push_back(serial);
  if (s.hook != nullptr)
    if (IupElement* e = IupFromSerial(serial)) s.hook(e);
}

const Host kHost = {MappedCanvas, CanvasOfWindow, GeometryOf, Attach, Damaged};

}  // namespace

void InstallHost() {
  CurrentHost() = &kHost;
}

Framebuffer* Attached(IupElement* element) {
  auto it = St().entries.find(IupGetSerial(element));
  return it != St().entries.end() ? it->second.fb : nullptr;
}

std::vector<IupElement*> TakeDamage() {
  std::vector<IupElement*> out;
  for (int serial : St().damaged)
    if (IupElement* e = IupFromSerial(serial)) out.push_back(e);
  St().damaged.clear();
  return out;
}

void SetDamageHook(DamageHook hook) {
  St().hook = hook;
}
void SetClientSizeHook(ClientSizeHook hook) {
  St().client_size = hook;
}

void SetResolution(double xres, double yres) {
  St().xres = xres > 0 ? xres : 3.78;
  St().yres = yres > 0 ? yres : 3.78;
}

void PresentDamaged() {
  for (IupElement* e : TakeDamage()) {
    auto it = St().entries.find(IupGetSerial(e));
    if (it == St().entries.end() || it->second.fb == nullptr) continue;
    Entry& entry = it->second;
    Framebuffer& fb = *entry.fb;
    entry.shown_w = fb.width, entry.shown_h = fb.height;
    entry.r = fb.r, entry.g = fb.g, entry.b = fb.b;
    fb.damaged = false;
  }
}

bool Shown(IupElement* element, int* width, int* height, const unsigned char** r,
           const unsigned char** g, const unsigned char** b) {
  auto it = St().entries.find(IupGetSerial(element));
  if (it == St().entries.end() || it->second.shown_w == 0) return false;
  const Entry& entry = it->second;
  *width = entry.shown_w, *height = entry.shown_h;
  *r = entry.r.data(), *g = entry.g.data(), *b = entry.b.data();
  return true;
}

}  // namespace iup::canvasfb
