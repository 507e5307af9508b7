// Helpers of the GTK driver's tests under Xvfb: real input from xdotool,
// steps driven by a GLib timeout (so they also run inside the loops of
// native GTK dialogs), and a look at what a window shows its user.
#ifndef VARKO_TESTS_GTK_GTKPROBE_H
#define VARKO_TESTS_GTK_GTKPROBE_H

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

namespace gtkprobe {

// Runs "xdotool command" (bounded); false when it failed.
bool Xdo(const std::string& command);
// The X window id of the visible window with this exact (UTF-8) title, or
// "" when none shows up within ten seconds.
std::string XWindow(const std::string& title);

// The visible GTK toplevel with this title (UTF-8), or null.
GtkWindow* Toplevel(const std::string& title);
// What a window shows: the texts of its visible labels (outside buttons) and
// of its visible buttons, in widget order.
struct Look {
  std::vector<std::string> labels, buttons;
};
Look LookAt(GtkWindow* window);
// The first visible widget of a type under a window, and the visible button
// whose text is this (mnemonic underscores ignored).
GtkWidget* FindWidget(GtkWindow* window, GType type);
GtkWidget* FindButton(GtkWindow* window, const std::string& text);
// Clicks (count times) at a point of a widget, in its own coordinates
// (centre when x < 0), through the X server.
bool ClickWidget(GtkWidget* widget, int count = 1, int x = -1, int y = -1,
                 const char* keys = nullptr);
// Activates the window and sends the keys (xdotool key syntax) or text.
bool Keys(GtkWindow* window, const std::string& keys);
bool Type(GtkWindow* window, const std::string& text);

// A step acts once, then the runner waits until done() holds (null: at
// once); with retry > 0 the action is repeated every retry seconds meanwhile.
struct Step {
  std::string what;
  std::function<void()> act;
  std::function<bool()> done;
  int retry = 0;
};
// Runs popup() while the steps are carried out one after the other; a step
// that does not come true within ten seconds fails the test. When popup()
// has not returned ten seconds after the last step, the test fails and the
// open dialogs are closed so that the program goes on.
void During(std::vector<Step> steps, const std::function<void()>& popup);
// A step that waits for the window of this title and keeps it.
Step WaitWindow(const std::string& title, GtkWindow** window);

}  // namespace gtkprobe

#endif
