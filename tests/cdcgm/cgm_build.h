// Builds binary metafiles element by element for the player's tests
// (ISO 8632-3 framing: short form up to 30 bytes, long form beyond).
#ifndef VARKO_TESTS_CDCGM_CGM_BUILD_H
#define VARKO_TESTS_CDCGM_CGM_BUILD_H

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

namespace cgmtest {

inline std::string I16(long v) {
  return std::string{char((v >> 8) & 255), char(v & 255)};
}
inline std::string I32(long v) {
  return std::string{char((v >> 24) & 255), char((v >> 16) & 255), char((v >> 8) & 255),
                     char(v & 255)};
}
inline std::string U8(long v) {
  return std::string(1, char(v & 255));
}
inline std::string Str(const std::string& s) {
  return U8(long(s.size())) + s;
}
inline std::string F32(float f) {
  uint32_t b;
  std::memcpy(&b, &f, 4);
  return I32(long(b));
}
// points at 16-bit integer VDC
inline std::string Pts(std::initializer_list<int> xy) {
  std::string out;
  for (int v : xy) out += I16(v);
  return out;
}

struct Cgm {
  std::string bytes;
  Cgm& El(int cls, int id, const std::string& params = "", bool long_form = false) {
    unsigned head = unsigned(cls) << 12 | unsigned(id) << 5;
    if (params.size() <= 30 && !long_form) {
      bytes += I16(long(head | params.size()));
    } else {
      bytes += I16(long(head | 31));
      bytes += I16(long(params.size()));
    }
    bytes += params;
    if (params.size() & 1) bytes += '\0';
    return *this;
  }
  // BEGIN METAFILE, BEGIN PICTURE, VDC EXTENT (0, 0)-(w, h), BEGIN PICTURE BODY
  Cgm& Start(int w = 100, int h = 100) {
    El(0, 1, Str("test"));
    El(0, 3, Str("p"));
    El(2, 6, Pts({0, 0, w, h}));
    El(0, 4);
    return *this;
  }
  Cgm& End() {
    El(0, 5);
    El(0, 2);
    return *this;
  }
  Cgm& Line(int x1, int y1, int x2, int y2) { return El(4, 1, Pts({x1, y1, x2, y2})); }
};

}  // namespace cgmtest

#endif
