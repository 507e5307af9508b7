// The "MASK" attribute of TEXT elements: compiling the notation, matching
// a text (complete, prefix or none) and the completion of forced
// characters. The machine is the list of items with their repetition
// ranges; matching walks every (item, count) state a text can reach.
#include "nativemask.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <utility>

#include "iupcore.h"

namespace iup::nativemask {

namespace {

constexpr int kMaxRepeat = 1000;  // a repetition beyond this is refused

bool ReadNumber(const char* text, size_t* at, int* value) {
  size_t i = *at;
  int v = 0;
  if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  while (std::isdigit(static_cast<unsigned char>(text[i]))) {
    v = v * 10 + (text[i] - '0');
    if (v > kMaxRepeat) return false;
    i++;
  }
  *at = i, *value = v;
  return true;
}

// One item at text[*at] (no repetition prefix): a set, a class, a literal.
bool ReadItem(const char* text, size_t* at, Item* item) {
  const char c = text[*at];
  if (c == '\0') return false;
  item->set.reset();
  if (c == '#') {
    for (int d = '0'; d <= '9'; d++) item->set.set(static_cast<size_t>(d));
    (*at)++;
  } else if (c == '@') {
    for (int l = 0; l < 256; l++)
      if (l < 128 && std::isalpha(l)) item->set.set(static_cast<size_t>(l));
    (*at)++;
  } else if (c == '*') {
    item->set.set();
    (*at)++;
  } else if (c == '[') {
    size_t i = *at + 1;
    bool complement = false;
    if (text[i] == '~') complement = true, i++;
    bool any = false;
    while (text[i] != ']') {
      if (text[i] == '\0') return false;  // unbalanced
      int low;
      if (text[i] == '\\') {
        if (text[i + 1] == '\0') return false;
        low = static_cast<unsigned char>(text[i + 1]);
        i += 2;
      } else {
        low = static_cast<unsigned char>(text[i++]);
      }
      int high = low;
      if (text[i] == '-' && text[i + 1] != ']' && text[i + 1] != '\0') {
        if (text[i + 1] == '\\') {
          if (text[i + 2] == '\0') return false;
          high = static_cast<unsigned char>(text[i + 2]);
          i += 3;
        } else {
          high = static_cast<unsigned char>(text[i + 1]);
          i += 2;
        }
      }
      for (int ch = std::min(low, high); ch <= std::max(low, high); ch++)
        item->set.set(static_cast<size_t>(ch));
      any = true;
    }
    if (!any) return false;
    if (complement) item->set.flip();
    *at = i + 1;
  } else if (c == ']') {
    return false;  // unbalanced
  } else if (c == '\\') {
    if (text[*at + 1] == '\0') return false;
    item->set.set(static_cast<unsigned char>(text[*at + 1]));
    *at += 2;
  } else {
    item->set.set(static_cast<unsigned char>(c));
    (*at)++;
  }
  return true;
}

using State = std::pair<size_t, int>;  // item index, times it has matched

void Close(const Mask& m, std::set<State>& states) {
  std::vector<State> todo(states.begin(), states.end());
  while (!todo.empty()) {
    State s = todo.back();
    todo.pop_back();
    if (s.first < m.items.size() && s.second >= m.items[s.first].min) {
      State next{s.first + 1, 0};
      if (states.insert(next).second) todo.push_back(next);
    }
  }
}

std::set<State> Run(const Mask& m, const std::string& text) {
  std::set<State> states{{0, 0}};
  Close(m, states);
  for (char ch : text) {
    std::set<State> next;
    const unsigned char c = static_cast<unsigned char>(ch);
    for (const State& s : states)
      if (s.first < m.items.size() && s.second < m.items[s.first].max &&
          m.items[s.first].set.test(c))
        next.insert({s.first, s.second + 1});
    Close(m, next);
    states.swap(next);
    if (states.empty()) break;
  }
  return states;
}

}  // namespace

bool Compile(const char* text, Mask* mask) {
  if (text == nullptr) return false;
  Mask m;
  size_t at = 0;
  if (text[0] == '$') m.complete = false, at = 1;
  while (text[at] != '\0') {
    Item item;
    if (text[at] == '\\' && text[at + 1] == '(') {
      size_t i = at + 2;
      int low = 0, high = 0;
      if (!ReadNumber(text, &i, &low) || text[i] != '-') return false;
      i++;
      if (!ReadNumber(text, &i, &high) || text[i] != ')' || high < low) return false;
      i++;
      if (!ReadItem(text, &i, &item)) return false;  // a repetition without an item
      item.min = low, item.max = high;
      at = i;
    } else if (text[at] == '\\' && std::isdigit(static_cast<unsigned char>(text[at + 1]))) {
      size_t i = at + 1;
      int n = 0;
      if (!ReadNumber(text, &i, &n)) return false;
      if (!ReadItem(text, &i, &item)) return false;
      item.min = 0, item.max = n;
      at = i;
    } else if (!ReadItem(text, &at, &item)) {
      return false;
    }
    m.items.push_back(item);
  }
  *mask = m;
  return true;
}

Match Test(const Mask& m, const std::string& text) {
  const std::set<State> states = Run(m, text);
  if (states.empty()) return Match::None;
  if (states.count({m.items.size(), 0})) return Match::Complete;
  return Match::Prefix;
}

std::string Forced(const Mask& m, const std::string& text) {
  std::string forced;
  for (int guard = 0; guard < 4096; guard++) {
    const std::set<State> states = Run(m, text + forced);
    if (states.empty() || states.count({m.items.size(), 0})) break;
    std::bitset<256> next;
    for (const State& s : states)
      if (s.first < m.items.size() && s.second < m.items[s.first].max) next |= m.items[s.first].set;
    if (next.count() != 1) break;
    int c = 0;
    while (!next.test(static_cast<size_t>(c))) c++;
    forced += static_cast<char>(c);
  }
  return forced;
}

void Applied(IupElement* text) {
  const char* value = IupGetOwnAttribute(text, "MASK");
  if (value == nullptr) return;
  Mask m;
  if (!Compile(value, &m)) {
    StoreOwn(text, IupInternName("MASK"), nullptr, false);  // the field keeps no mask
    return;
  }
  const char* current = IupGetAttribute(text, "VALUE");
  std::string shown = current != nullptr ? current : "";
  const Match match = Test(m, shown);
  std::string wanted = shown;
  if (match == Match::None) wanted = Forced(m, "");
  if (m.complete && Test(m, wanted) == Match::Prefix) wanted += Forced(m, wanted);
  if (wanted != shown) IupSetAttributeCopy(text, "VALUE", wanted.c_str());
}

bool Edited(IupElement* text, int key, event::EditState* after, bool* reached_match) {
  *reached_match = false;
  const char* value = IupGetOwnAttribute(text, "MASK");
  Mask m;
  if (value == nullptr || !Compile(value, &m)) return true;
  Match match = Test(m, after->text);
  if (match == Match::None) {
    if (IupCallback cb = FindCallback(text, "MASK_CB")) As<IupCallbackI>(cb)(text, 0);
    return false;
  }
  if (m.complete && key != K_BS && match == Match::Prefix &&
      after->caret == static_cast<int>(after->text.size())) {
    const std::string forced = Forced(m, after->text);
    if (!forced.empty()) {
      after->text += forced;
      after->caret = after->start = after->end = static_cast<int>(after->text.size());
      match = Test(m, after->text);
    }
  }
  *reached_match = match == Match::Complete;
  return true;
}

}  // namespace iup::nativemask
