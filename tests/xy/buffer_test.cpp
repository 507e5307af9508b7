// A chart on a toolkit canvas element (CD_IUP) of the headless toolkit:
// drawn with double buffering through a server image (CD_IMAGE) it gives
// the pixels it gives drawn directly; an element that is not mapped yet
// gives the graph no canvas, and drawing it then does nothing.
#include <gtest/gtest.h>

#include <vector>

#include "cd.h"
#include "cdwin.h"
#include "headless/iupheadless.h"
#include "iup.h"
#include "iupcanvasfb.h"
#include "iupdriver.h"
#include "xychart.h"

namespace {

class ChartOnElement : public ::testing::Test {
 protected:
  void SetUp() override {
    if (iup::CurrentDriver() == nullptr) iup::InstallDriver(iup::headless::NewDriver());
    iup::headless::Reset();
    IupOpen();
    iup::canvasfb::InstallHost();
    canvas_ = IupCreateCanvas("xy_buffer_paint");
    IupSetAttribute(canvas_, "RASTERSIZE", "240x160");
    dialog_ = IupCreateDialog(canvas_);
  }
  void TearDown() override {
    if (dialog_ != nullptr) IupDestroy(dialog_);
    iup::headless::Reset();
    IupClose();
  }
  std::vector<unsigned char> Pixels() {
    std::vector<unsigned char> out;
    iup::canvasfb::Framebuffer* fb = iup::canvasfb::Attached(canvas_);
    if (fb == nullptr) return out;
    out.insert(out.end(), fb->r.begin(), fb->r.end());
    out.insert(out.end(), fb->g.begin(), fb->g.end());
    out.insert(out.end(), fb->b.begin(), fb->b.end());
    return out;
  }
  XYChart* Chart() {
    XYCanvasDrivers drivers;
    drivers.element = cdContextIup();
    drivers.image = cdContextImage();
    XYChart* c = XYChartCreate(canvas_, drivers, 0.15, 0.9, 0.15, 0.85, 0xffffff, 0xc0c0c0, 1);
    XYChartShowGrids(c, 1);
    XYChartSetRanges(c, 0, 100, 0, 10, 10, 5);
    XYChartAddLineCurve(c, "teste", 8, xs_.data(), ys_.data(), 3, 0xff0000, 2, 0);
    return c;
  }
  IupElement* canvas_ = nullptr;
  IupElement* dialog_ = nullptr;
  std::vector<double> xs_{0, 50, 100}, ys_{1, 9, 4};
};

TEST_F(ChartOnElement, DoubleBufferGivesTheSamePixels) {
  IupShow(dialog_);
  XYChart* c = Chart();
  XYChartRefresh(c);
  ASSERT_NE(c->graph->getCanvas(), nullptr);
  const std::vector<unsigned char> direct = Pixels();
  ASSERT_FALSE(direct.empty());
  // paint the canvas over, then draw through the buffer
  cdActivate(c->graph->getCanvas());
  cdForeground(0x123456);
  cdBox(0, 239, 0, 159);
  EXPECT_NE(Pixels(), direct);
  EXPECT_FALSE(c->graph->setDoubleBuffer(true));
  XYChartRefresh(c);
  EXPECT_EQ(c->graph->getBufferCanvas(), nullptr);  // flushed and killed
  EXPECT_EQ(Pixels(), direct);
  XYChartRefresh(c);  // the buffer image is reused
  EXPECT_EQ(Pixels(), direct);
  XYChartDestroy(c);
}

TEST_F(ChartOnElement, UnmappedElementGivesNoCanvas) {
  XYChart* c = Chart();  // the dialog is not shown: the element has no window
  EXPECT_EQ(c->graph->getCanvas(), nullptr);
  EXPECT_EQ(c->graph->initCanvas(), -1);
  XYChartRefresh(c);  // draws nothing, and does not reach a canvas that is not there
  EXPECT_EQ(XYChartPickCurve(c, 100, 80), nullptr);
  IupShow(dialog_);  // mapped now: the next refresh makes the canvas
  XYChartRefresh(c);
  EXPECT_NE(c->graph->getCanvas(), nullptr);
  EXPECT_FALSE(Pixels().empty());
  XYChartDestroy(c);
}

}  // namespace
