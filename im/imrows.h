/* Row conversions the drivers share: three planes interleaved into the
 * pixel rows of a file, and back. Internal to im/. */
#ifndef VARKO_IM_IMROWS_H
#define VARKO_IM_IMROWS_H

namespace imrows {

/* out = first[0] second[0] third[0] first[1] ... : count pixels, 3 * count
 * bytes (the planes in file order, e.g. blue, green, red for BMP). */
void Interleave(const unsigned char* first, const unsigned char* second, const unsigned char* third,
                int count, unsigned char* out);

/* The reverse: 3 * count bytes of in split into three planes. */
void Deinterleave(const unsigned char* in, int count, unsigned char* first, unsigned char* second,
                  unsigned char* third);

}  // namespace imrows

#endif
