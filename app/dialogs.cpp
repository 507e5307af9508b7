// The two dialogs the start-up script asks for: a file dialog with the
// options it wants, and the colour selection dialog with a colour result.
#include "dialogs.h"

#include "iup.h"
#include "iupcontrols.h"

namespace route {

using namespace script;

int MyIupFileDialog(lua_State* L) {
  // the texts stay alive until the function returns: copies are stored
  IupElement* dialog = IupCreateFileDlg();
  if (dialog == nullptr) {
    lua_pushnil(L);
    lua_pushnumber(L, -1);
    return 2;
  }
  const char* names[] = {"NOCHANGEDIR", "TITLE", "DIALOGTYPE", "FILTER", "FILTERINFO"};
  for (int i = 0; i < 5; ++i) IupSetAttributeCopy(dialog, names[i], ArgString(L, i + 1));
  IupSetAttribute(dialog, "ALLOWNEW", "YES");
  IupPopup(dialog, IUP_CENTER, IUP_CENTER);
  const int status = IupGetAttributeInt(dialog, "STATUS");
  const char* value = IupGetAttribute(dialog, "VALUE");
  if (status >= 0 && value != nullptr)
    lua_pushstring(L, value);
  else
    lua_pushnil(L);
  lua_pushnumber(L, status);
  IupDestroy(dialog);
  return 2;
}

int IupGetColor(lua_State* L) {
  unsigned char red = ToByte(ArgNumber(L, 1));
  unsigned char green = ToByte(ArgNumber(L, 2));
  unsigned char blue = ToByte(ArgNumber(L, 3));
  const int confirmed = IupPickColor(IUP_CENTER, IUP_CENTER, &red, &green, &blue);
  lua_pushnumber(L, confirmed == 1 ? 1 : -1);
  lua_pushnumber(L, red);
  lua_pushnumber(L, green);
  lua_pushnumber(L, blue);
  return 4;
}

}  // namespace route
