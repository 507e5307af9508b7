// The driver list from outside the library: a driver defined here and
// listed with cdListDriver alone, before the binding opens, gets its CD_*
// constant; a script creates a canvas on it, draws on it and plays it, and
// its CD_SIZECB reaches the script function. Also the registry as the chart
// library sees it: drivers found by name, placeholders taken over.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cddrivers.h"
#include "cdlua.h"
#include "cdwin.h"
#include "imlua.h"

namespace {

// ---- the test driver: its canvases log the lines they get; its player
// reads "xmin xmax ymin ymax", reports a 20 x 10 picture through CD_SIZECB
// and fills that box on the active canvas ----
std::vector<std::string> g_log;
int g_record = 0;

void Create(cdCanvas* cv, void* data) {
  if (data == nullptr) return;
  g_log.push_back(std::string("create ") + static_cast<const char*>(data));
  cv->w = 100, cv->h = 50, cv->w_mm = 50, cv->h_mm = 25, cv->xres = cv->yres = 2;
  cv->bpp = 24;
  cv->driver_data = &g_record;
}
void Fill(cdCanvas* cv) {
  cdOperations& o = cv->ops;
  o.Line = [](cdCanvas*, int x1, int y1, int x2, int y2) {
    char text[64];
    std::snprintf(text, sizeof text, "line %d %d %d %d", x1, y1, x2, y2);
    g_log.push_back(text);
  };
  o.KillCanvas = [](cdCanvas*) { g_log.push_back("kill"); };
  o.Activate = [](cdCanvas*) -> int { return CD_OK; };
}
// Each test driver keeps its own size callback, as a real player does.
template <int K>
struct Player {
  static inline cdSizeCallback size = nullptr;
  static int Play(int, int, int, int, void* data) {
    int xmin, xmax, ymin, ymax;
    if (std::sscanf(static_cast<const char*>(data), "%d %d %d %d", &xmin, &xmax, &ymin, &ymax) != 4)
      return CD_ERROR;
    if (size != nullptr && size(cdActiveCanvas(), 20 * K, 10, 5.0, 2.5) == CDPLAY_ABORT)
      return CD_ERROR;
    cdBox(xmin, xmax, ymin, ymax);
    return CD_OK;
  }
  static int RegisterCallback(int cb, cdCallback func) {
    if (cb != CD_SIZECB) return CD_ERROR;
    size = reinterpret_cast<cdSizeCallback>(reinterpret_cast<void (*)()>(func));
    return CD_OK;
  }
};
cdDriver g_test_driver = {
    CD_CAP_ALL, Create,      Fill, Player<1>::Play, Player<1>::RegisterCallback,
    "CD_TEST",  CD_DATA_TEXT};
cdDriver g_other_driver = {
    CD_CAP_ALL, Create,      Fill, Player<2>::Play, Player<2>::RegisterCallback,
    "CD_OTHER", CD_DATA_TEXT};

struct Interpreter {
  lua_State* L = luaL_newstate();
  Interpreter() {
    luaL_openlibs(L);
    imlua_open(L);
    cdlua_open(L);
  }
  ~Interpreter() { lua_close(L); }
  // Runs the chunk; its error message, or "" when it ran.
  std::string Run(const char* chunk) {
    if (luaL_dostring(L, chunk) == LUA_OK) return "";
    std::string message = lua_tostring(L, -1);
    lua_pop(L, 1);
    return message;
  }
  lua_Integer Global(const char* name) {
    lua_getglobal(L, name);
    lua_Integer value = lua_isinteger(L, -1) ? lua_tointeger(L, -1) : -100;
    lua_pop(L, 1);
    return value;
  }
  std::string GlobalText(const char* name) {
    lua_getglobal(L, name);
    std::string value = lua_isstring(L, -1) ? lua_tostring(L, -1) : "(not a string)";
    lua_pop(L, 1);
    return value;
  }
};

TEST(DriverList, ListedDriverIsScriptedCreatedDrawnAndPlayed) {
  cdOpenDrivers();
  int number = cdListDriver(&g_test_driver);
  ASSERT_EQ(number, 12) << "after the twelve built-in drivers";
  Interpreter lua;
  EXPECT_EQ(lua.Global("CD_TEST"), 12);
  EXPECT_EQ(lua.Global("CD_EMF"), 11) << "the built-in numbers stay";

  // create, draw, kill: the data is converted by the driver's data kind
  ASSERT_EQ(lua.Run(R"(
    local cv = cdCreateCanvas(CD_TEST, "log me")
    assert(cv, "a canvas on the test driver")
    assert(cdGetContext(cv) == CD_TEST)
    assert(cdContextCaps(CD_TEST) == CD_CAP_ALL)
    cdActivate(cv)
    cdLine(1, 2, 30, 4)
    cdKillCanvas(cv)
  )"),
            "");
  EXPECT_EQ(g_log, (std::vector<std::string>{"create log me", "line 1 2 30 4", "kill"}));
  EXPECT_EQ(lua.Run("cdCreateCanvas(CD_TEST, 5)"),
            "cdCreateCanvas CD_TEST: data should be of type string!");

  // play into an RGB image canvas with the size callback registered
  ASSERT_EQ(lua.Run(R"(
    image = imCreateImageRGB(8, 6)
    local target = cdCreateCanvas(CD_IMAGERGB, image)
    cdActivate(target)
    cdBackground(CD_WHITE)
    cdClear()
    cdForeground(CD_BLUE)
    seen = "none"
    registered = cdRegisterCallback(CD_TEST, CD_SIZECB, function(driver, w, h, w_mm, h_mm)
      seen = string.format("%d %d %d %g %g", driver, w, h, w_mm, h_mm)
      return CDPLAY_GO
    end)
    played = cdPlay(CD_TEST, 0, 0, 0, 0, "2 4 1 3")
    -- the box 2..4 x 1..3 is blue, its neighbours stay white
    inside = image.b[2 + 1 * 8] + image.b[4 + 3 * 8] - image.r[3 + 2 * 8]
    outside = image.r[1 + 1 * 8] + image.r[5 + 3 * 8] + image.r[2 + 4 * 8] + image.r[2 + 0 * 8]
  )"),
            "");
  EXPECT_EQ(lua.Global("registered"), CD_OK);
  EXPECT_EQ(lua.Global("played"), CD_OK);
  EXPECT_EQ(lua.GlobalText("seen"), "12 20 10 5 2.5");
  EXPECT_EQ(lua.Global("inside"), 255 + 255 - 0);
  EXPECT_EQ(lua.Global("outside"), 4 * 255);

  // the script's answer reaches the player: an abort stops the play
  ASSERT_EQ(lua.Run(R"(
    cdRegisterCallback(CD_TEST, CD_SIZECB, function() return CDPLAY_ABORT end)
    cdForeground(CD_RED)
    aborted = cdPlay(CD_TEST, 0, 0, 0, 0, "0 7 0 5")
    untouched = image.g[6 + 5 * 8]
  )"),
            "");
  EXPECT_EQ(lua.Global("aborted"), CD_ERROR);
  EXPECT_EQ(lua.Global("untouched"), 255) << "no red box: the corner keeps its white";
}

// Callbacks are kept per driver: two players with a CD_SIZECB each reach
// their own script function, which gets its driver's number; a driver
// refuses a callback it does not have; nil removes the function.
TEST(DriverList, CallbacksBelongToTheirDriver) {
  cdOpenDrivers();
  ASSERT_EQ(cdListDriver(&g_test_driver), 12);
  ASSERT_EQ(cdListDriver(&g_other_driver), 13);
  Interpreter lua;
  ASSERT_EQ(lua.Run(R"(
    local target = cdCreateCanvas(CD_IMAGERGB, imCreateImageRGB(4, 4))
    cdActivate(target)
    calls = ""
    local function log(driver, w) calls = calls .. driver .. ":" .. w .. " " return CDPLAY_GO end
    cdRegisterCallback(CD_TEST, CD_SIZECB, log)
    cdRegisterCallback(CD_OTHER, CD_SIZECB, function(driver, w) return log(driver, w + 1) end)
    cdPlay(CD_OTHER, 0, 0, 0, 0, "0 1 0 1")
    cdPlay(CD_TEST, 0, 0, 0, 0, "0 1 0 1")
    refused = cdRegisterCallback(CD_TEST, CD_CGMCOUNTERCB, log)
    removed = cdRegisterCallback(CD_TEST, CD_SIZECB, nil)
    played = cdPlay(CD_TEST, 0, 0, 0, 0, "0 1 0 1")
  )"),
            "");
  EXPECT_EQ(lua.GlobalText("calls"), "13:41 12:20 ");
  EXPECT_EQ(lua.Global("refused"), CD_ERROR);
  EXPECT_EQ(lua.Global("removed"), CD_OK);
  EXPECT_EQ(lua.Global("played"), CD_OK) << "played without the removed function";
  EXPECT_EQ(Player<1>::size, nullptr);
}

TEST(DriverList, ScriptErrorInSizeCallbackStopsThePlay) {
  cdOpenDrivers();
  cdListDriver(&g_test_driver);
  Interpreter lua;
  EXPECT_EQ(lua.Run(R"(
    local target = cdCreateCanvas(CD_IMAGERGB, imCreateImageRGB(4, 4))
    cdActivate(target)
    cdRegisterCallback(CD_TEST, CD_SIZECB, function() return "go" end)
    cdPlay(CD_TEST, 0, 0, 0, 0, "0 1 0 1")
  )"),
            "cdPlay: CD_SIZECB: invalid return value!");
}

TEST(DriverList, ChartCodeFindsDriversByName) {
  cdOpenDrivers();
  EXPECT_EQ(cdFindDriver("CD_IMAGE"), cdContextImage());
  EXPECT_EQ(cdFindDriver("CD_IMAGERGB"), cdContextImageRGB());
  EXPECT_EQ(cdFindDriver("CD_PS"), cdContextPS());
  EXPECT_EQ(cdFindDriver("CD_METAFILE"), cdContextMetafile());
  EXPECT_EQ(cdFindDriver("CD_PRINTER"), cdContextPrinter());
  EXPECT_EQ(cdFindDriver("CD_NOSUCH"), nullptr);
  ASSERT_NE(cdDriverAt(6), nullptr);
  EXPECT_STREQ(cdDriverAt(6)->name, "CD_PS");
  EXPECT_EQ(cdDriverAt(6)->data_kind, CD_DATA_TEXT);
  ASSERT_NE(cdDriverAt(9), nullptr);
  EXPECT_STREQ(cdDriverAt(9)->name, "CD_PRINTER");
  EXPECT_EQ(cdDriverAt(9)->driver, cdContextPrinter());
  EXPECT_EQ(cdDriverAt(8)->data_kind, CD_DATA_WINDOW);
  EXPECT_EQ(cdDriverAt(12), nullptr);
  cdOpenDrivers();
  EXPECT_EQ(cdDriverCount(), 12) << "opening the list twice lists nothing twice";
}

// Every built-in driver is built now: a placeholder of a program's own
// shows the mechanism.
TEST(DriverList, DriverTakesOverItsPlaceholder) {
  cdOpenDrivers();
  int slot = cdListPlaceholder("CD_LATER", CD_DATA_TEXT);
  EXPECT_EQ(slot, 12);
  EXPECT_EQ(cdFindDriver("CD_LATER"), nullptr) << "a placeholder has no driver";
  cdDriver later = g_test_driver;
  later.name = "CD_LATER";
  EXPECT_EQ(cdListDriver(&later), slot);
  EXPECT_EQ(cdFindDriver("CD_LATER"), &later);
  EXPECT_EQ(cdListDriver(&later), slot) << "listing again keeps the number";
  EXPECT_EQ(cdDriverCount(), 13);
  Interpreter lua;
  EXPECT_EQ(lua.Global("CD_LATER"), slot);
  EXPECT_EQ(lua.Run("assert(cdCreateCanvas(CD_LATER, 'later'))"), "");
}

}  // namespace
