// The binary file layer: byte-ordered reads and writes over a C stream or a
// read-only memory buffer, with sticky errors.
//
// Streams get a 64 KiB buffer of their own, and the layer keeps the stream's
// position and (for written files) its size, so that a seek to where the
// stream already stands, which libtiff issues before every strip, neither
// flushes the buffer nor costs a system call.
#include "imfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

struct imBinFile {
  FILE* stream = nullptr;          // null for a memory file
  std::unique_ptr<char[]> buffer;  // the stream's buffer; outlives it
  int64_t position = 0;            // the stream's position, or -1 when unknown
  int64_t written_size = -1;       // size of a written file, -1 when reading
  int64_t read_size = -1;          // size of a read file once asked
  const unsigned char* memory = nullptr;
  int64_t memory_size = 0;
  int64_t memory_position = 0;
  int byte_order = IM_LITTLEENDIAN;
  bool error = false;
  bool end_of_file = false;
};

namespace {

// The block size of the drivers' readers and writers (imcodec.h): a transfer
// of a whole block passes the stream's buffer by, smaller ones gather in it.
constexpr size_t kStreamBuffer = 1 << 16;

constexpr int kMachineOrder =
    std::endian::native == std::endian::little ? IM_LITTLEENDIAN : IM_BIGENDIAN;

bool ValidItemSize(int item_size) {
  return item_size == 1 || item_size == 2 || item_size == 4 || item_size == 8;
}

bool NeedsSwap(const imBinFile* file, int item_size) {
  return item_size > 1 && file->byte_order != kMachineOrder;
}

void SwapItems(unsigned char* data, size_t count, int item_size) {
  for (size_t i = 0; i < count; ++i) {
    unsigned char* item = data + i * static_cast<size_t>(item_size);
    for (int a = 0, b = item_size - 1; a < b; ++a, --b) {
      unsigned char t = item[a];
      item[a] = item[b];
      item[b] = t;
    }
  }
}

// Number of bytes for count items, or false when it does not fit.
bool ByteCount(size_t count, int item_size, size_t* bytes) {
  if (!ValidItemSize(item_size)) return false;
  if (count > SIZE_MAX / static_cast<size_t>(item_size)) return false;
  *bytes = count * static_cast<size_t>(item_size);
  return true;
}

// Reading takes regular files only: opening a FIFO would wait for a writer
// for ever, and a device may never end. The file is opened without waiting,
// checked, and only then read as a stream.
FILE* OpenForReading(const char* file_name) {
  const int fd = ::open(file_name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::fcntl(fd, F_SETFL, 0) != 0) {
    ::close(fd);
    return nullptr;
  }
  FILE* stream = ::fdopen(fd, "rb");
  if (stream == nullptr) ::close(fd);
  return stream;
}

imBinFile* OpenStream(const char* file_name, const char* mode, int byte_order) {
  if (file_name == nullptr) return nullptr;
  FILE* stream = mode[0] == 'r' ? OpenForReading(file_name) : std::fopen(file_name, mode);
  if (stream == nullptr) return nullptr;
  imBinFile* file = new (std::nothrow) imBinFile;
  if (file == nullptr) {
    std::fclose(stream);
    return nullptr;
  }
  file->stream = stream;
  file->byte_order = byte_order;
  if (mode[0] == 'w') file->written_size = 0;
  // without its own buffer the stream would work in 4 KiB pieces
  file->buffer.reset(new (std::nothrow) char[kStreamBuffer]);
  if (file->buffer && std::setvbuf(stream, file->buffer.get(), _IOFBF, kStreamBuffer) != 0)
    file->buffer.reset();
  return file;
}

// Moves the tracked position after a transfer of bytes on a stream.
void Advance(imBinFile* file, size_t bytes) {
  if (file->position < 0) return;
  file->position += static_cast<int64_t>(bytes);
  if (file->written_size >= 0 && file->position > file->written_size)
    file->written_size = file->position;
}

}  // namespace

extern "C" {

imBinFile* imBinFileOpen(const char* file_name, int byte_order) {
  return OpenStream(file_name, "rb", byte_order);
}

imBinFile* imBinFileNew(const char* file_name, int byte_order) {
  return OpenStream(file_name, "wb", byte_order);
}

imBinFile* imBinFileOpenMemory(const void* data, size_t size, int byte_order) {
  if (data == nullptr && size != 0) return nullptr;
  if (size > static_cast<size_t>(INT64_MAX)) return nullptr;
  imBinFile* file = new (std::nothrow) imBinFile;
  if (file == nullptr) return nullptr;
  file->memory = static_cast<const unsigned char*>(data);
  file->memory_size = static_cast<int64_t>(size);
  file->byte_order = byte_order;
  return file;
}

int imBinFileClose(imBinFile* file) {
  if (file == nullptr) return 1;
  bool failed = file->error;
  if (file->stream != nullptr && std::fclose(file->stream) != 0) failed = true;
  delete file;
  return failed ? 1 : 0;
}

void imBinFileRewind(imBinFile* file) {
  file->error = false;
  file->end_of_file = false;
  if (file->stream == nullptr) {
    file->memory_position = 0;
    return;
  }
  std::clearerr(file->stream);
  if (fseeko(file->stream, 0, SEEK_SET) != 0) {
    file->error = true;
    file->position = -1;
    return;
  }
  file->position = 0;
}

int imBinFileByteOrder(const imBinFile* file) {
  return file->byte_order;
}

void imBinFileSetByteOrder(imBinFile* file, int byte_order) {
  file->byte_order = byte_order;
}

size_t imBinFileRead(imBinFile* file, void* data, size_t count, int item_size) {
  size_t bytes = 0;
  if (file->error) return 0;
  if (!ByteCount(count, item_size, &bytes)) {
    file->error = true;
    return 0;
  }
  if (count == 0) return 0;
  size_t items = 0;
  if (file->stream != nullptr) {
    items = std::fread(data, static_cast<size_t>(item_size), count, file->stream);
    Advance(file, items * static_cast<size_t>(item_size));
    if (items < count) {
      file->error = true;
      file->position = -1;  // a partial item may have been consumed
      if (std::feof(file->stream)) file->end_of_file = true;
    }
  } else {
    int64_t available = file->memory_size - file->memory_position;
    if (available < 0) available = 0;
    size_t whole = static_cast<size_t>(available) / static_cast<size_t>(item_size);
    items = whole < count ? whole : count;
    if (items > 0)
      std::memcpy(data, file->memory + file->memory_position,
                  items * static_cast<size_t>(item_size));
    file->memory_position += static_cast<int64_t>(items) * item_size;
    if (items < count) {
      file->error = true;
      file->end_of_file = true;
    }
  }
  if (NeedsSwap(file, item_size)) SwapItems(static_cast<unsigned char*>(data), items, item_size);
  return items;
}

size_t imBinFileWrite(imBinFile* file, const void* data, size_t count, int item_size) {
  size_t bytes = 0;
  if (file->error) return 0;
  if (file->stream == nullptr || !ByteCount(count, item_size, &bytes)) {
    file->error = true;
    return 0;
  }
  if (count == 0) return 0;
  if (!NeedsSwap(file, item_size)) {
    size_t items = std::fwrite(data, static_cast<size_t>(item_size), count, file->stream);
    Advance(file, items * static_cast<size_t>(item_size));
    if (items < count) file->error = true;
    return items;
  }
  // swap through a small buffer so the caller's data stays untouched
  unsigned char buffer[4096];
  const size_t per_chunk = sizeof buffer / static_cast<size_t>(item_size);
  const unsigned char* source = static_cast<const unsigned char*>(data);
  size_t done = 0;
  while (done < count) {
    size_t n = count - done < per_chunk ? count - done : per_chunk;
    std::memcpy(buffer, source + done * static_cast<size_t>(item_size),
                n * static_cast<size_t>(item_size));
    SwapItems(buffer, n, item_size);
    size_t written = std::fwrite(buffer, static_cast<size_t>(item_size), n, file->stream);
    Advance(file, written * static_cast<size_t>(item_size));
    done += written;
    if (written < n) {
      file->error = true;
      break;
    }
  }
  return done;
}

int imBinFilePrintf(imBinFile* file, const char* format, ...) {
  if (file->error) return -1;
  if (file->stream == nullptr) {
    file->error = true;
    return -1;
  }
  va_list args;
  va_start(args, format);
  int written = std::vfprintf(file->stream, format, args);
  va_end(args);
  if (written < 0)
    file->error = true;
  else
    Advance(file, static_cast<size_t>(written));
  return written;
}

int imBinFileError(const imBinFile* file) {
  return file->error ? 1 : 0;
}

int imBinFileEndOfFile(const imBinFile* file) {
  return file->end_of_file ? 1 : 0;
}

int64_t imBinFileSize(imBinFile* file) {
  if (file->stream == nullptr) return file->memory_size;
  if (file->written_size >= 0) return file->written_size;
  if (file->read_size >= 0) return file->read_size;
  off_t here = ftello(file->stream);
  if (here < 0 || fseeko(file->stream, 0, SEEK_END) != 0) {
    file->error = true;
    return 0;
  }
  off_t size = ftello(file->stream);
  if (fseeko(file->stream, here, SEEK_SET) != 0 || size < 0) {
    file->error = true;
    return 0;
  }
  file->read_size = size;
  return size;
}

namespace {
void SeekMemoryOrStream(imBinFile* file, int64_t offset, int whence) {
  if (file->error) return;
  file->end_of_file = false;
  if (file->stream != nullptr) {
    int64_t target = -1;  // the new position when the layer knows it
    int64_t base = whence == SEEK_SET   ? 0
                   : whence == SEEK_CUR ? file->position
                                        : file->written_size;
    if (base >= 0 && !(offset < 0 && base < -offset) && !(offset > 0 && base > INT64_MAX - offset))
      target = base + offset;
    if (target >= 0 && target == file->position) return;
    if (fseeko(file->stream, static_cast<off_t>(offset), whence) != 0) {
      file->error = true;
      file->position = -1;
      return;
    }
    file->position = target;  // else asked of the stream when needed
    return;
  }
  int64_t base = whence == SEEK_SET   ? 0
                 : whence == SEEK_CUR ? file->memory_position
                                      : file->memory_size;
  if ((offset < 0 && base < -offset) || (offset > 0 && base > INT64_MAX - offset)) {
    file->error = true;
    return;
  }
  file->memory_position = base + offset;
}
}  // namespace

void imBinFileSeekTo(imBinFile* file, int64_t position) {
  SeekMemoryOrStream(file, position, SEEK_SET);
}

void imBinFileSeekOffset(imBinFile* file, int64_t offset) {
  SeekMemoryOrStream(file, offset, SEEK_CUR);
}

void imBinFileSeekFrom(imBinFile* file, int64_t offset_from_end) {
  SeekMemoryOrStream(file, offset_from_end, SEEK_END);
}

int64_t imBinFileTell(imBinFile* file) {
  if (file->stream == nullptr) return file->memory_position;
  if (file->position >= 0) return file->position;
  off_t position = ftello(file->stream);
  if (position < 0) {
    file->error = true;
    return 0;
  }
  file->position = position;
  return position;
}

}  // extern "C"
