// The window canvas and off-screen image of a canvas-drawn control.
#include "offscreen.h"

#include "cdwin.h"
#include "iupdriver.h"

namespace controls {

bool Offscreen::EnsureScreen(IupElement* element) {
  if (screen_ != nullptr) return true;
  if (element == nullptr || IupGetNativeHandle(element) == nullptr) return false;
  cdCanvasHandle previous = cdActiveCanvas();
  screen_ = cdCreateCanvas(CD_IUP, element);
  if (previous != nullptr) cdActivate(previous);
  return screen_ != nullptr;
}

void Offscreen::ReleaseImage() {
  if (offscreen_ != nullptr) {
    if (cdActiveCanvas() == offscreen_ && screen_ != nullptr) cdActivate(screen_);
    cdKillCanvas(offscreen_);
    offscreen_ = nullptr;
  }
  if (image_ != nullptr) {
    cdKillImage(image_);
    image_ = nullptr;
  }
}

void Offscreen::Resize() {
  if (screen_ == nullptr) return;
  cdCanvasHandle previous = cdActiveCanvas();
  ReleaseImage();
  cdActivate(screen_);
  int w = 0, h = 0;
  cdGetCanvasSize(&w, &h, nullptr, nullptr);
  width_ = w, height_ = h;
  if (w > 0 && h > 0) {
    image_ = cdCreateImage(w, h);
    if (image_ != nullptr) offscreen_ = cdCreateCanvas(CD_IMAGE, image_);
  }
  if (previous != nullptr && previous != offscreen_) cdActivate(previous);
}

bool Offscreen::Begin(cdCanvasHandle* previous) {
  if (screen_ == nullptr) return false;
  if (offscreen_ == nullptr) {
    Resize();
    if (offscreen_ == nullptr) return false;
  }
  *previous = cdActiveCanvas();
  cdActivate(offscreen_);
  return true;
}

void Offscreen::End(cdCanvasHandle previous) {
  cdActivate(screen_);
  cdPutImage(image_, 0, 0);
  if (previous != nullptr) cdActivate(previous);
}

void Offscreen::Release() {
  cdCanvasHandle active = cdActiveCanvas();
  const bool was_ours = active != nullptr && (active == screen_ || active == offscreen_);
  ReleaseImage();
  if (screen_ != nullptr) {
    cdKillCanvas(screen_);
    screen_ = nullptr;
  }
  if (!was_ours && active != nullptr) cdActivate(active);
  width_ = height_ = 0;
}

bool ColourOf(const char* value, long* colour) {
  int r = 0, g = 0, b = 0;
  if (!iup::ParseColor(value, &r, &g, &b)) return false;
  *colour = cdEncodeColor(static_cast<unsigned char>(r), static_cast<unsigned char>(g),
                          static_cast<unsigned char>(b));
  return true;
}

std::string NativeFontOf(const char* portable) {
  if (portable == nullptr) return "";
  std::string name = portable;
  const size_t a = name.find('_'), b = name.rfind('_');
  if (a == std::string::npos || b == a) return "";
  const std::string face = name.substr(0, a), style = name.substr(a + 1, b - a - 1),
                    size = name.substr(b + 1);
  const char* file = face == "HELVETICA" ? "arial"
                     : face == "COURIER" ? "cour"
                     : face == "TIMES"   ? "times"
                                         : nullptr;
  const char* suffix = style == "NORMAL"   ? ""
                       : style == "BOLD"   ? "bd"
                       : style == "ITALIC" ? "i"
                                           : nullptr;
  if (file == nullptr || suffix == nullptr) return "";
  if (size != "8" && size != "10" && size != "12" && size != "14") return "";
  return std::string(file) + suffix + ".ttf, " + size;
}

}  // namespace controls
