// The script functions MyIupFileDialog and iup_getcolor.
#ifndef VARKO_APP_DIALOGS_H
#define VARKO_APP_DIALOGS_H

#include "script.h"

namespace route {
// (noChangeDir, title, dialogType, filter, filterInfo) -> file name or nil,
// status: the file dialog with those attributes and "ALLOWNEW" "YES".
int MyIupFileDialog(lua_State* L);
// (red, green, blue) -> 1 when confirmed, else -1; red; green; blue: the
// colour selection dialog centred on the screen.
int IupGetColor(lua_State* L);
}  // namespace route

#endif
