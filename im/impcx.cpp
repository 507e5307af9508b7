// ZSoft PCX files: maps of 1, 4 or 8 bits in one or more bit planes and
// 24-bit RGB in three planes, plain or RLE; written as version 5 with 8 bits
// per plane (1 plane for maps, 3 for RGB), the 256-colour palette at the end.
#include <bit>

#include "imcodec.h"

namespace {

using namespace imcodec;

struct PcxFile : CodecFile {
  int version = 0, bits = 0, planes = 0, stride = 0;
  bool rle = false;
  unsigned char header_palette[48] = {};
  std::vector<unsigned char> scan;  // one scan line: planes * stride bytes
  bool long_runs = false;           // writing: the last plane coded to less than half its size
  bool Finish() override { return true; }
};

const uint32_t kEgaPalette[16] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA,
                                  0xAA5500, 0xAAAAAA, 0x555555, 0x5555FF, 0x55FF55, 0x55FFFF,
                                  0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};

// More than the manufacturer byte 10: the whole 128-byte header with known
// version, encoding and bits, and a window of at least one pixel.
int Sniff(const unsigned char* h, size_t size) {
  if (size < 128) return 0;
  int version = h[1], encoding = h[2], bits = h[3];
  if (h[0] != 10 ||
      (version != 0 && version != 2 && version != 3 && version != 4 && version != 5) ||
      encoding > 1 || (bits != 1 && bits != 2 && bits != 4 && bits != 8))
    return 0;
  int xmin = Le16(h + 4), ymin = Le16(h + 6), xmax = Le16(h + 8), ymax = Le16(h + 10);
  return xmax - xmin + 1 > 0 && ymax - ymin + 1 > 0;
}

int ReadHeader(PcxFile* f) {
  unsigned char h[128];
  if (!f->in->Read(h, sizeof h) || !Sniff(h, sizeof h)) return IM_ERR_FORMAT;
  int version = h[1], encoding = h[2], bits = h[3];
  int width = Le16(h + 8) - Le16(h + 4) + 1, height = Le16(h + 10) - Le16(h + 6) + 1;
  f->rec.width = width, f->rec.height = height;
  f->version = version, f->bits = bits, f->planes = h[65], f->stride = Le16(h + 66);
  f->rle = encoding == 1;
  f->rec.compression = f->rle ? 256 : 0;
  std::memcpy(f->header_palette, h + 16, 48);
  int depth = bits * f->planes;
  if (depth == 24 && bits == 8) {
    f->rec.type = IM_RGB;
  } else if (depth == 1 || depth == 4 || depth == 8) {
    f->rec.type = IM_MAP;
    f->rec.pal_count = 1 << depth;
  } else {
    return IM_ERR_TYPE;
  }
  if (static_cast<int64_t>(f->stride) * 8 < static_cast<int64_t>(width) * bits) return IM_ERR_READ;
  int dpi_x = Le16(h + 12), dpi_y = Le16(h + 14);
  if (dpi_x > 0 && dpi_y > 0) ReportResolution(f->name.c_str(), dpi_x, dpi_y, 1);
  if (!Allocate(f->scan, static_cast<size_t>(f->stride) * static_cast<size_t>(f->planes)))
    return IM_ERR_READ;
  f->rec.cur_row = height - 1;
  return IM_ERR_NONE;
}

imFile* ReadOpen(imBinFile* source, const char* file_name, int* error) {
  return ReadOpenWith<PcxFile>(source, file_name, IM_LITTLEENDIAN, ReadHeader, error);
}

int ReadPalette(imFile* rec, uint32_t* palette) {
  PcxFile* f = Of<PcxFile>(rec);
  if (rec->pal_count == 256) {
    Reader& in = *f->in;
    int64_t here = in.Tell();
    unsigned char p[769];
    bool found = f->version == 5 && in.Size() >= 128 + 769 && in.Seek(in.Size() - 769) &&
                 in.Read(p, sizeof p) && p[0] == 12;
    for (int i = 0; i < 256; ++i)
      palette[i] = found ? Rgb(p[1 + 3 * i], p[2 + 3 * i], p[3 + 3 * i]) : Rgb(i, i, i);
    return in.Seek(here) ? IM_ERR_NONE : IM_ERR_READ;
  }
  const unsigned char* hp = f->header_palette;
  if (f->version == 3 && rec->pal_count == 16) {
    std::memcpy(palette, kEgaPalette, sizeof kEgaPalette);
  } else {
    for (int i = 0; i < rec->pal_count; ++i)
      palette[i] = Rgb(hp[3 * i], hp[3 * i + 1], hp[3 * i + 2]);
    if (rec->pal_count == 2 && palette[0] == palette[1]) palette[0] = 0, palette[1] = 0xFFFFFF;
  }
  return IM_ERR_NONE;
}

// Decodes one whole scan line; a run may not reach past it.
int ReadScan(PcxFile* f) {
  unsigned char* out = f->scan.data();
  const size_t total = f->scan.size();
  Reader& in = *f->in;
  if (!f->rle) return in.Read(out, total) ? IM_ERR_NONE : IM_ERR_READ;
  size_t x = 0;
  while (x < total) {
    size_t avail = in.Available();
    if (avail == 0) return IM_ERR_READ;
    const unsigned char* s = in.Data();
    size_t i = 0;
    while (i < avail && x < total) {
      unsigned char c = s[i];
      if (c < 0xC0) {
        out[x++] = c;
        i++;
        continue;
      }
      if (i + 1 >= avail) break;  // the value byte is in the next block
      size_t n = c & 0x3F;
      if (n > total - x) return IM_ERR_READ;
      std::memset(out + x, s[i + 1], n);
      x += n;
      i += 2;
    }
    in.Consume(i);
    if (x < total && i + 1 >= avail && i < avail) {
      int c = in.Get(), v = in.Get();
      if (v < 0) return IM_ERR_READ;
      size_t n = static_cast<size_t>(c & 0x3F);
      if (n > total - x) return IM_ERR_READ;
      std::memset(out + x, v, n);
      x += n;
    }
  }
  return IM_ERR_NONE;
}

int ReadLineMap(imFile* rec, unsigned char* line) {
  PcxFile* f = Of<PcxFile>(rec);
  if (ReadScan(f) != IM_ERR_NONE) return IM_ERR_READ;
  const unsigned char* s = f->scan.data();
  const int width = rec->width;
  if (f->bits == 8 && f->planes == 1) {
    std::memcpy(line, s, static_cast<size_t>(width));
  } else {
    const int bits = f->bits, per_byte = 8 / bits, mask = (1 << bits) - 1;
    std::memset(line, 0, static_cast<size_t>(width));
    for (int p = 0; p < f->planes; ++p) {
      const unsigned char* plane = s + static_cast<size_t>(p) * static_cast<size_t>(f->stride);
      for (int x = 0; x < width; ++x) {
        int shift = 8 - bits * (x % per_byte + 1);
        line[x] = static_cast<unsigned char>(
            line[x] | (((plane[x / per_byte] >> shift) & mask) << (p * bits)));
      }
    }
  }
  f->StepRow(true);
  return IM_ERR_NONE;
}

int ReadLineRgb(imFile* rec, unsigned char* red, unsigned char* green, unsigned char* blue) {
  PcxFile* f = Of<PcxFile>(rec);
  if (ReadScan(f) != IM_ERR_NONE) return IM_ERR_READ;
  const size_t w = static_cast<size_t>(rec->width), stride = static_cast<size_t>(f->stride);
  std::memcpy(red, f->scan.data(), w);
  std::memcpy(green, f->scan.data() + stride, w);
  std::memcpy(blue, f->scan.data() + 2 * stride, w);
  f->StepRow(true);
  return IM_ERR_NONE;
}

// ---- writing ----

imFile* WriteOpen(const char* file_name, int width, int height, int type, int compression,
                  int pal_count, int* error) {
  if (!WriteRequestOk(width, height, type, pal_count, 65535)) {
    *error = IM_ERR_TYPE;
    return nullptr;
  }
  auto f = OpenWrite<PcxFile>(file_name, IM_LITTLEENDIAN, error);
  if (!f) return nullptr;
  f->rec.width = width, f->rec.height = height, f->rec.type = type;
  f->rec.pal_count = type == IM_MAP ? pal_count : 0;
  f->rec.palette_after = 1;
  f->rec.cur_row = height - 1;
  f->rle = compression != 0;
  f->rec.compression = f->rle ? 256 : 0;
  f->planes = type == IM_MAP ? 1 : 3;
  f->stride = (width + 1) & ~1;
  // a run-length line can grow to twice its size
  if (!Allocate(f->scan, static_cast<size_t>(f->stride) * 3 * 2)) {
    *error = IM_ERR_WRITE;
    return nullptr;
  }
  double xres = 72, yres = 72;
  int unit = 1;
  if (AskResolution(file_name, &xres, &yres, &unit) && unit == 2) xres *= 2.54, yres *= 2.54;
  if (unit == 0) xres = yres = 72;
  unsigned char h[128] = {10, 5, static_cast<unsigned char>(f->rle ? 1 : 0), 8};
  PutLe16(h + 8, static_cast<unsigned>(width - 1));
  PutLe16(h + 10, static_cast<unsigned>(height - 1));
  PutLe16(h + 12, static_cast<unsigned>(xres + 0.5) & 0xFFFF);
  PutLe16(h + 14, static_cast<unsigned>(yres + 0.5) & 0xFFFF);
  h[65] = static_cast<unsigned char>(f->planes);
  PutLe16(h + 66, static_cast<unsigned>(f->stride));
  PutLe16(h + 68, 1);
  f->out->Write(h, sizeof h);
  return Release(std::move(f));
}

// Eight bytes from p as one little-endian word.
inline uint64_t Word(const unsigned char* p) {
  uint64_t w;
  std::memcpy(&w, p, 8);
  if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
  return w;
}

constexpr uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;

// The first byte from p on that equals the byte after it (a run starts
// there), or end; eight neighbours are compared at a time.
const unsigned char* RunStart(const unsigned char* p, const unsigned char* end) {
  for (; end - p >= 9; p += 8) {
    const uint64_t differ = Word(p) ^ Word(p + 1);  // a zero byte where neighbours are equal
    const uint64_t zero = (differ - kOnes) & ~differ & kHighs;
    if (zero != 0) return p + (__builtin_ctzll(zero) >> 3);
  }
  for (; p + 1 < end; ++p)
    if (p[0] == p[1]) return p;
  return end;
}

// The end of the bytes equal to v from p on, at most up to limit.
const unsigned char* RunEnd(const unsigned char* p, const unsigned char* limit, unsigned char v) {
  for (; limit - p >= 8; p += 8) {
    const uint64_t differ = Word(p) ^ (kOnes * v);
    if (differ != 0) return p + (__builtin_ctzll(differ) >> 3);
  }
  while (p < limit && *p == v) ++p;
  return p;
}

// Run-length code of the bytes from p to end (runs of up to 63, a count
// of 1 only where the byte could pass for a count), written at o; returns
// the end of the code. Two ways to the same bytes: this one skips along
// runs a word at a time, for lines of long runs...
unsigned char* CodeByRuns(const unsigned char* p, const unsigned char* end, unsigned char* o) {
  while (p < end) {
    for (const unsigned char* run = RunStart(p, end); p < run; ++p) {
      *o = 0xC1;
      o += *p >= 0xC0;
      *o++ = *p;
    }
    if (p == end) break;
    const unsigned char v = *p;
    const unsigned char* q = RunEnd(p + 2, end - p > 63 ? p + 63 : end, v);
    *o++ = static_cast<unsigned char>(0xC0 | (q - p));
    *o++ = v;
    p = q;
  }
  return o;
}

// ...and this one takes a byte at a time without branches on the data,
// for lines that change all the time: the run of v since start goes out
// when the next byte differs (a full run of 63 whatever follows).
unsigned char* CodeByBytes(const unsigned char* p, const unsigned char* end, unsigned char* o) {
  const size_t size = static_cast<size_t>(end - p);
  size_t start = 0;
  unsigned v = p[0];
  for (size_t x = 1; x < size; ++x) {
    const unsigned b = p[x];
    const size_t n = x - start;
    if (n == 63) [[unlikely]] {
      o[0] = 0xFF, o[1] = static_cast<unsigned char>(v), o += 2;
      start = x, v = b;
      continue;
    }
    const bool flush = b != v;
    o[0] = static_cast<unsigned char>(0xC0 | n);
    o += flush & ((n > 1) | (v >= 0xC0));
    o[0] = static_cast<unsigned char>(v);
    o += flush;
    start = flush ? x : start;
    v = b;
  }
  const size_t n = size - start;
  if (n > 1 || v >= 0xC0) *o++ = static_cast<unsigned char>(0xC0 | n);
  *o++ = static_cast<unsigned char>(v);
  return o;
}

// One plane of a scan line: width bytes and a zero to the even stride,
// run-length coded when asked for, in one write. How the last plane coded
// picks the way for this one.
void WritePlane(PcxFile* f, const unsigned char* data) {
  const size_t width = static_cast<size_t>(f->rec.width), stride = static_cast<size_t>(f->stride);
  Writer& out = *f->out;
  if (!f->rle) {
    out.Write(data, width);
    if (stride > width) out.Put(0);
    return;
  }
  // the padded plane, then its code (at most two bytes a byte) after it
  unsigned char* plane = f->scan.data();
  std::memcpy(plane, data, width);
  if (stride > width) plane[width] = 0;
  unsigned char* const code = plane + stride;
  unsigned char* o = f->long_runs ? CodeByRuns(plane, plane + stride, code)
                                  : CodeByBytes(plane, plane + stride, code);
  const size_t size = static_cast<size_t>(o - code);
  f->long_runs = 2 * size < stride;
  out.Write(code, size);
}

int WriteLineMap(imFile* rec, const unsigned char* line) {
  PcxFile* f = Of<PcxFile>(rec);
  WritePlane(f, line);
  f->StepRow(true);
  return f->out->Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

int WriteLineRgb(imFile* rec, const unsigned char* red, const unsigned char* green,
                 const unsigned char* blue) {
  PcxFile* f = Of<PcxFile>(rec);
  WritePlane(f, red);
  WritePlane(f, green);
  WritePlane(f, blue);
  f->StepRow(true);
  return f->out->Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

int WritePalette(imFile* rec, const uint32_t* palette) {
  PcxFile* f = Of<PcxFile>(rec);
  unsigned char p[769] = {12};
  for (int i = 0; i < rec->pal_count; ++i) {
    p[1 + 3 * i] = Red(palette[i]), p[2 + 3 * i] = Green(palette[i]),
              p[3 + 3 * i] = Blue(palette[i]);
  }
  f->out->Write(p, sizeof p);
  return f->out->Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

int RegisterCallback(imCallback, int) {
  return 0;
}

}  // namespace

imFormat imFormatPCX = {
    0,           RegisterCallback, ReadOpen,    WriteOpen,    Close, ReadPalette, WritePalette,
    ReadLineMap, WriteLineMap,     ReadLineRgb, WriteLineRgb, Sniff};
