// Truevision Targa files: colour-mapped (types 1, 9) and grey (3, 11) as
// maps, true colour (2, 10) as RGB, plain or RLE; written as type 1/9 with
// 24-bit map entries or type 2/10 with 24-bit pixels, bottom-up.
#include "imcodec.h"

namespace {

using namespace imcodec;

struct TgaFile : CodecFile {
  int bytes = 0;  // per pixel
  bool rle = false, top_down = false, right_to_left = false;
  int map_start = 0;
  uint32_t palette[256] = {};
  std::vector<unsigned char> row;
};

uint32_t Colour(const unsigned char* p, int bytes) {
  if (bytes >= 3) return Rgb(p[2], p[1], p[0]);
  unsigned v = Le16(p);
  auto five = [](unsigned c) { return (c << 3) | (c >> 2); };
  return Rgb(five((v >> 10) & 31), five((v >> 5) & 31), five(v & 31));
}

// Targa has no magic number: the 18-byte header must hold a known image
// type with the colour map it needs, a size of at least one pixel and a
// known colour map entry size.
int Sniff(const unsigned char* h, size_t size) {
  if (size < 18) return 0;
  int map_type = h[1], type = h[2], map_bits = h[7];
  if (map_type > 1 ||
      (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11))
    return 0;
  if ((type == 1 || type == 9) && map_type == 0) return 0;
  if (Le16(h + 12) == 0 || Le16(h + 14) == 0) return 0;
  return map_type == 0 || map_bits == 15 || map_bits == 16 || map_bits == 24 || map_bits == 32;
}

int ReadHeader(TgaFile* f) {
  unsigned char h[18];
  Reader& in = *f->in;
  if (!in.Read(h, sizeof h) || !Sniff(h, sizeof h)) return IM_ERR_FORMAT;
  int id_length = h[0], map_type = h[1], type = h[2];
  int map_start = Le16(h + 3), map_length = Le16(h + 5), map_bits = h[7];
  int width = Le16(h + 12), height = Le16(h + 14), bits = h[16], desc = h[17];
  f->rec.width = width, f->rec.height = height;
  f->rle = type >= 9;
  f->rec.compression = f->rle ? 256 : 0;
  int base = type & 7;
  f->rec.type = base == 2 ? IM_RGB : IM_MAP;
  if (base == 2) {
    if (bits != 15 && bits != 16 && bits != 24 && bits != 32) return IM_ERR_TYPE;
  } else if (bits != 8) {
    return IM_ERR_TYPE;  // maps and grey deeper (or shallower) than 8 bits
  }
  f->bytes = (bits + 7) / 8;
  f->top_down = (desc & 0x20) != 0;
  f->right_to_left = (desc & 0x10) != 0;
  if (!in.Skip(id_length)) return IM_ERR_READ;
  const int entry = (map_bits + 7) / 8;
  if (map_type == 1 && base == 1) {
    if (map_length < 1 || map_start + map_length > 256) return IM_ERR_READ;
    unsigned char m[256 * 4];
    if (!in.Read(m, static_cast<size_t>(map_length * entry))) return IM_ERR_READ;
    for (int i = 0; i < map_length; ++i) f->palette[map_start + i] = Colour(m + i * entry, entry);
    f->rec.pal_count = map_start + map_length;
  } else {
    if (map_type == 1 && !in.Skip(static_cast<int64_t>(map_length) * entry)) return IM_ERR_READ;
    if (base == 3) {
      f->rec.pal_count = 256;
      for (int i = 0; i < 256; ++i) f->palette[i] = Rgb(i, i, i);
    }
  }
  if (!Allocate(f->row, static_cast<size_t>(width) * static_cast<size_t>(f->bytes)))
    return IM_ERR_READ;
  f->rec.cur_row = f->top_down ? height - 1 : 0;
  return IM_ERR_NONE;
}

imFile* ReadOpen(imBinFile* source, const char* file_name, int* error) {
  return ReadOpenWith<TgaFile>(source, file_name, IM_LITTLEENDIAN, ReadHeader, error);
}

int ReadPalette(imFile* rec, uint32_t* palette) {
  std::memcpy(palette, Of<TgaFile>(rec)->palette,
              sizeof(uint32_t) * static_cast<size_t>(rec->pal_count));
  return IM_ERR_NONE;
}

// One line of pixels; packets may not reach into the next line.
int ReadRow(TgaFile* f) {
  unsigned char* out = f->row.data();
  Reader& in = *f->in;
  if (!f->rle) return in.Read(out, f->row.size()) ? IM_ERR_NONE : IM_ERR_READ;
  const int width = f->rec.width, bytes = f->bytes;
  int x = 0;
  while (x < width) {
    int c = in.Get();
    if (c < 0) return IM_ERR_READ;
    int n = (c & 0x7F) + 1;
    if (n > width - x) return IM_ERR_READ;
    unsigned char* d = out + static_cast<size_t>(x) * static_cast<size_t>(bytes);
    if (c & 0x80) {
      if (!in.Read(d, static_cast<size_t>(bytes))) return IM_ERR_READ;
      for (int i = 1; i < n; ++i) std::memcpy(d + i * bytes, d, static_cast<size_t>(bytes));
    } else if (!in.Read(d, static_cast<size_t>(n * bytes))) {
      return IM_ERR_READ;
    }
    x += n;
  }
  return IM_ERR_NONE;
}

void Mirror(unsigned char* p, int width) {
  for (int a = 0, b = width - 1; a < b; ++a, --b) std::swap(p[a], p[b]);
}

int ReadLineMap(imFile* rec, unsigned char* line) {
  TgaFile* f = Of<TgaFile>(rec);
  if (ReadRow(f) != IM_ERR_NONE) return IM_ERR_READ;
  std::memcpy(line, f->row.data(), static_cast<size_t>(rec->width));
  if (f->right_to_left) Mirror(line, rec->width);
  f->StepRow(f->top_down);
  return IM_ERR_NONE;
}

int ReadLineRgb(imFile* rec, unsigned char* red, unsigned char* green, unsigned char* blue) {
  TgaFile* f = Of<TgaFile>(rec);
  if (ReadRow(f) != IM_ERR_NONE) return IM_ERR_READ;
  const unsigned char* s = f->row.data();
  const int bytes = f->bytes;
  for (int x = 0; x < rec->width; ++x, s += bytes) {
    if (bytes >= 3) {
      blue[x] = s[0], green[x] = s[1], red[x] = s[2];
    } else {
      uint32_t c = Colour(s, bytes);
      red[x] = Red(c), green[x] = Green(c), blue[x] = Blue(c);
    }
  }
  if (f->right_to_left)
    Mirror(red, rec->width), Mirror(green, rec->width), Mirror(blue, rec->width);
  f->StepRow(f->top_down);
  return IM_ERR_NONE;
}

// ---- writing ----

imFile* WriteOpen(const char* file_name, int width, int height, int type, int compression,
                  int pal_count, int* error) {
  if (!WriteRequestOk(width, height, type, pal_count, 65535)) {
    *error = IM_ERR_TYPE;
    return nullptr;
  }
  auto f = OpenWrite<TgaFile>(file_name, IM_LITTLEENDIAN, error);
  if (!f) return nullptr;
  f->rec.width = width, f->rec.height = height, f->rec.type = type;
  f->rec.pal_count = type == IM_MAP ? pal_count : 0;
  f->rle = compression != 0;
  f->rec.compression = f->rle ? 256 : 0;
  f->bytes = type == IM_MAP ? 1 : 3;
  if (!Allocate(f->row, static_cast<size_t>(width) * 3)) {
    *error = IM_ERR_WRITE;
    return nullptr;
  }
  unsigned char h[18] = {};
  h[1] = type == IM_MAP ? 1 : 0;
  h[2] = static_cast<unsigned char>((type == IM_MAP ? 1 : 2) + (f->rle ? 8 : 0));
  PutLe16(h + 5, static_cast<unsigned>(f->rec.pal_count));
  h[7] = type == IM_MAP ? 24 : 0;
  PutLe16(h + 12, static_cast<unsigned>(width));
  PutLe16(h + 14, static_cast<unsigned>(height));
  h[16] = type == IM_MAP ? 8 : 24;
  f->out->Write(h, sizeof h);
  return Release(std::move(f));
}

int WritePalette(imFile* rec, const uint32_t* palette) {
  TgaFile* f = Of<TgaFile>(rec);
  for (int i = 0; i < rec->pal_count; ++i) {
    unsigned char e[3] = {Blue(palette[i]), Green(palette[i]), Red(palette[i])};
    f->out->Write(e, 3);
  }
  return f->out->Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

void WriteRow(TgaFile* f) {
  const unsigned char* p = f->row.data();
  const int width = f->rec.width, bytes = f->bytes;
  Writer& out = *f->out;
  if (!f->rle) {
    out.Write(p, static_cast<size_t>(width * bytes));
    return;
  }
  auto same = [&](int a, int b) {
    return std::memcmp(p + a * bytes, p + b * bytes, static_cast<size_t>(bytes)) == 0;
  };
  int x = 0;
  while (x < width) {
    int n = 1;
    while (x + n < width && n < 128 && same(x, x + n)) n++;
    if (n >= 2) {
      out.Put(static_cast<unsigned char>(0x80 | (n - 1)));
      out.Write(p + x * bytes, static_cast<size_t>(bytes));
    } else {
      while (x + n < width && n < 128 && !(x + n + 1 < width && same(x + n, x + n + 1))) n++;
      out.Put(static_cast<unsigned char>(n - 1));
      out.Write(p + x * bytes, static_cast<size_t>(n * bytes));
    }
    x += n;
  }
}

int WriteLineMap(imFile* rec, const unsigned char* line) {
  TgaFile* f = Of<TgaFile>(rec);
  std::memcpy(f->row.data(), line, static_cast<size_t>(rec->width));
  WriteRow(f);
  f->StepRow(false);
  return f->out->Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

int WriteLineRgb(imFile* rec, const unsigned char* red, const unsigned char* green,
                 const unsigned char* blue) {
  TgaFile* f = Of<TgaFile>(rec);
  unsigned char* d = f->row.data();
  imrows::Interleave(blue, green, red, rec->width, d);
  WriteRow(f);
  f->StepRow(false);
  return f->out->Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

int RegisterCallback(imCallback, int) {
  return 0;
}

}  // namespace

imFormat imFormatTGA = {
    0,           RegisterCallback, ReadOpen,    WriteOpen,    Close, ReadPalette, WritePalette,
    ReadLineMap, WriteLineMap,     ReadLineRgb, WriteLineRgb, Sniff};
