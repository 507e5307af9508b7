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
  // every code's whole string, kept one after the other in strings (the
  // single symbols first), so that a code is put out by one copy; at most
  // 1 + 2 + ... + 4096 bytes until the next clear code
  std::vector<unsigned char> strings;
  size_t strings_end = 0;
  uint32_t start[kMaxCodes] = {};
  uint16_t length[kMaxCodes] = {};
  unsigned char pending[kMaxCodes] = {};  // writing: the sub-block being filled
  unsigned char chunk[1 << 15] = {};      // code bytes gathered from sub-blocks
  size_t chunk_pos = 0, chunk_len = 0;
  size_t pending_start = 0;  // reading: the part of a string the last line had no room for
  int pending_len = 0;
  // writing: the string table, either direct (the code of prefix p and
  // symbol s at p << min_size | s) for alphabets of up to 64 symbols, or an
  // open-addressing hash of (s << 12 | p) << 12 | code; in both 0 means
  // none, as every code stored is above the end code
  std::vector<uint16_t> child;
  std::vector<uint32_t> table;
  int current = -1;
  uint64_t out_bits = 0;  // coded bits not yet in pending, bit_count of them
  bool Finish() override;
};

int Sniff(const unsigned char* p, size_t size) {
  return size >= 3 && p[0] == 'G' && p[1] == 'I' && p[2] == 'F';
}

int ReadHeader(GifFile* f) {
  Reader& in = *f->in;
  unsigned char h[13];
  if (!in.Read(h, 3) || !Sniff(h, 3)) return IM_ERR_FORMAT;
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
    for (int i = 0; i < 256; ++i)
      table[3 * i] = table[3 * i + 1] = table[3 * i + 2] = static_cast<unsigned char>(i);
  }
  f->rec.pal_count = count;
  for (int i = 0; i < count; ++i)
    f->palette[i] = Rgb(table[3 * i], table[3 * i + 1], table[3 * i + 2]);
  int min_size = in.Get();
  if (min_size < 1 || min_size > 11) return IM_ERR_READ;
  f->min_size = min_size;
  f->clear = 1 << min_size;
  if (!Allocate(f->strings, size_t{1} << 16)) return IM_ERR_READ;
  for (int i = 0; i < f->clear; ++i) {
    f->strings[static_cast<size_t>(i)] = static_cast<unsigned char>(i);
    f->start[i] = static_cast<uint32_t>(i);
    f->length[i] = 1;
  }
  f->strings_end = static_cast<size_t>(f->clear);
  f->code_size = min_size + 1;
  f->next_code = f->clear + 2;
  f->rec.cur_row = height - 1;
  return IM_ERR_NONE;
}

imFile* ReadOpen(imBinFile* source, const char* file_name, int* error) {
  return ReadOpenWith<GifFile>(source, file_name, IM_LITTLEENDIAN, ReadHeader, error);
}

int ReadPalette(imFile* rec, uint32_t* palette) {
  std::memcpy(palette, Of<GifFile>(rec)->palette,
              sizeof(uint32_t) * static_cast<size_t>(rec->pal_count));
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

// Makes code n: the string of prev followed by symbol. False when memory runs out.
inline bool AddString(GifFile* f, int n, int prev, unsigned char symbol) {
  const size_t len = f->length[prev];
  if (f->strings_end + len + 1 > f->strings.size()) {
    try {
      f->strings.resize(2 * f->strings.size());
    } catch (...) {
      return false;
    }
  }
  unsigned char* to = f->strings.data() + f->strings_end;
  std::memcpy(to, f->strings.data() + f->start[prev], len);
  to[len] = symbol;
  f->start[n] = static_cast<uint32_t>(f->strings_end);
  f->length[n] = static_cast<uint16_t>(len + 1);
  f->strings_end += len + 1;
  return true;
}

int ReadLineMap(imFile* rec, unsigned char* line) {
  GifFile* f = Of<GifFile>(rec);
  const int width = rec->width;
  int x = 0;
  if (f->pending_len > 0) {
    int n = f->pending_len < width ? f->pending_len : width;
    std::memcpy(line, f->strings.data() + f->pending_start, static_cast<size_t>(n));
    f->pending_start += static_cast<size_t>(n), f->pending_len -= n, x = n;
  }
  while (x < width) {
    int code = NextCode(f);
    if (code < 0 || code == f->clear + 1) return IM_ERR_READ;  // data ends before the image does
    if (code == f->clear) {
      f->code_size = f->min_size + 1;
      f->next_code = f->clear + 2;
      f->prev = -1;
      f->strings_end = static_cast<size_t>(f->clear);
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
        // the string of code starts with the symbol that ends the new one
        // (for code n itself, the first symbol of prev)
        unsigned char symbol = f->strings[f->start[code == n ? f->prev : code]];
        if (!AddString(f, n, f->prev, symbol)) return IM_ERR_READ;
        if (f->next_code == (1 << f->code_size) && f->code_size < 12) f->code_size++;
      } else if (code == f->next_code) {
        return IM_ERR_READ;
      }
      len = f->length[code];
    }
    f->prev = code;
    const unsigned char* string = f->strings.data() + f->start[code];
    if (len <= width - x) {
      std::memcpy(line + x, string, static_cast<size_t>(len));
      x += len;
    } else {  // the rest begins the next line
      int n = width - x;
      std::memcpy(line + x, string, static_cast<size_t>(n));
      f->pending_start = f->start[code] + static_cast<size_t>(n), f->pending_len = len - n,
      x = width;
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

constexpr int kHashBits =
    13;  // two slots per code, 32 KiB: the table stays in the first-level cache
constexpr uint32_t kHashMask = (1u << kHashBits) - 1;
constexpr int kMaxDirectBits = 6;  // above, clearing a new code's row costs more than hashing

// The direct table: a new code's row is cleared when the code is made.
struct DirectTable {
  uint16_t* child;
  unsigned bits;
  uint32_t slot = 0;
  uint32_t Find(uint32_t symbol, uint32_t prefix) {
    slot = (prefix << bits) | symbol;
    return child[slot];
  }
  void Add(uint32_t code) {
    child[slot] = static_cast<uint16_t>(code);
    std::memset(child + (code << bits), 0, sizeof(uint16_t) << bits);
  }
};

// Fibonacci hashing (the top bits of the key times 2^32 / golden ratio),
// linear probing.
struct HashTable {
  uint32_t* table;
  uint32_t slot = 0, key = 0;
  uint32_t Find(uint32_t symbol, uint32_t prefix) {
    key = (symbol << 12) | prefix;
    uint32_t entry;
    for (slot = (key * 0x9E3779B1u) >> (32 - kHashBits); (entry = table[slot]) != 0;
         slot = (slot + 1) & kHashMask)
      if ((entry >> 12) == key) return entry & 0xFFF;
    return 0;
  }
  void Add(uint32_t code) { table[slot] = (key << 12) | code; }
};

imFile* WriteOpen(const char* file_name, int width, int height, int type, int compression,
                  int pal_count, int* error) {
  if (type != IM_MAP || !WriteRequestOk(width, height, type, pal_count, 65535)) {
    *error = IM_ERR_TYPE;
    return nullptr;
  }
  if (compression == 0) {
    *error = IM_ERR_COMP;
    return nullptr;
  }
  auto f = OpenWrite<GifFile>(file_name, IM_LITTLEENDIAN, error);
  if (!f) return nullptr;
  int bits = 1;
  while ((1 << bits) < pal_count) bits++;
  const int min_size = bits < 2 ? 2 : bits;
  if (min_size <= kMaxDirectBits ? !Allocate(f->child, size_t{kMaxCodes} << min_size)
                                 : !Allocate(f->table, size_t{1} << kHashBits)) {
    *error = IM_ERR_WRITE;
    return nullptr;
  }
  f->rec.width = width, f->rec.height = height, f->rec.type = IM_MAP;
  f->rec.pal_count = pal_count, f->rec.compression = 256;
  f->rec.cur_row = height - 1;
  f->pal_bits = bits;
  return Release(std::move(f));
}

void ResetTable(GifFile* f) {
  if (f->child.empty())
    std::fill(f->table.begin(), f->table.end(), 0u);
  else  // the rows of the single symbols; the others are cleared as they are made
    std::memset(f->child.data(), 0,
                sizeof(uint16_t) * static_cast<size_t>(f->clear) << f->min_size);
  f->code_size = f->min_size + 1;
  f->next_code = f->clear + 2;
}

// Writes the sub-blocks of 255 bytes that pending holds.
void PutFullBlocks(GifFile* f) {
  int start = 0;
  for (; f->block_left - start >= 255; start += 255) {
    f->out->Put(255);
    f->out->Write(f->pending + start, 255);
  }
  f->block_left -= start;
  std::memmove(f->pending, f->pending + start, static_cast<size_t>(f->block_left));
}

// Codes gather in a 64-bit word and go to pending four bytes at a time.
inline void PutCode(GifFile* f, int code) {
  f->out_bits |= static_cast<uint64_t>(code) << f->bit_count;
  f->bit_count += f->code_size;
  if (f->bit_count < 32) return;
  PutLe32(f->pending + f->block_left, static_cast<uint32_t>(f->out_bits));
  f->out_bits >>= 32;
  f->bit_count -= 32;
  f->block_left += 4;
  if (f->block_left >= 255) PutFullBlocks(f);
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

// Codes one line: the longest known string is extended pixel by pixel.
template <class Table>
void EncodeLine(GifFile* f, const unsigned char* line, int width, Table table) {
  const unsigned symbol_mask =
      static_cast<unsigned>(f->clear - 1);  // indices beyond the table cannot be coded
  int x = 0;
  if (f->current < 0) f->current = line[x++] & symbol_mask;
  uint32_t current = static_cast<uint32_t>(f->current);
  for (; x < width; ++x) {
    const uint32_t c = line[x] & symbol_mask;
    if (uint32_t code = table.Find(c, current)) {
      current = code;
      continue;
    }
    PutCode(f, static_cast<int>(current));
    if (f->next_code < kMaxCodes) {
      table.Add(static_cast<uint32_t>(f->next_code++));
      if (f->next_code > (1 << f->code_size) && f->code_size < 12) f->code_size++;
    } else {
      PutCode(f, f->clear);
      ResetTable(f);
    }
    current = c;
  }
  f->current = static_cast<int>(current);
}

int WriteLineMap(imFile* rec, const unsigned char* line) {
  GifFile* f = Of<GifFile>(rec);
  if (f->child.empty())
    EncodeLine(f, line, rec->width, HashTable{f->table.data()});
  else
    EncodeLine(f, line, rec->width,
               DirectTable{f->child.data(), static_cast<unsigned>(f->min_size)});
  rec->cur_row--;
  return f->out->Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

bool GifFile::Finish() {
  if (clear == 0) return false;  // the palette never came: no valid file
  if (current >= 0) PutCode(this, current);
  // the decoder adds one more entry on reading the last code, and may grow its size
  if (next_code < kMaxCodes && ++next_code > (1 << code_size) && code_size < 12) code_size++;
  PutCode(this, clear + 1);
  for (; bit_count > 0; bit_count -= 8, out_bits >>= 8)
    pending[block_left++] = static_cast<unsigned char>(out_bits);
  bit_count = 0;
  PutFullBlocks(this);
  if (block_left > 0) {
    out->Put(static_cast<unsigned char>(block_left));
    out->Write(pending, static_cast<size_t>(block_left));
  }
  out->Put(0);
  out->Put(0x3B);
  return true;
}

int RegisterCallback(imCallback, int) {
  return 0;
}

}  // namespace

imFormat imFormatGIF = {
    0,           RegisterCallback, ReadOpen, WriteOpen, Close, ReadPalette, WritePalette,
    ReadLineMap, WriteLineMap,     nullptr,  nullptr,   Sniff};
