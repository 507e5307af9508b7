// PNG driver through libpng, reading and writing over the file layer.
// libpng reports errors with longjmp: every function that calls it sets its
// own jump point and owns no C++ object, so nothing is skipped on a jump.
#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "imfile.h"
#include "imformat.h"
#include "imlibfile.h"

namespace impng {
namespace {

using imlibfile::NewState;

struct State {
  imBinFile* bin;
  png_structp png;
  png_infop info;
  int writing;
  int rows_done;
  int interlaced;
  int channels;          // samples per pixel after the transformations
  unsigned char* row;    // one transformed row
  unsigned char* whole;  // interlaced images: every row, read at the first line
  png_color palette[256];
  int pal_count;
};

void ReadData(png_structp png, png_bytep data, size_t length) {
  imBinFile* bin = static_cast<imBinFile*>(png_get_io_ptr(png));
  if (imBinFileRead(bin, data, length, 1) != length) png_error(png, "read");
}
void WriteData(png_structp png, png_bytep data, size_t length) {
  imBinFile* bin = static_cast<imBinFile*>(png_get_io_ptr(png));
  if (imBinFileWrite(bin, data, length, 1) != length) png_error(png, "write");
}
void FlushData(png_structp) {}
// Errors jump back to the caller's jump point; warnings are dropped.
void Fail(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void Warn(png_structp, png_const_charp) {}

void Release(State* s) {
  if (s->png != nullptr) {
    if (s->writing)
      png_destroy_write_struct(&s->png, &s->info);
    else
      png_destroy_read_struct(&s->png, &s->info, nullptr);
  }
  imlibfile::DropBin(s);
  std::free(s->row);
  std::free(s->whole);
  std::free(s);
}

void ReportResolution(const char* file_name, State* s) {
  imResolutionCallback callback = imGetResolutionCallback();
  png_uint_32 x = 0, y = 0;
  int unit = 0;
  if (callback == nullptr || !png_get_pHYs(s->png, s->info, &x, &y, &unit)) return;
  if (unit != PNG_RESOLUTION_METER) return;
  double xres = x * 0.01, yres = y * 0.01;
  int im_unit = 2;
  callback(file_name, &xres, &yres, &im_unit);
}

// Reads the header and sets up the transformations; returns an error code.
int ReadHeader(State* s, imFile* file) {
  if (setjmp(png_jmpbuf(s->png))) return IM_ERR_READ;
  png_set_read_fn(s->png, s->bin, ReadData);
  png_set_user_limits(s->png, 0x7fffffff, 0x7fffffff);
  png_read_info(s->png, s->info);
  png_uint_32 width = png_get_image_width(s->png, s->info);
  png_uint_32 height = png_get_image_height(s->png, s->info);
  int depth = png_get_bit_depth(s->png, s->info);
  int color_type = png_get_color_type(s->png, s->info);
  if (width > 0x7fffffff || height > 0x7fffffff ||
      !imValidSize(static_cast<int>(width), static_cast<int>(height)))
    return IM_ERR_TYPE;
  file->width = static_cast<int>(width);
  file->height = static_cast<int>(height);
  file->compression = 256;
  file->cur_row = file->height - 1;           // PNG rows run top-down
  if (depth == 16) png_set_strip_16(s->png);  // keep the high byte
  if (depth < 8) png_set_packing(s->png);
  // Alpha is dropped: colours are kept as stored, not blended with a background.
  if (color_type & PNG_COLOR_MASK_ALPHA) png_set_strip_alpha(s->png);
  if (color_type == PNG_COLOR_TYPE_PALETTE) {
    png_colorp colors = nullptr;
    int count = 0;
    if (!png_get_PLTE(s->png, s->info, &colors, &count) || count < 1 || count > 256)
      return IM_ERR_READ;
    std::memcpy(s->palette, colors, sizeof(png_color) * count);
    s->pal_count = count;
    file->type = IM_MAP;
    s->channels = 1;
  } else if ((color_type & PNG_COLOR_MASK_COLOR) == 0) {
    int levels = depth >= 8 ? 256 : 1 << depth;
    for (int i = 0; i < levels; ++i) {
      png_byte v = static_cast<png_byte>(i * 255 / (levels - 1));
      s->palette[i] = png_color{v, v, v};
    }
    s->pal_count = levels;
    file->type = IM_MAP;
    s->channels = 1;
  } else {
    file->type = IM_RGB;
    s->channels = 3;
  }
  file->pal_count = file->type == IM_MAP ? s->pal_count : 0;
  s->interlaced = png_get_interlace_type(s->png, s->info) != PNG_INTERLACE_NONE;
  if (s->interlaced) png_set_interlace_handling(s->png);
  png_read_update_info(s->png, s->info);
  if (png_get_rowbytes(s->png, s->info) != static_cast<size_t>(file->width) * s->channels)
    return IM_ERR_READ;
  return IM_ERR_NONE;
}

bool IsPng(const unsigned char* p) {
  return png_sig_cmp(p, 0, 8) == 0;
}

int Sniff(const unsigned char* prefix, size_t size) {
  return imlibfile::Signed(prefix, size, 8, IsPng);
}

imFile* ReadOpen(imBinFile* source, const char* file_name, int* error) {
  if (!imlibfile::StartSigned(source, IM_BIGENDIAN, 8, IsPng, error)) return nullptr;
  imFile* file = nullptr;
  State* s = NewState<State>(source, 0, &file, error);
  if (s == nullptr) return nullptr;
  s->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Warn);
  if (s->png != nullptr) s->info = png_create_info_struct(s->png);
  *error = s->info == nullptr ? IM_ERR_READ : ReadHeader(s, file);
  if (*error == IM_ERR_NONE) {
    s->row =
        static_cast<unsigned char*>(std::malloc(static_cast<size_t>(file->width) * s->channels));
    if (s->row == nullptr) *error = IM_ERR_READ;
  }
  if (*error != IM_ERR_NONE) {
    Release(s);
    std::free(file);
    return nullptr;
  }
  ReportResolution(file_name, s);
  return file;
}

// Reads the next transformed row into to (width * channels bytes).
int NextRow(State* s, const imFile* file, unsigned char* to) {
  if (setjmp(png_jmpbuf(s->png))) return IM_ERR_READ;
  const size_t row_bytes = static_cast<size_t>(file->width) * s->channels;
  if (!s->interlaced) {
    png_read_row(s->png, to, nullptr);
    return IM_ERR_NONE;
  }
  if (s->whole == nullptr) {
    s->whole = static_cast<unsigned char*>(std::malloc(row_bytes * file->height));
    png_bytep* rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * file->height));
    if (s->whole == nullptr || rows == nullptr) {
      std::free(rows);
      return IM_ERR_READ;
    }
    for (int y = 0; y < file->height; ++y) rows[y] = s->whole + row_bytes * y;
    // rows is freed on the error path by the outer jump point's caller
    png_bytep* volatile held = rows;
    if (setjmp(png_jmpbuf(s->png))) {
      std::free(held);
      return IM_ERR_READ;
    }
    png_read_image(s->png, rows);
    std::free(rows);
  }
  std::memcpy(to, s->whole + row_bytes * s->rows_done, row_bytes);
  return IM_ERR_NONE;
}

int ReadLineCommon(imFile* file, unsigned char* to) {
  State* s = static_cast<State*>(file->data);
  if (s->rows_done >= file->height) return IM_ERR_READ;
  int error = NextRow(s, file, to);
  if (error != IM_ERR_NONE) return error;
  ++s->rows_done;
  --file->cur_row;
  return IM_ERR_NONE;
}

int ReadLineMap(imFile* file, unsigned char* line) {
  if (file->type != IM_MAP) return IM_ERR_TYPE;
  return ReadLineCommon(file, line);  // a map row is the line itself
}

int ReadLineRGB(imFile* file, unsigned char* red, unsigned char* green, unsigned char* blue) {
  State* s = static_cast<State*>(file->data);
  if (file->type != IM_RGB) return IM_ERR_TYPE;
  int error = ReadLineCommon(file, s->row);
  if (error != IM_ERR_NONE) return error;
  imrows::Deinterleave(s->row, file->width, red, green, blue);
  return IM_ERR_NONE;
}

int ReadPalette(imFile* file, uint32_t* palette) {
  State* s = static_cast<State*>(file->data);
  for (int i = 0; i < s->pal_count; ++i)
    palette[i] = imEncodeColor(s->palette[i].red, s->palette[i].green, s->palette[i].blue);
  return IM_ERR_NONE;
}

// ---- writing ----

int StartWrite(State* s, const char* file_name, imFile* file, int compression) {
  if (setjmp(png_jmpbuf(s->png))) return IM_ERR_WRITE;
  png_set_write_fn(s->png, s->bin, WriteData, FlushData);
  png_set_compression_level(s->png, compression == 0 ? 0 : compression == 512 ? 9 : 6);
  png_set_IHDR(s->png, s->info, file->width, file->height, 8,
               file->type == IM_MAP ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  imResolutionCallback callback = imGetResolutionCallback();
  double xres = 0, yres = 0;
  int unit = 0;
  if (callback != nullptr && callback(file_name, &xres, &yres, &unit) == 0 && unit != 0) {
    double per_metre = unit == 1 ? 1.0 / 0.0254 : 100.0;
    png_set_pHYs(s->png, s->info, static_cast<png_uint_32>(xres * per_metre + 0.5),
                 static_cast<png_uint_32>(yres * per_metre + 0.5), PNG_RESOLUTION_METER);
  }
  return IM_ERR_NONE;
}

int WriteInfo(State* s) {
  if (setjmp(png_jmpbuf(s->png))) return IM_ERR_WRITE;
  png_write_info(s->png, s->info);
  return IM_ERR_NONE;
}

imFile* WriteOpen(const char* file_name, int width, int height, int type, int compression,
                  int pal_count, int* error) {
  imFile* file = nullptr;
  State* s = imlibfile::NewWriteState<State>(file_name, IM_BIGENDIAN, width, height, type,
                                             pal_count, &file, error);
  if (s == nullptr) return nullptr;
  s->pal_count = pal_count;
  s->channels = type == IM_MAP ? 1 : 3;
  file->compression = 256;
  s->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Warn);
  if (s->png != nullptr) s->info = png_create_info_struct(s->png);
  s->row = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(width) * s->channels));
  *error = s->info == nullptr || s->row == nullptr ? IM_ERR_WRITE
                                                   : StartWrite(s, file_name, file, compression);
  if (*error != IM_ERR_NONE) {
    Release(s);
    std::free(file);
    return nullptr;
  }
  // an RGB image has no palette step, so the header goes out now
  if (type == IM_RGB && WriteInfo(s) != IM_ERR_NONE) {
    *error = IM_ERR_WRITE;
    Release(s);
    std::free(file);
    return nullptr;
  }
  return file;
}

int WritePalette(imFile* file, const uint32_t* palette) {
  State* s = static_cast<State*>(file->data);
  if (setjmp(png_jmpbuf(s->png))) return IM_ERR_WRITE;
  for (int i = 0; i < s->pal_count; ++i)
    imDecodeColor(palette[i], &s->palette[i].red, &s->palette[i].green, &s->palette[i].blue);
  png_set_PLTE(s->png, s->info, s->palette, s->pal_count);
  return WriteInfo(s);
}

int WriteRow(imFile* file, const unsigned char* row) {
  State* s = static_cast<State*>(file->data);
  if (s->rows_done >= file->height) return IM_ERR_WRITE;
  if (setjmp(png_jmpbuf(s->png))) return IM_ERR_WRITE;
  png_write_row(s->png, row);
  ++s->rows_done;
  --file->cur_row;
  return IM_ERR_NONE;
}

int WriteLineMap(imFile* file, const unsigned char* line) {
  if (file->type != IM_MAP) return IM_ERR_TYPE;
  return WriteRow(file, line);
}

int WriteLineRGB(imFile* file, const unsigned char* red, const unsigned char* green,
                 const unsigned char* blue) {
  State* s = static_cast<State*>(file->data);
  if (file->type != IM_RGB) return IM_ERR_TYPE;
  imrows::Interleave(red, green, blue, file->width, s->row);
  return WriteRow(file, s->row);
}

int FinishWrite(State* s, int height) {
  if (s->rows_done != height) return IM_ERR_WRITE;
  if (setjmp(png_jmpbuf(s->png))) return IM_ERR_WRITE;
  png_write_end(s->png, nullptr);
  return IM_ERR_NONE;
}

int Close(imFile* file) {
  State* s = static_cast<State*>(file->data);
  int result = imlibfile::CloseBin(s, s->writing ? FinishWrite(s, file->height) : IM_ERR_NONE);
  Release(s);
  std::free(file);
  return result;
}

}  // namespace
}  // namespace impng

imFormat imFormatPNG = {0,
                        imlibfile::NoCallback,
                        impng::ReadOpen,
                        impng::WriteOpen,
                        impng::Close,
                        impng::ReadPalette,
                        impng::WritePalette,
                        impng::ReadLineMap,
                        impng::WriteLineMap,
                        impng::ReadLineRGB,
                        impng::WriteLineRGB,
                        impng::Sniff};
