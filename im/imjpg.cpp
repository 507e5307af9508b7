// JPEG driver through libjpeg, with source and destination managers over
// the file layer. libjpeg's errors longjmp back to the jump point of the
// function that called it; those functions own no C++ object. Warnings
// (corrupt data, a premature end) are treated as errors too, so a damaged
// file never loads as success.
#include <cstdio>  // jpeglib.h needs FILE
#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "imfile.h"
#include "imformat.h"
#include "imlibfile.h"

namespace imjpg {
namespace {

constexpr size_t kBufferSize = 65536;

struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

struct State {
  int writing;
  imBinFile* bin;
  ErrorManager error;
  jpeg_decompress_struct in;
  jpeg_compress_struct out;
  jpeg_source_mgr source;
  jpeg_destination_mgr destination;
  int cmyk, inverted;
  unsigned char* row;
  unsigned char gray[256];  // luminance of each palette entry when writing a map
  unsigned char buffer[kBufferSize];
};

void ErrorExit(j_common_ptr info) {
  longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}
void EmitMessage(j_common_ptr info, int level) {
  if (level < 0) ErrorExit(info);
}
void OutputMessage(j_common_ptr) {}

State* Of(j_common_ptr info) {
  return static_cast<State*>(info->client_data);
}

void InitSource(j_decompress_ptr) {}
boolean FillInput(j_decompress_ptr info) {
  State* s = Of(reinterpret_cast<j_common_ptr>(info));
  size_t n = 0;
  int64_t left = imBinFileSize(s->bin) - imBinFileTell(s->bin);
  size_t want = left < static_cast<int64_t>(kBufferSize) ? static_cast<size_t>(left > 0 ? left : 0)
                                                         : kBufferSize;
  if (want > 0) n = imBinFileRead(s->bin, s->buffer, want, 1);
  if (n == 0) ErrorExit(reinterpret_cast<j_common_ptr>(info));  // truncated
  s->source.next_input_byte = s->buffer;
  s->source.bytes_in_buffer = n;
  return TRUE;
}
void SkipInput(j_decompress_ptr info, long count) {
  State* s = Of(reinterpret_cast<j_common_ptr>(info));
  while (count > 0) {
    if (s->source.bytes_in_buffer == 0) FillInput(info);
    size_t step = static_cast<size_t>(count) < s->source.bytes_in_buffer
                      ? static_cast<size_t>(count)
                      : s->source.bytes_in_buffer;
    s->source.next_input_byte += step;
    s->source.bytes_in_buffer -= step;
    count -= static_cast<long>(step);
  }
}
void TermSource(j_decompress_ptr) {}

void InitDestination(j_compress_ptr info) {
  State* s = Of(reinterpret_cast<j_common_ptr>(info));
  s->destination.next_output_byte = s->buffer;
  s->destination.free_in_buffer = kBufferSize;
}
boolean EmptyOutput(j_compress_ptr info) {
  State* s = Of(reinterpret_cast<j_common_ptr>(info));
  if (imBinFileWrite(s->bin, s->buffer, kBufferSize, 1) != kBufferSize)
    ErrorExit(reinterpret_cast<j_common_ptr>(info));
  InitDestination(info);
  return TRUE;
}
void TermDestination(j_compress_ptr info) {
  State* s = Of(reinterpret_cast<j_common_ptr>(info));
  size_t n = kBufferSize - s->destination.free_in_buffer;
  if (n > 0 && imBinFileWrite(s->bin, s->buffer, n, 1) != n)
    ErrorExit(reinterpret_cast<j_common_ptr>(info));
}

// libjpeg's messages routed to our handlers.
void InitErrors(State* s) {
  jpeg_std_error(&s->error.pub);
  s->error.pub.error_exit = ErrorExit;
  s->error.pub.emit_message = EmitMessage;
  s->error.pub.output_message = OutputMessage;
}

void Release(State* s, bool created) {
  if (created) {
    if (s->writing)
      jpeg_destroy_compress(&s->out);
    else
      jpeg_destroy_decompress(&s->in);
  }
  imlibfile::DropBin(s);
  std::free(s->row);
  std::free(s);
}

int StartRead(State* s, imFile* file, const char* file_name) {
  if (setjmp(s->error.jump)) return IM_ERR_READ;
  jpeg_decompress_struct* in = &s->in;
  in->err = &s->error.pub;
  in->client_data = s;
  jpeg_create_decompress(in);
  s->source.init_source = InitSource;
  s->source.fill_input_buffer = FillInput;
  s->source.skip_input_data = SkipInput;
  s->source.resync_to_restart = jpeg_resync_to_restart;
  s->source.term_source = TermSource;
  in->src = &s->source;
  jpeg_read_header(in, TRUE);
  if (!imValidSize(static_cast<int>(in->image_width), static_cast<int>(in->image_height)))
    return IM_ERR_TYPE;
  switch (in->jpeg_color_space) {
    case JCS_GRAYSCALE:
      file->type = IM_MAP;
      file->pal_count = 256;
      break;
    case JCS_YCbCr:
    case JCS_RGB:
      file->type = IM_RGB;
      in->out_color_space = JCS_RGB;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      file->type = IM_RGB;
      s->cmyk = 1;
      // Files with the Adobe marker (all YCCK ones) store CMYK inverted, as
      // Photoshop, Pillow and ImageMagick write them.
      s->inverted = in->jpeg_color_space == JCS_YCCK || in->saw_Adobe_marker;
      in->out_color_space = JCS_CMYK;
      break;
    default:
      return IM_ERR_TYPE;
  }
  file->width = static_cast<int>(in->image_width);
  file->height = static_cast<int>(in->image_height);
  file->compression = 256;
  file->cur_row = file->height - 1;  // JPEG rows run top-down
  jpeg_start_decompress(in);
  s->row = static_cast<unsigned char*>(
      std::malloc(static_cast<size_t>(in->output_width) * in->output_components));
  if (s->row == nullptr) return IM_ERR_READ;
  imResolutionCallback callback = imGetResolutionCallback();
  if (callback != nullptr && in->saw_JFIF_marker &&
      (in->density_unit == 1 || in->density_unit == 2)) {
    double x = in->X_density, y = in->Y_density;
    int unit = in->density_unit;
    callback(file_name, &x, &y, &unit);
  }
  return IM_ERR_NONE;
}

// The start-of-image marker and the first byte of the next marker.
bool IsJpeg(const unsigned char* p) {
  return p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF;
}

int Sniff(const unsigned char* prefix, size_t size) {
  return imlibfile::Signed(prefix, size, 3, IsJpeg);
}

imFile* ReadOpen(imBinFile* source, const char* file_name, int* error) {
  if (!imlibfile::StartSigned(source, IM_BIGENDIAN, 3, IsJpeg, error)) return nullptr;
  imFile* file = nullptr;
  State* s = imlibfile::NewState<State>(source, 0, &file, error);
  if (s == nullptr) return nullptr;
  InitErrors(s);
  *error = StartRead(s, file, file_name);
  if (*error != IM_ERR_NONE) {
    Release(s, true);
    std::free(file);
    return nullptr;
  }
  return file;
}

// Decodes the next row into to (width * components bytes).
int ReadRow(State* s, imFile* file, unsigned char* to) {
  if (setjmp(s->error.jump)) return IM_ERR_READ;
  if (s->in.output_scanline >= s->in.output_height) return IM_ERR_READ;
  JSAMPROW rows[1] = {to};
  if (jpeg_read_scanlines(&s->in, rows, 1) != 1) return IM_ERR_READ;
  --file->cur_row;
  return IM_ERR_NONE;
}

int ReadLineMap(imFile* file, unsigned char* line) {
  State* s = static_cast<State*>(file->data);
  if (file->type != IM_MAP) return IM_ERR_TYPE;
  return ReadRow(s, file, line);  // one grey component: the row is the line
}

int ReadLineRGB(imFile* file, unsigned char* red, unsigned char* green, unsigned char* blue) {
  State* s = static_cast<State*>(file->data);
  if (file->type != IM_RGB) return IM_ERR_TYPE;
  int error = ReadRow(s, file, s->row);
  if (error != IM_ERR_NONE) return error;
  const unsigned char* p = s->row;
  if (!s->cmyk) {
    imrows::Deinterleave(p, file->width, red, green, blue);
    return IM_ERR_NONE;
  }
  for (int x = 0; x < file->width; ++x) {
    int c = p[4 * x], m = p[4 * x + 1], y = p[4 * x + 2], k = p[4 * x + 3];
    if (s->inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    red[x] = static_cast<unsigned char>((255 - c) * (255 - k) / 255);
    green[x] = static_cast<unsigned char>((255 - m) * (255 - k) / 255);
    blue[x] = static_cast<unsigned char>((255 - y) * (255 - k) / 255);
  }
  return IM_ERR_NONE;
}

int ReadPalette(imFile*, uint32_t* palette) {
  for (int i = 0; i < 256; ++i) palette[i] = imEncodeColor(i, i, i);
  return IM_ERR_NONE;
}

// ---- writing ----

int StartWrite(State* s, imFile* file, const char* file_name) {
  if (setjmp(s->error.jump)) return IM_ERR_WRITE;
  jpeg_compress_struct* out = &s->out;
  out->err = &s->error.pub;
  out->client_data = s;
  jpeg_create_compress(out);
  s->destination.init_destination = InitDestination;
  s->destination.empty_output_buffer = EmptyOutput;
  s->destination.term_destination = TermDestination;
  out->dest = &s->destination;
  out->image_width = static_cast<JDIMENSION>(file->width);
  out->image_height = static_cast<JDIMENSION>(file->height);
  out->input_components = file->type == IM_MAP ? 1 : 3;
  out->in_color_space = file->type == IM_MAP ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(out);
  jpeg_set_quality(out, 100, TRUE);
  imResolutionCallback callback = imGetResolutionCallback();
  double x = 0, y = 0;
  int unit = 0;
  if (callback != nullptr && callback(file_name, &x, &y, &unit) == 0 && (unit == 1 || unit == 2)) {
    out->density_unit = static_cast<UINT8>(unit);
    out->X_density = static_cast<UINT16>(x < 0 ? 0 : x > 65535 ? 65535 : x + 0.5);
    out->Y_density = static_cast<UINT16>(y < 0 ? 0 : y > 65535 ? 65535 : y + 0.5);
  }
  jpeg_start_compress(out, TRUE);
  return IM_ERR_NONE;
}

imFile* WriteOpen(const char* file_name, int width, int height, int type, int, int pal_count,
                  int* error) {
  if (width > 65500 || height > 65500) {  // the largest JPEG dimension
    *error = IM_ERR_TYPE;
    return nullptr;
  }
  imFile* file = nullptr;
  State* s = imlibfile::NewWriteState<State>(file_name, IM_BIGENDIAN, width, height, type,
                                             pal_count, &file, error);
  if (s == nullptr) return nullptr;
  InitErrors(s);
  s->row = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(width) * 3));
  if (s->row == nullptr) {
    Release(s, false);
    std::free(file);
    *error = IM_ERR_WRITE;
    return nullptr;
  }
  file->compression = 256;
  *error = StartWrite(s, file, file_name);
  if (*error != IM_ERR_NONE) {
    Release(s, true);
    std::free(file);
    return nullptr;
  }
  return file;
}

int WritePalette(imFile* file, const uint32_t* palette) {
  State* s = static_cast<State*>(file->data);
  for (int i = 0; i < file->pal_count; ++i) {
    unsigned char r, g, b;
    imDecodeColor(palette[i], &r, &g, &b);
    s->gray[i] = static_cast<unsigned char>((30 * r + 59 * g + 11 * b) / 100);
  }
  return IM_ERR_NONE;
}

int WriteRow(State* s, imFile* file) {
  if (setjmp(s->error.jump)) return IM_ERR_WRITE;
  if (s->out.next_scanline >= s->out.image_height) return IM_ERR_WRITE;
  JSAMPROW rows[1] = {s->row};
  if (jpeg_write_scanlines(&s->out, rows, 1) != 1) return IM_ERR_WRITE;
  --file->cur_row;
  return IM_ERR_NONE;
}

int WriteLineMap(imFile* file, const unsigned char* line) {
  State* s = static_cast<State*>(file->data);
  if (file->type != IM_MAP) return IM_ERR_TYPE;
  // locals: stores through s->row could otherwise alias the state and be reloaded per pixel
  unsigned char* row = s->row;
  const unsigned char* gray = s->gray;
  for (int x = 0, width = file->width; x < width; ++x) row[x] = gray[line[x]];
  return WriteRow(s, file);
}

int WriteLineRGB(imFile* file, const unsigned char* red, const unsigned char* green,
                 const unsigned char* blue) {
  State* s = static_cast<State*>(file->data);
  if (file->type != IM_RGB) return IM_ERR_TYPE;
  imrows::Interleave(red, green, blue, file->width, s->row);
  return WriteRow(s, file);
}

int FinishWrite(State* s) {
  if (setjmp(s->error.jump)) return IM_ERR_WRITE;
  if (s->out.next_scanline < s->out.image_height) return IM_ERR_WRITE;
  jpeg_finish_compress(&s->out);
  return IM_ERR_NONE;
}

int Close(imFile* file) {
  State* s = static_cast<State*>(file->data);
  int result = imlibfile::CloseBin(s, s->writing ? FinishWrite(s) : IM_ERR_NONE);
  Release(s, true);
  std::free(file);
  return result;
}

}  // namespace
}  // namespace imjpg

imFormat imFormatJPG = {0,
                        imlibfile::NoCallback,
                        imjpg::ReadOpen,
                        imjpg::WriteOpen,
                        imjpg::Close,
                        imjpg::ReadPalette,
                        imjpg::WritePalette,
                        imjpg::ReadLineMap,
                        imjpg::WriteLineMap,
                        imjpg::ReadLineRGB,
                        imjpg::WriteLineRGB,
                        imjpg::Sniff};
