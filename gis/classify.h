// Turning band values into theme classes: categorical bands get one class
// per value present, continuous bands N classes by equal intervals, by
// quantiles or by the user's breaks. Nodata is a class of its own,
// impassable by default. Pure computation, no GDAL and no script.
#ifndef VARKO_GIS_CLASSIFY_H
#define VARKO_GIS_CLASSIFY_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gis {

inline constexpr double kImpassable = 100000;

struct ThemeClass {
  int colorindex = 0;
  double weight = 1;
  std::string description;
};

// A colour table of the file: index -> encoded colour (red * 65536 + green * 256 + blue).
using ColourTable = std::vector<uint32_t>;

enum class Method { EqualInterval, Quantile, Breaks };

struct ContinuousRequest {
  Method method = Method::EqualInterval;
  int count = 5;               // classes wanted (1 to 255), for the first two methods
  std::vector<double> breaks;  // ascending inner breaks, for Method::Breaks
};

// The outcome: the class list, a 256-entry palette and, for every pixel
// value, its colour index.
struct Classification {
  std::vector<ThemeClass> classes;
  std::vector<uint32_t> palette = std::vector<uint32_t>(256, 0);
};

// Categorical values of a byte band: counts[v] pixels of value v (nodata
// pixels not counted), nodata_pixels of nodata. The index of a value is the
// value itself; nodata, when present, gets the nodata value when free, else
// the lowest free index. lut[v] is the index for value v; *nodata_index
// the one for nodata.
Classification ClassifyByteCategories(const std::vector<long long>& counts, long long nodata_pixels,
                                      std::optional<int> nodata_value, const ColourTable& colours,
                                      const std::vector<std::string>& names, unsigned char lut[256],
                                      unsigned char* nodata_index);

// Categorical values of any band, NaN for nodata. Values all integers in 0
// to 255 keep their value as index (as the byte case); other integer values
// are numbered 1, 2, ... in ascending order, nodata 0. Fails with a problem
// text (no trailing "!") when there are more than 255 distinct values or a
// value is not an integer.
struct CategoricalOutcome {
  Classification classification;
  std::string problem;  // empty on success
};
CategoricalOutcome ClassifyCategories(const std::vector<double>& values, const ColourTable& colours,
                                      const std::vector<std::string>& names,
                                      std::vector<unsigned char>* indices);

// Continuous values, NaN for nodata: classes 1..n with ranges as
// descriptions ("a - b"), nodata 0 ("No data", impassable). The problem text
// is set when the breaks are not ascending or there are no valid values.
struct ContinuousOutcome {
  Classification classification;
  std::string problem;
};
ContinuousOutcome ClassifyContinuous(const std::vector<double>& values,
                                     const ContinuousRequest& request,
                                     std::vector<unsigned char>* indices);

// True when values holds at most 255 distinct non-NaN integers.
bool LooksCategorical(const std::vector<double>& values);

}  // namespace gis

#endif
