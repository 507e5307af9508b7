/* The driver registry: every driver a program can name, numbered in the
 * order they were listed. The list of built-in drivers fills it
 * (cd/win/cddrivers.cpp, cdOpenDrivers); a program may list drivers of its
 * own after that. The core keeps the registry so that code linking only the
 * core (the chart library) finds a driver by name at run time, whatever
 * library the driver lives in. The script binding numbers its CD_* driver
 * constants from it. */
#ifndef VARKO_CDREGISTRY_H
#define VARKO_CDREGISTRY_H

#include "cddriver.h"

struct cdDriverEntry {
  const char* name;     /* "CD_PS" */
  cdDataKind data_kind; /* what its creation data is */
  cdDriver* driver;     /* null: reserved for a driver not built yet */
};

/* Lists a driver under its descriptor's name and returns its number. A
 * driver already listed keeps its number; a placeholder of the same name
 * is taken over (the driver gets the reserved number). -1 when the driver
 * has no name or memory runs out. */
int cdListDriver(cdDriver* driver);
/* Reserves the next number for a driver not built yet. */
int cdListPlaceholder(const char* name, cdDataKind data_kind);

int cdDriverCount(void);
/* The entry of a number, or null outside 0 .. count - 1. */
const cdDriverEntry* cdDriverAt(int number);
/* The number of a listed driver, or -1. */
int cdDriverNumber(const cdDriver* driver);
/* The listed driver of that name; null when unlisted or not built. */
cdDriver* cdFindDriver(const char* name);

#endif
