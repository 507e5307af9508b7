// Real input and a look at the windows for the GTK driver's tests.
#include <gtest/gtest.h>

#include "gtkprobe.h"
// after gtest: X11 headers define None and friends as macros
#include <gdk/gdkx.h>

#include <cstdio>
#include <cstdlib>

namespace gtkprobe {
namespace {

// generous: a loaded machine running the sanitizer build can take seconds to map a dialog
constexpr gint64 kStepLimit = 30 * G_USEC_PER_SEC;

std::string XidOf(GtkWidget* widget) {
  GtkWidget* top = gtk_widget_get_toplevel(widget);
  GdkWindow* window = gtk_widget_get_window(top);
  if (window == nullptr) return "";
  return std::to_string(static_cast<unsigned long>(gdk_x11_window_get_xid(window)));
}

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'')
      out += "'\\''";
    else
      out.push_back(c);
  }
  return out + "'";
}

void Walk(GtkWidget* widget, const std::function<bool(GtkWidget*)>& visit) {
  if (!gtk_widget_is_visible(widget) || !visit(widget)) return;
  if (!GTK_IS_CONTAINER(widget)) return;
  GList* children = nullptr;
  gtk_container_forall(
      GTK_CONTAINER(widget),
      [](GtkWidget* child, gpointer list) {
        *static_cast<GList**>(list) = g_list_append(*static_cast<GList**>(list), child);
      },
      &children);
  for (GList* c = children; c != nullptr; c = c->next) Walk(GTK_WIDGET(c->data), visit);
  g_list_free(children);
}

std::string ButtonText(GtkWidget* button) {
  std::string text;
  Walk(button, [&](GtkWidget* w) {
    if (GTK_IS_LABEL(w) && text.empty()) text = gtk_label_get_text(GTK_LABEL(w));
    return text.empty();
  });
  return text;
}

struct Runner {
  std::vector<Step> steps;
  size_t index = 0;
  bool acted = false;
  gint64 started = 0, acted_at = 0, ended = 0;
  bool rescued = false;
};
Runner* g_runner = nullptr;

void CloseEverything() {
  GList* tops = gtk_window_list_toplevels();
  for (GList* t = tops; t != nullptr; t = t->next)
    if (gtk_widget_get_visible(GTK_WIDGET(t->data))) gtk_window_close(GTK_WINDOW(t->data));
  g_list_free(tops);
}

gboolean Tick(gpointer) {
  Runner& r = *g_runner;
  const gint64 now = g_get_monotonic_time();
  if (r.index >= r.steps.size()) {
    if (r.ended == 0) r.ended = now;
    if (now - r.ended > kStepLimit && !r.rescued) {
      r.rescued = true;
      ADD_FAILURE() << "the dialog was still up thirty seconds after the last step";
      CloseEverything();
    }
    return G_SOURCE_CONTINUE;
  }
  Step& step = r.steps[r.index];
  if (!r.acted) {
    r.acted = true;
    r.started = r.acted_at = now;
    if (step.act) step.act();
    return G_SOURCE_CONTINUE;
  }
  if (!step.done || step.done()) {
    ++r.index;
    r.acted = false;
  } else if (now - r.started > kStepLimit) {
    ADD_FAILURE() << "timed out: " << step.what;
    ++r.index;
    r.acted = false;
  } else if (step.retry > 0 && now - r.acted_at >= step.retry * G_USEC_PER_SEC && step.act) {
    // a key the window manager handles can be lost while the focus moves
    r.acted_at = now;
    step.act();
  }
  return G_SOURCE_CONTINUE;
}

}  // namespace

bool Xdo(const std::string& command) {
  const std::string line = "timeout 30 xdotool " + command + " >/dev/null 2>&1";
  return std::system(line.c_str()) == 0;
}

std::string XWindow(const std::string& title) {
  const std::string command =
      "timeout 30 xdotool search --sync --onlyvisible --name " + Quoted("^" + title + "$");
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "";
  char line[64] = "";
  if (std::fgets(line, sizeof line, pipe) == nullptr) line[0] = '\0';
  pclose(pipe);
  std::string id = line;
  while (!id.empty() && (id.back() == '\n' || id.back() == '\r')) id.pop_back();
  return id;
}

GtkWindow* Toplevel(const std::string& title) {
  GtkWindow* found = nullptr;
  GList* tops = gtk_window_list_toplevels();
  for (GList* t = tops; t != nullptr && found == nullptr; t = t->next) {
    GtkWindow* w = GTK_WINDOW(t->data);
    const char* wt = gtk_window_get_title(w);
    if (wt != nullptr && title == wt && gtk_widget_get_mapped(GTK_WIDGET(w)) &&
        gdk_window_is_viewable(gtk_widget_get_window(GTK_WIDGET(w))))
      found = w;
  }
  g_list_free(tops);
  return found;
}

Look LookAt(GtkWindow* window) {
  Look look;
  if (window == nullptr) return look;
  Walk(GTK_WIDGET(window), [&](GtkWidget* w) {
    if (GTK_IS_BUTTON(w)) {
      look.buttons.push_back(ButtonText(w));
      return false;
    }
    if (GTK_IS_LABEL(w)) look.labels.push_back(gtk_label_get_text(GTK_LABEL(w)));
    return true;
  });
  return look;
}

GtkWidget* FindWidget(GtkWindow* window, GType type) {
  GtkWidget* found = nullptr;
  if (window == nullptr) return nullptr;
  Walk(GTK_WIDGET(window), [&](GtkWidget* w) {
    if (found == nullptr && G_TYPE_CHECK_INSTANCE_TYPE(w, type)) found = w;
    return found == nullptr;
  });
  return found;
}

GtkWidget* FindButton(GtkWindow* window, const std::string& text) {
  GtkWidget* found = nullptr;
  if (window == nullptr) return nullptr;
  Walk(GTK_WIDGET(window), [&](GtkWidget* w) {
    if (found != nullptr) return false;
    if (!GTK_IS_BUTTON(w)) return true;
    if (ButtonText(w) == text) found = w;
    return false;
  });
  return found;
}

bool ClickWidget(GtkWidget* widget, int count, int x, int y, const char* keys) {
  if (widget == nullptr) return false;
  if (x < 0) x = gtk_widget_get_allocated_width(widget) / 2;
  if (y < 0) y = gtk_widget_get_allocated_height(widget) / 2;
  GtkWidget* top = gtk_widget_get_toplevel(widget);
  int tx = 0, ty = 0;
  if (!gtk_widget_translate_coordinates(widget, top, x, y, &tx, &ty)) return false;
  std::string command = "mousemove --window " + XidOf(widget) + " " + std::to_string(tx) + " " +
                        std::to_string(ty) + " ";
  if (keys != nullptr) command += std::string("keydown ") + keys + " ";
  command += "click --repeat " + std::to_string(count) + " --delay 120 1";
  if (keys != nullptr) command += std::string(" keyup ") + keys;
  return Xdo(command);
}

bool Keys(GtkWindow* window, const std::string& keys) {
  if (window == nullptr) return false;
  return Xdo("windowactivate --sync " + XidOf(GTK_WIDGET(window)) + " key --delay 60 " + keys);
}

bool Type(GtkWindow* window, const std::string& text) {
  if (window == nullptr) return false;
  return Xdo("windowactivate --sync " + XidOf(GTK_WIDGET(window)) + " type --delay 40 " +
             Quoted(text));
}

void During(std::vector<Step> steps, const std::function<void()>& popup) {
  Runner runner;
  runner.steps = std::move(steps);
  Runner* outer = g_runner;
  g_runner = &runner;
  const guint source = g_timeout_add(50, Tick, nullptr);
  popup();
  g_source_remove(source);
  g_runner = outer;
  // the step under way may be the one that closed the dialog
  for (size_t i = runner.index + (runner.acted ? 1 : 0); i < runner.steps.size(); ++i)
    ADD_FAILURE() << "not reached before the dialog closed: " << runner.steps[i].what;
}

Step WaitWindow(const std::string& title, GtkWindow** window) {
  return {"the window \"" + title + "\" shows", nullptr, [title, window] {
            *window = Toplevel(title);
            return *window != nullptr;
          }};
}

}  // namespace gtkprobe
