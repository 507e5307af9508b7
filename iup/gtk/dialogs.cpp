// Native dialogs of the GTK driver: context menus tracked in a loop of our
// own, the message box and the file chooser with its filter.
#include <sys/stat.h>

#include <cstring>

#include "gtk/gtkint.h"

namespace iup::gtk {
namespace {

GtkWindow* WindowOf(IupElement* owner) {
  Native* n = Find(owner != nullptr ? IupGetDialog(owner) : nullptr);
  if (n == nullptr) n = Find(S().active);
  return n != nullptr && n->kind == IUP_DIALOG ? GTK_WINDOW(n->outer) : nullptr;
}

gboolean QuitLater(gpointer loop) {
  g_main_loop_quit(static_cast<GMainLoop*>(loop));
  return G_SOURCE_REMOVE;
}

void OnMenuDone(GtkMenuShell*, gpointer loop) {
  // an item's "activate" follows "deactivate": quit once it has run
  g_idle_add(QuitLater, loop);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

IupElement* TrackMenu(IupElement* menu, int x, int y) {
  Native* n = Find(menu);
  if (n == nullptr || !GTK_IS_MENU(n->outer)) return nullptr;
  GtkMenu* gmenu = GTK_MENU(n->outer);
  gtk_widget_show_all(n->outer);
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  const gulong handler = g_signal_connect(gmenu, "deactivate", G_CALLBACK(OnMenuDone), loop);
  S().tracking = true;
  S().tracked_choice = nullptr;
  GtkWindow* window = WindowOf(S().active);
  if (x == IUP_MOUSEPOS || y == IUP_MOUSEPOS || window == nullptr) {
    gtk_menu_popup_at_pointer(gmenu, nullptr);
  } else {
    int wx = 0, wy = 0;
    gtk_window_get_position(window, &wx, &wy);
    GdkRectangle at{x - wx, y - wy, 1, 1};
    gtk_menu_popup_at_rect(gmenu, gtk_widget_get_window(GTK_WIDGET(window)), &at, GDK_GRAVITY_NORTH_WEST,
                           GDK_GRAVITY_NORTH_WEST, nullptr);
  }
  if (gtk_widget_get_visible(n->outer)) g_main_loop_run(loop);
  S().tracking = false;
  if (Find(menu) != nullptr) g_signal_handler_disconnect(gmenu, handler);
  g_main_loop_unref(loop);
  IupElement* chosen = S().tracked_choice;
  S().tracked_choice = nullptr;
  return Find(chosen) != nullptr ? chosen : nullptr;
}

void MessageBox(IupElement* owner, const char* title, const char* text) {
  GtkWidget* box = gtk_message_dialog_new(WindowOf(owner), GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER, GTK_BUTTONS_OK,
                                          "%s", ToUtf8(text).c_str());
  gtk_window_set_title(GTK_WINDOW(box), ToUtf8(title).c_str());
  gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
}

FileAnswer ChooseFile(IupElement* owner, const FileRequest& request) {
  // a new file may be named only where the chooser lets one type a name
  const bool typed = request.save || request.allow_new;
  GtkWidget* chooser = gtk_file_chooser_dialog_new(
      ToUtf8(request.title.c_str()).c_str(), WindowOf(owner),
      typed ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel", GTK_RESPONSE_CANCEL,
      request.save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* fc = GTK_FILE_CHOOSER(chooser);
  gtk_file_chooser_set_do_overwrite_confirmation(fc, request.save && !request.no_overwrite_prompt);
  if (!request.directory.empty()) gtk_file_chooser_set_current_folder(fc, request.directory.c_str());
  if (!request.file.empty()) {
    if (typed)
      gtk_file_chooser_set_current_name(fc, ToUtf8(request.file.c_str()).c_str());
    else
      gtk_file_chooser_set_filename(fc, request.file.c_str());
  }
  if (!request.filter.empty()) {
    GtkFileFilter* filter = gtk_file_filter_new();
    const std::string& info = request.filter_info.empty() ? request.filter : request.filter_info;
    gtk_file_filter_set_name(filter, ToUtf8(info.c_str()).c_str());
    size_t start = 0;
    while (start <= request.filter.size()) {
      const size_t end = request.filter.find(';', start);
      const std::string pattern = request.filter.substr(start, end - start);
      if (!pattern.empty()) gtk_file_filter_add_pattern(filter, pattern.c_str());
      if (end == std::string::npos) break;
      start = end + 1;
    }
    gtk_file_chooser_add_filter(fc, filter);
  }
  FileAnswer answer;
  if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
    gchar* name = gtk_file_chooser_get_filename(fc);
    if (name != nullptr) {
      answer.path = name;
      answer.status = Exists(answer.path) ? 0 : 1;
      g_free(name);
    }
  }
  gtk_widget_destroy(chooser);
  return answer;
}

}  // namespace iup::gtk
