// The binary file layer: a stream file answers position, size and content
// exactly as a memory file over the same bytes does, whatever mix of
// transfers and seeks came before (the stream side skips seeks to where it
// already stands, and keeps its own position and size).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "im.h"
#include "imfile.h"

namespace {

namespace fs = std::filesystem;

std::string TempFile(const char* name) {
  fs::path dir = fs::temp_directory_path() / ("varko_binfile_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return (dir / name).string();
}

std::vector<unsigned char> Bytes(const std::string& file) {
  std::vector<unsigned char> data;
  if (std::FILE* f = std::fopen(file.c_str(), "rb")) {
    for (int c; (c = std::fgetc(f)) != EOF;) data.push_back(static_cast<unsigned char>(c));
    std::fclose(f);
  }
  return data;
}

// Writes with seeks back, to the same place, relative and from the end, and
// checks position and size after each step against the bytes expected.
TEST(ImBinFile, WrittenPositionsSizesAndContent) {
  std::string file = TempFile("written");
  imBinFile* f = imBinFileNew(file.c_str(), IM_BIGENDIAN);
  ASSERT_NE(f, nullptr);
  std::vector<unsigned char> big(300000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<unsigned char>(i * 7);
  uint16_t word = 0x0102;
  EXPECT_EQ(imBinFileWrite(f, &word, 1, 2), 1u);
  EXPECT_EQ(imBinFileTell(f), 2);
  EXPECT_EQ(imBinFileSize(f), 2);
  imBinFileSeekTo(f, 2);  // where it stands: nothing moves
  EXPECT_EQ(imBinFileWrite(f, big.data(), big.size(), 1), big.size());
  EXPECT_EQ(imBinFileTell(f), 300002);
  EXPECT_EQ(imBinFileSize(f), 300002);
  imBinFileSeekTo(f, 1);
  EXPECT_EQ(imBinFileTell(f), 1);
  EXPECT_EQ(imBinFileSize(f), 300002);
  unsigned char x = 0xAA;
  EXPECT_EQ(imBinFileWrite(f, &x, 1, 1), 1u);
  imBinFileSeekOffset(f, 10);
  EXPECT_EQ(imBinFileTell(f), 12);
  EXPECT_EQ(imBinFileWrite(f, &x, 1, 1), 1u);
  imBinFileSeekFrom(f, 0);
  EXPECT_EQ(imBinFileTell(f), 300002);
  EXPECT_EQ(imBinFilePrintf(f, "%d!", 42), 3);
  EXPECT_EQ(imBinFileTell(f), 300005);
  imBinFileSeekFrom(f, -3);
  EXPECT_EQ(imBinFileTell(f), 300002);
  EXPECT_EQ(imBinFileWrite(f, "7", 1, 1), 1u);
  imBinFileSeekTo(f, 300010);  // past the end: the gap reads as zeros
  EXPECT_EQ(imBinFileSize(f), 300005);
  EXPECT_EQ(imBinFileWrite(f, &x, 1, 1), 1u);
  EXPECT_EQ(imBinFileSize(f), 300011);
  EXPECT_EQ(imBinFileError(f), 0);
  EXPECT_EQ(imBinFileClose(f), 0);

  std::vector<unsigned char> want = {0x01, 0xAA};
  want.insert(want.end(), big.begin(), big.end());
  want[12] = 0xAA;
  want.insert(want.end(), {'7', '2', '!', 0, 0, 0, 0, 0, 0xAA});
  EXPECT_TRUE(Bytes(file) == want);
  fs::remove(file);
}

// One step of a read script: seek (kind 0 to, 1 by, 2 from the end) then read count bytes.
struct Step {
  int kind;
  int64_t offset;
  size_t count;
};

TEST(ImBinFile, ReadsAndSeeksAnswerAsOnAMemoryFile) {
  std::vector<unsigned char> data(200000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 13 + (i >> 8));
  std::string file = TempFile("read");
  std::FILE* out = std::fopen(file.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(std::fwrite(data.data(), 1, data.size(), out), data.size());
  std::fclose(out);

  const Step steps[] = {{1, 0, 10},     {0, 10, 5},     {0, 3, 150000}, {1, -100, 7},
                        {2, -769, 769}, {0, 199990, 4}, {1, 0, 1},      {0, 0, 200000},
                        {2, -1, 1},     {1, 0, 0},      {0, 50, 60000}, {1, 70000, 1000},
                        {0, 199999, 5} /* short read: error and end of file from here */};
  imBinFile* disk = imBinFileOpen(file.c_str(), IM_LITTLEENDIAN);
  imBinFile* memory = imBinFileOpenMemory(data.data(), data.size(), IM_LITTLEENDIAN);
  ASSERT_NE(disk, nullptr);
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(imBinFileSize(disk), 200000);
  for (const Step& s : steps) {
    SCOPED_TRACE(std::to_string(s.kind) + " " + std::to_string(s.offset) + " " +
                 std::to_string(s.count));
    std::vector<unsigned char> a(s.count), b(s.count);
    for (imBinFile* f : {disk, memory}) {
      if (s.kind == 0)
        imBinFileSeekTo(f, s.offset);
      else if (s.kind == 1)
        imBinFileSeekOffset(f, s.offset);
      else
        imBinFileSeekFrom(f, s.offset);
    }
    EXPECT_EQ(imBinFileTell(disk), imBinFileTell(memory));
    size_t got_disk = imBinFileRead(disk, a.data(), s.count, 1);
    size_t got_memory = imBinFileRead(memory, b.data(), s.count, 1);
    EXPECT_EQ(got_disk, got_memory);
    a.resize(got_disk), b.resize(got_memory);
    EXPECT_TRUE(a == b);
    EXPECT_EQ(imBinFileError(disk), imBinFileError(memory));
    EXPECT_EQ(imBinFileEndOfFile(disk), imBinFileEndOfFile(memory));
    if (!imBinFileError(disk)) {
      EXPECT_EQ(imBinFileTell(disk), imBinFileTell(memory));
    }
    EXPECT_EQ(imBinFileSize(disk), 200000);
  }
  EXPECT_EQ(imBinFileClose(disk), 1);  // the short read stays reported
  EXPECT_EQ(imBinFileClose(memory), 1);
  fs::remove(file);
}

// Detection offers one open file to reader after reader: a reader that ran
// off the end must leave the next one a clean start.
TEST(ImBinFile, RewindClearsTheErrorAndStartsOver) {
  const std::vector<unsigned char> data = {1, 2, 3, 4, 5, 6, 7};
  std::string file = TempFile("rewind");
  std::FILE* out = std::fopen(file.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(std::fwrite(data.data(), 1, data.size(), out), data.size());
  std::fclose(out);
  imBinFile* disk = imBinFileOpen(file.c_str(), IM_BIGENDIAN);
  imBinFile* memory = imBinFileOpenMemory(data.data(), data.size(), IM_BIGENDIAN);
  ASSERT_NE(disk, nullptr);
  ASSERT_NE(memory, nullptr);
  for (imBinFile* f : {disk, memory}) {
    SCOPED_TRACE(f == disk ? "disk" : "memory");
    uint32_t words[2] = {};
    EXPECT_EQ(imBinFileRead(f, words, 2, 4), 1u);  // runs off the end
    EXPECT_EQ(imBinFileError(f), 1);
    EXPECT_EQ(imBinFileEndOfFile(f), 1);
    imBinFileRewind(f);
    EXPECT_EQ(imBinFileError(f), 0);
    EXPECT_EQ(imBinFileEndOfFile(f), 0);
    EXPECT_EQ(imBinFileTell(f), 0);
    uint16_t word = 0;
    EXPECT_EQ(imBinFileRead(f, &word, 1, 2), 1u);
    EXPECT_EQ(word, 0x0102);
    imBinFileSeekFrom(f, -1);
    unsigned char last = 0;
    EXPECT_EQ(imBinFileRead(f, &last, 1, 1), 1u);
    EXPECT_EQ(last, 7);
    EXPECT_EQ(imBinFileClose(f), 0);
  }
  fs::remove(file);
}

}  // namespace

// Only regular files are read: a FIFO would block the open for ever (no
// writer ever comes), and a folder or a device is no image. Each is refused
// at once, as a file that cannot be opened.
TEST(ImBinFile, ReadsRegularFilesOnly) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("imfifo" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string fifo = (dir / "theme.bmp").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& name : {fifo, dir.string(), std::string("/dev/zero")}) {
    EXPECT_EQ(imBinFileOpen(name.c_str(), IM_LITTLEENDIAN), nullptr) << name;
    int width = 0, height = 0, type = 0, colors = 0;
    EXPECT_EQ(imImageInfo(name.c_str(), &width, &height, &type, &colors), IM_ERR_OPEN) << name;
  }
  std::filesystem::remove_all(dir);
}
