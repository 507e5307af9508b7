/* The file side shared by the drivers that code through a library (TIFF,
 * JPEG, PNG): opening a file whose first bytes must carry the format's
 * signature, making the driver's zeroed state with the file record that
 * points at it, and closing the binary file of a state. Each state is plain
 * data with the members `bin` (its open file) and `writing`. Internal to
 * im/. */
#ifndef VARKO_IM_IMLIBFILE_H
#define VARKO_IM_IMLIBFILE_H

#include <cstddef>
#include <cstdlib>

#include "imcodec.h"
#include "imrows.h"

namespace imlibfile {

/* Opens file_name for reading when its first count bytes (at most 16) pass
 * signature, and leaves it at its start; null with IM_ERR_OPEN or
 * IM_ERR_FORMAT otherwise. */
inline imBinFile* OpenSigned(const char* file_name, int byte_order, size_t count,
                             bool (*signature)(const unsigned char*), int* error) {
  imBinFile* bin = imBinFileOpen(file_name, byte_order);
  if (bin == nullptr) {
    *error = IM_ERR_OPEN;
    return nullptr;
  }
  unsigned char first[16];
  if (count > sizeof first || imBinFileRead(bin, first, count, 1) != count || !signature(first)) {
    imBinFileClose(bin);
    *error = IM_ERR_FORMAT;
    return nullptr;
  }
  imBinFileSeekTo(bin, 0);
  return bin;
}

/* A zeroed state S owning bin, and in *file its record (plane order 0, 1, 2)
 * pointing at it. When memory runs out both are freed, bin is closed and
 * the result is null with IM_ERR_WRITE or IM_ERR_READ. */
template <class S>
S* NewState(imBinFile* bin, int writing, imFile** file, int* error) {
  S* s = static_cast<S*>(std::calloc(1, sizeof(S)));
  imFile* f = static_cast<imFile*>(std::calloc(1, sizeof(imFile)));
  if (s == nullptr || f == nullptr) {
    std::free(s);
    std::free(f);
    imBinFileClose(bin);
    *error = writing ? IM_ERR_WRITE : IM_ERR_READ;
    return nullptr;
  }
  s->bin = bin;
  s->writing = writing;
  f->plane[1] = 1;
  f->plane[2] = 2;
  f->data = s;
  *file = f;
  return s;
}

/* Checks what a writer is asked for (a valid size; a map with 1 to 256
 * colours or RGB), creates file_name and makes the state for it, its record
 * holding size, type and palette count, rows top-down from the first line.
 * Null with IM_ERR_TYPE, IM_ERR_OPEN or IM_ERR_WRITE otherwise. */
template <class S>
S* NewWriteState(const char* file_name, int byte_order, int width, int height, int type,
                 int pal_count, imFile** file, int* error) {
  if (!imcodec::WriteRequestOk(width, height, type, pal_count)) {
    *error = IM_ERR_TYPE;
    return nullptr;
  }
  imBinFile* bin = imBinFileNew(file_name, byte_order);
  if (bin == nullptr) {
    *error = IM_ERR_OPEN;
    return nullptr;
  }
  S* s = NewState<S>(bin, 1, file, error);
  if (s == nullptr) return nullptr;
  imFile* f = *file;
  f->width = width;
  f->height = height;
  f->type = type;
  f->pal_count = type == IM_MAP ? pal_count : 0;
  f->cur_row = height - 1;
  return s;
}

/* Closes the state's file now; a written file whose close fails turns
 * result into IM_ERR_WRITE. */
template <class S>
int CloseBin(S* s, int result) {
  imBinFile* bin = s->bin;
  s->bin = nullptr;
  if (bin != nullptr && imBinFileClose(bin) != 0 && s->writing) return IM_ERR_WRITE;
  return result;
}

/* The callback registration of a driver that takes none of its own. */
inline int NoCallback(imCallback, int) { return 0; }

}  // namespace imlibfile

#endif
