// Attribute lists: parsing "NAME=VALUE, NAME2 = "a, b", NAME3" into sets,
// and writing an element's own attributes back as NAME="VALUE",...
#include <cstring>
#include <string>

#include "iupcore.h"

namespace iup {
namespace {

constexpr size_t kMaxToken = 255;

enum class Token { End, String, Comma, Equal };

// Bytes 1 to 32 separate tokens; bytes 128 to 255 are ordinary word bytes
// (Latin-1 letters belong to the word they are in).
bool IsWordEnd(char c) {
  return c == '\0' || std::strchr("=, \t\n\r\f\v", c) != nullptr;
}

class Lexer {
 public:
  explicit Lexer(const char* text) : p_(text) {}
  Token Next(std::string* word) {
    while (*p_ != '\0' && static_cast<unsigned char>(*p_) <= 32) ++p_;
    if (*p_ == '\0') return Token::End;
    if (*p_ == ',') return ++p_, Token::Comma;
    if (*p_ == '=') return ++p_, Token::Equal;
    word->clear();
    if (*p_ == '"') {
      for (++p_; *p_ != '\0' && *p_ != '"'; ++p_) Keep(word, *p_);
      if (*p_ == '"') ++p_;
      return Token::String;
    }
    for (; !IsWordEnd(*p_); ++p_) Keep(word, *p_);
    return Token::String;
  }

 private:
  static void Keep(std::string* word, char c) {
    if (word->size() < kMaxToken) word->push_back(c);
  }
  const char* p_;
};

}  // namespace
}  // namespace iup

void IupSetAttributeList(IupElement* e, const char* text) {
  if (e == nullptr) return;
  if (text == nullptr) {
    e->attributes.reset();
    return;
  }
  iup::Lexer lexer(text);
  const char* name = nullptr;
  const char* value = nullptr;
  bool after_equal = false;
  std::string word;
  for (;;) {
    const iup::Token t = lexer.Next(&word);
    if (t == iup::Token::String) {
      // words are interned, so values set this way are never freed
      if (after_equal || name != nullptr)
        value = IupInternName(word.c_str());
      else
        name = IupInternName(word.c_str());
    } else if (t == iup::Token::Equal) {
      if (name != nullptr) after_equal = true;
    } else {
      if (name != nullptr) {
        const int serial = e->serial;
        IupSetAttribute(e, name, value);
        if (!iup::IsAlive(serial, e)) return;
      }
      name = value = nullptr;
      after_equal = false;
      if (t == iup::Token::End) return;
    }
  }
}

const char* IupGetAttributeList(IupElement* e) {
  static auto* text = new std::string;
  text->clear();
  if (e == nullptr || e->attributes == nullptr) return text->c_str();
  // names first: reading values may reach the driver, which must not see
  // the table change under the iteration
  std::vector<const char*> names;
  e->attributes->ForEach([&](const iup::AttrEntry& entry) {
    if (!entry.pointer) names.push_back(entry.name);
  });
  for (const char* name : names) {
    const iup::AttrEntry* entry = e->attributes != nullptr ? e->attributes->Find(name) : nullptr;
    if (entry == nullptr || entry->pointer) continue;
    const char* value = nullptr;
    if (e->control_class != nullptr && e->control_class->get_attr != nullptr) {
      value = e->control_class->get_attr(e, name);
    } else if (e->control_class == nullptr || std::strcmp(name, "TYPENAME") != 0) {
      const iup::DriverValue live = iup::Drv().GetAttribute(e, name);
      if (live.pointer) continue;  // a native handle is never text
      value = live.value;
    }
    if (value == nullptr) value = entry->value;
    if (!text->empty()) text->push_back(',');
    text->append(name).append("=\"").append(value != nullptr ? value : "").append("\"");
  }
  return text->c_str();
}
