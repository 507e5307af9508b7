/* The list of the canvas library's drivers (cddrivers.cpp). */
#ifndef VARKO_CDDRIVERS_H
#define VARKO_CDDRIVERS_H

#include "cdregistry.h"

/* Lists every built-in driver in the driver registry, in its fixed order,
 * the first time it is called; later calls do nothing. A program calls it
 * at start, before listing drivers of its own (cdListDriver), which then
 * follow the built-in ones. The script binding calls it when it opens. */
void cdOpenDrivers(void);

#endif
