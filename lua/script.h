// Script value access: how application functions and bindings read their
// arguments and the script tables, write results back, and raise errors.
//
// Conventions (every function called from scripts follows them):
//  - arguments are read by position; a missing number reads as 0 and a
//    missing string as no string (nullptr);
//  - a number standing for an integer is truncated toward zero, a colour
//    component then reduced to its low 8 bits;
//  - errors read "Name: problem!" with no position prefix.
//
// Lua raises its errors with longjmp, which must never cross a C++ frame
// that owns something. So the body of every function is run by Guarded<>,
// every table access that could raise (metamethods, indexing a non-table,
// allocation) is run in a protected call, and failures travel inside our
// code as a ScriptError exception. Guarded<> turns it back into a Lua error
// only after all C++ frames have unwound.
#ifndef VARKO_LUA_SCRIPT_H
#define VARKO_LUA_SCRIPT_H

#include <lua.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace script {

// A value of the running C function: its absolute stack index.
using Value = int;

struct ScriptError {
  std::string message;
};

// Throws ScriptError("name: problem!").
[[noreturn]] void Raise(const char* name, const char* problem);
// Throws ScriptError with the message as it stands.
[[noreturn]] void RaiseMessage(std::string message);

int RunGuarded(lua_State* L, int (*body)(lua_State*));

// Registers body under a global name; body may throw ScriptError.
template <int (*Body)(lua_State*)>
int Guarded(lua_State* L) {
  return RunGuarded(L, Body);
}

// Registers the global function `canonical` again under `alias`; errors it
// raises as "canonical: problem" read "alias: problem" when called by the
// alias, so that every message names the function the script called.
void RegisterAlias(lua_State* L, const char* alias, const char* canonical);

// ---- arguments (1-based positions) ----
bool HasArg(lua_State* L, int n);
double ArgNumber(lua_State* L, int n);
int ArgInt(lua_State* L, int n);
// nullptr when absent or neither a string nor a number; valid until the function returns
const char* ArgString(lua_State* L, int n);
// Raises "name: too many parameters!" when a value is present at position n.
void NoArgAt(lua_State* L, int n, const char* name);

// ---- checks shared by the bindings ----
// A number at n: a number or a string the interpreter converts to one.
bool IsNumberArg(lua_State* L, int n);
// Nothing, or nil, at n.
bool IsNilArg(lua_State* L, int n);
// "name: invalid <noun> parameter!"
[[noreturn]] void RaiseInvalid(const char* name, const char* noun);
// "name: attempt to <verb> a NIL <noun>!" and "... a killed <noun>!"
[[noreturn]] void RaiseNil(const char* name, const char* verb, const char* noun);
[[noreturn]] void RaiseKilled(const char* name, const char* verb, const char* noun);
// The object argument at n, checked in this order: nil or missing raises
// the NIL message, another kind (record null) the invalid-parameter
// message, a killed object (live false) the killed message.
template <typename T>
T* LiveObject(lua_State* L, int n, const char* name, const char* verb, const char* noun, T* record,
              bool live) {
  if (IsNilArg(L, n)) RaiseNil(name, verb, noun);
  if (record == nullptr) RaiseInvalid(name, noun);
  if (!live) RaiseKilled(name, verb, noun);
  return record;
}
// A number at n, or "name: invalid <noun> parameter!".
double NumberArgOr(lua_State* L, int n, const char* name, const char* noun);

// A colour component at n: a number ("name: invalid color component
// parameter!") lying in 0 to 255 ("name: color components values should be
// in range [0, 255]!"), then truncated.
unsigned char ColorComponentArg(lua_State* L, int n, const char* name);

// Tag methods of object kinds: "kind_tag \"method\": problem!"
[[noreturn]] void RaiseTag(const char* tag, const char* method, const char* problem);
// The index at idx of an object of size cells: a number ("index should be
// a number!") with 0 <= number < size ("index is out of bounds!"), NaN
// included; the cell is its truncation.
long long TagIndex(lua_State* L, int idx, long long size, const char* tag, const char* method);
// A byte value at idx: a number ("value should be a number!") with
// 0 <= number <= 255 ("value should be in range [0, 255]!"), truncated.
unsigned char TagByte(lua_State* L, int idx, const char* tag, const char* method);

// ---- conversions ----
// Truncation toward zero; NaN gives 0 and values beyond int are held at its limits.
int TruncateToInt(double value);
// TruncateToInt, then the low 8 bits.
unsigned char ToByte(double value);
// A number when the value is one or a numeric string, else 0.
double ValueToNumber(lua_State* L, Value v);
// The text of a string, or of a number formatted as the script would
// print an integral value ("3", not "3.0"); nullopt otherwise.
std::optional<std::string> ValueToString(lua_State* L, Value v);

// ---- reading tables; each read pushes one value and returns it ----
Value GetGlobal(lua_State* L, const char* name);
Value GetField(lua_State* L, Value table, const char* name);
Value GetElement(lua_State* L, Value table, long long index);
double GetNumberField(lua_State* L, Value table, const char* name);
double GetNumberElement(lua_State* L, Value table, long long index);
std::optional<std::string> GetStringField(lua_State* L, Value table, const char* name);
std::optional<std::string> GetStringElement(lua_State* L, Value table, long long index);
bool IsNil(lua_State* L, Value v);

// ---- writing tables ----
void SetNumberField(lua_State* L, Value table, const char* name, double number);
void SetNumberElement(lua_State* L, Value table, long long index, double number);
void SetStringField(lua_State* L, Value table, const char* name, const char* text);
// Stores a new empty table at t[name] (or t[k]) and returns it read back.
Value NewTableField(lua_State* L, Value table, const char* name);
Value NewTableElement(lua_State* L, Value table, long long index);

// Releases the temporaries pushed since it was made, when it goes out of
// scope: functions that read or write in a loop keep one per iteration.
class StackMark {
 public:
  explicit StackMark(lua_State* L) : L_(L), top_(lua_gettop(L)) {}
  ~StackMark() { lua_settop(L_, top_); }
  StackMark(const StackMark&) = delete;
  StackMark& operator=(const StackMark&) = delete;

 private:
  lua_State* L_;
  int top_;
};

// ---- image references ----
// A script image table's map and palette, sharing the image binding's
// buffers: pixels written through it are seen by the script at once.
struct ImageRef {
  int width = 0;
  int height = 0;
  unsigned char* data = nullptr;
  int pal_count = 0;
  uint32_t* palette = nullptr;
};

// From t.imagemap and t.palette; nullopt when either is not a live object of
// the image binding.
std::optional<ImageRef> ReadImageRef(lua_State* L, Value table);
// The caller keeps x and y inside the image.
inline unsigned char GetPixel(const ImageRef& ref, int x, int y) {
  return ref.data[x + static_cast<long long>(y) * ref.width];
}
inline void SetPixel(const ImageRef& ref, int x, int y, unsigned char value) {
  ref.data[x + static_cast<long long>(y) * ref.width] = value;
}

}  // namespace script

#endif
