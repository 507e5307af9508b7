/* The driver registry (cdregistry.h): one process-wide ordered list. */
#include "cdregistry.h"

#include <cstring>
#include <new>
#include <vector>

namespace {

std::vector<cdDriverEntry>& Entries() {
  static std::vector<cdDriverEntry> entries;
  return entries;
}

int Append(const cdDriverEntry& entry) {
  try {
    Entries().push_back(entry);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  return int(Entries().size()) - 1;
}

int NumberOfName(const char* name) {
  const std::vector<cdDriverEntry>& entries = Entries();
  for (size_t i = 0; i < entries.size(); i++)
    if (std::strcmp(entries[i].name, name) == 0) return int(i);
  return -1;
}

}  // namespace

int cdListDriver(cdDriver* driver) {
  if (!driver || !driver->name) return -1;
  int known = cdDriverNumber(driver);
  if (known >= 0) return known;
  int reserved = NumberOfName(driver->name);
  if (reserved >= 0 && Entries()[size_t(reserved)].driver == nullptr) {
    cdDriverEntry& entry = Entries()[size_t(reserved)];
    entry.driver = driver;
    entry.data_kind = driver->data_kind;
    return reserved;
  }
  return Append({driver->name, driver->data_kind, driver});
}

int cdListPlaceholder(const char* name, cdDataKind data_kind) {
  if (!name) return -1;
  int known = NumberOfName(name);
  if (known >= 0) return known;
  return Append({name, data_kind, nullptr});
}

int cdDriverCount(void) {
  return int(Entries().size());
}

const cdDriverEntry* cdDriverAt(int number) {
  if (number < 0 || number >= cdDriverCount()) return nullptr;
  return &Entries()[size_t(number)];
}

int cdDriverNumber(const cdDriver* driver) {
  if (!driver) return -1;
  const std::vector<cdDriverEntry>& entries = Entries();
  for (size_t i = 0; i < entries.size(); i++)
    if (entries[i].driver == driver) return int(i);
  return -1;
}

cdDriver* cdFindDriver(const char* name) {
  if (!name) return nullptr;
  int number = NumberOfName(name);
  return number >= 0 ? Entries()[size_t(number)].driver : nullptr;
}
