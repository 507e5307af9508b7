// Runs the toolkit binding's test scripts in-process, as the host does:
// IupOpen, the interpreter, iuplua_open, the script, the loop, IupClose.
// The same scripts also run under the real program (lua.iuplua.*).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "iup.h"
#include "iuplua.h"
#include "report.h"

namespace {

std::string g_output;

int CapturePrint(lua_State* L) {
  int n = lua_gettop(L);
  for (int i = 1; i <= n; ++i) {
    if (i > 1) g_output += '\t';
    g_output += luaL_tolstring(L, i, nullptr);
    lua_pop(L, 1);
  }
  g_output += '\n';
  std::fputs(g_output.substr(g_output.rfind('\n', g_output.size() - 2) + 1).c_str(), stdout);
  return 0;
}

// Runs harness.lua and the script; returns everything they printed.
std::string RunScript(const char* script, bool english) {
  setenv("IUP_DRIVER", "headless", 1);
  if (english) setenv("IUP_INGLES", "1", 1);
  else unsetenv("IUP_INGLES");
  IupOpen();
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  iuplua_open(L);
  lua_register(L, "print", CapturePrint);
  g_output.clear();
  std::string dir = VARKO_SOURCE_DIR;
  for (std::string file : {dir + "/tests/lua/harness.lua", dir + "/tests/iuplua/" + script}) {
    if (luaL_loadfile(L, file.c_str()) != LUA_OK) {
      g_output += lua_tostring(L, -1);
      lua_pop(L, 1);
      continue;
    }
    script::ReportingCall(L, 0, 0);
  }
  IupMainLoop();
  IupClose();
  lua_close(L);
  return g_output;
}

void ExpectClean(const std::string& output) {
  EXPECT_NE(output.find(" passed, 0 failed\n"), std::string::npos) << output;
  EXPECT_EQ(output.find("FAIL"), std::string::npos) << output;
}

TEST(IupluaScripts, Binding) { ExpectClean(RunScript("binding.lua", true)); }
TEST(IupluaScripts, Callbacks) { ExpectClean(RunScript("callbacks.lua", true)); }
TEST(IupluaScripts, WholeDialog) { ExpectClean(RunScript("whole_dialog.lua", true)); }
TEST(IupluaScripts, PredefinedDialogsEnglish) { ExpectClean(RunScript("predial_en.lua", true)); }
TEST(IupluaScripts, PredefinedDialogsPortuguese) { ExpectClean(RunScript("predial_pt.lua", false)); }

}  // namespace
