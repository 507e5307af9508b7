// Loading slope and profile data. Everything is read into local buffers
// first and taken over only when complete, so a failure changes nothing.
#include "extradata.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "im.h"
#include "project.h"

namespace route {

using namespace script;

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for reading, or gives null: a FIFO or a device would
// block the program (or never end), so only plain files are read.
File OpenRegular(const std::string& name, const char* mode) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::fcntl(fd, F_SETFL, 0) != 0) {
    ::close(fd);
    return nullptr;
  }
  File file(::fdopen(fd, mode));
  if (!file) ::close(fd);
  return file;
}

// The size of a regular file, or -1.
long long RegularFileSize(const std::string& name) {
  struct stat info {};
  if (::stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<long long>(info.st_size);
}

// No image format this program reads packs more than a few thousand pixels
// into a byte (deflate and LZW stay below it), so a header that claims more
// is not believed before memory is taken for it.
constexpr long long kMaxPixelsPerByte = 4096;

[[noreturn]] void FileError(const char* problem, const std::string& name) {
  RaiseMessage(std::string("ReadExtraData: ") + problem + " " + name + "!");
}

void ReadImageWithHeader(const std::string& name, int which) {
  int width = 0, height = 0, type = 0, pal_count = 0;
  const long long file_size = RegularFileSize(name);
  if (file_size < 0) return;
  if (imImageInfo(name.c_str(), &width, &height, &type, &pal_count) != IM_ERR_NONE) return;
  if (!imValidSize(width, height)) return;
  if (static_cast<long long>(width) * height > (file_size + 1024) * kMaxPixelsPerByte) {
    std::fputs("Error\n", stdout);
    std::fflush(stdout);
    return;
  }
  std::vector<unsigned char> raster(static_cast<std::size_t>(width) *
                                    static_cast<std::size_t>(height));
  std::vector<uint32_t> palette(static_cast<std::size_t>(pal_count > 256 ? pal_count : 256));
  if (imLoadMapSized(name.c_str(), width, height, raster.data(), palette.data(),
                     static_cast<int>(palette.size())) != IM_ERR_NONE) {
    std::fputs("Error\n", stdout);
    std::fflush(stdout);
    return;
  }
  const std::string header = HeaderName(name);
  File file = OpenRegular(header, "r");
  if (!file) FileError("cannot open the header file", header);
  Calibration k;
  if (std::fscanf(file.get(), "%f %f %f %f", &k.rawLow, &k.rawHigh, &k.valueLow, &k.valueHigh) !=
      4) {
    FileError("cannot read the header file", header);
  }
  ExtraData& extra = State().extra;
  if (which == 0) {
    extra.slopeImage = std::move(raster);
    extra.slopeImageWidth = width;
    extra.slopeImageHeight = height;
    extra.slopeCalibration = k;
  } else {
    extra.profileImage = std::move(raster);
    extra.profileImageWidth = width;
    extra.profileImageHeight = height;
    extra.profileCalibration = k;
    extra.profileCalibrationActive = true;
  }
}

void ReadRawGrid(const std::string& name, int which, int width, int height) {
  if (!imValidSize(width, height))
    RaiseMessage("ReadExtraData: invalid grid size for " + name + "!");
  // Nothing is written, so a read-only file is read as well.
  File file = OpenRegular(name, "rb");
  if (!file) FileError("cannot open", name);
  std::vector<unsigned char> header(2048);
  const std::size_t cells = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  // the grid is taken only when the file it was opened from holds it
  struct stat info {};
  if (::fstat(::fileno(file.get()), &info) != 0 ||
      static_cast<unsigned long long>(info.st_size) < header.size() + cells * sizeof(int32_t)) {
    FileError("file shorter than announced:", name);
  }
  std::vector<int32_t> grid(cells);
  if (std::fread(header.data(), 1, header.size(), file.get()) != header.size() ||
      std::fread(grid.data(), sizeof(int32_t), cells, file.get()) != cells) {
    FileError("file shorter than announced:", name);
  }
  ExtraData& extra = State().extra;
  if (which == 0) {
    extra.slopeGrid = std::move(grid);
    extra.slopeGridWidth = width;
    extra.slopeGridHeight = height;
  } else {
    extra.profileGrid = std::move(grid);
    extra.profileGridWidth = width;
    extra.profileGridHeight = height;
  }
}

}  // namespace

std::string HeaderName(const std::string& image_name) {
  const std::size_t keep = image_name.size() >= 3 ? image_name.size() - 3 : 0;
  return image_name.substr(0, keep) + "hdr";
}

int ReadExtraData(lua_State* L) {
  RefuseWhileInUse("ReadExtraData");
  const char* name = ArgString(L, 1);
  const int which = ArgInt(L, 2), format = ArgInt(L, 3), width = ArgInt(L, 4),
            height = ArgInt(L, 5);
  RouteState& state = State();
  if (format < 0) {
    if (which == 0) {
      state.cost.slopeMode = -1;
    } else {
      state.extra.profileCalibrationActive = false;
    }
    return 0;
  }
  if (format != 0 && format != 1) return 0;
  if (name == nullptr) Raise("ReadExtraData", "no file name");
  if (format == 0) {
    ReadImageWithHeader(name, which);
  } else {
    ReadRawGrid(name, which, width, height);
  }
  // the selected slope data may have been replaced
  SelectSlopeData(state);
  return 0;
}

}  // namespace route
