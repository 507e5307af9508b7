// Runs the toolkit binding's test scripts in-process, as the host does:
// IupOpen, the interpreter, iuplua_open, the script, the loop, IupClose.
// The same scripts also run under the real program (lua.iuplua.*).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "headless/iupheadless.h"
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

// Runs the script in a new folder beside harness.lua, as the real program
// would; returns everything it printed.
std::string RunScript(const char* script, bool english) {
  namespace fs = std::filesystem;
  char pattern[] = "/tmp/iuplua-test-XXXXXX";
  fs::path dir = mkdtemp(pattern);
  std::string source = VARKO_SOURCE_DIR;
  fs::copy_file(source + "/tests/lua/harness.lua", dir / "harness.lua");
  fs::path previous = fs::current_path();
  fs::current_path(dir);
  setenv("IUP_DRIVER", "headless", 1);
  if (english)
    setenv("IUP_INGLES", "1", 1);
  else
    unsetenv("IUP_INGLES");
  if (iup::CurrentDriver() == nullptr) iup::InstallDriver(iup::headless::NewDriver());
  IupOpen();
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  iuplua_open(L);
  lua_register(L, "print", CapturePrint);
  g_output.clear();
  std::string file = source + "/tests/iuplua/" + script;
  if (luaL_loadfile(L, file.c_str()) != LUA_OK) {
    g_output += lua_tostring(L, -1);
    lua_pop(L, 1);
  } else {
    script::ReportingCall(L, 0, 0);
  }
  IupMainLoop();
  IupClose();
  lua_close(L);
  fs::current_path(previous);
  fs::remove_all(dir);
  return g_output;
}

void ExpectClean(const std::string& output) {
  EXPECT_NE(output.find(" passed, 0 failed\n"), std::string::npos) << output;
  EXPECT_EQ(output.find("FAIL"), std::string::npos) << output;
}

TEST(IupluaScripts, Binding) {
  ExpectClean(RunScript("binding.lua", true));
}
TEST(IupluaScripts, Callbacks) {
  ExpectClean(RunScript("callbacks.lua", true));
}
TEST(IupluaScripts, WholeDialog) {
  ExpectClean(RunScript("whole_dialog.lua", true));
}
TEST(IupluaScripts, PredefinedDialogsEnglish) {
  ExpectClean(RunScript("predial_en.lua", true));
}
TEST(IupluaScripts, PredefinedDialogsPortuguese) {
  ExpectClean(RunScript("predial_pt.lua", false));
}

}  // namespace
