// The "MASK" attribute of a TEXT: a short pattern ("#" a digit, "@" a
// letter, "*" any character, "[...]" a set, "\(n-m)" and "\n" repetitions,
// "\" a literal) that every typed key must keep the text matching, with
// automatic completion of the characters the pattern forces unless the mask
// starts with "$". Every driver runs it through the shared typing routine.
#ifndef VARKO_IUP_NATIVEMASK_H
#define VARKO_IUP_NATIVEMASK_H

#include <bitset>
#include <string>
#include <vector>

#include "iup.h"
#include "iupdriver.h"

namespace iup::nativemask {

struct Item {
  std::bitset<256> set;
  int min = 1, max = 1;
};
struct Mask {
  bool complete = true;  // automatic completion of forced characters
  std::vector<Item> items;
};
enum class Match { None, Prefix, Complete };

// False when the text does not parse (unbalanced brackets, a repetition
// without an item, a malformed "\(n-m)").
bool Compile(const char* text, Mask* mask);
Match Test(const Mask& mask, const std::string& text);
// The characters forced after text, while exactly one can follow and the
// text is not yet complete.
std::string Forced(const Mask& mask, const std::string& text);

// After "MASK" was set on a TEXT: drops a mask that does not parse, and
// brings "VALUE" to a match (its forced prefix, then completion).
void Applied(IupElement* text);
// After "ACTION" kept a key's change to a TEXT with a mask: false when the
// change must be taken back ("MASK_CB" with 0 was called); otherwise after
// holds the text to show, completed as the mask forces. reached_match is
// set when the text became a complete match (the caller then calls
// "MASK_CB" with 1 once the text is shown).
bool Edited(IupElement* text, int key, event::EditState* after, bool* reached_match);

}  // namespace iup::nativemask

#endif
