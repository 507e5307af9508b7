// Internals shared by the toolkit core's modules: the element record, the
// attribute tables and registries, and the core operations the modules call
// on one another. Drivers use iupdriver.h, never this header.
#ifndef VARKO_IUP_IUPCORE_H
#define VARKO_IUP_IUPCORE_H

#include <memory>
#include <string>
#include <vector>

#include "iup.h"
#include "iupdriver.h"

namespace iup {

// Bucket index of a name: bytes are taken as signed char, the arithmetic is
// unsigned, so the index is never negative.
unsigned HashIndex(const char* name, unsigned buckets);

// Names compare by pointer first, then by text.
bool SameName(const char* a, const char* b);

// A chained hash table with a fixed bucket count: new entries go to the
// head of their bucket; iteration is in bucket order.
struct AttrEntry {
  const char* name = nullptr;  // from the name pool
  const char* value = nullptr;
  bool owned = false;    // value was allocated by the table
  bool pointer = false;  // value is an opaque pointer, never text
  AttrEntry* next = nullptr;
};

class AttrTable {
 public:
  explicit AttrTable(unsigned buckets);
  ~AttrTable();
  AttrTable(const AttrTable&) = delete;
  AttrTable& operator=(const AttrTable&) = delete;

  AttrEntry* Find(const char* name) const;
  const char* Get(const char* name) const;
  void Set(const char* name, const char* value, bool copy, bool pointer = false);
  void Remove(const char* name);
  unsigned Buckets() const { return static_cast<unsigned>(buckets_.size()); }
  template <typename F>
  void ForEach(F&& f) const {
    for (AttrEntry* head : buckets_)
      for (AttrEntry* e = head; e != nullptr; e = e->next) f(*e);
  }

 private:
  std::vector<AttrEntry*> buckets_;
};

// A registry from names (interned, so they outlive any caller's text) to
// values, with the same hashing and order as the attribute tables.
template <typename V>
class Registry {
 public:
  explicit Registry(unsigned buckets) : buckets_(buckets) {}
  struct Entry {
    const char* name;
    V value;
  };
  V Get(const char* name) const {
    for (const Entry& e : buckets_[Index(name)])
      if (SameName(e.name, name)) return e.value;
    return V{};
  }
  // Binds (a value-initialised V unbinds); returns the previous value.
  V Set(const char* name, V value);
  template <typename F>
  void ForEach(F&& f) const {
    for (const auto& bucket : buckets_)
      for (const Entry& e : bucket) f(e.name, e.value);
  }
  void Clear() {
    for (auto& bucket : buckets_) bucket.clear();
  }

 private:
  unsigned Index(const char* name) const {
    return HashIndex(name, static_cast<unsigned>(buckets_.size()));
  }
  // each bucket is kept newest first
  std::vector<std::vector<Entry>> buckets_;
};

template <typename V>
V Registry<V>::Set(const char* name, V value) {
  auto& bucket = buckets_[Index(name)];
  for (auto it = bucket.begin(); it != bucket.end(); ++it) {
    if (!SameName(it->name, name)) continue;
    V old = it->value;
    if (value == V{})
      bucket.erase(it);
    else
      it->value = value;
    return old;
  }
  if (!(value == V{})) bucket.insert(bucket.begin(), Entry{IupInternName(name), value});
  return V{};
}

Registry<IupElement*>& Handles();
Registry<IupCallback>& Actions();

}  // namespace iup

struct IupControlClass {
  std::string name;
  const char* format = nullptr;
  IupSetNaturalSizeMethod set_natural_size = nullptr;
  IupSetCurrentSizeMethod set_current_size = nullptr;
  IupGetSizeMethod get_size = nullptr;
  IupSetPositionMethod set_position = nullptr;
  IupCreateMethod create = nullptr;
  IupDestroyMethod destroy = nullptr;
  IupMapMethod map = nullptr;
  IupUnmapMethod unmap = nullptr;
  IupSetAttrMethod set_attr = nullptr;
  IupGetAttrMethod get_attr = nullptr;
  IupGetDefaultAttrMethod get_default_attr = nullptr;
  IupPopupMethod popup = nullptr;
};

struct IupElement {
  int serial = 0;
  int kind = IUP_UNKNOWN;
  std::unique_ptr<iup::AttrTable> attributes;
  IupControlClass* control_class = nullptr;
  void* native = nullptr;  // mapped exactly when not null
  int expand = 0;
  int x = 0, y = 0;
  int natural_width = 0, natural_height = 0;
  int current_width = 0, current_height = 0;
  void* data = nullptr;
  IupElement* brother = nullptr;
  IupElement* first_child = nullptr;
  IupElement* parent = nullptr;
  // core bookkeeping
  bool shown = false;                 // a dialog counted in the visible-dialog count
  bool driver_object = false;         // native handle made by Driver::Create
  std::vector<unsigned char> pixels;  // IMAGE pixel indices (data points here)
};

namespace iup {

// A bound callback called with the signature its name documents.
template <typename T>
T As(IupCallback cb) {
  return reinterpret_cast<T>(reinterpret_cast<void (*)(void)>(cb));
}

// ---- elements ------------------------------------------------------------
IupElement* NewElement(int kind, unsigned buckets);
const char* KindName(int kind);
bool IsMapped(const IupElement* e);
bool IsAlive(int serial, const IupElement* e);  // still the same live element
const std::vector<IupElement*>& Dialogs();      // newest first
bool IsBoxKind(int kind);  // HBOX VBOX ZBOX FILL RADIO: share the dialog's handle
bool HasNativeObject(int kind);

// ---- attributes ------------------------------------------------------------
// Store (no driver): copy or not; null removes.
void StoreOwn(IupElement* e, const char* name, const char* value, bool copy);
// The set path after storing: class "SETATTR", or the core's native
// handling and the driver setter, then the descent into children.
void PassOn(IupElement* e, const char* name, const char* value);
// Boolean reading of a value: -1 unset or other, 0 NO/OFF, 1 YES/ON.
int ReadBool(const char* value);
bool EqualNoCase(const char* a, const char* b);
// Own "RASTERSIZE"/"SIZE" in pixels; bit 1 width given, bit 2 height given.
int OwnSize(IupElement* e, int* width, int* height);
// Colour of an IMAGE index ("0".."15" or the fixed palette).
void ImageColour(IupElement* image, int index, int* r, int* g, int* b);

// ---- driver ------------------------------------------------------------------
// The installed driver, or an inert stand-in while none is (IupOpen then
// refuses to open).
Driver& Drv();

// ---- layout ------------------------------------------------------------------
void CharSize(IupElement* e, int* cw, int* ch);
void Layout(IupElement* e);  // dialog layout or subtree layout
void MovePass(IupElement* e, bool mapping);
void DialogClientResized(IupElement* dialog, int width, int height);
// Lays a mapped dialog out from its own "SIZE"/"RASTERSIZE" just set, not
// from its live client size.
void RelayoutFromOwnSize(IupElement* dialog);

// ---- dialogs and loop ---------------------------------------------------------
void Unmap(IupElement* e);              // releases native resources of a subtree
void ForgetDialog(IupElement* dialog);  // out of the shown list, popup stack, count
void CloseProcedure(IupElement* source);
void PostQuit();
// One loop step. Reports what happened.
enum class StepReport { Event, Idle, Nothing, End };
StepReport Step(bool blocking);
// Runs blocking steps in a loop of its own until one reports the end (a
// quit request ends the innermost loop) or, when watch is given, until
// *watch becomes null.
void RunLoop(IupElement* const* watch);
// Places a mapped dialog at show position (x, y) and makes it visible.
void PlaceAndShow(IupElement* dialog, int x, int y);
bool PopupActive();
int VisibleDialogs();
// Whether dialog runs as a popup now.
bool IsPopupDialog(IupElement* dialog);
// After a callback returned r: IUP_CLOSE runs the Close procedure (source
// is passed only while it is still alive).
void AfterCallback(int r, int serial, IupElement* source);
// Calls the callback an element's attribute names (null when none).
IupCallback FindCallback(IupElement* e, const char* name);
void ApplyVisible(IupElement* dialog, const char* value);

// ---- keys ---------------------------------------------------------------------
bool IsFocusable(IupElement* e);

// ---- process-wide globals element ----------------------------------------------
IupElement* GlobalElement();
void SetGlobalElement(IupElement* e);

}  // namespace iup

#endif
