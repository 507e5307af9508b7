// The framebuffer a window canvas draws into, and how it meets the toolkit.
// The canvas drivers in cd/ (CD_IUP, CD_NATIVEWINDOW) own one framebuffer
// per canvas and draw into it with the software rasteriser; the toolkit
// shows it in the element's window. Neither side includes the other: cd/
// reaches the toolkit only through the Host table below, which the toolkit
// installs (InstallHost, called when the canvas binding opens), and a
// toolkit driver shows framebuffers through Attached/TakeDamage.
#ifndef VARKO_IUP_IUPCANVASFB_H
#define VARKO_IUP_IUPCANVASFB_H

#include <vector>

struct IupElement;

namespace iup::canvasfb {

// Three 8-bit planes, row 0 at the top of the window.
struct Framebuffer {
  int width = 0, height = 0;
  std::vector<unsigned char> r, g, b;
  bool damaged = false;  // drawn into since the platform last showed it
};

// Where the window is and how big: pixels, pixels per millimetre, bits.
struct Geometry {
  int width = 0, height = 0;
  double xres = 3.78, yres = 3.78;
  int bpp = 24;
};

// What the canvas drivers need from the toolkit. A canvas keeps its
// element's serial, not its address: the element may be destroyed first.
struct Host {
  // the serial of a mapped CANVAS element (it has a native window), else 0
  int (*MappedCanvas)(IupElement* element);
  // the same for a native window handle (the "WID" of a CANVAS)
  int (*CanvasOfWindow)(void* window);
  // the size now (0 x 0 once the element is gone)
  Geometry (*GeometryOf)(int serial);
  // the canvas now draws into fb (null: it is gone); stores handle, its
  // cdCanvas, in the element's "_CD_CANVAS"
  void (*Attach)(int serial, Framebuffer* fb, void* handle);
  // drawn: show at the next loop step
  void (*Damaged)(int serial);
};

// The installed host; null before InstallHost (the drivers then make no
// canvas). One object across all translation units.
inline const Host*& CurrentHost() {
  static const Host* host = nullptr;
  return host;
}

// Installs the toolkit's host (iup/canvasfb.cpp).
void InstallHost();

// ---- for the toolkit drivers -------------------------------------------------
// The framebuffer attached to a canvas element, or null.
Framebuffer* Attached(IupElement* element);
// Elements whose framebuffer was damaged since the last call (and clears it).
std::vector<IupElement*> TakeDamage();
// A platform that shows damage itself (GTK queues a redraw) sets this.
using DamageHook = void (*)(IupElement* element);
void SetDamageHook(DamageHook hook);
// A platform whose canvases give part of the element to their scrollbars
// (GTK) reports the drawing area here; the default is the element's size.
using ClientSizeHook = void (*)(IupElement* element, int* width, int* height);
void SetClientSizeHook(ClientSizeHook hook);
// A platform resolution (pixels per millimetre); 0 keeps 3.78.
void SetResolution(double xres, double yres);

// ---- the headless driver: what the window shows now -----------------------------
// Copies damaged framebuffers to the shown picture (one loop step).
void PresentDamaged();
// The shown picture of a canvas element; false when it has none.
bool Shown(IupElement* element, int* width, int* height, const unsigned char** r,
           const unsigned char** g, const unsigned char** b);

}  // namespace iup::canvasfb

#endif
