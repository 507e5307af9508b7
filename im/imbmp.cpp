// Windows and OS/2 bitmap files: 1/4/8-bit maps (none, RLE8, RLE4),
// 16/24/32-bit RGB (plain or with bit fields); written as 8-bit maps (plain
// or RLE8) or 24-bit RGB, always bottom-up with a 40-byte header.
#include <bit>

#include "imcodec.h"

namespace {

using namespace imcodec;

struct BmpFile : CodecFile {
  int bits = 0;
  int rle = 0;  // 0, 8 or 4
  bool top_down = false;
  int64_t stride = 0;
  uint32_t mask[3] = {0, 0, 0};
  bool os2 = false;
  int64_t pal_offset = 0, data_offset = 0;
  std::vector<unsigned char> row;
  // RLE decoding state
  int skip_rows = 0, start_x = 0;
  bool ended = false;
  // writing
  int64_t written = 0;
  bool Finish() override;
};

// "BM" and a Windows (40) or OS/2 (12) info header.
int Sniff(const unsigned char* p, size_t size) {
  if (size < 18 || p[0] != 'B' || p[1] != 'M') return 0;
  uint32_t header_size = Le32(p + 14);
  return header_size == 40 || header_size == 12;
}

int ReadHeader(BmpFile* f) {
  unsigned char h[54];
  if (!f->in->Read(h, 18) || !Sniff(h, 18)) return IM_ERR_FORMAT;
  uint32_t header_size = Le32(h + 14);
  int64_t width, height;
  int compression = 0;
  uint32_t colours_used = 0;
  if (header_size == 40) {
    if (!f->in->Read(h + 18, 36)) return IM_ERR_READ;
    width = static_cast<int32_t>(Le32(h + 18));
    height = static_cast<int32_t>(Le32(h + 22));
    f->bits = Le16(h + 28);
    compression = static_cast<int>(Le32(h + 30));
    colours_used = Le32(h + 46);
    int32_t xppm = static_cast<int32_t>(Le32(h + 38)), yppm = static_cast<int32_t>(Le32(h + 42));
    if (xppm > 0 && yppm > 0) ReportResolution(f->name.c_str(), xppm * 0.01, yppm * 0.01, 2);
  } else if (header_size == 12) {
    if (!f->in->Read(h + 18, 8)) return IM_ERR_READ;
    f->os2 = true;
    width = Le16(h + 18);
    height = Le16(h + 20);
    f->bits = Le16(h + 24);
  } else {
    return IM_ERR_FORMAT;
  }
  if (height < 0) {
    f->top_down = true;
    height = -height;
  }
  f->rec.width = static_cast<int>(width > 0 && width <= INT32_MAX ? width : 0);
  f->rec.height = static_cast<int>(height > 0 && height <= INT32_MAX ? height : 0);
  if (width <= 0 || height <= 0) return IM_ERR_FORMAT;
  int b = f->bits;
  f->rec.type = b <= 8 ? IM_MAP : IM_RGB;
  if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32) return IM_ERR_TYPE;
  switch (compression) {
    case 0:
      break;
    case 1:
      f->rle = 8, f->rec.compression = 256;
      break;
    case 2:
      f->rle = 4, f->rec.compression = 512;
      break;
    case 3:
      break;
    default:
      f->rec.compression = 512;
      return IM_ERR_COMP;
  }
  if ((f->rle == 8 && b != 8) || (f->rle == 4 && b != 4)) return IM_ERR_TYPE;
  if (compression == 3 && b != 16 && b != 32) return IM_ERR_TYPE;
  if (!SizeOk(width, height)) return IM_ERR_TYPE;
  f->data_offset = Le32(h + 10);
  f->pal_offset = 14 + header_size;
  if (b <= 8) {
    int max = 1 << b;
    if (colours_used > 256) return IM_ERR_READ;
    f->rec.pal_count = colours_used >= 1 && static_cast<int>(colours_used) < max
                           ? static_cast<int>(colours_used)
                           : max;
  } else if (compression == 3) {
    unsigned char m[12];
    if (!f->in->Read(m, 12)) return IM_ERR_READ;
    for (int i = 0; i < 3; ++i) f->mask[i] = Le32(m + 4 * i);
  } else if (b == 16) {
    f->mask[0] = 0x7C00, f->mask[1] = 0x03E0, f->mask[2] = 0x001F;
  } else if (b == 32) {
    f->mask[0] = 0xFF0000, f->mask[1] = 0xFF00, f->mask[2] = 0xFF;
  }
  int64_t after_palette = f->pal_offset + static_cast<int64_t>(f->rec.pal_count) * (f->os2 ? 3 : 4);
  if (compression == 3) after_palette += 12;
  if (f->data_offset < after_palette) f->data_offset = after_palette;
  f->stride = (width * b + 31) / 32 * 4;
  f->rec.cur_row = f->top_down ? f->rec.height - 1 : 0;
  return IM_ERR_NONE;
}

imFile* ReadOpen(imBinFile* source, const char* file_name, int* error) {
  return ReadOpenWith<BmpFile>(source, file_name, IM_LITTLEENDIAN, ReadHeader, error);
}

int ReadPalette(imFile* rec, uint32_t* palette) {
  BmpFile* f = Of<BmpFile>(rec);
  int entry = f->os2 ? 3 : 4;
  unsigned char p[256 * 4];
  if (!f->in->Seek(f->pal_offset) || !f->in->Read(p, static_cast<size_t>(rec->pal_count * entry)))
    return IM_ERR_READ;
  for (int i = 0; i < rec->pal_count; ++i) {
    const unsigned char* e = p + i * entry;
    palette[i] = Rgb(e[2], e[1], e[0]);
  }
  return f->in->Seek(f->data_offset) ? IM_ERR_NONE : IM_ERR_READ;
}

// The first line also positions the file when no palette was read, and
// makes the line buffer: not at open, so that a tiny file claiming huge
// lines costs nothing when only its header is asked for, and an
// uncompressed file must hold its first line before the buffer is made.
bool SeekData(BmpFile* f) {
  if (f->written == 0) {
    if (!f->in->Seek(f->data_offset)) return false;
    if (f->rle == 0 && f->in->Remaining() < f->stride) return false;
    if (!Allocate(f->row, static_cast<size_t>(f->stride) * 2)) return false;
  }
  f->written++;
  return true;
}

// One RLE line into line (indices, zero where the stream skips pixels).
// Runs may cover the padding up to the stored line length (some writers
// encode it), never more.
int ReadRleLine(BmpFile* f, unsigned char* out) {
  const int width = static_cast<int>(f->rle == 8 ? f->stride : 2 * f->stride);
  unsigned char* line = f->row.data();
  std::memset(line, 0, static_cast<size_t>(width));
  std::memset(out, 0, static_cast<size_t>(f->rec.width));
  if (f->ended) return IM_ERR_NONE;
  if (f->skip_rows > 0) {
    f->skip_rows--;
    return IM_ERR_NONE;
  }
  int x = f->start_x;
  f->start_x = 0;
  Reader& in = *f->in;
  for (;;) {
    int n = in.Get(), c = in.Get();
    if (n < 0 || c < 0) return IM_ERR_READ;
    if (n == 0 && c <= 1) std::memcpy(out, line, static_cast<size_t>(f->rec.width));
    if (n > 0) {
      if (n > width - x) return IM_ERR_READ;
      if (f->rle == 8) {
        std::memset(line + x, c, static_cast<size_t>(n));
      } else {
        for (int i = 0; i < n; ++i)
          line[x + i] = static_cast<unsigned char>(i & 1 ? c & 15 : c >> 4);
      }
      x += n;
    } else if (c == 0) {
      return IM_ERR_NONE;
    } else if (c == 1) {
      f->ended = true;
      return IM_ERR_NONE;
    } else if (c == 2) {
      int dx = in.Get(), dy = in.Get();
      if (dx < 0 || dy < 0 || dx > width - x) return IM_ERR_READ;
      x += dx;
      if (dy > 0) {
        std::memcpy(out, line, static_cast<size_t>(f->rec.width));
        f->skip_rows = dy - 1;
        f->start_x = x;
        return IM_ERR_NONE;
      }
    } else {
      if (c > width - x) return IM_ERR_READ;
      int bytes = f->rle == 8 ? c : (c + 1) / 2;
      unsigned char data[256];
      if (!in.Read(data, static_cast<size_t>(bytes + (bytes & 1)))) return IM_ERR_READ;
      if (f->rle == 8) {
        std::memcpy(line + x, data, static_cast<size_t>(c));
      } else {
        for (int i = 0; i < c; ++i)
          line[x + i] = static_cast<unsigned char>(i & 1 ? data[i / 2] & 15 : data[i / 2] >> 4);
      }
      x += c;
    }
  }
}

int ReadLineMap(imFile* rec, unsigned char* line) {
  BmpFile* f = Of<BmpFile>(rec);
  if (!SeekData(f)) return IM_ERR_READ;
  if (f->rle != 0) {
    int e = ReadRleLine(f, line);
    if (e != IM_ERR_NONE) return e;
  } else {
    if (!f->in->Read(f->row.data(), static_cast<size_t>(f->stride))) return IM_ERR_READ;
    const unsigned char* s = f->row.data();
    const int width = rec->width;
    if (f->bits == 8) {
      std::memcpy(line, s, static_cast<size_t>(width));
    } else if (f->bits == 4) {
      for (int x = 0; x < width; ++x) line[x] = x & 1 ? s[x / 2] & 15 : s[x / 2] >> 4;
    } else {
      for (int x = 0; x < width; ++x) line[x] = (s[x / 8] >> (7 - (x & 7))) & 1;
    }
  }
  f->StepRow(f->top_down);
  return IM_ERR_NONE;
}

// Component of a bit-field pixel scaled to 0..255.
struct Field {
  int shift = 0, bits = 0;
  explicit Field(uint32_t mask) {
    if (mask == 0) return;
    shift = std::countr_zero(mask);
    bits = 32 - std::countl_zero(mask >> shift);
  }
  unsigned char Get(uint32_t pixel, uint32_t mask) const {
    if (bits == 0) return 0;
    uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<unsigned char>(v >> (bits - 8));
    uint32_t max = (1u << bits) - 1;
    return static_cast<unsigned char>((v * 255 + max / 2) / max);
  }
};

int ReadLineRgb(imFile* rec, unsigned char* red, unsigned char* green, unsigned char* blue) {
  BmpFile* f = Of<BmpFile>(rec);
  if (!SeekData(f) || !f->in->Read(f->row.data(), static_cast<size_t>(f->stride)))
    return IM_ERR_READ;
  const unsigned char* s = f->row.data();
  const int width = rec->width;
  if (f->bits == 24) {
    imrows::Deinterleave(s, width, blue, green, red);
  } else {
    Field fr(f->mask[0]), fg(f->mask[1]), fb(f->mask[2]);
    const int step = f->bits / 8;
    for (int x = 0; x < width; ++x, s += step) {
      uint32_t v = step == 2 ? Le16(s) : Le32(s);
      red[x] = fr.Get(v, f->mask[0]);
      green[x] = fg.Get(v, f->mask[1]);
      blue[x] = fb.Get(v, f->mask[2]);
    }
  }
  f->StepRow(f->top_down);
  return IM_ERR_NONE;
}

// ---- writing ----

imFile* WriteOpen(const char* file_name, int width, int height, int type, int compression,
                  int pal_count, int* error) {
  if (!WriteRequestOk(width, height, type, pal_count)) {
    *error = IM_ERR_TYPE;
    return nullptr;
  }
  if (type == IM_RGB && compression == 512) {
    *error = IM_ERR_COMP;
    return nullptr;
  }
  auto f = OpenWrite<BmpFile>(file_name, IM_LITTLEENDIAN, error);
  if (!f) return nullptr;
  f->rec.width = width, f->rec.height = height, f->rec.type = type;
  f->rec.pal_count = type == IM_MAP ? pal_count : 0;
  f->bits = type == IM_MAP ? 8 : 24;
  f->rle = type == IM_MAP && compression != 0 ? 8 : 0;
  f->rec.compression = f->rle ? 256 : 0;
  f->stride = (static_cast<int64_t>(width) * f->bits + 31) / 32 * 4;
  if (!Allocate(f->row, static_cast<size_t>(f->stride) * 2 + 4)) {
    *error = IM_ERR_WRITE;
    return nullptr;
  }
  f->data_offset = 54 + 4 * f->rec.pal_count;
  int64_t image = f->rle ? 0 : f->stride * height;
  if (image > UINT32_MAX - f->data_offset) {
    *error = IM_ERR_TYPE;
    return nullptr;
  }
  double xres = 0, yres = 0;
  int unit = 0;
  int32_t xppm = 0, yppm = 0;
  if (AskResolution(file_name, &xres, &yres, &unit)) {
    double k = unit == 1 ? 1 / 0.0254 : 100.0;
    xppm = static_cast<int32_t>(xres * k + 0.5), yppm = static_cast<int32_t>(yres * k + 0.5);
  }
  unsigned char h[54] = {'B', 'M'};
  PutLe32(h + 2, static_cast<uint32_t>(f->data_offset + image));
  PutLe32(h + 10, static_cast<uint32_t>(f->data_offset));
  PutLe32(h + 14, 40);
  PutLe32(h + 18, static_cast<uint32_t>(width));
  PutLe32(h + 22, static_cast<uint32_t>(height));
  PutLe16(h + 26, 1);
  PutLe16(h + 28, static_cast<unsigned>(f->bits));
  PutLe32(h + 30, f->rle ? 1 : 0);
  PutLe32(h + 34, static_cast<uint32_t>(image));
  PutLe32(h + 38, static_cast<uint32_t>(xppm));
  PutLe32(h + 42, static_cast<uint32_t>(yppm));
  PutLe32(h + 46, static_cast<uint32_t>(f->rec.pal_count));
  f->out->Write(h, sizeof h);
  if (type == IM_RGB) f->written = 1;  // no palette to wait for
  return Release(std::move(f));
}

int WritePalette(imFile* rec, const uint32_t* palette) {
  BmpFile* f = Of<BmpFile>(rec);
  for (int i = 0; i < rec->pal_count; ++i) {
    unsigned char e[4] = {Blue(palette[i]), Green(palette[i]), Red(palette[i]), 0};
    f->out->Write(e, 4);
  }
  return f->out->Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

// RLE8 of one line, ending with the end-of-line code.
void EncodeRle8(BmpFile* f, const unsigned char* line) {
  Writer& out = *f->out;
  const int width = f->rec.width;
  int x = 0;
  while (x < width) {
    int run = 1;
    while (x + run < width && run < 255 && line[x + run] == line[x]) run++;
    if (run >= 2) {
      out.Put(static_cast<unsigned char>(run)), out.Put(line[x]);
      x += run;
      continue;
    }
    // literal stretch up to the next run of three
    int n = 1;
    while (x + n < width && n < 255 &&
           !(x + n + 2 < width && line[x + n] == line[x + n + 1] && line[x + n] == line[x + n + 2]))
      n++;
    if (n < 3) {
      for (int i = 0; i < n; ++i) out.Put(1), out.Put(line[x + i]);
    } else {
      out.Put(0), out.Put(static_cast<unsigned char>(n));
      out.Write(line + x, static_cast<size_t>(n));
      if (n & 1) out.Put(0);
    }
    x += n;
  }
  out.Put(0), out.Put(0);
}

int WriteLineMap(imFile* rec, const unsigned char* line) {
  BmpFile* f = Of<BmpFile>(rec);
  if (f->rle) {
    EncodeRle8(f, line);
  } else {
    f->out->Write(line, static_cast<size_t>(rec->width));
    f->out->Write(f->row.data(), static_cast<size_t>(f->stride - rec->width));
  }
  f->StepRow(false);
  return f->out->Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

int WriteLineRgb(imFile* rec, const unsigned char* red, const unsigned char* green,
                 const unsigned char* blue) {
  BmpFile* f = Of<BmpFile>(rec);
  unsigned char* d = f->row.data();
  imrows::Interleave(blue, green, red, rec->width, d);
  f->out->Write(f->row.data(), static_cast<size_t>(f->stride));
  f->StepRow(false);
  return f->out->Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

bool BmpFile::Finish() {
  if (!rle) return true;
  out->Put(0), out->Put(1);
  out->Flush();
  int64_t end = imBinFileTell(bin);
  if (end - data_offset > UINT32_MAX || end > UINT32_MAX) return false;
  unsigned char v[4];
  PutLe32(v, static_cast<uint32_t>(end));
  imBinFileSeekTo(bin, 2);
  imBinFileWrite(bin, v, 4, 1);
  PutLe32(v, static_cast<uint32_t>(end - data_offset));
  imBinFileSeekTo(bin, 34);
  imBinFileWrite(bin, v, 4, 1);
  return imBinFileError(bin) == 0;
}

int RegisterCallback(imCallback, int) {
  return 0;
}

}  // namespace

imFormat imFormatBMP = {
    0,           RegisterCallback, ReadOpen,    WriteOpen,    Close, ReadPalette, WritePalette,
    ReadLineMap, WriteLineMap,     ReadLineRgb, WriteLineRgb, Sniff};
