// The one list of the control bindings, in the order start-up opens them:
// valuator, matrix, tabs, gauge.
#include "iupcontrolslua.h"

#include <initializer_list>

void iupcontrolslua_open(lua_State* L) {
  using Open = void (*)(lua_State*);
  for (Open open : std::initializer_list<Open>{iupvallua_open, iupmatrixlua_open, iupmasklua_open,
                                               iuptabslua_open, iupgaugelua_open})
    open(L);
}
