/* The image library: image maps, RGB images and palettes with their
 * conversions, and loading and saving them through the format registry.
 *
 * Pixel (x, y) of a map or plane is byte x + y * width; row 0 is the bottom
 * line of the picture. Colours are encoded as red * 65536 + green * 256 +
 * blue in 32 bits. */
#ifndef VARKO_IM_H
#define VARKO_IM_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* format identifiers IM_BMP, IM_PCX, ...: the registration order of the
 * built-in drivers, listed in imformatlist.h */
enum {
#define IM_FORMAT(name) IM_##name,
#include "imformatlist.h"
#undef IM_FORMAT
};

/* compression choice; inside a format code it sits in bits 8-15 */
enum { IM_NONE = 0, IM_DEFAULT = 1, IM_COMPRESSED = 2 };

enum { IM_RGB = 0, IM_MAP = 1 };

enum {
  IM_ERR_NONE = 0,
  IM_ERR_OPEN = 1,   /* the file could not be opened */
  IM_ERR_READ = 2,   /* read error or malformed content */
  IM_ERR_WRITE = 3,  /* write error */
  IM_ERR_FORMAT = 4, /* no driver recognises the file */
  IM_ERR_TYPE = 5,   /* image type, depth or size not supported */
  IM_ERR_COMP = 6    /* compression not supported */
};

/* A transfer interrupted by the progress callback returns this. */
#define IM_INTERRUPTED (-1)

/* Largest pixel count any reader, writer or conversion accepts. */
#define IM_MAX_PIXELS (1024LL * 1024 * 1024)

/* ---- image maps, palettes and conversions ---- */

uint32_t imEncodeColor(unsigned char red, unsigned char green, unsigned char blue);
/* A null destination is skipped. */
void imDecodeColor(uint32_t color, unsigned char* red, unsigned char* green, unsigned char* blue);

/* True when width and height are positive and width * height is at most
 * IM_MAX_PIXELS. Every operation below checks its sizes with it and does
 * nothing (or fails) otherwise. */
int imValidSize(int width, int height);

void imMap2RGB(int width, int height, const unsigned char* map, int pal_count,
               const uint32_t* palette, unsigned char* red, unsigned char* green,
               unsigned char* blue);
void imRGB2Gray(int width, int height, const unsigned char* red, const unsigned char* green,
                const unsigned char* blue, unsigned char* gray_map, uint32_t* gray_palette);
void imMap2Gray(int width, int height, const unsigned char* map, int pal_count,
                const uint32_t* palette, unsigned char* gray_map, uint32_t* gray_palette);
/* Fills the map and up to pal_count palette entries (a count outside 1..256
 * means 256). Returns the number of palette entries the map uses, or 0 when
 * the sizes are invalid or memory runs out. */
int imRGB2Map(int width, int height, const unsigned char* red, const unsigned char* green,
              const unsigned char* blue, unsigned char* map, int pal_count, uint32_t* palette);
/* Nearest-neighbour copy of one plane. Returns IM_ERR_NONE, or IM_ERR_TYPE
 * for invalid sizes (nothing is written then). */
int imStretch(int src_width, int src_height, const unsigned char* src, int dst_width,
              int dst_height, unsigned char* dst);

/* ---- files ---- */

int imFileFormat(const char* file_name, int* format);
int imImageInfo(const char* file_name, int* width, int* height, int* type, int* pal_count);
int imLoadRGB(const char* file_name, unsigned char* red, unsigned char* green, unsigned char* blue);
int imLoadMap(const char* file_name, unsigned char* map, uint32_t* palette);
int imSaveRGB(int width, int height, int format, const unsigned char* red,
              const unsigned char* green, const unsigned char* blue, const char* file_name);
int imSaveMap(int width, int height, int format, const unsigned char* map, int pal_count,
              const uint32_t* palette, const char* file_name);

/* As imLoadRGB and imLoadMap, but the caller states the sizes of its buffers:
 * a file whose width and height differ, or whose palette has more entries
 * than pal_capacity, is refused with IM_ERR_TYPE before anything is
 * written. The script binding loads only through these. */
int imLoadRGBSized(const char* file_name, int width, int height, unsigned char* red,
                   unsigned char* green, unsigned char* blue);
int imLoadMapSized(const char* file_name, int width, int height, unsigned char* map,
                   uint32_t* palette, int pal_capacity);

const char* imVersion(void);

/* ---- callbacks ---- */

enum { IM_CB_PROGRESS = 0, IM_CB_RESOLUTION = 1 };
/* percent 0..100; writing is 0 when reading. Non-zero interrupts. */
typedef int (*imProgressCallback)(const char* file_name, int percent, int writing);
/* unit: 0 none, 1 pixels per inch, 2 pixels per centimetre */
typedef int (*imResolutionCallback)(const char* file_name, double* xres, double* yres, int* unit);
/* Stored as a generic pointer and called as the type of its kind. */
typedef void (*imCallback)(void);

/* format -1 sets the global callback of that kind; another format passes it
 * to that driver. Returns 1 when stored, 0 otherwise. */
int imSetCallback(imCallback callback, int kind, int format);

struct imFormat;
/* Appends a driver to the registry and returns its identifier. */
int imAddFormat(struct imFormat* driver);

#ifdef __cplusplus
}
#endif

#endif
