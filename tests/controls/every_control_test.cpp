// The dialog of every control on the headless toolkit: each canvas-drawn
// control's window picture put at its place in the dialog, compared byte
// for byte with the reference (the headless driver draws the same pixels
// every time). The native fields and labels have no pixels headless and
// show as the dialog's background.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cd.h"
#include "every_control.h"
#include "golden.h"
#include "headless/iupheadless.h"
#include "iup.h"
#include "iupcanvasfb.h"
#include "iupcontrols.h"

namespace {

int Number(IupElement* e, const char* name) {
  const char* v = IupGetAttribute(e, name);
  return v != nullptr ? std::atoi(v) : 0;
}

TEST(EveryControl, HeadlessPicture) {
  if (iup::CurrentDriver() == nullptr) {
    ASSERT_TRUE(iup::InstallDriver(iup::headless::NewDriver()));
  }
  iup::headless::Reset();
  IupOpen();
  iup::canvasfb::InstallHost();
  IupControlsOpen();
  everycontrol::Dialog d = everycontrol::Build();
  IupShowXY(d.dialog, 20, 20);
  for (int i = 0; i < 5; i++) IupLoopStep();
  iup::canvasfb::PresentDamaged();
  struct Placed {
    int x, y, w, h;
    const unsigned char *r, *g, *b;
  };
  std::vector<Placed> placed;
  int width = 0, height = 0;
  const int dx = Number(d.dialog, "X"), dy = Number(d.dialog, "Y");
  for (IupElement* e : {d.gauge, d.val, d.tabs, d.matrix, d.colours}) {
    Placed p{};
    ASSERT_TRUE(iup::canvasfb::Shown(e, &p.w, &p.h, &p.r, &p.g, &p.b))
        << IupGetAttribute(e, "TYPENAME") << " has no picture";
    p.x = Number(e, "X") - dx, p.y = Number(e, "Y") - dy;
    ASSERT_GE(p.x, 0);
    ASSERT_GE(p.y, 0);
    width = std::max(width, p.x + p.w + 5);
    height = std::max(height, p.y + p.h + 5);
    placed.push_back(p);
  }
  // the dialog's background, then each picture at its place (top-down rows)
  int br = 192, bg = 192, bb = 192;
  if (const char* c = IupGetAttribute(d.dialog, "BGCOLOR"))
    std::sscanf(c, "%d %d %d", &br, &bg, &bb);
  const size_t n = size_t(width) * size_t(height);
  std::vector<unsigned char> r(n, static_cast<unsigned char>(br)),
      g(n, static_cast<unsigned char>(bg)), b(n, static_cast<unsigned char>(bb));
  for (const Placed& p : placed)
    for (int y = 0; y < p.h; y++)
      for (int x = 0; x < p.w; x++) {
        // the shown planes have their top row first; the PPM's planes their bottom row
        const size_t from = size_t(y) * size_t(p.w) + size_t(x);
        const size_t to = size_t(height - 1 - (p.y + y)) * size_t(width) + size_t(p.x + x);
        r[to] = p.r[from], g[to] = p.g[from], b[to] = p.b[from];
      }
  golden::Expect(std::string(VARKO_TEST_DATA) + "/golden/every_control_headless.ppm",
                 golden::Ppm(width, height, r.data(), g.data(), b.data()));
  everycontrol::Destroy(d);
  iup::headless::Reset();
  IupClose();
}

}  // namespace
