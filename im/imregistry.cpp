// The format registry: the built-in drivers, detection, loading and saving
// images through a driver, and the progress and resolution callbacks.
//
// Detection opens a file once, shows its first bytes to each driver's
// sniffer in registry order and offers the open file only to the readers
// whose sniffer knows the bytes, rewinding it for each.
#include <cstring>
#include <memory>
#include <new>

#include "im.h"
#include "imformat.h"

namespace imregistry {
namespace {

constexpr int kMaxFormats = 64;

imFormat* formats[kMaxFormats];
int format_count = 0;
bool registered = false;
imProgressCallback progress_callback = nullptr;
imResolutionCallback resolution_callback = nullptr;

// The built-in drivers, whose position is their code.
imFormat* const kBuiltIn[] = {
#define IM_FORMAT(name) &imFormat##name,
#include "imformatlist.h"
#undef IM_FORMAT
};

int Append(imFormat* driver) {
  if (format_count >= kMaxFormats) return -1;
  if (driver != nullptr) driver->id = format_count;
  formats[format_count] = driver;
  return format_count++;
}

void EnsureRegistered() {
  if (registered) return;
  registered = true;
  for (imFormat* driver : kBuiltIn) Append(driver);
}

imFormat* DriverOf(int id) {
  EnsureRegistered();
  if (id < 0 || id >= format_count) return nullptr;
  return formats[id];
}

// True when the transfer must stop.
bool Progress(const char* file_name, long long done, long long total, int writing) {
  if (progress_callback == nullptr) return false;
  int percent = total > 0 ? static_cast<int>(done * 100 / total) : 0;
  return progress_callback(file_name, percent, writing) != 0;
}

void Report(const char* file_name, int percent, int writing) {
  if (progress_callback != nullptr) progress_callback(file_name, percent, writing);
}

// A file opened for reading; closed when it goes out of scope.
class Source {
 public:
  explicit Source(const char* file_name)
      : bin_(file_name != nullptr ? imBinFileOpen(file_name, IM_LITTLEENDIAN) : nullptr) {}
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;
  ~Source() {
    if (bin_ != nullptr) imBinFileClose(bin_);
  }
  imBinFile* get() const { return bin_; }

 private:
  imBinFile* bin_;
};

// An opened file with its driver; closes it when it goes out of scope
// unless Finish took it over.
class OpenFile {
 public:
  OpenFile() = default;
  OpenFile(imFormat* driver, imFile* file) : driver_(driver), file_(file) {}
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() {
    if (file_ != nullptr) driver_->close(file_);
  }
  void Reset(imFormat* driver, imFile* file) {
    if (file_ != nullptr) driver_->close(file_);
    driver_ = driver;
    file_ = file;
  }
  imFormat* driver() const { return driver_; }
  imFile* file() const { return file_; }
  // Closes now and returns the driver's answer.
  int Finish() {
    imFile* file = file_;
    file_ = nullptr;
    return file == nullptr ? IM_ERR_NONE : driver_->close(file);
  }

 private:
  imFormat* driver_ = nullptr;
  imFile* file_ = nullptr;
};

// Offers the source to each driver in turn whose sniffer knows its first
// bytes. With lenient, a driver that knows the file but answers IM_ERR_TYPE
// or IM_ERR_COMP also ends the search: its error is returned, with its
// record when it gave one. The record reads from source, which must outlive it.
int Detect(imBinFile* source, const char* file_name, bool lenient, OpenFile* open, int* format_id) {
  EnsureRegistered();
  if (source == nullptr) return IM_ERR_OPEN;
  if (file_name == nullptr) file_name = "";
  unsigned char prefix[IM_SNIFF_BYTES];
  imBinFileRewind(source);
  const size_t prefix_size = imBinFileRead(source, prefix, sizeof prefix, 1);
  for (int id = 0; id < format_count; ++id) {
    imFormat* driver = formats[id];
    if (driver == nullptr || driver->read_open == nullptr) continue;
    if (driver->sniff != nullptr && !driver->sniff(prefix, prefix_size)) continue;
    imBinFileRewind(source);
    int error = IM_ERR_NONE;
    imFile* file = driver->read_open(source, file_name, &error);
    if (file != nullptr && error == IM_ERR_NONE) {
      open->Reset(driver, file);
      *format_id = id;
      return IM_ERR_NONE;
    }
    if (file == nullptr && error == IM_ERR_NONE) error = IM_ERR_READ;
    if (error == IM_ERR_FORMAT) {
      if (file != nullptr) driver->close(file);
      continue;
    }
    *format_id = id;
    if (lenient && (error == IM_ERR_TYPE || error == IM_ERR_COMP) && file != nullptr) {
      open->Reset(driver, file);
    } else if (file != nullptr) {
      driver->close(file);
    }
    return error;
  }
  return IM_ERR_FORMAT;
}

bool IndexedRecord(const imFile* file) {
  return file->type == IM_MAP;
}

// Offset of the record's current row, or -1 when the driver left it outside the image.
long long RowOffset(const imFile* file) {
  if (file->cur_row < 0 || file->cur_row >= file->height) return -1;
  return static_cast<long long>(file->cur_row) * file->width;
}

// Detects the source's format for loading and checks what the driver
// reported. An expected width of -1 accepts any size.
int OpenForLoad(imBinFile* source, const char* file_name, OpenFile* open, int width, int height,
                int pal_capacity) {
  int id = 0;
  int error = Detect(source, file_name, false, open, &id);
  if (error != IM_ERR_NONE) return error;
  const imFile* file = open->file();
  if (file->type != IM_RGB && file->type != IM_MAP) return IM_ERR_READ;
  if (!imValidSize(file->width, file->height)) return IM_ERR_TYPE;
  if (IndexedRecord(file) && (file->pal_count < 1 || file->pal_count > 256)) return IM_ERR_READ;
  if (width != -1 && (file->width != width || file->height != height)) return IM_ERR_TYPE;
  if (IndexedRecord(file) && file->pal_count > pal_capacity) return IM_ERR_TYPE;
  return IM_ERR_NONE;
}

int LoadMap(imBinFile* source, const char* file_name, unsigned char* map, uint32_t* palette,
            int width, int height, int pal_capacity) {
  if (map == nullptr || palette == nullptr) return IM_ERR_TYPE;
  OpenFile open;
  int error = OpenForLoad(source, file_name, &open, width, height, pal_capacity);
  if (error != IM_ERR_NONE) return error;
  imFile* file = open.file();
  imFormat* driver = open.driver();
  if (file->type != IM_MAP || driver->read_line_map == nullptr) return IM_ERR_TYPE;
  Report(file_name, 0, 0);
  if (driver->read_palette(file, palette) != IM_ERR_NONE) return IM_ERR_READ;
  for (int i = 0; i < file->height; ++i) {
    long long offset = RowOffset(file);
    if (offset < 0 || driver->read_line_map(file, map + offset) != IM_ERR_NONE) return IM_ERR_READ;
    if (Progress(file_name, i, file->height, 0)) return IM_INTERRUPTED;
  }
  Report(file_name, 100, 0);
  open.Finish();
  return IM_ERR_NONE;
}

int LoadIndexedAsRGB(const char* file_name, OpenFile& open, unsigned char* red,
                     unsigned char* green, unsigned char* blue) {
  imFile* file = open.file();
  imFormat* driver = open.driver();
  uint32_t palette[256] = {};
  if (driver->read_palette(file, palette) != IM_ERR_NONE) return IM_ERR_READ;
  // indices beyond the palette count read as black
  unsigned char r[256], g[256], b[256];
  for (int i = 0; i < 256; ++i) imDecodeColor(palette[i], &r[i], &g[i], &b[i]);
  std::unique_ptr<unsigned char[]> line(new (std::nothrow) unsigned char[file->width]);
  if (!line) return IM_ERR_READ;
  for (int i = 0; i < file->height; ++i) {
    long long offset = RowOffset(file);
    if (offset < 0 || driver->read_line_map(file, line.get()) != IM_ERR_NONE) return IM_ERR_READ;
    for (int x = 0; x < file->width; ++x) {
      unsigned char index = line[x];
      red[offset + x] = r[index];
      green[offset + x] = g[index];
      blue[offset + x] = b[index];
    }
    if (Progress(file_name, i, file->height, 0)) return IM_INTERRUPTED;
  }
  return IM_ERR_NONE;
}

int LoadPlanes(const char* file_name, OpenFile& open, unsigned char* planes[3]) {
  imFile* file = open.file();
  imFormat* driver = open.driver();
  const long long total = 3LL * file->height;
  for (int p = 0; p < 3; ++p) {
    int plane = file->plane[p];
    if (plane < 0 || plane > 2) return IM_ERR_READ;
    for (int i = 0; i < file->height; ++i) {
      long long offset = RowOffset(file);
      if (offset < 0 || driver->read_line_map(file, planes[plane] + offset) != IM_ERR_NONE)
        return IM_ERR_READ;
      if (Progress(file_name, i + static_cast<long long>(p) * file->height, total, 0))
        return IM_INTERRUPTED;
    }
  }
  return IM_ERR_NONE;
}

int LoadInterleaved(const char* file_name, OpenFile& open, unsigned char* red, unsigned char* green,
                    unsigned char* blue) {
  imFile* file = open.file();
  imFormat* driver = open.driver();
  for (int i = 0; i < file->height; ++i) {
    long long offset = RowOffset(file);
    if (offset < 0 ||
        driver->read_line_rgb(file, red + offset, green + offset, blue + offset) != IM_ERR_NONE)
      return IM_ERR_READ;
    if (Progress(file_name, i, file->height, 0)) return IM_INTERRUPTED;
  }
  return IM_ERR_NONE;
}

int LoadRGB(imBinFile* source, const char* file_name, unsigned char* red, unsigned char* green,
            unsigned char* blue, int width, int height) {
  if (red == nullptr || green == nullptr || blue == nullptr) return IM_ERR_TYPE;
  OpenFile open;
  int error = OpenForLoad(source, file_name, &open, width, height, 256);
  if (error != IM_ERR_NONE) return error;
  imFile* file = open.file();
  imFormat* driver = open.driver();
  bool indexed = file->type == IM_MAP;
  if ((indexed || file->planar) && driver->read_line_map == nullptr) return IM_ERR_TYPE;
  if (!indexed && !file->planar && driver->read_line_rgb == nullptr) return IM_ERR_TYPE;
  Report(file_name, 0, 0);
  unsigned char* planes[3] = {red, green, blue};
  if (indexed)
    error = LoadIndexedAsRGB(file_name, open, red, green, blue);
  else if (file->planar)
    error = LoadPlanes(file_name, open, planes);
  else
    error = LoadInterleaved(file_name, open, red, green, blue);
  if (error != IM_ERR_NONE) return error;
  Report(file_name, 100, 0);
  open.Finish();
  return IM_ERR_NONE;
}

// Checks a format code and opens its driver for writing.
int OpenForSave(int width, int height, int code, int type, int pal_count, const char* file_name,
                OpenFile* open) {
  EnsureRegistered();
  if (file_name == nullptr) return IM_ERR_OPEN;
  if (code < 0 || code > 0xFFFF) return IM_ERR_FORMAT;
  imFormat* driver = DriverOf(code & 0xFF);
  if (driver == nullptr) return IM_ERR_FORMAT;
  int compression = code & 0xFF00;
  if (compression != 0 && compression != 256 && compression != 512) return IM_ERR_COMP;
  if (!imValidSize(width, height)) return IM_ERR_TYPE;
  if (driver->write_open == nullptr) return IM_ERR_TYPE;
  int error = IM_ERR_NONE;
  imFile* file = driver->write_open(file_name, width, height, type, compression, pal_count, &error);
  if (file == nullptr) return error != IM_ERR_NONE ? error : IM_ERR_WRITE;
  open->Reset(driver, file);
  if (error != IM_ERR_NONE) return error;
  // the driver must keep the size it was given
  if (file->width != width || file->height != height) return IM_ERR_WRITE;
  return IM_ERR_NONE;
}

int FinishSave(const char* file_name, OpenFile& open) {
  Report(file_name, 100, 1);
  return open.Finish() == IM_ERR_NONE ? IM_ERR_NONE : IM_ERR_WRITE;
}

int SaveMap(int width, int height, int code, const unsigned char* map, int pal_count,
            const uint32_t* palette, const char* file_name) {
  if (map == nullptr || palette == nullptr || pal_count < 1 || pal_count > 256) return IM_ERR_TYPE;
  OpenFile open;
  int error = OpenForSave(width, height, code, IM_MAP, pal_count, file_name, &open);
  if (error != IM_ERR_NONE) return error;
  imFile* file = open.file();
  imFormat* driver = open.driver();
  if (driver->write_line_map == nullptr || driver->write_palette == nullptr) return IM_ERR_TYPE;
  Report(file_name, 0, 1);
  if (!file->palette_after && driver->write_palette(file, palette) != IM_ERR_NONE)
    return IM_ERR_WRITE;
  for (int i = 0; i < height; ++i) {
    long long offset = RowOffset(file);
    if (offset < 0 || driver->write_line_map(file, map + offset) != IM_ERR_NONE)
      return IM_ERR_WRITE;
    if (Progress(file_name, i, height, 1)) return IM_INTERRUPTED;
  }
  if (file->palette_after && driver->write_palette(file, palette) != IM_ERR_NONE)
    return IM_ERR_WRITE;
  return FinishSave(file_name, open);
}

int SaveRGB(int width, int height, int code, const unsigned char* red, const unsigned char* green,
            const unsigned char* blue, const char* file_name) {
  if (red == nullptr || green == nullptr || blue == nullptr) return IM_ERR_TYPE;
  OpenFile open;
  int error = OpenForSave(width, height, code, IM_RGB, 0, file_name, &open);
  if (error != IM_ERR_NONE) return error;
  imFile* file = open.file();
  imFormat* driver = open.driver();
  if (file->planar ? driver->write_line_map == nullptr : driver->write_line_rgb == nullptr)
    return IM_ERR_TYPE;
  Report(file_name, 0, 1);
  if (file->planar) {
    const unsigned char* planes[3] = {red, green, blue};
    const long long total = 3LL * height;
    for (int p = 0; p < 3; ++p) {
      int plane = file->plane[p];
      if (plane < 0 || plane > 2) return IM_ERR_WRITE;
      for (int i = 0; i < height; ++i) {
        long long offset = RowOffset(file);
        if (offset < 0 || driver->write_line_map(file, planes[plane] + offset) != IM_ERR_NONE)
          return IM_ERR_WRITE;
        if (Progress(file_name, i + static_cast<long long>(p) * height, total, 1))
          return IM_INTERRUPTED;
      }
    }
  } else {
    for (int i = 0; i < height; ++i) {
      long long offset = RowOffset(file);
      if (offset < 0 ||
          driver->write_line_rgb(file, red + offset, green + offset, blue + offset) != IM_ERR_NONE)
        return IM_ERR_WRITE;
      if (Progress(file_name, i, height, 1)) return IM_INTERRUPTED;
    }
  }
  return FinishSave(file_name, open);
}

}  // namespace
}  // namespace imregistry

extern "C" {

int imAddFormat(imFormat* driver) {
  imregistry::EnsureRegistered();
  if (driver == nullptr) return -1;
  return imregistry::Append(driver);
}

int imFileFormatFrom(imBinFile* source, const char* file_name, int* format) {
  imregistry::OpenFile open;
  int id = 0;
  int error = imregistry::Detect(source, file_name, true, &open, &id);
  if (error == IM_ERR_FORMAT || error == IM_ERR_OPEN || error == IM_ERR_READ) return error;
  // a known file whose content is not supported still tells its format
  int compression = open.file() != nullptr ? (open.file()->compression & 0xFF00) : 0;
  if (format != nullptr) *format = id | compression;
  return error == IM_ERR_NONE || error == IM_ERR_TYPE || error == IM_ERR_COMP ? IM_ERR_NONE : error;
}

int imImageInfoFrom(imBinFile* source, const char* file_name, int* width, int* height, int* type,
                    int* pal_count) {
  imregistry::OpenFile open;
  int id = 0;
  int error = imregistry::Detect(source, file_name, true, &open, &id);
  if (error != IM_ERR_NONE && open.file() == nullptr) return error;
  const imFile* file = open.file();
  if (width != nullptr) *width = file->width;
  if (height != nullptr) *height = file->height;
  if (type != nullptr) *type = file->type;
  if (pal_count != nullptr) *pal_count = file->pal_count;
  return IM_ERR_NONE;
}

int imLoadMapFrom(imBinFile* source, const char* file_name, int width, int height,
                  unsigned char* map, uint32_t* palette, int pal_capacity) {
  if (!imValidSize(width, height)) return IM_ERR_TYPE;
  if (pal_capacity > 256) pal_capacity = 256;
  if (file_name == nullptr) file_name = "";
  return imregistry::LoadMap(source, file_name, map, palette, width, height, pal_capacity);
}

int imLoadRGBFrom(imBinFile* source, const char* file_name, int width, int height,
                  unsigned char* red, unsigned char* green, unsigned char* blue) {
  if (!imValidSize(width, height)) return IM_ERR_TYPE;
  if (file_name == nullptr) file_name = "";
  return imregistry::LoadRGB(source, file_name, red, green, blue, width, height);
}

int imFileFormat(const char* file_name, int* format) {
  imregistry::Source source(file_name);
  return imFileFormatFrom(source.get(), file_name, format);
}

int imImageInfo(const char* file_name, int* width, int* height, int* type, int* pal_count) {
  imregistry::Source source(file_name);
  return imImageInfoFrom(source.get(), file_name, width, height, type, pal_count);
}

int imLoadMap(const char* file_name, unsigned char* map, uint32_t* palette) {
  imregistry::Source source(file_name);
  return imregistry::LoadMap(source.get(), file_name, map, palette, -1, -1, 256);
}

int imLoadRGB(const char* file_name, unsigned char* red, unsigned char* green,
              unsigned char* blue) {
  imregistry::Source source(file_name);
  return imregistry::LoadRGB(source.get(), file_name, red, green, blue, -1, -1);
}

int imLoadMapSized(const char* file_name, int width, int height, unsigned char* map,
                   uint32_t* palette, int pal_capacity) {
  if (!imValidSize(width, height)) return IM_ERR_TYPE;
  imregistry::Source source(file_name);
  return imLoadMapFrom(source.get(), file_name, width, height, map, palette, pal_capacity);
}

int imLoadRGBSized(const char* file_name, int width, int height, unsigned char* red,
                   unsigned char* green, unsigned char* blue) {
  if (!imValidSize(width, height)) return IM_ERR_TYPE;
  imregistry::Source source(file_name);
  return imLoadRGBFrom(source.get(), file_name, width, height, red, green, blue);
}

int imSaveMap(int width, int height, int format, const unsigned char* map, int pal_count,
              const uint32_t* palette, const char* file_name) {
  return imregistry::SaveMap(width, height, format, map, pal_count, palette, file_name);
}

int imSaveRGB(int width, int height, int format, const unsigned char* red,
              const unsigned char* green, const unsigned char* blue, const char* file_name) {
  return imregistry::SaveRGB(width, height, format, red, green, blue, file_name);
}

const char* imVersion(void) {
  return "2.2";
}

int imSetCallback(imCallback callback, int kind, int format) {
  imregistry::EnsureRegistered();
  if (kind != IM_CB_PROGRESS && kind != IM_CB_RESOLUTION) return 0;
  if (format == -1) {
    if (kind == IM_CB_PROGRESS)
      imregistry::progress_callback = reinterpret_cast<imProgressCallback>(callback);
    else
      imregistry::resolution_callback = reinterpret_cast<imResolutionCallback>(callback);
    return 1;
  }
  imFormat* driver = imregistry::DriverOf(format);
  if (driver == nullptr || driver->register_callback == nullptr) return 0;
  return driver->register_callback(callback, kind);
}

imResolutionCallback imGetResolutionCallback(void) {
  return imregistry::resolution_callback;
}

}  // extern "C"
