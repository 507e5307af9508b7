// The table of the application's script functions, in registration order:
// MyIupFileDialog, iup_getcolor, MyImageMapAccess, CopyTable,
// GenerateCombinedTheme, InitializeCopyTable, CopyTable (again), CopyPaths,
// DestroyPaths, DestroyTable, PathAnalysis, MinimumPath, MySystem, SegDist,
// ReadExtraData, XYGraphic.
#ifndef VARKO_APP_APPFUNCS_H
#define VARKO_APP_APPFUNCS_H

#include <lua.hpp>

// Null-terminated.
extern const luaL_Reg kApplicationFunctions[];

#endif
