// The dialog of every control under GTK in Xvfb: photographed with
// ImageMagick's import and compared with every_control.png by
// compare_picture.py. The comparison tolerates what a window manager and a
// blinking caret vary: a pixel differs when a channel moves by more than 48
// of 255, and at most 1.5 % of the pixels may differ. VARKO_UPDATE_GOLDENS=1
// retakes the reference (look at it before committing).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "every_control.h"
#include "gtkfixture.h"
#include "gtkprobe.h"
#include "iupcanvasfb.h"
#include "iupcontrols.h"

namespace {

class EveryControlGtk : public gtkprobe::ToolkitTest {
 protected:
  void SetUp() override {
    gtkprobe::ToolkitTest::SetUp();
    if (HasFatalFailure()) return;
    iup::canvasfb::InstallHost();
    IupControlsOpen();
  }
};

TEST_F(EveryControlGtk, ScreenshotMatchesTheReference) {
  everycontrol::Dialog d = everycontrol::Build();
  GtkWindow* window = nullptr;
  const std::string shot = "every_control.png";
  std::remove(shot.c_str());
  auto since = std::chrono::steady_clock::now();
  std::vector<gtkprobe::Step> steps = {
      gtkprobe::WaitWindow("every-control", &window),
      {"the controls drawn", [&] { since = std::chrono::steady_clock::now(); },
       [&] { return std::chrono::steady_clock::now() - since > std::chrono::seconds(1); }},
      {"the picture",
       [&] {
         const std::string id = gtkprobe::XWindow("every-control");
         ASSERT_FALSE(id.empty());
         const std::string command = "timeout 20 import -window " + id + " " + shot;
         EXPECT_EQ(std::system(command.c_str()), 0) << command;
       },
       nullptr},
      {"closed", [&] { IupHide(d.dialog); }, nullptr},
  };
  gtkprobe::During(steps, [&] { IupPopup(d.dialog, 20, 20); });
  const std::string compare = std::string(VARKO_SOURCE_DIR) + "/tests/gtk/compare_picture.py";
  const std::string reference = std::string(VARKO_TEST_DATA) + "/every_control.png";
  const std::string command = "/usr/bin/python3 " + compare + " " + shot + " " + reference;
  EXPECT_EQ(std::system(command.c_str()), 0) << "the dialog does not look as its reference";
  everycontrol::Destroy(d);
}

}  // namespace
