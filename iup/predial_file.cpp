// File selection: IupGetFile, and the "filedlg" control class behind
// IupCreateFileDlg, both answered by the driver's file chooser.
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "iupdriver.h"
#include "predial.h"

namespace {

bool FileExists(const std::string& path) {
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

// The directory of the last chosen file, the next chooser's start.
std::string& RememberedDirectory() {
  static std::string directory;
  return directory;
}

iup::FileAnswer Choose(const iup::FileRequest& request) {
  iup::Driver* driver = iup::CurrentDriver();
  if (driver == nullptr) return {};
  return driver->ChooseFile(driver->ActiveDialog(), request);
}

const char* Text(IupElement* element, const char* name) {
  const char* value = IupGetAttribute(element, name);
  return value ? value : "";
}

bool IsYes(IupElement* element, const char* name) {
  return IupGetAttributeBool(element, name) == 1;
}

int FileDialogPopup(IupElement* self, int, int) {
  const char* type = IupGetAttribute(self, "DIALOGTYPE");
  if (type == nullptr) type = "OPEN";
  if (std::strcmp(type, "OPEN") != 0 && std::strcmp(type, "SAVE") != 0) return 1;
  iup::FileRequest request;
  request.save = std::strcmp(type, "SAVE") == 0;
  request.title = Text(self, "TITLE");
  request.directory = Text(self, "DIRECTORY");
  request.file = std::string(Text(self, "FILE")).substr(0, 256);
  if (const char* ext = IupGetAttribute(self, "EXTFILTER"); ext && *ext) {
    // "description|pattern|description|pattern|...": the first pair is the
    // one shown at first, the others are offered too
    const std::string pairs = ext;
    size_t start = 0;
    while (start < pairs.size()) {
      const size_t bar = pairs.find('|', start);
      std::string info = pairs.substr(start, bar - start);
      std::string patterns;
      start = bar == std::string::npos ? pairs.size() : bar + 1;
      if (bar != std::string::npos) {
        const size_t next = pairs.find('|', start);
        patterns = pairs.substr(start, next - start);
        start = next == std::string::npos ? pairs.size() : next + 1;
      }
      if (info.empty() && patterns.empty()) continue;
      if (request.filter.empty() && request.filter_info.empty()) {
        request.filter_info = std::move(info);
        request.filter = std::move(patterns);
      } else {
        request.more_filters.emplace_back(std::move(info), std::move(patterns));
      }
    }
  } else if (const char* filter = IupGetAttribute(self, "FILTER"); filter && *filter) {
    request.filter = filter;
    const char* info = IupGetAttribute(self, "FILTERINFO");
    request.filter_info = info ? info : filter;
  }
  request.allow_new = IsYes(self, "ALLOWNEW");
  request.create_prompt = request.allow_new && !request.save;
  iup::FileAnswer answer = Choose(request);
  if (answer.status == -1 || answer.path.empty()) {
    IupSetAttribute(self, "VALUE", nullptr);
    IupSetAttribute(self, "FILEEXIST", nullptr);
    IupSetAttribute(self, "STATUS", "-1");
    return 0;
  }
  bool exists = FileExists(answer.path);
  IupSetAttributeCopy(self, "VALUE", answer.path.c_str());
  IupSetAttribute(self, "FILEEXIST", exists ? "YES" : "NO");
  IupSetAttribute(self, "STATUS", exists ? "0" : "1");
  return 0;
}

}  // namespace

namespace iup::predial {

int GetFile(std::string& name) {
  FileRequest request;
  request.title = English() ? "File Selection" : "Sele\xe7\xe3o de Arquivos";
  request.directory = RememberedDirectory();
  request.file = name;
  request.allow_new = true;
  FileAnswer answer = Choose(request);
  if (answer.status == -1 || answer.path.empty()) return -1;
  name = answer.path;
  RememberedDirectory() = DirectoryOf(answer.path);
  return FileExists(answer.path) ? 0 : 1;
}

}  // namespace iup::predial

int IupGetFile(char* filename) {
  if (filename == nullptr) return -1;
  constexpr size_t kBuffer = 256;
  std::string name(filename, strnlen(filename, kBuffer - 1));
  int status = iup::predial::GetFile(name);
  if (status == -1) return -1;
  // A path that does not fit the caller's buffer is not cut into another
  // file's name: the choice counts as cancelled.
  if (name.size() >= kBuffer) return -1;
  std::memcpy(filename, name.c_str(), name.size() + 1);
  return status;
}

void IupFileDlgOpen(void) {
  IupControlClass* cls = IupNewControlClass("filedlg", nullptr);
  IupSetControlMethod(cls, "POPUP", iup::predial::AsMethod(FileDialogPopup));
  IupAddControlClass("filedlg", cls);
}

IupElement* IupCreateFileDlg(void) {
  IupControlClass* cls = IupLookupControlClass("filedlg");
  if (cls == nullptr) {
    IupFileDlgOpen();
    cls = IupLookupControlClass("filedlg");
  }
  return IupNewFromControlClass(cls, nullptr);
}
