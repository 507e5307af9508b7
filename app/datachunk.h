// Reading data files written as Lua table text (project files) without
// trusting them: the text runs in an interpreter of its own, with nothing in
// its environment, a bound on its instructions and on its memory, and only
// the data it returns (tables, strings, numbers, booleans) is copied back.
#ifndef VARKO_APP_DATACHUNK_H
#define VARKO_APP_DATACHUNK_H

#include <cstddef>

#include <lua.hpp>

namespace datachunk {

struct Limits {
  std::size_t memory_bytes; /* everything the separate interpreter allocates */
  long long instructions;   /* virtual machine instructions the chunk may run */
};

// The bounds for a text of the given size: 32 MB plus 16 bytes per byte of
// text, and 10 million instructions plus 8 per byte, both far above what a
// table constructor of that size needs.
Limits LimitsFor(std::size_t text_bytes);

}  // namespace datachunk

// LoadDataChunk(text [, chunkname]): the value the text returns, copied into
// the caller's interpreter, or nil and a message ("name:line: problem" for
// syntax errors and for a text that runs too long; "the data holds a
// function" and the like for values that are not data). Raises "LoadDataChunk: invalid text
// parameter!" when text is not a string.
int LoadDataChunk(lua_State* L);

#endif
