// libFuzzer target for one format reader, chosen at build time by
// VARKO_FUZZ_DRIVER (the driver table's name): the input is offered to that
// driver directly and then to the registry (detection, info, load), through
// a memory file reached by its /proc/self/fd path.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "imformat.h"

namespace {

constexpr int64_t kMaxPixels = 1 << 22;  // larger headers are checked, not loaded

const char* MemoryPath(const uint8_t* data, size_t size) {
  static int fd = memfd_create("varko_fuzz", 0);
  static char path[64];
  if (fd < 0 || ftruncate(fd, 0) != 0) return nullptr;
  if (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return nullptr;
  std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
  return path;
}

void ReadThroughDriver(imFormat& driver, const char* path) {
  int error = 0;
  imFile* f = driver.read_open(path, &error);
  if (f == nullptr) return;
  if (error == IM_ERR_NONE && static_cast<int64_t>(f->width) * f->height <= kMaxPixels) {
    std::vector<unsigned char> r(static_cast<size_t>(f->width)), g(r), b(r);
    std::vector<uint32_t> palette(256);
    if (f->type == IM_MAP) error = driver.read_palette(f, palette.data());
    int lines = f->planar ? 3 * f->height : f->height;
    for (int i = 0; i < lines && error == IM_ERR_NONE; ++i) {
      if (f->cur_row < 0 || f->cur_row >= f->height) __builtin_trap();  // row out of the image
      error = f->type == IM_MAP || f->planar ? driver.read_line_map(f, r.data())
                                             : driver.read_line_rgb(f, r.data(), g.data(), b.data());
    }
  }
  driver.close(f);
}

void ReadThroughRegistry(const char* path) {
  int width = 0, height = 0, type = 0, pal_count = 0;
  if (imImageInfo(path, &width, &height, &type, &pal_count) != IM_ERR_NONE) return;
  if (width <= 0 || height <= 0 || static_cast<int64_t>(width) * height > kMaxPixels) return;
  size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<unsigned char> r(n), g(n), b(n);
  std::vector<uint32_t> palette(256);
  if (type == IM_MAP) imLoadMapSized(path, width, height, r.data(), palette.data(), 256);
  imLoadRGBSized(path, width, height, r.data(), g.data(), b.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* path = MemoryPath(data, size);
  if (path == nullptr) return 0;
  ReadThroughDriver(VARKO_FUZZ_DRIVER, path);
  ReadThroughRegistry(path);
  return 0;
}
