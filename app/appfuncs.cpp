// The application's script functions in their registration order.
#include "appfuncs.h"

#include "analysis.h"
#include "combined.h"
#include "dialogs.h"
#include "extradata.h"
#include "project.h"
#include "script.h"
#include "utility.h"
#include "xywindow.h"

using script::Guarded;

const luaL_Reg kApplicationFunctions[] = {
    {"MyIupFileDialog", Guarded<route::MyIupFileDialog>},
    {"iup_getcolor", Guarded<route::IupGetColor>},
    {"MyImageMapAccess", Guarded<route::MyImageMapAccess>},
    {"CopyTable", Guarded<route::CopyTable>},
    {"GenerateCombinedTheme", Guarded<route::GenerateCombinedTheme>},
    {"InitializeCopyTable", Guarded<route::InitializeCopyTable>},
    {"CopyTable", Guarded<route::CopyTable>},  // again: replaces the first
    {"CopyPaths", Guarded<route::CopyPaths>},
    {"DestroyPaths", Guarded<route::DestroyPaths>},
    {"DestroyTable", Guarded<route::DestroyTable>},
    {"PathAnalysis", Guarded<route::PathAnalysis>},
    {"MinimumPath", Guarded<route::MinimumPath>},
    {"MySystem", Guarded<route::MySystem>},
    {"SegDist", Guarded<route::SegDist>},
    {"ReadExtraData", Guarded<route::ReadExtraData>},
    {"XYGraphic", Guarded<route::XYGraphic>},
    {nullptr, nullptr},
};
