// Encoded colours and the size limit shared by every image operation.
#include "im.h"

extern "C" {

uint32_t imEncodeColor(unsigned char red, unsigned char green, unsigned char blue) {
  return (uint32_t{red} << 16) | (uint32_t{green} << 8) | uint32_t{blue};
}

void imDecodeColor(uint32_t color, unsigned char* red, unsigned char* green, unsigned char* blue) {
  if (red) *red = static_cast<unsigned char>((color >> 16) & 0xFF);
  if (green) *green = static_cast<unsigned char>((color >> 8) & 0xFF);
  if (blue) *blue = static_cast<unsigned char>(color & 0xFF);
}

int imValidSize(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  return static_cast<long long>(width) * height <= IM_MAX_PIXELS;
}

}  // extern "C"
