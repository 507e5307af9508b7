// ReadDataFile: the text of a plain file, opened without waiting.
#include "datafile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "script.h"

namespace {

constexpr const char* kName = "ReadDataFile";

struct Bytes {
  const char* data;
  std::size_t size;
};

int PushBytes(lua_State* L) {
  const auto* bytes = static_cast<const Bytes*>(lua_touserdata(L, 1));
  lua_pushlstring(L, bytes->data, bytes->size);
  return 1;
}

// Pushes the bytes as a string in a protected call: a memory error must not
// jump over the C++ objects that hold them.
void PushProtected(lua_State* L, const char* data, std::size_t size) {
  Bytes bytes{data, size};
  if (!lua_checkstack(L, 3)) script::Raise(kName, "not enough memory");
  lua_pushcfunction(L, PushBytes);
  lua_pushlightuserdata(L, &bytes);
  if (lua_pcall(L, 1, 1, 0) != LUA_OK) script::Raise(kName, "not enough memory");
}

// Closes the descriptor when the reading ends, however it ends.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

int ReadDataFileBody(lua_State* L) {
  if (!script::HasArg(L, 1) || lua_type(L, 1) != LUA_TSTRING)
    script::Raise(kName, "invalid filename parameter");
  if (!script::IsNumberArg(L, 2)) script::Raise(kName, "invalid size parameter");
  script::NoArgAt(L, 3, kName);
  const std::string name = lua_tostring(L, 1);
  const double wanted = lua_tonumber(L, 2);
  // at most 1 GB whatever the caller asks (NaN reads as nothing)
  const std::size_t limit =
      wanted >= 1 ? static_cast<std::size_t>(std::min(wanted, 1073741824.0)) : 0;

  std::string problem;
  std::vector<char> data;
  {
    Descriptor file{::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    struct stat info {};
    if (file.fd < 0) {
      problem = name + ": " + std::strerror(errno);
    } else if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode) ||
               ::fcntl(file.fd, F_SETFL, 0) != 0) {
      problem = name + ": not a plain file";
    } else {
      data.resize(
          std::min<std::size_t>(limit, static_cast<std::size_t>(std::max<off_t>(info.st_size, 0))));
      std::size_t used = 0;
      while (used < data.size()) {
        const ssize_t got = ::read(file.fd, data.data() + used, data.size() - used);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // the file shrank, or cannot be read further
        used += static_cast<std::size_t>(got);
      }
      data.resize(used);
      // a file that grew since it was measured: read on up to the limit
      char chunk[65536];
      while (data.size() < limit) {
        const ssize_t got = ::read(file.fd, chunk, std::min(sizeof chunk, limit - data.size()));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        data.insert(data.end(), chunk, chunk + got);
      }
    }
  }
  if (!problem.empty()) {
    lua_pushnil(L);  // the stack has room: the checks above left it as it was given
    PushProtected(L, problem.data(), problem.size());
    return 2;
  }
  PushProtected(L, data.data(), data.size());
  return 1;
}

}  // namespace

int ReadDataFile(lua_State* L) {
  return script::RunGuarded(L, ReadDataFileBody);
}
