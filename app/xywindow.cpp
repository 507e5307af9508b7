// The XY graphic window over the current profile. Everything runs in
// toolkit callbacks on the one thread; script functions and tables are
// reached through protected calls only, and a failing one is reported on
// the console like any script error.
#include "xywindow.h"

#include <cstdio>
#include <string>

#include "cdlua.h"
#include "cdwin.h"
#include "iup.h"
#include "profile.h"
#include "script.h"
#include "xychart.h"

namespace route {

namespace {

struct Window {
  lua_State* L = nullptr;
  XYChart* chart = nullptr;
  XYCurve* curve = nullptr;
  XYCartesianMarker* marker = nullptr;
  bool diamondShown = false;
  double diamondX = 0, diamondY = 0;  // canvas position on the main map
  double mapX = 0, mapY = 0;          // the selected sample's map coordinates
  IupElement* dialog = nullptr;
  IupElement* menu = nullptr;
  int dialogSerial = 0, menuSerial = 0;  // a script may destroy them first
  IupElement* valueLabel = nullptr;
};

Window& State() {
  static Window window;
  return window;
}

void Report(lua_State* L) {
  std::fprintf(stderr, "%s\n", lua_isstring(L, -1) ? lua_tostring(L, -1) : "(error object)");
  lua_pop(L, 1);
}

// The main canvas, canvas.cdlua_canvas; null when the script has none.
int PushMainCanvas(lua_State* L) {
  lua_getglobal(L, "canvas");
  lua_getfield(L, -1, "cdlua_canvas");
  return 1;
}

cdCanvasHandle MainCanvas(lua_State* L) {
  lua_pushcfunction(L, PushMainCanvas);
  if (lua_pcall(L, 0, 1, 0) != LUA_OK) {
    Report(L);
    return nullptr;
  }
  cdCanvasHandle canvas = cdlua_tocanvas(L, -1);
  lua_pop(L, 1);
  return canvas;
}

// Calls the script function name (x, y) for two numbers; false when it fails.
bool CallPair(lua_State* L, const char* name, double x, double y, double* a, double* b) {
  lua_getglobal(L, name);
  lua_pushnumber(L, x);
  lua_pushnumber(L, y);
  if (lua_pcall(L, 2, 2, 0) != LUA_OK) {
    Report(L);
    return false;
  }
  *a = lua_tonumber(L, -2);
  *b = lua_tonumber(L, -1);
  lua_pop(L, 2);
  return true;
}

// Varko.Project.XYMark.x and .y: the numbers on the stack, or nil for none.
int StoreMark(lua_State* L) {
  const bool clear = lua_isnil(L, 1);
  lua_getglobal(L, "Varko");
  lua_getfield(L, -1, "Project");
  lua_getfield(L, -1, "XYMark");
  if (!lua_istable(L, -1)) return 0;
  if (clear)
    lua_pushnil(L);
  else
    lua_pushvalue(L, 1);
  lua_setfield(L, -2, "x");
  if (clear)
    lua_pushnil(L);
  else
    lua_pushvalue(L, 2);
  lua_setfield(L, -2, "y");
  return 0;
}

void PublishMark(lua_State* L, bool shown, double x, double y) {
  lua_pushcfunction(L, StoreMark);
  if (shown) {
    lua_pushnumber(L, x);
    lua_pushnumber(L, y);
  } else {
    lua_pushnil(L);
    lua_pushnil(L);
  }
  if (lua_pcall(L, 2, 0, 0) != LUA_OK) Report(L);
}

// Draws (or, drawn again, erases) the diamond on the main canvas. It is
// drawn in black and unclipped, whatever the script left set: NOT_XOR with
// black inverts every pixel, so the diamond always shows and a second draw
// always erases it (with the script's colour it was invisible on white and
// could not be erased after a colour change; a clip area the script left
// on could hide it).
void ToggleDiamond(cdCanvasHandle main, double x, double y) {
  if (!main || cdActivate(main) == CD_ERROR) return;
  const long foreground = cdForeground(0x000000);
  const int clip = cdClip(CD_CLIPOFF);
  cdWriteMode(CD_NOT_XOR);
  cdMarkSize(10);
  cdMarkType(CD_DIAMOND);
  cdMark(static_cast<int>(x), static_cast<int>(y));
  cdMarkSize(1);
  cdMarkType(CD_CIRCLE);
  cdWriteMode(CD_REPLACE);
  cdClip(clip);
  cdForeground(foreground);
}

int CanvasRepaint(IupElement*) {
  Window& w = State();
  if (w.chart) XYChartRefresh(w.chart);
  return IUP_DEFAULT;
}

int SetParametersAction(IupElement*) {
  IupMessage("ok", "ok");
  return IUP_DEFAULT;
}

// The axis form; false when cancelled. exponent and the range are in and out.
bool AxisForm(const char* format, double* exponent, double* min, double* max, int* subdivisions) {
  double precision = 1.0;  // shown and read back, used for nothing
  *subdivisions = 10;
  return IupScanf(format, exponent, &precision, min, max, subdivisions) != -1;
}

void SelectSample(Window& w, int x, int y) {
  lua_State* L = w.L;
  const Profile& profile = CurrentProfile();
  if (w.marker) {
    XYChartRemoveMarker(w.chart, w.marker);
    w.marker = nullptr;
  }
  if (w.diamondShown) {
    ToggleDiamond(MainCanvas(L), w.diamondX, w.diamondY);
    w.diamondShown = false;
  }
  if (profile.count == 0) return;
  const double v = XYChartXValue(w.chart, x, y);
  // the sample before the first whose distance reaches v, kept within the samples
  int i = 0;
  while (i < profile.count && profile.distance[std::size_t(i)] < v) i++;
  int sample = i == 0 ? 0 : i - 1;
  if (i == profile.count) sample = profile.count - 1;
  const double sx = profile.x[std::size_t(sample)], sy = profile.y[std::size_t(sample)];
  if (CallPair(L, "imagetomap", sx, sy, &w.mapX, &w.mapY)) {
    char text[128];
    std::snprintf(text, sizeof text, "(%f , %f)", w.mapX * 1000, w.mapY * 1000);
    IupSetAttributeCopy(w.valueLabel, "TITLE", text);
  }
  double cx = 0, cy = 0;
  if (CallPair(L, "imagetocanvas", sx, sy, &cx, &cy)) {
    cdCanvasHandle main = MainCanvas(L);
    if (main) {
      w.diamondX = cx, w.diamondY = cy;
      ToggleDiamond(main, cx, cy);
      w.diamondShown = true;
    }
  }
  w.marker = XYChartAddMarker(w.chart, 0, profile.distance[std::size_t(sample)], 0x0000ff, 1, 0);
  XYChartRefresh(w.chart);
  if (w.diamondShown) PublishMark(L, true, cx, cy);
}

int ButtonAction(IupElement*, int button, int pressed, int x, int y, char*) {
  Window& w = State();
  if (!w.chart || !w.chart->graph->getCanvas()) return IUP_DEFAULT;
  if (cdActivate(w.chart->graph->getCanvas()) == CD_ERROR) return IUP_DEFAULT;
  cdUpdateYAxis(&y);
  double xmin, ymin, xmax, ymax;
  XYChartGetRanges(w.chart, &xmin, &ymin, &xmax, &ymax);
  if (pressed != 1 || button != IUP_BUTTON1) return IUP_DEFAULT;
  int nx = 10;
  if (XYChartPickXAxis(w.chart, x, y)) {
    double exponent = w.chart->xExponent;
    int subdivisions = 10;
    if (AxisForm("X Axis Parameters\n Exponent     = %20.10%lf\n Precision    = %20.10%lf\n"
                 " Xmin         = %20.10%lf\n Xmax         = %20.10%lf\n"
                 " Subdivisions = %20.10%d\n",
                 &exponent, &xmin, &xmax, &subdivisions)) {
      nx = subdivisions;
      XYChartSetXExponent(w.chart, exponent);
      XYChartSetRanges(w.chart, xmin, xmax, ymin, ymax, nx, 10);
      XYChartRefresh(w.chart);
    }
  }
  if (XYChartPickYAxis(w.chart, x, y)) {
    double exponent = w.chart->yExponent;
    int subdivisions = 10;
    if (AxisForm("Y Axis Parameters\n Exponent     = %20.10%lf\n Precision    = %20.10%lf\n"
                 " Ymin         = %20.10%lf\n Ymax         = %20.10%lf\n"
                 " Subdivisions = %20.10%d\n",
                 &exponent, &ymin, &ymax, &subdivisions)) {
      XYChartSetYExponent(w.chart, exponent);
      XYChartSetRanges(w.chart, xmin, xmax, ymin, ymax, nx, subdivisions);
      XYChartRefresh(w.chart);
    }
  }
  if (XYChartPickCurve(w.chart, x, y)) SelectSample(w, x, y);
  return IUP_DEFAULT;
}

// Closes the window: the chart, the dialog, the diamond and the mark.
void CloseWindow(Window& w) {
  if (w.chart) {
    if (w.curve) XYChartRemoveCurve(w.chart, w.curve);
    XYChartDestroy(w.chart);  // deletes the marker with the graph's marks
  }
  w.chart = nullptr, w.curve = nullptr, w.marker = nullptr;
  if (w.dialog && IupFromSerial(w.dialogSerial) == w.dialog) IupDestroy(w.dialog);
  if (w.menu && IupFromSerial(w.menuSerial) == w.menu) IupDestroy(w.menu);
  w.dialog = nullptr, w.menu = nullptr, w.valueLabel = nullptr;
  if (w.diamondShown) {
    ToggleDiamond(MainCanvas(w.L), w.diamondX, w.diamondY);
    w.diamondShown = false;
  }
  PublishMark(w.L, false, 0, 0);
}

int ExitXYGraphic(IupElement*) {
  CloseWindow(State());
  return IUP_DEFAULT;
}

void OpenWindow(lua_State* L, const Profile& profile) {
  Window& w = State();
  if (w.dialog || w.chart) CloseWindow(w);  // one window at a time
  w.L = L;
  IupBindAction("CanvasRepaint", IupAsCallback(CanvasRepaint));
  IupBindAction("SetParametersAction", IupAsCallback(SetParametersAction));
  IupBindAction("ButtonAction", IupAsCallback(ButtonAction));
  IupBindAction("ExitXYGraphic", IupAsCallback(ExitXYGraphic));
  IupElement* exit = IupCreateItem("Exit", "ExitXYGraphic");
  IupElement* parameters = IupCreateItem("Set Parameters", "SetParametersAction");
  IupElement* redraw = IupCreateItem("Redraw", "CanvasRepaint");
  w.menu = IupCreateMenu(exit, parameters, redraw, nullptr);
  IupSetHandle("menu", w.menu);
  IupElement* canvas = IupCreateCanvas("CanvasRepaint");
  // named so that scripts and tests can reach them
  IupSetHandle("xyCanvas", canvas);
  IupSetHandle("xyExit", exit);
  IupSetHandle("xySetParameters", parameters);
  IupSetHandle("xyRedraw", redraw);
  w.valueLabel = IupCreateLabel(std::string(75, ' ').c_str());
  IupSetHandle("xyValue", w.valueLabel);
  IupElement* frame = IupCreateFrame(
      IupCreateHbox(IupCreateLabel("Coordinates:"), w.valueLabel, IupCreateFill(), nullptr));
  w.dialog = IupCreateDialog(IupCreateVbox(canvas, frame, nullptr));
  IupSetHandle("xyDialog", w.dialog);
  w.dialogSerial = IupGetSerial(w.dialog);
  w.menuSerial = IupGetSerial(w.menu);
  IupSetAttribute(w.dialog, "MENU", "menu");
  IupSetAttribute(w.dialog, "TITLE", "XYGraphic");
  IupSetAttribute(w.dialog, "SIZE", "HALFxHALF");
  IupSetAttribute(w.dialog, "BUTTON_CB", "ButtonAction");
  IupSetAttribute(w.dialog, "PARENTDIALOG", "Varko.MainDialog");

  XYCanvasDrivers drivers;
  drivers.element = cdContextIup();
  drivers.image = cdContextImage();
  w.chart = XYChartCreate(canvas, drivers, 0.15, 0.9, 0.15, 0.85, 0xffffff, 0xc0c0c0, 1);
  XYChartShowGrids(w.chart, 1);
  XYChartSetTitles(w.chart, nullptr, nullptr, 0);
  const double last = profile.count > 0 ? profile.distance.back() : 0.0;
  XYChartSetRanges(w.chart, 0.0, last, profile.valueMin, profile.valueMax, 10, 10);
  w.curve = XYChartAddLineCurve(w.chart, "teste", 5, profile.distance.data(), profile.value.data(),
                                profile.count - 1, 0xff0000, 2, CD_CONTINUOUS);
  IupShowXY(w.dialog, IUP_CENTER, IUP_CENTER);
}

}  // namespace

int XYGraphic(lua_State* L) {
  const int path = script::ArgInt(L, 1);
  const int theme = script::ArgInt(L, 2);
  const Profile& profile = MakePathProfile(L, path, theme);
  OpenWindow(L, profile);
  return 0;
}

}  // namespace route
