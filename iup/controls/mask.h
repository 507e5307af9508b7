// The pattern machine of the text masks: a regular expression written with
// '/' as its escape character, compiled once, then asked whether a text is a
// complete match, the beginning of one (it can still be typed to a match),
// or neither; and which characters a text forces next.
#ifndef VARKO_IUP_CONTROLS_MASK_H
#define VARKO_IUP_CONTROLS_MASK_H

#include <bitset>
#include <memory>
#include <string>
#include <vector>

namespace mask {

enum class Match { None, Prefix, Complete };

class Machine {
 public:
  // Null when the pattern does not compile (unbalanced brackets, a
  // repetition with nothing before it, an empty set, a trailing '/', a
  // decimal code of 256 or more, nesting deeper than the machine allows).
  static std::unique_ptr<Machine> Compile(const std::string& pattern);

  Match Test(const std::string& text, bool ignore_case) const;
  // The characters the pattern forces after text, one at a time while only
  // one character can follow and text is not yet a complete match.
  std::string Forced(const std::string& text, bool ignore_case) const;

  // A state of the machine; public for the compiler in mask.cpp.
  struct State {
    enum Kind { Set, Split, Begin, End, Boundary, Accept } kind = Accept;
    std::bitset<256> set;
    int out = -1, alt = -1;
  };

 private:
  friend class Compiler;
  using StateSet = std::vector<int>;
  void Close(StateSet& set, int state, const std::string& text, size_t at,
             std::vector<char>& seen) const;
  StateSet Run(const std::string& text, bool ignore_case, bool* dead) const;
  // The states text leads to, before their closure at its end, and one
  // step from such states over the character at text[at].
  std::vector<int> Reach(const std::string& text, bool ignore_case) const;
  std::vector<int> Step(const std::vector<int>& reached, const std::string& text, size_t at,
                        bool ignore_case, std::vector<char>& seen) const;
  bool Accepts(const StateSet& set) const;
  bool Takes(int state, unsigned char c, bool ignore_case) const;
  std::vector<State> states_;
  int start_ = 0;
};

}  // namespace mask

#endif
