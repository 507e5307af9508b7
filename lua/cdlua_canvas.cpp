// Canvases from scripts: the driver table and its numbers, the void canvas,
// creating, activating and killing canvases, contexts and saved states.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "cddriver.h"
#include "cddrivers.h"
#include "cdlua_internal.h"
#include "cdwin.h"
#include "iupcanvasfb.h"
#include "iuplua.h"

namespace cdlua {
namespace {

constexpr const char* kCanvasValues = "cdlua.canvases";  // handle -> canvas value (weak)
constexpr const char* kVoidValue = "cdlua.void";
constexpr const char* kDriverCount = "cdlua.drivers";  // how many have their globals

cdCanvasHandle g_void = nullptr;

// ---- the void canvas: a driver whose every operation does nothing; the
// wrappers refuse to draw while it is active ----
int g_void_record = 0;
void VoidCreate(cdCanvas* cv, void*) {
  cv->w = cv->h = 1;
  cv->w_mm = cv->h_mm = 1;
  cv->xres = cv->yres = 1;
  cv->bpp = 24;
  cv->driver_data = &g_void_record;
}
void VoidKill(cdCanvas*) {}
int VoidActivate(cdCanvas*) {
  return CD_OK;
}
void VoidFill(cdCanvas* cv) {
  cv->ops.KillCanvas = VoidKill;
  cv->ops.Activate = VoidActivate;
}
// Not listed: scripts never name it.
cdDriver g_void_driver = {CD_CAP_NONE, VoidCreate,   VoidFill,    nullptr,
                          nullptr,     "cdlua void", CD_DATA_TEXT};

// ---- driver data conversions ----
[[noreturn]] void RaiseData(const char* driver, const char* type) {
  std::string message = "cdCreateCanvas ";
  message += driver;
  message += ": data should be of type ";
  message += type;
  message += "!";
  script::RaiseMessage(std::move(message));
}

void* TextData(lua_State* L, int idx, const char* driver) {
  if (!script::HasArg(L, idx) || lua_type(L, idx) != LUA_TSTRING) RaiseData(driver, "string");
  return const_cast<char*>(lua_tostring(L, idx));
}

void* WindowData(lua_State* L, int idx, const char* driver) {
  if (!script::HasArg(L, idx) || !lua_isuserdata(L, idx)) RaiseData(driver, "userdata");
  return lua_touserdata(L, idx);
}

void* ServerImageData(lua_State* L, int idx, const char* driver) {
  auto* cell =
      static_cast<ImageCell*>(script::HasArg(L, idx) ? ToKind(L, idx, Kind::Image) : nullptr);
  if (cell == nullptr || cell->image == nullptr) RaiseData(driver, "image_tag");
  return cell->image;
}

// "%dx%d %p %p %p" with " -r%g" when a resolution follows the image; the
// text is pushed and stays on the stack until the canvas is made.
// A live extended image with red, green and blue planes, or null.
cdImageEx* RgbImageExAt(lua_State* L, int idx) {
  auto* cell = static_cast<ImageExCell*>(ToKind(L, idx, Kind::ImageEx));
  if (cell == nullptr || cell->image == nullptr) return nullptr;
  if (cell->image->type != CD_RGB && cell->image->type != CD_RGBA) return nullptr;
  return cell->image;
}

// A script RGB image, or an extended image of an RGB type.
void* ImageRGBData(lua_State* L, int idx, const char* driver) {
  imlua::ImageRGB* image = script::HasArg(L, idx) ? imlua::ToImageRGB(L, idx) : nullptr;
  cdImageEx* image_ex = script::HasArg(L, idx) ? RgbImageExAt(L, idx) : nullptr;
  if ((image == nullptr || !image->live()) && image_ex == nullptr)
    RaiseData(driver, "imagergb_tag");
  char text[160];
  int used =
      image_ex != nullptr
          ? std::snprintf(text, sizeof text, "%dx%d %p %p %p", image_ex->w, image_ex->h,
                          static_cast<void*>(image_ex->r), static_cast<void*>(image_ex->g),
                          static_cast<void*>(image_ex->b))
          : std::snprintf(text, sizeof text, "%dx%d %p %p %p", image->width, image->height,
                          static_cast<void*>(image->red()), static_cast<void*>(image->green()),
                          static_cast<void*>(image->blue()));
  if (script::HasArg(L, idx + 1)) {
    double res = Number(L, idx + 1, "cdCreateCanvas", "resolution");
    std::snprintf(text + used, sizeof text - used, " -r%g", res);
  }
  lua_pushstring(L, text);
  return const_cast<char*>(lua_tostring(L, -1));
}

// A live CANVAS element; the element userdata holds only its serial.
void* ElementData(lua_State* L, int idx, const char* driver) {
  IupElement* element = script::HasArg(L, idx) ? iuplua::ToElement(L, idx) : nullptr;
  if (element == nullptr || IupGetKind(element) != IUP_CANVAS) {
    script::RaiseMessage(std::string("cdCreateCanvas ") + driver +
                         ": data should be an iuplua canvas object!");
  }
  return element;
}

void RememberCanvas(lua_State* L, cdCanvasHandle handle, int value) {
  lua_getfield(L, LUA_REGISTRYINDEX, kCanvasValues);
  lua_pushlightuserdata(L, handle);
  lua_pushvalue(L, value);
  lua_rawset(L, -3);
  lua_pop(L, 1);
}

// ---- functions ----
int CreateCanvasBody(lua_State* L) {
  const char* fn = "cdCreateCanvas";
  if (!script::IsNumberArg(L, 1)) script::Raise(fn, "invalid driver parameter");
  double number = lua_tonumber(L, 1);
  // written so that NaN fails as well
  if (!(number >= 0 && number < DriverCount(L))) script::Raise(fn, "unknown driver");
  const cdDriverEntry* driver = DriverAt(static_cast<int>(number));
  // Only RGB images take a third value (the resolution). Counted before
  // the data conversion, which may push a value of its own.
  bool image_rgb = driver->data_kind == CD_DATA_IMAGERGB;
  bool extra = script::HasArg(L, image_rgb ? 4 : 3);
  void* data = DriverData(L, 2, driver);
  if (extra) script::Raise(fn, "too many parameters");
  cdDriver* context = driver->driver;
  if (context == nullptr) {
    lua_pushnil(L);
    return 1;
  }
  CanvasCell* cell = PushCanvas(L);
  int value = lua_gettop(L);
  imlua::ImageRGB* image = image_rgb ? imlua::ToImageRGB(L, 2) : nullptr;
  if (image != nullptr) {
    cell->anchor = new (std::nothrow) imlua::PlanesRef(image->planes);
    if (cell->anchor == nullptr) {
      lua_pushnil(L);
      return 1;
    }
  }
  cell->handle = cdCreateCanvas(context, data);
  if (cell->handle == nullptr) {
    delete cell->anchor;
    cell->anchor = nullptr;
    lua_pushnil(L);
    return 1;
  }
  if (image_rgb && image == nullptr) {
    cell->image_ex = RgbImageExAt(L, 2);
    UseImageEx(cell->image_ex);
  }
  RememberCanvas(L, cell->handle, value);
  lua_pushvalue(L, value);
  return 1;
}

// Every error leaves the void canvas active: a failed activation never
// leaves a killed or foreign canvas in use.
int ActivateBody(lua_State* L) {
  const char* fn = "cdActivate";
  if (!script::HasArg(L, 1) || lua_isnil(L, 1)) {
    ActivateVoid();
    script::NoArgAt(L, 2, fn);
    lua_pushinteger(L, CD_OK);
    return 1;
  }
  auto* cell = static_cast<CanvasCell*>(ToKind(L, 1, Kind::Canvas));
  if (cell == nullptr) {
    ActivateVoid();
    script::Raise(fn, "invalid canvas parameter");
  }
  if (cell->handle == nullptr) {
    ActivateVoid();
    script::Raise(fn, "attempt to activate a killed canvas");
  }
  if (script::HasArg(L, 2)) {
    ActivateVoid();
    script::Raise(fn, "too many parameters");
  }
  int result = cdActivate(cell->handle);
  if (result == CD_ERROR) ActivateVoid();
  lua_pushinteger(L, result);
  return 1;
}

int ActiveCanvasBody(lua_State* L) {
  script::NoArgAt(L, 1, "cdActiveCanvas");
  PushCanvasValue(L, cdActiveCanvas());
  return 1;
}

int KillCanvasBody(lua_State* L) {
  const char* fn = "cdKillCanvas";
  auto* cell =
      static_cast<CanvasCell*>(script::HasArg(L, 1) ? ToKind(L, 1, Kind::Canvas) : nullptr);
  script::LiveObject(L, 1, fn, "kill", "canvas", cell, cell != nullptr && cell->handle != nullptr);
  script::NoArgAt(L, 2, fn);
  if (cell->handle == g_void)
    script::RaiseMessage("cdKillCanvas: trying to kill the void canvas???");
  if (cdActiveCanvas() == cell->handle) ActivateVoid();
  cdKillCanvas(cell->handle);
  cell->handle = nullptr;
  delete cell->anchor;
  cell->anchor = nullptr;
  if (cell->image_ex != nullptr) LetGoImageEx(cell->image_ex);
  cell->image_ex = nullptr;
  return 0;
}

int GetContextBody(lua_State* L) {
  const char* fn = "cdGetContext";
  cdCanvasHandle handle = LiveCanvas(L, 1, fn, "get the context of");
  script::NoArgAt(L, 2, fn);
  int number = DriverNumberOf(L, cdGetContext(handle));
  if (number < 0) {
    lua_pushnil(L);
  } else {
    lua_pushinteger(L, number);
  }
  return 1;
}

int ContextCapsBody(lua_State* L) {
  const char* fn = "cdContextCaps";
  int number = DriverArg(L, 1, fn);
  script::NoArgAt(L, 2, fn);
  lua_pushinteger(L, static_cast<lua_Integer>(cdContextCaps(DriverAt(number)->driver)));
  return 1;
}

int SaveStateBody(lua_State* L) {
  script::NoArgAt(L, 1, "cdSaveState");
  NeedCanvas(L);
  StateCell* cell = PushState(L);
  cell->state = cdSaveState();
  if (cell->state == nullptr) {
    lua_pop(L, 1);
    lua_pushnil(L);
  }
  return 1;
}

int RestoreStateBody(lua_State* L) {
  const char* fn = "cdRestoreState";
  auto* cell = static_cast<StateCell*>(script::HasArg(L, 1) ? ToKind(L, 1, Kind::State) : nullptr);
  script::LiveObject(L, 1, fn, "restore", "state", cell, cell != nullptr && cell->state != nullptr);
  script::NoArgAt(L, 2, fn);
  NeedCanvas(L);
  cdRestoreState(cell->state);  // consumes it
  cell->state = nullptr;
  return 0;
}

// cdPrinterSetting(key, value): a print setting for later printer canvases
// (a nil value removes it), as the C function of the same name.
int PrinterSettingBody(lua_State* L) {
  const char* fn = "cdPrinterSetting";
  const char* key = script::ArgString(L, 1);
  if (key == nullptr) script::RaiseInvalid(fn, "key");
  const char* value = nullptr;
  if (!script::IsNilArg(L, 2)) {
    value = script::ArgString(L, 2);
    if (value == nullptr) script::RaiseInvalid(fn, "value");
  }
  script::NoArgAt(L, 3, fn);
  cdPrinterSetting(key, value);
  return 0;
}

const luaL_Reg kFunctions[] = {
    {"cdCreateCanvas", script::Guarded<CreateCanvasBody>},
    {"cdActivate", script::Guarded<ActivateBody>},
    {"cdActiveCanvas", script::Guarded<ActiveCanvasBody>},
    {"cdKillCanvas", script::Guarded<KillCanvasBody>},
    {"cdGetContext", script::Guarded<GetContextBody>},
    {"cdContextCaps", script::Guarded<ContextCapsBody>},
    {"cdPrinterSetting", script::Guarded<PrinterSettingBody>},
    {"cdSaveState", script::Guarded<SaveStateBody>},
    {"cdRestoreState", script::Guarded<RestoreStateBody>},
    {nullptr, nullptr},
};

}  // namespace

// Gives every listed driver not yet published in this interpreter its
// global, in list order.
void PublishDrivers(lua_State* L) {
  int published = DriverCount(L);
  int count = cdDriverCount();
  for (int number = published; number < count; ++number) {
    lua_pushinteger(L, number);
    lua_setglobal(L, cdDriverAt(number)->name);
  }
  lua_pushinteger(L, count);
  lua_setfield(L, LUA_REGISTRYINDEX, kDriverCount);
}

cdCanvasHandle VoidCanvas() {
  return g_void;
}
bool VoidActive() {
  return cdActiveCanvas() == g_void || cdActiveCanvas() == nullptr;
}
void ActivateVoid() {
  if (g_void == nullptr || cdActivate(g_void) == CD_ERROR) cdActivate(nullptr);
}

void NeedCanvas(lua_State*) {
  if (VoidActive()) script::Raise("cdlua", "there is no active canvas");
}

void PushCanvasValue(lua_State* L, cdCanvasHandle handle) {
  if (handle == nullptr) {
    lua_pushnil(L);
    return;
  }
  lua_getfield(L, LUA_REGISTRYINDEX, kCanvasValues);
  lua_pushlightuserdata(L, handle);
  lua_rawget(L, -2);
  lua_remove(L, -2);
}

int DriverCount(lua_State* L) {
  lua_getfield(L, LUA_REGISTRYINDEX, kDriverCount);
  int count = static_cast<int>(lua_tointeger(L, -1));
  lua_pop(L, 1);
  return count;
}
const cdDriverEntry* DriverAt(int number) {
  return cdDriverAt(number);
}

int DriverNumberOf(lua_State* L, cdDriver* context) {
  int number = cdDriverNumber(context);
  return number < DriverCount(L) ? number : -1;
}

void* DriverData(lua_State* L, int idx, const cdDriverEntry* driver) {
  switch (driver->data_kind) {
    case CD_DATA_WINDOW:
      return WindowData(L, idx, driver->name);
    case CD_DATA_IMAGE:
      return ServerImageData(L, idx, driver->name);
    case CD_DATA_IMAGERGB:
      return ImageRGBData(L, idx, driver->name);
    case CD_DATA_ELEMENT:
      return ElementData(L, idx, driver->name);
    case CD_DATA_TEXT:
      break;
  }
  return TextData(L, idx, driver->name);
}

int DriverArg(lua_State* L, int n, const char* fn) {
  if (!script::IsNumberArg(L, n)) script::Raise(fn, "invalid driver parameter");
  double number = lua_tonumber(L, n);
  if (!(number >= 0 && number < DriverCount(L))) script::Raise(fn, "unknown driver");
  return static_cast<int>(number);
}

void OpenDrivers(lua_State* L) {
  // A second interpreter numbers the same drivers again.
  cdOpenDrivers();
  lua_pushinteger(L, 0);
  lua_setfield(L, LUA_REGISTRYINDEX, kDriverCount);
  PublishDrivers(L);
}

void RegisterCanvasFunctions(lua_State* L) {
  lua_newtable(L);
  lua_newtable(L);
  lua_pushstring(L, "v");
  lua_setfield(L, -2, "__mode");
  lua_setmetatable(L, -2);
  lua_setfield(L, LUA_REGISTRYINDEX, kCanvasValues);
  Register(L, kFunctions);
}

void OpenVoidCanvas(lua_State* L) {
  // The void canvas: its value lives in the registry for the life of the
  // interpreter; collecting it at close frees the canvas.
  CanvasCell* cell = PushCanvas(L);
  g_void = cdCreateCanvas(&g_void_driver, nullptr);
  cell->handle = g_void;
  if (g_void != nullptr) RememberCanvas(L, g_void, lua_gettop(L));
  lua_setfield(L, LUA_REGISTRYINDEX, kVoidValue);
  ActivateVoid();
}

// Called from the canvas "gc" method when the void canvas is collected.
void ForgetVoid() {
  g_void = nullptr;
}

}  // namespace cdlua

void cdlua_open_iup(lua_State* L) {
  // The toolkit canvas driver draws into a framebuffer the toolkit shows.
  iup::canvasfb::InstallHost();
  cdListDriver(cdContextIup());
  cdlua::PublishDrivers(L);
}
