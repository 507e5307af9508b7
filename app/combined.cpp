// GenerateCombinedTheme: two passes over the raster, row-major, rows split
// across the cores; the first sums the themes, the second quantises the sums. Each pixel sums its
// themes in project order, so the doubles come out the same whatever the split.
#include "combined.h"

#include <algorithm>
#include <optional>
#include <thread>

#include "gauge.h"
#include "imlua.h"
#include "project.h"
#include "rawdata.h"
#include "utility.h"

namespace route {

namespace {

constexpr double kCeiling = 100000.0;
constexpr int kBands = 20;  // progress is told this often per pass

// Per pixel value, s becomes s * keep + add: keep 0 and add 100000 for an
// impassable class (the sum is replaced), keep 1 and add the product
// otherwise. Both are exact, so the loop needs no branch per pixel.
struct ThemeTable {
  const unsigned char* pixels;
  int width;
  double keep[256];
  double add[256];
};

void RowSums(const std::vector<ThemeTable>& tables, int row, int width, double* sums) {
  std::fill(sums, sums + width, 0.0);
  for (const ThemeTable& t : tables) {
    const unsigned char* line = t.pixels + static_cast<std::ptrdiff_t>(row) * t.width;
    for (int x = 0; x < width; ++x) {
      const unsigned char v = line[x];
      const double s = sums[x] * t.keep[v] + t.add[v];
      sums[x] = std::min(s, kCeiling);
    }
  }
}

template <typename Work>
void SplitRows(int height, unsigned threads, Work&& work) {
  threads = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(std::max(height, 1))));
  std::vector<std::thread> pool;
  const int per = (height + static_cast<int>(threads) - 1) / static_cast<int>(threads);
  for (unsigned k = 1; k < threads; ++k) {
    const int begin = static_cast<int>(k) * per, end = std::min(height, begin + per);
    if (begin < end) pool.emplace_back([&work, k, begin, end] { work(k, begin, end); });
  }
  work(0u, 0, std::min(height, per));
  for (std::thread& t : pool) t.join();
}

unsigned char Quantise(double s, double minValue, double maxValue) {
  if (!(s < kCeiling)) return 255;
  if (maxValue == minValue) return 0;
  const double q = (s - minValue) * 254 / (maxValue - minValue);
  if (!(q >= 0)) return 0;
  return q >= 254 ? 254 : static_cast<unsigned char>(q);
}

void QuantiseRow(const double* sums, int width, double minValue, double maxValue,
                 unsigned char* out) {
  if (!(maxValue > minValue)) {
    for (int x = 0; x < width; ++x) out[x] = Quantise(sums[x], minValue, maxValue);
    return;
  }
  // the same arithmetic as Quantise, without a branch per pixel
  const double range = maxValue - minValue;
  for (int x = 0; x < width; ++x) {
    const double s = sums[x];
    const double q = std::min(std::max((s - minValue) * 254 / range, 0.0), 254.0);
    const int level = static_cast<int>(q);
    out[x] = static_cast<unsigned char>(s < kCeiling ? level : 255);
  }
}

}  // namespace

Overlay ComputeOverlay(const std::vector<OverlayTheme>& themes, int width, int height,
                       unsigned char* out, unsigned threads, const OverlayProgress& progress) {
  std::vector<ThemeTable> tables;
  for (const OverlayTheme& theme : themes) {
    ThemeTable t{theme.image.data, theme.image.width, {}, {}};
    for (int v = 0; v < 256; ++v) {
      const bool impassable = theme.weight > 0 && theme.classWeight[v] >= kCeiling;
      t.keep[v] = impassable ? 0.0 : 1.0;
      t.add[v] = impassable ? kCeiling : theme.weight * theme.classWeight[v];
    }
    tables.push_back(t);
  }
  const unsigned count = std::max(1u, threads);
  // Up to kKeptSums pixels the first pass keeps its sums for the second, so
  // no theme is read twice; past that, fresh memory costs more than summing
  // the rows again.
  constexpr std::size_t kKeptSums = std::size_t{1} << 21;
  const std::size_t pixels =
      static_cast<std::size_t>(width) * static_cast<std::size_t>(std::max(height, 0));
  const bool keep = pixels <= kKeptSums;
  std::vector<double> sums(keep ? pixels : 0);
  std::vector<double> mins(count, kCeiling), maxs(count, 0.0);
  Overlay result;
  // with progress, bands of about a twentieth of the rows, each split across
  // the threads; without, one band
  const int band =
      progress ? std::max(1, (std::max(height, 0) + kBands - 1) / kBands) : std::max(1, height);
  auto in_bands = [&](double from, auto&& work) {
    for (int first = 0; first < height; first += band) {
      const int last = std::min(height, first + band);
      SplitRows(last - first, count,
                [&](unsigned k, int begin, int end) { work(k, first + begin, first + end); });
      if (progress && !progress(from + 0.5 * last / height)) return false;
    }
    return true;
  };
  const bool summed = in_bands(0.0, [&](unsigned k, int begin, int end) {
    double lo = mins[k], hi = maxs[k];
    std::vector<double> row(keep ? 0 : static_cast<std::size_t>(width));
    for (int y = begin; y < end; ++y) {
      double* line = keep ? sums.data() + static_cast<std::ptrdiff_t>(y) * width : row.data();
      RowSums(tables, y, width, line);
      for (int x = 0; x < width; ++x) {
        const double s = line[x];
        lo = std::min(lo, s);
        if (s > hi && s < kCeiling) hi = s;
      }
    }
    mins[k] = lo;
    maxs[k] = hi;
  });
  if (!summed) {
    result.cancelled = true;
    return result;
  }
  result.minValue = *std::min_element(mins.begin(), mins.end());
  result.maxValue = *std::max_element(maxs.begin(), maxs.end());
  result.scale = (result.maxValue - result.minValue) / 254;
  const bool quantised = in_bands(0.5, [&](unsigned, int begin, int end) {
    std::vector<double> row(keep ? 0 : static_cast<std::size_t>(width));
    for (int y = begin; y < end; ++y) {
      const double* line = sums.data() + static_cast<std::ptrdiff_t>(y) * width;
      if (!keep) {
        RowSums(tables, y, width, row.data());
        line = row.data();
      }
      QuantiseRow(line, width, result.minValue, result.maxValue,
                  out + static_cast<std::ptrdiff_t>(y) * width);
    }
  });
  result.cancelled = !quantised;
  return result;
}

int GenerateCombinedTheme(lua_State* L) {
  using namespace script;
  constexpr const char* kName = "GenerateCombinedTheme";
  RefuseWhileInUse(kName);
  RouteState& state = State();
  // Everything is read and checked first, raw, so that no script code runs
  // while the images are in use; the results are written last.
  const ProjectCopy& project = NeedProject(kName);
  Value varko = raw::NeedGlobalTable(L, kName, "Varko");
  Value project_table = raw::NeedTable(L, kName, varko, "Project", "Varko.Project");
  Value combined =
      raw::NeedTable(L, kName, project_table, "CombinedTheme", "Varko.Project.CombinedTheme");
  Value image_table =
      raw::NeedTable(L, kName, combined, "Image", "Varko.Project.CombinedTheme.Image");
  std::optional<std::vector<uint32_t>> colors;
  if (!state.colorScaleApplied) colors = ReadDefaultColorScale(L, kName);
  auto image = raw::ImageRef(L, image_table);
  if (!image) Raise(kName, "the combined theme has no live image map");
  std::vector<OverlayTheme> themes;
  for (int t = 1; t <= project.numThemes; ++t) {
    const ThemeRecord& record = project.themes[static_cast<std::size_t>(t - 1)];
    if (record.numClasses == 0) continue;
    OverlayTheme theme;
    theme.image = NeedThemeImage(L, kName, t);
    theme.weight = record.weight;
    for (int v = 0; v < 256; ++v) {
      theme.classWeight[v] = record
                                 .classes[static_cast<std::size_t>(
                                     record.classOfIndex[static_cast<std::size_t>(v)] - 1)]
                                 .weight;
    }
    if (theme.image.width != image->width || theme.image.height != image->height) {
      Raise(kName, "the combined theme image is not the size of the themes");
    }
    themes.push_back(theme);
  }

  // From here the gauge's loop steps may run script code: the records and
  // images read above stay as they are until the result is stored.
  std::optional<RecordsInUse> in_use(std::in_place);
  std::vector<imlua::PixelsHold> held;
  held.emplace_back(image->data);
  for (const OverlayTheme& theme : themes) held.emplace_back(theme.image.data);
  GaugeOpen("Generating Combined Theme");
  GaugeShow();
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  // Made aside and stored only when complete: a cancel through the gauge
  // dialog leaves the image, the palette, the cost context and the range as
  // they were.
  const std::size_t pixels =
      static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height);
  std::vector<unsigned char> made(pixels);
  const Overlay overlay = ComputeOverlay(themes, image->width, image->height, made.data(), threads,
                                         [](double fraction) {
                                           GaugeSet(fraction);
                                           return !GaugeCancelled();
                                         });
  if (overlay.cancelled) {
    GaugeClose();
    lua_pushboolean(L, 0);
    return 1;
  }
  std::copy(made.begin(), made.end(), image->data);
  if (project.slopeDataFormat == 0 || project.slopeDataFormat == 1)
    state.cost.slopeMode = project.slopeDataFormat;
  SelectSlopeData(state);
  state.cost.pixelSizeX = state.cost.pixelSizeY = static_cast<float>(project.sx);
  if (colors) {
    ApplyDefaultColorScale(*colors, *image);
    state.colorScaleApplied = true;
  }
  CombinedResult result;
  result.costs = std::move(made);
  result.width = image->width;
  result.height = image->height;
  result.minValue = overlay.minValue;
  result.scale = overlay.scale;
  state.combined = std::move(result);
  // nothing may keep pointing at the replaced grid
  state.cost.costGrid = state.combined->grid();
  state.cost.costScale = overlay.scale;
  state.cost.costOffset = overlay.minValue;
  state.cost.classGrid = {};
  in_use.reset();
  // Ordinary stores, as the script expects; from here on nothing read above
  // is used again, so their metamethods may do what they like.
  SetNumberField(L, combined, "minValue", overlay.minValue);
  SetNumberField(L, combined, "maxValue", overlay.maxValue);
  GaugeSet(1.0);
  GaugeClose();
  lua_pushboolean(L, 1);
  return 1;
}

}  // namespace route
