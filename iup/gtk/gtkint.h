// Internals of the GTK3 driver shared by its modules: the native record of
// each mapped element, text conversion, fonts, keys and the signal hookup.
#ifndef VARKO_IUP_GTK_GTKINT_H
#define VARKO_IUP_GTK_GTKINT_H

#include <gtk/gtk.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "iupdriver.h"

namespace iup::gtk {

// What the driver made for one element.
struct Native {
  IupElement* element = nullptr;
  int serial = 0;
  int kind = 0;
  GtkWidget* outer = nullptr;  // placed in the dialog's GtkFixed (dialogs: the window)
  GtkWidget* inner = nullptr;  // the control proper (entry, view, drawing area...)
  GtkWidget* fixed = nullptr;  // dialogs: the client area
  GtkWidget* box = nullptr;    // dialogs: menu bar above the client area
  GtkWidget* hbar = nullptr;   // canvases: their scrollbars
  GtkWidget* vbar = nullptr;
  GtkListStore* store = nullptr;
  std::vector<bool> marks;  // lists: the marks last reported
  bool multiple = false, dropdown = false;
  int max_chars = 32767;
  int width = 0, height = 0;  // last size given by the layout
  bool placed = false;        // dialogs: positioned once
  bool quiet = false;         // a programmatic change is under way
};

struct State {
  std::map<IupElement*, std::unique_ptr<Native>> natives;
  IupElement* focus = nullptr;
  IupElement* active = nullptr;
  IupElement* tracked_choice = nullptr;  // item chosen in a context menu
  bool tracking = false;
  int buttons_down = 0;  // bit 0 left, 1 middle, 2 right
};

State& S();
Native* Find(IupElement* e);
IupElement* ElementOf(gpointer serial);  // from the user data of a signal
gpointer Tag(const Native* n);

// Texts are Latin-1 in the toolkit and UTF-8 in GTK.
std::string ToUtf8(const char* latin1);
std::string ToLatin1(const char* utf8);

// Pango font of an element ("WINFONT", "FONT", the default font).
PangoFontDescription* FontOf(IupElement* e);
void ApplyFont(GtkWidget* widget, IupElement* e);

// Key code of the toolkit for a key event, 0 when it has none.
int KeyCode(const GdkEventKey* event);

// Signal hookup of every kind (input.cpp).
void ConnectDialog(Native* n);
void ConnectControl(Native* n);
void ConnectMenuItem(Native* n);
void ReportListChange(Native* n);
// Text of an edit control (Latin-1) and its replacement.
std::string EditText(const Native* n);
void SetEditText(Native* n, const std::string& latin1);

// Canvas scrollbars (scrollbar.cpp): wraps the drawing area with the bars
// that "SCROLLBAR"/"SBH"/"SBV" ask for (returns the widget to place), moves
// the thumbs to the canvas's attributes, and tells the thickness the bars
// take from the drawing area.
GtkWidget* WrapScrollbars(Native* n);
void SyncScrollbars(Native* n);

// Window canvases: the draw handler runs the repaint ACTION and shows the
// canvas framebuffer; drawing outside it queues a redraw.
void InstallCanvasPresentation();
void DrawCanvas(IupElement* element, cairo_t* cr);
int ScrollbarThickness(const Native* n, bool horizontal);

// Pointers (pointers.cpp): the pointer a "CURSOR" value names (null when it
// names none), and setting an element's pointer once its window exists.
GdkCursor* PointerNamed(const char* name, IupElement* user);
bool IsOwnPointer(const char* name);
void ApplyCursor(Native* n);
void WatchCursor(Native* n);

// IMAGE elements (images.cpp): the picture of an IMAGE as seen on the user
// element (null when not an image); a button shows the image that attribute
// names, else its "IMAGE".
GdkPixbuf* ImagePixbuf(IupElement* image, IupElement* user, bool pointer);
GtkWidget* ImageWidget(IupElement* user, const char* attribute);
void ShowButtonImage(Native* n, const char* attribute);
void ConnectButtonImages(Native* n);  // "IMPRESS" while pressed

// Desktop (desktop.cpp): local file names (Latin-1) of a dropped URI list,
// drop acceptance for elements with a "DROPFILES_CB", tooltips.
std::vector<std::string> DroppedFiles(const gchar* const* uris);
void AcceptDrops(Native* n);
void ApplyTip(Native* n);

// Native dialogs (dialogs.cpp).
IupElement* TrackMenu(IupElement* menu, int x, int y);
void MessageBox(IupElement* owner, const char* title, const char* text);
FileAnswer ChooseFile(IupElement* owner, const FileRequest& request);

}  // namespace iup::gtk

#endif
