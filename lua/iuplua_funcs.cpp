// The toolkit binding's functions over elements: attributes, handle names,
// the tree, showing, the loop and the globals.
#include <cstring>
#include <vector>

#include "iupdriver.h"
#include "iuplua_common.h"

namespace iuplua {
namespace {

int GetAttribute(lua_State* L) {
  IupElement* element = ElementArg(L, 1, "IupGetAttribute");
  std::string name = NameArg(L, 2, "IupGetAttribute");
  // Records and native handles stored by pointer are never read as text.
  void* pointer = IupGetAttributePointer(element, name.c_str());
  if (pointer == nullptr && element != nullptr && iup::CurrentDriver() != nullptr &&
      iup::CurrentDriver()->GetAttribute(element, name.c_str()).pointer)
    pointer = const_cast<char*>(iup::CurrentDriver()->GetAttribute(element, name.c_str()).value);
  if (pointer != nullptr) {
    lua_pushlightuserdata(L, pointer);
    return 1;
  }
  const char* value = IupGetAttribute(element, name.c_str());
  if (value == nullptr)
    lua_pushnil(L);
  else
    lua_pushstring(L, value);
  return 1;
}

int SetAttribute(lua_State* L) {
  IupElement* element = ElementArg(L, 1, "IupSetAttribute");
  std::string name = NameArg(L, 2, "IupSetAttribute");
  std::string value;
  bool has_value = OptionalTextArg(L, 3, "IupSetAttribute", &value);
  IupSetAttributeCopy(element, name.c_str(), has_value ? value.c_str() : nullptr);
  return 0;
}

int GetHandle(lua_State* L) {
  std::string name = NameArg(L, 1, "IupGetHandle");
  PushElement(L, IupGetHandle(name.c_str()));
  return 1;
}

int SetHandle(lua_State* L) {
  std::string name = NameArg(L, 1, "IupSetHandle");
  IupElement* element = OptionalElementArg(L, 2, "IupSetHandle");
  // The registry keeps the name by pointer: interned names live until exit.
  PushElement(L, IupSetHandle(IupInternName(name.c_str()), element));
  return 1;
}

int GetDialog(lua_State* L) {
  PushElement(L, IupGetDialog(ElementArg(L, 1, "IupGetDialog")));
  return 1;
}

int GetName(lua_State* L) {
  const char* name = IupGetName(ElementArg(L, 1, "IupGetName"));
  if (name)
    lua_pushstring(L, name);
  else
    lua_pushnil(L);
  return 1;
}

int GetFocus(lua_State* L) {
  PushElement(L, IupGetFocus());
  return 1;
}

int SetFocus(lua_State* L) {
  PushElement(L, IupSetFocus(ElementArg(L, 1, "IupSetFocus")));
  return 1;
}

// Functions of one element with a numeric result.
template <int (*Operation)(IupElement*)>
int ElementNumber(lua_State* L, const char* name) {
  lua_pushinteger(L, Operation(ElementArg(L, 1, name)));
  return 1;
}

int Destroy(lua_State* L) {
  IupDestroy(ElementArg(L, 1, "IupDestroy"));
  lua_pushinteger(L, 0);
  return 1;
}

int Detach(lua_State* L) {
  IupDetach(ElementArg(L, 1, "IupDetach"));
  lua_pushinteger(L, 0);
  return 1;
}

int Map(lua_State* L) {
  if (!IsElement(L, 1)) Incorrect("IupMap", ": incorrect argument to function");
  lua_pushinteger(L, IupMap(ToElement(L, 1)));
  return 1;
}

int Show(lua_State* L) {
  return ElementNumber<IupShow>(L, "IupShow");
}
int Hide(lua_State* L) {
  return ElementNumber<IupHide>(L, "IupHide");
}

int ShowXY(lua_State* L) {
  IupElement* element = ElementArg(L, 1, "IupShow");
  int x = NumberArg(L, 2, "IupShow"), y = NumberArg(L, 3, "IupShow");
  lua_pushinteger(L, IupShowXY(element, x, y));
  return 1;
}

int Popup(lua_State* L) {
  IupElement* element = ElementArg(L, 1, "IupPopup");
  int x = NumberArg(L, 2, "IupPopup"), y = NumberArg(L, 3, "IupPopup");
  lua_pushinteger(L, IupPopup(element, x, y));
  return 1;
}

int Append(lua_State* L) {
  IupElement* parent = ElementArg(L, 1, "iupappend");
  IupElement* child = ElementArg(L, 2, "iupappend");
  IupAppend(parent, child);
  lua_pushinteger(L, 1);
  return 1;
}

// IupGetAllNames and IupGetAllDialogs: at most 100 names.
int AllNames(lua_State* L, int (*collect)(const char**, int), const char* name) {
  constexpr int kMax = 100;
  std::vector<const char*> names(kMax + 1);
  int count = collect(names.data(), kMax + 1);
  if (count > kMax) script::RaiseMessage(std::string(name) + ": Maximum elements=100");
  lua_createtable(L, count, 0);
  for (int i = 0; i < count; ++i) {
    lua_pushstring(L, names[static_cast<size_t>(i)]);
    lua_rawseti(L, -2, i + 1);
  }
  return 1;
}

int GetAllNames(lua_State* L) {
  return AllNames(L, IupGetAllNames, "IupGetAllNames");
}
int GetAllDialogs(lua_State* L) {
  return AllNames(L, IupGetAllDialogs, "IupGetAllDialogs");
}

int GetGlobal(lua_State* L) {
  std::string name = NameArg(L, 1, "IupGetGlobal");
  const char* value = IupGetGlobal(name.c_str());
  if (value)
    lua_pushstring(L, value);
  else
    lua_pushnil(L);
  return 1;
}

int SetGlobal(lua_State* L) {
  std::string name = NameArg(L, 1, "IupSetGlobal");
  std::string value;
  bool has_value = OptionalTextArg(L, 2, "IupSetGlobal", &value);
  IupSetGlobalCopy(IupInternName(name.c_str()), has_value ? value.c_str() : nullptr);
  return 0;
}

int Open(lua_State* L) {
  lua_pushinteger(L, 0);  // the host has opened the toolkit already
  return 1;
}

int Close(lua_State*) {
  return 0;
}  // the host closes the toolkit after the loop

int MainLoop(lua_State* L) {
  lua_pushinteger(L, IupMainLoop());
  return 1;
}

int LoopStep(lua_State* L) {
  lua_pushinteger(L, IupLoopStep());
  return 1;
}

int Flush(lua_State* L) {
  lua_pushinteger(L, IupFlush());
  return 1;
}

int Help(lua_State* L) {
  if (lua_type(L, 1) != LUA_TSTRING) Incorrect("IupHelp");
  return 0;
}

}  // namespace

void RegisterElementFunctions(lua_State* L) {
  using script::Guarded;
  static const luaL_Reg functions[] = {
      {"IupGetAttribute", Guarded<GetAttribute>},
      {"IupSetAttribute", Guarded<SetAttribute>},
      {"IupGetHandle", Guarded<GetHandle>},
      {"IupSetHandle", Guarded<SetHandle>},
      {"IupGetDialog", Guarded<GetDialog>},
      {"IupGetName", Guarded<GetName>},
      {"IupGetFocus", Guarded<GetFocus>},
      {"IupSetFocus", Guarded<SetFocus>},
      {"IupDestroy", Guarded<Destroy>},
      {"IupDetach", Guarded<Detach>},
      {"IupMap", Guarded<Map>},
      {"IupShow", Guarded<Show>},
      {"IupShowXY", Guarded<ShowXY>},
      {"IupHide", Guarded<Hide>},
      {"IupPopup", Guarded<Popup>},
      {"iupappend", Guarded<Append>},
      {"IupGetAllNames", Guarded<GetAllNames>},
      {"IupGetAllDialogs", Guarded<GetAllDialogs>},
      {"IupGetGlobal", Guarded<GetGlobal>},
      {"IupSetGlobal", Guarded<SetGlobal>},
      {"IupOpen", Guarded<Open>},
      {"IupClose", Guarded<Close>},
      {"IupMainLoop", Guarded<MainLoop>},
      {"Loop", Guarded<MainLoop>},
      {"IupLoopStep", Guarded<LoopStep>},
      {"IupFlush", Guarded<Flush>},
      {"IupHelp", Guarded<Help>},
  };
  for (const luaL_Reg& f : functions) lua_register(L, f.name, f.func);
}

}  // namespace iuplua
