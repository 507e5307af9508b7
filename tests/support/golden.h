// Reference files for the tests: one switch for all of them. A test renders
// its picture or file, then hands the bytes to ExpectGolden, which compares
// them byte for byte with the committed reference. With VARKO_UPDATE_GOLDENS=1
// in the environment the references are rewritten instead; look at every
// rewritten one (and have its independent reader accept it) before committing.
#ifndef VARKO_TESTS_SUPPORT_GOLDEN_H
#define VARKO_TESTS_SUPPORT_GOLDEN_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace golden {

inline bool Updating() {
  return std::getenv("VARKO_UPDATE_GOLDENS") != nullptr;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return bool(out);
}

// Compares bytes with the reference at path; on a difference the bytes go to
// "<file name>.actual" in the working folder for a look.
inline void Expect(const std::string& path, const std::string& bytes) {
  if (Updating()) {
    EXPECT_TRUE(WriteFile(path, bytes)) << "cannot write " << path;
    return;
  }
  std::string want = ReadFile(path);
  ASSERT_FALSE(want.empty()) << "missing reference " << path;
  if (want == bytes) return;
  std::string name = path.substr(path.find_last_of('/') + 1) + ".actual";
  WriteFile(name, bytes);
  size_t differing = 0;
  for (size_t i = 0; i < want.size() && i < bytes.size(); i++) differing += want[i] != bytes[i];
  ADD_FAILURE() << path << " differs: " << bytes.size() << " bytes against " << want.size() << ", "
                << differing << " differing in the common part; see " << name;
}

// Three planes of w x h bytes, row 0 at the bottom, as binary PPM (top row first).
inline std::string Ppm(int w, int h, const unsigned char* r, const unsigned char* g,
                       const unsigned char* b) {
  std::string out = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
  out.reserve(out.size() + size_t(w) * size_t(h) * 3);
  for (int y = h - 1; y >= 0; y--)
    for (int x = 0; x < w; x++) {
      size_t i = size_t(y) * size_t(w) + size_t(x);
      out += char(r[i]), out += char(g[i]), out += char(b[i]);
    }
  return out;
}

}  // namespace golden

#endif
