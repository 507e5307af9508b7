// Sun raster files: depth 1 and 8 as maps, 24 and 32 as RGB, plain or
// byte-encoded (RLE); written uncompressed as depth 8 with a colour map or
// depth 24.
#include "imcodec.h"

namespace {

using namespace imcodec;

constexpr uint32_t kMagic = 0x59a66a95;

struct RasFile : CodecFile {
  int depth = 0;
  bool rle = false, rgb_order = false;
  int64_t stride = 0, lines = 0;
  std::vector<unsigned char> row;
  uint32_t palette[256] = {};
  int run_left = 0;  // bytes of a run that belong to the next line
  unsigned char run_value = 0;
};

// The magic number and a size of at least one pixel in the 32-byte header.
int Sniff(const unsigned char* h, size_t size) {
  if (size < 32 || Be32(h) != kMagic) return 0;
  int64_t width = Be32(h + 4), height = Be32(h + 8);
  return width > 0 && height > 0 && width <= INT32_MAX && height <= INT32_MAX;
}

int ReadHeader(RasFile* f) {
  unsigned char h[32];
  if (!f->in->Read(h, sizeof h) || !Sniff(h, sizeof h)) return IM_ERR_FORMAT;
  int64_t width = Be32(h + 4), height = Be32(h + 8);
  f->depth = static_cast<int>(Be32(h + 12));
  uint32_t type = Be32(h + 20), map_type = Be32(h + 24), map_length = Be32(h + 28);
  f->rec.width = static_cast<int>(width), f->rec.height = static_cast<int>(height);
  int d = f->depth;
  f->rec.type = d <= 8 ? IM_MAP : IM_RGB;
  if (type == 2) f->rle = true, f->rec.compression = 256;
  if (d != 1 && d != 8 && d != 24 && d != 32) return IM_ERR_TYPE;
  if (type > 3) {
    f->rec.compression = 512;
    return IM_ERR_COMP;
  }
  if (!SizeOk(width, height)) return IM_ERR_TYPE;
  f->rgb_order = type == 3;
  if (map_type > 2) return IM_ERR_READ;
  if (map_type == 1 && map_length > 0 && d <= 8) {
    uint32_t n = map_length / 3;
    if (n < 1 || n > 256 || map_length > static_cast<uint32_t>(f->in->Remaining()))
      return IM_ERR_READ;
    unsigned char m[768];
    if (!f->in->Read(m, n * 3) || !f->in->Skip(map_length - n * 3)) return IM_ERR_READ;
    for (uint32_t i = 0; i < n; ++i) f->palette[i] = Rgb(m[i], m[n + i], m[2 * n + i]);
    f->rec.pal_count = static_cast<int>(n);
  } else {
    if (!f->in->Skip(map_length)) return IM_ERR_READ;
    if (d == 1) {
      f->rec.pal_count = 2;  // without a map, 1 is black
      f->palette[0] = 0xFFFFFF, f->palette[1] = 0;
    } else if (d == 8) {
      f->rec.pal_count = 256;
      for (int i = 0; i < 256; ++i) f->palette[i] = Rgb(i, i, i);
    }
  }
  f->stride = (width * d + 15) / 16 * 2;
  if (!Allocate(f->row, static_cast<size_t>(f->stride))) return IM_ERR_READ;
  f->rec.cur_row = f->rec.height - 1;
  return IM_ERR_NONE;
}

imFile* ReadOpen(imBinFile* source, const char* file_name, int* error) {
  return ReadOpenWith<RasFile>(source, file_name, IM_BIGENDIAN, ReadHeader, error);
}

int ReadPalette(imFile* rec, uint32_t* palette) {
  std::memcpy(palette, Of<RasFile>(rec)->palette,
              sizeof(uint32_t) * static_cast<size_t>(rec->pal_count));
  return IM_ERR_NONE;
}

// One stored line. The byte encoding runs over the whole image, so a run may
// go on into the next line, but not past the last one.
int ReadRow(RasFile* f) {
  unsigned char* out = f->row.data();
  const size_t total = f->row.size();
  Reader& in = *f->in;
  f->lines++;
  if (!f->rle) return in.Read(out, total) ? IM_ERR_NONE : IM_ERR_READ;
  size_t x = 0;
  auto run = [&](int n, unsigned char v) {
    size_t k = static_cast<size_t>(n) < total - x ? static_cast<size_t>(n) : total - x;
    std::memset(out + x, v, k);
    x += k;
    f->run_left = n - static_cast<int>(k), f->run_value = v;
  };
  if (f->run_left > 0) run(f->run_left, f->run_value);
  while (x < total) {
    int c = in.Get();
    if (c < 0) return IM_ERR_READ;
    if (c != 0x80) {
      out[x++] = static_cast<unsigned char>(c);
      continue;
    }
    int n = in.Get();
    if (n < 0) return IM_ERR_READ;
    if (n == 0) {
      out[x++] = 0x80;
      continue;
    }
    int v = in.Get();
    if (v < 0) return IM_ERR_READ;
    run(n + 1, static_cast<unsigned char>(v));
  }
  if (f->lines == f->rec.height && f->run_left > 0) return IM_ERR_READ;
  return IM_ERR_NONE;
}

int ReadLineMap(imFile* rec, unsigned char* line) {
  RasFile* f = Of<RasFile>(rec);
  if (ReadRow(f) != IM_ERR_NONE) return IM_ERR_READ;
  const unsigned char* s = f->row.data();
  if (f->depth == 8) {
    std::memcpy(line, s, static_cast<size_t>(rec->width));
  } else {
    for (int x = 0; x < rec->width; ++x) line[x] = (s[x / 8] >> (7 - (x & 7))) & 1;
  }
  f->StepRow(true);
  return IM_ERR_NONE;
}

int ReadLineRgb(imFile* rec, unsigned char* red, unsigned char* green, unsigned char* blue) {
  RasFile* f = Of<RasFile>(rec);
  if (ReadRow(f) != IM_ERR_NONE) return IM_ERR_READ;
  const unsigned char* s = f->row.data();
  const int step = f->depth / 8, first = step == 4 ? 1 : 0;
  unsigned char* a = f->rgb_order ? red : blue;
  unsigned char* c = f->rgb_order ? blue : red;
  for (int x = 0; x < rec->width; ++x, s += step)
    a[x] = s[first], green[x] = s[first + 1], c[x] = s[first + 2];
  f->StepRow(true);
  return IM_ERR_NONE;
}

// ---- writing ----

imFile* WriteOpen(const char* file_name, int width, int height, int type, int compression,
                  int pal_count, int* error) {
  if (!WriteRequestOk(width, height, type, pal_count)) {
    *error = IM_ERR_TYPE;
    return nullptr;
  }
  if (compression == 512) {
    *error = IM_ERR_COMP;
    return nullptr;
  }
  auto f = OpenWrite<RasFile>(file_name, IM_BIGENDIAN, error);
  if (!f) return nullptr;
  f->rec.width = width, f->rec.height = height, f->rec.type = type;
  f->rec.pal_count = type == IM_MAP ? pal_count : 0;
  f->rec.cur_row = height - 1;
  f->depth = type == IM_MAP ? 8 : 24;
  f->stride = (static_cast<int64_t>(width) * f->depth + 15) / 16 * 2;
  if (f->stride * height > UINT32_MAX) {
    *error = IM_ERR_TYPE;
    return nullptr;
  }
  if (!Allocate(f->row, static_cast<size_t>(f->stride))) {
    *error = IM_ERR_WRITE;
    return nullptr;
  }
  unsigned char h[32];
  PutBe32(h, kMagic);
  PutBe32(h + 4, static_cast<uint32_t>(width));
  PutBe32(h + 8, static_cast<uint32_t>(height));
  PutBe32(h + 12, static_cast<uint32_t>(f->depth));
  PutBe32(h + 16, static_cast<uint32_t>(f->stride * height));
  PutBe32(h + 20, 1);
  PutBe32(h + 24, type == IM_MAP ? 1 : 0);
  PutBe32(h + 28, static_cast<uint32_t>(3 * f->rec.pal_count));
  f->out->Write(h, sizeof h);
  return Release(std::move(f));
}

int WritePalette(imFile* rec, const uint32_t* palette) {
  RasFile* f = Of<RasFile>(rec);
  unsigned char m[768];
  const int n = rec->pal_count;
  for (int i = 0; i < n; ++i)
    m[i] = Red(palette[i]), m[n + i] = Green(palette[i]), m[2 * n + i] = Blue(palette[i]);
  f->out->Write(m, static_cast<size_t>(3 * n));
  return f->out->Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

int WriteLineMap(imFile* rec, const unsigned char* line) {
  RasFile* f = Of<RasFile>(rec);
  std::memcpy(f->row.data(), line, static_cast<size_t>(rec->width));
  f->out->Write(f->row.data(), f->row.size());
  f->StepRow(true);
  return f->out->Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

int WriteLineRgb(imFile* rec, const unsigned char* red, const unsigned char* green,
                 const unsigned char* blue) {
  RasFile* f = Of<RasFile>(rec);
  unsigned char* d = f->row.data();
  imrows::Interleave(blue, green, red, rec->width, d);
  f->out->Write(f->row.data(), f->row.size());
  f->StepRow(true);
  return f->out->Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

int RegisterCallback(imCallback, int) {
  return 0;
}

}  // namespace

imFormat imFormatRAS = {
    0,           RegisterCallback, ReadOpen,    WriteOpen,    Close, ReadPalette, WritePalette,
    ReadLineMap, WriteLineMap,     ReadLineRgb, WriteLineRgb, Sniff};
