// IupScanf: a data-entry dialog described by a format, one field per line,
// reading and writing the caller's variables through pointers.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "predial.h"

namespace iup::predial {
namespace {

// Formats with snprintf into a buffer as large as the text needs: a value
// wider than its field (1e30 in a "%20.10%lf" field) is shown whole.
template <typename T>
std::string Printf(const std::string& conversion, T value) {
  int length = std::snprintf(nullptr, 0, conversion.c_str(), value);
  if (length < 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), conversion.c_str(), value);
  text.resize(static_cast<size_t>(length));
  return text;
}

bool IsFloating(char type) {
  return std::strchr("efgEG", type) != nullptr;
}
bool IsInteger(char type) {
  return std::strchr("diouxX", type) != nullptr;
}

// A conversion we format ourselves: '%', flags, width, precision, size and
// one letter, nothing after it. Anything else could read arguments that
// are not there.
bool ParseConversion(ScanfField& field) {
  const std::string& c = field.conversion;
  size_t i = 1;
  while (i < c.size() && std::strchr("-+ #0", c[i])) ++i;
  while (i < c.size() && c[i] >= '0' && c[i] <= '9') ++i;
  if (i < c.size() && c[i] == '.') {
    ++i;
    while (i < c.size() && c[i] >= '0' && c[i] <= '9') ++i;
  }
  if (i < c.size() && std::strchr("lLh", c[i])) field.size = c[i++];
  if (i + 1 != c.size()) return false;
  field.type = c[i];
  if (field.type == 's') return field.size == 0;
  if (IsFloating(field.type)) return field.size != 'h';
  return IsInteger(field.type);
}

}  // namespace

ScanfFormat ParseScanfFormat(const char* format) {
  ScanfFormat result;
  if (format == nullptr) return result;
  std::string text = format;
  size_t newlines = 0;
  for (char c : text) newlines += c == '\n';
  size_t end = text.find('\n');
  result.title = text.substr(0, end);
  size_t count = newlines > 0 ? newlines - 1 : 0;
  size_t start = end == std::string::npos ? text.size() : end + 1;
  bool usable = true;
  for (size_t n = 0; n < count; ++n) {
    end = text.find('\n', start);
    std::string line =
        text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? text.size() : end + 1;
    ScanfField field;
    // label, '%', max characters, '.', visible width, conversion
    size_t percent = line.find('%');
    char* after = nullptr;
    if (percent != std::string::npos) {
      field.label = line.substr(0, percent);
      const char* p = line.c_str() + percent + 1;
      long max = std::strtol(p, &after, 10);
      if (after != p && *after == '.') {
        const char* q = after + 1;
        long width = std::strtol(q, &after, 10);
        if (after != q && *after == '%' && max >= 0 && max < 100000 && width >= 0 &&
            width < 100000) {
          field.max_chars = static_cast<int>(max);
          field.width = static_cast<int>(width);
          field.conversion = after;
        }
      }
    }
    usable = usable && !field.conversion.empty() && ParseConversion(field);
    if (usable) result.usable = n + 1;
    result.fields.push_back(field);
  }
  return result;
}

std::string FormatDouble(const ScanfField& field, double value) {
  return Printf(field.conversion, value);
}
std::string FormatLongDouble(const ScanfField& field, long double value) {
  return Printf(field.conversion, value);
}
std::string FormatInt(const ScanfField& field, long value) {
  std::string conversion = field.conversion;
  if (field.size != 'l') {
    // short and int values travel as long here
    size_t letter = conversion.size() - 1;
    if (field.size == 'h') conversion.erase(letter - 1, 1), --letter;
    conversion.insert(letter, 1, 'l');
  }
  return Printf(conversion, value);
}
std::string FormatString(const ScanfField& field, const char* value) {
  return Printf(field.conversion, value ? value : "");
}

int ScanfDialog(const ScanfFormat& format, std::vector<std::string>& texts) {
  std::vector<int> max, widths;
  std::vector<std::string> labels;
  for (size_t i = 0; i < texts.size(); ++i) {
    max.push_back(format.fields[i].max_chars);
    widths.push_back(format.fields[i].width);
    labels.push_back(format.fields[i].label);
  }
  return DataEntry(format.title, max, widths, labels, texts);
}

}  // namespace iup::predial

namespace {

using iup::predial::ScanfField;

// Reads a field's text back into the variable; false when it does not convert.
bool ReadBack(const ScanfField& field, const std::string& text, void* target) {
  char extra = 0;
  if (field.type == 's') {
    // The caller's buffer holds max characters and the terminator.
    size_t length = std::min(text.size(), static_cast<size_t>(field.max_chars));
    std::memcpy(target, text.data(), length);
    static_cast<char*>(target)[length] = '\0';
    return true;
  }
  if (std::strchr("efgEG", field.type)) {
    double value = 0;
    if (std::sscanf(text.c_str(), "%lg %c", &value, &extra) != 1) return false;
    if (field.size == 'L')
      *static_cast<long double*>(target) = value;
    else if (field.size == 'l')
      *static_cast<double*>(target) = value;
    else
      *static_cast<float*>(target) = static_cast<float>(value);
    return true;
  }
  long value = 0;
  const char* scan = field.type == 'd' || field.type == 'u' ? "%ld %c" : "%li %c";
  if (std::sscanf(text.c_str(), scan, &value, &extra) != 1) return false;
  if (field.size == 'l')
    *static_cast<long*>(target) = value;
  else if (field.size == 'h')
    *static_cast<short*>(target) = static_cast<short>(value);
  else
    *static_cast<int*>(target) = static_cast<int>(value);
  return true;
}

}  // namespace

int IupScanf(const char* format, ...) {
  using namespace iup::predial;
  ScanfFormat parsed = ParseScanfFormat(format);
  if (parsed.fields.empty() || parsed.usable == 0) return -1;
  std::vector<void*> targets;
  std::vector<std::string> texts;
  va_list args;
  va_start(args, format);
  for (size_t i = 0; i < parsed.usable; ++i) {
    const ScanfField& field = parsed.fields[i];
    void* target = va_arg(args, void*);
    targets.push_back(target);
    if (target == nullptr) {
      texts.emplace_back();
    } else if (field.type == 's') {
      texts.push_back(FormatString(field, static_cast<const char*>(target)));
    } else if (std::strchr("efgEG", field.type)) {
      if (field.size == 'L')
        texts.push_back(FormatLongDouble(field, *static_cast<long double*>(target)));
      else if (field.size == 'l')
        texts.push_back(FormatDouble(field, *static_cast<double*>(target)));
      else
        texts.push_back(FormatDouble(field, *static_cast<float*>(target)));
    } else if (field.size == 'l') {
      texts.push_back(FormatInt(field, *static_cast<long*>(target)));
    } else if (field.size == 'h') {
      texts.push_back(FormatInt(field, *static_cast<short*>(target)));
    } else {
      texts.push_back(FormatInt(field, *static_cast<int*>(target)));
    }
  }
  va_end(args);
  // The set-up ends at an unusable conversion: only the fields before it
  // are shown.
  if (ScanfDialog(parsed, texts) != 1) return -1;
  for (size_t i = 0; i < targets.size(); ++i) {
    if (targets[i] != nullptr && !ReadBack(parsed.fields[i], texts[i], targets[i]))
      return static_cast<int>(i);
  }
  return static_cast<int>(targets.size());
}
