/* Shared parts of the Windows metafile drivers: creation data, whole-file
 * input and output, device-independent bitmaps and the play mapping. */
#include "cdgdifile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace cdgdi {

bool ParseCreation(const char* data, cdCanvas* cv, std::string& name) {
  if (!data) return false;
  char file[1024];
  int w = 0, h = 0;
  double res = 3.78;
  int n = std::sscanf(data, "%1023s %dx%d %lf", file, &w, &h, &res);
  if (n >= 1 && std::strlen(file) >= sizeof file - 1) return false; /* a cut name */
  if (n < 3 || w <= 0 || h <= 0 || !(res > 0) || !std::isfinite(res)) return false;
  name = file;
  cv->w = w;
  cv->h = h;
  cv->xres = cv->yres = res;
  cv->w_mm = w / res;
  cv->h_mm = h / res;
  cv->bpp = 24;
  cv->y_inverted = 1; /* the metafile's y grows downwards */
  return true;
}

bool ProbeWritable(const std::string& name, const char* driver) {
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "%s: the file \"%s\" cannot be written: %s\n", driver, name.c_str(),
                 std::strerror(errno));
    return false;
  }
  std::fclose(f);
  return true;
}

bool WriteWholeFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool ReadWholeFile(const char* name, std::vector<uint8_t>& bytes) {
  if (!name) return false;
  FILE* f = std::fopen(name, "rb");
  if (!f) return false;
  bytes.clear();
  uint8_t buf[65536];
  size_t got;
  bool ok = true;
  try {
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + got);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  std::fclose(f);
  return ok;
}

namespace {

void InfoHeader(Bytes& out, int w, int h, int bits, int colors, uint32_t image_size) {
  out.u32(40);
  out.i32(w);
  out.i32(h);
  out.u16(1);
  out.u16(bits);
  out.u32(0); /* BI_RGB */
  out.u32(image_size);
  out.i32(3780); /* pixels per metre, 96 dpi */
  out.i32(3780);
  out.u32(colors);
  out.u32(0);
}

}  // namespace

void AppendDibRGB(Bytes& out, int iw, const unsigned char* r, const unsigned char* g,
                  const unsigned char* b, int xmin, int xmax, int ymin, int ymax) {
  int w = xmax - xmin + 1, h = ymax - ymin + 1;
  size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
  InfoHeader(out, w, h, 24, 0, uint32_t(stride * h));
  for (int y = ymin; y <= ymax; y++) {
    size_t row = size_t(y) * size_t(iw);
    for (int x = xmin; x <= xmax; x++) {
      out.u8(b[row + x]);
      out.u8(g[row + x]);
      out.u8(r[row + x]);
    }
    for (size_t pad = size_t(w) * 3; pad < stride; pad++) out.u8(0);
  }
}

void AppendDibMap(Bytes& out, int iw, const unsigned char* index, const long* colors, int xmin,
                  int xmax, int ymin, int ymax) {
  int w = xmax - xmin + 1, h = ymax - ymin + 1;
  size_t stride = (size_t(w) + 3) & ~size_t(3);
  InfoHeader(out, w, h, 8, 256, uint32_t(stride * h));
  /* the caller's table may hold only the entries its indices use: read no further */
  int used = 0;
  for (int y = ymin; y <= ymax; y++)
    for (int x = xmin; x <= xmax; x++) used = std::max(used, int(index[size_t(y) * iw + x]));
  for (int i = 0; i < 256; i++) {
    long c = i <= used ? colors[i] : 0;
    out.u8(c & 0xFF);
    out.u8((c >> 8) & 0xFF);
    out.u8((c >> 16) & 0xFF);
    out.u8(0);
  }
  for (int y = ymin; y <= ymax; y++) {
    size_t row = size_t(y) * size_t(iw);
    for (int x = xmin; x <= xmax; x++) out.u8(index[row + x]);
    for (size_t pad = size_t(w); pad < stride; pad++) out.u8(0);
  }
}

bool DecodeDib(const uint8_t* data, size_t size, size_t bits_offset, size_t bits_size, Dib& out) {
  Reader in(data, size);
  uint32_t header = in.u32(0);
  if (in.bad || header < 40 || header > size) return false;
  int w = in.i32(4), h = in.i32(8);
  unsigned bits = in.u16(14);
  uint32_t compression = in.u32(16);
  uint32_t used = in.u32(32);
  if (in.bad || w <= 0 || h == 0 || h == INT32_MIN) return false;
  bool top_down = h < 0;
  if (top_down) h = -h;
  if (double(w) * double(h) > double(1 << 26)) return false;
  bool masks = compression == 3 && (bits == 16 || bits == 32);
  if (compression != 0 && !masks) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  size_t table_at = header + (masks && header == 40 ? 12 : 0);
  size_t colors = bits <= 8 ? (used && used <= (1u << bits) ? used : (1u << bits)) : 0;
  size_t bits_at = table_at + colors * 4;
  if (bits_offset) bits_at = bits_offset;
  size_t stride = ((size_t(w) * bits + 31) / 32) * 4;
  size_t need = stride * size_t(h);
  if (bits_size && bits_size < need) return false;
  if (!in.has(table_at, colors * 4) || !in.has(bits_at, need)) return false;
  uint32_t rmask = 0xFF0000, gmask = 0xFF00, bmask = 0xFF;
  if (bits == 16) rmask = 0x7C00, gmask = 0x3E0, bmask = 0x1F;
  if (masks) {
    rmask = in.u32(40), gmask = in.u32(44), bmask = in.u32(48);
    if (in.bad) return false;
  }
  auto channel = [](uint32_t v, uint32_t mask) -> unsigned char {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) shift++;
    uint32_t m = mask >> shift;
    return (unsigned char)(((v >> shift) & m) * 255 / m);
  };
  try {
    size_t n = size_t(w) * size_t(h);
    out.r.assign(n, 0), out.g.assign(n, 0), out.b.assign(n, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  out.w = w, out.h = h;
  for (int y = 0; y < h; y++) {
    const uint8_t* row = data + bits_at + stride * size_t(y);
    int target = top_down ? h - 1 - y : y;
    for (int x = 0; x < w; x++) {
      size_t o = size_t(target) * size_t(w) + size_t(x);
      unsigned char r = 0, g = 0, b = 0;
      if (bits <= 8) {
        unsigned idx;
        if (bits == 8)
          idx = row[x];
        else if (bits == 4)
          idx = (row[x / 2] >> ((x & 1) ? 0 : 4)) & 15;
        else
          idx = (row[x / 8] >> (7 - (x & 7))) & 1;
        if (idx < colors) {
          const uint8_t* c = data + table_at + idx * 4;
          b = c[0], g = c[1], r = c[2];
        }
      } else if (bits == 24) {
        b = row[x * 3], g = row[x * 3 + 1], r = row[x * 3 + 2];
      } else {
        uint32_t v = bits == 16
                         ? uint32_t(row[x * 2] | row[x * 2 + 1] << 8)
                         : uint32_t(row[x * 4]) | uint32_t(row[x * 4 + 1]) << 8 |
                               uint32_t(row[x * 4 + 2]) << 16 | uint32_t(row[x * 4 + 3]) << 24;
        r = channel(v, rmask), g = channel(v, gmask), b = channel(v, bmask);
      }
      out.r[o] = r, out.g[o] = g, out.b[o] = b;
    }
  }
  return true;
}

void Mapping::Fit(int txmin, int txmax, int tymin, int tymax) {
  xmin = txmin, ymin = tymin;
  if (txmax != 0 && tymax != 0 && maxx > minx && maxy > miny) {
    sx = (txmax - txmin) / (maxx - minx);
    sy = (tymax - tymin) / (miny - maxy);
  } else {
    sx = 1, sy = -1;
  }
}

namespace {
int Clamp(double v) {
  if (!(v > -1e9)) return -1000000000;
  if (v > 1e9) return 1000000000;
  return int(std::floor(v));
}
}  // namespace

int Mapping::X(double x) const {
  return Clamp((x - minx) * sx + xmin + 0.5);
}
int Mapping::Y(double y) const {
  return Clamp((y - maxy) * sy + ymin + 0.5);
}
int Mapping::W(double size) const {
  int v = Clamp(std::fabs(sx) * std::fabs(size) + 0.5);
  return v < 1 ? 1 : v;
}
int Mapping::H(double size) const {
  int v = Clamp(std::fabs(sy) * std::fabs(size) + 0.5);
  return v < 1 ? 1 : v;
}

int CallSize(cdCallback cb, double w, double h) {
  if (!cb) return 0;
  cdSizeCallback size = reinterpret_cast<cdSizeCallback>(reinterpret_cast<void*>(cb));
  return size(cdActiveCanvas(), Clamp(w), Clamp(h), 0.0, 0.0);
}

}  // namespace cdgdi
