// LED image text files: a palette list, the size, and one decimal index per
// pixel, rows from the top of the picture down. Maps only.
//   LEDImage = IMAGE[
//   0 = "r g b",
//   1 = "r g b"]
//   (width,height
//   ,i,i,i
//   ...)
#include <cstdio>

#include "imcodec.h"

namespace {

using namespace imcodec;

struct LedFile : CodecFile {
  int64_t paren = 0;  // offset of the first "("
  uint32_t palette[256] = {};
};

// The next run of decimal digits as a number: 1, 0 at the end of the file,
// -1 for a run of more than 10 digits or a value beyond int.
int NextNumber(Reader& in, int64_t* value) {
  int c;
  do c = in.Get();
  while (c >= 0 && (c < '0' || c > '9'));
  if (c < 0) return 0;
  int64_t v = 0;
  int digits = 0;
  for (; c >= '0' && c <= '9'; c = in.Get()) {
    if (++digits > 10) return -1;
    v = v * 10 + (c - '0');
  }
  if (v > INT32_MAX) return -1;
  *value = v;
  return 1;
}

// Text with no magic number: only its first word tells it.
int Sniff(const unsigned char* p, size_t size) {
  return size >= 3 && p[0] == 'L' && p[1] == 'E' && p[2] == 'D';
}

int ReadHeader(LedFile* f) {
  Reader& in = *f->in;
  unsigned char sig[3];
  if (!in.Read(sig, 3) || !Sniff(sig, 3)) return IM_ERR_FORMAT;
  f->rec.type = IM_MAP;
  // palette count: the "=" signs before the first "(", less the one of the title
  int equals = 0, c;
  while ((c = in.Get()) >= 0 && c != '(')
    if (c == '=') equals++;
  if (c < 0) return IM_ERR_READ;
  f->paren = in.Tell() - 1;
  int count = equals - 1;
  if (count < 1 || count > 256) return IM_ERR_READ;
  f->rec.pal_count = count;
  // palette entries: groups of index, red, green, blue from the start
  if (!in.Seek(3)) return IM_ERR_READ;
  for (int i = 0; i < count; ++i) {
    int64_t v[4];
    for (int k = 0; k < 4; ++k)
      if (NextNumber(in, &v[k]) != 1) return IM_ERR_READ;
    if (in.Tell() > f->paren || v[1] > 255 || v[2] > 255 || v[3] > 255) return IM_ERR_READ;
    f->palette[i] =
        Rgb(static_cast<unsigned>(v[1]), static_cast<unsigned>(v[2]), static_cast<unsigned>(v[3]));
  }
  int64_t width = 0, height = 0;
  if (!in.Seek(f->paren + 1) || NextNumber(in, &width) != 1 || NextNumber(in, &height) != 1)
    return IM_ERR_READ;
  if (width <= 0 || height <= 0) return IM_ERR_FORMAT;
  f->rec.width = static_cast<int>(width), f->rec.height = static_cast<int>(height);
  if (!SizeOk(width, height)) return IM_ERR_TYPE;
  f->rec.cur_row = f->rec.height - 1;
  return IM_ERR_NONE;
}

imFile* ReadOpen(imBinFile* source, const char* file_name, int* error) {
  return ReadOpenWith<LedFile>(source, file_name, IM_LITTLEENDIAN, ReadHeader, error);
}

int ReadPalette(imFile* rec, uint32_t* palette) {
  std::memcpy(palette, Of<LedFile>(rec)->palette,
              sizeof(uint32_t) * static_cast<size_t>(rec->pal_count));
  return IM_ERR_NONE;
}

int ReadLineMap(imFile* rec, unsigned char* line) {
  LedFile* f = Of<LedFile>(rec);
  for (int x = 0; x < rec->width; ++x) {
    int64_t v;
    if (NextNumber(*f->in, &v) != 1 || v >= rec->pal_count) return IM_ERR_READ;
    line[x] = static_cast<unsigned char>(v);
  }
  f->StepRow(true);
  return IM_ERR_NONE;
}

// ---- writing ----

imFile* WriteOpen(const char* file_name, int width, int height, int type, int compression,
                  int pal_count, int* error) {
  if (type != IM_MAP || !WriteRequestOk(width, height, type, pal_count)) {
    *error = IM_ERR_TYPE;
    return nullptr;
  }
  if (compression == 512) {
    *error = IM_ERR_COMP;
    return nullptr;
  }
  auto f = OpenWrite<LedFile>(file_name, IM_LITTLEENDIAN, error);
  if (!f) return nullptr;
  f->rec.width = width, f->rec.height = height, f->rec.type = IM_MAP;
  f->rec.pal_count = pal_count;
  f->rec.cur_row = height - 1;
  return Release(std::move(f));
}

void Print(Writer& out, const char* text) {
  out.Write(text, std::strlen(text));
}

int WritePalette(imFile* rec, const uint32_t* palette) {
  LedFile* f = Of<LedFile>(rec);
  Writer& out = *f->out;
  char text[64];
  Print(out, "LEDImage = IMAGE[\n");
  for (int i = 0; i < rec->pal_count; ++i) {
    std::snprintf(text, sizeof text, "%s%d = \"%d %d %d\"", i > 0 ? ",\n" : "", i, Red(palette[i]),
                  Green(palette[i]), Blue(palette[i]));
    Print(out, text);
  }
  std::snprintf(text, sizeof text, "]\n(%d,%d\n", rec->width, rec->height);
  Print(out, text);
  return out.Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

int WriteLineMap(imFile* rec, const unsigned char* line) {
  LedFile* f = Of<LedFile>(rec);
  Writer& out = *f->out;
  for (int x = 0; x < rec->width; ++x) {
    char text[5] = {','};
    int v = line[x], n = 1;
    if (v >= 100) text[n++] = static_cast<char>('0' + v / 100);
    if (v >= 10) text[n++] = static_cast<char>('0' + v / 10 % 10);
    text[n++] = static_cast<char>('0' + v % 10);
    out.Write(text, static_cast<size_t>(n));
  }
  out.Put('\n');
  f->StepRow(true);
  if (rec->cur_row == rec->height - 1) out.Put(')');  // that was the last row
  return out.Failed() ? IM_ERR_WRITE : IM_ERR_NONE;
}

int RegisterCallback(imCallback, int) {
  return 0;
}

}  // namespace

imFormat imFormatLED = {
    0,           RegisterCallback, ReadOpen, WriteOpen, Close, ReadPalette, WritePalette,
    ReadLineMap, WriteLineMap,     nullptr,  nullptr,   Sniff};
