// Loading and saving one 4000 x 4000 map image and one RGB image in every
// writable format variant, through the public file functions. Each case
// runs one transfer per iteration; the "min" statistic is what
// bench/im_formats.sh compares with Pillow.
//
// bench_im_formats --raw-dir=DIR writes the two pictures as raw planes
// (map.raw, palette.raw with 256 x 3 bytes, red.raw, green.raw, blue.raw,
// rows bottom first) for the Pillow side and exits.
// The files are written to $VARKO_BENCH_TMP, else /tmp.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "im.h"

namespace {

constexpr int kSide = 4000;
constexpr int kClasses = 24;

// Smooth value noise: bilinear, smoothstep-weighted lattice values.
class ValueNoise {
 public:
  ValueNoise(unsigned seed, double cell) : seed_(seed), cell_(cell) {}
  double At(double x, double y) const {
    double fx = x / cell_, fy = y / cell_;
    int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
    double tx = Smooth(fx - ix), ty = Smooth(fy - iy);
    double a = Lattice(ix, iy), b = Lattice(ix + 1, iy);
    double c = Lattice(ix, iy + 1), d = Lattice(ix + 1, iy + 1);
    return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
  }

 private:
  static double Smooth(double t) { return t * t * (3 - 2 * t); }
  double Lattice(int x, int y) const { return (Hash(x, y, seed_) & 0xFFFF) / 65535.0; }

  unsigned seed_;
  double cell_;

 public:
  static unsigned Hash(int x, int y, unsigned seed) {
    unsigned h = static_cast<unsigned>(x) * 0x8da6b343u ^ static_cast<unsigned>(y) * 0xd8163841u ^
                 seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    return h ^ (h >> 15);
  }
};

struct Pictures {
  std::vector<unsigned char> map, r, g, b;
  uint32_t palette[256] = {};

  Pictures() : map(Plane()), r(Plane()), g(Plane()), b(Plane()) {
    // classes from broad noise with wiggly borders; shading from finer noise
    ValueNoise broad(1, 700), middle(2, 160), edge(3, 24), shade(4, 90);
    for (int c = 0; c < kClasses; ++c)
      palette[c] = imEncodeColor(static_cast<unsigned char>(40 + (c * 97) % 200),
                                 static_cast<unsigned char>(60 + (c * 53) % 180),
                                 static_cast<unsigned char>(30 + (c * 151) % 210));
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) {
        size_t i = static_cast<size_t>(y) * kSide + x;
        double v = 0.6 * broad.At(x, y) + 0.3 * middle.At(x, y) + 0.1 * edge.At(x, y);
        int c = std::clamp(static_cast<int>((v - 0.2) / 0.6 * kClasses), 0, kClasses - 1);
        map[i] = static_cast<unsigned char>(c);
        double s = 0.75 + 0.5 * shade.At(x, y);
        int grain = static_cast<int>(ValueNoise::Hash(x, y, 9) % 5) - 2;
        unsigned char red, green, blue;
        imDecodeColor(palette[c], &red, &green, &blue);
        r[i] = Shaded(red, s, grain);
        g[i] = Shaded(green, s, grain);
        b[i] = Shaded(blue, s, grain);
      }
  }

  static std::vector<unsigned char> Plane() {
    return std::vector<unsigned char>(static_cast<size_t>(kSide) * kSide);
  }
  static unsigned char Shaded(unsigned char c, double s, int grain) {
    return static_cast<unsigned char>(std::clamp(static_cast<int>(c * s) + grain, 0, 255));
  }
};

const Pictures& Shared() {
  static const Pictures pictures;
  return pictures;
}

struct Variant {
  const char* name;
  int code;
  bool map, rgb;
};

// names match the rows of bench/im_formats_pillow.py
const Variant kVariants[] = {
    {"bmp", IM_BMP, true, true},
    {"pcx", IM_PCX | (IM_DEFAULT << 8), true, true},
    {"gif", IM_GIF | (IM_DEFAULT << 8), true, false},  // GIF refuses uncompressed saves
    {"tif_none", IM_TIF, true, true},
    {"tif_lzw", IM_TIF | (IM_DEFAULT << 8), true, true},
    {"tga", IM_TGA, true, true},
    {"jpg", IM_JPG, true, true},
    {"png", IM_PNG | (IM_DEFAULT << 8), true, true},
};

std::string FileOf(const Variant& v, bool map) {
  const char* dir = std::getenv("VARKO_BENCH_TMP");
  return std::string(dir != nullptr ? dir : "/tmp") + "/varko_bench_" + v.name +
         (map ? "_map" : "_rgb");
}

int Save(const Variant& v, bool map, const std::string& file) {
  const Pictures& p = Shared();
  return map ? imSaveMap(kSide, kSide, v.code, p.map.data(), kClasses, p.palette, file.c_str())
             : imSaveRGB(kSide, kSide, v.code, p.r.data(), p.g.data(), p.b.data(), file.c_str());
}

void BM_Save(benchmark::State& state, Variant v, bool map) {
  std::string file = FileOf(v, map);
  for (auto _ : state) {
    int error = Save(v, map, file);
    if (error != IM_ERR_NONE) state.SkipWithError("save failed");
  }
}

void BM_Load(benchmark::State& state, Variant v, bool map) {
  std::string file = FileOf(v, map);
  if (Save(v, map, file) != IM_ERR_NONE) {
    state.SkipWithError("save failed");
    return;
  }
  std::vector<unsigned char> a = Pictures::Plane(), b = Pictures::Plane(), c = Pictures::Plane();
  uint32_t palette[256];
  for (auto _ : state) {
    int width = 0, height = 0, type = 0, pal_count = 0;
    int error = imImageInfo(file.c_str(), &width, &height, &type, &pal_count);
    if (error == IM_ERR_NONE && width == kSide && height == kSide)
      error = type == IM_MAP
                  ? imLoadMapSized(file.c_str(), kSide, kSide, a.data(), palette, 256)
                  : imLoadRGBSized(file.c_str(), kSide, kSide, a.data(), b.data(), c.data());
    if (error != IM_ERR_NONE) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(a.data());
  }
  std::remove(file.c_str());
}

bool WriteRaw(const std::string& dir) {
  const Pictures& p = Shared();
  unsigned char palette[256 * 3] = {};
  for (int i = 0; i < 256; ++i)
    imDecodeColor(p.palette[i], &palette[3 * i], &palette[3 * i + 1], &palette[3 * i + 2]);
  struct {
    const char* name;
    const unsigned char* data;
    size_t size;
  } files[] = {{"map.raw", p.map.data(), p.map.size()},
               {"palette.raw", palette, sizeof palette},
               {"red.raw", p.r.data(), p.r.size()},
               {"green.raw", p.g.data(), p.g.size()},
               {"blue.raw", p.b.data(), p.b.size()}};
  for (const auto& f : files) {
    std::FILE* out = std::fopen((dir + "/" + f.name).c_str(), "wb");
    if (out == nullptr) return false;
    bool ok = std::fwrite(f.data, 1, f.size, out) == f.size;
    if (std::fclose(out) != 0 || !ok) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--raw-dir=", 10) == 0) return WriteRaw(argv[i] + 10) ? 0 : 1;
  for (const Variant& v : kVariants)
    for (bool map : {true, false}) {
      if (!(map ? v.map : v.rgb)) continue;
      std::string kind = map ? "map" : "rgb";
      for (bool save : {true, false})
        benchmark::RegisterBenchmark(
            ((save ? "save/" : "load/") + std::string(v.name) + "/" + kind).c_str(),
            save ? BM_Save : BM_Load, v, map)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->ComputeStatistics("min", [](const std::vector<double>& t) {
              return *std::min_element(t.begin(), t.end());
            });
    }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
