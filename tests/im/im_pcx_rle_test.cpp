// PCX run-length coding at its edges: runs longer than a count can hold,
// single bytes that could pass for a count, runs that reach into the pad
// byte of an odd width, read back by Pillow and by our reader.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "im.h"

namespace {

namespace fs = std::filesystem;

const char* Python() {
  return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

std::vector<unsigned char> ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// One picture line of the cases, left to right.
std::vector<unsigned char> Line(int kind, int width, int y) {
  std::vector<unsigned char> line(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x) {
    unsigned h = static_cast<unsigned>(x * 7919 + y * 104729) * 2654435761u >> 24;
    switch (kind) {
      case 0:
        line[x] = 0xC5;
        break;  // one run the width
      case 1:
        line[x] = static_cast<unsigned char>(0xBE + (x + y) % 4);
        break;  // counts' lookalikes
      case 2:
        line[x] = x + 3 >= width ? 0 : static_cast<unsigned char>(h);
        break;  // zeros into the pad
      default:
        line[x] = static_cast<unsigned char>(h % 3 == 0 ? h : (x / 5) * 40);
        break;
    }
  }
  return line;
}

TEST(ImPcxRle, EdgeRunsReadBackInPillowAndOurs) {
  if (std::system((std::string(Python()) + " -c 'import PIL' 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "python3 with PIL (python3-pil) is missing";
  fs::path dir = fs::temp_directory_path() / ("varko_pcxrle_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  struct Made {
    std::string name;
    std::vector<unsigned char> want;  // as Pillow gives it: top row first, RGB plane after plane
  };
  std::vector<Made> made;
  for (int kind = 0; kind < 4; ++kind)
    for (int width : {1, 2, 63, 64, 127, 200, 333})
      for (bool map : {true, false}) {
        std::string name(1, 'k');
        name += std::to_string(kind);
        name += 'w';
        name += std::to_string(width);
        name += map ? "map" : "rgb";
        SCOPED_TRACE(name);
        const int height = 5;
        const size_t n = static_cast<size_t>(width) * height;
        std::vector<unsigned char> planes[3], top_down;  // planes bottom-up
        for (int c = 0; c < 3; ++c) {
          planes[c].resize(n);
          for (int y = 0; y < height; ++y) {
            std::vector<unsigned char> line = Line((kind + c) % 4, width, y + 11 * c);
            std::copy(line.begin(), line.end(),
                      planes[c].begin() + static_cast<long>((height - 1 - y) * width));
            if (c == 0 || !map) top_down.insert(top_down.end(), line.begin(), line.end());
          }
        }
        uint32_t palette[256];
        for (int i = 0; i < 256; ++i)
          palette[i] = imEncodeColor(static_cast<unsigned char>(i), 0, 0);
        const int code = IM_PCX | (IM_DEFAULT << 8);
        const std::string file = (dir / (name + ".pcx")).string();
        ASSERT_EQ(map ? imSaveMap(width, height, code, planes[0].data(), 256, palette, file.c_str())
                      : imSaveRGB(width, height, code, planes[0].data(), planes[1].data(),
                                  planes[2].data(), file.c_str()),
                  IM_ERR_NONE);
        std::vector<unsigned char> back[3];
        for (auto& b : back) b.resize(n);
        uint32_t loaded[256];
        ASSERT_EQ(map ? imLoadMap(file.c_str(), back[0].data(), loaded)
                      : imLoadRGB(file.c_str(), back[0].data(), back[1].data(), back[2].data()),
                  IM_ERR_NONE);
        for (int c = 0; c < (map ? 1 : 3); ++c) EXPECT_TRUE(back[c] == planes[c]) << c;
        // Pillow 9.4 takes the pad byte of a one-pixel RGB line for green
        // (netpbm and ImageMagick read these files as we do)
        if (!map && width == 1) continue;
        made.push_back({name, top_down});
      }
  // Pillow, in one run: map indices as they are, RGB as one plane after another
  std::string names;
  for (const Made& m : made) names += "'" + m.name + "',";
  std::string command = std::string(Python()) +
                        " -c \"from PIL import Image\nimport os\nfor n in [" + names +
                        "]:\n im = Image.open(os.path.join('" + dir.string() +
                        "', n + '.pcx'))\n open(os.path.join('" + dir.string() +
                        "', n + '.raw'), 'wb').write(im.tobytes() if im.mode == 'P' else "
                        "b''.join(p.tobytes() for p in im.split()))\"";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (const Made& m : made) EXPECT_TRUE(ReadAll(dir / (m.name + ".raw")) == m.want) << m.name;
  fs::remove_all(dir);
}

}  // namespace
