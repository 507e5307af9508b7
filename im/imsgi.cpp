// SGI image files: one byte per channel, verbatim or RLE; one channel as a
// grey map (or a map of 256 for the dithered and screen colour maps), three
// or four channels as RGB read plane by plane. Written verbatim: RGB as three
// planes, a grey map as one channel, any other map expanded to RGB planes.
#include "imcodec.h"

namespace {

using namespace imcodec;

constexpr int kMagic = 474;
constexpr int kHeader = 512;

struct SgiFile : CodecFile {
  bool rle = false;
  int channels = 0, colormap = 0;
  int plane = 0, line = 0;  // next line to read or write
  std::vector<uint32_t> starts, lengths;
  std::vector<unsigned char> row;
  uint32_t palette[256] = {};
  bool expand = false;  // writing a coloured map as RGB planes
};

int Sniff(const unsigned char* p, size_t size) {
  return size >= 2 && Be16(p) == kMagic;
}

int ReadHeader(SgiFile* f) {
  unsigned char h[kHeader];
  Reader& in = *f->in;
  if (!in.Read(h, 2) || !Sniff(h, 2)) return IM_ERR_FORMAT;
  if (!in.Read(h + 2, kHeader - 2)) return IM_ERR_READ;
  int storage = h[2], bpc = h[3], dimension = Be16(h + 4);
  int width = Be16(h + 6), height = Be16(h + 8), depth = Be16(h + 10);
  f->colormap = static_cast<int>(Be32(h + 104));
  if (dimension == 1) height = 1;
  if (dimension <= 2) depth = 1;
  if (width == 0 || height == 0 || depth == 0 || dimension < 1 || dimension > 3)
    return IM_ERR_FORMAT;
  f->rec.width = width, f->rec.height = height;
  f->channels = depth;
  f->rle = storage == 1;
  f->rec.compression = f->rle ? 256 : 0;
  f->rec.type = depth >= 3 && f->colormap == 0 ? IM_RGB : IM_MAP;
  if (storage > 1) {
    f->rec.compression = 512;
    return IM_ERR_COMP;
  }
  if (bpc != 1) return IM_ERR_TYPE;
  if (f->colormap == 0 && depth <= 2) {
    for (int i = 0; i < 256; ++i) f->palette[i] = Rgb(i, i, i);
  } else if ((f->colormap == 1 || f->colormap == 2) && depth == 1) {
    for (int i = 0; i < 256; ++i) {
      if (f->colormap == 1) {  // dithered: blue in the top 2 bits, green 3, red 3
        unsigned r = i & 7, g = (i >> 3) & 7, b = i >> 6;
        f->palette[i] = Rgb(r * 255 / 7, g * 255 / 7, b * 255 / 3);
      } else {
        f->palette[i] = Rgb(i, i, i);  // screen indices: the hardware map is not in the file
      }
    }
  } else if (!(f->colormap == 0 && depth >= 3)) {
    return IM_ERR_TYPE;
  }
  if (f->rec.type == IM_MAP) f->rec.pal_count = 256;
  if (f->rec.type == IM_RGB) f->rec.planar = 1;
  size_t tables = static_cast<size_t>(height) * static_cast<size_t>(depth);
  if (f->rle) {
    if (static_cast<int64_t>(tables) * 8 > in.Remaining()) return IM_ERR_READ;
    if (!Allocate(f->starts, tables) || !Allocate(f->lengths, tables)) return IM_ERR_READ;
    std::vector<unsigned char> raw;
    if (!Allocate(raw, tables * 8) || !in.Read(raw.data(), raw.size())) return IM_ERR_READ;
    for (size_t i = 0; i < tables; ++i) {
      f->starts[i] = Be32(raw.data() + 4 * i);
      f->lengths[i] = Be32(raw.data() + 4 * (tables + i));
    }
  }
  if (!Allocate(f->row, static_cast<size_t>(width))) return IM_ERR_READ;
  f->rec.cur_row = 0;
  return IM_ERR_NONE;
}

imFile* ReadOpen(imBinFile* source, const char* file_name, int* error) {
  return ReadOpenWith<SgiFile>(source, file_name, IM_BIGENDIAN, ReadHeader, error);
}

int ReadPalette(imFile* rec, uint32_t* palette) {
  std::memcpy(palette, Of<SgiFile>(rec)->palette, sizeof(uint32_t) * 256);
  return IM_ERR_NONE;
}

// Line `row` of channel `channel` into out.
int ReadChannelRow(SgiFile* f, int channel, int row, unsigned char* out) {
  Reader& in = *f->in;
  const int width = f->rec.width;
  size_t index =
      static_cast<size_t>(channel) * static_cast<size_t>(f->rec.height) + static_cast<size_t>(row);
  if (!f->rle) {
    int64_t at = kHeader + static_cast<int64_t>(index) * width;
    return in.Seek(at) && in.Read(out, static_cast<size_t>(width)) ? IM_ERR_NONE : IM_ERR_READ;
  }
  if (!in.Seek(f->starts[index])) return IM_ERR_READ;
  int x = 0;
  for (;;) {
    int c = in.Get();
    if (c < 0) return IM_ERR_READ;
    int n = c & 0x7F;
    if (n == 0) break;
    if (n > width - x) return IM_ERR_READ;
    if (c & 0x80) {
      if (!in.Read(out + x, static_cast<size_t>(n))) return IM_ERR_READ;
    } else {
      int v = in.Get();
      if (v < 0) return IM_ERR_READ;
      std::memset(out + x, v, static_cast<size_t>(n));
    }
    x += n;
  }
  return x == width ? IM_ERR_NONE : IM_ERR_READ;
}

// Maps and planes both come through here: planes one after the other, each
// bottom line first, the row starting again at 0 for every plane.
int ReadLineMap(imFile* rec, unsigned char* line) {
  SgiFile* f = Of<SgiFile>(rec);
  if (f->plane >= (rec->type == IM_RGB ? 3 : 1)) return IM_ERR_READ;
  int channel = rec->type == IM_RGB ? rec->plane[f->plane] : 0;
  if (channel < 0 || channel >= f->channels) return IM_ERR_READ;
  if (ReadChannelRow(f, channel, f->line, line) != IM_ERR_NONE) return IM_ERR_READ;
  if (++f->line == rec->height) f->line = 0, f->plane++;
  rec->cur_row = f->line;
  return IM_ERR_NONE;
}

// ---- writing ----

imFile* WriteOpen(const char* file_name, int width, int height, int type, int compression,
                  int pal_count, int* error) {
  if (!WriteRequestOk(width, height, type, pal_count, 65535)) {
    *error = IM_ERR_TYPE;
    return nullptr;
  }
  if (compression == 512) {
    *error = IM_ERR_COMP;
    return nullptr;
  }
  auto f = OpenWrite<SgiFile>(file_name, IM_BIGENDIAN, error);
  if (!f) return nullptr;
  f->rec.width = width, f->rec.height = height, f->rec.type = type;
  f->rec.pal_count = type == IM_MAP ? pal_count : 0;
  f->rec.planar = type == IM_RGB;
  f->channels = type == IM_RGB ? 3 : 1;
  if (!Allocate(f->row, static_cast<size_t>(width) * 3)) {
    *error = IM_ERR_WRITE;
    return nullptr;
  }
  return Release(std::move(f));
}

void WriteHeader(SgiFile* f) {
  unsigned char h[kHeader] = {};
  PutBe16(h, kMagic);
  h[3] = 1;
  PutBe16(h + 4, f->channels == 1 ? 2 : 3);
  PutBe16(h + 6, static_cast<unsigned>(f->rec.width));
  PutBe16(h + 8, static_cast<unsigned>(f->rec.height));
  PutBe16(h + 10, static_cast<unsigned>(f->channels));
  PutBe32(h + 12, 0);  // pixel range: minimum, then maximum
  PutBe32(h + 16, 255);
  imBinFileSeekTo(f->bin, 0);
  imBinFileWrite(f->bin, h, kHeader, 1);
}

int WritePalette(imFile* rec, const uint32_t* palette) {
  SgiFile* f = Of<SgiFile>(rec);
  std::memcpy(f->palette, palette, sizeof(uint32_t) * static_cast<size_t>(rec->pal_count));
  for (int i = 0; i < rec->pal_count; ++i)
    if (palette[i] != Rgb(i, i, i)) f->expand = true;
  if (f->expand) f->channels = 3;
  return IM_ERR_NONE;
}

// Lines go straight to their place in the file: verbatim storage puts line
// r of channel c at 512 + (c * height + r) * width.
void WriteChannelRow(SgiFile* f, int channel, int row, const unsigned char* data) {
  int64_t at = kHeader + (static_cast<int64_t>(channel) * f->rec.height + row) * f->rec.width;
  imBinFileSeekTo(f->bin, at);
  imBinFileWrite(f->bin, data, static_cast<size_t>(f->rec.width), 1);
}

int WriteLineMap(imFile* rec, const unsigned char* line) {
  SgiFile* f = Of<SgiFile>(rec);
  if (f->plane == 0 && f->line == 0) WriteHeader(f);
  if (rec->type == IM_RGB) {
    if (f->plane >= 3) return IM_ERR_WRITE;
    WriteChannelRow(f, rec->plane[f->plane], f->line, line);
  } else if (f->expand) {
    const size_t w = static_cast<size_t>(rec->width);
    unsigned char* r = f->row.data();
    for (size_t x = 0; x < w; ++x) {
      uint32_t c = line[x] < rec->pal_count ? f->palette[line[x]] : 0;
      r[x] = Red(c), r[w + x] = Green(c), r[2 * w + x] = Blue(c);
    }
    for (int c = 0; c < 3; ++c) WriteChannelRow(f, c, f->line, r + c * w);
  } else {
    WriteChannelRow(f, 0, f->line, line);
  }
  if (++f->line == rec->height) f->line = 0, f->plane++;
  rec->cur_row = f->line;
  return imBinFileError(f->bin) ? IM_ERR_WRITE : IM_ERR_NONE;
}

int RegisterCallback(imCallback, int) {
  return 0;
}

}  // namespace

imFormat imFormatSGI = {
    0,           RegisterCallback, ReadOpen, WriteOpen, Close, ReadPalette, WritePalette,
    ReadLineMap, WriteLineMap,     nullptr,  nullptr,   Sniff};
