// What the canvas-drawn controls share: the canvas on the control's CANVAS
// element (CD_IUP) with an off-screen image of its size, so that a redraw
// is composed out of sight and copied to the window in one go; and the
// reading of colour attributes.
#ifndef VARKO_IUP_CONTROLS_OFFSCREEN_H
#define VARKO_IUP_CONTROLS_OFFSCREEN_H

#include <string>

#include "cd.h"
#include "iup.h"

namespace controls {

class Offscreen {
 public:
  Offscreen() = default;
  Offscreen(const Offscreen&) = delete;
  Offscreen& operator=(const Offscreen&) = delete;
  ~Offscreen() { Release(); }

  // Makes the window canvas when the element is mapped and has none yet
  // (false when it cannot be made: not mapped, no toolkit host).
  bool EnsureScreen(IupElement* element);
  // Reads the window's size and makes a new off-screen image of it.
  void Resize();
  // Activates the off-screen canvas and returns the canvas active before,
  // or returns false when there is nothing to draw on.
  bool Begin(cdCanvasHandle* previous);
  // Copies the off-screen picture to the window and activates previous.
  void End(cdCanvasHandle previous);
  // Kills the image and both canvases; the active canvas stays what it was
  // unless it was one of them.
  void Release();

  cdCanvasHandle screen() const { return screen_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  void ReleaseImage();
  cdCanvasHandle screen_ = nullptr;
  cdImage* image_ = nullptr;
  cdCanvasHandle offscreen_ = nullptr;
  int width_ = 0, height_ = 0;
};

// The colour an attribute value names ("%d %d %d" or a COLOR handle name);
// false, and colour unchanged, when it names none.
bool ColourOf(const char* value, long* colour);

// A portable font name ("HELVETICA_BOLD_10") as the canvas library's
// native description of the committed faces ("arialbd.ttf, 10"); empty for
// an unknown name.
std::string NativeFontOf(const char* portable);

// Restores the canvas that was active when it was made.
class ActiveCanvasGuard {
 public:
  ActiveCanvasGuard() : previous_(cdActiveCanvas()) {}
  ~ActiveCanvasGuard() {
    if (previous_ != nullptr) cdActivate(previous_);
  }
  ActiveCanvasGuard(const ActiveCanvasGuard&) = delete;
  ActiveCanvasGuard& operator=(const ActiveCanvasGuard&) = delete;

 private:
  cdCanvasHandle previous_;
};

}  // namespace controls

#endif
