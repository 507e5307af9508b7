// The script access conventions, exercised from Lua code through a
// test-only function registered in a fresh interpreter.
#include <gtest/gtest.h>

#include <string>

#include "host.h"
#include "script.h"

namespace {

// probe(t, how, key): reads t[key] the way `how` says and returns the result.
int Probe(lua_State* L) {
  const char* how = script::ArgString(L, 2);
  std::string mode = how ? how : "";
  if (mode == "number") {
    lua_pushnumber(L, script::GetNumberField(L, 1, script::ArgString(L, 3)));
  } else if (mode == "string") {
    auto text = script::GetStringField(L, 1, script::ArgString(L, 3));
    if (text)
      lua_pushstring(L, text->c_str());
    else
      lua_pushnil(L);
  } else if (mode == "element") {
    lua_pushnumber(L, script::GetNumberElement(L, 1, script::ArgInt(L, 3)));
  } else if (mode == "int") {
    lua_pushinteger(L, script::ArgInt(L, 3));
  } else if (mode == "byte") {
    lua_pushinteger(L, script::ToByte(script::ArgNumber(L, 3)));
  } else if (mode == "write") {
    script::Value row = script::NewTableField(L, 1, "row");
    for (int k = 1; k <= 3; ++k) {
      script::StackMark mark(L);
      script::Value point = script::NewTableElement(L, row, k);
      script::SetNumberField(L, point, "x", k * 1.5);
      script::SetNumberField(L, point, "y", k);
    }
    return 0;
  } else if (mode == "check") {
    script::NoArgAt(L, 3, "probe");
    script::Raise("probe", "attempt to access a NIL imagemap");
  } else {
    script::GetField(L, 1, "anything");  // indexes whatever was given
  }
  return 1;
}

class ScriptAccess : public ::testing::Test {
 protected:
  void SetUp() override {
    L = HostNewInterpreter();
    lua_register(L, "probe", script::Guarded<Probe>);
  }
  void TearDown() override { lua_close(L); }

  // Runs code and returns what it returned as text, or "error: message".
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

TEST_F(ScriptAccess, ReadConversionsFollowTheConventions) {
  struct Case {
    const char* code;
    const char* expected;
  } cases[] = {
      {"return probe({v = '12'}, 'number', 'v')", "12.0"},
      {"return probe({v = {}}, 'number', 'v')", "0.0"},
      {"return probe({}, 'number', 'v')", "0.0"},
      {"return probe({v = 3}, 'string', 'v')", "3"},
      {"return probe({v = 2.5}, 'string', 'v')", "2.5"},
      {"return probe({v = {}}, 'string', 'v')", "nil"},
      {"return probe({7, '8'}, 'element', 2)", "8.0"},
      {"return probe(nil, 'int', -2.7)", "-2"},
      {"return probe(nil, 'int', 2.7)", "2"},
      {"return probe(nil, 'int', '5.9')", "5"},
      {"return probe(nil, 'int')", "0"},
      {"return probe(nil, 'byte', 300)", "44"},
      {"return probe(nil, 'byte', -1)", "255"},
      {"return probe(nil, 'int', 1e300)", "2147483647"},
      {"return probe(nil, 'int', 0/0)", "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(Run(c.code), c.expected) << c.code;
}

TEST_F(ScriptAccess, ReadsGoThroughMetamethods) {
  EXPECT_EQ(
      Run("return probe(setmetatable({}, {__index = function() return 9 end}), 'number', 'q')"),
      "9.0");
  EXPECT_EQ(Run("return probe(setmetatable({}, {__index = function() error('boom', 0) end}), "
                "'number', 'q')"),
            "error: boom");
}

TEST_F(ScriptAccess, ErrorsCarryNoPositionPrefix) {
  EXPECT_EQ(Run("return probe(nil, 'check')"), "error: probe: attempt to access a NIL imagemap!");
  EXPECT_EQ(Run("return probe(nil, 'check', 1)"), "error: probe: too many parameters!");
  // indexing a non-table is the interpreter's own error
  EXPECT_EQ(Run("return probe(nil, 'field')"), "error: attempt to index a nil value");
}

TEST_F(ScriptAccess, WritesNewTablesAndNumbers) {
  EXPECT_EQ(Run("local t = {}; probe(t, 'write'); local r = t.row; "
                "return #r .. ' ' .. r[1].x .. ' ' .. r[2].x .. ' ' .. r[3].y .. ' ' .. "
                "math.type(r[3].y)"),
            "3 1.5 3 3 integer");
  // a loop writing many values stays within the C stack
  EXPECT_EQ(Run("local t = {}; for i = 1, 2000 do probe(t, 'write') end; return #t.row"), "3");
}

}  // namespace
