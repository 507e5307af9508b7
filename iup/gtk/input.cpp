// User input in the GTK driver: signals of the native widgets turned into
// the toolkit's events. Keys go to the key callbacks before the control sees
// them; edit controls apply typed changes only through the text-edit
// protocol; canvases report paints, buttons with their status, motion,
// enter and leave.
#include <algorithm>
#include <cstring>

#include "gtk/gtkint.h"
#include "iupkey.h"

namespace iup::gtk {
namespace {

bool IsEdit(int kind) {
  return kind == IUP_TEXT || kind == IUP_MULTILINE;
}

// ---- edit controls ---------------------------------------------------------

event::EditState ReadEdit(const Native* n) {
  event::EditState s;
  s.text = EditText(n);
  if (n->kind == IUP_TEXT) {
    gint a = 0, b = 0;
    s.caret = gtk_editable_get_position(GTK_EDITABLE(n->inner));
    if (gtk_editable_get_selection_bounds(GTK_EDITABLE(n->inner), &a, &b)) {
      s.start = std::min(a, b), s.end = std::max(a, b);
    } else {
      s.start = s.end = s.caret;
    }
  } else {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(n->inner));
    GtkTextIter a, b;
    if (gtk_text_buffer_get_selection_bounds(buffer, &a, &b)) {
      s.start = gtk_text_iter_get_offset(&a), s.end = gtk_text_iter_get_offset(&b);
      s.caret = s.end;
    } else {
      gtk_text_buffer_get_iter_at_mark(buffer, &a, gtk_text_buffer_get_insert(buffer));
      s.caret = s.start = s.end = gtk_text_iter_get_offset(&a);
    }
  }
  return s;
}

void WriteEdit(Native* n, const event::EditState& s) {
  n->quiet = true;
  SetEditText(n, s.text);
  if (n->kind == IUP_TEXT) {
    gtk_editable_set_position(GTK_EDITABLE(n->inner), s.caret);
  } else {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(n->inner));
    GtkTextIter at;
    gtk_text_buffer_get_iter_at_offset(buffer, &at, s.caret);
    gtk_text_buffer_place_cursor(buffer, &at);
  }
  n->quiet = false;
}

// The native edit control as the shared typing routine sees it.
class NativeEdit final : public event::EditControl {
 public:
  explicit NativeEdit(IupElement* e) : element_(e) {}
  void Show(const event::EditState& state) override {
    if (Native* n = Find(element_)) WriteEdit(n, state);
  }
  int MaxChars() override {
    const Native* n = Find(element_);
    return n != nullptr ? n->max_chars : 0;
  }
  std::string PasteText() override {
    gchar* text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    std::string out = ToLatin1(text);
    g_free(text);
    return out;
  }
  void CutText(const std::string& text) override {
    const std::string cut = ToUtf8(text.c_str());
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), cut.c_str(), -1);
  }

 private:
  IupElement* element_;
};

// Returns true when the edit control consumed the key; caret moves and
// the like are GTK's own.
bool EditKey(IupElement* e, int code) {
  NativeEdit control(e);
  return event::EditKey(e, ReadEdit(Find(e)), code, control) == event::EditKeyOutcome::Consumed;
}

// The element whose native widget has the keyboard focus in a window.
IupElement* FocusedIn(Native* dialog) {
  GtkWidget* w = gtk_window_get_focus(GTK_WINDOW(dialog->outer));
  for (auto& [e, n] : S().natives)
    if (n->inner != nullptr && (n->inner == w || n->outer == w)) return e;
  return dialog->element;
}

gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer tag) {
  IupElement* dialog = ElementOf(tag);
  if (dialog == nullptr) return FALSE;
  // a dialog disabled under a popup takes no keys (the window still gets them)
  if (!gtk_widget_get_sensitive(Find(dialog)->box)) return TRUE;
  const int code = KeyCode(event);
  if (code == 0) return FALSE;
  IupElement* target = FocusedIn(Find(dialog));
  if (target != S().focus && target != dialog) {
    IupElement* lost = S().focus;
    S().focus = target;
    event::FocusChanged(lost, target);
  }
  const int serial = IupGetSerial(target);
  const char modifiers[4] = {(event->state & GDK_SHIFT_MASK) != 0 ? 'S' : ' ',
                             (event->state & GDK_CONTROL_MASK) != 0 ? 'C' : ' ',
                             (event->state & GDK_MOD1_MASK) != 0 ? 'A' : ' ', '\0'};
  if (event::Key(target, code, modifiers) != event::KeyOutcome::Pass) return TRUE;
  if (IupFromSerial(serial) != target || Find(target) == nullptr) return TRUE;
  const int kind = IupGetKind(target);
  if (IsEdit(kind) && EditKey(target, code)) return TRUE;
  if (IupFromSerial(serial) != target) return TRUE;
  if (code == K_TAB || code == K_sTAB || code == K_CR || code == K_ESC)
    return event::DialogKey(target, code) ? TRUE : FALSE;
  return FALSE;
}

// ---- dialogs -------------------------------------------------------------------

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer tag) {
  IupElement* d = ElementOf(tag);
  Native* n = Find(d);
  if (n != nullptr && gtk_widget_get_sensitive(n->box)) event::CloseBox(d);
  return TRUE;  // the toolkit hides or destroys it
}

gboolean OnWindowFocus(GtkWidget*, GdkEvent*, gpointer tag) {
  if (IupElement* d = ElementOf(tag)) S().active = d;
  return FALSE;
}

gboolean OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer tag) {
  IupElement* d = ElementOf(tag);
  if (d == nullptr || (event->changed_mask & GDK_WINDOW_STATE_ICONIFIED) == 0) return FALSE;
  event::ShowState(
      d, (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) ? IUP_MINIMIZE : IUP_RESTORE);
  return FALSE;
}

gboolean ResizeLater(gpointer tag) {
  IupElement* d = ElementOf(tag);
  Native* n = Find(d);
  if (n == nullptr) return G_SOURCE_REMOVE;
  const int w = gtk_widget_get_allocated_width(n->fixed),
            h = gtk_widget_get_allocated_height(n->fixed);
  if (w != IupGetCurrentWidth(d) || h != IupGetCurrentHeight(d)) event::DialogResized(d, w, h);
  return G_SOURCE_REMOVE;
}

void OnClientAllocate(GtkWidget*, GdkRectangle* a, gpointer tag) {
  IupElement* d = ElementOf(tag);
  if (d == nullptr || !gtk_window_get_resizable(GTK_WINDOW(Find(d)->outer))) return;
  // the layout moves children: not from inside GTK's own allocation
  if (a->width != IupGetCurrentWidth(d) || a->height != IupGetCurrentHeight(d))
    g_idle_add(ResizeLater, tag);
}

// ---- controls -----------------------------------------------------------------

void OnClicked(GtkButton*, gpointer tag) {
  if (IupElement* e = ElementOf(tag)) event::ButtonPressed(e);
}

IupElement* RadioOf(IupElement* toggle) {
  for (IupElement* up = IupGetParent(toggle); up != nullptr; up = IupGetParent(up))
    if (IupGetKind(up) == IUP_RADIO) return up;
  return nullptr;
}

void OnToggled(GtkToggleButton* button, gpointer tag) {
  IupElement* e = ElementOf(tag);
  Native* n = Find(e);
  if (n == nullptr || n->quiet) return;
  const bool on = gtk_toggle_button_get_active(button);
  IupElement* radio = RadioOf(e);
  if (radio == nullptr) {
    event::ToggleChanged(e, on ? 1 : 0, nullptr);
    return;
  }
  // in a radio a click always checks, and clears the one checked before
  if (!on) {
    n->quiet = true;
    gtk_toggle_button_set_active(button, TRUE);
    n->quiet = false;
    return;
  }
  IupElement* previous = nullptr;
  for (auto& [other, o] : S().natives) {
    if (other == e || o->kind != IUP_TOGGLE || RadioOf(other) != radio) continue;
    if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(o->outer))) {
      previous = other;
      o->quiet = true;
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(o->outer), FALSE);
      o->quiet = false;
    }
  }
  event::ToggleChanged(e, 1, previous);
}

std::vector<bool> CurrentMarks(Native* n) {
  std::vector<bool> marks(n->marks.size(), false);
  if (n->dropdown) {
    const int k = gtk_combo_box_get_active(GTK_COMBO_BOX(n->inner));
    if (k >= 0 && static_cast<size_t>(k) < marks.size()) marks[static_cast<size_t>(k)] = true;
    return marks;
  }
  GtkTreeSelection* sel = gtk_tree_view_get_selection(GTK_TREE_VIEW(n->inner));
  for (size_t i = 0; i < marks.size(); ++i) {
    GtkTreePath* path = gtk_tree_path_new_from_indices(static_cast<int>(i), -1);
    marks[i] = gtk_tree_selection_path_is_selected(sel, path);
    gtk_tree_path_free(path);
  }
  return marks;
}

void OnListChanged(GtkWidget*, gpointer tag) {
  if (Native* n = Find(ElementOf(tag)); n != nullptr && !n->quiet) ReportListChange(n);
}

// A click on the item already selected in a single-choice list changes no
// selection in GTK, yet it is reported again as a selection (the list
// dialog tells a double click by it).
gboolean OnListPress(GtkWidget* view, GdkEventButton* event, gpointer tag) {
  Native* n = Find(ElementOf(tag));
  if (n == nullptr || n->multiple || event->button != 1 || event->type != GDK_BUTTON_PRESS)
    return FALSE;
  GtkTreePath* path = nullptr;
  if (!gtk_tree_view_get_path_at_pos(GTK_TREE_VIEW(view), static_cast<int>(event->x),
                                     static_cast<int>(event->y), &path, nullptr, nullptr, nullptr))
    return FALSE;
  const int item = gtk_tree_path_get_indices(path)[0] + 1;
  const bool selected =
      gtk_tree_selection_path_is_selected(gtk_tree_view_get_selection(GTK_TREE_VIEW(view)), path);
  gtk_tree_path_free(path);
  if (selected) event::ListItem(n->element, item, 1);
  return FALSE;
}

gboolean OnFocusIn(GtkWidget*, GdkEvent*, gpointer tag) {
  IupElement* e = ElementOf(tag);
  if (e == nullptr || S().focus == e) return FALSE;
  IupElement* lost = S().focus;
  S().focus = e;
  event::FocusChanged(lost, e);
  return FALSE;
}

// ---- canvases -------------------------------------------------------------------

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer tag) {
  if (IupElement* e = ElementOf(tag)) DrawCanvas(e, cr);
  return FALSE;
}

std::string Status(guint state, int buttons_down, bool double_click) {
  std::string s = "     ";
  if (state & GDK_SHIFT_MASK) s[0] = 'S';
  if (state & GDK_CONTROL_MASK) s[1] = 'C';
  if (buttons_down & 1) s[2] = '1';
  if (buttons_down & 2) s[3] = '2';
  if (buttons_down & 4) s[4] = '3';
  if (double_click) s.push_back('D');
  return s;
}

int ButtonsOf(guint state) {
  return ((state & GDK_BUTTON1_MASK) ? 1 : 0) | ((state & GDK_BUTTON2_MASK) ? 2 : 0) |
         ((state & GDK_BUTTON3_MASK) ? 4 : 0);
}

gboolean OnButton(GtkWidget* widget, GdkEventButton* event, gpointer tag) {
  IupElement* e = ElementOf(tag);
  if (e == nullptr || event->button < 1 || event->button > 3) return FALSE;
  if (event->type == GDK_3BUTTON_PRESS) return TRUE;
  // the second press of a double-click is reported once, as the double-click
  if (event->type == GDK_BUTTON_PRESS) {
    if (GdkEvent* next = gdk_event_peek()) {
      const bool doubled = next->type == GDK_2BUTTON_PRESS && next->button.button == event->button;
      gdk_event_free(next);
      if (doubled) return TRUE;
    }
  }
  const int bit = 1 << (event->button - 1);
  const bool pressed = event->type != GDK_BUTTON_RELEASE;
  int down = ButtonsOf(event->state);
  down = pressed ? (down | bit) : (down & ~bit);
  if (pressed) gtk_widget_grab_focus(widget);
  const std::string status = Status(event->state, down, event->type == GDK_2BUTTON_PRESS);
  event::CanvasButton(e, '0' + static_cast<int>(event->button), pressed ? 1 : 0,
                      static_cast<int>(event->x), static_cast<int>(event->y), status.c_str());
  return TRUE;
}

gboolean OnMotion(GtkWidget*, GdkEventMotion* event, gpointer tag) {
  if (IupElement* e = ElementOf(tag))
    event::CanvasMotion(e, static_cast<int>(event->x), static_cast<int>(event->y),
                        Status(event->state, ButtonsOf(event->state), false).c_str());
  return TRUE;
}

// The wheel in notches, positive away from the user (GTK's "up").
gboolean OnScroll(GtkWidget*, GdkEventScroll* event, gpointer tag) {
  IupElement* e = ElementOf(tag);
  double delta = 0;
  if (event->direction == GDK_SCROLL_UP) delta = 1;
  if (event->direction == GDK_SCROLL_DOWN) delta = -1;
  if (event->direction == GDK_SCROLL_SMOOTH) delta = -event->delta_y;
  if (e == nullptr || delta == 0) return FALSE;
  event::CanvasWheel(e, static_cast<float>(delta), static_cast<int>(event->x),
                     static_cast<int>(event->y),
                     Status(event->state, ButtonsOf(event->state), false).c_str());
  return TRUE;
}

gboolean OnCrossing(GtkWidget*, GdkEventCrossing* event, gpointer tag) {
  IupElement* e = ElementOf(tag);
  if (e == nullptr || event->mode != GDK_CROSSING_NORMAL) return FALSE;
  if (event->type == GDK_ENTER_NOTIFY)
    event::CanvasEnter(e);
  else
    event::CanvasLeave(e);
  return FALSE;
}

// ---- menus --------------------------------------------------------------------------

void OnItemActivate(GtkMenuItem* item, gpointer tag) {
  IupElement* e = ElementOf(tag);
  Native* n = Find(e);
  if (n == nullptr || n->quiet || gtk_menu_item_get_submenu(item) != nullptr) return;
  if (S().tracking) {
    S().tracked_choice = e;  // IupPopup runs it once the menu is gone
    return;
  }
  event::ItemChosen(e);
}

}  // namespace

std::string EditText(const Native* n) {
  if (n->kind == IUP_TEXT) return ToLatin1(gtk_entry_get_text(GTK_ENTRY(n->inner)));
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(n->inner));
  GtkTextIter a, b;
  gtk_text_buffer_get_bounds(buffer, &a, &b);
  gchar* text = gtk_text_buffer_get_text(buffer, &a, &b, FALSE);
  std::string out = ToLatin1(text);
  g_free(text);
  return out;
}

void SetEditText(Native* n, const std::string& latin1) {
  const std::string utf8 = ToUtf8(latin1.c_str());
  if (n->kind == IUP_TEXT)
    gtk_entry_set_text(GTK_ENTRY(n->inner), utf8.c_str());
  else
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(n->inner)), utf8.c_str(), -1);
}

void ReportListChange(Native* n) {
  IupElement* e = n->element;
  const int serial = n->serial;
  const std::vector<bool> now = CurrentMarks(n);
  const std::vector<bool> before = n->marks;
  n->marks = now;
  auto alive = [&] { return IupFromSerial(serial) == e && Find(e) != nullptr; };
  if (n->multiple) {
    for (size_t i = 0; i < now.size() && alive(); ++i)
      if (now[i] != before[i]) event::ListItem(e, static_cast<int>(i + 1), now[i] ? 1 : 0);
    return;
  }
  // single selection: the old item first, then the new one
  for (size_t i = 0; i < before.size() && alive(); ++i)
    if (before[i] && !now[i]) event::ListItem(e, static_cast<int>(i + 1), 0);
  for (size_t i = 0; i < now.size() && alive(); ++i)
    if (now[i] && !before[i]) event::ListItem(e, static_cast<int>(i + 1), 1);
}

void ConnectDialog(Native* n) {
  g_signal_connect(n->outer, "key-press-event", G_CALLBACK(OnKey), Tag(n));
  g_signal_connect(n->outer, "delete-event", G_CALLBACK(OnDelete), Tag(n));
  g_signal_connect(n->outer, "focus-in-event", G_CALLBACK(OnWindowFocus), Tag(n));
  g_signal_connect(n->outer, "window-state-event", G_CALLBACK(OnWindowState), Tag(n));
  g_signal_connect(n->fixed, "size-allocate", G_CALLBACK(OnClientAllocate), Tag(n));
}

void ConnectControl(Native* n) {
  switch (n->kind) {
    case IUP_BUTTON:
      g_signal_connect(n->inner, "clicked", G_CALLBACK(OnClicked), Tag(n));
      break;
    case IUP_TOGGLE:
      g_signal_connect(n->inner, "toggled", G_CALLBACK(OnToggled), Tag(n));
      break;
    case IUP_LIST:
      if (n->dropdown) {
        g_signal_connect(n->inner, "changed", G_CALLBACK(OnListChanged), Tag(n));
      } else {
        g_signal_connect(gtk_tree_view_get_selection(GTK_TREE_VIEW(n->inner)), "changed",
                         G_CALLBACK(OnListChanged), Tag(n));
        g_signal_connect(n->inner, "button-press-event", G_CALLBACK(OnListPress), Tag(n));
      }
      break;
    case IUP_CANVAS:
      g_signal_connect(n->inner, "draw", G_CALLBACK(OnDraw), Tag(n));
      g_signal_connect(n->inner, "button-press-event", G_CALLBACK(OnButton), Tag(n));
      g_signal_connect(n->inner, "button-release-event", G_CALLBACK(OnButton), Tag(n));
      g_signal_connect(n->inner, "motion-notify-event", G_CALLBACK(OnMotion), Tag(n));
      g_signal_connect(n->inner, "scroll-event", G_CALLBACK(OnScroll), Tag(n));
      g_signal_connect(n->inner, "enter-notify-event", G_CALLBACK(OnCrossing), Tag(n));
      g_signal_connect(n->inner, "leave-notify-event", G_CALLBACK(OnCrossing), Tag(n));
      break;
    default:
      break;
  }
  if (n->kind != IUP_LABEL && n->kind != IUP_FRAME)
    g_signal_connect(n->inner, "focus-in-event", G_CALLBACK(OnFocusIn), Tag(n));
}

void ConnectMenuItem(Native* n) {
  if (n->kind == IUP_ITEM)
    g_signal_connect(n->outer, "activate", G_CALLBACK(OnItemActivate), Tag(n));
}

}  // namespace iup::gtk
