// The attribute store's building blocks: the name hash, the chained
// attribute tables, the name pool and the handle and action registries.
#include <cstdlib>
#include <cstring>

#include "iupcore.h"

namespace iup {

unsigned HashIndex(const char* name, unsigned buckets) {
  unsigned h = 0;
  for (const char* p = name; *p != '\0'; ++p) {
    // the byte as a signed char decides the order; the sum is taken modulo 2^32
    const int b = static_cast<signed char>(*p);
    const unsigned t = static_cast<unsigned>(b) + 16u * h;
    h = t < 0x10000000u ? t : t ^ ((t >> 28) * 0x10000010u);
  }
  return buckets < 2 ? 0 : h % buckets;
}

bool SameName(const char* a, const char* b) {
  return a == b || (a != nullptr && b != nullptr && std::strcmp(a, b) == 0);
}

AttrTable::AttrTable(unsigned buckets) : buckets_(buckets == 0 ? 1 : buckets, nullptr) {}

AttrTable::~AttrTable() {
  for (AttrEntry* head : buckets_) {
    while (head != nullptr) {
      AttrEntry* next = head->next;
      if (head->owned) std::free(const_cast<char*>(head->value));
      delete head;
      head = next;
    }
  }
}

AttrEntry* AttrTable::Find(const char* name) const {
  for (AttrEntry* e = buckets_[HashIndex(name, Buckets())]; e != nullptr; e = e->next)
    if (SameName(e->name, name)) return e;
  return nullptr;
}

const char* AttrTable::Get(const char* name) const {
  const AttrEntry* e = Find(name);
  return e == nullptr ? nullptr : e->value;
}

void AttrTable::Set(const char* name, const char* value, bool copy, bool pointer) {
  const char* stored = value;
  if (!copy && !pointer) {
    // storing the text the entry already owns (read back and set again)
    // keeps it owned instead of freeing it under the caller
    const AttrEntry* same = Find(name);
    if (same != nullptr && same->owned && same->value == value) return;
  }
  if (copy && !pointer) {
    char* dup = strdup(value);
    if (dup == nullptr) return;  // the pair is silently not stored
    stored = dup;
  }
  AttrEntry* e = Find(name);
  if (e == nullptr) {
    e = new AttrEntry;
    AttrEntry*& head = buckets_[HashIndex(name, Buckets())];
    e->name = IupInternName(name);
    e->next = head;
    head = e;
  } else if (e->owned) {
    std::free(const_cast<char*>(e->value));
  }
  e->value = stored;
  e->owned = copy && !pointer;
  e->pointer = pointer;
}

void AttrTable::Remove(const char* name) {
  AttrEntry** link = &buckets_[HashIndex(name, Buckets())];
  for (; *link != nullptr; link = &(*link)->next) {
    AttrEntry* e = *link;
    if (!SameName(e->name, name)) continue;
    *link = e->next;
    if (e->owned) std::free(const_cast<char*>(e->value));
    delete e;
    return;
  }
}

namespace {

// Pool strings live until the process ends; the pool itself is never
// destroyed so that stored names stay valid in exit handlers too.
struct NamePool {
  std::vector<std::vector<const char*>> buckets = std::vector<std::vector<const char*>>(211);
};

NamePool& Pool() {
  static NamePool* pool = new NamePool;
  return *pool;
}

}  // namespace

Registry<IupElement*>& Handles() {
  static auto* handles = new Registry<IupElement*>(211);
  return *handles;
}

Registry<IupCallback>& Actions() {
  static auto* actions = new Registry<IupCallback>(211);
  return *actions;
}

}  // namespace iup

const char* IupInternName(const char* name) {
  if (name == nullptr) return nullptr;
  auto& bucket = iup::Pool().buckets[iup::HashIndex(name, 211)];
  for (const char* s : bucket)
    if (iup::SameName(s, name)) return s;
  if (bucket.capacity() == 0) bucket.reserve(5);
  char* copy = strdup(name);
  if (copy == nullptr) return nullptr;
  bucket.push_back(copy);
  return copy;
}
