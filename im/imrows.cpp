// Interleaving planes into pixel rows and back. Saving RGB spends much of
// its time here, so on x86-64 sixteen pixels are interleaved at a time.
#include "imrows.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace imrows {
namespace {

#if defined(__SSE2__)
// Four pixels held as 32-bit words (three bytes and a zero) packed into 12
// bytes at out, by two 8-byte stores of which the second overlaps the
// first's two spare bytes: 2 bytes past the 12 are overwritten.
inline void PutFour(__m128i pixels, unsigned char* out) {
  const __m128i first = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
  const __m128i second = _mm_set_epi32(0x0000FFFF, static_cast<int>(0xFF000000u), 0x0000FFFF,
                                       static_cast<int>(0xFF000000u));
  __m128i six =
      _mm_or_si128(_mm_and_si128(pixels, first), _mm_and_si128(_mm_srli_epi64(pixels, 8), second));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), six);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 6), _mm_srli_si128(six, 8));
}
#endif

}  // namespace

void Interleave(const unsigned char* first, const unsigned char* second, const unsigned char* third,
                int count, unsigned char* out) {
  int x = 0;
#if defined(__SSE2__)
  // a pixel more must follow, as the last store reaches 2 bytes past the group
  const __m128i zero = _mm_setzero_si128();
  for (; x + 17 <= count; x += 16, out += 48) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + x));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(second + x));
    __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(third + x));
    __m128i ab_low = _mm_unpacklo_epi8(a, b), ab_high = _mm_unpackhi_epi8(a, b);
    __m128i c_low = _mm_unpacklo_epi8(c, zero), c_high = _mm_unpackhi_epi8(c, zero);
    PutFour(_mm_unpacklo_epi16(ab_low, c_low), out);
    PutFour(_mm_unpackhi_epi16(ab_low, c_low), out + 12);
    PutFour(_mm_unpacklo_epi16(ab_high, c_high), out + 24);
    PutFour(_mm_unpackhi_epi16(ab_high, c_high), out + 36);
  }
#endif
  for (; x < count; ++x, out += 3) out[0] = first[x], out[1] = second[x], out[2] = third[x];
}

void Deinterleave(const unsigned char* in, int count, unsigned char* first, unsigned char* second,
                  unsigned char* third) {
  for (int x = 0; x < count; ++x, in += 3) first[x] = in[0], second[x] = in[1], third[x] = in[2];
}

}  // namespace imrows
