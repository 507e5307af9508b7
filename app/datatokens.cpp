// CheckProjectTokens: one pass over a project file's text with the rules of
// Lua's lexer, keeping only what plain table data needs.
#include "datatokens.h"

#include <cstddef>
#include <cstdio>
#include <string>

#include "script.h"

namespace datatokens {
namespace {

bool IsLineEnd(char c) {
  return c == '\n' || c == '\r';
}
// White space between tokens that is not a line end.
bool IsBlank(char c) {
  return c == ' ' || c == '\f' || c == '\t' || c == '\v';
}
bool IsSpace(char c) {
  return IsBlank(c) || IsLineEnd(c);
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsWordChar(char c) {
  return IsLetter(c) || IsDigit(c);
}
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  return (c | 0x20) - 'a' + 10;
}

// kValueStart: '[' and '=', after which a value (or a key) starts;
// kPunctuation: ']' and '}', after which none does.
enum class Kind {
  kNone,
  kReturn,
  kValue,
  kMinus,
  kKey,
  kOpenBrace,
  kValueStart,
  kPunctuation,
  kSeparator
};

struct Failure {
  long long line;
  const char* problem;
};

class Scanner {
 public:
  Scanner(lua_State* L, std::string_view text) : L_(L), text_(text) {}

  Verdict Run();

 private:
  // The character at i, or NUL past the end (no token rule accepts a NUL).
  char At(std::size_t i) const { return i < text_.size() ? text_[i] : '\0'; }
  bool Has(std::size_t i) const { return i < text_.size(); }
  // i is at a CR or LF: "\r\n" and "\n\r" are one line end, "\n\n" two.
  std::size_t SkipLineEnd(std::size_t i) {
    ++line_;
    const char next = At(i + 1);
    return IsLineEnd(next) && next != text_[i] ? i + 2 : i + 1;
  }
  // At a '[': the level of a long bracket "[==[" (0 or more), -1 for a plain
  // '[' and -2 for '[' and '=' signs without the second '['.
  long long BracketLevel(std::size_t i) const;
  // i is just past the opening bracket; returns the index past the closing
  // one, or npos when the text ends first.
  std::size_t SkipLongString(std::size_t i, long long level);
  // i is at the opening quote; returns the index past the closing one, or
  // sets problem_ and returns npos.
  std::size_t SkipQuoted(std::size_t i);
  std::size_t SkipEscape(std::size_t i);  // i just past the backslash
  // i is at the numeral's first character; sets problem_ when malformed.
  std::size_t SkipNumeral(std::size_t i);

  Verdict Fail(const std::string& problem) const { return Verdict{false, line_, problem}; }

  lua_State* L_;
  std::string_view text_;
  long long line_ = 1;
  std::string problem_;
};

long long Scanner::BracketLevel(std::size_t i) const {
  std::size_t j = i + 1;
  while (At(j) == '=') ++j;
  if (At(j) == '[') return static_cast<long long>(j - i - 1);
  return j == i + 1 ? -1 : -2;
}

std::size_t Scanner::SkipLongString(std::size_t i, long long level) {
  while (Has(i)) {
    const char c = text_[i];
    if (IsLineEnd(c)) {
      i = SkipLineEnd(i);
    } else if (c == ']') {
      std::size_t j = i + 1;
      while (At(j) == '=') ++j;
      if (At(j) == ']' && static_cast<long long>(j - i - 1) == level) return j + 1;
      i = j;  // the character after the '=' signs may start the closing bracket
    } else {
      ++i;
    }
  }
  return std::string_view::npos;
}

std::size_t Scanner::SkipEscape(std::size_t i) {
  const char c = At(i);
  switch (c) {
    case 'a':
    case 'b':
    case 'f':
    case 'n':
    case 'r':
    case 't':
    case 'v':
    case '\\':
    case '"':
    case '\'':
      return i + 1;
    case '\n':
    case '\r':
      return SkipLineEnd(i);
    case 'x':
      if (!IsHexDigit(At(i + 1)) || !IsHexDigit(At(i + 2))) {
        problem_ = "hexadecimal digit expected";
        return std::string_view::npos;
      }
      return i + 3;
    case 'u': {
      if (At(i + 1) != '{') {
        problem_ = "missing '{' in \\u{xxxx}";
        return std::string_view::npos;
      }
      std::size_t j = i + 2;
      if (!IsHexDigit(At(j))) {
        problem_ = "hexadecimal digit expected";
        return std::string_view::npos;
      }
      unsigned long value = 0;
      while (IsHexDigit(At(j))) {
        if (value > (0x7FFFFFFFul >> 4)) {
          problem_ = "UTF-8 value too large";
          return std::string_view::npos;
        }
        value = value * 16 + static_cast<unsigned long>(HexValue(At(j)));
        ++j;
      }
      if (At(j) != '}') {
        problem_ = "missing '}' in \\u{xxxx}";
        return std::string_view::npos;
      }
      return j + 1;
    }
    case 'z': {  // skips the white space after it, line ends too
      std::size_t j = i + 1;
      while (Has(j) && IsSpace(text_[j])) j = IsLineEnd(text_[j]) ? SkipLineEnd(j) : j + 1;
      return j;
    }
    default: {
      if (!Has(i)) return i;  // the string is unfinished: the caller says so
      if (!IsDigit(c)) {
        problem_ = "invalid escape sequence";
        return std::string_view::npos;
      }
      int value = 0;
      std::size_t j = i;
      for (int n = 0; n < 3 && IsDigit(At(j)); ++n, ++j) value = value * 10 + (At(j) - '0');
      if (value > 255) {
        problem_ = "decimal escape too large";
        return std::string_view::npos;
      }
      return j;
    }
  }
}

std::size_t Scanner::SkipQuoted(std::size_t i) {
  const char quote = text_[i];
  ++i;
  while (true) {
    if (!Has(i) || IsLineEnd(text_[i])) {
      problem_ = "unfinished string";
      return std::string_view::npos;
    }
    const char c = text_[i];
    if (c == quote) return i + 1;
    if (c == '\\') {
      i = SkipEscape(i + 1);
      if (i == std::string_view::npos) return i;
    } else {
      ++i;
    }
  }
}

std::size_t Scanner::SkipNumeral(std::size_t i) {
  const std::size_t start = i;
  if (text_[i] == '.') ++i;
  const char first = At(i);
  ++i;
  char exponent_upper = 'E', exponent_lower = 'e';
  if (first == '0' && (At(i) == 'x' || At(i) == 'X')) {
    ++i;
    exponent_upper = 'P';
    exponent_lower = 'p';
  }
  while (true) {
    const char c = At(i);
    if (c == exponent_upper || c == exponent_lower) {
      ++i;
      if (At(i) == '+' || At(i) == '-') ++i;
    } else if (IsHexDigit(c) || c == '.') {
      ++i;
    } else {
      break;
    }
  }
  if (IsLetter(At(i))) ++i;  // a numeral touching a letter is malformed
  const std::string numeral(text_.substr(start, i - start));
  bool converted = false;
  if (lua_checkstack(L_, 1) != 0 && lua_stringtonumber(L_, numeral.c_str()) != 0) {
    lua_pop(L_, 1);
    converted = true;
  }
  if (!converted) {
    problem_ = "malformed number '";
    if (numeral.size() > 40) {
      problem_.append(numeral, 0, 40);
      problem_ += "...";
    } else {
      problem_ += numeral;
    }
    problem_ += "'";
  }
  return i;
}

Verdict Scanner::Run() {
  std::size_t i = 0;
  long long tokens = 0, depth = 0;
  bool closed = false;
  Kind previous = Kind::kNone;
  const std::string not_allowed = " is not allowed in a project file";
  const std::string starts = "a project file starts with 'return {'";
  while (Has(i)) {
    const char c = text_[i];
    if (IsLineEnd(c)) {
      i = SkipLineEnd(i);
      continue;
    }
    if (IsBlank(c)) {
      ++i;
      continue;
    }
    const long long token_line = line_;
    if (c == '-' && At(i + 1) == '-') {
      i += 2;
      if (At(i) == '[') {
        const long long level = BracketLevel(i);
        if (level >= 0) {
          i = SkipLongString(i + static_cast<std::size_t>(level) + 2, level);
          if (i == std::string_view::npos)
            return Verdict{false, token_line, "unfinished long comment"};
          continue;
        }
      }
      while (Has(i) && !IsLineEnd(text_[i])) ++i;  // a short comment ends at CR as well as LF
      continue;
    }
    if (closed) return Fail("text after the end of the project table");
    ++tokens;
    Kind kind = Kind::kValue;
    if (tokens == 1) {
      if (text_.substr(i, 6) != "return" || IsWordChar(At(i + 6))) return Fail(starts);
      i += 6;
      kind = Kind::kReturn;
    } else if (c == '"' || c == '\'') {
      i = SkipQuoted(i);
      if (i == std::string_view::npos) return Verdict{false, token_line, problem_};
    } else if (c == '[' && BracketLevel(i) != -1) {
      const long long level = BracketLevel(i);
      if (level < 0) return Fail("invalid long string delimiter");
      i = SkipLongString(i + static_cast<std::size_t>(level) + 2, level);
      if (i == std::string_view::npos) return Verdict{false, token_line, "unfinished long string"};
    } else if (IsDigit(c) || (c == '.' && IsDigit(At(i + 1)))) {
      i = SkipNumeral(i);
      if (!problem_.empty()) return Fail(problem_);
    } else if (c == '-') {
      // a minus sign only before a number, and only where a value starts:
      // after a value it would subtract ({} -1 is arithmetic, not data)
      if (previous != Kind::kOpenBrace && previous != Kind::kSeparator &&
          previous != Kind::kValueStart)
        return Fail("unexpected '-'");
      std::size_t j = i + 1;
      while (Has(j) && IsSpace(text_[j])) ++j;
      if (At(j) == '.') ++j;
      if (!IsDigit(At(j))) return Fail("unexpected '-'");
      ++i;
      kind = Kind::kMinus;
    } else if (IsLetter(c)) {
      const std::size_t start = i;
      while (Has(i) && IsWordChar(text_[i])) ++i;
      const std::string_view word = text_.substr(start, i - start);
      if (word != "true" && word != "false") {
        // a name only as a field key: after '{', ',' or ';' and before '='
        std::size_t j = i;
        while (Has(j) && IsSpace(text_[j])) ++j;
        const bool before_equals = At(j) == '=' && Has(j + 1) && text_[j + 1] != '=';
        if (!before_equals || (previous != Kind::kOpenBrace && previous != Kind::kSeparator)) {
          std::string problem = "'";
          problem += word.size() > 40 ? std::string(word.substr(0, 40)) + "..." : std::string(word);
          problem += "'";
          problem += not_allowed;
          problem += " (only tables, strings, numbers, true and false)";
          return Fail(problem);
        }
        kind = Kind::kKey;
      }
    } else if (c == '{' || c == '}' || c == '[' || c == ']' || c == '=' || c == ',' || c == ';') {
      if (c == '=' && At(i + 1) == '=') return Fail("unexpected '=='");
      if (c == '{') ++depth;
      if (c == '}') {
        if (--depth < 0) return Fail("unexpected '}'");
        if (depth == 0) closed = true;
      }
      if (tokens == 2 && c != '{') return Fail(starts);
      ++i;
      kind = c == '{'               ? Kind::kOpenBrace
             : c == ',' || c == ';' ? Kind::kSeparator
             : c == '[' || c == '=' ? Kind::kValueStart
                                    : Kind::kPunctuation;
    } else {
      // a byte that does not print is shown by its code, as Lua's messages do
      const unsigned char byte = static_cast<unsigned char>(c);
      std::string problem = "'";
      if (byte >= 32 && byte < 127) {
        problem += c;
      } else {
        problem += "<\\";
        problem += std::to_string(byte);
        problem += ">";
      }
      problem += "'";
      problem += not_allowed;
      return Fail(problem);
    }
    if (tokens == 2 && kind != Kind::kOpenBrace) return Fail(starts);
    previous = kind;
  }
  if (tokens == 0) return Verdict{false, 1, "the file is empty"};
  if (!closed) return Fail("the project table is not closed");
  return Verdict{};
}

}  // namespace

Verdict Check(lua_State* L, std::string_view text) {
  return Scanner(L, text).Run();
}

}  // namespace datatokens

namespace {

int CheckProjectTokensBody(lua_State* L) {
  if (!script::HasArg(L, 1) || lua_type(L, 1) != LUA_TSTRING)
    script::Raise("CheckProjectTokens", "invalid text parameter");
  script::NoArgAt(L, 2, "CheckProjectTokens");
  std::size_t size = 0;
  const char* text = lua_tolstring(L, 1, &size);  // stays on the stack: valid throughout
  // The message goes out of a plain buffer, so no C++ object is alive when
  // pushing it meets a memory error.
  char message[256];
  bool ok = false;
  {
    const datatokens::Verdict verdict = datatokens::Check(L, std::string_view(text, size));
    ok = verdict.ok;
    std::snprintf(message, sizeof message, "line %lld: %s", verdict.line, verdict.problem.c_str());
  }
  if (ok) {
    lua_pushboolean(L, 1);
    return 1;
  }
  lua_pushnil(L);
  lua_pushstring(L, message);
  return 2;
}

}  // namespace

int CheckProjectTokens(lua_State* L) {
  return script::RunGuarded(L, CheckProjectTokensBody);
}
