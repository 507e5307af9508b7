// The GTK3 driver: native objects for every element kind laid out by the
// toolkit's own layout (one GtkFixed per dialog), attributes, metrics and
// the event loop on GLib iterations.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "gtk/gtkdriver.h"
#include "gtk/gtkint.h"

namespace iup::gtk {

State& S() {
  static auto* state = new State;
  return *state;
}

Native* Find(IupElement* e) {
  if (e == nullptr) return nullptr;
  auto it = S().natives.find(e);
  return it == S().natives.end() ? nullptr : it->second.get();
}

gpointer Tag(const Native* n) {
  return GINT_TO_POINTER(n->serial);
}

IupElement* ElementOf(gpointer serial) {
  IupElement* e = IupFromSerial(GPOINTER_TO_INT(serial));
  return Find(e) != nullptr ? e : nullptr;
}

namespace {

int ReadBoolOf(const char* v) {
  if (v == nullptr) return -1;
  if (g_ascii_strcasecmp(v, "NO") == 0 || g_ascii_strcasecmp(v, "OFF") == 0) return 0;
  if (g_ascii_strcasecmp(v, "YES") == 0 || g_ascii_strcasecmp(v, "ON") == 0) return 1;
  return -1;
}

// A control shows when neither it nor an ancestor below its dialog has
// "VISIBLE" "NO": a hidden box (a ZBOX page) hides what it holds, although
// the box itself has no window.
bool ShownInTree(IupElement* e) {
  for (IupElement* up = e; up != nullptr && IupGetKind(up) != IUP_DIALOG; up = IupGetParent(up))
    if (ReadBoolOf(IupGetOwnAttribute(up, "VISIBLE")) == 0) return false;
  return true;
}

bool IsEdit(int kind) {
  return kind == IUP_TEXT || kind == IUP_MULTILINE;
}

// Theme minimum sizes must not fight the toolkit's layout.
void InstallCompactStyle() {
  static const char css[] =
      "button, entry, combobox button, checkbutton, radiobutton {"
      " min-height: 0; min-width: 0; padding: 0px 2px; }"
      "entry { padding: 0px 2px; }"
      // list rows one text line high, so a list shows the lines it is sized for
      "treeview { -GtkTreeView-vertical-separator: 0; -GtkTreeView-expander-size: 0; }";
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, css, -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);
}

bool HasImage(IupElement* e) {
  IupElement* image = IupGetHandle(IupGetAttribute(e, "IMAGE"));
  return image != nullptr && IupGetKind(image) == IUP_IMAGE;
}

GtkWidget* FixedOf(IupElement* dialog) {
  Native* d = Find(dialog);
  return d != nullptr ? d->fixed : nullptr;
}

std::string Title(IupElement* e) {
  return ToUtf8(IupGetOwnAttribute(e, "TITLE"));
}

void FillList(Native* n) {
  for (int i = 1; i <= 9999; ++i) {
    const char* item = IupGetOwnAttribute(n->element, std::to_string(i).c_str());
    if (item == nullptr) break;
    const std::string text = ToUtf8(item);
    if (n->dropdown) {
      gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(n->inner), text.c_str());
    } else {
      GtkTreeIter it;
      gtk_list_store_append(n->store, &it);
      gtk_list_store_set(n->store, &it, 0, text.c_str(), -1);
    }
    n->marks.push_back(false);
  }
}

int ItemCount(const Native* n) {
  return static_cast<int>(n->marks.size());
}

void SetListValue(Native* n, const char* value) {
  n->quiet = true;
  std::fill(n->marks.begin(), n->marks.end(), false);
  if (n->dropdown) {
    const long k = value != nullptr ? std::strtol(value, nullptr, 10) : 0;
    gtk_combo_box_set_active(GTK_COMBO_BOX(n->inner),
                             k >= 1 && k <= ItemCount(n) ? static_cast<int>(k - 1) : -1);
    if (k >= 1 && k <= ItemCount(n)) n->marks[static_cast<size_t>(k - 1)] = true;
  } else {
    GtkTreeSelection* sel = gtk_tree_view_get_selection(GTK_TREE_VIEW(n->inner));
    gtk_tree_selection_unselect_all(sel);
    for (int i = 0; i < ItemCount(n); ++i) {
      bool on = false;
      if (n->multiple)
        on = value != nullptr && static_cast<int>(std::strlen(value)) > i && value[i] == '+';
      else
        on = value != nullptr && std::strtol(value, nullptr, 10) == i + 1;
      if (!on) continue;
      GtkTreePath* path = gtk_tree_path_new_from_indices(i, -1);
      gtk_tree_selection_select_path(sel, path);
      gtk_tree_path_free(path);
      n->marks[static_cast<size_t>(i)] = true;
    }
  }
  n->quiet = false;
}

void MakeList(Native* n) {
  IupElement* e = n->element;
  n->multiple = ReadBoolOf(IupGetAttribute(e, "MULTIPLE")) == 1;
  n->dropdown = ReadBoolOf(IupGetAttribute(e, "DROPDOWN")) == 1;
  if (n->dropdown) {
    n->inner = n->outer = gtk_combo_box_text_new();
  } else {
    n->store = gtk_list_store_new(1, G_TYPE_STRING);
    n->inner = gtk_tree_view_new_with_model(GTK_TREE_MODEL(n->store));
    g_object_unref(n->store);
    gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(n->inner), FALSE);
    GtkCellRenderer* renderer = gtk_cell_renderer_text_new();
    g_object_set(renderer, "ypad", 0, nullptr);
    GtkTreeViewColumn* column =
        gtk_tree_view_column_new_with_attributes("", renderer, "text", 0, nullptr);
    gtk_tree_view_append_column(GTK_TREE_VIEW(n->inner), column);
    gtk_tree_selection_set_mode(gtk_tree_view_get_selection(GTK_TREE_VIEW(n->inner)),
                                n->multiple ? GTK_SELECTION_MULTIPLE : GTK_SELECTION_SINGLE);
    n->outer = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(n->outer), GTK_SHADOW_IN);
    gtk_container_add(GTK_CONTAINER(n->outer), n->inner);
  }
  FillList(n);
  SetListValue(n, IupGetOwnAttribute(e, "VALUE"));
}

void MakeDialog(Native* n) {
  IupElement* e = n->element;
  n->outer = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* window = GTK_WINDOW(n->outer);
  gtk_window_set_title(window, Title(e).c_str());
  n->box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  n->fixed = gtk_fixed_new();
  gtk_box_pack_end(GTK_BOX(n->box), n->fixed, TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(n->outer), n->box);
  gtk_widget_show_all(n->box);
  if (ReadBoolOf(IupGetAttribute(e, "RESIZE")) == 0) gtk_window_set_resizable(window, FALSE);
  const bool caption =
      !(ReadBoolOf(IupGetAttribute(e, "MAXBOX")) == 0 &&
        ReadBoolOf(IupGetAttribute(e, "MINBOX")) == 0 &&
        ReadBoolOf(IupGetAttribute(e, "MENUBOX")) == 0 && IupGetAttribute(e, "TITLE") == nullptr);
  if (!caption) gtk_window_set_decorated(window, FALSE);
  if (ReadBoolOf(IupGetAttribute(e, "TOPMOST")) == 1) gtk_window_set_keep_above(window, TRUE);
  IupElement* owner = IupGetHandle(IupGetAttribute(e, "PARENTDIALOG"));
  if (Native* o = Find(owner); o != nullptr && o->kind == IUP_DIALOG)
    gtk_window_set_transient_for(window, GTK_WINDOW(o->outer));
  ConnectDialog(n);
  WatchCursor(n);
  AcceptDrops(n);
}

void MakeMenu(Native* n, IupElement* dialog) {
  IupElement* e = n->element;
  IupElement* parent = IupGetParent(e);
  if (dialog != nullptr && IupGetHandle(IupGetAttribute(dialog, "MENU")) == e &&
      parent == nullptr) {
    n->outer = gtk_menu_bar_new();
    if (Native* d = Find(dialog)) {
      gtk_box_pack_start(GTK_BOX(d->box), n->outer, FALSE, FALSE, 0);
      gtk_widget_show(n->outer);
    }
    return;
  }
  n->outer = gtk_menu_new();
  g_object_ref_sink(n->outer);
  if (Native* p = Find(parent); p != nullptr && p->kind == IUP_SUBMENU)
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(p->outer), n->outer);
}

void MakeMenuEntry(Native* n) {
  IupElement* e = n->element;
  if (n->kind == IUP_SEPARATOR)
    n->outer = gtk_separator_menu_item_new();
  else if (n->kind == IUP_ITEM && IupGetAttribute(e, "VALUE") != nullptr)
    n->outer = gtk_check_menu_item_new_with_mnemonic(Title(e).c_str());
  else
    n->outer = gtk_menu_item_new_with_mnemonic(Title(e).c_str());
  if (n->kind == IUP_ITEM && GTK_IS_CHECK_MENU_ITEM(n->outer))
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(n->outer),
                                   ReadBoolOf(IupGetAttribute(e, "VALUE")) == 1);
  if (Native* p = Find(IupGetParent(e)); p != nullptr && GTK_IS_MENU_SHELL(p->outer))
    gtk_menu_shell_append(GTK_MENU_SHELL(p->outer), n->outer);
  if (ReadBoolOf(IupGetAttribute(e, "ACTIVE")) == 0) gtk_widget_set_sensitive(n->outer, FALSE);
  gtk_widget_show(n->outer);
  ConnectMenuItem(n);
}

void MakeControl(Native* n) {
  IupElement* e = n->element;
  switch (n->kind) {
    case IUP_BUTTON:
      if (HasImage(e)) {
        n->inner = n->outer = gtk_button_new();
        ShowButtonImage(n, ReadBoolOf(IupGetAttribute(e, "ACTIVE")) == 0 ? "IMINACTIVE" : "IMAGE");
        ConnectButtonImages(n);
      } else {
        n->inner = n->outer = gtk_button_new_with_label(Title(e).c_str());
      }
      break;
    case IUP_LABEL: {
      const char* sep = IupGetAttribute(e, "SEPARATOR");
      if (sep != nullptr && g_ascii_strcasecmp(sep, "HORIZONTAL") == 0) {
        n->inner = n->outer = gtk_separator_new(GTK_ORIENTATION_HORIZONTAL);
      } else if (sep != nullptr && g_ascii_strcasecmp(sep, "VERTICAL") == 0) {
        n->inner = n->outer = gtk_separator_new(GTK_ORIENTATION_VERTICAL);
      } else if (GtkWidget* picture = ImageWidget(e, "IMAGE")) {
        n->inner = n->outer = picture;
      } else {
        n->inner = n->outer = gtk_label_new(Title(e).c_str());
        gtk_label_set_xalign(GTK_LABEL(n->inner), 0);
      }
      break;
    }
    case IUP_FRAME:
      n->inner = n->outer =
          gtk_frame_new(IupGetOwnAttribute(e, "TITLE") ? Title(e).c_str() : nullptr);
      break;
    case IUP_TOGGLE:
      // a toggle with an image is a button that stays pressed
      if (HasImage(e)) {
        n->inner = n->outer = gtk_toggle_button_new();
        ShowButtonImage(n, "IMAGE");
      } else {
        n->inner = n->outer = gtk_check_button_new_with_label(Title(e).c_str());
      }
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(n->inner),
                                   ReadBoolOf(IupGetOwnAttribute(e, "VALUE")) == 1);
      break;
    case IUP_TEXT:
      n->inner = n->outer = gtk_entry_new();
      gtk_entry_set_width_chars(GTK_ENTRY(n->inner), 1);
      gtk_entry_set_text(GTK_ENTRY(n->inner), ToUtf8(IupGetOwnAttribute(e, "VALUE")).c_str());
      if (ReadBoolOf(IupGetAttribute(e, "BORDER")) == 0)
        gtk_entry_set_has_frame(GTK_ENTRY(n->inner), FALSE);
      break;
    case IUP_MULTILINE:
      n->inner = gtk_text_view_new();
      n->outer = gtk_scrolled_window_new(nullptr, nullptr);
      gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(n->outer), GTK_SHADOW_IN);
      gtk_container_add(GTK_CONTAINER(n->outer), n->inner);
      SetEditText(n, IupGetOwnAttribute(e, "VALUE") ? IupGetOwnAttribute(e, "VALUE") : "");
      break;
    case IUP_LIST:
      MakeList(n);
      break;
    case IUP_CANVAS:
      n->inner = gtk_drawing_area_new();
      gtk_widget_set_can_focus(n->inner, TRUE);
      gtk_widget_add_events(n->inner, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                          GDK_POINTER_MOTION_MASK | GDK_ENTER_NOTIFY_MASK |
                                          GDK_LEAVE_NOTIFY_MASK | GDK_KEY_PRESS_MASK |
                                          GDK_FOCUS_CHANGE_MASK | GDK_SCROLL_MASK);
      n->outer = WrapScrollbars(n);
      break;
    default:
      return;
  }
  if (IsEdit(n->kind)) {
    const int nc = IupGetAttributeInt(e, "NC");
    n->max_chars = nc > 0 ? nc : 32767;
  }
  ApplyFont(n->inner, e);
  if (ReadBoolOf(IupGetAttribute(e, "ACTIVE")) == 0) gtk_widget_set_sensitive(n->outer, FALSE);
  ConnectControl(n);
  ApplyTip(n);
  WatchCursor(n);
  if (n->kind == IUP_CANVAS) AcceptDrops(n);
}

// A font set on a mapped element reaches the elements that inherit it.
void ApplyFontBelow(IupElement* e) {
  if (Native* n = Find(e)) ApplyFont(n->inner, e);
  for (IupElement* child = IupGetChild(e); child != nullptr; child = IupGetBrother(child))
    ApplyFontBelow(child);
}

class GtkDriver final : public Driver {
 public:
  const char* Name() const override { return "GTK"; }
  const char* SystemName() const override { return "Linux"; }
  void Open() override {
    IupSetGlobal("WIN_DLGBGCOLOR", "15");
    // a click in a scrollbar's trough pages, as users of the program expect
    g_object_set(gtk_settings_get_default(), "gtk-primary-button-warps-slider", FALSE, nullptr);
    InstallCompactStyle();
    InstallCanvasPresentation();
  }
  void Shutdown() override {
    for (auto& [e, n] : S().natives)
      if (n->kind == IUP_DIALOG && n->outer != nullptr) gtk_widget_destroy(n->outer);
    S().natives.clear();
    while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
  }

  const char* SystemColour(Colour which) override {
    switch (which) {
      case Colour::Window:
        return "255 255 255";
      case Colour::Text:
      case Colour::ButtonText:
        return "0 0 0";
      default:
        return "239 239 239";
    }
  }

  void CharSize(IupElement* e, int* cw, int* ch) override {
    PangoContext* context = gdk_pango_context_get();
    PangoFontMetrics* m = pango_context_get_metrics(context, FontOf(e), nullptr);
    *cw = std::max(1, pango_font_metrics_get_approximate_char_width(m) / PANGO_SCALE);
    *ch = std::max(
        1, (pango_font_metrics_get_ascent(m) + pango_font_metrics_get_descent(m)) / PANGO_SCALE);
    pango_font_metrics_unref(m);
    g_object_unref(context);
  }

  int TextWidth(IupElement* e, const char* text) override {
    PangoContext* context = gdk_pango_context_get();
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, FontOf(e));
    const std::string utf8 = ToUtf8(text);
    pango_layout_set_text(layout, utf8.c_str(), -1);
    // rounded up, as a GtkLabel asks for its text
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    g_object_unref(context);
    return PANGO_PIXELS_CEIL(logical.width);
  }

  ScreenMetrics Screen() override {
    ScreenMetrics m;
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (monitor == nullptr) monitor = gdk_display_get_monitor(display, 0);
    GdkRectangle work{0, 0, 800, 600}, full{0, 0, 800, 600};
    if (monitor != nullptr) {
      gdk_monitor_get_workarea(monitor, &work);
      gdk_monitor_get_geometry(monitor, &full);
    }
    m.work_width = work.width, m.work_height = work.height;
    m.full_width = full.width, m.full_height = full.height;
    // the window manager draws the frame outside the client size we ask for
    m.menu_bar = MenuBarHeight();
    m.scrollbar = 14;
    m.edge = 2;
    m.border_w = m.border_h = 1;
    return m;
  }

  void* Create(IupElement* e, IupElement* dialog) override {
    auto owned = std::make_unique<Native>();
    Native* n = owned.get();
    n->element = e;
    n->serial = IupGetSerial(e);
    n->kind = IupGetKind(e);
    S().natives[e] = std::move(owned);
    switch (n->kind) {
      case IUP_DIALOG:
        MakeDialog(n);
        return n;
      case IUP_MENU:
        MakeMenu(n, dialog);
        return n;
      case IUP_ITEM:
      case IUP_SUBMENU:
      case IUP_SEPARATOR:
        MakeMenuEntry(n);
        return n;
      default:
        break;
    }
    GtkWidget* fixed = FixedOf(dialog);
    MakeControl(n);
    if (n->outer == nullptr || fixed == nullptr) {
      if (n->outer != nullptr) gtk_widget_destroy(n->outer);
      S().natives.erase(e);
      return nullptr;
    }
    gtk_fixed_put(GTK_FIXED(fixed), n->outer, 0, 0);
    if (ShownInTree(e)) gtk_widget_show_all(n->outer);
    return n;
  }

  void Destroy(IupElement* e) override {
    Native* n = Find(e);
    if (n == nullptr) return;
    if (S().focus == e) S().focus = nullptr;
    if (S().active == e) S().active = nullptr;
    GtkWidget* w = n->outer;
    const bool floating_menu = n->kind == IUP_MENU && GTK_IS_MENU(w);
    S().natives.erase(e);
    if (w == nullptr) return;
    if (floating_menu) {
      if (gtk_menu_get_attach_widget(GTK_MENU(w)) == nullptr) gtk_widget_destroy(w);
      g_object_unref(w);
      return;
    }
    gtk_widget_destroy(w);
  }

  void Move(IupElement* e, int x, int y, int width, int height) override {
    Native* n = Find(e);
    if (n == nullptr || n->kind == IUP_DIALOG || n->outer == nullptr) return;
    GtkWidget* parent = gtk_widget_get_parent(n->outer);
    if (parent == nullptr || !GTK_IS_FIXED(parent)) return;
    const bool resized = n->width != width || n->height != height;
    n->width = width, n->height = height;
    gtk_fixed_move(GTK_FIXED(parent), n->outer, x, y);
    // a dropdown list is given its open height: keep the closed control small
    int h = height;
    if (n->dropdown) {
      int cw, ch;
      CharSize(e, &cw, &ch);
      h = std::min(height, ch + 10);
    }
    gtk_widget_set_size_request(n->outer, std::max(width, 1), std::max(h, 1));
    // the canvas's client area is what its scrollbars leave
    if (resized && n->kind == IUP_CANVAS && IupGetAttribute(e, "IUPWIN_IS_MAPPING") == nullptr)
      event::CanvasResize(e, std::max(0, width - ScrollbarThickness(n, false)),
                          std::max(0, height - ScrollbarThickness(n, true)));
  }

  void PlaceDialog(IupElement* d, int x, int y, int width, int height) override {
    Native* n = Find(d);
    if (n == nullptr) return;
    const int cw = IupGetCurrentWidth(d), ch = IupGetCurrentHeight(d);
    n->width = cw, n->height = ch;
    GtkWindow* window = GTK_WINDOW(n->outer);
    if (!gtk_window_get_resizable(window)) gtk_widget_set_size_request(n->fixed, cw, ch);
    // the window manager draws the frame outside: the window is the client
    // area with the menu bar
    gtk_window_resize(window, std::max(cw, 1), std::max(ch + MenuOf(n), 1));
    gtk_window_move(window, x, y);
    n->placed = true;
    (void)width, (void)height;
  }

  void DialogPosition(IupElement* d, int* x, int* y) override {
    *x = *y = 0;
    Native* n = Find(d);
    if (n == nullptr || !n->placed) return;
    gtk_window_get_position(GTK_WINDOW(n->outer), x, y);
  }

  void Repaint(IupElement* e) override {
    Native* n = Find(e);
    if (n != nullptr && n->outer != nullptr) gtk_widget_queue_draw(n->outer);
  }

  void SetVisible(IupElement* e, bool visible) override {
    Native* n = Find(e);
    if (n == nullptr || n->outer == nullptr) return;
    if (visible) {
      if (n->kind == IUP_DIALOG)
        gtk_widget_show(n->outer);
      else
        gtk_widget_show_all(n->outer);
    } else {
      gtk_widget_hide(n->outer);
    }
  }

  bool IsVisible(IupElement* e) override {
    Native* n = Find(e);
    if (n == nullptr || n->outer == nullptr) return false;
    if (n->kind == IUP_DIALOG) return gtk_widget_get_visible(n->outer);
    Native* d = Find(IupGetDialog(e));
    return gtk_widget_get_visible(n->outer) && d != nullptr && gtk_widget_get_visible(d->outer);
  }

  void SetEnabled(IupElement* e, bool enabled) override {
    Native* n = Find(e);
    if (n == nullptr) return;
    gtk_widget_set_sensitive(n->kind == IUP_DIALOG ? n->box : n->outer, enabled);
  }

  void SetFocus(IupElement* e) override {
    Native* n = Find(e);
    if (n == nullptr || S().focus == e) return;
    IupElement* lost = S().focus;
    S().focus = e;
    if (n->kind == IUP_DIALOG)
      gtk_window_present(GTK_WINDOW(n->outer));
    else if (n->inner != nullptr)
      gtk_widget_grab_focus(n->inner);
    event::FocusChanged(lost, e);
  }
  IupElement* GetFocus() override { return S().focus; }

  void Activate(IupElement* d) override {
    Native* n = Find(d);
    if (n == nullptr) return;
    gtk_window_present(GTK_WINDOW(n->outer));
    if (S().active == d) return;
    S().active = d;
    if (S().focus != nullptr && IupGetDialog(S().focus) == d) return;
    auto* last = static_cast<IupElement*>(IupGetAttributePointer(d, "LASTFOCUS_IUPWIN"));
    if (last != nullptr && Find(last) != nullptr) {
      SetFocus(last);
      return;
    }
    const char* action = IupGetAttribute(d, "GETFOCUS_CB");
    if (IupCallback cb = action != nullptr ? IupFindAction(action) : nullptr) cb(d);
  }
  IupElement* ActiveDialog() override { return S().active; }

  void SetAttribute(IupElement* e, const char* name, const char* value) override;
  DriverValue GetAttribute(IupElement* e, const char* name) override;

  bool DeliverOne() override {
    if (!g_main_context_pending(nullptr)) return false;
    g_main_context_iteration(nullptr, FALSE);
    return true;
  }

  bool WaitEvent() override {
    g_main_context_iteration(nullptr, TRUE);
    return true;
  }

  IupElement* TrackMenu(IupElement* menu, int x, int y) override {
    return gtk::TrackMenu(menu, x, y);
  }
  void MessageBox(IupElement* owner, const char* title, const char* text) override {
    gtk::MessageBox(owner, title, text);
  }
  FileAnswer ChooseFile(IupElement* owner, const FileRequest& request) override {
    return gtk::ChooseFile(owner, request);
  }

 private:
  static int MenuBarHeight() {
    static int height = 0;
    if (height == 0) {
      GtkWidget* bar = gtk_menu_bar_new();
      GtkWidget* item = gtk_menu_item_new_with_label("M");
      gtk_menu_shell_append(GTK_MENU_SHELL(bar), item);
      gtk_widget_show_all(bar);
      int minimum = 0, natural = 0;
      gtk_widget_get_preferred_height(bar, &minimum, &natural);
      height = std::max(natural, 1);
      g_object_ref_sink(bar);
      gtk_widget_destroy(bar);
      g_object_unref(bar);
    }
    return height;
  }
  static int MenuOf(const Native* d) {
    for (GList *c = gtk_container_get_children(GTK_CONTAINER(d->box)), *head = c; c != nullptr;
         c = c->next) {
      if (GTK_IS_MENU_BAR(c->data)) {
        g_list_free(head);
        return MenuBarHeight();
      }
      if (c->next == nullptr) g_list_free(head);
    }
    return 0;
  }

  const char* Answer(const char* name, std::string text) {
    std::string& slot = answers_[name];
    slot = std::move(text);
    return slot.c_str();
  }

  std::map<std::string, std::string> answers_;
};

// The controls below an element follow its "VISIBLE" (and their own).
void ShowBelow(IupElement* e) {
  for (IupElement* c = IupGetChild(e); c != nullptr; c = IupGetBrother(c)) {
    Native* n = Find(c);
    if (n != nullptr && n->outer != nullptr && n->kind != IUP_DIALOG && n->kind != IUP_MENU) {
      if (ShownInTree(c))
        gtk_widget_show_all(n->outer);
      else
        gtk_widget_hide(n->outer);
    }
    ShowBelow(c);
  }
}

void GtkDriver::SetAttribute(IupElement* e, const char* name, const char* value) {
  if (std::strcmp(name, "VISIBLE") == 0 && IupGetKind(e) != IUP_DIALOG &&
      IupGetNativeHandle(e) != nullptr)
    ShowBelow(e);
  Native* n = Find(e);
  if (n == nullptr || n->outer == nullptr) return;
  const std::string text = ToUtf8(value);
  if (std::strcmp(name, "TITLE") == 0) {
    switch (n->kind) {
      case IUP_DIALOG:
        gtk_window_set_title(GTK_WINDOW(n->outer), text.c_str());
        break;
      case IUP_BUTTON:
      case IUP_TOGGLE:
        gtk_button_set_label(GTK_BUTTON(n->outer), text.c_str());
        break;
      case IUP_LABEL:
        if (GTK_IS_LABEL(n->outer)) gtk_label_set_text(GTK_LABEL(n->outer), text.c_str());
        break;
      case IUP_FRAME:
        gtk_frame_set_label(GTK_FRAME(n->outer), value != nullptr ? text.c_str() : nullptr);
        break;
      case IUP_ITEM:
      case IUP_SUBMENU:
        gtk_menu_item_set_label(GTK_MENU_ITEM(n->outer), text.c_str());
        break;
      default:
        break;
    }
  } else if (std::strcmp(name, "VALUE") == 0) {
    n->quiet = true;
    if (IsEdit(n->kind)) {
      SetEditText(n, value != nullptr ? value : "");
    } else if (n->kind == IUP_TOGGLE) {
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(n->outer), ReadBoolOf(value) == 1);
    } else if (n->kind == IUP_ITEM && GTK_IS_CHECK_MENU_ITEM(n->outer)) {
      gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(n->outer), ReadBoolOf(value) == 1);
    } else if (n->kind == IUP_LIST) {
      SetListValue(n, value);
    }
    n->quiet = false;
  } else if (n->kind == IUP_CANVAS &&
             (std::strcmp(name, "POSX") == 0 || std::strcmp(name, "POSY") == 0 ||
              std::strcmp(name, "XMIN") == 0 || std::strcmp(name, "XMAX") == 0 ||
              std::strcmp(name, "YMIN") == 0 || std::strcmp(name, "YMAX") == 0 ||
              std::strcmp(name, "DX") == 0 || std::strcmp(name, "DY") == 0)) {
    SyncScrollbars(n);
  } else if (std::strcmp(name, "ACTIVE") == 0) {
    SetEnabled(e, ReadBoolOf(value) != 0);
    if (n->kind == IUP_BUTTON && HasImage(e))
      ShowButtonImage(n, ReadBoolOf(value) == 0 ? "IMINACTIVE" : "IMAGE");
  } else if (std::strcmp(name, "TIP") == 0) {
    ApplyTip(n);
  } else if (std::strcmp(name, "CURSOR") == 0) {
    ApplyCursor(n);
  } else if (std::strcmp(name, "IMAGE") == 0) {
    if (n->kind == IUP_BUTTON || n->kind == IUP_TOGGLE) {
      ShowButtonImage(n, "IMAGE");
    } else if (n->kind == IUP_LABEL && GTK_IS_IMAGE(n->outer)) {
      GdkPixbuf* pixbuf = ImagePixbuf(IupGetHandle(value), e, false);
      if (pixbuf != nullptr) {
        gtk_image_set_from_pixbuf(GTK_IMAGE(n->outer), pixbuf);
        g_object_unref(pixbuf);
      }
    }
  } else if (std::strcmp(name, "VISIBLE") == 0) {
    if (n->kind != IUP_DIALOG) SetVisible(e, ReadBoolOf(value) != 0 && ShownInTree(e));
  } else if (std::strcmp(name, "WINFONT") == 0 || std::strcmp(name, "FONT") == 0) {
    ApplyFontBelow(e);
  } else if (IsEdit(n->kind) && std::strcmp(name, "NC") == 0 && value != nullptr) {
    n->max_chars = std::max(0, std::atoi(value));
  } else if (IsEdit(n->kind) &&
             (std::strcmp(name, "INSERT") == 0 || std::strcmp(name, "APPEND") == 0) &&
             value != nullptr) {
    n->quiet = true;
    if (n->kind == IUP_TEXT) {
      gint at = gtk_editable_get_position(GTK_EDITABLE(n->inner));
      gtk_editable_insert_text(GTK_EDITABLE(n->inner), text.c_str(), -1, &at);
      gtk_editable_set_position(GTK_EDITABLE(n->inner), at);
    } else {
      GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(n->inner));
      if (name[0] == 'A') {
        GtkTextIter end;
        gtk_text_buffer_get_end_iter(buffer, &end);
        gtk_text_buffer_insert(buffer, &end, ("\n" + text).c_str(), -1);
      } else {
        gtk_text_buffer_insert_at_cursor(buffer, text.c_str(), -1);
      }
    }
    n->quiet = false;
  } else if (n->kind == IUP_TEXT && std::strcmp(name, "CARET") == 0 && value != nullptr) {
    gtk_editable_set_position(GTK_EDITABLE(n->inner), std::max(0, std::atoi(value) - 1));
  } else if (n->kind == IUP_TEXT && std::strcmp(name, "SELECTION") == 0 && value != nullptr) {
    int a = 0, b = 0;
    if (std::sscanf(value, "%d:%d", &a, &b) == 2)
      gtk_editable_select_region(GTK_EDITABLE(n->inner), std::max(a - 1, 0), std::max(b - 1, 0));
  } else if (n->kind == IUP_LIST) {
    char* end = nullptr;
    const long k = std::strtol(name, &end, 10);
    if (end == name || *end != '\0' || k < 1 || k > 9999) return;
    // rebuild from the stored items: setting, adding or cutting them
    n->quiet = true;
    if (n->dropdown)
      gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(n->inner));
    else
      gtk_list_store_clear(n->store);
    n->marks.clear();
    FillList(n);
    n->quiet = false;
  }
}

DriverValue GtkDriver::GetAttribute(IupElement* e, const char* name) {
  Native* n = Find(e);
  if (n == nullptr || n->outer == nullptr) return {};
  if (std::strcmp(name, "WID") == 0)
    return {reinterpret_cast<const char*>(n->inner ? n->inner : n->outer), true};
  if (std::strcmp(name, "VALUE") == 0) {
    if (IsEdit(n->kind)) return {Answer(name, EditText(n)), false};
    if (n->kind == IUP_TOGGLE)
      return {gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(n->outer)) ? "ON" : "OFF", false};
    if (n->kind == IUP_LIST) {
      if (n->multiple) {
        std::string marks;
        for (bool m : n->marks) marks.push_back(m ? '+' : '-');
        return {Answer(name, marks), false};
      }
      int selected = 0;
      for (size_t i = 0; i < n->marks.size(); ++i)
        if (n->marks[i]) selected = static_cast<int>(i + 1);
      return {Answer(name, std::to_string(selected)), false};
    }
    return {};
  }
  if (std::strcmp(name, "ACTIVE") == 0) {
    if (n->kind == IUP_DIALOG || n->kind == IUP_FRAME || n->kind == IUP_LABEL ||
        (n->kind >= IUP_ITEM && n->kind <= IUP_SUBMENU))
      return {};
    return {gtk_widget_get_sensitive(n->outer) ? "YES" : "NO", false};
  }
  if (std::strcmp(name, "VISIBLE") == 0) return {IsVisible(e) ? "YES" : "NO", false};
  if (std::strcmp(name, "RASTERSIZE") == 0 || std::strcmp(name, "SIZE") == 0) {
    if (IupGetAttribute(e, "IUPWIN_IS_MAPPING") != nullptr) return {};
    int width = n->width, height = n->height;
    if (n->kind == IUP_DIALOG && gtk_widget_get_realized(n->fixed)) {
      width = gtk_widget_get_allocated_width(n->fixed);
      height = gtk_widget_get_allocated_height(n->fixed);
    }
    if (name[0] == 'S') {
      int cw, ch;
      CharSize(e, &cw, &ch);
      width = width * 4 / cw, height = height * 8 / ch;
    }
    return {Answer(name, std::to_string(width) + "x" + std::to_string(height)), false};
  }
  if (n->kind == IUP_TEXT && std::strcmp(name, "CARET") == 0)
    return {Answer(name, std::to_string(gtk_editable_get_position(GTK_EDITABLE(n->inner)) + 1)),
            false};
  if (n->kind == IUP_TEXT &&
      (std::strcmp(name, "SELECTION") == 0 || std::strcmp(name, "SELECTEDTEXT") == 0)) {
    gint a = 0, b = 0;
    if (!gtk_editable_get_selection_bounds(GTK_EDITABLE(n->inner), &a, &b)) return {};
    if (name[8] == '\0')
      return {Answer(name, std::to_string(a + 1) + ":" + std::to_string(b + 1)), false};
    const std::string all = EditText(n);
    return {Answer(name, all.substr(static_cast<size_t>(a), static_cast<size_t>(b - a))), false};
  }
  if (std::strcmp(name, "X") == 0 || std::strcmp(name, "Y") == 0) {
    IupElement* d = n->kind == IUP_DIALOG ? e : IupGetDialog(e);
    int x = 0, y = 0;
    DialogPosition(d, &x, &y);
    if (n->kind != IUP_DIALOG) {
      GtkAllocation a;
      gtk_widget_get_allocation(n->outer, &a);
      x += a.x, y += a.y;
    }
    return {Answer(name, std::to_string(name[0] == 'X' ? x : y)), false};
  }
  if (std::strcmp(name, "DROPDOWN") == 0 && n->kind == IUP_LIST)
    return {n->dropdown ? "YES" : "NO", false};
  return {};
}

}  // namespace

std::unique_ptr<Driver> NewDriver() {
  if (!gtk_init_check(nullptr, nullptr)) return nullptr;
  return std::make_unique<GtkDriver>();
}

}  // namespace iup::gtk
