// The application's image references over the image binding's objects, the
// shared planes a canvas anchors, and adopting the canvas binding's kinds.
#include <gtest/gtest.h>

#include <string>

#include "host.h"
#include "imlua.h"
#include "script.h"

namespace {

// touch(t, x, y, value): writes one pixel through an image reference made
// from t and returns width, height, palette size and palette entry 1.
int Touch(lua_State* L) {
  auto ref = script::ReadImageRef(L, 1);
  if (!ref) script::Raise("touch", "no image reference");
  script::SetPixel(*ref, script::ArgInt(L, 2), script::ArgInt(L, 3),
                   static_cast<unsigned char>(script::ArgInt(L, 4)));
  lua_pushinteger(L, ref->width);
  lua_pushinteger(L, ref->height);
  lua_pushinteger(L, ref->pal_count);
  lua_pushinteger(L, ref->pal_count > 1 ? ref->palette[1] : -1);
  lua_pushinteger(L, script::GetPixel(*ref, script::ArgInt(L, 2), script::ArgInt(L, 3)));
  return 5;
}

// newrgba(w, h): an imagergba, as the canvas binding makes them.
int NewRGBA(lua_State* L) {
  imlua::PushImageRGBA(L, script::ArgInt(L, 1), script::ArgInt(L, 2));
  return 1;
}

// The planes of the image argument, kept as a canvas drawing into it would.
imlua::PlanesRef g_anchor;
int Anchor(lua_State* L) {
  imlua::ImageRGB* image = imlua::ToImageRGB(L, 1);
  if (image == nullptr) image = imlua::ToImageRGBA(L, 1);
  if (image == nullptr || !image->live()) script::Raise("anchor", "no live image");
  g_anchor = image->planes;
  return 0;
}

class ImageBinding : public ::testing::Test {
 protected:
  void SetUp() override {
    L = HostNewInterpreter();
    lua_register(L, "touch", script::Guarded<Touch>);
    lua_register(L, "newrgba", script::Guarded<NewRGBA>);
    lua_register(L, "anchor", script::Guarded<Anchor>);
  }
  void TearDown() override {
    if (L) lua_close(L);
    g_anchor.reset();
  }

  // Runs code and returns its result as text, or "error: message".
  std::string Run(const std::string& code) {
    if (luaL_loadstring(L, code.c_str()) != LUA_OK || lua_pcall(L, 0, 1, 0) != LUA_OK) {
      std::string message = std::string("error: ") + lua_tostring(L, -1);
      lua_pop(L, 1);
      return message;
    }
    std::string result = luaL_tolstring(L, -1, nullptr);
    lua_pop(L, 2);
    return result;
  }

  lua_State* L = nullptr;
};

TEST_F(ImageBinding, ImageRefSharesTheScriptBuffers) {
  imlua_open(L);
  EXPECT_EQ(Run("m = imCreateImageMap(3, 2); p = imCreatePalette(5)\n"
                "p[1] = imEncodeColor(1, 2, 3)\n"
                "local w, h, n, c1, v = touch({imagemap = m, palette = p}, 2, 1, 200)\n"
                "return table.concat({w, h, n, c1, v, m[5], m[0]}, ' ')"),
            "3 2 5 66051 200 200 0");
  // written through the reference, seen by the script at once, and back
  EXPECT_EQ(Run("m[4] = 17; local _, _, _, _, v = touch({imagemap = m, palette = p}, 1, 1, 17)\n"
                "return v"),
            "17");
}

TEST_F(ImageBinding, ImageRefRefusesWhatIsNotALiveImage) {
  imlua_open(L);
  Run("m = imCreateImageMap(2, 2); p = imCreatePalette(2)\n"
      "dead = imCreateImageMap(2, 2); imKillImageMap(dead)\n"
      "deadp = imCreatePalette(2); imKillPalette(deadp)");
  const char* cases[] = {
      "touch({imagemap = dead, palette = p}, 0, 0, 1)",
      "touch({imagemap = m, palette = deadp}, 0, 0, 1)",
      "touch({imagemap = p, palette = m}, 0, 0, 1)",
      "touch({imagemap = m}, 0, 0, 1)",
      "touch({palette = p}, 0, 0, 1)",
      "touch({imagemap = imCreateImageRGB(2, 2), palette = p}, 0, 0, 1)",
  };
  for (const char* code : cases) {
    EXPECT_EQ(Run(code), "error: touch: no image reference!") << code;
  }
  EXPECT_EQ(Run("return m[0]"), "0");  // nothing was written
}

TEST_F(ImageBinding, ImageRGBAChannels) {
  imlua_open(L);
  EXPECT_EQ(Run("x = newrgba(2, 2); local a = x.a; a[3] = 9; x.r[0] = 4\n"
                "return x.Alpha[3] .. ' ' .. x.R[0] .. ' ' .. x.g[0]"),
            "9 4 0");
  EXPECT_EQ(Run("return x.q"),
            "error: imagergba_tag \"gettable\": index is an invalid channel name!");
  EXPECT_EQ(Run("return x[1]"),
            "error: imagergba_tag \"gettable\": index should be a channel name!");
  EXPECT_EQ(Run("getmetatable(x).__gc(imCreateImageRGB(1, 1))"),
            "error: imagergba_tag \"gc\": invalid imagergba_tag object!");
  EXPECT_EQ(Run("getmetatable(x).__gc(x); return x.r"),
            "error: imagergba_tag \"gettable\": invalid imagergba_tag object!");
  EXPECT_EQ(Run("return newrgba(0, 1)"), "nil");
}

TEST_F(ImageBinding, AnchoredPlanesOutliveKillAndCollection) {
  imlua_open(L);
  EXPECT_EQ(Run("img = imCreateImageRGB(4, 2); img.b[7] = 33; anchor(img); ch = img.b\n"
                "imKillImageRGB(img); return 'ok'"),
            "ok");
  ASSERT_TRUE(g_anchor);
  EXPECT_EQ(g_anchor->plane(2)[7], 33);
  g_anchor->plane(0)[0] = 5;  // the canvas may go on drawing
  EXPECT_EQ(Run("return ch[0]"), "error: channel_tag \"gettable\": invalid channel_tag object!");
  Run("anchor(newrgba(3, 3)); collectgarbage(); collectgarbage()");
  ASSERT_TRUE(g_anchor);
  EXPECT_EQ(g_anchor->count, 4);
  g_anchor->plane(3)[8] = 1;
  lua_close(L);
  L = nullptr;
  EXPECT_EQ(g_anchor->plane(3)[8], 1);  // closing the interpreter keeps them too
}

// The canvas binding opened first: its tags are taken over, whether it made
// the metatables through EnsureKind or as tables of its own.
TEST_F(ImageBinding, AdoptsTheCanvasBindingTags) {
  int map_tag = imlua::EnsureKind(L, imlua::Kind::ImageMap);
  lua_newtable(L);
  int palette_tag = luaL_ref(L, LUA_REGISTRYINDEX);
  lua_pushinteger(L, map_tag);
  lua_setglobal(L, "CDLUA_IMAGEMAP_TAG");
  lua_pushinteger(L, palette_tag);
  lua_setglobal(L, "CDLUA_PALETTE_TAG");
  lua_pushinteger(L, 1);
  lua_setglobal(L, "CDLUA_INSTALLED");
  imlua_open(L);
  EXPECT_EQ(Run("return IMLUA_IMAGEMAP_TAG"), std::to_string(map_tag));
  EXPECT_EQ(Run("return IMLUA_PALETTE_TAG"), std::to_string(palette_tag));
  // a palette made now carries the adopted metatable and this binding's methods
  Run("pal = imCreatePalette(2)");
  lua_getglobal(L, "pal");
  ASSERT_TRUE(lua_getmetatable(L, -1));
  lua_rawgeti(L, LUA_REGISTRYINDEX, palette_tag);
  EXPECT_TRUE(lua_rawequal(L, -1, -2));
  lua_pop(L, 3);
  EXPECT_EQ(Run("return pal[2]"), "error: palette_tag \"gettable\": index is out of bounds!");
  EXPECT_EQ(Run("return IMLUA_COLOR_TAG ~= IMLUA_PALETTE_TAG"), "true");
}

TEST_F(ImageBinding, OpenedAloneMakesItsOwnTags) {
  imlua_open(L);
  lua_getglobal(L, "IMLUA_IMAGERGB_TAG");
  int tag = static_cast<int>(lua_tointeger(L, -1));
  lua_pop(L, 1);
  EXPECT_EQ(imlua::EnsureKind(L, imlua::Kind::ImageRGB), tag);
  lua_rawgeti(L, LUA_REGISTRYINDEX, tag);
  luaL_getmetatable(L, imlua::MetatableName(imlua::Kind::ImageRGB));
  EXPECT_TRUE(lua_rawequal(L, -1, -2));
  lua_pop(L, 2);
}

}  // namespace
