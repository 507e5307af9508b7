#include "appfuncs.h"

const luaL_Reg kApplicationFunctions[] = {
    {nullptr, nullptr},
};
