// The colour selection dialog: a modal "Color Selection" dialog where the
// user picks a colour on a hue ring and a lightness/saturation triangle or
// types it as red, green, blue (0 to 255) or hue (degrees), lightness and
// saturation (0 to 1). One dialog per process, built on its first use, kept
// hidden between uses.
//
// The picker canvas is 181 x 181 pixels, y upwards, centred on (90, 90): the
// ring lies between the radii 72 and 90; the triangle is drawn at (50, 36)
// with lightness rising upwards and saturation rising to the right.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "iupcontrols.h"
#include "iupdriver.h"
#include "offscreen.h"

namespace {

constexpr int kPicker = 181;
constexpr int kCentre = 90;
constexpr int kTriangle = 108;
constexpr int kTriangleX = 50, kTriangleY = 36;
constexpr int kPreviewW = 80, kPreviewH = 50;
constexpr double kPi = 3.14159265358979323846;

struct Planes {
  int w = 0, h = 0;
  std::vector<unsigned char> r, g, b;
  void Make(int width, int height) {
    w = width, h = height;
    r.assign(size_t(w) * h, 0), g = r, b = r;
  }
  void Set(int x, int y, unsigned char red, unsigned char green, unsigned char blue) {
    const size_t i = size_t(y) * w + x;
    r[i] = red, g[i] = green, b[i] = blue;
  }
  void Put(int x, int y) const { cdPutImageRGB(w, h, r.data(), g.data(), b.data(), x, y, w, h); }
};

struct ColourState {
  float hue = 0, lightness = 0, saturation = 0;
  unsigned char red = 0, green = 0, blue = 0;
  int hue_x = 0, hue_y = 0;
  int tri_x = 0, tri_y = 0;
  bool dragging_hue = false, dragging_triangle = false;
  int confirmed = 0;
  unsigned char bg_r = 192, bg_g = 192, bg_b = 192;
  Planes ring, triangle, preview;
  controls::Offscreen picker_canvas, preview_canvas;
  IupElement* dialog = nullptr;
  int dialog_serial = 0;
  IupElement* picker = nullptr;
  IupElement* preview_element = nullptr;
  IupElement* fields[6] = {};  // red, green, blue, hue, lightness, saturation
  IupElement* ok = nullptr;
  IupElement* cancel = nullptr;
};

ColourState* state = nullptr;

unsigned char ToByte(double c) {
  const double v = c * 255;
  if (!(v > 0)) return 0;  // also NaN
  if (v >= 255) return 255;
  return static_cast<unsigned char>(v);
}

// The pure colour of a hue, each component 0 to 1.
void PureHue(double hue, double* r, double* g, double* b) {
  hue = std::fmod(hue, 360.0);
  if (hue < 0) hue += 360;
  const int sector = std::min(5, static_cast<int>(hue / 60));
  const double f = (hue - sector * 60) / 60;
  switch (sector) {
    case 0:
      *r = 1, *g = f, *b = 0;
      break;
    case 1:
      *r = 1 - f, *g = 1, *b = 0;
      break;
    case 2:
      *r = 0, *g = 1, *b = f;
      break;
    case 3:
      *r = 0, *g = 1 - f, *b = 1;
      break;
    case 4:
      *r = f, *g = 0, *b = 1;
      break;
    default:
      *r = 1, *g = 0, *b = 1 - f;
      break;
  }
}

void HlsToRgbD(double hue, double l, double s, unsigned char* red, unsigned char* green,
               unsigned char* blue) {
  double c[3];
  PureHue(hue, &c[0], &c[1], &c[2]);
  for (double& x : c) {
    x = (1 - s) / 2 + s * x;
    if (l <= 0.5) {
      x = x * 2 * l;
    } else {
      const double k = 2 * l - 1;
      x = k + (1 - k) * x;
    }
  }
  *red = ToByte(c[0]), *green = ToByte(c[1]), *blue = ToByte(c[2]);
}

void Background(IupElement* dialog, ColourState& s) {
  int r = 192, g = 192, b = 192;
  if (!iup::ParseColor(IupGetAttribute(dialog, "BGCOLOR"), &r, &g, &b)) r = g = b = 192;
  s.bg_r = static_cast<unsigned char>(r), s.bg_g = static_cast<unsigned char>(g),
  s.bg_b = static_cast<unsigned char>(b);
}

// The ring of pure hues on the dialog background, with a raised bevelled
// edge: the light half from 45 to 225 degrees outside and the dark half
// inside, the other way round beyond.
void BuildRing(ColourState& s) {
  s.ring.Make(kPicker, kPicker);
  for (int y = 0; y < kPicker; ++y) {
    for (int x = 0; x < kPicker; ++x) {
      const int dx = x - kCentre, dy = y - kCentre, d2 = dx * dx + dy * dy;
      if (d2 >= 90 * 90 || d2 <= 72 * 72) {
        s.ring.Set(x, y, s.bg_r, s.bg_g, s.bg_b);
        continue;
      }
      double angle = std::atan2(double(dy), double(dx)) * 180 / kPi;
      if (angle < 0) angle += 360;
      const double d = std::sqrt(double(d2));
      const bool upper_left = angle >= 45 && angle < 225;
      if (d >= 88.5 || d <= 73.5) {
        const bool light = (d >= 88.5) == upper_left;
        const unsigned char v = light ? 255 : 128;
        s.ring.Set(x, y, v, v, v);
        continue;
      }
      unsigned char r, g, b;
      HlsToRgbD(angle, 0.5, 1, &r, &g, &b);
      s.ring.Set(x, y, r, g, b);
    }
  }
}

// Width of the triangle's row at height y of the picker (0 at the tips).
int RowWidth(int y) {
  return kTriangle - std::abs(2 * y - 180);
}

// The triangle for the current hue; outside it the ring shows through.
void BuildTriangle(ColourState& s) {
  s.triangle.Make(kTriangle, kTriangle);
  for (int j = 0; j < kTriangle; ++j) {
    const int y = kTriangleY + j;
    const int width = RowWidth(y);
    const double l = double(j) / kTriangle;
    for (int i = 0; i < kTriangle; ++i) {
      if (width <= 0 || i > width) {
        const size_t k = size_t(y) * kPicker + kTriangleX + i;
        s.triangle.Set(i, j, s.ring.r[k], s.ring.g[k], s.ring.b[k]);
        continue;
      }
      unsigned char r, g, b;
      HlsToRgbD(s.hue, l, double(i) / width, &r, &g, &b);
      s.triangle.Set(i, j, r, g, b);
    }
  }
}

// The colour with a one-pixel sunken bevel: top row and left column in the
// background darkened to two thirds, bottom row and right column in the
// background lightened halfway to white.
void BuildPreview(ColourState& s) {
  s.preview.Make(kPreviewW, kPreviewH);
  auto dark = [](unsigned char c) { return static_cast<unsigned char>(c * 2 / 3); };
  auto light = [](unsigned char c) { return static_cast<unsigned char>(c + (255 - c) / 2); };
  for (int y = 0; y < kPreviewH; ++y) {
    for (int x = 0; x < kPreviewW; ++x) {
      if (y == kPreviewH - 1 || x == 0)
        s.preview.Set(x, y, dark(s.bg_r), dark(s.bg_g), dark(s.bg_b));
      else if (y == 0 || x == kPreviewW - 1)
        s.preview.Set(x, y, light(s.bg_r), light(s.bg_g), light(s.bg_b));
      else
        s.preview.Set(x, y, s.red, s.green, s.blue);
    }
  }
}

void PlaceHueMarker(ColourState& s) {
  const double a = s.hue * kPi / 180;
  s.hue_x = kCentre + static_cast<int>(std::lround(81 * std::cos(a)));
  s.hue_y = kCentre + static_cast<int>(std::lround(81 * std::sin(a)));
}

void PlaceTriangleMarker(ColourState& s) {
  s.tri_y = kTriangleY + static_cast<int>(std::lround(kTriangle * s.lightness));
  s.tri_x = kTriangleX + static_cast<int>(std::lround(RowWidth(s.tri_y) * s.saturation));
}

// A marker position pulled into the triangle, then read as saturation and
// lightness. At the two tips the row has no width: saturation is 0 there.
void TriangleFromMarker(ColourState& s, int x, int y) {
  x = std::clamp(x, kTriangleX, kTriangleX + kTriangle);
  y = std::clamp(y, x / 2 + 11, 169 - x / 2);
  s.tri_x = x, s.tri_y = y;
  const int width = RowWidth(y);
  s.saturation = width > 0 ? std::clamp(float(x - kTriangleX) / float(width), 0.0f, 1.0f) : 0.0f;
  s.lightness = std::clamp(float(y - kTriangleY) / float(kTriangle), 0.0f, 1.0f);
}

void DrawMarker(int x, int y) {
  cdArc(x, y, 6, 6, 0, 360);
}

void DrawPicker(const ColourState& s) {
  cdWriteMode(CD_REPLACE);
  s.ring.Put(0, 0);
  s.triangle.Put(kTriangleX, kTriangleY);
  cdWriteMode(CD_XOR);
  cdLineStyle(CD_CONTINUOUS);
  cdLineWidth(1);
  cdForeground(cdEncodeColor(255, 255, 255));
  DrawMarker(s.hue_x, s.hue_y);
  DrawMarker(s.tri_x, s.tri_y);
  cdWriteMode(CD_REPLACE);
}

void RedrawPicker(ColourState& s) {
  if (!s.picker_canvas.EnsureScreen(s.picker)) return;
  cdCanvasHandle previous = nullptr;
  if (!s.picker_canvas.Begin(&previous)) return;
  DrawPicker(s);
  s.picker_canvas.End(previous);
}

void RedrawPreview(ColourState& s) {
  if (!s.preview_canvas.EnsureScreen(s.preview_element)) return;
  cdCanvasHandle previous = nullptr;
  if (!s.preview_canvas.Begin(&previous)) return;
  cdWriteMode(CD_REPLACE);
  s.preview.Put(0, 0);
  s.preview_canvas.End(previous);
}

void SetField(IupElement* field, const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  IupSetAttributeCopy(field, "VALUE", text);
}
void SetIntField(IupElement* field, int value) {
  char text[32];
  std::snprintf(text, sizeof text, "%d", value);
  IupSetAttributeCopy(field, "VALUE", text);
}

void ShowRgbFields(ColourState& s) {
  SetIntField(s.fields[0], s.red);
  SetIntField(s.fields[1], s.green);
  SetIntField(s.fields[2], s.blue);
}
void ShowHlsFields(ColourState& s) {
  SetIntField(s.fields[3], static_cast<int>(s.hue));
  SetField(s.fields[4], "%3.2f", s.lightness);
  SetField(s.fields[5], "%3.2f", s.saturation);
}

void ColourFromHls(ColourState& s) {
  IupColorHlsToRgb(s.hue, s.lightness, s.saturation, &s.red, &s.green, &s.blue);
}

// Everything the dialog shows follows the state.
void ShowAll(ColourState& s) {
  BuildTriangle(s);
  BuildPreview(s);
  ShowRgbFields(s);
  ShowHlsFields(s);
  RedrawPicker(s);
  RedrawPreview(s);
}

void LoadRgb(ColourState& s, unsigned char r, unsigned char g, unsigned char b) {
  s.red = r, s.green = g, s.blue = b;
  IupColorRgbToHls(r, g, b, &s.hue, &s.lightness, &s.saturation);
  PlaceHueMarker(s);
  PlaceTriangleMarker(s);
}

void HueUpdate(ColourState& s, int x, int y) {
  double angle = std::atan2(double(y - kCentre), double(x - kCentre)) * 180 / kPi;
  if (angle < 0) angle += 360;
  if (angle >= 360) angle = 0;
  s.hue = static_cast<float>(angle);
  PlaceHueMarker(s);
  ColourFromHls(s);
  ShowAll(s);
}

void TriangleUpdate(ColourState& s, int x, int y) {
  TriangleFromMarker(s, x, y);
  ColourFromHls(s);
  BuildPreview(s);
  ShowRgbFields(s);
  ShowHlsFields(s);
  RedrawPicker(s);
  RedrawPreview(s);
}

bool OnRing(int x, int y) {
  const int dx = x - kCentre, dy = y - kCentre, d2 = dx * dx + dy * dy;
  return d2 > 5184 && d2 < 8100;
}
bool InTriangleRegion(int x, int y) {
  return x > 46 && x < 342 - 2 * y && x < 2 * y - 14;
}

// ---- callbacks -------------------------------------------------------------

int RepaintCb(IupElement*, float, float) {
  if (state != nullptr) RedrawPicker(*state);
  return IUP_DEFAULT;
}

int MapCb(IupElement* e) {
  if (state == nullptr) return IUP_DEFAULT;
  state->picker_canvas.EnsureScreen(e);
  state->picker_canvas.Resize();
  RedrawPicker(*state);
  return IUP_DEFAULT;
}

int PreviewMapCb(IupElement* e) {
  if (state == nullptr) return IUP_DEFAULT;
  state->preview_canvas.EnsureScreen(e);
  state->preview_canvas.Resize();
  RedrawPreview(*state);
  return IUP_DEFAULT;
}

int PreviewRepaintCb(IupElement*, float, float) {
  if (state != nullptr) RedrawPreview(*state);
  return IUP_DEFAULT;
}

int PreviewFocusCb(IupElement*) {
  if (state != nullptr) IupSetFocus(state->picker);
  return IUP_DEFAULT;
}

// Mouse y counts from the top of the canvas.
int Upwards(int y) {
  return kPicker - 1 - y;
}

int ButtonCb(IupElement*, int button, int pressed, int x, int y, char*) {
  if (state == nullptr || button != IUP_BUTTON1) return IUP_DEFAULT;
  ColourState& s = *state;
  y = Upwards(y);
  if (!pressed) {
    s.dragging_hue = s.dragging_triangle = false;
    return IUP_DEFAULT;
  }
  if (OnRing(x, y)) {
    s.dragging_hue = true;
    HueUpdate(s, x, y);
  } else if (InTriangleRegion(x, y)) {
    s.dragging_triangle = true;
    TriangleUpdate(s, x, y);
  }
  return IUP_DEFAULT;
}

int MotionCb(IupElement*, int x, int y, char* status) {
  if (state == nullptr || status == nullptr || std::strlen(status) < 3 || status[2] != '1')
    return IUP_DEFAULT;
  ColourState& s = *state;
  y = Upwards(y);
  if (s.dragging_hue)
    HueUpdate(s, x, y);
  else if (s.dragging_triangle)
    TriangleUpdate(s, x, y);
  return IUP_DEFAULT;
}

int KeyAnyCb(IupElement* focused, int key) {
  // the fields keep their keys ("do_nothing" binds nothing, so a field's
  // key comes here too)
  if (state == nullptr || IupGetKind(focused) == IUP_TEXT) return IUP_DEFAULT;
  ColourState& s = *state;
  int dx = 0, dy = 0;
  if (key == K_UP) dy = 1;
  if (key == K_DOWN) dy = -1;
  if (key == K_LEFT) dx = -1;
  if (key == K_RIGHT) dx = 1;
  if (dx != 0 || dy != 0) TriangleUpdate(s, s.tri_x + dx, s.tri_y + dy);
  return IUP_DEFAULT;
}

// The decimal number a field starts with (the fraction mask's '.' lets any
// character through: "0x5" reads 0, not hexadecimal 5).
double FieldNumber(IupElement* field) {
  const char* text = IupGetAttribute(field, "VALUE");
  if (text == nullptr) return 0;
  const std::string decimal(text, std::strspn(text, "+-0123456789."));
  const double x = std::strtod(decimal.c_str(), nullptr);
  return std::isfinite(x) ? x : 0;
}

// Enter in, or leaving, one of the hue, lightness and saturation fields.
// The masks keep typed values in range; the clamps guard what reaches the
// fields otherwise (a value set from a script).
int HlsEnterCb(IupElement*) {
  if (state == nullptr) return IUP_DEFAULT;
  ColourState& s = *state;
  const double hue = std::clamp(FieldNumber(s.fields[3]), 0.0, 359.0);
  s.hue = static_cast<float>(hue);
  s.lightness = static_cast<float>(std::clamp(FieldNumber(s.fields[4]), 0.0, 1.0));
  s.saturation = static_cast<float>(std::clamp(FieldNumber(s.fields[5]), 0.0, 1.0));
  PlaceHueMarker(s);
  PlaceTriangleMarker(s);
  ColourFromHls(s);
  BuildTriangle(s);
  BuildPreview(s);
  ShowRgbFields(s);
  RedrawPicker(s);
  RedrawPreview(s);
  return IUP_DEFAULT;
}

// Enter in, or leaving, one of the red, green and blue fields: each read as
// an integer, clamped to 0 to 255.
int RgbEnterCb(IupElement*) {
  if (state == nullptr) return IUP_DEFAULT;
  ColourState& s = *state;
  unsigned char c[3];
  for (int i = 0; i < 3; ++i) {
    const char* text = IupGetAttribute(s.fields[i], "VALUE");
    const long v = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
    c[i] = static_cast<unsigned char>(std::clamp(v, 0L, 255L));
  }
  LoadRgb(s, c[0], c[1], c[2]);
  BuildTriangle(s);
  BuildPreview(s);
  ShowRgbFields(s);
  ShowHlsFields(s);
  RedrawPicker(s);
  RedrawPreview(s);
  return IUP_DEFAULT;
}

int OkCb(IupElement*) {
  if (state != nullptr) state->confirmed = 1;
  return IUP_CLOSE;
}
int CancelCb(IupElement*) {
  if (state != nullptr) state->confirmed = 0;
  return IUP_CLOSE;
}

// ---- the dialog ---------------------------------------------------------------

// What each field may hold while typed: 0 to 255, 0 to 359, and 0, 1 or
// a fraction with one or two decimals.
constexpr const char* kByteMask = "/d|/d/d|1/d/d|2(0|1|2|3|4)/d|25(0|1|2|3|4|5)";
constexpr const char* kHueMask = "/d|/d/d|(1|2)/d/d|3(0|1|2|3|4|5)/d";
constexpr const char* kFractionMask = "0|(0./d)|(0./d/d)|1";

IupElement* Field(const char* enter, const char* mask, IupElement** slot) {
  IupElement* text = IupCreateText(nullptr);
  char list[160];
  std::snprintf(list, sizeof list, "SIZE = 25x12,K_CR = %s,KILLFOCUS_CB = %s,K_ANY = do_nothing",
                enter, enter);
  IupSetAttributeList(text, list);
  IupTextMaskSet(text, mask, 0, 0);
  *slot = text;
  return text;
}

IupElement* Row(const char* title, IupElement* field) {
  IupElement* label = IupCreateLabel(title);
  IupSetAttribute(label, "SIZE", "28");
  IupSetAttribute(label, "ALIGNMENT", "ACENTER");
  return IupCreateHbox(label, field, nullptr);
}

void BuildDialog(ColourState& s) {
  s.picker = IupCreateCanvas("iup_hls_repaint_cb");
  char list[200];
  std::snprintf(list, sizeof list,
                "RASTERSIZE=%dx%d,BORDER = NO,EXPAND = NO,BUTTON_CB = iup_hls_button_cb,"
                "MOTION_CB = iup_hls_motion_cb,MAP_CB = iup_hls_map_cb",
                kPicker, kPicker);
  IupSetAttributeList(s.picker, list);
  s.preview_element = IupCreateCanvas("iup_c_repaint_cb");
  std::snprintf(list, sizeof list,
                "RASTERSIZE=%dx%d,BORDER = NO,EXPAND = NO,GETFOCUS_CB = iup_c_getfocus_cb,"
                "MAP_CB = iup_c_map_cb",
                kPreviewW, kPreviewH);
  IupSetAttributeList(s.preview_element, list);
  IupElement* rgb =
      IupCreateVbox(Row("Red:", Field("iup_rgb_k_cr", kByteMask, &s.fields[0])),
                    Row("Green:", Field("iup_rgb_k_cr", kByteMask, &s.fields[1])),
                    Row("Blue:", Field("iup_rgb_k_cr", kByteMask, &s.fields[2])), nullptr);
  IupElement* hls =
      IupCreateVbox(Row("Hue:", Field("iup_hls_k_cr", kHueMask, &s.fields[3])),
                    Row("Lum:", Field("iup_hls_k_cr", kFractionMask, &s.fields[4])),
                    Row("Sat:", Field("iup_hls_k_cr", kFractionMask, &s.fields[5])), nullptr);
  s.ok = IupCreateButton("OK", "iup_hls_ok_cb");
  IupSetAttribute(s.ok, "SIZE", "35");
  s.cancel = IupCreateButton("Cancel", "iup_hls_cancel_cb");
  IupSetAttribute(s.cancel, "SIZE", "35");
  IupElement* columns = IupCreateHbox(rgb, IupCreateFill(), hls, nullptr);
  IupElement* preview_row =
      IupCreateHbox(IupCreateFill(), s.preview_element, IupCreateFill(), nullptr);
  IupElement* buttons =
      IupCreateHbox(IupCreateFill(), s.ok, IupCreateFill(), s.cancel, IupCreateFill(), nullptr);
  IupElement* right =
      IupCreateVbox(columns, IupCreateFill(), preview_row, IupCreateFill(), buttons, nullptr);
  IupSetAttribute(right, "GAP", "4");
  IupElement* content = IupCreateHbox(s.picker, right, nullptr);
  IupSetAttribute(content, "MARGIN", "5x5");
  IupSetAttribute(content, "GAP", "8");
  IupSetAttribute(content, "K_ANY", "iup_hls_k_any");
  s.dialog = IupCreateDialog(content);
  IupSetAttribute(s.dialog, "TITLE", "Color Selection");
  IupSetAttribute(s.dialog, "RESIZE", "NO");
  IupSetAttribute(s.dialog, "MAXBOX", "NO");
  IupSetAttributePointer(s.dialog, "_iup_getcolor_context_", &s);
  Background(s.dialog, s);
  BuildRing(s);
  IupMap(s.dialog);
}

ColourState& Built() {
  // a dialog destroyed from outside (a script destroying every dialog) is
  // built again with a fresh state
  if (state != nullptr && IupFromSerial(state->dialog_serial) != state->dialog) {
    delete state;
    state = nullptr;
  }
  if (state == nullptr) {
    state = new ColourState;
    BuildDialog(*state);
    state->dialog_serial = IupGetSerial(state->dialog);
  }
  return *state;
}

}  // namespace

void IupColorHlsToRgb(float hue, float lightness, float saturation, unsigned char* red,
                      unsigned char* green, unsigned char* blue) {
  HlsToRgbD(hue, lightness, saturation, red, green, blue);
}

void IupColorRgbToHls(unsigned char red, unsigned char green, unsigned char blue, float* hue,
                      float* lightness, float* saturation) {
  const double r = red / 255.0, g = green / 255.0, b = blue / 255.0;
  const double max = std::max({r, g, b}), min = std::min({r, g, b});
  const double l = (max + min) / 2;
  *lightness = static_cast<float>(l);
  if (max == min) {
    *saturation = 0;
    *hue = 0;
    return;
  }
  const double d = max - min;
  *saturation = static_cast<float>(l < 0.5 ? d / (max + min) : d / (2 - max - min));
  double h = max == r ? (g - b) / d : max == g ? 2 + (b - r) / d : 4 + (r - g) / d;
  h *= 60;
  if (h < 0) h += 360;
  *hue = static_cast<float>(h);
}

void IupColorDlgOpen(void) {
  IupBindAction("iup_hls_repaint_cb", IupAsCallback(RepaintCb));
  IupBindAction("iup_hls_map_cb", IupAsCallback(MapCb));
  IupBindAction("iup_hls_button_cb", IupAsCallback(ButtonCb));
  IupBindAction("iup_hls_motion_cb", IupAsCallback(MotionCb));
  IupBindAction("iup_hls_k_cr", IupAsCallback(HlsEnterCb));
  IupBindAction("iup_rgb_k_cr", IupAsCallback(RgbEnterCb));
  IupBindAction("iup_hls_k_any", IupAsCallback(KeyAnyCb));
  IupBindAction("iup_c_repaint_cb", IupAsCallback(PreviewRepaintCb));
  IupBindAction("iup_c_getfocus_cb", IupAsCallback(PreviewFocusCb));
  IupBindAction("iup_c_map_cb", IupAsCallback(PreviewMapCb));
  IupBindAction("iup_hls_ok_cb", IupAsCallback(OkCb));
  IupBindAction("iup_hls_cancel_cb", IupAsCallback(CancelCb));
  IupTextMaskOpen();  // the fields' masks run through the mask library's actions
}

int IupPickColor(int x, int y, unsigned char* red, unsigned char* green, unsigned char* blue) {
  // one dialog, one state: a request made while the dialog is up (from a
  // callback or the idle function) would take the state from under the
  // running one, so it is refused
  static bool picking = false;
  if (red == nullptr || green == nullptr || blue == nullptr || picking) return 0;
  struct Running {
    Running() { picking = true; }
    ~Running() { picking = false; }
  } running;
  ColourState& s = Built();
  LoadRgb(s, *red, *green, *blue);
  s.dragging_hue = s.dragging_triangle = false;
  s.confirmed = 0;
  ShowAll(s);
  IupPopup(s.dialog, x, y);
  if (state != &s || s.confirmed != 1) return 0;
  *red = s.red, *green = s.green, *blue = s.blue;
  return 1;
}

IupElement* IupColorDlgElement(const char* part) {
  if (part == nullptr) return nullptr;
  ColourState& s = Built();
  static const char* const kFields[] = {"RED", "GREEN", "BLUE", "HUE", "LUM", "SAT"};
  for (int i = 0; i < 6; ++i)
    if (std::strcmp(part, kFields[i]) == 0) return s.fields[i];
  if (std::strcmp(part, "DIALOG") == 0) return s.dialog;
  if (std::strcmp(part, "PICKER") == 0) return s.picker;
  if (std::strcmp(part, "PREVIEW") == 0) return s.preview_element;
  if (std::strcmp(part, "OK") == 0) return s.ok;
  if (std::strcmp(part, "CANCEL") == 0) return s.cancel;
  return nullptr;
}

void IupColorPickerDraw(unsigned char red, unsigned char green, unsigned char blue,
                        long background) {
  ColourState s;
  cdDecodeColor(background, &s.bg_r, &s.bg_g, &s.bg_b);
  BuildRing(s);
  LoadRgb(s, red, green, blue);
  BuildTriangle(s);
  DrawPicker(s);
  BuildPreview(s);
  s.preview.Put(kPicker + 10, 0);
}
