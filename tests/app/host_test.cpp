// The program as a whole: started in a folder, it runs varko.lua and ends
// with status 1.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct RunResult {
  int status;
  std::string output;
};

// Runs varko in a new folder holding the given varko.lua (none when empty),
// with the environment changes env makes (an `env` argument list).
RunResult RunVarko(const std::string& script, const std::string& env = "IUP_DRIVER=headless") {
  namespace fs = std::filesystem;
  char pattern[] = "/tmp/varko-host-XXXXXX";
  fs::path dir = mkdtemp(pattern);
  if (!script.empty()) std::ofstream(dir / "varko.lua") << script;
  std::string command = "cd '" + dir.string() + "' && env " + env + " '" VARKO_EXE "' 2>&1";
  RunResult result{-1, {}};
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  fs::remove_all(dir);
  return result;
}

// What the toolkit binding announces at start, and nothing else, may precede the script's output.
std::string WithoutBanner(const std::string& output) {
  const std::string banner = "IUP/Lua Revision:1.8.3\n";
  return output.rfind(banner, 0) == 0 ? output.substr(banner.size()) : output;
}

TEST(Host, EmptyFolderEndsAtOnceWithStatusOne) {
  RunResult r = RunVarko("");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(WithoutBanner(r.output), "");
}

TEST(Host, RunsTheStartupScriptWithTheStandardLibraries) {
  RunResult r = RunVarko(
      "print(string.format('%d', math.floor(2.5)))\n"
      "local f = io.open('x.txt', 'w'); f:write('ok'); f:close()\n"
      "print(io.open('x.txt'):read('a'), os.remove('x.txt'))\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(WithoutBanner(r.output), "2\nok\ttrue\n");
}

TEST(Host, RuntimeErrorIsReportedWithTracebackAndTheProgramEnds) {
  RunResult r = RunVarko(
      "local function inner() error('broken here') end\n"
      "local function outer() inner() end\n"
      "outer()\nprint('not reached')\n");
  EXPECT_EQ(r.status, 1);
  std::string out = WithoutBanner(r.output);
  EXPECT_NE(out.find("varko.lua:1: broken here"), std::string::npos) << out;
  EXPECT_NE(out.find("stack traceback:"), std::string::npos) << out;
  EXPECT_NE(out.find("in local 'outer'"), std::string::npos) << out;
  EXPECT_EQ(out.find("not reached"), std::string::npos);
}

TEST(Host, HeadlessWhenAskedForRunsTheScript) {
  RunResult r = RunVarko("print(IupGetGlobal('DRIVER'))\n",
                         "-u DISPLAY -u WAYLAND_DISPLAY IUP_DRIVER=headless");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(WithoutBanner(r.output), "Headless\n");
}

TEST(Host, WithoutDisplayTheProgramSaysSoAndEnds) {
  RunResult r = RunVarko("print('script ran')\n", "-u DISPLAY -u WAYLAND_DISPLAY -u IUP_DRIVER");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, "varko: no display could be opened (set DISPLAY, or IUP_DRIVER=headless)\n");
}

TEST(Host, SyntaxErrorIsReported) {
  RunResult r = RunVarko("x = = 1\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("varko.lua:1:"), std::string::npos) << r.output;
}

}  // namespace
