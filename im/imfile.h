/* The binary file layer the format drivers read and write through.
 *
 * A file has a byte order fixed by its driver; 16, 32 and 64-bit words are
 * swapped when it differs from the machine's. Errors are sticky: after the
 * first failed read or write every later one fails too and
 * imBinFileError() says so. A file may also be backed by a memory buffer,
 * so that tests and fuzzers feed the readers without touching the disk. */
#ifndef VARKO_IM_IMFILE_H
#define VARKO_IM_IMFILE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { IM_LITTLEENDIAN = 0, IM_BIGENDIAN = 1 };

typedef struct imBinFile imBinFile;

/* "rb": null when the file cannot be opened. */
imBinFile* imBinFileOpen(const char* file_name, int byte_order);
/* "wb": null when the file cannot be created. */
imBinFile* imBinFileNew(const char* file_name, int byte_order);
/* Reads from a copy-free view of size bytes; the memory must outlive the file. */
imBinFile* imBinFileOpenMemory(const void* data, size_t size, int byte_order);
/* Returns 0, or 1 when an error happened on the file or its final flush or
 * close failed. The file is released in every case. */
int imBinFileClose(imBinFile* file);

/* Back to the start of a file being read, its error and end-of-file flags
 * cleared: detection offers one open file to one reader after another. */
void imBinFileRewind(imBinFile* file);

int imBinFileByteOrder(const imBinFile* file);
void imBinFileSetByteOrder(imBinFile* file, int byte_order);

/* count items of item_size bytes (1, 2, 4 or 8); multi-byte items are
 * swapped to and from the file's byte order. Return the items transferred. */
size_t imBinFileRead(imBinFile* file, void* data, size_t count, int item_size);
size_t imBinFileWrite(imBinFile* file, const void* data, size_t count, int item_size);
int imBinFilePrintf(imBinFile* file, const char* format, ...) __attribute__((format(printf, 2, 3)));

int imBinFileError(const imBinFile* file);
/* Set when a read stopped at the end of the file. */
int imBinFileEndOfFile(const imBinFile* file);
int64_t imBinFileSize(imBinFile* file);
void imBinFileSeekTo(imBinFile* file, int64_t position);
void imBinFileSeekOffset(imBinFile* file, int64_t offset);
/* As fseek with SEEK_END: the new position is the size plus the offset, so
 * the last 769 bytes start at imBinFileSeekFrom(file, -769). */
void imBinFileSeekFrom(imBinFile* file, int64_t offset_from_end);
int64_t imBinFileTell(imBinFile* file);

#ifdef __cplusplus
}
#endif

#endif
