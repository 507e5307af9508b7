// libFuzzer target for the DGN driver's seed-file reader: the input is a
// seed design file, offered through a memory file reached by its
// /proc/self/fd path; a canvas that accepts it draws a line into /dev/null.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "cd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int fd = memfd_create("varko_fuzz_seed", 0);
  if (fd < 0 || ftruncate(fd, 0) != 0) return 0;
  if (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
  std::string options = "/dev/null 10x10 -s/proc/self/fd/" + std::to_string(fd);
  cdCanvasHandle canvas = cdCreateCanvas(CD_DGN, options.data());
  if (canvas == nullptr) return 0;
  cdActivate(canvas);
  cdLine(0, 0, 5, 5);
  cdKillCanvas(canvas);
  return 0;
}
