// Canvas scrollbars of the GTK driver. Each bar runs over native positions
// 1 to 30000 with the page as thumb; line and page steps only go to
// "SCROLL_CB" (the application stores the position), a dragged thumb stores
// its position first, and releasing the bar reports the end of scrolling.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "gtk/gtkint.h"

namespace iup::gtk {
namespace {

constexpr int kRange = 30000;

bool Flag(const char* v) {
  return v != nullptr && (g_ascii_strcasecmp(v, "YES") == 0 || g_ascii_strcasecmp(v, "ON") == 0);
}

void Wants(IupElement* e, bool* horizontal, bool* vertical) {
  const char* sb = IupGetAttribute(e, "SCROLLBAR");
  const bool both = Flag(sb);
  *horizontal = both || (sb != nullptr && g_ascii_strcasecmp(sb, "HORIZONTAL") == 0) ||
                Flag(IupGetAttribute(e, "SBH"));
  *vertical = both || (sb != nullptr && g_ascii_strcasecmp(sb, "VERTICAL") == 0) ||
              Flag(IupGetAttribute(e, "SBV"));
}

bool IsHorizontal(const Native* n, GtkRange* range) {
  return GTK_WIDGET(range) == n->hbar;
}

// The operation of a GTK scroll action, 0 for none.
int Operation(GtkScrollType scroll, bool horizontal) {
  switch (scroll) {
    case GTK_SCROLL_STEP_BACKWARD:
    case GTK_SCROLL_STEP_UP:
    case GTK_SCROLL_STEP_LEFT:
      return horizontal ? IUP_SBLEFT : IUP_SBUP;
    case GTK_SCROLL_STEP_FORWARD:
    case GTK_SCROLL_STEP_DOWN:
    case GTK_SCROLL_STEP_RIGHT:
      return horizontal ? IUP_SBRIGHT : IUP_SBDN;
    case GTK_SCROLL_PAGE_BACKWARD:
    case GTK_SCROLL_PAGE_UP:
    case GTK_SCROLL_PAGE_LEFT:
      return horizontal ? IUP_SBPGLEFT : IUP_SBPGUP;
    case GTK_SCROLL_PAGE_FORWARD:
    case GTK_SCROLL_PAGE_DOWN:
    case GTK_SCROLL_PAGE_RIGHT:
      return horizontal ? IUP_SBPGRIGHT : IUP_SBPGDN;
    case GTK_SCROLL_JUMP:
      return horizontal ? IUP_SBDRAGH : IUP_SBDRAGV;
    default:
      return 0;
  }
}

gboolean OnChangeValue(GtkRange* range, GtkScrollType scroll, gdouble value, gpointer tag) {
  IupElement* e = ElementOf(tag);
  Native* n = Find(e);
  if (n == nullptr || n->quiet) return TRUE;
  const int serial = n->serial;
  const int op = Operation(scroll, IsHorizontal(n, range));
  if (op == 0) return TRUE;
  event::CanvasScroll(e, op, static_cast<int>(std::lround(value)));
  // the thumb shows what the canvas now holds (the callback may have stored
  // a step's position, or destroyed the canvas)
  if (IupFromSerial(serial) == e && (n = Find(e)) != nullptr) SyncScrollbars(n);
  return TRUE;
}

gboolean OnBarReleased(GtkWidget* bar, GdkEventButton*, gpointer tag) {
  IupElement* e = ElementOf(tag);
  Native* n = Find(e);
  if (n == nullptr) return FALSE;
  const bool horizontal = bar == n->hbar;
  const int native = static_cast<int>(std::lround(gtk_range_get_value(GTK_RANGE(bar))));
  event::CanvasScroll(e, horizontal ? IUP_SBPOSH : IUP_SBPOSV, native);
  return FALSE;
}

GtkWidget* NewBar(Native* n, bool horizontal) {
  GtkAdjustment* adjustment = gtk_adjustment_new(1, 1, kRange, 1, 10, 10);
  GtkWidget* bar = gtk_scrollbar_new(
      horizontal ? GTK_ORIENTATION_HORIZONTAL : GTK_ORIENTATION_VERTICAL, adjustment);
  g_signal_connect(bar, "change-value", G_CALLBACK(OnChangeValue), Tag(n));
  g_signal_connect(bar, "button-release-event", G_CALLBACK(OnBarReleased), Tag(n));
  return bar;
}

void Configure(Native* n, GtkWidget* bar, bool horizontal) {
  if (bar == nullptr) return;
  const Scrollbar s = CanvasScrollbar(n->element, horizontal);
  const int page = s.NativePage();
  GtkAdjustment* adjustment = gtk_range_get_adjustment(GTK_RANGE(bar));
  const double value = s.NativePosition(), step = std::max(1, page / 10);
  // a configure re-lays out the canvas, which repaints it: a repaint ACTION
  // that stores the same positions again must not start an endless loop
  const double kept = std::clamp(value, 1.0, std::max(1.0, static_cast<double>(kRange - page)));
  if (gtk_adjustment_get_value(adjustment) == kept &&
      gtk_adjustment_get_page_size(adjustment) == page &&
      gtk_adjustment_get_step_increment(adjustment) == step &&
      gtk_adjustment_get_upper(adjustment) == kRange)
    return;
  // GTK keeps the value within lower .. upper - page: 1 .. 30000 - page
  gtk_adjustment_configure(adjustment, value, 1, kRange, step, page, page);
}

}  // namespace

GtkWidget* WrapScrollbars(Native* n) {
  bool horizontal = false, vertical = false;
  Wants(n->element, &horizontal, &vertical);
  if (!horizontal && !vertical) return n->inner;
  GtkWidget* grid = gtk_grid_new();
  gtk_widget_set_hexpand(n->inner, TRUE);
  gtk_widget_set_vexpand(n->inner, TRUE);
  gtk_grid_attach(GTK_GRID(grid), n->inner, 0, 0, 1, 1);
  if (vertical) {
    n->vbar = NewBar(n, false);
    gtk_grid_attach(GTK_GRID(grid), n->vbar, 1, 0, 1, 1);
  }
  if (horizontal) {
    n->hbar = NewBar(n, true);
    gtk_grid_attach(GTK_GRID(grid), n->hbar, 0, 1, 1, 1);
  }
  SyncScrollbars(n);
  return grid;
}

void SyncScrollbars(Native* n) {
  const bool was_quiet = n->quiet;
  n->quiet = true;
  Configure(n, n->hbar, true);
  Configure(n, n->vbar, false);
  n->quiet = was_quiet;
}

int ScrollbarThickness(const Native* n, bool horizontal) {
  GtkWidget* bar = horizontal ? n->hbar : n->vbar;
  if (bar == nullptr) return 0;
  int minimum = 0, natural = 0;
  if (horizontal)
    gtk_widget_get_preferred_height(bar, &minimum, &natural);
  else
    gtk_widget_get_preferred_width(bar, &minimum, &natural);
  return std::max(minimum, natural);
}

}  // namespace iup::gtk
