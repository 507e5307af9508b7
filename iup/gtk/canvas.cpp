// Shows the framebuffers of window canvases (CD_IUP, CD_NATIVEWINDOW) in
// their GTK drawing areas: the canvas drivers draw with our rasteriser, and
// the draw handler copies the planes to the screen after the repaint ACTION.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "gtk/gtkint.h"
#include "iupcanvasfb.h"

namespace iup::gtk {
namespace {

// The canvas whose draw handler runs: what its ACTION draws is shown by
// that same handler, so it queues no further redraw.
IupElement* painting = nullptr;

void QueueRedraw(IupElement* element) {
  if (element == painting) return;
  if (Native* n = Find(element); n != nullptr && n->inner != nullptr)
    gtk_widget_queue_draw(n->inner);
}

// Copies the part of the framebuffer GTK asks to redraw (the clip of cr)
// into one surface of that size and paints it there.
void Paint(const canvasfb::Framebuffer& fb, cairo_t* cr) {
  double cx1 = 0, cy1 = 0, cx2 = 0, cy2 = 0;
  cairo_clip_extents(cr, &cx1, &cy1, &cx2, &cy2);
  const int x0 = std::max(0, static_cast<int>(std::floor(cx1)));
  const int y0 = std::max(0, static_cast<int>(std::floor(cy1)));
  const int x1 = std::min(fb.width, static_cast<int>(std::ceil(cx2)));
  const int y1 = std::min(fb.height, static_cast<int>(std::ceil(cy2)));
  if (x0 >= x1 || y0 >= y1) return;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, x1 - x0, y1 - y0);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return;
  }
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = y0; y < y1; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<size_t>(y - y0) * stride);
    const size_t base = static_cast<size_t>(y) * fb.width;
    for (int x = x0; x < x1; ++x) {
      const size_t i = base + x;
      row[x - x0] = (std::uint32_t{fb.r[i]} << 16) | (std::uint32_t{fb.g[i]} << 8) | fb.b[i];
    }
  }
  cairo_surface_mark_dirty(surface);
  cairo_set_source_surface(cr, surface, x0, y0);
  cairo_paint(cr);
  cairo_surface_destroy(surface);
}

// The drawing area: the element less its scrollbars, as RESIZE_CB reports.
void ClientSize(IupElement* e, int* width, int* height) {
  if (const Native* n = Find(e)) {
    *width -= ScrollbarThickness(n, false);
    *height -= ScrollbarThickness(n, true);
  }
}

}  // namespace

void InstallCanvasPresentation() {
  canvasfb::SetDamageHook(QueueRedraw);
  canvasfb::SetClientSizeHook(ClientSize);
  // Xvfb and some monitors report 0 mm: the default of 3.78 px/mm then stays
  GdkDisplay* display = gdk_display_get_default();
  GdkMonitor* monitor = display != nullptr ? gdk_display_get_primary_monitor(display) : nullptr;
  if (monitor == nullptr && display != nullptr) monitor = gdk_display_get_monitor(display, 0);
  if (monitor == nullptr) return;
  GdkRectangle area;
  gdk_monitor_get_geometry(monitor, &area);
  const int width_mm = gdk_monitor_get_width_mm(monitor);
  const int height_mm = gdk_monitor_get_height_mm(monitor);
  if (width_mm > 0 && height_mm > 0)
    canvasfb::SetResolution(static_cast<double>(area.width) / width_mm,
                            static_cast<double>(area.height) / height_mm);
}

void DrawCanvas(IupElement* element, cairo_t* cr) {
  const int serial = IupGetSerial(element);
  IupElement* outer = painting;
  painting = element;
  event::CanvasRedraw(element, cr);
  painting = outer;
  if (IupFromSerial(serial) != element) return;  // the ACTION destroyed it
  if (canvasfb::Framebuffer* fb = canvasfb::Attached(element)) {
    Paint(*fb, cr);
    fb->damaged = false;
  }
}

}  // namespace iup::gtk
