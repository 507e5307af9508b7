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

// A message about the chosen name, over the chooser; the button answered.
int TellAbout(GtkWindow* chooser, const std::string& title, const std::string& path,
              GtkMessageType kind, GtkButtonsType buttons, const char* message) {
  gchar* shown = g_filename_display_name(path.c_str());
  GtkWidget* box =
      gtk_message_dialog_new(chooser, GTK_DIALOG_MODAL, kind, buttons, "%s\n%s", shown, message);
  g_free(shown);
  gtk_window_set_title(GTK_WINDOW(box), ToUtf8(title.c_str()).c_str());
  const int response = gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
  return response;
}

void NotFound(GtkWindow* chooser, const std::string& title, const std::string& path) {
  TellAbout(chooser, title, path, GTK_MESSAGE_WARNING, GTK_BUTTONS_OK,
            "File not found.\nCheck the file name and try again.");
}

// Asked before an OPEN dialog takes a name that does not exist.
bool AskCreate(GtkWindow* chooser, const std::string& title, const std::string& path) {
  return TellAbout(chooser, title, path, GTK_MESSAGE_QUESTION, GTK_BUTTONS_YES_NO,
                   "This file does not exist.\nCreate the file?") == GTK_RESPONSE_YES;
}

// One chooser filter: a name and patterns separated by ';'.
void AddFilter(GtkFileChooser* fc, const std::string& info, const std::string& patterns) {
  GtkFileFilter* filter = gtk_file_filter_new();
  gtk_file_filter_set_name(filter, ToUtf8((info.empty() ? patterns : info).c_str()).c_str());
  size_t start = 0;
  while (start <= patterns.size()) {
    const size_t end = patterns.find(';', start);
    const std::string pattern = patterns.substr(start, end - start);
    if (!pattern.empty()) gtk_file_filter_add_pattern(filter, pattern.c_str());
    if (end == std::string::npos) break;
    start = end + 1;
  }
  gtk_file_chooser_add_filter(fc, filter);
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
    gtk_menu_popup_at_rect(gmenu, gtk_widget_get_window(GTK_WIDGET(window)), &at,
                           GDK_GRAVITY_NORTH_WEST, GDK_GRAVITY_NORTH_WEST, nullptr);
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
  GtkWidget* box = gtk_message_dialog_new(WindowOf(owner), GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER,
                                          GTK_BUTTONS_OK, "%s", ToUtf8(text).c_str());
  gtk_window_set_title(GTK_WINDOW(box), ToUtf8(title).c_str());
  gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
}

FileAnswer ChooseFile(IupElement* owner, const FileRequest& request) {
  // a new file may be named only where the chooser lets one type a name
  const bool typed = request.save || request.allow_new;
  GtkWidget* chooser = gtk_file_chooser_dialog_new(
      ToUtf8(request.title.c_str()).c_str(), WindowOf(owner),
      typed ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
      GTK_RESPONSE_CANCEL, request.save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* fc = GTK_FILE_CHOOSER(chooser);
  gtk_file_chooser_set_do_overwrite_confirmation(fc, request.save && !request.no_overwrite_prompt);
  // the initial name's own folder goes before the one asked for, and the
  // working folder is the start when neither is known (not GTK's "Recent")
  const size_t slash = request.file.find_last_of('/');
  std::string folder = request.directory, base = request.file;
  if (slash != std::string::npos) {
    folder.assign(request.file, 0, slash + 1);
    base.assign(request.file, slash + 1, std::string::npos);
  }
  if (folder.empty()) folder.assign(1, '.');
  if (gchar* absolute = g_canonicalize_filename(folder.c_str(), nullptr)) {
    gtk_file_chooser_set_current_folder(fc, absolute);
    if (!typed && !base.empty()) {
      gchar* path = g_build_filename(absolute, base.c_str(), nullptr);
      gtk_file_chooser_set_filename(fc, path);
      g_free(path);
    }
    g_free(absolute);
  }
  // the name field is set even when empty, so the accept button follows it
  if (typed) gtk_file_chooser_set_current_name(fc, ToUtf8(base.c_str()).c_str());
  if (!request.filter.empty()) AddFilter(fc, request.filter_info, request.filter);
  for (const auto& [info, patterns] : request.more_filters) AddFilter(fc, info, patterns);
  FileAnswer answer;
  while (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
    gchar* name = gtk_file_chooser_get_filename(fc);
    if (name == nullptr) break;
    const std::string path = name;
    g_free(name);
    // GTK takes a typed name that does not exist even when opening: where
    // no new file may be named the user is told and chooses again
    if (!typed && !Exists(path)) {
      NotFound(GTK_WINDOW(chooser), request.title, path);
      continue;
    }
    if (request.create_prompt && !Exists(path) &&
        !AskCreate(GTK_WINDOW(chooser), request.title, path))
      continue;
    answer.path = path;
    answer.status = Exists(answer.path) ? 0 : 1;
    break;
  }
  gtk_widget_destroy(chooser);
  return answer;
}

}  // namespace iup::gtk
