// The predefined dialogs as script functions.
#include <algorithm>
#include <cstring>
#include <vector>

#include "iuplua_common.h"
#include "predial.h"

namespace iuplua {
namespace {

// A text argument that may be nil.
const char* OptionalText(lua_State* L, int n, const char* name, std::string* holder) {
  return OptionalTextArg(L, n, name, holder) ? holder->c_str() : nullptr;
}

int Alarm(lua_State* L) {
  const char* name = "IupAlarm";
  std::string title, message, b1, b2, b3;
  const char* t = OptionalText(L, 1, name, &title);
  const char* m = OptionalText(L, 2, name, &message);
  const char* p1 = OptionalText(L, 3, name, &b1);
  const char* p2 = OptionalText(L, 4, name, &b2);
  const char* p3 = OptionalText(L, 5, name, &b3);
  lua_pushinteger(L, IupAlarm(t, m, p1, p2, p3));
  return 1;
}

int Message(lua_State* L) {
  std::string title, text;
  const char* t = OptionalText(L, 1, "IupMessage", &title);
  const char* m = OptionalText(L, 2, "IupMessage", &text);
  IupMessage(t, m);
  return 0;
}

// type, title, size, items, selected, max_col, max_lin, marks: the result,
// then the marks table rewritten.
int ListDialog(lua_State* L) {
  const char* name = "IupListDialog";
  int type = NumberArg(L, 1, name);
  std::string title;
  const char* t = OptionalText(L, 2, name, &title);
  int size = std::clamp(NumberArg(L, 3, name), 0, 999);
  if (!lua_istable(L, 4)) Incorrect(name);
  int selected = NumberArg(L, 5, name);
  int max_col = NumberArg(L, 6, name), max_lin = NumberArg(L, 7, name);
  if (!lua_istable(L, 8)) Incorrect(name);
  std::vector<std::string> texts;
  std::vector<int> marks;
  for (int i = 1; i <= size; ++i) {
    script::StackMark mark(L);
    std::optional<std::string> item = script::GetStringElement(L, 4, i);
    if (!item) Incorrect(name);
    texts.push_back(*item);
    marks.push_back(script::TruncateToInt(script::GetNumberElement(L, 8, i)) != 0);
  }
  std::vector<const char*> items;
  for (const std::string& text : texts) items.push_back(text.c_str());
  int result = IupListDialog(type, t, size, items.data(), selected, max_col, max_lin, marks.data());
  lua_pushinteger(L, result);
  lua_pushvalue(L, 8);
  for (int i = 1; i <= size; ++i)
    script::SetNumberElement(L, lua_gettop(L), i, marks[static_cast<size_t>(i - 1)]);
  return 2;
}

// The chosen (or unchanged) name, then the status.
int GetFile(lua_State* L) {
  std::string name;
  if (!lua_isnoneornil(L, 1)) name = NameArg(L, 1, "IupGetFile").substr(0, 249);
  int status = iup::predial::GetFile(name);
  lua_pushstring(L, name.c_str());
  lua_pushinteger(L, status);
  return 2;
}

// format, values...: the result, then every field's value (read back on
// confirm, else as given).
int Scanf(lua_State* L) {
  const char* name = "IupScanf";
  if (lua_type(L, 1) != LUA_TSTRING) Incorrect(name);
  using namespace iup::predial;
  ScanfFormat format = ParseScanfFormat(lua_tostring(L, 1));
  if (format.fields.empty() || format.usable == 0) {
    lua_pushinteger(L, -1);
    return 1;
  }
  int count = static_cast<int>(format.usable);
  lua_settop(L, count + 1);  // the format and one value per field
  std::vector<std::string> texts;
  for (size_t i = 0; i < format.usable; ++i) {
    const ScanfField& field = format.fields[i];
    int n = static_cast<int>(i) + 2;
    if (field.type == 's') {
      std::string value;
      OptionalTextArg(L, n, name, &value);
      texts.push_back(FormatString(field, value.c_str()));
    } else {
      if (!lua_isnoneornil(L, n) && !lua_isnumber(L, n)) Incorrect(name);
      double value = lua_tonumber(L, n);
      if (std::strchr("efgEG", field.type))
        texts.push_back(FormatDouble(field, value));
      else
        texts.push_back(FormatInt(field, static_cast<long>(value)));
    }
  }
  int result = ScanfDialog(format, texts);
  if (result == 1) {
    result = count;
    for (int i = 0; i < count; ++i) {
      const ScanfField& field = format.fields[static_cast<size_t>(i)];
      const std::string& text = texts[static_cast<size_t>(i)];
      if (field.type == 's') {
        lua_pushstring(L, text.substr(0, static_cast<size_t>(field.max_chars)).c_str());
        continue;
      }
      char* end = nullptr;
      double value =
          std::strchr("efgEG", field.type)
              ? std::strtod(text.c_str(), &end)
              : static_cast<double>(std::strtol(text.c_str(), &end,
                                                field.type == 'd' || field.type == 'u' ? 10 : 0));
      while (end && *end == ' ') ++end;
      if (end == text.c_str() || (end && *end != '\0')) {
        lua_settop(L, count + 1);  // the variables as they were
        lua_pushinteger(L, i);
        lua_replace(L, 1);
        return count + 1;
      }
      if (std::strchr("efgEG", field.type))
        lua_pushnumber(L, value);
      else
        lua_pushinteger(L, static_cast<lua_Integer>(value));
    }
    lua_pushinteger(L, result);
    lua_insert(L, -count - 1);
    return count + 1;
  }
  lua_settop(L, count + 1);
  lua_pushinteger(L, -1);
  lua_replace(L, 1);
  return count + 1;
}

}  // namespace

void RegisterDialogFunctions(lua_State* L) {
  using script::Guarded;
  static const luaL_Reg functions[] = {
      {"IupAlarm", Guarded<Alarm>},           {"IupMessage", Guarded<Message>},
      {"IupListDialog", Guarded<ListDialog>}, {"IupGetFile", Guarded<GetFile>},
      {"IupScanf", Guarded<Scanf>},
  };
  for (const luaL_Reg& f : functions) lua_register(L, f.name, f.func);
}

}  // namespace iuplua
