// The table of key names and codes (keytable.cpp), in naming order.
#ifndef VARKO_IUP_KEYTABLE_H
#define VARKO_IUP_KEYTABLE_H

namespace iup {

struct KeyName {
  const char* name;
  int code;
};
extern const KeyName kKeyNames[];
extern const int kKeyNameCount;

}  // namespace iup

#endif
