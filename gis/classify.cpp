// Classes of categorical and continuous bands (see classify.h).
#include "classify.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace gis {
namespace {

// A colour for class k of n when the file has no colour table: a ramp from
// green through yellow to red, easy to tell apart on the map.
uint32_t RampColour(int k, int n) {
  double t = n > 1 ? static_cast<double>(k) / (n - 1) : 0.0;
  int red = t < 0.5 ? static_cast<int>(510 * t) : 255;
  int green = t < 0.5 ? 200 : static_cast<int>(200 * (1 - t) * 2);
  return static_cast<uint32_t>(red) << 16 | static_cast<uint32_t>(green) << 8 | 40u;
}

constexpr uint32_t kNodataColour = 0x000000;

std::string ValueText(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

std::string CategoryName(double value, long long position, const std::vector<std::string>& names) {
  if (position >= 0 && position < static_cast<long long>(names.size()) && !names[position].empty())
    return names[position];
  return "Value " + ValueText(value);
}

void AddNodataClass(Classification* out, int index) {
  out->classes.push_back({index, kImpassable, "No data"});
  out->palette[index] = kNodataColour;
}

}  // namespace

Classification ClassifyByteCategories(const std::vector<long long>& counts, long long nodata_pixels,
                                      std::optional<int> nodata_value, const ColourTable& colours,
                                      const std::vector<std::string>& names, unsigned char lut[256],
                                      unsigned char* nodata_index) {
  Classification out;
  int present = 0;
  for (int v = 0; v < 256; ++v) present += counts[v] > 0;
  int k = 0;
  for (int v = 0; v < 256; ++v) {
    lut[v] = static_cast<unsigned char>(v);
    if (counts[v] == 0) continue;
    out.classes.push_back({v, 1, CategoryName(v, v, names)});
    out.palette[v] = v < static_cast<int>(colours.size()) ? colours[v] : RampColour(k, present);
    ++k;
  }
  *nodata_index = 0;
  if (nodata_pixels > 0) {
    int index = -1;
    if (nodata_value && *nodata_value >= 0 && *nodata_value < 256 && counts[*nodata_value] == 0)
      index = *nodata_value;
    for (int v = 0; index < 0 && v < 256; ++v)
      if (counts[v] == 0) index = v;
    // 256 values present leave no index: impossible with a nodata pixel in a byte band
    *nodata_index = static_cast<unsigned char>(std::max(index, 0));
    AddNodataClass(&out, *nodata_index);
    std::sort(out.classes.begin(), out.classes.end(),
              [](const ThemeClass& a, const ThemeClass& b) { return a.colorindex < b.colorindex; });
  }
  return out;
}

bool LooksCategorical(const std::vector<double>& values) {
  std::vector<double> seen;
  for (double v : values) {
    if (std::isnan(v)) continue;
    if (v != std::floor(v)) return false;
    auto at = std::lower_bound(seen.begin(), seen.end(), v);
    if (at != seen.end() && *at == v) continue;
    if (seen.size() == 255) return false;
    seen.insert(at, v);
  }
  return true;
}

CategoricalOutcome ClassifyCategories(const std::vector<double>& values, const ColourTable& colours,
                                      const std::vector<std::string>& names,
                                      std::vector<unsigned char>* indices) {
  CategoricalOutcome outcome;
  std::vector<double> seen;  // sorted distinct values, at most 255
  bool has_nodata = false;
  for (double v : values) {
    if (std::isnan(v)) {
      has_nodata = true;
      continue;
    }
    if (v != std::floor(v)) {
      outcome.problem = "a categorical band needs integer values, " + ValueText(v) + " is not";
      return outcome;
    }
    auto at = std::lower_bound(seen.begin(), seen.end(), v);
    if (at != seen.end() && *at == v) continue;
    if (seen.size() == 255) {
      outcome.problem = "a categorical band has at most 255 distinct values, this one has more";
      return outcome;
    }
    seen.insert(at, v);
  }
  bool bytes = seen.empty() || (seen.front() >= 0 && seen.back() <= 255);
  Classification& out = outcome.classification;
  std::map<double, int> index_of;
  for (size_t k = 0; k < seen.size(); ++k) {
    double v = seen[k];
    int index = bytes ? static_cast<int>(v) : static_cast<int>(k) + 1;
    index_of[v] = index;
    long long position = bytes ? index : -1;
    out.classes.push_back({index, 1, CategoryName(v, position, names)});
    out.palette[index] = bytes && index < static_cast<int>(colours.size())
                             ? colours[index]
                             : RampColour(static_cast<int>(k), static_cast<int>(seen.size()));
  }
  int nodata_index = 0;
  if (has_nodata) {
    if (bytes) {
      std::vector<bool> used(256, false);
      for (double v : seen) used[static_cast<int>(v)] = true;
      while (nodata_index < 255 && used[nodata_index]) ++nodata_index;
    }
    AddNodataClass(&out, nodata_index);
    std::sort(out.classes.begin(), out.classes.end(),
              [](const ThemeClass& a, const ThemeClass& b) { return a.colorindex < b.colorindex; });
  }
  indices->resize(values.size());
  // small lists: a linear cache of the last value found avoids the map lookups
  double last_value = std::nan("");
  unsigned char last_index = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    double v = values[i];
    if (std::isnan(v)) {
      (*indices)[i] = static_cast<unsigned char>(nodata_index);
      continue;
    }
    if (v != last_value) {
      last_value = v;
      last_index = static_cast<unsigned char>(index_of[v]);
    }
    (*indices)[i] = last_index;
  }
  return outcome;
}

ContinuousOutcome ClassifyContinuous(const std::vector<double>& values,
                                     const ContinuousRequest& request,
                                     std::vector<unsigned char>* indices) {
  ContinuousOutcome outcome;
  bool has_nodata = false, any = false;
  double low = 0, high = 0;
  for (double v : values) {
    if (std::isnan(v)) {
      has_nodata = true;
    } else if (!any) {
      any = true;
      low = high = v;
    } else {
      low = std::min(low, v);
      high = std::max(high, v);
    }
  }
  if (!any) {
    outcome.problem = "the band holds no valid value";
    return outcome;
  }
  // inner breaks: class k (0-based) holds values v with breaks[k-1] < v <= breaks[k]
  std::vector<double> breaks;
  if (request.method == Method::Breaks) {
    for (size_t k = 1; k < request.breaks.size(); ++k) {
      if (!(request.breaks[k - 1] < request.breaks[k])) {
        outcome.problem = "the breaks must be ascending";
        return outcome;
      }
    }
    breaks = request.breaks;
  } else if (request.method == Method::EqualInterval) {
    for (int k = 1; k < request.count && high > low; ++k)
      breaks.push_back(low + (high - low) * k / request.count);
  } else {
    // only quantiles need the values in order: a sorted copy of the valid ones
    std::vector<double> valid;
    valid.reserve(values.size());
    for (double v : values)
      if (!std::isnan(v)) valid.push_back(v);
    std::sort(valid.begin(), valid.end());
    size_t n = valid.size();
    for (int k = 1; k < request.count; ++k) {
      size_t rank = (n * k + request.count - 1) / request.count;  // ceil(n k / N)
      double b = valid[rank == 0 ? 0 : rank - 1];
      // equal values cannot be split: a repeated or top break makes no class
      if (b < high && (breaks.empty() || b > breaks.back())) breaks.push_back(b);
    }
  }
  int count = static_cast<int>(breaks.size()) + 1;
  if (count > 255) {
    outcome.problem = "at most 255 classes";
    return outcome;
  }
  Classification& out = outcome.classification;
  for (int k = 0; k < count; ++k) {
    double from = k == 0 ? low : breaks[k - 1];
    double to = k == count - 1 ? high : breaks[k];
    if (request.method == Method::Breaks) {
      from = k == 0 ? std::min(low, breaks.empty() ? low : breaks[0]) : from;
      to = k == count - 1 ? std::max(high, breaks.empty() ? high : breaks.back()) : to;
    }
    out.classes.push_back({k + 1, 1, ValueText(from) + " - " + ValueText(to)});
    out.palette[k + 1] = RampColour(k, count);
  }
  if (has_nodata) {
    AddNodataClass(&out, 0);
    std::rotate(out.classes.rbegin(), out.classes.rbegin() + 1, out.classes.rend());
  }
  indices->resize(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    double v = values[i];
    if (std::isnan(v)) {
      (*indices)[i] = 0;
      continue;
    }
    auto at = std::lower_bound(breaks.begin(), breaks.end(), v);  // first break >= v
    (*indices)[i] = static_cast<unsigned char>(at - breaks.begin() + 1);
  }
  return outcome;
}

}  // namespace gis
