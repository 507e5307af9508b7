/* Shared pieces of the hand-written format drivers: the driver's file record
 * with its open binary file, block-buffered byte input and output over the
 * binary file layer, little- and big-endian field access, and the checks
 * every reader applies to header fields before allocating. Internal to im/. */
#ifndef VARKO_IM_IMCODEC_H
#define VARKO_IM_IMCODEC_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "imfile.h"
#include "imformat.h"
#include "imrows.h"

namespace imcodec {

inline uint16_t Le16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint16_t Be16(const unsigned char* p) {
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
inline uint32_t Be32(const unsigned char* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
inline void PutLe16(unsigned char* p, unsigned v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
inline void PutLe32(unsigned char* p, uint32_t v) {
  PutLe16(p, v & 0xFFFF);
  PutLe16(p + 2, v >> 16);
}
inline void PutBe16(unsigned char* p, unsigned v) {
  p[0] = static_cast<unsigned char>(v >> 8);
  p[1] = static_cast<unsigned char>(v);
}
inline void PutBe32(unsigned char* p, uint32_t v) {
  PutBe16(p, v >> 16);
  PutBe16(p + 2, v & 0xFFFF);
}

inline uint32_t Rgb(unsigned r, unsigned g, unsigned b) {
  return (r << 16) | (g << 8) | b;
}
inline unsigned char Red(uint32_t c) {
  return static_cast<unsigned char>(c >> 16);
}
inline unsigned char Green(uint32_t c) {
  return static_cast<unsigned char>(c >> 8);
}
inline unsigned char Blue(uint32_t c) {
  return static_cast<unsigned char>(c);
}

/* Sequential reads in blocks. Never asks the file layer for more than the
 * file holds, so a short file shows up as a false result here rather than as
 * a sticky error halfway through a block. */
class Reader {
 public:
  explicit Reader(imBinFile* file) : file_(file) {
    size_ = imBinFileSize(file);
    if (imBinFileError(file) || size_ < 0) size_ = 0;
  }
  int64_t Size() const { return size_; }
  int64_t Tell() const { return block_start_ + static_cast<int64_t>(pos_); }
  int64_t Remaining() const { return size_ - Tell(); }

  bool Read(void* data, size_t count) {
    unsigned char* out = static_cast<unsigned char*>(data);
    while (count > 0) {
      if (pos_ == len_ && !Fill()) return false;
      size_t n = len_ - pos_ < count ? len_ - pos_ : count;
      std::memcpy(out, buf_ + pos_, n);
      pos_ += n;
      out += n;
      count -= n;
    }
    return true;
  }
  /* The next byte, or -1 at the end of the file or on an error. */
  int Get() {
    if (pos_ == len_ && !Fill()) return -1;
    return buf_[pos_++];
  }
  bool Seek(int64_t position) {
    if (position < 0 || position > size_) return false;
    if (position >= block_start_ && position <= block_start_ + static_cast<int64_t>(len_)) {
      pos_ = static_cast<size_t>(position - block_start_);
      return true;
    }
    imBinFileSeekTo(file_, position);
    if (imBinFileError(file_)) return false;
    block_start_ = position;
    pos_ = len_ = 0;
    return true;
  }
  bool Skip(int64_t count) { return count >= 0 && count <= Remaining() && Seek(Tell() + count); }

  /* Direct access to the buffered bytes for tight decoding loops: make at
   * least one byte available and return how many are. */
  size_t Available() {
    if (pos_ == len_ && !Fill()) return 0;
    return len_ - pos_;
  }
  const unsigned char* Data() const { return buf_ + pos_; }
  void Consume(size_t n) { pos_ += n; }

 private:
  bool Fill() {
    block_start_ += static_cast<int64_t>(len_);
    pos_ = len_ = 0;
    int64_t left = size_ - block_start_;
    if (left <= 0) return false;
    size_t want =
        left < static_cast<int64_t>(sizeof buf_) ? static_cast<size_t>(left) : sizeof buf_;
    size_t got = imBinFileRead(file_, buf_, want, 1);
    len_ = got;
    return got > 0;
  }

  imBinFile* file_;
  int64_t size_ = 0;
  int64_t block_start_ = 0;
  size_t pos_ = 0, len_ = 0;
  unsigned char buf_[1 << 16];
};

/* Sequential writes in blocks; errors stay in the file layer's flag. */
class Writer {
 public:
  explicit Writer(imBinFile* file) : file_(file) {}
  void Write(const void* data, size_t count) {
    const unsigned char* in = static_cast<const unsigned char*>(data);
    while (count > 0) {
      if (len_ == sizeof buf_) Flush();
      size_t n = sizeof buf_ - len_ < count ? sizeof buf_ - len_ : count;
      std::memcpy(buf_ + len_, in, n);
      len_ += n;
      in += n;
      count -= n;
    }
  }
  void Put(unsigned char byte) {
    if (len_ == sizeof buf_) Flush();
    buf_[len_++] = byte;
  }
  void Flush() {
    if (len_ > 0) imBinFileWrite(file_, buf_, len_, 1);
    len_ = 0;
  }
  bool Failed() const { return imBinFileError(file_) != 0; }

 private:
  imBinFile* file_;
  size_t len_ = 0;
  unsigned char buf_[1 << 16];
};

/* A driver's file record: the public fields, the binary file (borrowed when
 * reading, owned when writing), and the buffers of one direction. Drivers derive their own state
 * from it; the record handed to the registry points back at the whole object. */
struct CodecFile {
  imFile rec{};
  imBinFile* bin = nullptr;
  bool owns_bin = false;
  std::unique_ptr<Reader> in;
  std::unique_ptr<Writer> out;
  std::string name; /* for the resolution callback */

  CodecFile() { rec.plane[0] = 0, rec.plane[1] = 1, rec.plane[2] = 2; }
  virtual ~CodecFile() {
    if (bin != nullptr && owns_bin) imBinFileClose(bin);
  }
  CodecFile(const CodecFile&) = delete;
  CodecFile& operator=(const CodecFile&) = delete;

  /* Writing: called by close before the file is shut; false on failure. */
  virtual bool Finish() { return true; }

  /* Steps the current row after a line: up for bottom-up storage, down for
   * top-down, and back to the start after the last line of a plane. */
  void StepRow(bool top_down) {
    if (top_down) {
      rec.cur_row = rec.cur_row > 0 ? rec.cur_row - 1 : rec.height - 1;
    } else {
      rec.cur_row = rec.cur_row + 1 < rec.height ? rec.cur_row + 1 : 0;
    }
  }
};

template <class T>
T* Of(imFile* rec) {
  return static_cast<T*>(static_cast<CodecFile*>(rec->data));
}

/* A new record of type T reading from source, in the driver's byte order. */
template <class T>
std::unique_ptr<T> OpenRead(imBinFile* source, const char* file_name, int byte_order, int* error) {
  if (source == nullptr) {
    *error = IM_ERR_OPEN;
    return nullptr;
  }
  std::unique_ptr<T> f(new (std::nothrow) T);
  if (!f) {
    *error = IM_ERR_READ;
    return nullptr;
  }
  imBinFileSetByteOrder(source, byte_order);
  f->bin = source;
  f->in.reset(new (std::nothrow) Reader(f->bin));
  if (!f->in) {
    *error = IM_ERR_READ;
    return nullptr;
  }
  f->rec.data = static_cast<CodecFile*>(f.get());
  f->name = file_name != nullptr ? file_name : "";
  return f;
}

template <class T>
std::unique_ptr<T> OpenWrite(const char* file_name, int byte_order, int* error) {
  std::unique_ptr<T> f(new (std::nothrow) T);
  if (!f) {
    *error = IM_ERR_WRITE;
    return nullptr;
  }
  f->bin = file_name != nullptr ? imBinFileNew(file_name, byte_order) : nullptr;
  if (f->bin == nullptr) {
    *error = IM_ERR_OPEN;
    return nullptr;
  }
  f->owns_bin = true;
  f->out.reset(new (std::nothrow) Writer(f->bin));
  if (!f->out) {
    *error = IM_ERR_WRITE;
    return nullptr;
  }
  f->rec.data = static_cast<CodecFile*>(f.get());
  f->name = file_name;
  return f;
}

/* Hands the record to the registry (it comes back through close). */
template <class T>
imFile* Release(std::unique_ptr<T> f) {
  return &f.release()->rec;
}

/* A reader that knows the file but cannot load it may still report the
 * header: the registry shows it through imFileFormat and imImageInfo. */
template <class T>
imFile* Refuse(std::unique_ptr<T> f, int code, int* error) {
  *error = code;
  return Release(std::move(f));
}

/* The read-open operation of a hand-written driver: makes a record of type
 * T over source and reads its header; the record goes to the registry
 * when the header is good, and also when it answers IM_ERR_TYPE or
 * IM_ERR_COMP (a known file whose content is not supported). */
template <class T>
imFile* ReadOpenWith(imBinFile* source, const char* file_name, int byte_order,
                     int (*read_header)(T*), int* error) {
  std::unique_ptr<T> f = OpenRead<T>(source, file_name, byte_order, error);
  if (!f) return nullptr;
  int e = read_header(f.get());
  if (e == IM_ERR_TYPE || e == IM_ERR_COMP) return Refuse(std::move(f), e, error);
  *error = e;
  return e == IM_ERR_NONE ? Release(std::move(f)) : nullptr;
}

/* The close operation every hand-written driver shares. */
inline int Close(imFile* rec) {
  if (rec == nullptr) return IM_ERR_NONE;
  CodecFile* f = static_cast<CodecFile*>(rec->data);
  bool ok = true;
  if (f->out) {
    ok = f->Finish();
    f->out->Flush();
    ok = ok && !f->out->Failed();
  }
  imBinFile* bin = f->bin;
  f->bin = nullptr;
  if (bin != nullptr && f->owns_bin && imBinFileClose(bin) != 0 && f->out) ok = false;
  delete f;
  return ok ? IM_ERR_NONE : IM_ERR_WRITE;
}

/* Allocates n elements without throwing; false when memory runs out. */
template <class T>
bool Allocate(std::vector<T>& v, size_t n) {
  try {
    v.assign(n, T{});
  } catch (...) {
    return false;
  }
  return true;
}

/* Width and height within what the library accepts. */
inline bool SizeOk(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= INT32_MAX && height <= INT32_MAX &&
         imValidSize(static_cast<int>(width), static_cast<int>(height));
}

/* Reports a resolution read from a file through the global callback. */
inline void ReportResolution(const char* file_name, double xres, double yres, int unit) {
  imResolutionCallback cb = imGetResolutionCallback();
  if (cb != nullptr) cb(file_name, &xres, &yres, &unit);
}

/* Asks the global callback for the resolution to store; false when there
 * is none or the unit it answers is 0. */
inline bool AskResolution(const char* file_name, double* xres, double* yres, int* unit) {
  imResolutionCallback cb = imGetResolutionCallback();
  if (cb == nullptr) return false;
  *xres = *yres = 0;
  *unit = 0;
  cb(file_name, xres, yres, unit);
  return *unit == 1 || *unit == 2;
}

/* Palette counts a writer accepts. */
inline bool PalCountOk(int n) {
  return n >= 1 && n <= 256;
}

/* What a writer accepts: a size within the library's limits and at most
 * max_side a side, RGB or a map of 1 to 256 colours. */
inline bool WriteRequestOk(int width, int height, int type, int pal_count,
                           int max_side = INT32_MAX) {
  return SizeOk(width, height) && width <= max_side && height <= max_side &&
         (type == IM_RGB || (type == IM_MAP && PalCountOk(pal_count)));
}

}  // namespace imcodec

#endif
