/* What a format driver provides to the registry, and the file record its
 * open operations make. Only the registry and the drivers include this. */
#ifndef VARKO_IM_IMFORMAT_H
#define VARKO_IM_IMFORMAT_H

#include <stddef.h>

#include "im.h"
#include "imfile.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Made by a driver's open operations and read by the registry core. */
typedef struct imFile {
  int width, height;
  int type;        /* IM_RGB or IM_MAP */
  int compression; /* 0, 256 or 512 */
  int pal_count;
  int planar; /* RGB stored as three whole planes, read and written with the map-line operations */
  int plane[3]; /* plane order, normally 0, 1, 2 */
  /* Row of the image buffer the next line belongs to. The driver starts it at
   * 0 or height - 1 and steps it after every line (and, when planar, resets
   * it for every plane), so files stored top-down land bottom-up in memory. */
  int cur_row;
  int palette_after; /* writing: the palette is written after the lines */
  void* data;        /* the driver's own state */
} imFile;

/* How many first bytes of a file detection shows the sniffers. */
#define IM_SNIFF_BYTES 128

/* Ten operations in this order, then the sniffer. A map-only format leaves
 * the RGB line operations null. Line operations return IM_ERR_NONE or an
 * error code; close returns IM_ERR_NONE, or IM_ERR_WRITE when finishing a
 * written file failed. Every operation must leave no allocation behind on
 * failure.
 *
 * read_open reads from source, an open file or memory standing at its
 * start, which it borrows: the caller closes it after close (or after a
 * failed read_open). file_name is only what the callbacks are told. It
 * returns null with the error, except that a driver which knows the file but
 * answers IM_ERR_TYPE or IM_ERR_COMP may return its record with the header
 * fields filled: the registry reports them through imFileFormat and
 * imImageInfo and then calls close. write_open creates file_name and gets
 * the compression field of the format code: 0, 256 or 512; it checks what it
 * is asked for before it creates anything.
 *
 * sniff looks at the first bytes of a file (IM_SNIFF_BYTES, fewer when the
 * file is shorter) and answers non-zero when they may be this format's. It
 * answers 0 only where read_open would answer IM_ERR_FORMAT before
 * reporting anything, so detection skips the reader without changing what
 * it finds. A null sniff offers every file to read_open. */
typedef struct imFormat {
  int id; /* assigned at registration */
  int (*register_callback)(imCallback callback, int kind);
  imFile* (*read_open)(imBinFile* source, const char* file_name, int* error);
  imFile* (*write_open)(const char* file_name, int width, int height, int type, int compression,
                        int pal_count, int* error);
  int (*close)(imFile* file);
  int (*read_palette)(imFile* file, uint32_t* palette);
  int (*write_palette)(imFile* file, const uint32_t* palette);
  int (*read_line_map)(imFile* file, unsigned char* line);
  int (*write_line_map)(imFile* file, const unsigned char* line);
  int (*read_line_rgb)(imFile* file, unsigned char* red, unsigned char* green, unsigned char* blue);
  int (*write_line_rgb)(imFile* file, const unsigned char* red, const unsigned char* green,
                        const unsigned char* blue);
  int (*sniff)(const unsigned char* prefix, size_t size);
} imFormat;

/* The built-in drivers, one module each. */
#define IM_FORMAT(name) extern imFormat imFormat##name;
#include "imformatlist.h"
#undef IM_FORMAT

/* The read operations of im.h over an open source (a file or memory) that
 * the caller keeps and closes; file_name is only what the callbacks are
 * told. Detection rewinds the source for every reader it tries. The loads
 * take the sizes of their buffers as imLoadRGBSized and imLoadMapSized do. */
int imFileFormatFrom(imBinFile* source, const char* file_name, int* format);
int imImageInfoFrom(imBinFile* source, const char* file_name, int* width, int* height, int* type,
                    int* pal_count);
int imLoadRGBFrom(imBinFile* source, const char* file_name, int width, int height,
                  unsigned char* red, unsigned char* green, unsigned char* blue);
int imLoadMapFrom(imBinFile* source, const char* file_name, int width, int height,
                  unsigned char* map, uint32_t* palette, int pal_capacity);

/* The global resolution callback, or null; readers report through it and
 * writers ask it for the resolution to store. */
imResolutionCallback imGetResolutionCallback(void);

#ifdef __cplusplus
}
#endif

#endif
