// Control classes: element kinds implemented outside the native set, with
// their table of twelve operations and the registry of named classes.
#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "iupcore.h"

namespace iup {
namespace {

Registry<IupControlClass*>& Classes() {
  static auto* classes = new Registry<IupControlClass*>(211);
  return *classes;
}

std::string Upper(const char* name) {
  std::string s(name);
  if (s.size() > 79) s.resize(79);
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

IupElement* DefaultCreate(IupControlClass*, void**) {
  return IupCreateCanvas("");
}

template <typename T>
void Assign(T& slot, IupControlMethod operation) {
  slot = reinterpret_cast<T>(operation);
}

}  // namespace
}  // namespace iup

IupControlClass* IupNewControlClass(const char* name, const char* format) {
  if (name == nullptr) return nullptr;
  // classes live until the process ends: elements keep pointers to them
  static auto* all = new std::vector<std::unique_ptr<IupControlClass>>;
  all->push_back(std::make_unique<IupControlClass>());
  IupControlClass* cls = all->back().get();
  cls->name = name;
  cls->format = format;
  cls->create = iup::DefaultCreate;
  return cls;
}

int IupSetControlMethod(IupControlClass* cls, const char* method, IupControlMethod op) {
  if (cls == nullptr || method == nullptr) return 1;
  struct Slot {
    const char* name;
    void (*assign)(IupControlClass*, IupControlMethod);
  };
  static const Slot slots[] = {
      {"SETNATURALSIZE",
       [](IupControlClass* c, IupControlMethod m) { iup::Assign(c->set_natural_size, m); }},
      {"SETCURRENTSIZE",
       [](IupControlClass* c, IupControlMethod m) { iup::Assign(c->set_current_size, m); }},
      {"GETSIZE", [](IupControlClass* c, IupControlMethod m) { iup::Assign(c->get_size, m); }},
      {"SETPOSITION",
       [](IupControlClass* c, IupControlMethod m) { iup::Assign(c->set_position, m); }},
      {"CREATE", [](IupControlClass* c, IupControlMethod m) { iup::Assign(c->create, m); }},
      {"DESTROY", [](IupControlClass* c, IupControlMethod m) { iup::Assign(c->destroy, m); }},
      {"MAP", [](IupControlClass* c, IupControlMethod m) { iup::Assign(c->map, m); }},
      {"UNMAP", [](IupControlClass* c, IupControlMethod m) { iup::Assign(c->unmap, m); }},
      {"SETATTR", [](IupControlClass* c, IupControlMethod m) { iup::Assign(c->set_attr, m); }},
      {"GETATTR", [](IupControlClass* c, IupControlMethod m) { iup::Assign(c->get_attr, m); }},
      {"GETDEFAULTATTR",
       [](IupControlClass* c, IupControlMethod m) { iup::Assign(c->get_default_attr, m); }},
      {"POPUP", [](IupControlClass* c, IupControlMethod m) { iup::Assign(c->popup, m); }},
  };
  for (const Slot& slot : slots) {
    if (std::strcmp(slot.name, method) == 0) {
      slot.assign(cls, op);
      return 0;
    }
  }
  return 1;
}

IupElement* IupNewFromControlClass(IupControlClass* cls, void** params) {
  if (cls == nullptr || cls->create == nullptr) return nullptr;
  IupElement* e = cls->create(cls, params);
  if (e != nullptr) e->control_class = cls;
  return e;
}

void IupAddControlClass(const char* name, IupControlClass* cls) {
  if (name == nullptr || cls == nullptr) return;
  iup::Classes().Set(IupInternName(iup::Upper(name).c_str()), cls);
}

IupControlClass* IupLookupControlClass(const char* name) {
  if (name == nullptr) return nullptr;
  return iup::Classes().Get(iup::Upper(name).c_str());
}

IupControlClass* IupGetControlClass(IupElement* e) {
  return e == nullptr ? nullptr : e->control_class;
}
const char* IupGetClassName(IupControlClass* cls) {
  return cls == nullptr ? nullptr : cls->name.c_str();
}
const char* IupGetClassFormat(IupControlClass* cls) {
  return cls == nullptr ? nullptr : cls->format;
}
