// GIF files: the first image of a GIF87a or GIF89a file (extensions skipped,
// global or local colour table, interlaced or not), LZW codes up to 12 bits;
// written as GIF87a with LZW. Maps only.
#include "imcodec.h"

namespace {

using namespace imcodec;

constexpr int kMaxCodes = 4096;

struct GifFile : CodecFile {
  // reading
  int pal_bits = 0;
  uint32_t palette[256] = {};
  bool interlaced = false;
  int file_row = 0, pass = 0;  // row of the file the next line is, interlace pass
  int min_size = 0, code_size = 0, clear = 0, next_code = 0, prev = -1;
  int block_left = 0;
  bool data_ended = false;
  uint32_t bit_buf = 0;
  int bit_count = 0;
  uint16_t prefix[kMaxCodes] = {};
  unsigned char suffix[kMaxCodes] = {}, first[kMaxCodes] = {};
  uint16_t length[kMaxCodes] = {};
  unsigned char pending[kMaxCodes] = {};  // the part of a string the last line had no room for
  unsigned char chunk[1 << 15] = {};      // code bytes gathered from sub-blocks
  size_t chunk_pos = 0, chunk_len = 0;
  int pending_start = 0, pending_len = 0;
  // writing
  std::vector<int16_t> hash_code;
  std::vector<int32_t> hash_key;
  int current = -1;
  bool Finish() override;
};

int ReadHeader(GifFile* f) {
  Reader& in = *f->in;
  unsigned char h[13];
  if (!in.Read(h, 3) || h[0] != 'G' || h[1] != 'I' || h[2] != 'F') return IM_ERR_FORMAT;
  if (!in.Read(h + 3, 10)) return IM_ERR_READ;
  f->rec.type = IM_MAP;
  f->rec.compression = 256;
  int count = 0;
  unsigned char table[768];
  if (h[10] & 0x80) {
    count = 2 << (h[10] & 7);
    if (!in.Read(table, static_cast<size_t>(count) * 3)) return IM_ERR_READ;
  }
  for (;;) {
    int c = in.Get();
    if (c == 0x21) {  // extension: label, then sub-blocks up to an empty one
      if (in.Get() < 0) return IM_ERR_READ;
      for (int n; (n = in.Get()) != 0;)
        if (n < 0 || !in.Skip(n)) return IM_ERR_READ;
    } else if (c == 0x2C) {
      break;
    } else {
      return IM_ERR_READ;  // trailer or garbage before any image
    }
  }
  unsigned char d[9];
  if (!in.Read(d, 9)) return IM_ERR_READ;
  int width = Le16(d + 4), height = Le16(d + 6);
  f->rec.width = width, f->rec.height = height;
  if (width == 0 || height == 0) return IM_ERR_FORMAT;
  if (d[8] & 0x80) {
    count = 2 << (d[8] & 7);
    if (!in.Read(table, static_cast<size_t>(count) * 3)) return IM_ERR_READ;
  }
  f->interlaced = (d[8] & 0x40) != 0;
  if (count == 0) {
    count = 256;
    for (int i = 0; i < 256; ++i) table[3 * i] = table[3 * i + 1] = table[3 * i + 2] = static_cast<unsigned char>(i);
  }
  f->rec.pal_count = count;
  for (int i = 0; i < count; ++i) f->palette[i] = Rgb(table[3 * i], table[3 * i + 1], table[3 * i + 2]);
  int min_size = in.Get();
  if (min_size < 1 || min_size > 11) return IM_ERR_READ;
  f->min_size = min_size;
  f->clear = 1 << min_size;
  for (int i = 0; i < f->clear; ++i) {
    f->suffix[i] = f->first[i] = static_cast<unsigned char>(i);
    f->length[i] = 1;
  }
  f->code_size = min_size + 1;
  f->next_code = f->clear + 2;
  f->rec.cur_row = height - 1;
  return IM_ERR_NONE;
}

imFile* ReadOpen(const char* file_name, int* error) {
  auto f = OpenRead<GifFile>(file_name, IM_LITTLEENDIAN, error);
  if (!f) return nullptr;
  *error = ReadHeader(f.get());
  return *error == IM_ERR_NONE ? Release(std::move(f)) : nullptr;
}

int ReadPalette(imFile* rec, uint32_t* palette) {
  std::memcpy(palette, Of<GifFile>(rec)->palette, sizeof(uint32_t) * static_cast<size_t>(rec->pal_count));
  return IM_ERR_NONE;
}

// Gathers the next sub-blocks (without their length bytes) into a chunk;
// false when the data has ended.
bool FillChunk(GifFile* f) {
  Reader& in = *f->in;
  f->chunk_pos = f->chunk_len = 0;
  while (!f->data_ended && f->chunk_len + 255 <= sizeof f->chunk) {
    int n = in.Get();
    if (n <= 0 || !in.Read(f->chunk + f->chunk_len, static_cast<size_t>(n))) {
      f->data_ended = true;
      break;
    }
    f->chunk_len += static_cast<size_t>(n);
  }
  return f->chunk_len > 0;
}

// Next code from the sub-blocks, or -1 when the data ends.
inline int NextCode(GifFile* f) {
  while (f->bit_count < f->code_size) {
    if (f->chunk_pos == f->chunk_len && !FillChunk(f)) return -1;
    f->bit_buf |= static_cast<uint32_t>(f->chunk[f->chunk_pos++]) << f->bit_count;
    f->bit_count += 8;
  }
  int code = static_cast<int>(f->bit_buf & ((1u << f->code_size) - 1));
  f->bit_buf >>= f->code_size;
  f->bit_count -= f->code_size;
  return code;
}

// Writes the string of code backwards into out (length len).
inline void Expand(const GifFile* f, int code, unsigned char* out, int len) {
  for (int i = len - 1; i >= 0; --i) {
    out[i] = f->suffix[code];
    code = f->prefix[code];
  }
}

int ReadLineMap(imFile* rec, unsigned char* line) {
  GifFile* f = Of<GifFile>(rec);
  const int width = rec->width;
  int x = 0;
  if (f->pending_len > 0) {
    int n = f->pending_len < width ? f->pending_len : width;
    std::memcpy(line, f->pending + f->pending_start, static_cast<size_t>(n));
    f->pending_start += n, f->pending_len -= n, x = n;
  }
  while (x < width) {
    int code = NextCode(f);
    if (code < 0 || code == f->clear + 1) return IM_ERR_READ;  // data ends before the image does
    if (code == f->clear) {
      f->code_size = f->min_size + 1;
      f->next_code = f->clear + 2;
      f->prev = -1;
      continue;
    }
    int len;
    if (f->prev < 0) {
      if (code >= f->clear) return IM_ERR_READ;
      len = 1;
    } else {
      if (code > f->next_code) return IM_ERR_READ;
      if (f->next_code < kMaxCodes) {
        int n = f->next_code++;
        f->prefix[n] = static_cast<uint16_t>(f->prev);
        f->first[n] = f->first[f->prev];
        f->suffix[n] = f->first[code == n ? f->prev : code];
        f->length[n] = static_cast<uint16_t>(f->length[f->prev] + 1);
        if (f->next_code == (1 << f->code_size) && f->code_size < 12) f->code_size++;
      } else if (code == f->next_code) {
        return IM_ERR_READ;
      }
      len = f->length[code];
    }
    f->prev = code;
    if (len <= width - x) {
      Expand(f, code, line + x, len);
      x += len;
    } else {
      Expand(f, code, f->pending, len);
      int n = width - x;
      std::memcpy(line + x, f->pending, static_cast<size_t>(n));
      f->pending_start = n, f->pending_len = len - n, x = width;
    }
  }
  // next row of the file, in interlace order when interlaced
  static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
  const int height = rec->height;
  if (!f->interlaced) {
    f->file_row++;
  } else {
    f->file_row += kStep[f->pass];
    while (f->file_row >= height && f->pass < 3) f->file_row = kStart[++f->pass];
  }
  rec->cur_row = f->file_row < height ? height - 1 - f->file_row : 0;
  return IM_ERR_NONE;
}

// ---- writing ----

constexpr int kHashSize = 8191;  // prime above the table size

imFile* WriteOpen(const char* file_name, int width, int height, int type, int compression,
                  int pal_count, int* error) {
  if (type != IM_MAP || width <= 0 || height <= 0 || width > 65535 || height > 65535 ||
      !PalCountOk(pal_count)) {
    *error = IM_ERR_TYPE;
    return nullptr;
  }
  if (compression == 0) {
    *error = IM_ERR_COMP;
    return nullptr;
  }
  auto f = OpenWrite<GifFile>(file_name, IM_LITTLEENDIAN, error);
  if (!f) return nullptr;
  if (!Allocate(f->hash_code, kHashSize) || !Allocate(f->hash_key, kHashSize)) {
    *error = IM_ERR_WRITE;
    return nullptr;
  }
  f->rec.width = width, f->rec.height = height, f->rec.type = IM_MAP;
  f->rec.pal_count = pal_count, f->rec.compression = 256;
  f->rec.cur_row = height - 1;
  int bits = 1;
  while ((1 << bits) < pal_count) bits++;
  f->pal_bits = bits;
  return Release(std::move(f));
}

void ResetTable(GifFile* f) {
  std::fill(f->hash_key.begin(), f->hash_key.end(), -1);
  f->code_size = f->min_size + 1;
  f->next_code = f->clear + 2;
}

void PutCode(GifFile* f, int code) {
  f->bit_buf |= static_cast<uint32_t>(code) << f->bit_count;
  f->bit_count += f->code_size;
  while (f->bit_count >= 8) {
    f->pending[f->block_left++] = static_cast<unsigned char>(f->bit_buf);
    f->bit_buf >>= 8;
    f->bit_count -= 8;
    if (f->block_left == 255) {
      f->out->Put(255);
      f->out->Write(f->pending, 255);
      f->block_left = 0;
    }
  }
}

int WritePalette(imFile* rec, const uint32_t* palette) {
  GifFile* f = Of<GifFile>(rec);
  const int bits = f->pal_bits, count = 1 << bits;
  unsigned char h[13] = {'G', 'I', 'F', '8', '7', 'a'};
  PutLe16(h + 6, static_cast<unsigned>(rec->width));
  PutLe16(h + 8, static_cast<unsigned>(rec->height));
  h[10] = static_cast<unsigned char>(0x80 | ((bits - 1) << 4) | (bits - 1));
  f->out->Write(h, sizeof h);
  for (int i = 0; i < count; ++i) {
    uint32_t c = i < rec->pal_count ? palette[i] : 0;
    unsigned char e[3] = {Red(c), Green(c), Blue(c)};
    f->out->Write(e, 3);
  }
  unsigned char d[11] = {0x2C};
  PutLe16(d + 5, static_cast<unsigned>(rec->width));
  PutLe16(d + 7, static_cast<unsigned>(rec->height));
  f->min_size = bits < 2 ? 2 : bits;
  d[10] = static_cast<unsigned char>(f->min_size);
  f->out->Write(d, sizeof d);
  f->clear = 1 << f->min_size;
  ResetTable(f);
  PutCode(f, f->clear);
  return f->out->Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

int WriteLineMap(imFile* rec, const unsigned char* line) {
  GifFile* f = Of<GifFile>(rec);
  int x = 0;
  if (f->current < 0) f->current = line[x++];
  for (; x < rec->width; ++x) {
    int c = line[x];
    if (c >= f->clear) c &= f->clear - 1;  // indices beyond the table cannot be coded
    int32_t key = (f->current << 8) | c;
    int h = static_cast<int>((static_cast<uint32_t>(key) * 2654435761u) % kHashSize);
    while (f->hash_key[static_cast<size_t>(h)] >= 0 && f->hash_key[static_cast<size_t>(h)] != key)
      h = h + 1 == kHashSize ? 0 : h + 1;
    if (f->hash_key[static_cast<size_t>(h)] == key) {
      f->current = f->hash_code[static_cast<size_t>(h)];
      continue;
    }
    PutCode(f, f->current);
    if (f->next_code < kMaxCodes) {
      f->hash_key[static_cast<size_t>(h)] = key;
      f->hash_code[static_cast<size_t>(h)] = static_cast<int16_t>(f->next_code++);
      if (f->next_code > (1 << f->code_size) && f->code_size < 12) f->code_size++;
    } else {
      PutCode(f, f->clear);
      ResetTable(f);
    }
    f->current = c;
  }
  rec->cur_row--;
  return f->out->Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

bool GifFile::Finish() {
  if (clear == 0) return false;  // the palette never came: no valid file
  if (current >= 0) PutCode(this, current);
  // the decoder adds one more entry on reading the last code, and may grow its size
  if (next_code < kMaxCodes && ++next_code > (1 << code_size) && code_size < 12) code_size++;
  PutCode(this, clear + 1);
  if (bit_count > 0) {
    pending[block_left++] = static_cast<unsigned char>(bit_buf);
    bit_buf = 0, bit_count = 0;
  }
  if (block_left > 0) {
    out->Put(static_cast<unsigned char>(block_left));
    out->Write(pending, static_cast<size_t>(block_left));
  }
  out->Put(0);
  out->Put(0x3B);
  return true;
}

int RegisterCallback(imCallback, int) { return 0; }

}  // namespace

imFormat imFormatGIF = {0,       RegisterCallback, ReadOpen,     WriteOpen,    Close, ReadPalette,
                        WritePalette, ReadLineMap, WriteLineMap, nullptr,      nullptr};
