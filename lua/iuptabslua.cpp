// Script binding of the tabs: "IupCreateTabs" (a table of pages), the
// trampoline "tabs_tabchange" calling "default_tab_tabchange" with the tabs,
// the new page and the old page, and its object layer ("luatabs.lo": IUPTABS
// and iuptabs).
#include <cstdio>
#include <cstring>
#include <vector>

#include "iupcontrols.h"
#include "iupcontrolslua.h"
#include "iuplua_common.h"
#include "report.h"

extern const char chunk_luatabs[];
extern const char chunk_luatabs_name[];

namespace {

struct Change {
  IupElement* now;
  IupElement* before;
};
int PushPages(lua_State* L, void* data) {
  auto* change = static_cast<Change*>(data);
  iuplua::PushElement(L, change->now);
  iuplua::PushElement(L, change->before);
  return 2;
}
int TabChange(IupElement* tabs, IupElement* now, IupElement* before) {
  Change change{now, before};
  return iuplua::CallScript("default_tab_tabchange", tabs, PushPages, &change, IUP_IGNORE);
}

// One argument: a table whose entries 1, 2, ... up to the first one that is
// not a live element are the pages. A page that already has a parent
// cannot join.
int CreateTabs(lua_State* L) {
  const char* name = "IupCreateTabs";
  if (lua_gettop(L) != 1 || !lua_istable(L, 1)) iuplua::Incorrect(name);
  std::vector<IupElement*> pages;
  for (lua_Integer i = 1;; ++i) {
    lua_rawgeti(L, 1, i);
    IupElement* page = iuplua::IsElement(L, -1) ? iuplua::ToElement(L, -1) : nullptr;
    lua_pop(L, 1);
    if (page == nullptr) break;
    if (IupGetParent(page) != nullptr)
      script::RaiseMessage("IupCreateTabs: page " + std::to_string(i) + " already has a parent!");
    pages.push_back(page);
  }
  IupElement* tabs = IupCreateTabsv(pages.data(), static_cast<int>(pages.size()));
  if (tabs == nullptr) script::RaiseMessage("IupCreateTabs: the tabs control is not open!");
  IupSetAttribute(tabs, "TABCHANGE_CB", "tabs_tabchange");
  return iuplua::RegisterForeign(L, tabs);
}

}  // namespace

void iuptabslua_open(lua_State* L) {
  IupBindAction("tabs_tabchange", IupAsCallback(TabChange));
  lua_register(L, "IupCreateTabs", script::Guarded<CreateTabs>);
  std::string name = std::string("=") + chunk_luatabs_name;
  if (luaL_loadbuffer(L, chunk_luatabs, std::strlen(chunk_luatabs), name.c_str()) != LUA_OK) {
    std::fprintf(stderr, "%s\n", lua_tostring(L, -1));
    lua_pop(L, 1);
    return;
  }
  script::ReportingCall(L, 0, 0);
}
