// libFuzzer target for one format reader, chosen at build time by
// VARKO_FUZZ_DRIVER (the driver table's name): the input, as a memory file,
// is offered to that driver's sniffer and reader directly and then to the
// registry (detection, info, load).
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "imformat.h"

namespace {

constexpr int64_t kMaxPixels = 1 << 22;  // larger headers are checked, not loaded
constexpr const char* kName = "fuzz input";

using Source = std::unique_ptr<imBinFile, int (*)(imBinFile*)>;

Source OpenMemory(const uint8_t* data, size_t size) {
  return Source(imBinFileOpenMemory(data, size, IM_LITTLEENDIAN), imBinFileClose);
}

void ReadThroughDriver(imFormat& driver, const uint8_t* data, size_t size) {
  // a sniffer sees at most the prefix detection shows it
  const size_t prefix = size < IM_SNIFF_BYTES ? size : IM_SNIFF_BYTES;
  const bool sniffed = driver.sniff == nullptr || driver.sniff(data, prefix) != 0;
  Source source = OpenMemory(data, size);
  if (!source) return;
  int error = 0;
  imFile* f = driver.read_open(source.get(), kName, &error);
  // a file the sniffer turned away is one the reader does not know either
  if (!sniffed && error != IM_ERR_FORMAT) __builtin_trap();
  if (f == nullptr) return;
  if (error == IM_ERR_NONE && static_cast<int64_t>(f->width) * f->height <= kMaxPixels) {
    std::vector<unsigned char> r(static_cast<size_t>(f->width)), g(r), b(r);
    std::vector<uint32_t> palette(256);
    if (f->type == IM_MAP) error = driver.read_palette(f, palette.data());
    int lines = f->planar ? 3 * f->height : f->height;
    for (int i = 0; i < lines && error == IM_ERR_NONE; ++i) {
      if (f->cur_row < 0 || f->cur_row >= f->height) __builtin_trap();  // row out of the image
      error = f->type == IM_MAP || f->planar
                  ? driver.read_line_map(f, r.data())
                  : driver.read_line_rgb(f, r.data(), g.data(), b.data());
    }
  }
  driver.close(f);
}

void ReadThroughRegistry(const uint8_t* data, size_t size) {
  Source source = OpenMemory(data, size);
  if (!source) return;
  int width = 0, height = 0, type = 0, pal_count = 0;
  if (imImageInfoFrom(source.get(), kName, &width, &height, &type, &pal_count) != IM_ERR_NONE)
    return;
  if (width <= 0 || height <= 0 || static_cast<int64_t>(width) * height > kMaxPixels) return;
  size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<unsigned char> r(n), g(n), b(n);
  std::vector<uint32_t> palette(256);
  if (type == IM_MAP)
    imLoadMapFrom(source.get(), kName, width, height, r.data(), palette.data(), 256);
  imLoadRGBFrom(source.get(), kName, width, height, r.data(), g.data(), b.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadThroughDriver(VARKO_FUZZ_DRIVER, data, size);
  ReadThroughRegistry(data, size);
  return 0;
}
