// The element tree: the element registry, the constructors of the native
// kinds, the tree operations and destruction.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "iupcore.h"

namespace iup {
namespace {

constexpr int kFirstSerial = 50;
int next_serial = kFirstSerial;

// Indexed by serial - 50; grows as needed, so the number of elements of a
// run is not bounded by a fixed table.
std::vector<IupElement*>& ElementSlots() {
  static auto* slots = new std::vector<IupElement*>;
  return *slots;
}

std::vector<IupElement*>& DialogList() {
  static auto* list = new std::vector<IupElement*>;
  return *list;
}

const char* const kKindNames[] = {
    "UNKNOWN", "COLOR", "IMAGE",     "BUTTON",  "CANVAS",    "DIALOG",    "FILL", "FRAME",
    "HBOX",    "ITEM",  "SEPARATOR", "SUBMENU", "KEYACTION", "LABEL",     "LIST", "MENU",
    "RADIO",   "TEXT",  "TOGGLE",    "VBOX",    "ZBOX",      "MULTILINE", "USER"};

void LinkLast(IupElement* parent, IupElement* child) {
  child->parent = parent;
  child->brother = nullptr;
  IupElement** link = &parent->first_child;
  while (*link != nullptr) link = &(*link)->brother;
  *link = child;
}

void SetCopy(IupElement* e, const char* name, const char* value) {
  if (e != nullptr && value != nullptr) IupSetAttributeCopy(e, name, value);
}

IupElement* WithTitleAndAction(int kind, const char* title, const char* action) {
  IupElement* e = NewElement(kind, 5);
  SetCopy(e, "TITLE", title);
  SetCopy(e, "ACTION", action);
  return e;
}

IupElement* WithChild(int kind, IupElement* child) {
  IupElement* e = NewElement(kind, 5);
  if (e != nullptr && child != nullptr) {
    if (child->parent != nullptr) IupDetach(child);
    LinkLast(e, child);
  }
  return e;
}

IupElement* WithChildren(int kind, IupElement* const* children, int count) {
  IupElement* e = NewElement(kind, 5);
  if (e == nullptr) return nullptr;
  for (int i = 0; i < count; ++i) {
    if (children[i] == nullptr) continue;
    if (children[i]->parent != nullptr) IupDetach(children[i]);
    LinkLast(e, children[i]);
  }
  return e;
}

IupElement* WithChildList(int kind, IupElement* first, va_list args) {
  std::vector<IupElement*> children;
  for (IupElement* c = first; c != nullptr; c = va_arg(args, IupElement*)) children.push_back(c);
  return WithChildren(kind, children.data(), static_cast<int>(children.size()));
}

}  // namespace

IupElement* NewElement(int kind, unsigned buckets) {
  auto* e = new (std::nothrow) IupElement;
  if (e == nullptr) return nullptr;
  e->serial = next_serial++;
  e->kind = kind;
  if (buckets > 0) e->attributes = std::make_unique<AttrTable>(buckets);
  ElementSlots().push_back(e);
  return e;
}

const char* KindName(int kind) {
  return kind >= 0 && kind <= IUP_USER ? kKindNames[kind] : kKindNames[0];
}

bool IsMapped(const IupElement* e) {
  return e != nullptr && e->native != nullptr;
}

bool IsAlive(int serial, const IupElement* e) {
  return IupFromSerial(serial) == e && e != nullptr;
}

const std::vector<IupElement*>& Dialogs() {
  return DialogList();
}

bool IsBoxKind(int kind) {
  return kind == IUP_HBOX || kind == IUP_VBOX || kind == IUP_ZBOX || kind == IUP_FILL ||
         kind == IUP_RADIO;
}

bool HasNativeObject(int kind) {
  switch (kind) {
    case IUP_BUTTON:
    case IUP_CANVAS:
    case IUP_DIALOG:
    case IUP_FRAME:
    case IUP_ITEM:
    case IUP_SEPARATOR:
    case IUP_SUBMENU:
    case IUP_LABEL:
    case IUP_LIST:
    case IUP_MENU:
    case IUP_TEXT:
    case IUP_TOGGLE:
    case IUP_MULTILINE:
      return true;
    default:
      return false;
  }
}

}  // namespace iup

using iup::NewElement;

IupElement* IupFromSerial(int serial) {
  auto& slots = iup::ElementSlots();
  if (serial < iup::kFirstSerial) return nullptr;
  const auto index = static_cast<size_t>(serial - iup::kFirstSerial);
  return index < slots.size() ? slots[index] : nullptr;
}

int IupGetSerial(IupElement* e) {
  return e == nullptr ? 0 : e->serial;
}
int IupGetKind(IupElement* e) {
  return e == nullptr ? IUP_UNKNOWN : e->kind;
}
IupElement* IupGetParent(IupElement* e) {
  return e == nullptr ? nullptr : e->parent;
}
IupElement* IupGetChild(IupElement* e) {
  return e == nullptr ? nullptr : e->first_child;
}
IupElement* IupGetBrother(IupElement* e) {
  return e == nullptr ? nullptr : e->brother;
}

IupElement* IupNewColor(unsigned red, unsigned green, unsigned blue) {
  IupElement* e = NewElement(IUP_COLOR, 5);
  if (e == nullptr) return nullptr;
  IupSetAttributeCopyF(e, "RED", "%u", red);
  IupSetAttributeCopyF(e, "GREEN", "%u", green);
  IupSetAttributeCopyF(e, "BLUE", "%u", blue);
  return e;
}

IupElement* IupCreateImage(int width, int height, const unsigned char* pixels) {
  if (width < 0 || height < 0) return nullptr;
  IupElement* e = NewElement(IUP_IMAGE, 5);
  if (e == nullptr) return nullptr;
  IupSetAttributeCopyF(e, "WIDTH", "%d", width);
  IupSetAttributeCopyF(e, "HEIGHT", "%d", height);
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (pixels != nullptr)
    e->pixels.assign(pixels, pixels + count);
  else
    e->pixels.assign(count, 0);
  e->data = e->pixels.data();
  return e;
}

IupElement* IupCreateButton(const char* title, const char* action) {
  return iup::WithTitleAndAction(IUP_BUTTON, title, action);
}
IupElement* IupCreateItem(const char* title, const char* action) {
  return iup::WithTitleAndAction(IUP_ITEM, title, action);
}
IupElement* IupCreateToggle(const char* title, const char* action) {
  return iup::WithTitleAndAction(IUP_TOGGLE, title, action);
}
IupElement* IupCreateLabel(const char* title) {
  return iup::WithTitleAndAction(IUP_LABEL, title, nullptr);
}
IupElement* IupCreateCanvas(const char* action) {
  return iup::WithTitleAndAction(IUP_CANVAS, nullptr, action);
}
IupElement* IupCreateText(const char* action) {
  return iup::WithTitleAndAction(IUP_TEXT, nullptr, action);
}
IupElement* IupCreateMultiLine(const char* action) {
  return iup::WithTitleAndAction(IUP_MULTILINE, nullptr, action);
}
IupElement* IupCreateList(const char* action) {
  IupElement* e = NewElement(IUP_LIST, 17);
  iup::SetCopy(e, "ACTION", action);
  return e;
}

IupElement* IupCreateDialog(IupElement* child) {
  IupElement* e = iup::WithChild(IUP_DIALOG, child);
  if (e != nullptr) {
    auto& list = iup::DialogList();
    list.insert(list.begin(), e);
  }
  return e;
}

IupElement* IupCreateFrame(IupElement* child) {
  return iup::WithChild(IUP_FRAME, child);
}
IupElement* IupCreateRadio(IupElement* child) {
  return iup::WithChild(IUP_RADIO, child);
}

IupElement* IupCreateSubmenu(const char* title, IupElement* menu) {
  IupElement* e = iup::WithChild(IUP_SUBMENU, menu);
  iup::SetCopy(e, "TITLE", title);
  return e;
}

IupElement* IupCreateFill(void) {
  return NewElement(IUP_FILL, 1);
}
IupElement* IupCreateSeparator(void) {
  return NewElement(IUP_SEPARATOR, 1);
}
IupElement* IupCreateUser(void) {
  return NewElement(IUP_USER, 0);
}

IupElement* IupNewKeyAction(void* user) {
  IupElement* e = NewElement(IUP_KEYACTION, 5);
  if (e != nullptr) e->data = user;
  return e;
}

#define VARKO_IUP_LIST_CONSTRUCTOR(fn, kind)                                   \
  IupElement* fn(IupElement* first, ...) {                                     \
    va_list args;                                                              \
    va_start(args, first);                                                     \
    IupElement* e = iup::WithChildList(kind, first, args);                     \
    va_end(args);                                                              \
    return e;                                                                  \
  }                                                                            \
  IupElement* fn##v(IupElement* const* children, int count) {                  \
    return iup::WithChildren(kind, children, children == nullptr ? 0 : count); \
  }
VARKO_IUP_LIST_CONSTRUCTOR(IupCreateHbox, IUP_HBOX)
VARKO_IUP_LIST_CONSTRUCTOR(IupCreateVbox, IUP_VBOX)
VARKO_IUP_LIST_CONSTRUCTOR(IupCreateZbox, IUP_ZBOX)
VARKO_IUP_LIST_CONSTRUCTOR(IupCreateMenu, IUP_MENU)
#undef VARKO_IUP_LIST_CONSTRUCTOR

IupElement* IupAppend(IupElement* parent, IupElement* child) {
  if (parent == nullptr || child == nullptr || parent == child) return nullptr;
  switch (parent->kind) {
    case IUP_HBOX:
    case IUP_MENU:
    case IUP_VBOX:
    case IUP_ZBOX:
    case IUP_USER:
      break;
    default:
      return nullptr;
  }
  // an element that is still somewhere else is moved, never linked twice
  for (IupElement* up = parent; up != nullptr; up = up->parent)
    if (up == child) return nullptr;
  if (child->parent != nullptr) IupDetach(child);
  iup::LinkLast(parent, child);
  if (iup::IsMapped(parent)) IupMap(child);
  return parent;
}

void IupDetach(IupElement* e) {
  if (e == nullptr || e->parent == nullptr) return;
  IupElement** link = &e->parent->first_child;
  while (*link != nullptr && *link != e) link = &(*link)->brother;
  if (*link == nullptr) return;
  if (iup::IsMapped(e)) iup::Unmap(e);
  *link = e->brother;
  e->parent = nullptr;
  e->brother = nullptr;
}

void IupDestroy(IupElement* e) {
  if (e == nullptr) return;
  IupDetach(e);
  while (e->first_child != nullptr) IupDestroy(e->first_child);
  if (iup::IsMapped(e)) iup::Unmap(e);
  if (e->kind == IUP_DIALOG) {
    iup::ForgetDialog(e);
    auto& list = iup::DialogList();
    std::erase(list, e);
  }
  if (e->control_class != nullptr && e->control_class->destroy != nullptr)
    e->control_class->destroy(e);
  while (const char* name = IupGetName(e)) iup::Handles().Set(name, nullptr);
  e->attributes.reset();
  auto& slots = iup::ElementSlots();
  slots[static_cast<size_t>(e->serial - iup::kFirstSerial)] = nullptr;
  if (iup::GlobalElement() == e) iup::SetGlobalElement(nullptr);
  delete e;
}

IupElement* IupGetDialog(IupElement* e) {
  if (e == nullptr) return nullptr;
  while (e->parent != nullptr) e = e->parent;
  if (e->kind == IUP_DIALOG) return e;
  if (e->kind != IUP_MENU) return nullptr;
  for (IupElement* dialog : iup::DialogList()) {
    const char* menu = IupGetAttribute(dialog, "MENU");
    if (menu != nullptr && IupGetHandle(menu) == e) return dialog;
  }
  return nullptr;
}

// ---- handle names ------------------------------------------------------------

IupElement* IupSetHandle(const char* name, IupElement* e) {
  if (name == nullptr) return nullptr;
  return iup::Handles().Set(name, e);
}

IupElement* IupGetHandle(const char* name) {
  return name == nullptr ? nullptr : iup::Handles().Get(name);
}

const char* IupGetName(IupElement* e) {
  if (e == nullptr) return nullptr;
  const char* found = nullptr;
  iup::Handles().ForEach([&](const char* name, IupElement* value) {
    if (found == nullptr && value == e) found = name;
  });
  return found;
}

namespace {
int CollectNames(const char** names, int max, bool dialogs_only) {
  if (names == nullptr || max <= 0) return 0;
  int n = 0;
  iup::Handles().ForEach([&](const char* name, IupElement* value) {
    if (n >= max || (dialogs_only && value->kind != IUP_DIALOG)) return;
    names[n++] = name;
  });
  return n;
}
}  // namespace

int IupGetAllNames(const char** names, int max) {
  return CollectNames(names, max, false);
}
int IupGetAllDialogs(const char** names, int max) {
  return CollectNames(names, max, true);
}

// ---- action names ------------------------------------------------------------

namespace {
const char* last_action_name = nullptr;
}

IupCallback IupBindAction(const char* name, IupCallback callback) {
  if (name == nullptr) return nullptr;
  return iup::Actions().Set(name, callback);
}

IupCallback IupFindAction(const char* name) {
  if (name == nullptr) return nullptr;
  last_action_name = IupInternName(name);
  IupCallback cb = iup::Actions().Get(name);
  if (cb == nullptr && std::strcmp(name, "iup-idle") != 0) cb = iup::Actions().Get("iup-default");
  return cb;
}

const char* IupCurrentActionName(void) {
  return last_action_name;
}

IupIdleCallback IupSetIdle(IupIdleCallback idle) {
  return iup::As<IupIdleCallback>(IupBindAction("iup-idle", IupAsCallback(idle)));
}

// ---- accessors for class implementers ------------------------------------------

int IupGetNaturalWidth(IupElement* e) {
  return e == nullptr ? 0 : e->natural_width;
}
int IupGetNaturalHeight(IupElement* e) {
  return e == nullptr ? 0 : e->natural_height;
}
void IupSetNaturalSize(IupElement* e, int w, int h) {
  if (e != nullptr) e->natural_width = w, e->natural_height = h;
}
int IupGetCurrentWidth(IupElement* e) {
  return e == nullptr ? 0 : e->current_width;
}
int IupGetCurrentHeight(IupElement* e) {
  return e == nullptr ? 0 : e->current_height;
}
void IupSetCurrentSize(IupElement* e, int w, int h) {
  if (e != nullptr) e->current_width = w, e->current_height = h;
}
int IupGetX(IupElement* e) {
  return e == nullptr ? 0 : e->x;
}
int IupGetY(IupElement* e) {
  return e == nullptr ? 0 : e->y;
}
void IupSetPosition(IupElement* e, int x, int y) {
  if (e != nullptr) e->x = x, e->y = y;
}
void* IupGetNativeHandle(IupElement* e) {
  return e == nullptr ? nullptr : e->native;
}
void IupSetNativeHandle(IupElement* e, void* handle) {
  if (e != nullptr) e->native = handle;
}
void* IupGetData(IupElement* e) {
  return e == nullptr ? nullptr : e->data;
}
void IupSetData(IupElement* e, void* data) {
  if (e != nullptr) e->data = data;
}
int IupGetExpandFlags(IupElement* e) {
  return e == nullptr ? 0 : e->expand;
}

void IupLinkChild(IupElement* parent, IupElement* child) {
  if (parent == nullptr || child == nullptr || child->parent != nullptr || child == parent) return;
  iup::LinkLast(parent, child);
}
