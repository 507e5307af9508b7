// The toolkit binding's constructors: each makes the element with the
// binding's action names, so its events reach the script layer.
#include <vector>

#include "iuplua_common.h"

namespace iuplua {
namespace {

// Focus and key actions of the elements that take the focus.
void FocusAndKeys(IupElement* element) {
  IupSetAttribute(element, "GETFOCUS_CB", "iuplua_getfocus");
  IupSetAttribute(element, "KILLFOCUS_CB", "iuplua_killfocus");
  IupSetAttribute(element, "K_ANY", "iuplua_k_any");
}

int Push(lua_State* L, IupElement* element) {
  PushElement(L, element);
  return 1;
}

// A title argument: a string, a number or nil; the core keeps a copy.
template <IupElement* (*Create)(const char*, const char*)>
int Titled(lua_State* L, const char* name) {
  std::string title;
  bool has_title = OptionalTextArg(L, 1, name, &title);
  IupElement* element = Create(has_title ? title.c_str() : nullptr, "button_action");
  FocusAndKeys(element);
  return Push(L, element);
}

int CreateButton(lua_State* L) {
  return Titled<IupCreateButton>(L, "IupCreateButton");
}
int CreateToggle(lua_State* L) {
  return Titled<IupCreateToggle>(L, "IupCreateToggle");
}
int CreateItem(lua_State* L) {
  int type = lua_type(L, 1);
  if (type != LUA_TNONE && type != LUA_TNIL && type != LUA_TSTRING && type != LUA_TNUMBER)
    Incorrect("IupCreateItem", ":  incorrect arguments to function");
  return Titled<IupCreateItem>(L, "IupCreateItem");
}

int CreateDialog(lua_State* L) {
  IupElement* child = ElementArg(L, 1, "IupCreateDialog");
  IupElement* dialog = IupCreateDialog(child);
  IupSetAttribute(dialog, "K_ANY", "iuplua_k_any");
  IupSetAttribute(dialog, "CLOSE_CB", "dialog_close");
  IupSetAttribute(dialog, "SHOW_CB", "dialog_showcb");
  IupSetAttribute(dialog, "MAP_CB", "dialog_mapcb");
  return Push(L, dialog);
}

int CreateText(lua_State* L) {
  IupElement* text = IupCreateText("text_action");
  FocusAndKeys(text);
  return Push(L, text);
}

int CreateMultiLine(lua_State* L) {
  IupElement* text = IupCreateMultiLine("multiline_action");
  FocusAndKeys(text);
  return Push(L, text);
}

int CreateCanvas(lua_State* L) {
  IupElement* canvas = IupCreateCanvas("canvas_action");
  IupSetAttribute(canvas, "BUTTON_CB", "canvas_button");
  IupSetAttribute(canvas, "RESIZE_CB", "canvas_resize");
  IupSetAttribute(canvas, "MOTION_CB", "canvas_motion");
  IupSetAttribute(canvas, "ENTERWINDOW_CB", "canvas_enterwindow");
  IupSetAttribute(canvas, "LEAVEWINDOW_CB", "canvas_leavewindow");
  FocusAndKeys(canvas);
  return Push(L, canvas);
}

int CreateList(lua_State* L) {
  return Push(L, IupCreateList("list_action"));
}

int CreateLabel(lua_State* L) {
  std::string title;
  bool has_title = OptionalTextArg(L, 1, "IupCreateLabel", &title);
  return Push(L, IupCreateLabel(has_title ? title.c_str() : nullptr));
}

int CreateFrame(lua_State* L) {
  return Push(L, IupCreateFrame(ElementArg(L, 1, "IupCreateFrame")));
}
int CreateRadio(lua_State* L) {
  return Push(L, IupCreateRadio(ElementArg(L, 1, "IupCreateRadio")));
}

int CreateSubmenu(lua_State* L) {
  std::string title;
  bool has_title = OptionalTextArg(L, 1, "IupCreateSubmenu", &title);
  IupElement* menu = ElementArg(L, 2, "IupCreateSubmenu");
  return Push(L, IupCreateSubmenu(has_title ? title.c_str() : nullptr, menu));
}

int CreateHbox(lua_State* L) {
  return Push(L, IupCreateHboxv(nullptr, 0));
}
int CreateVbox(lua_State* L) {
  return Push(L, IupCreateVboxv(nullptr, 0));
}
int CreateZbox(lua_State* L) {
  return Push(L, IupCreateZboxv(nullptr, 0));
}
int CreateMenu(lua_State* L) {
  return Push(L, IupCreateMenuv(nullptr, 0));
}
int CreateFill(lua_State* L) {
  return Push(L, IupCreateFill());
}
int CreateSeparator(lua_State* L) {
  return Push(L, IupCreateSeparator());
}
int CreateUser(lua_State* L) {
  return Push(L, IupCreateUser());
}
int CreateFileDlg(lua_State* L) {
  return Push(L, IupCreateFileDlg());
}

// width, height, then height rows of width pixel indices.
int CreateImage(lua_State* L) {
  const char* name = "IupCreateImage";
  int width = NumberArg(L, 1, name), height = NumberArg(L, 2, name);
  if (!lua_istable(L, 3) || width < 0 || height < 0 || width > 4096 || height > 4096)
    Incorrect(name);
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height);
  for (int row = 0; row < height; ++row) {
    script::StackMark mark(L);
    script::Value line = script::GetElement(L, 3, row + 1);
    if (!lua_istable(L, line)) script::RaiseMessage("IupCreateImage: incorrect value in argument");
    for (int column = 0; column < width; ++column) {
      script::StackMark pixel_mark(L);
      script::Value pixel = script::GetElement(L, line, column + 1);
      if (lua_type(L, pixel) != LUA_TNUMBER)
        script::RaiseMessage("IupCreateImage: incorrect value in argument");
      pixels[static_cast<size_t>(row) * width + column] = script::ToByte(lua_tonumber(L, pixel));
    }
  }
  return Push(L, IupCreateImage(width, height, pixels.data()));
}

}  // namespace

void RegisterConstructors(lua_State* L) {
  using script::Guarded;
  static const luaL_Reg functions[] = {
      {"IupCreateDialog", Guarded<CreateDialog>}, {"IupCreateButton", Guarded<CreateButton>},
      {"IupCreateToggle", Guarded<CreateToggle>}, {"IupCreateItem", Guarded<CreateItem>},
      {"IupCreateText", Guarded<CreateText>},     {"IupCreateMultiLine", Guarded<CreateMultiLine>},
      {"IupCreateCanvas", Guarded<CreateCanvas>}, {"IupCreateList", Guarded<CreateList>},
      {"IupCreateLabel", Guarded<CreateLabel>},   {"IupCreateFrame", Guarded<CreateFrame>},
      {"IupCreateRadio", Guarded<CreateRadio>},   {"IupCreateSubmenu", Guarded<CreateSubmenu>},
      {"IupCreateHbox", Guarded<CreateHbox>},     {"IupCreateVbox", Guarded<CreateVbox>},
      {"IupCreateZbox", Guarded<CreateZbox>},     {"IupCreateMenu", Guarded<CreateMenu>},
      {"IupCreateFill", Guarded<CreateFill>},     {"IupCreateSeparator", Guarded<CreateSeparator>},
      {"IupCreateUser", Guarded<CreateUser>},     {"IupCreateFileDlg", Guarded<CreateFileDlg>},
      {"IupCreateImage", Guarded<CreateImage>},
  };
  for (const luaL_Reg& f : functions) lua_register(L, f.name, f.func);
}

}  // namespace iuplua
