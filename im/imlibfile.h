/* The file side shared by the drivers that code through a library (TIFF,
 * JPEG, PNG): checking that a source's first bytes carry the format's
 * signature, making the driver's zeroed state with the file record that
 * points at it, and letting go of the binary file of a state. Each state is
 * plain data with the members `bin` (its file: borrowed when reading, owned
 * when writing) and `writing`. Internal to im/. */
#ifndef VARKO_IM_IMLIBFILE_H
#define VARKO_IM_IMLIBFILE_H

#include <cstddef>
#include <cstdlib>

#include "imcodec.h"
#include "imrows.h"

namespace imlibfile {

/* True when the first size bytes of a sniffer's prefix pass signature. */
inline bool Signed(const unsigned char* prefix, size_t size, size_t count,
                   bool (*signature)(const unsigned char*)) {
  return size >= count && signature(prefix);
}

/* True when source (standing at its start) begins with count bytes (at most
 * 16) that pass signature; it is set to byte_order and left at its start.
 * False with IM_ERR_OPEN (no source) or IM_ERR_FORMAT otherwise. */
inline bool StartSigned(imBinFile* source, int byte_order, size_t count,
                        bool (*signature)(const unsigned char*), int* error) {
  if (source == nullptr) {
    *error = IM_ERR_OPEN;
    return false;
  }
  imBinFileSetByteOrder(source, byte_order);
  unsigned char first[16];
  if (count > sizeof first || imBinFileRead(source, first, count, 1) != count ||
      !signature(first)) {
    *error = IM_ERR_FORMAT;
    return false;
  }
  imBinFileSeekTo(source, 0);
  return true;
}

/* Closes the state's file when it owns it (writing) and forgets it; a
 * written file whose close fails gives true. */
template <class S>
bool DropBin(S* s) {
  imBinFile* bin = s->bin;
  s->bin = nullptr;
  return bin != nullptr && s->writing && imBinFileClose(bin) != 0;
}

/* A zeroed state S with bin, and in *file its record (plane order 0, 1, 2)
 * pointing at it. When memory runs out both are freed, a written bin is
 * closed and the result is null with IM_ERR_WRITE or IM_ERR_READ. */
template <class S>
S* NewState(imBinFile* bin, int writing, imFile** file, int* error) {
  S* s = static_cast<S*>(std::calloc(1, sizeof(S)));
  imFile* f = static_cast<imFile*>(std::calloc(1, sizeof(imFile)));
  if (s == nullptr || f == nullptr) {
    std::free(s);
    std::free(f);
    if (writing) imBinFileClose(bin);
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

/* Lets go of the state's file now (closing it when written); a written
 * file whose close fails turns result into IM_ERR_WRITE. */
template <class S>
int CloseBin(S* s, int result) {
  return DropBin(s) ? IM_ERR_WRITE : result;
}

/* The callback registration of a driver that takes none of its own. */
inline int NoCallback(imCallback, int) {
  return 0;
}

}  // namespace imlibfile

#endif
