// The headless driver: a deterministic platform without windows. Native
// objects are widget records holding what a user would see; metrics are
// fixed; events come from the injection queue (inject.cpp).
#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "headless/headless.h"
#include "headless/iupheadless.h"
#include "iupcanvasfb.h"

namespace iup::headless {
namespace {

bool IsEdit(int kind) {
  return kind == IUP_TEXT || kind == IUP_MULTILINE;
}

std::string Own(IupElement* e, const char* name) {
  const char* v = IupGetOwnAttribute(e, name);
  return v != nullptr ? v : "";
}

int ReadBoolOf(const char* v) {
  if (v == nullptr) return -1;
  if (strcasecmp(v, "NO") == 0 || strcasecmp(v, "OFF") == 0) return 0;
  if (strcasecmp(v, "YES") == 0 || strcasecmp(v, "ON") == 0) return 1;
  return -1;
}

void SetListValue(Widget* w, const char* value) {
  w->marks.assign(w->items.size(), false);
  if (value == nullptr) return;
  if (w->multiple) {
    for (size_t i = 0; i < w->marks.size() && value[i] != '\0'; ++i) w->marks[i] = value[i] == '+';
    return;
  }
  const long n = std::strtol(value, nullptr, 10);
  if (n >= 1 && static_cast<size_t>(n) <= w->items.size())
    w->marks[static_cast<size_t>(n - 1)] = true;
}

// MULTILINE "line,column" (from 1) to an offset and back.
int OffsetOf(const std::string& text, int line, int column) {
  size_t at = 0;
  for (int l = 1; l < line && at < text.size(); ++l) {
    const size_t nl = text.find('\n', at);
    if (nl == std::string::npos) return static_cast<int>(text.size());
    at = nl + 1;
  }
  const size_t end = std::min(text.find('\n', at), text.size());
  return static_cast<int>(std::min(at + static_cast<size_t>(std::max(column - 1, 0)), end));
}

void LineColumn(const std::string& text, int offset, int* line, int* column) {
  *line = 1;
  int start = 0;
  for (int i = 0; i < offset && i < static_cast<int>(text.size()); ++i)
    if (text[static_cast<size_t>(i)] == '\n') ++*line, start = i + 1;
  *column = offset - start + 1;
}

int ClampOffset(const Widget* w, int offset) {
  return std::clamp(offset, 0, static_cast<int>(w->text.size()));
}

void SetPosition(Widget* w, const char* value, bool selection) {
  if (value == nullptr) return;
  const bool multi = w->kind == IUP_MULTILINE;
  int a = 0, b = 0, c = 0, d = 0;
  if (selection) {
    if (multi ? std::sscanf(value, "%d,%d:%d,%d", &a, &b, &c, &d) == 4
              : std::sscanf(value, "%d:%d", &a, &c) == 2) {
      const int start = multi ? OffsetOf(w->text, a, b) : a - 1;
      const int end = multi ? OffsetOf(w->text, c, d) : c - 1;
      w->sel_start = ClampOffset(w, std::min(start, end));
      w->sel_end = ClampOffset(w, std::max(start, end));
      w->caret = w->sel_end;
    }
    return;
  }
  if (multi ? std::sscanf(value, "%d,%d", &a, &b) == 2 : std::sscanf(value, "%d", &a) == 1) {
    w->caret = ClampOffset(w, multi ? OffsetOf(w->text, a, b) : a - 1);
    w->sel_start = w->sel_end = w->caret;
  }
}

class HeadlessDriver final : public Driver {
 public:
  const char* Name() const override { return "Headless"; }
  const char* SystemName() const override { return "Headless"; }
  void Open() override { IupSetGlobal("WIN_DLGBGCOLOR", "15"); }
  void Shutdown() override {}

  const char* SystemColour(Colour which) override {
    switch (which) {
      case Colour::Window:
        return "255 255 255";
      case Colour::Text:
      case Colour::ButtonText:
        return "0 0 0";
      default:
        return "192 192 192";
    }
  }

  bool IdleAllowed() override {
    if (++S().idle_calls <= S().idle_limit) return true;
    Note("headless: the idle function ran " + std::to_string(S().idle_limit) +
         " times with no event queued; ending the loop");
    S().idle_calls = 0;
    return false;
  }

  void CharSize(IupElement*, int* cw, int* ch) override {
    *cw = kCharWidth;
    *ch = kCharHeight;
  }
  int TextWidth(IupElement*, const char* text) override {
    return static_cast<int>(std::strlen(text)) * kCharWidth;
  }
  ScreenMetrics Screen() override {
    ScreenMetrics m;
    m.work_width = m.full_width = kScreenWidth;
    m.work_height = m.full_height = kScreenHeight;
    m.caption = 20, m.small_caption = 15;
    m.sizing_frame_w = m.sizing_frame_h = 4;
    m.dialog_frame_w = m.dialog_frame_h = 3;
    m.border_w = m.border_h = 1;
    m.menu_bar = 20;
    m.scrollbar = 16;
    m.edge = 2;
    return m;
  }

  void* Create(IupElement* e, IupElement*) override {
    auto w = std::make_unique<Widget>();
    w->element = e;
    w->kind = IupGetKind(e);
    w->visible = ReadBoolOf(IupGetOwnAttribute(e, "VISIBLE")) != 0;
    w->enabled = ReadBoolOf(IupGetAttribute(e, "ACTIVE")) != 0;
    if (IupGetKind(e) == IUP_DIALOG) w->visible = false;
    if (IsEdit(IupGetKind(e))) {
      w->text = Own(e, "VALUE");
      w->max_chars = IupGetAttributeInt(e, "NC");
    } else if (IupGetKind(e) == IUP_LIST) {
      for (int n = 1; n <= 9999; ++n) {
        const char* item = IupGetOwnAttribute(e, std::to_string(n).c_str());
        if (item == nullptr) break;
        w->items.emplace_back(item);
      }
      w->multiple = ReadBoolOf(IupGetAttribute(e, "MULTIPLE")) == 1;
      w->dropdown = ReadBoolOf(IupGetAttribute(e, "DROPDOWN")) == 1;
      SetListValue(w.get(), IupGetOwnAttribute(e, "VALUE"));
    } else {
      w->text = Own(e, "TITLE");
      if (IupGetKind(e) == IUP_TOGGLE || IupGetKind(e) == IUP_ITEM)
        w->checked = ReadBoolOf(IupGetOwnAttribute(e, "VALUE")) == 1;
    }
    Widget* raw = w.get();
    S().widgets[e] = std::move(w);
    return raw;
  }

  void Destroy(IupElement* e) override {
    if (S().focus == e) S().focus = nullptr;
    if (S().active == e) S().active = nullptr;
    S().widgets.erase(e);
  }

  void Move(IupElement* e, int x, int y, int width, int height) override {
    Widget* w = Find(e);
    if (w == nullptr) return;
    const bool resized = w->width != width || w->height != height;
    w->x = x, w->y = y, w->width = width, w->height = height;
    if (resized && IupGetKind(e) == IUP_CANVAS &&
        IupGetAttribute(e, "IUPWIN_IS_MAPPING") == nullptr)
      event::CanvasResize(e, width, height);
  }

  void PlaceDialog(IupElement* d, int x, int y, int width, int height) override {
    Widget* w = Find(d);
    if (w == nullptr) return;
    w->screen_x = x, w->screen_y = y, w->window_width = width, w->window_height = height;
    w->width = IupGetCurrentWidth(d), w->height = IupGetCurrentHeight(d);
  }

  void DialogPosition(IupElement* d, int* x, int* y) override {
    const Widget* w = Find(d);
    *x = w != nullptr ? w->screen_x : 0;
    *y = w != nullptr ? w->screen_y : 0;
  }

  void Repaint(IupElement* e) override {
    if (Find(e) == nullptr) return;
    // like a paint request: delivered once the queue is empty
    std::vector<IupElement*> canvases;
    std::vector<IupElement*> stack{e};
    while (!stack.empty()) {
      IupElement* c = stack.back();
      stack.pop_back();
      if (IupGetKind(c) == IUP_CANVAS) canvases.push_back(c);
      for (IupElement* k = IupGetChild(c); k != nullptr; k = IupGetBrother(k)) stack.push_back(k);
    }
    for (IupElement* c : canvases) {
      auto& p = S().paints;
      if (std::find(p.begin(), p.end(), IupGetSerial(c)) == p.end()) p.push_back(IupGetSerial(c));
    }
  }

  void SetVisible(IupElement* e, bool visible) override {
    if (Widget* w = Find(e)) w->visible = visible;
  }
  bool IsVisible(IupElement* e) override { return Visible(e); }
  void SetEnabled(IupElement* e, bool enabled) override {
    if (Widget* w = Find(e)) w->enabled = enabled;
  }

  void SetFocus(IupElement* e) override {
    if (Find(e) == nullptr || S().focus == e) return;
    IupElement* lost = S().focus;
    S().focus = e;
    event::FocusChanged(lost, e);
  }
  IupElement* GetFocus() override { return S().focus; }

  void Activate(IupElement* d) override {
    if (Find(d) == nullptr || S().active == d) return;
    S().active = d;
    if (S().focus != nullptr && IupGetDialog(S().focus) == d) return;
    auto* last = static_cast<IupElement*>(IupGetAttributePointer(d, "LASTFOCUS_IUPWIN"));
    if (last != nullptr && Find(last) != nullptr) {
      SetFocus(last);
      return;
    }
    if (IupCallback cb = FindCallbackOf(d, "GETFOCUS_CB")) cb(d);
  }
  IupElement* ActiveDialog() override { return S().active; }

  void SetAttribute(IupElement* e, const char* name, const char* value) override {
    Widget* w = Find(e);
    if (w == nullptr) return;
    if (std::strcmp(name, "TITLE") == 0 && !IsEdit(w->kind)) {
      w->text = value != nullptr ? value : "";
    } else if (std::strcmp(name, "VALUE") == 0) {
      SetValue(w, value);
    } else if (std::strcmp(name, "ACTIVE") == 0) {
      w->enabled = ReadBoolOf(value) != 0;
    } else if (std::strcmp(name, "VISIBLE") == 0) {
      if (w->kind != IUP_DIALOG) w->visible = ReadBoolOf(value) != 0;
    } else if (IsEdit(w->kind)) {
      SetEditAttribute(w, name, value);
    } else if (w->kind == IUP_LIST) {
      SetListItem(w, name, value);
    }
  }

  DriverValue GetAttribute(IupElement* e, const char* name) override {
    Widget* w = Find(e);
    if (w == nullptr) return {};
    if (std::strcmp(name, "WID") == 0) return {reinterpret_cast<const char*>(w), true};
    const char* text = Live(e, w, name);
    return {text, false};
  }

  bool DeliverOne() override {
    State& s = S();
    // the window shows what canvases drew since the last step
    canvasfb::PresentDamaged();
    if (!s.events.empty()) {
      auto event = std::move(s.events.front());
      s.events.pop_front();
      s.idle_calls = 0;
      event();
      return true;
    }
    if (!s.paints.empty()) {
      const int serial = s.paints.front();
      s.paints.erase(s.paints.begin());
      IupElement* canvas = IupFromSerial(serial);
      if (Widget* w = Find(canvas)) event::CanvasRedraw(canvas, w);
      canvasfb::PresentDamaged();
      return true;
    }
    return false;
  }

  bool WaitEvent() override {
    Note("headless: the loop would wait for ever: no event is queued and " +
         std::to_string(CountVisibleDialogs()) + " dialog(s) are visible; ending the loop");
    return false;
  }

  IupElement* TrackMenu(IupElement*, int, int) override {
    if (S().menu_answers.empty()) {
      Note("headless: a context menu was shown with no answer queued; dismissed");
      return nullptr;
    }
    const int serial = S().menu_answers.front();
    S().menu_answers.pop_front();
    return IupFromSerial(serial);
  }

  void MessageBox(IupElement*, const char* title, const char* text) override {
    S().last_message = std::string(title) + ": " + text;
    S().transcript += "message " + S().last_message + "\n";
    if (S().message_answers > 0) --S().message_answers;
  }

  FileAnswer ChooseFile(IupElement*, const FileRequest& request) override {
    S().last_message = request.title;
    FileAnswer answer;
    if (S().file_answers.empty()) {
      Note("headless: a file chooser was shown with no answer queued; cancelled");
      return answer;
    }
    auto [picked, path] = S().file_answers.front();
    S().file_answers.pop_front();
    if (!picked) return answer;
    answer.path = path;
    FILE* f = std::fopen(path.c_str(), "rb");
    answer.status = f != nullptr ? 0 : 1;
    if (f != nullptr) std::fclose(f);
    return answer;
  }

  int Alarm(const char* title, const char* message, const char*, const char*,
            const char*) override {
    if (S().alarm_answers.empty()) return 0;
    S().last_message =
        std::string(title != nullptr ? title : "") + ": " + (message != nullptr ? message : "");
    const int answer = S().alarm_answers.front();
    S().alarm_answers.pop_front();
    return answer;
  }

 private:
  static IupCallback FindCallbackOf(IupElement* e, const char* name) {
    const char* action = IupGetAttribute(e, name);
    return action != nullptr ? IupFindAction(action) : nullptr;
  }

  static int CountVisibleDialogs() {
    int n = 0;
    for (auto& [e, w] : S().widgets)
      if (w->kind == IUP_DIALOG && w->visible) ++n;
    return n;
  }

  static void SetValue(Widget* w, const char* value) {
    if (IsEdit(w->kind)) {
      w->text = value != nullptr ? value : "";
      w->caret = w->sel_start = w->sel_end = 0;
    } else if (w->kind == IUP_TOGGLE || w->kind == IUP_ITEM) {
      w->checked = ReadBoolOf(value) == 1;
    } else if (w->kind == IUP_LIST) {
      SetListValue(w, value);
    }
  }

  static void SetEditAttribute(Widget* w, const char* name, const char* value) {
    if (std::strcmp(name, "CARET") == 0) {
      SetPosition(w, value, false);
    } else if (std::strcmp(name, "SELECTION") == 0) {
      SetPosition(w, value, true);
    } else if (std::strcmp(name, "INSERT") == 0 && value != nullptr) {
      w->text.insert(static_cast<size_t>(ClampOffset(w, w->caret)), value);
      w->caret += static_cast<int>(std::strlen(value));
      w->sel_start = w->sel_end = w->caret;
    } else if (std::strcmp(name, "APPEND") == 0 && value != nullptr && w->kind == IUP_MULTILINE) {
      w->text += "\n";
      w->text += value;
    } else if (std::strcmp(name, "NC") == 0 && value != nullptr) {
      w->max_chars = std::atoi(value);
    }
  }

  static void SetListItem(Widget* w, const char* name, const char* value) {
    char* end = nullptr;
    const long n = std::strtol(name, &end, 10);
    if (end == name || *end != '\0' || n < 1 || n > 9999) return;
    const auto index = static_cast<size_t>(n - 1);
    if (value == nullptr) {
      if (index < w->items.size()) w->items.resize(index), w->marks.resize(index);
      return;
    }
    if (w->items.size() <= index) w->items.resize(index + 1), w->marks.resize(index + 1, false);
    w->items[index] = value;
  }

  const char* Answer(const char* name, std::string text) {
    std::string& slot = answers_[name];
    slot = std::move(text);
    return slot.c_str();
  }

  const char* Live(IupElement* e, Widget* w, const char* name) {
    const bool edit = IsEdit(w->kind);
    if (std::strcmp(name, "ACTIVE") == 0) {
      switch (w->kind) {
        case IUP_BUTTON:
        case IUP_CANVAS:
        case IUP_LIST:
        case IUP_TEXT:
        case IUP_TOGGLE:
        case IUP_MULTILINE:
          return w->enabled ? "YES" : "NO";
        default:
          return nullptr;
      }
    }
    if (std::strcmp(name, "VALUE") == 0) {
      if (edit) return Answer(name, w->text);
      if (w->kind == IUP_TOGGLE) return w->checked ? "ON" : "OFF";
      if (w->kind == IUP_LIST) {
        if (w->multiple) {
          std::string marks;
          for (bool m : w->marks) marks.push_back(m ? '+' : '-');
          return Answer(name, marks);
        }
        int selected = 0;
        for (size_t i = 0; i < w->marks.size(); ++i)
          if (w->marks[i]) selected = static_cast<int>(i + 1);
        return Answer(name, std::to_string(selected));
      }
      return nullptr;
    }
    if (std::strcmp(name, "VISIBLE") == 0) return Visible(e) ? "YES" : "NO";
    if (std::strcmp(name, "RASTERSIZE") == 0 || std::strcmp(name, "SIZE") == 0) {
      if (IupGetAttribute(e, "IUPWIN_IS_MAPPING") != nullptr) return nullptr;
      int width = w->width, height = w->height;
      if (name[0] == 'S') width = width * 4 / kCharWidth, height = height * 8 / kCharHeight;
      return Answer(name, std::to_string(width) + "x" + std::to_string(height));
    }
    if (edit && std::strcmp(name, "CARET") == 0) {
      if (w->kind == IUP_TEXT) return Answer(name, std::to_string(w->caret + 1));
      int line, column;
      LineColumn(w->text, w->caret, &line, &column);
      return Answer(name, std::to_string(line) + "," + std::to_string(column));
    }
    if (edit && std::strcmp(name, "SELECTION") == 0) {
      if (w->sel_start == w->sel_end) return nullptr;
      if (w->kind == IUP_TEXT)
        return Answer(name,
                      std::to_string(w->sel_start + 1) + ":" + std::to_string(w->sel_end + 1));
      int l1, c1, l2, c2;
      LineColumn(w->text, w->sel_start, &l1, &c1);
      LineColumn(w->text, w->sel_end, &l2, &c2);
      return Answer(name, std::to_string(l1) + "," + std::to_string(c1) + ":" + std::to_string(l2) +
                              "," + std::to_string(c2));
    }
    if (edit && std::strcmp(name, "SELECTEDTEXT") == 0) {
      return Answer(name, w->text.substr(static_cast<size_t>(w->sel_start),
                                         static_cast<size_t>(w->sel_end - w->sel_start)));
    }
    if (std::strcmp(name, "X") == 0 || std::strcmp(name, "Y") == 0) {
      int x = w->screen_x, y = w->screen_y;
      if (w->kind != IUP_DIALOG) {
        const Widget* d = Find(IupGetDialog(e));
        x = (d != nullptr ? d->screen_x : 0) + w->x;
        y = (d != nullptr ? d->screen_y : 0) + w->y;
      }
      return Answer(name, std::to_string(name[0] == 'X' ? x : y));
    }
    if (std::strcmp(name, "CONID") == 0) {
      char text[32];
      std::snprintf(text, sizeof text, "%" PRIuPTR, reinterpret_cast<std::uintptr_t>(w));
      return Answer(name, text);
    }
    if (std::strcmp(name, "DROPDOWN") == 0 && w->kind == IUP_LIST)
      return w->dropdown ? "YES" : "NO";
    if (std::strcmp(name, "FGCOLOR") == 0) {
      for (IupElement* up = e; up != nullptr; up = IupGetParent(up))
        if (const char* v = IupGetOwnAttribute(up, "FGCOLOR")) return v;
      return SystemColour(w->kind == IUP_BUTTON ? Colour::ButtonText : Colour::Text);
    }
    return nullptr;
  }

  std::map<std::string, std::string> answers_;
};

}  // namespace

State& S() {
  static auto* state = new State;
  return *state;
}

Widget* Find(IupElement* e) {
  if (e == nullptr) return nullptr;
  auto it = S().widgets.find(e);
  return it == S().widgets.end() ? nullptr : it->second.get();
}

std::unique_ptr<Driver> NewDriver() {
  return std::make_unique<HeadlessDriver>();
}

void Note(const std::string& line) {
  S().transcript += line + "\n";
  std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace iup::headless
