/* What the Windows metafile drivers (CD_WMF, CD_EMF) share: the creation
 * data, the little-endian byte builder of the writers, the checked byte
 * reader of the players, device-independent bitmaps in both directions and
 * the mapping of a played picture onto the target rectangle. */
#ifndef VARKO_CDGDIFILE_H
#define VARKO_CDGDIFILE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cddriver.h"

namespace cdgdi {

/* "%s %dx%d %g": file name, width and height in pixels, pixels per
 * millimetre (3.78 when missing: there is no screen to ask). Fills the
 * canvas sizes; false for a missing name or a zero or negative size. */
bool ParseCreation(const char* data, cdCanvas* cv, std::string& name);
/* opens the file for writing and closes it again, so that an unwritable
 * name refuses the canvas before anything is drawn (saying so on stderr,
 * after the driver's name) */
bool ProbeWritable(const std::string& name, const char* driver);
bool WriteWholeFile(const std::string& name, const std::vector<uint8_t>& bytes);
bool ReadWholeFile(const char* name, std::vector<uint8_t>& bytes);

/* little-endian output */
struct Bytes {
  std::vector<uint8_t> b;
  void u8(unsigned v) { b.push_back(uint8_t(v)); }
  void u16(unsigned v) {
    u8(v & 0xFF);
    u8((v >> 8) & 0xFF);
  }
  /* coordinates beyond the 16-bit range are held at its ends rather than wrapped */
  void i16(int v) { u16(unsigned(int16_t(v < -32768 ? -32768 : v > 32767 ? 32767 : v)) & 0xFFFF); }
  void u32(uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  }
  void i32(int v) { u32(uint32_t(v)); }
  void put16(size_t at, unsigned v) {
    b[at] = uint8_t(v & 0xFF);
    b[at + 1] = uint8_t((v >> 8) & 0xFF);
  }
  void put32(size_t at, uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  }
  size_t size() const { return b.size(); }
};

/* little-endian input from a span: every read is checked, reading past
 * the end gives 0 and sets `bad` */
struct Reader {
  const uint8_t* p;
  size_t n;
  bool bad = false;
  Reader(const uint8_t* data, size_t size) : p(data), n(size) {}
  bool has(size_t at, size_t len) const { return at <= n && len <= n - at; }
  unsigned u8(size_t at) {
    if (!has(at, 1)) return bad = true, 0;
    return p[at];
  }
  unsigned u16(size_t at) {
    if (!has(at, 2)) return bad = true, 0;
    return unsigned(p[at]) | unsigned(p[at + 1]) << 8;
  }
  int i16(size_t at) { return int16_t(uint16_t(u16(at))); }
  uint32_t u32(size_t at) {
    if (!has(at, 4)) return bad = true, 0;
    return uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 | uint32_t(p[at + 2]) << 16 |
           uint32_t(p[at + 3]) << 24;
  }
  int i32(size_t at) { return int32_t(u32(at)); }
};

/* a 40-byte BITMAPINFOHEADER, no colour table, then 24-bit bottom-up rows
 * (padded to 4 bytes) of the image rectangle xmin..xmax, ymin..ymax */
void AppendDibRGB(Bytes& out, int iw, const unsigned char* r, const unsigned char* g,
                  const unsigned char* b, int xmin, int xmax, int ymin, int ymax);
/* the same as an 8-bit image with a 256-entry colour table */
void AppendDibMap(Bytes& out, int iw, const unsigned char* index, const long* colors, int xmin,
                  int xmax, int ymin, int ymax);

/* A decoded bitmap: planes with row 0 at the bottom. */
struct Dib {
  int w = 0, h = 0;
  std::vector<unsigned char> r, g, b;
};
/* Decodes a packed DIB (header, colour table, bits) of `size` bytes, the
 * bits possibly at `bits_offset` from the header when it is non-zero.
 * Uncompressed 1, 4, 8, 16, 24 and 32 bits; false for anything else, for
 * sizes the bytes cannot hold and for images beyond 2^26 pixels. */
bool DecodeDib(const uint8_t* data, size_t size, size_t bits_offset, size_t bits_size, Dib& out);

/* The mapping of a metafile's coordinates onto the target rectangle. */
struct Mapping {
  double minx = 0, miny = 0, maxx = 0, maxy = 0; /* picture bounds, metafile units */
  double sx = 1, sy = -1;
  int xmin = 0, ymin = 0;
  void Fit(int txmin, int txmax, int tymin, int tymax);
  int X(double x) const;
  int Y(double y) const;
  int W(double size) const; /* at least 1 */
  int H(double size) const;
};

/* the registered CD_SIZECB of a driver, kept by each driver */
int CallSize(cdCallback cb, double w, double h);

}  // namespace cdgdi

#endif
