// Reading the project's script tables raw: no metamethod runs, so no script
// code can kill an image or replace a record while a function still holds
// pointers into them. Every application function reads and checks all its
// inputs this way first, computes, and writes its results last.
#ifndef VARKO_APP_RAWDATA_H
#define VARKO_APP_RAWDATA_H

#include <optional>
#include <string>

#include "script.h"

namespace route::raw {

using script::Value;

// Each read pushes the value (nil when the container is not a table) and
// returns its stack index.
Value Global(lua_State* L, const char* name);
Value Field(lua_State* L, Value table, const char* name);
Value Element(lua_State* L, Value table, long long index);

// t[name] read raw, which must be a table: else "fn: <what> is missing!".
Value NeedTable(lua_State* L, const char* fn, Value table, const char* name,
                const std::string& what);
// The global of that name, which must be a table.
Value NeedGlobalTable(lua_State* L, const char* fn, const char* name);

// The conversions of the ordinary readers: numbers and numeric strings, else 0;
// strings and numbers as text, else none. The value read is popped.
double Number(lua_State* L, Value table, const char* name);
double NumberAt(lua_State* L, Value table, long long index);
std::optional<std::string> String(lua_State* L, Value table, const char* name);
std::optional<std::string> StringAt(lua_State* L, Value table, long long index);

// An image reference from t.imagemap and t.palette read raw; none when either
// is not a live object of the image binding.
std::optional<script::ImageRef> ImageRef(lua_State* L, Value table);

}  // namespace route::raw

#endif
