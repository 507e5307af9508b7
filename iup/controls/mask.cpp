// The text masks: a pattern (a regular expression with '/' as its escape
// character, optionally an integer or real range) attached to a TEXT or to
// a cell of a matrix, checked on every key before the key reaches the
// field. A key that leaves the text no longer the beginning of a match is
// refused; with autofill the characters the pattern forces are typed in.
//
// The machine is a Thompson automaton run over the whole text at each key:
// the set of live states tells "complete", "prefix" (still live) or "none".
#include "mask.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "iupcontrols.h"
#include "iupdriver.h"

namespace mask {

namespace {

// The parse tree, compiled into states once the pattern is known to be sound.
struct Node {
  enum Kind { Set, Seq, Alt, Star, Plus, Opt, Not, Begin, End, Boundary } kind = Seq;
  std::bitset<256> set;
  std::vector<std::unique_ptr<Node>> kids;
};
using NodePtr = std::unique_ptr<Node>;

NodePtr MakeSet(const std::bitset<256>& set) {
  auto n = std::make_unique<Node>();
  n->kind = Node::Set;
  n->set = set;
  return n;
}
NodePtr MakeUnary(Node::Kind kind, NodePtr kid) {
  auto n = std::make_unique<Node>();
  n->kind = kind;
  n->kids.push_back(std::move(kid));
  return n;
}

std::bitset<256> Range(int from, int to) {
  std::bitset<256> s;
  for (int c = from; c <= to; c++) s.set(static_cast<size_t>(c));
  return s;
}
std::bitset<256> Letters() {
  return Range('a', 'z') | Range('A', 'Z');
}
std::bitset<256> Digits() {
  return Range('0', '9');
}

// Parses the pattern; fails (ok = false) on the first error.
class Parser {
 public:
  explicit Parser(const std::string& p) : p_(p) {}
  NodePtr Parse() {
    NodePtr n = Alternation();
    if (at_ != p_.size()) ok_ = false;  // a stray ')', '}' or ']'
    return ok_ ? std::move(n) : nullptr;
  }

 private:
  static constexpr int kMaxDepth = 100;  // nesting, so a hostile pattern cannot exhaust the stack

  bool More() const { return at_ < p_.size(); }
  char Peek() const { return p_[at_]; }

  NodePtr Alternation() {
    if (++depth_ > kMaxDepth) ok_ = false;
    NodePtr left = Sequence();
    if (ok_ && More() && Peek() == '|') {
      // one node for all the branches: a long alternation stays flat
      auto alt = std::make_unique<Node>();
      alt->kind = Node::Alt;
      alt->kids.push_back(std::move(left));
      while (ok_ && More() && Peek() == '|') {
        at_++;
        alt->kids.push_back(Sequence());
      }
      left = std::move(alt);
    }
    depth_--;
    return left;
  }

  NodePtr Sequence() {
    auto seq = std::make_unique<Node>();
    seq->kind = Node::Seq;
    while (ok_ && More() && Peek() != '|' && Peek() != ')' && Peek() != '}') {
      NodePtr item = Repeated();
      if (!ok_) break;
      seq->kids.push_back(std::move(item));
    }
    return seq;
  }

  NodePtr Repeated() {
    NodePtr item = Atom();
    int operators = 0;
    while (ok_ && More() && (Peek() == '*' || Peek() == '+' || Peek() == '?')) {
      if (++operators > kMaxDepth) return ok_ = false, nullptr;
      const char op = p_[at_++];
      item = MakeUnary(op == '*'   ? Node::Star
                       : op == '+' ? Node::Plus
                                   : Node::Opt,
                       std::move(item));
    }
    return item;
  }

  NodePtr Atom() {
    const char c = p_[at_++];
    switch (c) {
      case '(':
      case '{': {
        NodePtr inner = Alternation();
        if (!More() || Peek() != (c == '(' ? ')' : '}')) {
          ok_ = false;
          return nullptr;
        }
        at_++;
        return inner;
      }
      case '[':
        return SetAtom();
      case '.': {
        std::bitset<256> all;
        all.set();
        all.reset('\n');
        return MakeSet(all);
      }
      case '^': {
        auto n = std::make_unique<Node>();
        n->kind = Node::Begin;
        return n;
      }
      case '$': {
        auto n = std::make_unique<Node>();
        n->kind = Node::End;
        return n;
      }
      case '~': {
        if (!More() || std::strchr("|)}*+?", Peek()) != nullptr) {
          ok_ = false;
          return nullptr;
        }
        if (++depth_ > kMaxDepth) return ok_ = false, nullptr;
        NodePtr operand = Atom();
        depth_--;
        if (!ok_) return nullptr;
        return MakeUnary(Node::Not, std::move(operand));
      }
      case '/': {
        std::bitset<256> set;
        bool boundary = false;
        if (!Escape(&set, &boundary)) return nullptr;
        if (boundary) {
          auto n = std::make_unique<Node>();
          n->kind = Node::Boundary;
          return n;
        }
        return MakeSet(set);
      }
      case '*':
      case '+':
      case '?':  // a repetition of nothing
      case ')':
      case '}':
      case ']':
        ok_ = false;
        return nullptr;
      default: {
        std::bitset<256> one;
        one.set(static_cast<unsigned char>(c));
        return MakeSet(one);
      }
    }
  }

  // After '/': the set of characters the escape stands for.
  bool Escape(std::bitset<256>* set, bool* boundary) {
    if (!More()) return ok_ = false;
    const char c = p_[at_++];
    auto digits_from = [&](int count, int base, int* value) {
      *value = 0;
      for (int i = 0; i < count; i++) {
        if (!More()) return false;
        const char d = p_[at_];
        int v;
        if (d >= '0' && d <= '9')
          v = d - '0';
        else if (base == 16 && std::isxdigit(static_cast<unsigned char>(d)))
          v = std::tolower(static_cast<unsigned char>(d)) - 'a' + 10;
        else
          return false;
        if (v >= base) return false;
        *value = *value * base + v;
        at_++;
      }
      return true;
    };
    std::bitset<256> s;
    switch (c) {
      case 'd':
        s = Digits();
        break;
      case 'D':
        s = ~Digits();
        break;
      case 'l':
        s = Letters();
        break;
      case 'L':
        s = ~Letters();
        break;
      case 'w':
        s = Letters() | Digits(), s.set('_');
        break;
      case 'W':
        s = Letters() | Digits(), s.set('_'), s = ~s;
        break;
      case 's':
        s.set(' '), s.set('\t'), s.set('\n'), s.set(255);
        break;
      case 'S':
        s.set(' '), s.set('\t'), s.set('\n'), s.set(255), s = ~s;
        break;
      case 'b':
        *boundary = true;
        break;
      case 'e':
        s.set(27);
        break;
      case 'n':
        s.set(10);
        break;
      case 't':
        s.set(9);
        break;
      case 'o': {
        int v = 0;
        if (!digits_from(3, 8, &v) || v > 255) return ok_ = false;
        s.set(static_cast<size_t>(v));
        break;
      }
      case 'x': {
        int v = 0;
        if (!digits_from(2, 16, &v)) return ok_ = false;
        s.set(static_cast<size_t>(v));
        break;
      }
      default:
        if (c >= '0' && c <= '9') {
          at_--;
          int v = 0;
          if (!digits_from(3, 10, &v)) return ok_ = false;
          if (v >= 256) {
            std::printf("EE\n");  // the compiler's report of a decimal code too large
            std::fflush(stdout);
            return ok_ = false;
          }
          s.set(static_cast<size_t>(v));
        } else {
          s.set(static_cast<unsigned char>(c));
        }
    }
    *set = s;
    return true;
  }

  NodePtr SetAtom() {
    bool negate = false;
    if (More() && Peek() == '^') negate = true, at_++;
    std::bitset<256> set;
    bool any = false;
    while (More() && Peek() != ']') {
      std::bitset<256> item;
      int low = -1;  // the single character of the item, for ranges
      if (Peek() == '/') {
        at_++;
        bool boundary = false;
        if (!Escape(&item, &boundary) || boundary) return ok_ = false, nullptr;
        if (item.count() == 1)
          for (int c = 0; c < 256; c++)
            if (item.test(static_cast<size_t>(c))) low = c;
      } else {
        low = static_cast<unsigned char>(p_[at_++]);
        item.set(static_cast<size_t>(low));
      }
      if (low >= 0 && at_ + 1 < p_.size() && Peek() == '-' && p_[at_ + 1] != ']') {
        at_++;
        int high;
        if (Peek() == '/') {
          at_++;
          std::bitset<256> h;
          bool boundary = false;
          if (!Escape(&h, &boundary) || boundary || h.count() != 1) return ok_ = false, nullptr;
          high = 0;
          while (!h.test(static_cast<size_t>(high))) high++;
        } else {
          high = static_cast<unsigned char>(p_[at_++]);
        }
        if (high < low) return ok_ = false, nullptr;
        item = Range(low, high);
      }
      set |= item;
      any = true;
    }
    if (!More() || !any) return ok_ = false, nullptr;  // unclosed or empty
    at_++;
    return MakeSet(negate ? ~set : set);
  }

  const std::string& p_;
  size_t at_ = 0;
  int depth_ = 0;
  bool ok_ = true;
};

}  // namespace

// Builds the states from the tree, back to front: each node is compiled
// with the state that follows it already known.
class Compiler {
 public:
  explicit Compiler(Machine& m) : m_(m) {}
  int New(Machine::State::Kind kind, int out = -1, int alt = -1) {
    Machine::State s;
    s.kind = kind, s.out = out, s.alt = alt;
    m_.states_.push_back(s);
    return static_cast<int>(m_.states_.size()) - 1;
  }
  int Build(const Node& n, int next) {
    switch (n.kind) {
      case Node::Set: {
        int s = New(Machine::State::Set, next);
        m_.states_[static_cast<size_t>(s)].set = n.set;
        return s;
      }
      case Node::Seq:
        for (auto it = n.kids.rbegin(); it != n.kids.rend(); ++it) next = Build(**it, next);
        return next;
      case Node::Alt: {
        int start = Build(*n.kids.back(), next);
        for (size_t i = n.kids.size() - 1; i-- > 0;)
          start = New(Machine::State::Split, Build(*n.kids[i], next), start);
        return start;
      }
      case Node::Star: {
        int split = New(Machine::State::Split, -1, next);
        m_.states_[static_cast<size_t>(split)].out = Build(*n.kids[0], split);
        return split;
      }
      case Node::Plus: {
        int split = New(Machine::State::Split, -1, next);
        int body = Build(*n.kids[0], split);
        m_.states_[static_cast<size_t>(split)].out = body;
        return body;
      }
      case Node::Opt:
        return New(Machine::State::Split, Build(*n.kids[0], next), next);
      case Node::Not: {
        // one character that cannot start a match of the operand
        Machine inner;
        Compiler c(inner);
        inner.start_ = c.Build(*n.kids[0], c.New(Machine::State::Accept));
        std::bitset<256> set;
        for (int ch = 0; ch < 256; ch++) {
          bool dead = false;
          inner.Run(std::string(1, static_cast<char>(ch)), false, &dead);
          if (dead) set.set(static_cast<size_t>(ch));
        }
        int s = New(Machine::State::Set, next);
        m_.states_[static_cast<size_t>(s)].set = set;
        return s;
      }
      case Node::Begin:
        return New(Machine::State::Begin, next);
      case Node::End:
        return New(Machine::State::End, next);
      case Node::Boundary:
        return New(Machine::State::Boundary, next);
    }
    return next;
  }

 private:
  Machine& m_;
};

std::unique_ptr<Machine> Machine::Compile(const std::string& pattern) {
  Parser parser(pattern);
  NodePtr tree = parser.Parse();
  if (tree == nullptr) return nullptr;
  auto m = std::make_unique<Machine>();
  Compiler c(*m);
  m->start_ = c.Build(*tree, c.New(State::Accept));
  return m;
}

namespace {
bool WordChar(unsigned char c) {
  return std::isalnum(c) || c == '_';
}
}  // namespace

void Machine::Close(StateSet& set, int state, const std::string& text, size_t at,
                    std::vector<char>& seen) const {
  // an explicit stack: long chains of empty moves must not deepen the C stack
  std::vector<int> todo{state};
  while (!todo.empty()) {
    int s = todo.back();
    todo.pop_back();
    if (s < 0 || seen[static_cast<size_t>(s)]) continue;
    seen[static_cast<size_t>(s)] = 1;
    const State& st = states_[static_cast<size_t>(s)];
    switch (st.kind) {
      case State::Split:
        todo.push_back(st.alt);
        todo.push_back(st.out);
        break;
      case State::Begin:
        if (at == 0) todo.push_back(st.out);
        break;
      case State::End:
        if (at == text.size()) todo.push_back(st.out);
        break;
      case State::Boundary: {
        // at the end of the text the next character is still unknown: a
        // boundary may yet come, so the state stays live
        const bool before = at > 0 && WordChar(static_cast<unsigned char>(text[at - 1]));
        const bool after = at < text.size() && WordChar(static_cast<unsigned char>(text[at]));
        if (before != after || at == text.size()) todo.push_back(st.out);
        break;
      }
      default:
        set.push_back(s);
    }
  }
}

bool Machine::Takes(int state, unsigned char c, bool ignore_case) const {
  const State& st = states_[static_cast<size_t>(state)];
  if (st.kind != State::Set) return false;
  if (st.set.test(c)) return true;
  if (!ignore_case) return false;
  return st.set.test(static_cast<unsigned char>(std::tolower(c))) ||
         st.set.test(static_cast<unsigned char>(std::toupper(c)));
}

Machine::StateSet Machine::Run(const std::string& text, bool ignore_case, bool* dead) const {
  std::vector<char> seen(states_.size(), 0);
  StateSet current;
  Close(current, start_, text, 0, seen);
  for (size_t i = 0; i < text.size(); i++) {
    StateSet next;
    std::fill(seen.begin(), seen.end(), 0);
    for (int s : current)
      if (Takes(s, static_cast<unsigned char>(text[i]), ignore_case))
        Close(next, states_[static_cast<size_t>(s)].out, text, i + 1, seen);
    current.swap(next);
    if (current.empty()) break;
  }
  *dead = current.empty();
  return current;
}

bool Machine::Accepts(const StateSet& set) const {
  for (int s : set)
    if (states_[static_cast<size_t>(s)].kind == State::Accept) return true;
  return false;
}

Match Machine::Test(const std::string& text, bool ignore_case) const {
  bool dead = false;
  StateSet set = Run(text, ignore_case, &dead);
  if (dead) return Match::None;
  if (Accepts(set)) return Match::Complete;
  for (int s : set)
    if (states_[static_cast<size_t>(s)].kind == State::Set) return Match::Prefix;
  return Match::None;  // only assertions that can no longer hold
}

std::vector<int> Machine::Reach(const std::string& text, bool ignore_case) const {
  std::vector<char> seen(states_.size(), 0);
  std::vector<int> reached{start_};
  for (size_t i = 0; i < text.size() && !reached.empty(); i++)
    reached = Step(reached, text, i, ignore_case, seen);
  return reached;
}

std::vector<int> Machine::Step(const std::vector<int>& reached, const std::string& text, size_t at,
                               bool ignore_case, std::vector<char>& seen) const {
  StateSet current;
  std::fill(seen.begin(), seen.end(), 0);
  for (int r : reached) Close(current, r, text, at, seen);
  std::vector<int> next;
  for (int s : current)
    if (Takes(s, static_cast<unsigned char>(text[at]), ignore_case))
      next.push_back(states_[static_cast<size_t>(s)].out);
  return next;
}

// Each forced character is one step from the states reached so far (a run
// over the whole text per character cost the square of a long forced run).
std::string Machine::Forced(const std::string& text, bool ignore_case) const {
  std::string forced, whole = text;
  std::vector<char> seen(states_.size(), 0);
  std::vector<int> reached = Reach(text, ignore_case);
  for (int guard = 0; guard < 1024 && !reached.empty(); guard++) {
    StateSet set;
    std::fill(seen.begin(), seen.end(), 0);
    for (int r : reached) Close(set, r, whole, whole.size(), seen);
    if (set.empty() || Accepts(set)) break;
    std::bitset<256> next;
    for (int s : set)
      if (states_[static_cast<size_t>(s)].kind == State::Set)
        next |= states_[static_cast<size_t>(s)].set;
    if (next.count() != 1) break;
    int c = 0;
    while (!next.test(static_cast<size_t>(c))) c++;
    if (ignore_case && std::isalpha(c)) break;  // either case would do: nothing is forced
    whole += static_cast<char>(c);
    std::vector<int> stepped = Step(reached, whole, whole.size() - 1, ignore_case, seen);
    if (stepped.empty()) break;  // an assertion refuses the one candidate: nothing is forced
    forced += static_cast<char>(c);
    reached.swap(stepped);
  }
  return forced;
}

}  // namespace mask

// ---- the mask library on elements ------------------------------------------

namespace {

typedef int (*MatrixActionCallback)(IupElement* self, int key, int line, int column, int editing,
                                    char* text);
typedef int (*MatrixCellCallback)(IupElement* self, int line, int column);

// Compiled machines by pattern text; they live until exit, so a pointer
// kept in an element's attribute never dangles.
std::map<std::string, std::unique_ptr<mask::Machine>>& Machines() {
  static std::map<std::string, std::unique_ptr<mask::Machine>> machines;
  return machines;
}
const mask::Machine* MachineFor(const std::string& pattern) {
  auto it = Machines().find(pattern);
  if (it != Machines().end()) return it->second.get();
  std::unique_ptr<mask::Machine> m = mask::Machine::Compile(pattern);
  if (m == nullptr) return nullptr;
  return Machines().emplace(pattern, std::move(m)).first->second.get();
}

// Where a mask lives: the element itself, or a cell of a matrix (whose
// attributes carry the cell's line and column after the name).
struct Target {
  IupElement* element;
  bool cell;
  int line, column;
  std::string Name(const char* name) const {
    if (!cell) return name;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "%d:%d", line, column);
    return std::string(name) + suffix;
  }
  const char* Get(const char* name) const {
    return IupGetOwnAttribute(element, Name(name).c_str());
  }
  void Set(const char* name, const char* value) const {
    IupSetAttributeCopy(element, Name(name).c_str(), value);
  }
};

// The machine of a target, compiled again when "iupmaskMASK" was changed
// since it was compiled last.
const mask::Machine* MachineOf(const Target& t) {
  const char* pattern = t.Get("iupmaskMASK");
  if (pattern == nullptr) return nullptr;
  const char* compiled = t.Get("iupmaskInternalMask");
  auto* machine = static_cast<const mask::Machine*>(
      IupGetAttributePointer(t.element, t.Name("iupmaskInternalMachine").c_str()));
  if (machine != nullptr && compiled != nullptr && std::strcmp(compiled, pattern) == 0)
    return machine;
  machine = MachineFor(pattern);
  if (machine == nullptr) return nullptr;
  const std::string copy = pattern;
  t.Set("iupmaskInternalMask", copy.c_str());
  IupSetAttributePointer(t.element, t.Name("iupmaskInternalMachine").c_str(),
                         const_cast<mask::Machine*>(machine));
  return machine;
}

bool IsYes(const char* value) {
  return value != nullptr && (std::strcmp(value, "YES") == 0 || std::strcmp(value, "yes") == 0);
}

// Reads a whole number or a real: false when the text holds none.
bool InRange(const Target& t, const std::string& text) {
  const char* type = t.Get("iupmaskTYPE");
  if (type == nullptr) return true;
  const char* min = t.Get("iupmaskMIN");
  const char* max = t.Get("iupmaskMAX");
  if (std::strcmp(type, "I") == 0) {
    int v = 0, lo = 0, hi = 0;
    if (std::sscanf(text.c_str(), "%d", &v) != 1) return true;  // nothing to read yet
    if (min != nullptr && std::sscanf(min, "%d", &lo) == 1 && v < lo) return false;
    if (max != nullptr && std::sscanf(max, "%d", &hi) == 1 && v > hi) return false;
  } else if (std::strcmp(type, "F") == 0) {
    float v = 0, lo = 0, hi = 0;
    if (std::sscanf(text.c_str(), "%f", &v) != 1) return true;
    if (min != nullptr && std::sscanf(min, "%f", &lo) == 1 && v < lo) return false;
    if (max != nullptr && std::sscanf(max, "%f", &hi) == 1 && v > hi) return false;
  }
  return true;
}

enum class Verdict { NotOurs, Refused, Accepted, Filled };
struct KeyResult {
  Verdict verdict = Verdict::NotOurs;
  std::string text;  // the candidate (or the completed text when Filled)
  int caret = 0;     // 1-based caret after a fill
  bool complete = false;
};

// Steps 1 to 4 of the key check: the text as the key would leave it, its
// match, the autofill and the range.
KeyResult CheckKey(const Target& t, const mask::Machine& m, int key, const std::string& value,
                   int caret) {
  KeyResult r;
  const int size = static_cast<int>(value.size());
  const int pos = std::min(std::max(caret - 1, 0), size);
  std::string candidate = value;
  bool autofill = IsYes(t.Get("iupmaskAUTOFILL"));
  if (key == K_BS) {
    if (pos > 0) candidate.erase(static_cast<size_t>(pos - 1), 1);
    if (pos >= size) autofill = false;
  } else if (key == K_DEL) {
    if (pos < size) candidate.erase(static_cast<size_t>(pos), 1);
    if (pos >= size - 1) autofill = false;
  } else if (key >= 32 && key <= 255 && key != 127) {
    candidate.insert(static_cast<size_t>(pos), 1, static_cast<char>(key));
  } else {
    return r;  // not a key that edits: not the mask's business
  }
  const bool ignore_case = IsYes(t.Get("iupmaskCASE"));
  mask::Match match = m.Test(candidate, ignore_case);
  std::string forced;
  if (match == mask::Match::None) {
    if (!autofill) return r.verdict = Verdict::Refused, r;
    const size_t cut = std::min(static_cast<size_t>(pos), candidate.size());
    const std::string head = candidate.substr(0, cut), tail = candidate.substr(cut);
    if (m.Test(head, ignore_case) == mask::Match::None) return r.verdict = Verdict::Refused, r;
    forced = m.Forced(head, ignore_case);
    candidate = head + forced + tail;
    match = m.Test(candidate, ignore_case);
    if (forced.empty() || match == mask::Match::None) return r.verdict = Verdict::Refused, r;
  }
  if (!InRange(t, candidate)) return r.verdict = Verdict::Refused, r;
  r.text = candidate;
  r.complete = match == mask::Match::Complete;
  if (!forced.empty()) {
    r.verdict = Verdict::Filled;
    const int inserted = static_cast<int>(forced.size()) + (key == K_BS || key == K_DEL ? 0 : 1);
    r.caret = (key == K_BS ? pos - 1 : pos) + inserted + 1;
    return r;
  }
  r.verdict = Verdict::Accepted;
  return r;
}

IupCallback Remembered(const Target& t, const char* name) {
  const char* action = IupGetOwnAttribute(t.element, name);
  return action != nullptr ? IupFindAction(action) : nullptr;
}

void MatchFound(const Target& t) {
  IupCallback cb = Remembered(t, t.Name("iupmaskMATCH_CB").c_str());
  if (cb == nullptr) return;
  if (t.cell)
    reinterpret_cast<MatrixCellCallback>(reinterpret_cast<void (*)(void)>(cb))(t.element, t.line,
                                                                               t.column);
  else
    cb(t.element);
}

std::string Value(IupElement* e) {
  const char* v = IupGetAttribute(e, "VALUE");
  return v != nullptr ? v : "";
}
int Caret(IupElement* e) {
  const char* c = IupGetAttribute(e, "CARET");
  int caret = 0;
  if (c == nullptr || std::sscanf(c, "%d", &caret) != 1)
    caret = static_cast<int>(Value(e).size()) + 1;
  return caret;
}

// A TEXT's key: "ACTION" (printable keys), "K_BS" and "K_DEL" come here.
int TextKey(IupElement* e, int key, const char* old_action, char* after) {
  Target t{e, false, 0, 0};
  const mask::Machine* m = MachineOf(t);
  KeyResult r;
  const bool edits = key == K_BS || key == K_DEL || (key >= 32 && key <= 255 && key != 127);
  // Backspace and Delete were checked by their own key handlers before the
  // edit reached "ACTION"
  const bool checked_before = after != nullptr && (key == K_BS || key == K_DEL);
  if (m != nullptr && edits && !checked_before) {
    r = CheckKey(t, *m, key, Value(e), Caret(e));
    if (r.verdict == Verdict::Refused) return IUP_IGNORE;
    if (r.verdict == Verdict::Filled) {
      IupSetAttributeCopy(e, "VALUE", r.text.c_str());
      IupSetAttributeCopyF(e, "CARET", "%d", r.caret);
      if (r.complete) MatchFound(t);
      return IUP_IGNORE;  // the field already holds the result
    }
  }
  int result = IUP_DEFAULT;
  if (IupCallback cb = Remembered(t, old_action)) {
    if (after != nullptr) {
      std::string copy = r.verdict == Verdict::Accepted ? r.text : std::string(after);
      result = reinterpret_cast<IupTextCallback>(reinterpret_cast<void (*)(void)>(cb))(e, key,
                                                                                       copy.data());
    } else {
      result = reinterpret_cast<IupCallbackI>(reinterpret_cast<void (*)(void)>(cb))(e, key);
    }
  }
  if (result == IUP_DEFAULT && r.verdict == Verdict::Accepted && r.complete) MatchFound(t);
  return result;
}

int TextAction(IupElement* e, int key, char* after) {
  static char empty[] = "";
  return TextKey(e, key, "iupmaskInternalOldACTION", after != nullptr ? after : empty);
}
int TextDel(IupElement* e, int key) {
  return TextKey(e, key, "iupmaskInternalOldK_DEL", nullptr);
}
int TextBs(IupElement* e, int key) {
  return TextKey(e, key, "iupmaskInternalOldK_BS", nullptr);
}

// The matrix's application action: while navigating, a printable key
// starts editing with that character alone; while editing, the editor's
// text and caret are what the key changes.
int MatrixAction(IupElement* mat, int key, int line, int column, int editing, char* text) {
  Target t{mat, true, line, column};
  const mask::Machine* m = MachineOf(t);
  KeyResult r;
  if (m != nullptr) {
    const bool printable = key >= 32 && key <= 255 && key != 127;
    if (editing)
      r = CheckKey(t, *m, key, text != nullptr ? text : "", Caret(mat));
    else if (printable)
      r = CheckKey(t, *m, key, "", 1);
    if (r.verdict == Verdict::Refused) return IUP_IGNORE;
    if (r.verdict == Verdict::Filled) {
      if (!editing) IupSetAttribute(mat, "EDIT_MODE", "YES");
      IupSetAttributeCopy(mat, "VALUE", r.text.c_str());
      IupSetAttributeCopyF(mat, "CARET", "%d", r.caret);
      if (r.complete) MatchFound(t);
      return IUP_IGNORE;
    }
  }
  int result = IUP_DEFAULT;
  if (IupCallback cb = Remembered(t, "iupmaskInternalOldACTION")) {
    std::string copy = text != nullptr ? text : "";
    result = reinterpret_cast<MatrixActionCallback>(reinterpret_cast<void (*)(void)>(cb))(
        mat, key, line, column, editing, copy.data());
  }
  if (result == IUP_DEFAULT && r.verdict == Verdict::Accepted && r.complete) MatchFound(t);
  return result;
}

// Takes the element's key actions over (once: a second mask keeps the
// actions remembered by the first).
void Attach(IupElement* e) {
  if (IupGetKind(e) == IUP_CANVAS) {
    const char* app = IupGetOwnAttribute(e, "iup_matrix_app_action");
    if (app == nullptr || std::strcmp(app, "iupmaskMATACTION") != 0) {
      IupSetAttributeCopy(e, "iupmaskInternalOldACTION", app);
      IupSetAttribute(e, "iup_matrix_app_action", "iupmaskMATACTION");
    }
    return;
  }
  struct {
    const char* name;
    const char* ours;
    const char* remembered;
  } const keys[] = {{"ACTION", "iupmaskACTION", "iupmaskInternalOldACTION"},
                    {"K_DEL", "iupmaskK_DEL", "iupmaskInternalOldK_DEL"},
                    {"K_BS", "iupmaskK_BS", "iupmaskInternalOldK_BS"}};
  for (const auto& k : keys) {
    const char* current = IupGetOwnAttribute(e, k.name);
    if (current != nullptr && std::strcmp(current, k.ours) == 0) continue;
    IupSetAttributeCopy(e, k.remembered, current);
    IupSetAttribute(e, k.name, k.ours);
  }
}

int SetMask(const Target& t, const char* pattern, int autofill, int ignore_case) {
  if (t.element == nullptr || pattern == nullptr) return 0;
  if (t.cell && IupGetAttributePointer(t.element, "MATRIX_DATA") == nullptr) return 0;
  const mask::Machine* m = MachineFor(pattern);
  if (m == nullptr) return 0;
  Attach(t.element);
  const std::string copy = pattern;
  t.Set("iupmaskMASK", copy.c_str());
  t.Set("iupmaskInternalMask", copy.c_str());
  IupSetAttributePointer(t.element, t.Name("iupmaskInternalMachine").c_str(),
                         const_cast<mask::Machine*>(m));
  t.Set("iupmaskAUTOFILL", autofill ? "YES" : "NO");
  t.Set("iupmaskCASE", ignore_case ? "YES" : "NO");
  t.Set("iupmaskTYPE", nullptr);
  return 1;
}

int SetInteger(const Target& t, int autofill, int min, int max) {
  if (!SetMask(t, min >= 0 ? "/d+" : "[+/-]?/d+", autofill, 0)) return 0;
  char text[32];
  std::snprintf(text, sizeof text, "%d", min);
  t.Set("iupmaskMIN", text);
  std::snprintf(text, sizeof text, "%d", max);
  t.Set("iupmaskMAX", text);
  t.Set("iupmaskTYPE", "I");
  return 1;
}

int SetReal(const Target& t, int autofill, float min, float max) {
  if (!SetMask(t, min >= 0 ? "(/d+/.?/d*|/./d+)" : "[+/-]?(/d+/.?/d*|/./d+)", autofill, 0))
    return 0;
  char text[64];
  std::snprintf(text, sizeof text, "%f", static_cast<double>(min));
  t.Set("iupmaskMIN", text);
  std::snprintf(text, sizeof text, "%f", static_cast<double>(max));
  t.Set("iupmaskMAX", text);
  t.Set("iupmaskTYPE", "F");
  return 1;
}

int Check(const Target& t, const char* text) {
  const mask::Machine* m = MachineOf(t);
  if (m == nullptr) return 1;
  const std::string value = text != nullptr ? text : "";
  if (m->Test(value, IsYes(t.Get("iupmaskCASE"))) != mask::Match::Complete) return 0;
  if (const char* type = t.Get("iupmaskTYPE")) {
    // a complete match of the range patterns always reads as a number
    (void)type;
    if (!InRange(t, value)) return 0;
  }
  return 1;
}

}  // namespace

void IupTextMaskOpen(void) {
  IupBindAction("iupmaskACTION", IupAsCallback(TextAction));
  IupBindAction("iupmaskK_DEL", IupAsCallback(TextDel));
  IupBindAction("iupmaskK_BS", IupAsCallback(TextBs));
  IupBindAction("iupmaskMATACTION", IupAsCallback(MatrixAction));
}

int IupTextMaskSet(IupElement* text, const char* pattern, int autofill, int ignore_case) {
  return SetMask(Target{text, false, 0, 0}, pattern, autofill, ignore_case);
}
int IupTextMaskSetCell(IupElement* matrix, const char* pattern, int autofill, int ignore_case,
                       int line, int column) {
  return SetMask(Target{matrix, true, line, column}, pattern, autofill, ignore_case);
}
int IupTextMaskSetInteger(IupElement* text, int autofill, int min, int max) {
  return SetInteger(Target{text, false, 0, 0}, autofill, min, max);
}
int IupTextMaskSetInteger(IupElement* matrix, int autofill, int min, int max, int line,
                          int column) {
  if (IupGetAttributePointer(matrix, "MATRIX_DATA") == nullptr) return 0;
  return SetInteger(Target{matrix, true, line, column}, autofill, min, max);
}
int IupTextMaskSetReal(IupElement* text, int autofill, float min, float max) {
  return SetReal(Target{text, false, 0, 0}, autofill, min, max);
}
int IupTextMaskSetReal(IupElement* matrix, int autofill, float min, float max, int line,
                       int column) {
  if (IupGetAttributePointer(matrix, "MATRIX_DATA") == nullptr) return 0;
  return SetReal(Target{matrix, true, line, column}, autofill, min, max);
}
int IupTextMaskCheck(IupElement* text) {
  if (text == nullptr) return 1;
  const std::string value = Value(text);
  return Check(Target{text, false, 0, 0}, value.c_str());
}
int IupTextMaskCheck(IupElement* matrix, const char* text, int line, int column) {
  if (matrix == nullptr) return 1;
  return Check(Target{matrix, true, line, column}, text);
}
