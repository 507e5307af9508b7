// Detection over every fixture and crafted bad file, whole and cut short at
// the lengths where headers end: the format code, the image information, the
// loads (with a digest of the pixels), the resolution reports and the
// progress calls each file gives are compared line by line with
// detect_golden.txt, which was made by the detection that offered every file
// to every reader in turn. VARKO_UPDATE_GOLDENS=1 rewrites it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "golden.h"
#include "im.h"
#include "imformat.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSource = VARKO_SOURCE_DIR;
const fs::path kGolden = fs::path(VARKO_TEST_DATA) / "detect_golden.txt";

bool ImageExtension(const fs::path& path) {
  static const char* const kExtensions[] = {".bmp", ".pcx", ".gif", ".tif", ".ras",
                                            ".sgi", ".jpg", ".led", ".tga", ".png"};
  const std::string ext = path.extension().string();
  return std::find_if(std::begin(kExtensions), std::end(kExtensions),
                      [&](const char* e) { return ext == e; }) != std::end(kExtensions);
}

// The fixtures, by their path below the source folder, sorted.
std::vector<std::string> Fixtures() {
  std::vector<std::string> out;
  for (const char* dir : {"tests/fuzz/seeds", "tests/imcodecs/bad"})
    for (const auto& entry : fs::recursive_directory_iterator(kSource / dir))
      if (entry.is_regular_file() && ImageExtension(entry.path()))
        out.push_back(fs::relative(entry.path(), kSource).string());
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<unsigned char> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// Files whose signature is weak or absent, and text that only starts like one.
struct Crafted {
  const char* name;
  std::string bytes;
};
const Crafted kCrafted[] = {
    {"led_text", "LEDImage = IMAGE[\n0 = \"255 0 0\",\n1 = \"0 0 255\"]\n(2,2\n,0,1\n,1,0\n)"},
    {"led_zero_width", "LEDImage = IMAGE[\n0 = \"1 2 3\",\n1 = \"4 5 6\"]\n(0,2\n,0,1\n)"},
    {"led_word_only", "LED"},
    {"led_lower_case", "led = IMAGE[\n0 = \"1 2 3\",\n1 = \"4 5 6\"]\n(1,1\n,0\n)"},
    {"plain_text", "Just some text that names no format at all.\n"},
    {"tga_grey_bare", std::string("\0\0\3\0\0\0\0\0\0\0\0\0\2\0\1\0\x08\0\x10\x20", 20)},
    {"tga_rgb_bare", std::string("\0\0\2\0\0\0\0\0\0\0\0\0\1\0\1\0\x18\0\1\2\3", 21)},
    {"tga_map_without_table", std::string("\0\0\1\0\0\0\0\0\0\0\0\0\1\0\1\0\x08\0\0", 19)},
    {"bm_then_text", "BM and then some words that are no bitmap header at all"},
    {"gif_word_only", "GIF"},
    {"sgi_magic_only", std::string("\x01\xda", 2)},
    {"pcx_byte_then_zeros", std::string("\x0a") + std::string(200, '\0')},
    {"zeros", std::string(600, '\0')},
};

// Lengths at which each file is also cut: around the ends of the headers
// the drivers look at.
const size_t kCuts[] = {0,  1,  2,  3,  4,   8,   12,  17,  18,  19, 26,
                        31, 32, 33, 54, 127, 128, 129, 511, 512, 513};

std::string res_log;
int RecordResolution(const char*, double* x, double* y, int* unit) {
  char text[96];
  std::snprintf(text, sizeof text, "%.3f/%.3f/%d;", *x, *y, *unit);
  res_log += text;
  return 0;
}
std::string progress_log;
int RecordProgress(const char*, int percent, int writing) {
  progress_log += std::to_string(percent) + (writing ? "w," : ",");
  return 0;
}

uint32_t Digest(const std::vector<unsigned char>& bytes, uint32_t h = 2166136261u) {
  for (unsigned char b : bytes) h = (h ^ b) * 16777619u;
  return h;
}

using Source = std::unique_ptr<imBinFile, int (*)(imBinFile*)>;

// What the registry answers for one file: through its name, or from memory
// holding its bytes when they are given.
std::string Describe(const fs::path& path, const std::string* bytes = nullptr) {
  Source memory(bytes != nullptr
                    ? imBinFileOpenMemory(bytes->data(), bytes->size(), IM_LITTLEENDIAN)
                    : nullptr,
                imBinFileClose);
  if (bytes != nullptr && !memory) return "no memory file";
  const char* name = path.c_str();
  std::ostringstream out;
  res_log.clear();
  int format = -1;
  int error = memory ? imFileFormatFrom(memory.get(), name, &format) : imFileFormat(name, &format);
  out << "ff=" << error << "," << (error == IM_ERR_NONE ? format : -1) << " res=" << res_log;
  int width = 0, height = 0, type = 0, pal = 0;
  error = memory ? imImageInfoFrom(memory.get(), name, &width, &height, &type, &pal)
                 : imImageInfo(name, &width, &height, &type, &pal);
  if (error != IM_ERR_NONE) width = height = type = pal = 0;
  out << " info=" << error << "," << width << "x" << height << ",t" << type << ",p" << pal;
  // sizes the registry did not report load into one pixel, which it refuses
  const bool sized = error == IM_ERR_NONE && static_cast<long long>(width) * height <= (1 << 22);
  const int w = sized ? width : 1, h = sized ? height : 1;
  const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
  std::vector<unsigned char> r(n), g(n), b(n), map(n);
  std::vector<uint32_t> palette(256);
  progress_log.clear();
  error = memory ? imLoadRGBFrom(memory.get(), name, w, h, r.data(), g.data(), b.data())
                 : imLoadRGBSized(name, w, h, r.data(), g.data(), b.data());
  out << " rgb=" << error;
  if (error == IM_ERR_NONE) out << "/" << std::hex << Digest(b, Digest(g, Digest(r))) << std::dec;
  out << " prog=" << progress_log;
  error = memory ? imLoadMapFrom(memory.get(), name, w, h, map.data(), palette.data(), 256)
                 : imLoadMapSized(name, w, h, map.data(), palette.data(), 256);
  out << " map=" << error;
  if (error == IM_ERR_NONE) {
    std::vector<unsigned char> colours(reinterpret_cast<unsigned char*>(palette.data()),
                                       reinterpret_cast<unsigned char*>(palette.data() + pal));
    out << "/" << std::hex << Digest(colours, Digest(map)) << std::dec;
  }
  return out.str();
}

struct Input {
  std::string name;  // fixture:length
  std::string bytes;
};

// Every fixture and crafted file, whole and cut.
std::vector<Input> Inputs() {
  std::vector<std::pair<std::string, std::string>> files;  // name, bytes
  for (const std::string& name : Fixtures()) {
    std::vector<unsigned char> bytes = ReadBytes(kSource / name);
    files.emplace_back(name, std::string(bytes.begin(), bytes.end()));
  }
  for (const Crafted& c : kCrafted) files.emplace_back(std::string("crafted/") + c.name, c.bytes);
  std::vector<Input> inputs;
  for (const auto& [name, bytes] : files) {
    std::vector<size_t> lengths{bytes.size()};
    for (size_t cut : kCuts)
      if (cut < bytes.size()) lengths.push_back(cut);
    if (bytes.size() > 2) lengths.push_back(bytes.size() / 2), lengths.push_back(bytes.size() - 1);
    std::sort(lengths.begin(), lengths.end());
    lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
    for (size_t length : lengths)
      inputs.push_back({name + ":" + std::to_string(length), bytes.substr(0, length)});
  }
  return inputs;
}

// Each input as a file in a folder of its own, described through its name
// and, with from_memory, also from memory.
struct Described {
  std::vector<std::string> by_name, from_memory;
};
Described DescribeAll(bool from_memory) {
  fs::path dir = fs::temp_directory_path() / ("varko_detect_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  imSetCallback(reinterpret_cast<imCallback>(RecordResolution), IM_CB_RESOLUTION, -1);
  imSetCallback(reinterpret_cast<imCallback>(RecordProgress), IM_CB_PROGRESS, -1);
  Described out;
  fs::path file = dir / "input";
  for (const Input& input : Inputs()) {
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(input.bytes.data(), static_cast<std::streamsize>(input.bytes.size()));
    out.by_name.push_back(input.name + " " + Describe(file));
    if (from_memory) out.from_memory.push_back(input.name + " " + Describe(file, &input.bytes));
  }
  imSetCallback(nullptr, IM_CB_RESOLUTION, -1);
  imSetCallback(nullptr, IM_CB_PROGRESS, -1);
  fs::remove_all(dir);
  return out;
}

TEST(ImDetect, EveryFileReachesTheReaderItReachedBefore) {
  const std::vector<std::string> lines = DescribeAll(false).by_name;
  if (golden::Updating()) {
    std::ofstream out(kGolden);
    for (const std::string& line : lines) out << line << "\n";
    GTEST_SKIP() << "wrote " << kGolden;
  }
  std::ifstream in(kGolden);
  ASSERT_TRUE(in) << kGolden;
  std::vector<std::string> expected;
  for (std::string line; std::getline(in, line);) expected.push_back(line);
  ASSERT_EQ(lines.size(), expected.size()) << "the fixtures changed: rewrite the golden";
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], expected[i]);
}

// The registry reading from memory answers as it does through the file's
// name, callbacks included.
TEST(ImDetect, MemoryGivesWhatTheFileGives) {
  const Described described = DescribeAll(true);
  ASSERT_EQ(described.by_name.size(), described.from_memory.size());
  for (size_t i = 0; i < described.by_name.size(); ++i)
    EXPECT_EQ(described.from_memory[i], described.by_name[i]);
}

imFormat* const kDrivers[] = {
#define IM_FORMAT(name) &imFormat##name,
#include "imformatlist.h"
#undef IM_FORMAT
};

// A sniffer turns away only what its reader answers IM_ERR_FORMAT to, so
// skipping the reader changes nothing; and each sniffer does turn files
// away and let its own through.
TEST(ImDetect, SniffersTurnAwayOnlyWhatTheirReaderDoesNotKnow) {
  const std::vector<Input> inputs = Inputs();
  for (size_t code = 0; code < std::size(kDrivers); ++code) {
    SCOPED_TRACE("format " + std::to_string(code));
    imFormat* driver = kDrivers[code];
    ASSERT_NE(driver->sniff, nullptr);
    int turned_away = 0, let_through = 0;
    for (const Input& input : inputs) {
      const size_t prefix = std::min<size_t>(input.bytes.size(), IM_SNIFF_BYTES);
      if (driver->sniff(reinterpret_cast<const unsigned char*>(input.bytes.data()), prefix)) {
        ++let_through;
        continue;
      }
      ++turned_away;
      Source memory(imBinFileOpenMemory(input.bytes.data(), input.bytes.size(), IM_LITTLEENDIAN),
                    imBinFileClose);
      int error = IM_ERR_NONE;
      imFile* file = driver->read_open(memory.get(), "memory", &error);
      EXPECT_EQ(error, IM_ERR_FORMAT) << input.name;
      EXPECT_EQ(file, nullptr) << input.name;
      if (file != nullptr) driver->close(file);
    }
    EXPECT_GT(turned_away, 0);
    EXPECT_GT(let_through, 0);
  }
}

}  // namespace
