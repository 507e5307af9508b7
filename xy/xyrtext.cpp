// Raster text. The canvas draws horizontal text only, so a turned text is
// drawn upright on a scratch RGB canvas over the turned background and the
// result turned back into place.
#include "xyrtext.h"

#include <cstdio>
#include <vector>

#include "cd.h"

XYRasterText::XYRasterText(const char* text, XYCoord x, XYCoord y, int colour, int size,
                           int typeface, int style, int alignment, int orientation, bool underline,
                           bool visible)
    : XYText(text, x, y, colour, typeface, style, alignment, orientation, underline, visible),
      size_(size) {}

XYRasterText::XYRasterText(const char* text, XYCoord x, XYCoord y, bool visible)
    : XYText(text, x, y, visible), size_(12) {}

XYRasterText::XYRasterText(const char* text, int colour, int size, int typeface, int style,
                           int alignment, int orientation, bool underline, bool visible)
    : XYText(text, colour, typeface, style, alignment, orientation, underline, visible),
      size_(size) {}

XYRasterText::XYRasterText(int colour, int size, int typeface, int style, int alignment,
                           int orientation, bool underline, bool visible)
    : XYText(colour, typeface, style, alignment, orientation, underline, visible), size_(size) {}

int XYRasterText::getSize() {
  return size_;
}
void XYRasterText::setSize(int size) {
  size_ = size;
}

void XYRasterText::redraw() {
  draw(vx0_, vy0_, vx1_, vy1_);
}

void XYRasterText::boundingBox(int* x0, int* y0, int* x1, int* y1) {
  if (text_ == nullptr || !isVisible()) return;
  int px = 0, py = 0;
  getPixelPosition(&px, &py);
  cdFont(typeface_, style_, size_);
  cdTextAlignment(alignment_);
  int w = 0, h = 0;
  cdTextSize(text_, &w, &h);
  const int W = orientation_ == 0 ? w : h;
  const int H = orientation_ == 0 ? h : w;
  int descent = 0;
  if (alignment_ >= CD_BASE_LEFT && alignment_ <= CD_BASE_RIGHT)
    cdFontDim(nullptr, nullptr, nullptr, &descent);
  int left = px, bottom = py;
  switch (alignment_) {
    case CD_NORTH:
      left = px - W / 2, bottom = py - H;
      break;
    case CD_SOUTH:
      left = px - W / 2, bottom = py;
      break;
    case CD_EAST:
      left = px - W, bottom = py - H / 2;
      break;
    case CD_WEST:
      left = px, bottom = py - H / 2;
      break;
    case CD_NORTH_EAST:
      left = px - W, bottom = py - H;
      break;
    case CD_NORTH_WEST:
      left = px, bottom = py - H;
      break;
    case CD_SOUTH_EAST:
      left = px - W, bottom = py;
      break;
    case CD_SOUTH_WEST:
      left = px, bottom = py;
      break;
    case CD_CENTER:
      left = px - W / 2, bottom = py - H / 2;
      break;
    case CD_BASE_LEFT:
      left = px, bottom = py - descent;
      break;
    case CD_BASE_CENTER:
      left = px - W / 2, bottom = py - descent;
      break;
    case CD_BASE_RIGHT:
      left = px - W, bottom = py - descent;
      break;
    default:
      break;  // other alignments are not supported: the anchor itself
  }
  *x0 = left;
  *y0 = bottom;
  *x1 = left + W;
  *y1 = bottom + H;
}

void XYRasterText::drawTurned() {
  int bx0 = 0, by0 = 0, bx1 = 0, by1 = 0;
  boundingBox(&bx0, &by0, &bx1, &by1);
  const int W = bx1 - bx0, H = by1 - by0;
  if (W <= 0 || H <= 0) return;
  cdCanvasHandle target = cdActiveCanvas();
  const long background = cdBackground(CD_QUERY);
  int cw = 0, ch = 0;
  double cwmm = 0, chmm = 0;
  cdGetCanvasSize(&cw, &ch, &cwmm, &chmm);
  const double resolution = cwmm > 0 ? cw / cwmm : 3.78;  // same glyphs as the target's
  const std::size_t n = std::size_t(W) * std::size_t(H);
  std::vector<unsigned char> r, g, b, tr, tg, tb;
  try {
    r.resize(n), g.resize(n), b.resize(n), tr.resize(n), tg.resize(n), tb.resize(n);
  } catch (...) {
    return;
  }
  cdGetImageRGB(r.data(), g.data(), b.data(), bx0, by0, W, H);
  // the unturned frame is H wide and W high
  const bool counter_clockwise = orientation_ == 1;
  for (int y = 0; y < H; y++)
    for (int x = 0; x < W; x++) {
      const int ix = counter_clockwise ? y : H - 1 - y;
      const int iy = counter_clockwise ? W - 1 - x : x;
      const std::size_t from = std::size_t(y) * W + x, to = std::size_t(iy) * H + ix;
      tr[to] = r[from], tg[to] = g[from], tb[to] = b[from];
    }
  char data[160];
  std::snprintf(data, sizeof data, "%dx%d %p %p %p -r%.17g", H, W, static_cast<void*>(tr.data()),
                static_cast<void*>(tg.data()), static_cast<void*>(tb.data()), resolution);
  cdCanvasHandle scratch = cdCreateCanvas(CD_IMAGERGB, data);
  if (scratch == nullptr) return;
  if (cdActivate(scratch) != CD_ERROR) {
    cdBackground(background);
    cdFont(typeface_, style_, size_);
    cdForeground(colour_);
    cdTextAlignment(CD_SOUTH_WEST);
    cdBackOpacity(CD_TRANSPARENT);
    cdText(0, 0, text_);
  }
  cdKillCanvas(scratch);
  if (target) cdActivate(target);
  for (int iy = 0; iy < W; iy++)
    for (int ix = 0; ix < H; ix++) {
      const int x = counter_clockwise ? W - 1 - iy : iy;
      const int y = counter_clockwise ? ix : H - 1 - ix;
      const std::size_t from = std::size_t(iy) * H + ix, to = std::size_t(y) * W + x;
      r[to] = tr[from], g[to] = tg[from], b[to] = tb[from];
    }
  cdPutImageRectRGB(W, H, r.data(), g.data(), b.data(), bx0, by0, W, H, 0, 0, 0, 0);
}

void XYRasterText::draw(int x0, int y0, int x1, int y1) {
  if (text_ == nullptr || !isVisible()) return;
  XYSavedClip clip;
  clip.clipTo(x0, x1, y0, y1);
  cdFont(typeface_, style_, size_);
  cdTextAlignment(alignment_);
  cdForeground(colour_);
  cdBackOpacity(CD_TRANSPARENT);
  if (orientation_ == 0) {
    int px = 0, py = 0;
    getPixelPosition(&px, &py);
    cdText(px, py, text_);
  } else {
    drawTurned();
  }
  if (underline_) {
    int descent = 0;
    cdFontDim(nullptr, nullptr, nullptr, &descent);
    cdLineStyle(CD_CONTINUOUS);
    cdLineWidth(style_ == CD_BOLD || style_ == CD_BOLD_ITALIC ? 2 : 1);
    cdForeground(colour_);
    int bx0 = 0, by0 = 0, bx1 = 0, by1 = 0;
    boundingBox(&bx0, &by0, &bx1, &by1);
    if (orientation_ == 0)
      cdLine(bx0, by0 + descent, bx1, by0 + descent);
    else if (orientation_ == 1)
      cdLine(bx1 - descent, by0, bx1 - descent, by1);
    else
      cdLine(bx0 + descent, by0, bx0 + descent, by1);
  }
}
