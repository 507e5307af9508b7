// TIFF driver through libtiff, whose client procedures read and write over
// the file layer. libtiff's messages are silenced; every failure comes back
// as an error code. Lines go to and from libtiff a whole strip at a time,
// which spares its per-scanline bookkeeping; a file whose strips are too big
// to hold is read scanline by scanline instead.
#include <tiffio.h>

#include <cstdlib>
#include <cstring>

#include "imfile.h"
#include "imformat.h"
#include "imlibfile.h"

namespace imtif {
namespace {

// Strips above this many bytes are read scanline by scanline, so that a
// small file claiming one huge strip costs no memory.
constexpr long long kMaxStripBuffer = 1 << 24;

struct State {
  TIFF* tiff;
  imBinFile* bin;
  int writing;
  int bits;  // 1, 4 or 8 when reading
  int samples;
  int line;               // next file line, top first
  unsigned char* buffer;  // one scanline, or the current strip when strips are used
  tmsize_t scanline;      // bytes of one scanline
  uint32_t strip_rows;    // rows per strip; 0 when reading scanline by scanline
  uint32_t palette[256];
  int pal_count;
  int close_error;
};

tmsize_t ReadProc(thandle_t h, void* data, tmsize_t size) {
  return static_cast<tmsize_t>(imBinFileRead(static_cast<State*>(h)->bin, data, size, 1));
}
tmsize_t WriteProc(thandle_t h, void* data, tmsize_t size) {
  return static_cast<tmsize_t>(imBinFileWrite(static_cast<State*>(h)->bin, data, size, 1));
}
toff_t SeekProc(thandle_t h, toff_t offset, int whence) {
  imBinFile* bin = static_cast<State*>(h)->bin;
  if (whence == SEEK_SET)
    imBinFileSeekTo(bin, static_cast<int64_t>(offset));
  else if (whence == SEEK_CUR)
    imBinFileSeekOffset(bin, static_cast<int64_t>(offset));
  else
    imBinFileSeekFrom(bin, static_cast<int64_t>(offset));
  if (imBinFileError(bin)) return static_cast<toff_t>(-1);
  return static_cast<toff_t>(imBinFileTell(bin));
}
int CloseProc(thandle_t h) {
  State* s = static_cast<State*>(h);
  if (imlibfile::DropBin(s)) s->close_error = 1;
  return 0;
}
toff_t SizeProc(thandle_t h) {
  return static_cast<toff_t>(imBinFileSize(static_cast<State*>(h)->bin));
}
int MapProc(thandle_t, void**, toff_t*) {
  return 0;
}
void UnmapProc(thandle_t, void*, toff_t) {}

void Silence() {
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
}

void Release(State* s) {
  if (s->tiff != nullptr)
    TIFFClose(s->tiff);  // lets the file go through CloseProc
  else
    imlibfile::DropBin(s);
  std::free(s->buffer);
  std::free(s);
}

// "II" with 42 (or 43, BigTIFF) little-endian, or "MM" with it big-endian.
bool IsTiff(const unsigned char* m) {
  return (m[0] == 'I' && m[1] == 'I' && (m[2] == 42 || m[2] == 43) && m[3] == 0) ||
         (m[0] == 'M' && m[1] == 'M' && m[2] == 0 && (m[3] == 42 || m[3] == 43));
}

int ReadPhotometric(State* s, imFile* file, uint16_t photometric) {
  const int levels = 1 << s->bits;
  if (s->samples == 3) {
    if (s->bits != 8 || photometric != PHOTOMETRIC_RGB) return IM_ERR_TYPE;
    file->type = IM_RGB;
    return IM_ERR_NONE;
  }
  if (s->samples != 1) return IM_ERR_TYPE;
  file->type = IM_MAP;
  s->pal_count = levels;
  if (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) {
    for (int i = 0; i < levels; ++i) {
      int v = i * 255 / (levels - 1);
      if (photometric == PHOTOMETRIC_MINISWHITE) v = 255 - v;
      s->palette[i] = imEncodeColor(v, v, v);
    }
    return IM_ERR_NONE;
  }
  if (photometric != PHOTOMETRIC_PALETTE || s->bits == 1) return IM_ERR_TYPE;
  uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
  if (!TIFFGetField(s->tiff, TIFFTAG_COLORMAP, &r, &g, &b)) return IM_ERR_READ;
  // old writers stored 8-bit values in the 16-bit colour map
  bool eight_bit = true;
  for (int i = 0; i < levels; ++i)
    if (r[i] > 255 || g[i] > 255 || b[i] > 255) eight_bit = false;
  const int shift = eight_bit ? 0 : 8;
  for (int i = 0; i < levels; ++i)
    s->palette[i] = imEncodeColor(r[i] >> shift, g[i] >> shift, b[i] >> shift);
  return IM_ERR_NONE;
}

int ReadHeader(State* s, imFile* file, const char* file_name) {
  uint32_t width = 0, height = 0;
  uint16_t bits = 1, samples = 1, format = SAMPLEFORMAT_UINT, config = PLANARCONFIG_CONTIG;
  uint16_t photometric = 0, compression = COMPRESSION_NONE;
  TIFF* t = s->tiff;
  if (!TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &width) ||
      !TIFFGetField(t, TIFFTAG_IMAGELENGTH, &height) ||
      !TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric))
    return IM_ERR_READ;
  TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLEFORMAT, &format);
  TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &config);
  TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &compression);
  if (width > 0x7fffffff || height > 0x7fffffff ||
      !imValidSize(static_cast<int>(width), static_cast<int>(height)))
    return IM_ERR_TYPE;
  file->width = static_cast<int>(width);
  file->height = static_cast<int>(height);
  file->cur_row = file->height - 1;  // TIFF rows run top-down
  file->compression = compression == COMPRESSION_NONE  ? 0
                      : compression == COMPRESSION_LZW ? 256
                                                       : 512;
  s->bits = bits;
  s->samples = samples;
  if (format != SAMPLEFORMAT_UINT || TIFFIsTiled(t) ||
      (samples > 1 && config != PLANARCONFIG_CONTIG) || (bits != 1 && bits != 4 && bits != 8))
    return IM_ERR_TYPE;
  int error = ReadPhotometric(s, file, photometric);
  if (error != IM_ERR_NONE) return error;
  file->pal_count = file->type == IM_MAP ? s->pal_count : 0;
  if (!TIFFIsCODECConfigured(compression)) return IM_ERR_COMP;
  tmsize_t line = TIFFScanlineSize(t);
  if (line <= 0 ||
      static_cast<long long>(line) * 8 < static_cast<long long>(width) * bits * samples)
    return IM_ERR_READ;
  s->scanline = line;
  uint32_t rows = 0;
  TIFFGetFieldDefaulted(t, TIFFTAG_ROWSPERSTRIP, &rows);
  if (rows == 0 || rows > height) rows = height;
  const long long strip_bytes = static_cast<long long>(rows) * line;
  s->strip_rows = strip_bytes <= kMaxStripBuffer ? rows : 0;
  s->buffer = static_cast<unsigned char*>(
      std::malloc(static_cast<size_t>(s->strip_rows ? strip_bytes : line)));
  if (s->buffer == nullptr) return IM_ERR_READ;
  imResolutionCallback callback = imGetResolutionCallback();
  float xres = 0, yres = 0;
  uint16_t unit = RESUNIT_NONE;
  if (callback != nullptr && TIFFGetField(t, TIFFTAG_XRESOLUTION, &xres) &&
      TIFFGetField(t, TIFFTAG_YRESOLUTION, &yres)) {
    TIFFGetFieldDefaulted(t, TIFFTAG_RESOLUTIONUNIT, &unit);
    double x = xres, y = yres;
    int im_unit = unit == RESUNIT_INCH ? 1 : unit == RESUNIT_CENTIMETER ? 2 : 0;
    callback(file_name, &x, &y, &im_unit);
  }
  return IM_ERR_NONE;
}

int Sniff(const unsigned char* prefix, size_t size) {
  return imlibfile::Signed(prefix, size, 4, IsTiff);
}

imFile* ReadOpen(imBinFile* source, const char* file_name, int* error) {
  Silence();
  if (!imlibfile::StartSigned(source, IM_LITTLEENDIAN, 4, IsTiff, error)) return nullptr;
  imFile* file = nullptr;
  State* s = imlibfile::NewState<State>(source, 0, &file, error);
  if (s == nullptr) return nullptr;
  s->tiff = TIFFClientOpen(file_name != nullptr ? file_name : "", "rm", s, ReadProc, WriteProc,
                           SeekProc, CloseProc, SizeProc, MapProc, UnmapProc);
  *error = s->tiff == nullptr ? IM_ERR_READ : ReadHeader(s, file, file_name);
  if (*error != IM_ERR_NONE) {
    Release(s);
    std::free(file);
    return nullptr;
  }
  return file;
}

// Rows of the strip that holds file line, up to the end of the image.
uint32_t RowsOfStrip(const State* s, const imFile* file, int line) {
  const uint32_t first = static_cast<uint32_t>(line) / s->strip_rows * s->strip_rows;
  const uint32_t left = static_cast<uint32_t>(file->height) - first;
  return left < s->strip_rows ? left : s->strip_rows;
}

// The next file line's bytes, decoded with its whole strip when strips are used.
const unsigned char* ReadScanline(State* s, imFile* file) {
  if (s->line >= file->height) return nullptr;
  const unsigned char* in = s->buffer;
  if (s->strip_rows == 0) {
    if (TIFFReadScanline(s->tiff, s->buffer, static_cast<uint32_t>(s->line), 0) < 0) return nullptr;
  } else {
    const uint32_t row_in_strip = static_cast<uint32_t>(s->line) % s->strip_rows;
    if (row_in_strip == 0) {
      const tmsize_t want = static_cast<tmsize_t>(RowsOfStrip(s, file, s->line)) * s->scanline;
      const uint32_t strip = static_cast<uint32_t>(s->line) / s->strip_rows;
      if (TIFFReadEncodedStrip(s->tiff, strip, s->buffer, want) != want) return nullptr;
    }
    in += static_cast<tmsize_t>(row_in_strip) * s->scanline;
  }
  ++s->line;
  --file->cur_row;
  return in;
}

int ReadLineMap(imFile* file, unsigned char* line) {
  State* s = static_cast<State*>(file->data);
  if (file->type != IM_MAP) return IM_ERR_TYPE;
  const unsigned char* in = ReadScanline(s, file);
  if (in == nullptr) return IM_ERR_READ;
  if (s->bits == 8) {
    std::memcpy(line, in, static_cast<size_t>(file->width));
    return IM_ERR_NONE;
  }
  for (int x = 0; x < file->width; ++x) {
    if (s->bits == 4)
      line[x] = (in[x / 2] >> (x % 2 ? 0 : 4)) & 15;
    else
      line[x] = (in[x / 8] >> (7 - x % 8)) & 1;
  }
  return IM_ERR_NONE;
}

int ReadLineRGB(imFile* file, unsigned char* red, unsigned char* green, unsigned char* blue) {
  State* s = static_cast<State*>(file->data);
  if (file->type != IM_RGB) return IM_ERR_TYPE;
  const unsigned char* in = ReadScanline(s, file);
  if (in == nullptr) return IM_ERR_READ;
  imrows::Deinterleave(in, file->width, red, green, blue);
  return IM_ERR_NONE;
}

int ReadPalette(imFile* file, uint32_t* palette) {
  State* s = static_cast<State*>(file->data);
  std::memcpy(palette, s->palette, sizeof(uint32_t) * s->pal_count);
  return IM_ERR_NONE;
}

// ---- writing ----

imFile* WriteOpen(const char* file_name, int width, int height, int type, int compression,
                  int pal_count, int* error) {
  Silence();
  imFile* file = nullptr;
  State* s = imlibfile::NewWriteState<State>(file_name, IM_LITTLEENDIAN, width, height, type,
                                             pal_count, &file, error);
  if (s == nullptr) return nullptr;
  const int samples = type == IM_MAP ? 1 : 3;
  s->samples = samples;
  s->pal_count = pal_count;
  file->compression = compression == 0 ? 0 : 256;
  s->tiff = TIFFClientOpen(file_name, "wm", s, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                           MapProc, UnmapProc);
  TIFF* t = s->tiff;
  bool ok =
      t != nullptr && TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width)) &&
      TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height)) &&
      TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8) &&
      TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples) &&
      TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
      TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                   type == IM_MAP ? PHOTOMETRIC_PALETTE : PHOTOMETRIC_RGB) &&
      TIFFSetField(t, TIFFTAG_COMPRESSION, compression == 0 ? COMPRESSION_NONE : COMPRESSION_LZW) &&
      TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
  if (ok) {
    uint32_t rows = 0;
    TIFFGetField(t, TIFFTAG_ROWSPERSTRIP, &rows);
    s->strip_rows = rows == 0 || rows > static_cast<uint32_t>(height) ? height : rows;
    s->scanline = static_cast<tmsize_t>(width) * samples;
    s->buffer =
        static_cast<unsigned char*>(std::malloc(static_cast<size_t>(s->scanline) * s->strip_rows));
    ok = s->buffer != nullptr;
  }
  imResolutionCallback callback = imGetResolutionCallback();
  double xres = 0, yres = 0;
  int unit = 0;
  if (ok && callback != nullptr && callback(file_name, &xres, &yres, &unit) == 0 && unit != 0)
    ok = TIFFSetField(t, TIFFTAG_XRESOLUTION, static_cast<float>(xres)) &&
         TIFFSetField(t, TIFFTAG_YRESOLUTION, static_cast<float>(yres)) &&
         TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, unit == 1 ? RESUNIT_INCH : RESUNIT_CENTIMETER);
  if (!ok) {
    Release(s);
    std::free(file);
    *error = IM_ERR_WRITE;
    return nullptr;
  }
  return file;
}

int WritePalette(imFile* file, const uint32_t* palette) {
  State* s = static_cast<State*>(file->data);
  uint16_t r[256] = {}, g[256] = {}, b[256] = {};
  for (int i = 0; i < s->pal_count; ++i) {
    unsigned char cr, cg, cb;
    imDecodeColor(palette[i], &cr, &cg, &cb);
    r[i] = static_cast<uint16_t>(cr * 257);
    g[i] = static_cast<uint16_t>(cg * 257);
    b[i] = static_cast<uint16_t>(cb * 257);
  }
  return TIFFSetField(s->tiff, TIFFTAG_COLORMAP, r, g, b) ? IM_ERR_NONE : IM_ERR_WRITE;
}

// Where the next file line goes in the strip being gathered, or null when
// the image is complete.
unsigned char* NextScanline(State* s, const imFile* file) {
  if (s->line >= file->height) return nullptr;
  return s->buffer +
         static_cast<tmsize_t>(static_cast<uint32_t>(s->line) % s->strip_rows) * s->scanline;
}

// Counts the line just gathered and hands a completed strip to libtiff.
int WriteScanline(State* s, imFile* file) {
  const int line = s->line++;
  --file->cur_row;
  if (s->line % s->strip_rows != 0 && s->line != file->height) return IM_ERR_NONE;
  const tmsize_t size = static_cast<tmsize_t>(RowsOfStrip(s, file, line)) * s->scanline;
  const uint32_t strip = static_cast<uint32_t>(line) / s->strip_rows;
  return TIFFWriteEncodedStrip(s->tiff, strip, s->buffer, size) == size ? IM_ERR_NONE
                                                                        : IM_ERR_WRITE;
}

int WriteLineMap(imFile* file, const unsigned char* line) {
  State* s = static_cast<State*>(file->data);
  if (file->type != IM_MAP) return IM_ERR_TYPE;
  unsigned char* out = NextScanline(s, file);
  if (out == nullptr) return IM_ERR_WRITE;
  std::memcpy(out, line, static_cast<size_t>(file->width));
  return WriteScanline(s, file);
}

int WriteLineRGB(imFile* file, const unsigned char* red, const unsigned char* green,
                 const unsigned char* blue) {
  State* s = static_cast<State*>(file->data);
  if (file->type != IM_RGB) return IM_ERR_TYPE;
  unsigned char* out = NextScanline(s, file);
  if (out == nullptr) return IM_ERR_WRITE;
  imrows::Interleave(red, green, blue, file->width, out);
  return WriteScanline(s, file);
}

int Close(imFile* file) {
  State* s = static_cast<State*>(file->data);
  int result = IM_ERR_NONE;
  if (s->writing && (s->line != file->height || !TIFFFlush(s->tiff))) result = IM_ERR_WRITE;
  TIFFClose(s->tiff);
  s->tiff = nullptr;
  if (s->writing && s->close_error) result = IM_ERR_WRITE;
  std::free(s->buffer);
  std::free(s);
  std::free(file);
  return result;
}

}  // namespace
}  // namespace imtif

imFormat imFormatTIF = {0,
                        imlibfile::NoCallback,
                        imtif::ReadOpen,
                        imtif::WriteOpen,
                        imtif::Close,
                        imtif::ReadPalette,
                        imtif::WritePalette,
                        imtif::ReadLineMap,
                        imtif::WriteLineMap,
                        imtif::ReadLineRGB,
                        imtif::WriteLineRGB,
                        imtif::Sniff};
