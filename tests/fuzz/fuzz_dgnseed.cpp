// libFuzzer target for the DGN driver's seed-file reader, from memory: the
// input is a seed design file handed to the check the driver makes of the
// bytes it read. An accepted seed must end its elements on an
// end-of-design marker inside the input, since the driver copies exactly
// that many bytes into the new file.
#include <cstddef>
#include <cstdint>

#include "cddgn.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  long long length = cdDgnSeedLength(data, size);
  if (length < -1) __builtin_trap();
  if (length >= 0) {
    size_t at = size_t(length);
    if (at % 2 != 0 || at + 2 > size || data[at] != 0xFF || data[at + 1] != 0xFF) __builtin_trap();
  }
  return 0;
}
