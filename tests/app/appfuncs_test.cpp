// The application's script functions: registered in the start-up order,
// the two dialogs first, CopyTable twice.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appfuncs.h"
#include "host.h"

namespace {

TEST(ApplicationFunctions, TableFollowsTheStartUpOrder) {
  const std::vector<std::string> expected = {"MyIupFileDialog",
                                             "iup_getcolor",
                                             "MyImageMapAccess",
                                             "CopyTable",
                                             "GenerateCombinedTheme",
                                             "InitializeCopyTable",
                                             "CopyTable",
                                             "CopyPaths",
                                             "DestroyPaths",
                                             "DestroyTable",
                                             "PathAnalysis",
                                             "MinimumPath",
                                             "MySystem",
                                             "SegDist",
                                             "ReadExtraData",
                                             "XYGraphic"};
  std::vector<std::string> names;
  for (const luaL_Reg* entry = kApplicationFunctions; entry->name != nullptr; ++entry) {
    names.push_back(entry->name);
    EXPECT_NE(entry->func, nullptr) << entry->name;
  }
  EXPECT_EQ(names, expected);
}

TEST(ApplicationFunctions, TheDialogsAreScriptGlobals) {
  lua_State* L = luaL_newstate();
  ASSERT_NE(L, nullptr);
  RegisterApplicationFunctions(L);
  for (const char* name : {"MyIupFileDialog", "iup_getcolor"}) {
    lua_getglobal(L, name);
    EXPECT_TRUE(lua_isfunction(L, -1)) << name;
    lua_pop(L, 1);
  }
  lua_close(L);
}

}  // namespace
