// The two mask notations compiled from untrusted text: the bytes up to the
// first newline are the pattern, the rest a text matched against it (both
// the regular-expression masks of text fields and matrix cells, and the
// "MASK" attribute of a TEXT).
#include <cstddef>
#include <cstdint>
#include <string>

#include "mask.h"
#include "nativemask.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;  // the machines are run once per typed key: short texts
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\n');
  const std::string pattern = input.substr(0, cut);
  const std::string text = cut == std::string::npos ? std::string() : input.substr(cut + 1);
  if (auto m = mask::Machine::Compile(pattern)) {
    m->Test(text, false);
    m->Test(text, true);
    m->Forced(text, false);
  }
  iup::nativemask::Mask native;
  if (iup::nativemask::Compile(pattern.c_str(), &native)) {
    iup::nativemask::Test(native, text);
    iup::nativemask::Forced(native, text);
  }
  return 0;
}
