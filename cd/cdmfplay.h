/* The metafile player's entries for the driver descriptor (cdmf.cpp). */
#ifndef VARKO_CDMFPLAY_H
#define VARKO_CDMFPLAY_H

#include "cd.h"

namespace cdmf {

/* reads the file named by data and plays it (cdPlayMetafileBuffer) */
int PlayFile(int xmin, int xmax, int ymin, int ymax, void* data);
/* CD_SIZECB only; CD_ERROR for other identifiers */
int RegisterCallback(int cb, cdCallback func);

}  // namespace cdmf

#endif
