// The attribute store: setting (with the pass-on to the class or driver and
// the descent into children), reading with inheritance and defaults, the
// typed readers, and the global attributes.
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "iupcore.h"
#include "nativemask.h"

namespace iup {
namespace {

IupElement* global_element = nullptr;

bool NoDescent(const char* name) {
  return std::strcmp(name, "SIZE") == 0 || std::strcmp(name, "VALUE") == 0 ||
         std::strcmp(name, "VISIBLE") == 0;
}

// The set reaches children that have no own value, and their children.
void Propagate(IupElement* e, const char* name, const char* value) {
  for (IupElement* c = e->first_child; c != nullptr; c = c->brother) {
    if (c->attributes != nullptr && c->attributes->Find(name) != nullptr) continue;
    if (c->control_class != nullptr) {
      if (c->control_class->set_attr != nullptr) c->control_class->set_attr(c, name, value);
    } else {
      Drv().SetAttribute(c, name, value);
    }
    Propagate(c, name, value);
  }
}

// Native attributes whose effect is the core's own, whatever the platform.
void CoreSet(IupElement* e, const char* name, const char* value) {
  if (!IsMapped(e)) return;
  if (e->kind == IUP_DIALOG) {
    if (std::strcmp(name, "SIZE") == 0 || std::strcmp(name, "RASTERSIZE") == 0) {
      if (e->attributes != nullptr) e->attributes->Remove(name[0] == 'S' ? "RASTERSIZE" : "SIZE");
      if (IupGetOwnAttribute(e, "IUPWIN_IS_MAPPING") == nullptr) RelayoutFromOwnSize(e);
      return;
    }
    if (std::strcmp(name, "VISIBLE") == 0) {
      ApplyVisible(e, value);
      return;
    }
    if (std::strcmp(name, "MENU") == 0) {
      // a new menu bar: map it, and the window grows by the bar
      IupElement* menu = IupGetHandle(value);
      if (menu != nullptr && menu->kind == IUP_MENU && !IsMapped(menu)) IupMap(menu);
      if (IupGetOwnAttribute(e, "IUPWIN_IS_MAPPING") == nullptr) MovePass(e, false);
      return;
    }
  }
  if (std::strcmp(name, "FONT") == 0 || std::strcmp(name, "WINFONT") == 0) {
    IupElement* dialog = IupGetDialog(e);
    if (dialog != nullptr && IupGetOwnAttribute(dialog, "IUPWIN_IS_MAPPING") == nullptr)
      IupRefresh(dialog);
  }
}

void SetRadioValue(IupElement* radio, const char* value) {
  IupElement* chosen = IupGetHandle(value);
  if (chosen == nullptr) return;
  std::vector<IupElement*> stack{radio->first_child};
  while (!stack.empty()) {
    IupElement* e = stack.back();
    stack.pop_back();
    if (e == nullptr) continue;
    if (e->kind == IUP_TOGGLE) Drv().SetAttribute(e, "VALUE", e == chosen ? "ON" : "OFF");
    stack.push_back(e->brother);
    stack.push_back(e->first_child);
  }
}

// The handle name of the checked toggle of a mapped radio: the user may have
// clicked another toggle since "VALUE" was stored.
const char* CheckedRadioToggle(IupElement* radio) {
  std::vector<IupElement*> stack{radio->first_child};
  while (!stack.empty()) {
    IupElement* e = stack.back();
    stack.pop_back();
    if (e == nullptr) continue;
    if (e->kind == IUP_TOGGLE && ReadBool(Drv().GetAttribute(e, "VALUE").value) == 1)
      return IupGetName(e);
    stack.push_back(e->brother);
    stack.push_back(e->first_child);
  }
  return nullptr;
}

void SetZboxValue(IupElement* zbox, const char* value) {
  IupElement* chosen = IupGetHandle(value);
  if (chosen == nullptr || chosen->parent != zbox) return;
  for (IupElement* c = zbox->first_child; c != nullptr; c = c->brother)
    IupSetAttribute(c, "VISIBLE", c == chosen ? "YES" : "NO");
}

const char* NativeDefault(IupElement* e, const char* name) {
  struct Default {
    const char* name;
    const char* value;
  };
  static const Default defaults[] = {
      {"ACTIVE", "YES"},   {"POSX", "0.0"},     {"POSY", "0.0"},    {"MULTIPLE", "NO"},
      {"CURSOR", "ARROW"}, {"NC", "32767"},     {"DROPDOWN", "NO"}, {"VERTICAL", "NO"},
      {"MIN", "0.0"},      {"XMIN", "0.0"},     {"YMIN", "0.0"},    {"MAX", "1.0"},
      {"XMAX", "1.0"},     {"YMAX", "1.0"},     {"BORDER", "YES"},  {"DX", "0.1"},
      {"DY", "0.1"},       {"SCROLLBAR", "NO"},
  };
  for (const Default& d : defaults)
    if (EqualNoCase(name, d.name)) return d.value;
  if (EqualNoCase(name, "EXPAND")) {
    switch (e->kind) {
      case IUP_CANVAS:
      case IUP_FILL:
      case IUP_FRAME:
      case IUP_HBOX:
      case IUP_RADIO:
      case IUP_VBOX:
      case IUP_ZBOX:
        return "YES";
      default:
        return "NO";
    }
  }
  if (EqualNoCase(name, "BGCOLOR")) {
    switch (e->kind) {
      case IUP_IMAGE:
      case IUP_BUTTON:
        return Drv().SystemColour(Driver::Colour::ButtonFace);
      case IUP_CANVAS:
      case IUP_LIST:
      case IUP_TEXT:
      case IUP_MULTILINE:
        return Drv().SystemColour(Driver::Colour::Window);
      case IUP_DIALOG:
      case IUP_FRAME:
      case IUP_LABEL:
        return Drv().SystemColour(Driver::Colour::DialogBackground);
      default:
        return nullptr;
    }
  }
  return nullptr;
}

std::string& FormatBuffer() {
  static auto* buffer = new std::string;
  return *buffer;
}

}  // namespace

bool EqualNoCase(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return false;
  for (; *a != '\0' && *b != '\0'; ++a, ++b)
    if (std::toupper(static_cast<unsigned char>(*a)) !=
        std::toupper(static_cast<unsigned char>(*b)))
      return false;
  return *a == *b;
}

int ReadBool(const char* value) {
  if (value == nullptr) return -1;
  if (EqualNoCase(value, "NO") || EqualNoCase(value, "OFF")) return 0;
  if (EqualNoCase(value, "YES") || EqualNoCase(value, "ON")) return 1;
  return -1;
}

void StoreOwn(IupElement* e, const char* name, const char* value, bool copy) {
  if (value == nullptr) {
    if (e->attributes != nullptr) e->attributes->Remove(name);
    return;
  }
  if (e->attributes == nullptr) e->attributes = std::make_unique<AttrTable>(211);
  e->attributes->Set(name, value, copy);
}

void PassOn(IupElement* e, const char* name, const char* value) {
  if (e->control_class != nullptr) {
    if (e->control_class->set_attr != nullptr)
      e->control_class->set_attr(e, name, value);
    else
      Drv().SetAttribute(e, name, value);
    return;
  }
  const int serial = e->serial;
  CoreSet(e, name, value);
  if (!IsAlive(serial, e)) return;
  if (value != nullptr && std::strcmp(name, "VALUE") == 0 && IsMapped(e)) {
    if (e->kind == IUP_RADIO) SetRadioValue(e, value);
    if (e->kind == IUP_ZBOX) SetZboxValue(e, value);
  }
  Drv().SetAttribute(e, name, value);
  if (!IsAlive(serial, e)) return;
  if (e->kind == IUP_TEXT && std::strcmp(name, "MASK") == 0) {
    nativemask::Applied(e);
    return;
  }
  if (IsMapped(e) && !NoDescent(name)) Propagate(e, name, value);
}

IupElement* GlobalElement() {
  return global_element;
}
void SetGlobalElement(IupElement* e) {
  global_element = e;
}

}  // namespace iup

void IupSetAttribute(IupElement* e, const char* name, const char* value) {
  if (e == nullptr || name == nullptr) return;
  const char* interned = IupInternName(name);
  if (interned == nullptr) return;
  iup::StoreOwn(e, interned, value, false);
  iup::PassOn(e, interned, value);
}

void IupSetAttributeCopy(IupElement* e, const char* name, const char* value) {
  if (e == nullptr || name == nullptr) return;
  const char* interned = IupInternName(name);
  if (interned == nullptr) return;
  iup::StoreOwn(e, interned, value, true);
  // the driver sees the stored copy, which lives as long as the entry
  iup::PassOn(e, interned, e->attributes != nullptr ? e->attributes->Get(interned) : nullptr);
}

void IupSetAttributeCopyF(IupElement* e, const char* name, const char* format, ...) {
  if (e == nullptr || name == nullptr || format == nullptr) return;
  std::string& buffer = iup::FormatBuffer();
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (n >= 0) {
    buffer.assign(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(buffer.data(), buffer.size(), format, again);
  }
  va_end(again);
  if (n >= 0) IupSetAttributeCopy(e, name, buffer.c_str());
}

void IupSetAttributePointer(IupElement* e, const char* name, void* pointer) {
  if (e == nullptr || name == nullptr) return;
  const char* interned = IupInternName(name);
  if (pointer == nullptr) {
    if (e->attributes != nullptr) e->attributes->Remove(interned);
    return;
  }
  if (e->attributes == nullptr) e->attributes = std::make_unique<iup::AttrTable>(211);
  e->attributes->Set(interned, static_cast<const char*>(pointer), false, true);
}

void* IupGetAttributePointer(IupElement* e, const char* name) {
  if (e == nullptr || name == nullptr) return nullptr;
  if (iup::IsMapped(e)) {
    const iup::DriverValue v = iup::Drv().GetAttribute(e, name);
    if (v.pointer) return const_cast<char*>(v.value);
  }
  for (IupElement* up = e; up != nullptr; up = up->parent) {
    if (up->attributes == nullptr) continue;
    if (const iup::AttrEntry* entry = up->attributes->Find(name)) {
      return entry->pointer ? const_cast<char*>(entry->value) : nullptr;
    }
  }
  return nullptr;
}

const char* IupGetOwnAttribute(IupElement* e, const char* name) {
  if (e == nullptr || name == nullptr || e->attributes == nullptr) return nullptr;
  return e->attributes->Get(name);
}

void IupSetOwnAttribute(IupElement* e, const char* name, const char* value) {
  if (e == nullptr || name == nullptr) return;
  iup::StoreOwn(e, IupInternName(name), value, true);
}

const char* IupGetAttribute(IupElement* e, const char* name) {
  if (e == nullptr || name == nullptr) return nullptr;
  IupControlClass* cls = e->control_class;
  if (std::strcmp(name, "TYPENAME") == 0)
    return cls != nullptr ? cls->name.c_str() : iup::KindName(e->kind);
  const char* value = nullptr;
  if (cls != nullptr && cls->get_attr != nullptr)
    value = cls->get_attr(e, name);
  else if (e->kind == IUP_RADIO && std::strcmp(name, "VALUE") == 0 && iup::IsMapped(e))
    value = iup::CheckedRadioToggle(e);
  else
    value = iup::Drv().GetAttribute(e, name).value;
  if (value != nullptr) return value;
  for (IupElement* up = e; up != nullptr; up = up->parent)
    if (up->attributes != nullptr)
      if (const char* v = up->attributes->Get(name)) return v;
  if (cls != nullptr && cls->get_default_attr != nullptr) return cls->get_default_attr(e, name);
  return iup::NativeDefault(e, name);
}

int IupGetAttributeInt(IupElement* e, const char* name) {
  const char* v = IupGetAttribute(e, name);
  if (v == nullptr) return 0;
  char* end = nullptr;
  const long n = std::strtol(v, &end, 10);
  if (end != v) return static_cast<int>(n);
  return std::strcmp(v, "YES") == 0 || std::strcmp(v, "ON") == 0 ? 1 : 0;
}

float IupGetAttributeReal(IupElement* e, const char* name) {
  const char* v = IupGetAttribute(e, name);
  if (v == nullptr) return 0.0f;
  char* end = nullptr;
  const double d = std::strtod(v, &end);
  return end == v ? 0.0f : static_cast<float>(d);
}

int IupGetAttributeBool(IupElement* e, const char* name) {
  return iup::ReadBool(IupGetAttribute(e, name));
}

void IupSetGlobal(const char* name, const char* value) {
  IupSetAttribute(iup::GlobalElement(), name, value);
}
void IupSetGlobalCopy(const char* name, const char* value) {
  IupSetAttributeCopy(iup::GlobalElement(), name, value);
}
const char* IupGetGlobal(const char* name) {
  return IupGetAttribute(iup::GlobalElement(), name);
}
