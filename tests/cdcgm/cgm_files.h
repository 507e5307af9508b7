// Helpers of the CGM tests: files in a scratch folder, and a plain walk
// over the elements of a binary metafile (written here from ISO 8632-3,
// apart from the player, so that the tests do not read our files with the
// code they check).
#ifndef VARKO_TESTS_CDCGM_CGM_FILES_H
#define VARKO_TESTS_CDCGM_CGM_FILES_H

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <string>
#include <vector>

namespace cgmtest {

// A folder of this test process, removed when it ends (kept when
// CGM_KEEP_SCRATCH is set, for looking at the files).
inline std::string ScratchDir() {
  struct Dir {
    std::string path;
    Dir() {
      char templ[] = "/tmp/cdcgm_test_XXXXXX";
      const char* made = mkdtemp(templ);
      path = made ? made : "";
    }
    ~Dir() {
      std::error_code ignored;
      if (!path.empty() && !std::getenv("CGM_KEEP_SCRATCH"))
        std::filesystem::remove_all(path, ignored);
    }
  };
  static Dir dir;
  return dir.path.empty() ? std::string("/tmp") : dir.path;
}

inline std::string Scratch(const std::string& name) {
  return ScratchDir() + "/" + name;
}

inline std::string ReadFile(const std::string& path) {
  std::string out;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return out;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return out;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

struct Element {
  int cls, id;
  std::string params;
  size_t offset;  // of the header in the file
  bool long_form;
  size_t partitions;
};

// The elements of a binary metafile; stops at the first one that does not
// fit (ok is then false).
inline std::vector<Element> Elements(const std::string& b, bool* ok = nullptr) {
  std::vector<Element> out;
  size_t pos = 0;
  auto word = [&](size_t at) {
    return unsigned((unsigned char)b[at]) << 8 | (unsigned char)b[at + 1];
  };
  if (ok) *ok = true;
  while (pos + 2 <= b.size()) {
    Element e{};
    e.offset = pos;
    unsigned head = word(pos);
    pos += 2;
    e.cls = int(head >> 12), e.id = int(head >> 5 & 127);
    size_t len = head & 31;
    if (len < 31) {
      if (pos + len > b.size()) break;
      e.params = b.substr(pos, len);
      pos += len + (len & 1);
      e.partitions = 1;
    } else {
      e.long_form = true;
      bool more = true;
      while (more) {
        if (pos + 2 > b.size()) {
          if (ok) *ok = false;
          return out;
        }
        unsigned w = word(pos);
        pos += 2;
        more = w & 0x8000;
        size_t part = w & 0x7FFF;
        if (pos + part > b.size()) {
          if (ok) *ok = false;
          return out;
        }
        e.params += b.substr(pos, part);
        e.partitions++;
        pos += part + (part & 1);
      }
    }
    out.push_back(e);
  }
  if (ok && pos != b.size()) *ok = false;
  return out;
}

inline long Be16(const std::string& s, size_t at) {
  return (short)(((unsigned char)s[at] << 8) | (unsigned char)s[at + 1]);
}
inline long Be32(const std::string& s, size_t at) {
  return (int)(((unsigned)(unsigned char)s[at] << 24) | ((unsigned char)s[at + 1] << 16) |
               ((unsigned char)s[at + 2] << 8) | (unsigned char)s[at + 3]);
}

}  // namespace cgmtest

#endif
