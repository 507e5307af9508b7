// Reading the text of the program's own data files (project files) without
// waiting on what is not a plain file: a FIFO would block the program until
// a writer came, and a device may never end.
#ifndef VARKO_APP_DATAFILE_H
#define VARKO_APP_DATAFILE_H

#include <lua.hpp>

// ReadDataFile(filename, max_bytes): the first max_bytes bytes of a regular
// file (all of it when shorter), or nil and a message ("name: No such file
// or directory", "name: not a plain file"). Raises "ReadDataFile: invalid
// filename parameter!" and "ReadDataFile: invalid size parameter!".
int ReadDataFile(lua_State* L);

#endif
