// Desktop integration of the GTK driver: files dropped from the desktop
// ("DROPFILES_CB", once per file while it answers IUP_DEFAULT) and tooltips.
#include <string>
#include <vector>

#include "gtk/gtkint.h"

namespace iup::gtk {
namespace {

void OnDropReceived(GtkWidget*, GdkDragContext* context, gint x, gint y, GtkSelectionData* data,
                    guint, guint time, gpointer tag) {
  IupElement* e = ElementOf(tag);
  gchar** uris = gtk_selection_data_get_uris(data);
  const std::vector<std::string> files = DroppedFiles(uris);
  g_strfreev(uris);
  gtk_drag_finish(context, !files.empty(), FALSE, time);
  const int serial = e != nullptr ? IupGetSerial(e) : 0;
  for (size_t i = 0; i < files.size() && e != nullptr && IupFromSerial(serial) == e; ++i) {
    const int remaining = static_cast<int>(files.size() - i - 1);
    if (event::DropFile(e, files[i].c_str(), remaining, x, y) != IUP_DEFAULT) break;
  }
}

}  // namespace

std::vector<std::string> DroppedFiles(const gchar* const* uris) {
  std::vector<std::string> files;
  for (size_t i = 0; uris != nullptr && uris[i] != nullptr; ++i) {
    gchar* name = g_filename_from_uri(uris[i], nullptr, nullptr);
    if (name == nullptr) continue;  // not a local file
    // file names are UTF-8 on the desktop, Latin-1 in the program
    files.push_back(ToLatin1(name));
    g_free(name);
  }
  return files;
}

void AcceptDrops(Native* n) {
  if (IupGetAttribute(n->element, "DROPFILES_CB") == nullptr) return;
  GtkWidget* w = n->kind == IUP_DIALOG ? n->outer : n->inner;
  GtkTargetEntry target{const_cast<gchar*>("text/uri-list"), 0, 0};
  gtk_drag_dest_set(w, GTK_DEST_DEFAULT_ALL, &target, 1, GDK_ACTION_COPY);
  g_signal_connect(w, "drag-data-received", G_CALLBACK(OnDropReceived), Tag(n));
}

void ApplyTip(Native* n) {
  if (n->outer == nullptr) return;
  const char* tip = IupGetAttribute(n->element, "TIP");
  gtk_widget_set_tooltip_text(n->outer, tip != nullptr ? ToUtf8(tip).c_str() : nullptr);
}

}  // namespace iup::gtk
