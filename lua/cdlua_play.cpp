// Playing files into the active canvas and the play callbacks: script
// functions held by reference and called through adapters registered with
// the canvas library. A script error inside a callback is reported and
// stops the play; a bad result stops it and is raised once cdPlay returns.
#include <string>
#include <utility>

#include "cdlua_internal.h"
#include "report.h"

namespace cdlua {
namespace {

// driver descriptor (light userdata) -> { [cb] = function }
constexpr const char* kCallbacks = "cdlua.callbacks";

enum {
  kSize = 0,
  kCounter = 1,
  kScaleMode = 2,
  kVdcExtent = 3,
  kBeginPicture = 4,
  kBeginPictureBody = 5,
  kBeginMetafile = 6
};

lua_State* g_L = nullptr;
std::string g_pending;  // a bad callback result, raised after the play

// The library calls an adapter with the callback's own arguments only, so
// each driver that has callbacks registered gets a slot of adapters of its
// own; the slot tells the adapter which driver's function to call.
constexpr int kSlots = 32;
cdDriver* g_slot_driver[kSlots] = {};

// The slot of a driver, taking a free one when asked; -1 when none.
int SlotOf(cdDriver* driver, bool take) {
  for (int i = 0; i < kSlots; ++i)
    if (g_slot_driver[i] == driver) return i;
  if (!take) return -1;
  for (int i = 0; i < kSlots; ++i) {
    if (g_slot_driver[i] == nullptr) {
      g_slot_driver[i] = driver;
      return i;
    }
  }
  return -1;
}

// Pushes the function registered for the slot's driver and cb, then the
// driver's number; false (nothing pushed) when there is none.
bool PushCallback(lua_State* L, int slot, int cb) {
  cdDriver* driver = g_slot_driver[slot];
  lua_getfield(L, LUA_REGISTRYINDEX, kCallbacks);
  lua_pushlightuserdata(L, driver);
  lua_rawget(L, -2);
  if (!lua_istable(L, -1)) {
    lua_pop(L, 2);
    return false;
  }
  lua_rawgeti(L, -1, cb);
  lua_remove(L, -2);
  lua_remove(L, -2);
  if (!lua_isfunction(L, -1)) {
    lua_pop(L, 1);
    return false;
  }
  lua_pushinteger(L, cdDriverNumber(driver));
  return true;
}

// Calls the function with nargs arguments; returns its first result as an
// integer in *result, leaving nresults results on the stack (0 on error).
bool Call(lua_State* L, int nargs, int nresults, const char* cb_name, int* result) {
  if (script::ReportingCall(L, nargs, nresults) != LUA_OK) {
    *result = CDPLAY_ABORT;
    return false;
  }
  if (!lua_isnumber(L, -nresults)) {
    if (g_pending.empty())
      g_pending = std::string("cdPlay: ") + cb_name + ": invalid return value!";
    lua_pop(L, nresults);
    *result = CDPLAY_ABORT;
    return false;
  }
  *result = static_cast<int>(lua_tointeger(L, -nresults));
  return true;
}

// Results 2 to 5 become the four values unless the first is CDPLAY_ABORT.
template <typename T>
bool TakeFour(lua_State* L, const char* cb_name, T* out[4]) {
  static const char* const names[4] = {"xmn", "ymn", "xmx", "ymx"};
  for (int i = 0; i < 4; ++i) {
    int idx = -4 + i;
    if (!lua_isnumber(L, idx)) {
      if (g_pending.empty()) {
        g_pending = std::string("cdPlay: ") + cb_name + ": invalid " + names[i] + " return value!";
      }
      return false;
    }
  }
  for (int i = 0; i < 4; ++i) {
    if (out[i] != nullptr) *out[i] = static_cast<T>(lua_tonumber(L, -4 + i));
  }
  return true;
}

// The adapters of one slot; each calls the script function with the
// driver's number first, then the callback's arguments.
template <int Slot>
struct Adapters {
  static int Size(cdCanvasHandle, int w, int h, double w_mm, double h_mm) {
    lua_State* L = g_L;
    if (L == nullptr || !lua_checkstack(L, 8) || !PushCallback(L, Slot, kSize)) return CDPLAY_GO;
    lua_pushinteger(L, w);
    lua_pushinteger(L, h);
    lua_pushnumber(L, w_mm);
    lua_pushnumber(L, h_mm);
    int result = CDPLAY_ABORT;
    if (Call(L, 5, 1, "CD_SIZECB", &result)) lua_pop(L, 1);
    return result;
  }

  static int Counter(void*, double percent) {
    lua_State* L = g_L;
    if (L == nullptr || !lua_checkstack(L, 8) || !PushCallback(L, Slot, kCounter)) return CDPLAY_GO;
    lua_pushnumber(L, percent);
    int result = CDPLAY_ABORT;
    if (Call(L, 2, 1, "CD_CGMCOUNTERCB", &result)) lua_pop(L, 1);
    return result;
  }

  static int ScaleMode(void*, short mode, short* draw_mode, double* factor) {
    lua_State* L = g_L;
    if (L == nullptr || !lua_checkstack(L, 8) || !PushCallback(L, Slot, kScaleMode))
      return CDPLAY_GO;
    lua_pushinteger(L, mode);
    lua_pushinteger(L, draw_mode != nullptr ? *draw_mode : 0);
    lua_pushnumber(L, factor != nullptr ? *factor : 0);
    int result = CDPLAY_ABORT;
    if (Call(L, 4, 1, "CD_CGMSCLMDECB", &result)) lua_pop(L, 1);
    return result;
  }

  static int BeginPicture(void*, char* name) {
    lua_State* L = g_L;
    if (L == nullptr || !lua_checkstack(L, 8) || !PushCallback(L, Slot, kBeginPicture))
      return CDPLAY_GO;
    lua_pushstring(L, name != nullptr ? name : "");
    int result = CDPLAY_ABORT;
    if (Call(L, 2, 1, "CD_CGMBEGPICTCB", &result)) lua_pop(L, 1);
    return result;
  }

  static int BeginPictureBody(void*, double a, double b, double sx, double sy, double mx, double my,
                              int draw_mode, double vxmin, double vymin, double vxmax,
                              double vymax) {
    lua_State* L = g_L;
    if (L == nullptr || !lua_checkstack(L, 16) || !PushCallback(L, Slot, kBeginPictureBody)) {
      return CDPLAY_GO;
    }
    for (double v : {a, b, sx, sy, mx, my}) lua_pushnumber(L, v);
    lua_pushinteger(L, draw_mode);
    for (double v : {vxmin, vymin, vxmax, vymax}) lua_pushnumber(L, v);
    int result = CDPLAY_ABORT;
    if (Call(L, 12, 1, "CD_CGMBEGPICTBCB", &result)) lua_pop(L, 1);
    return result;
  }

  static int VdcExtent(void*, short type, double* x1, double* y1, double* x2, double* y2) {
    lua_State* L = g_L;
    if (L == nullptr || !lua_checkstack(L, 12) || !PushCallback(L, Slot, kVdcExtent))
      return CDPLAY_GO;
    lua_pushinteger(L, type);
    for (double* v : {x1, y1, x2, y2}) lua_pushnumber(L, v != nullptr ? *v : 0);
    int result = CDPLAY_ABORT;
    if (!Call(L, 6, 5, "CD_CGMVDCEXTCB", &result)) return result;
    double* out[4] = {x1, y1, x2, y2};
    if (result != CDPLAY_ABORT && !TakeFour(L, "CD_CGMVDCEXTCB", out)) result = CDPLAY_ABORT;
    lua_pop(L, 5);
    return result;
  }

  static int BeginMetafile(void*, int* xmin, int* ymin, int* xmax, int* ymax) {
    lua_State* L = g_L;
    if (L == nullptr || !lua_checkstack(L, 12) || !PushCallback(L, Slot, kBeginMetafile))
      return CDPLAY_GO;
    int result = CDPLAY_ABORT;
    if (!Call(L, 1, 5, "CD_CGMBEGMTFCB", &result)) return result;
    int* out[4] = {xmin, ymin, xmax, ymax};
    if (result != CDPLAY_ABORT && !TakeFour(L, "CD_CGMBEGMTFCB", out)) result = CDPLAY_ABORT;
    lua_pop(L, 5);
    return result;
  }
};

// Callbacks travel as one generic function type; the library casts back.
template <typename F>
cdCallback AsCallback(F* f) {
  return reinterpret_cast<cdCallback>(reinterpret_cast<void (*)()>(f));
}

// Every callback's signature is fixed by its number: CD_SIZECB for any
// driver, the others are the CGM reader's. The driver decides which it takes.
template <int Slot>
cdCallback SlotAdapter(int cb) {
  switch (cb) {
    case kSize:
      return AsCallback(Adapters<Slot>::Size);
    case kCounter:
      return AsCallback(Adapters<Slot>::Counter);
    case kScaleMode:
      return AsCallback(Adapters<Slot>::ScaleMode);
    case kVdcExtent:
      return AsCallback(Adapters<Slot>::VdcExtent);
    case kBeginPicture:
      return AsCallback(Adapters<Slot>::BeginPicture);
    case kBeginPictureBody:
      return AsCallback(Adapters<Slot>::BeginPictureBody);
    case kBeginMetafile:
      return AsCallback(Adapters<Slot>::BeginMetafile);
    default:
      return nullptr;
  }
}

template <std::size_t... Slots>
cdCallback AdapterIn(int slot, int cb, std::index_sequence<Slots...>) {
  static constexpr cdCallback (*kBySlot[])(int) = {SlotAdapter<int(Slots)>...};
  return kBySlot[slot](cb);
}

// The adapter of the slot's callback (cb kSize .. kBeginMetafile).
cdCallback Adapter(int slot, int cb) {
  return AdapterIn(slot, cb, std::make_index_sequence<kSlots>{});
}

int RegisterCallbackBody(lua_State* L) {
  const char* fn = "cdRegisterCallback";
  int driver = DriverArg(L, 1, fn);
  if (!script::IsNumberArg(L, 2)) script::Raise(fn, "invalid cb parameter");
  int cb = script::TruncateToInt(lua_tonumber(L, 2));
  if (!script::HasArg(L, 3) || !(lua_isfunction(L, 3) || lua_isnil(L, 3))) {
    script::Raise(fn, "invalid func parameter");
  }
  script::NoArgAt(L, 4, fn);
  cdDriver* context = DriverAt(driver)->driver;
  if (context == nullptr || cb < kSize || cb > kBeginMetafile) {
    lua_pushinteger(L, CD_ERROR);
    return 1;
  }
  bool removing = lua_isnil(L, 3);
  cdCallback adapter = nullptr;
  if (!removing) {
    int slot = SlotOf(context, true);
    if (slot < 0) {  // more drivers with callbacks than slots
      lua_pushinteger(L, CD_ERROR);
      return 1;
    }
    adapter = Adapter(slot, cb);
  }
  int result = cdRegisterCallback(context, cb, adapter);
  if (result != CD_ERROR) {
    lua_getfield(L, LUA_REGISTRYINDEX, kCallbacks);
    lua_pushlightuserdata(L, context);
    lua_rawget(L, -2);
    if (!lua_istable(L, -1)) {
      lua_pop(L, 1);
      lua_newtable(L);
      lua_pushlightuserdata(L, context);
      lua_pushvalue(L, -2);
      lua_rawset(L, -4);
    }
    lua_pushvalue(L, 3);
    lua_rawseti(L, -2, cb);
    lua_pop(L, 2);
  }
  lua_pushinteger(L, result);
  return 1;
}

int PlayBody(lua_State* L) {
  const char* fn = "cdPlay";
  int driver = DriverArg(L, 1, fn);
  int bounds[4];
  for (int i = 0; i < 4; ++i) {
    if (!script::IsNumberArg(L, 2 + i)) script::Raise(fn, "invalid viewport");
    bounds[i] = script::TruncateToInt(lua_tonumber(L, 2 + i));
  }
  if (!script::HasArg(L, 6) || lua_type(L, 6) != LUA_TSTRING)
    script::Raise(fn, "data should be of type string");
  script::NoArgAt(L, 7, fn);
  NeedCanvas(L);
  cdDriver* context = DriverAt(driver)->driver;
  if (context == nullptr) {
    lua_pushinteger(L, CD_ERROR);
    return 1;
  }
  g_pending.clear();
  int result = cdPlay(context, bounds[0], bounds[1], bounds[2], bounds[3],
                      const_cast<char*>(lua_tostring(L, 6)));
  if (!g_pending.empty()) {
    std::string message = std::move(g_pending);
    g_pending.clear();
    script::RaiseMessage(std::move(message));
  }
  lua_pushinteger(L, result);
  return 1;
}

const luaL_Reg kFunctions[] = {
    {"cdRegisterCallback", script::Guarded<RegisterCallbackBody>},
    {"cdPlay", script::Guarded<PlayBody>},
    {nullptr, nullptr},
};

}  // namespace

void RegisterPlayFunctions(lua_State* L) {
  g_L = L;
  lua_newtable(L);
  lua_setfield(L, LUA_REGISTRYINDEX, kCallbacks);
  Register(L, kFunctions);
}

}  // namespace cdlua
