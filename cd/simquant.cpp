/* Colour quantisation (cdRGB2Map): the image library's quantiser (exact
 * palette when the image has few enough colours, else median cut with
 * serpentine Floyd-Steinberg dithering), its palette handed back as
 * encoded canvas colours. */
#include <cstdint>

#include "cd.h"
#include "im.h"

void cdRGB2Map(int iw, int ih, const unsigned char* r, const unsigned char* g,
               const unsigned char* b, unsigned char* index, int pal_size, long* colors) {
  if (iw <= 0 || ih <= 0 || !r || !g || !b || !index || !colors) return;
  if (pal_size < 1 || pal_size > 256) pal_size = 256;
  uint32_t palette[256] = {};
  if (imRGB2Map(iw, ih, r, g, b, index, pal_size, palette) == 0) return;
  // both libraries encode a colour as red << 16 | green << 8 | blue
  for (int k = 0; k < pal_size; k++) colors[k] = long(palette[k]);
}
