// Colour values of attributes ("%d %d %d" or a COLOR handle name) and the
// colours of IMAGE pixel indices.
#include <cstdio>

#include "iupcore.h"

namespace iup {

bool ParseColor(const char* value, int* red, int* green, int* blue) {
  if (value == nullptr) return false;
  int r = 0, g = 0, b = 0;
  if (std::sscanf(value, "%d %d %d", &r, &g, &b) != 3) {
    IupElement* colour = IupGetHandle(value);
    if (colour == nullptr || colour->kind != IUP_COLOR) return false;
    r = IupGetAttributeInt(colour, "RED");
    g = IupGetAttributeInt(colour, "GREEN");
    b = IupGetAttributeInt(colour, "BLUE");
  }
  if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) return false;
  *red = r, *green = g, *blue = b;
  return true;
}

void ImageColour(IupElement* image, int index, int* r, int* g, int* b) {
  static const unsigned char palette[16][3] = {
      {255, 255, 255}, {255, 0, 0},     {0, 255, 0},     {0, 0, 255},
      {255, 255, 0},   {255, 0, 255},   {0, 255, 255},   {100, 200, 130},
      {165, 42, 42},   {204, 128, 0},   {35, 35, 142},   {187, 187, 187},
      {255, 255, 255}, {170, 170, 170}, {128, 128, 128}, {0, 0, 0}};
  const int i = index & 15;
  *r = palette[i][0], *g = palette[i][1], *b = palette[i][2];
  char name[8];
  std::snprintf(name, sizeof name, "%d", i);
  const char* value = IupGetOwnAttribute(image, name);
  if (value == nullptr) return;
  if (EqualNoCase(value, "BGCOLOR")) value = IupGetAttribute(image, "BGCOLOR");
  int cr, cg, cb;
  if (ParseColor(value, &cr, &cg, &cb)) *r = cr, *g = cg, *b = cb;
}

}  // namespace iup
