// Start-up, registration and the main loop.
#include "host.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "cdlua.h"
#include "gauge.h"
#include "gtk/gtkdriver.h"
#include "headless/iupheadless.h"
#include "imlua.h"
#include "iup.h"
#include "iupcontrols.h"
#include "iuplua.h"
#include "predial.h"
#include "report.h"

lua_State* HostNewInterpreter() {
  lua_State* L = luaL_newstate();
  if (L == nullptr) return nullptr;
  // Lua 5.4's io and os libraries stand in for the old input/output library;
  // the base, package and table libraries are what any current script needs
  // to run at all. The debug library stays closed.
  static const luaL_Reg libraries[] = {
      {LUA_GNAME, luaopen_base},          {LUA_LOADLIBNAME, luaopen_package},
      {LUA_COLIBNAME, luaopen_coroutine}, {LUA_TABLIBNAME, luaopen_table},
      {LUA_IOLIBNAME, luaopen_io},        {LUA_OSLIBNAME, luaopen_os},
      {LUA_STRLIBNAME, luaopen_string},   {LUA_MATHLIBNAME, luaopen_math},
      {LUA_UTF8LIBNAME, luaopen_utf8},
  };
  for (const luaL_Reg& library : libraries) {
    luaL_requiref(L, library.name, library.func, 1);
    lua_pop(L, 1);
  }
  return L;
}

// The platform: the GTK driver, or the headless one when IUP_DRIVER=headless
// asks for it. The headless driver also stands in when no display opens, but
// then the program can show nothing: false, and the caller says so.
static bool InstallPlatform() {
  const char* forced = std::getenv("IUP_DRIVER");
  if (forced != nullptr && std::strcmp(forced, "headless") == 0) {
    iup::InstallDriver(iup::headless::NewDriver());
    return true;
  }
  if (std::unique_ptr<iup::Driver> native = iup::gtk::NewDriver()) {
    iup::InstallDriver(std::move(native));
    return true;
  }
  iup::InstallDriver(iup::headless::NewDriver());
  return false;
}

// The order is fixed: toolkit and controls; interpreter; image, canvas and
// toolkit bindings; application functions; the start-up script; the
// progress callback; the loop; closing the toolkit.
int VarkoMain() {
  const bool display = InstallPlatform();
  IupOpen();
  if (!display) {
    std::fputs("varko: no display could be opened (set DISPLAY, or IUP_DRIVER=headless)\n", stderr);
    IupClose();
    return 1;
  }
  if (std::getenv("IUP_VERSION") != nullptr) IupVersionDialog();
  IupControlsOpen();
  lua_State* L = HostNewInterpreter();
  if (L == nullptr) {
    IupClose();
    return 1;
  }
  imlua_open(L);
  cdlua_open(L);
  cdlua_open_iup(L);
  iuplua_open(L);
  RegisterApplicationFunctions(L);
  script::RunFileIfPresent(L, "varko.lua");
  RegisterProgressCallback();
  IupMainLoop();
  IupClose();
  // Closing the interpreter collects the script's objects, so files the
  // script left open are flushed.
  lua_close(L);
  return 1;
}
