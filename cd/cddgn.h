/* The DGN driver's seed files from memory. The driver (CD_DGN, in cd.h)
 * reads a seed named by "-sNAME" whole and copies its elements into the new
 * design file ahead of its own; this is the check it makes of those bytes. */
#ifndef VARKO_CDDGN_H
#define VARKO_CDDGN_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The length in bytes of the seed's elements before its end-of-design
 * marker, or -1 when the bytes are not a two-dimensional design file (an
 * element running past the end, no marker, or a three-dimensional design
 * header). A seed answered -1 fails the canvas' creation. */
long long cdDgnSeedLength(const unsigned char* data, size_t size);

#ifdef __cplusplus
}
#endif

#endif
