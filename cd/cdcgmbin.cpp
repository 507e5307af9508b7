/* The binary CGM decoder (ISO 8632-3): element framing with long forms,
 * partitions and pad bytes, and the parameter types read from an element's
 * bytes. Nothing is read beyond an element or beyond the file. */
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "cdcgmplay.h"

namespace cdcgm {

namespace {

struct Element {
  int cls = 0, id = 0;
  const unsigned char* params = nullptr;
  size_t len = 0;
};

/* Frames the element at pos and moves pos past it; false at the end of
 * the data or when the element does not fit in it. Partitions after the
 * first are gathered in scratch. */
bool Frame(const unsigned char* data, size_t size, size_t& pos, Element& el,
           std::vector<unsigned char>& scratch) {
  if (size - pos < 2) return false;
  unsigned head = unsigned(data[pos]) << 8 | data[pos + 1];
  pos += 2;
  el.cls = int(head >> 12);
  el.id = int((head >> 5) & 0x7F);
  size_t len = head & 31;
  if (len < 31) {
    if (size - pos < len) return false;
    el.params = data + pos;
    el.len = len;
    pos += len + (len & 1);
    if (pos > size) pos = size;
    return true;
  }
  bool first = true, more = true;
  while (more) {
    if (size - pos < 2) return false;
    unsigned word = unsigned(data[pos]) << 8 | data[pos + 1];
    pos += 2;
    size_t part = word & 0x7FFF;
    more = (word & 0x8000) != 0;
    if (size - pos < part) return false;
    if (first && !more) {
      el.params = data + pos;
      el.len = part;
    } else {
      try {
        if (first) scratch.clear();
        scratch.insert(scratch.end(), data + pos, data + pos + part);
      } catch (const std::bad_alloc&) {
        return false;
      }
      el.params = scratch.data();
      el.len = scratch.size();
    }
    first = false;
    pos += part + (part & 1);
    if (pos > size) pos = size;
  }
  return true;
}

int BitsCode(long bits) {
  return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

/* real precision (form, whole or exponent bits, fraction bits) as a code,
 * -1 when not supported */
int RealCode(long form, long a, long b) {
  if (form == 0 && a == 9 && b == 23) return 0;
  if (form == 0 && a == 12 && b == 52) return 1;
  if (form == 1 && a == 16 && b == 16) return 2;
  if (form == 1 && a == 32 && b == 32) return 3;
  return -1;
}

struct BinParams final : Params {
  Reader& r;
  const unsigned char* p;
  size_t len, at = 0;
  int depth;

  BinParams(Reader& reader, const unsigned char* params, size_t length, int nesting)
      : r(reader), p(params), len(length), depth(nesting) {}

  bool Need(size_t n) {
    if (bad || len - at < n) {
      bad = true;
      return false;
    }
    return true;
  }
  uint64_t Unsigned(int bytes) {
    if (!Need(size_t(bytes))) return 0;
    uint64_t v = 0;
    for (int i = 0; i < bytes; i++) v = v << 8 | p[at++];
    return v;
  }
  long Signed(int bits) {
    int bytes = bits / 8;
    uint64_t v = Unsigned(bytes);
    uint64_t sign = uint64_t(1) << (bits - 1);
    return long(int64_t(v ^ sign) - int64_t(sign));
  }
  double RealOf(int code) {
    switch (code) {
      case 0: {
        uint32_t bits = uint32_t(Unsigned(4));
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
      }
      case 1: {
        uint64_t bits = Unsigned(8);
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
      }
      case 2: {
        long whole = Signed(16);
        double fraction = double(Unsigned(2)) / 65536.0;
        return double(float(whole + fraction));
      }
      default: {
        long whole = Signed(32);
        double fraction = double(Unsigned(4)) / 4294967296.0;
        return whole + fraction;
      }
    }
  }

  bool More() override { return !bad && at < len; }
  long Integer() override { return Signed(r.int_bits); }
  long Index() override { return Signed(r.index_bits); }
  int Enumeration(const char* const*, int) override { return int(Signed(16)); }
  double Real() override { return RealOf(r.real_code); }
  /* ISO 8632-3 writes the metric factor as floating point whatever the
   * real precision; writers that follow the real precision instead are
   * read too, told apart by the bytes left in the element */
  double Factor() override {
    size_t left = len - at;
    if (r.real_code == 1 || (left >= 8 && r.real_code != 3)) return RealOf(1);
    if (left >= 8) return RealOf(3);
    return RealOf(0);
  }
  double Vdc() override {
    if (r.vdc_type == 1) return RealOf(r.vdc_real_code);
    return double(Signed(r.vdc_int_bits));
  }
  Rgb Direct() override {
    Rgb c;
    int bytes = r.colour_bits / 8;
    c.r = long(Unsigned(bytes));
    c.g = long(Unsigned(bytes));
    c.b = long(Unsigned(bytes));
    return c;
  }
  long ColourIndex() override { return long(Unsigned(r.colour_index_bits / 8)); }
  bool String(std::string& out) override {
    out.clear();
    size_t n = size_t(Unsigned(1));
    bool more = false;
    if (n == 255) {
      unsigned word = unsigned(Unsigned(2));
      n = word & 0x7FFF;
      more = word & 0x8000;
    }
    for (;;) {
      if (!Need(n)) return false;
      out.append(reinterpret_cast<const char*>(p + at), n);
      at += n;
      if (!more) return true;
      unsigned word = unsigned(Unsigned(2));
      if (bad) return false;
      n = word & 0x7FFF;
      more = word & 0x8000;
    }
  }
  void Precision(int cls, int id) override {
    if (cls == 1 && id == 5) {
      long form = Enumeration(nullptr, 0), a = Integer(), b = Integer();
      int code = RealCode(form, a, b);
      if (!bad && code >= 0) r.real_code = code;
      return;
    }
    if (cls == 3 && id == 2) {
      long form = Enumeration(nullptr, 0), a = Integer(), b = Integer();
      int code = RealCode(form, a, b);
      if (!bad && code >= 0) r.vdc_real_code = code;
      return;
    }
    long bits = Integer();
    if (bad || !BitsCode(bits)) return;
    if (cls == 1 && id == 4) r.int_bits = int(bits);
    if (cls == 1 && id == 6) r.index_bits = int(bits);
    if (cls == 1 && id == 7) r.colour_bits = int(bits);
    if (cls == 1 && id == 8) r.colour_index_bits = int(bits);
    if (cls == 3 && id == 1) r.vdc_int_bits = int(bits);
  }

  /* packed values of 1 to 32 bits, most significant bits first */
  size_t bit = 0; /* bits used of p[at] */
  uint32_t Bits(int n) {
    if (n % 8 == 0 && bit == 0) return uint32_t(Unsigned(n / 8));
    uint32_t v = 0;
    for (int i = 0; i < n; i++) {
      if (!Need(1)) return 0;
      v = v << 1 | ((p[at] >> (7 - bit)) & 1);
      if (++bit == 8) bit = 0, at++;
    }
    return v;
  }
  void AlignRow() {
    if (bit) bit = 0, at++;
    if (at & 1) at++;
    if (at > len) at = len;
  }
  uint32_t Cell(int local, bool indexed) {
    if (indexed) return uint32_t(RgbColour(r, TableColour(r, long(Bits(local)))));
    Rgb c;
    c.r = Bits(local), c.g = Bits(local), c.b = Bits(local);
    return uint32_t(RgbColour(r, c));
  }
  bool CellColours(Reader& rd, long nx, long ny, bool cell_array) override {
    long local = Integer();
    int mode = cell_array ? Enumeration(nullptr, 0) : 1;
    if (bad) return false;
    bool indexed = rd.colour_mode == 0;
    if (local == 0) local = indexed ? rd.colour_index_bits : rd.colour_bits;
    if (local != 1 && local != 2 && local != 4 && local != 8 && local != 16 && local != 24 &&
        local != 32)
      return false;
    int per_cell = int(local) * (indexed ? 1 : 3);
    uint64_t left_bits = uint64_t(len - at) * 8;
    if (uint64_t(nx) > left_bits || uint64_t(ny) > left_bits) return false;
    uint64_t cells = uint64_t(nx) * uint64_t(ny);
    if (mode == 1 && cells * uint64_t(per_cell) > left_bits) return false;
    if (cells > (uint64_t(1) << 25)) return false;
    try {
      rd.cells.resize(size_t(cells));
    } catch (const std::bad_alloc&) {
      return false;
    }
    uint32_t* out = rd.cells.data();
    for (long y = 0; y < ny; y++) {
      if (cell_array) AlignRow();
      if (mode == 1) {
        for (long x = 0; x < nx; x++) *out++ = Cell(int(local), indexed);
      } else { /* runs: a count and a colour until the row is full */
        long x = 0;
        while (x < nx && !bad) {
          long count = Integer();
          uint32_t c = Cell(int(local), indexed);
          if (bad) break;
          for (; count > 0 && x < nx; count--, x++) *out++ = c;
        }
      }
      if (bad) return false;
    }
    return true;
  }
  int Defaults(Reader& rd) override;
};

void RunElements(Reader& r, const unsigned char* data, size_t size, int depth, bool count) {
  std::vector<unsigned char> scratch;
  size_t pos = 0;
  for (;;) {
    Element el;
    if (!Frame(data, size, pos, el, scratch)) return;
    if (count) Counter(r, pos);
    /* a defaults replacement inside another one is skipped */
    if (depth > 0 && el.cls == 1 && el.id == 12) continue;
    BinParams p(r, el.params, el.len, depth);
    if (Execute(r, p, el.cls, el.id, false)) return;
  }
}

int BinParams::Defaults(Reader& rd) {
  RunElements(rd, p + at, len - at, depth + 1, false);
  at = len;
  return 0;
}

}  // namespace

void PlayBinary(Reader& r, const unsigned char* data, size_t size) {
  RunElements(r, data, size, 0, true);
}

}  // namespace cdcgm
