// The headless driver's injection face: queued user events, answers for the
// native dialogs, and readers of the widget model.
#include <cstring>

#include "headless/headless.h"
#include "headless/iupheadless.h"

namespace iup::headless {
namespace {

// Queues an event for the element; at delivery the element is looked up
// again by serial, so an element destroyed meanwhile drops the event.
void Queue(IupElement* e, std::function<void(IupElement*)> deliver) {
  const int serial = IupGetSerial(e);
  S().events.emplace_back([serial, deliver = std::move(deliver)] {
    IupElement* target = IupFromSerial(serial);
    if (target == nullptr) {
      Note("headless: event for an element that no longer exists dropped");
      return;
    }
    deliver(target);
  });
}

void QueueReachable(IupElement* e, const char* what, std::function<void(IupElement*)> deliver) {
  Queue(e, [what, deliver = std::move(deliver)](IupElement* target) {
    if (!Reachable(target)) {
      Note(std::string("headless: ") + what + " on a hidden, inactive or unmapped element dropped");
      return;
    }
    deliver(target);
  });
}

std::string Status(int modifiers, int buttons_down, bool double_click) {
  std::string s = "     ";
  if (modifiers & kShift) s[0] = 'S';
  if (modifiers & kCtrl) s[1] = 'C';
  if (buttons_down & 1) s[2] = '1';
  if (buttons_down & 2) s[3] = '2';
  if (buttons_down & 4) s[4] = '3';
  if (double_click) s.push_back('D');
  return s;
}

int ButtonBit(int button) {
  return button == '1' ? 1 : button == '2' ? 2 : button == '3' ? 4 : 0;
}

IupElement* RadioOf(IupElement* toggle) {
  for (IupElement* up = IupGetParent(toggle); up != nullptr; up = IupGetParent(up))
    if (IupGetKind(up) == IUP_RADIO) return up;
  return nullptr;
}

IupElement* CheckedIn(IupElement* e) {
  for (IupElement* c = e; c != nullptr; c = IupGetBrother(c)) {
    if (IupGetKind(c) == IUP_TOGGLE && ToggleState(c) == 1) return c;
    if (IupElement* inner = CheckedIn(IupGetChild(c))) return inner;
  }
  return nullptr;
}

void Mouse(IupElement* canvas, int button, int pressed, int x, int y, int modifiers, bool dbl) {
  QueueReachable(canvas, "mouse button", [=](IupElement* c) {
    const int bit = ButtonBit(button);
    if (pressed)
      S().buttons_down |= bit;
    else
      S().buttons_down &= ~bit;
    event::CanvasButton(c, button, pressed, x, y, Status(modifiers, S().buttons_down, dbl).c_str());
  });
}

}  // namespace

bool Reachable(IupElement* e) {
  if (!Exists(e) || !Visible(e)) return false;
  for (IupElement* up = e; up != nullptr; up = IupGetParent(up)) {
    const Widget* w = Find(up);
    if (w != nullptr && !w->enabled) return false;
  }
  if (IupElement* dialog = IupGetDialog(e)) {
    const Widget* d = Find(dialog);
    if (d == nullptr || !d->enabled) return false;
  }
  return true;
}

void Click(IupElement* button) {
  QueueReachable(button, "click", [](IupElement* b) { event::ButtonPressed(b); });
}

void ChooseItem(IupElement* item) {
  Queue(item, [](IupElement* i) {
    const Widget* w = Find(i);
    if (w == nullptr || !w->enabled) {
      Note("headless: menu item unmapped or inactive; not chosen");
      return;
    }
    IupElement* dialog = IupGetDialog(i);
    if (dialog != nullptr && Find(dialog) != nullptr && !Find(dialog)->enabled) {
      Note("headless: menu of an inactive dialog; not chosen");
      return;
    }
    event::ItemChosen(i);
  });
}

void ClickToggle(IupElement* toggle) {
  QueueReachable(toggle, "toggle click", [](IupElement* t) {
    Widget* w = Find(t);
    IupElement* radio = RadioOf(t);
    if (radio == nullptr) {
      w->checked = !w->checked;
      event::ToggleChanged(t, w->checked, nullptr);
      return;
    }
    if (w->checked) return;  // the checked toggle of a radio stays checked
    IupElement* previous = CheckedIn(IupGetChild(radio));
    if (Widget* p = Find(previous)) p->checked = 0;
    w->checked = 1;
    event::ToggleChanged(t, 1, previous);
  });
}

void SelectListItem(IupElement* list, int item) {
  QueueReachable(list, "list selection", [item](IupElement* l) {
    Widget* w = Find(l);
    if (item < 1 || static_cast<size_t>(item) > w->items.size()) {
      Note("headless: list item out of range; not selected");
      return;
    }
    const auto index = static_cast<size_t>(item - 1);
    if (w->multiple) {
      w->marks[index] = !w->marks[index];
      event::ListItem(l, item, w->marks[index] ? 1 : 0);
      return;
    }
    int old = 0;
    for (size_t i = 0; i < w->marks.size(); ++i)
      if (w->marks[i]) old = static_cast<int>(i + 1);
    w->marks.assign(w->items.size(), false);
    w->marks[index] = true;
    const int serial = IupGetSerial(l);
    if (old > 0) event::ListItem(l, old, 0);
    if (IupFromSerial(serial) == l) event::ListItem(l, item, 1);
  });
}

void Focus(IupElement* element) {
  QueueReachable(element, "focus", [](IupElement* e) { IupSetFocus(e); });
}

void TypeText(const char* text) {
  if (text == nullptr) return;
  for (const char* p = text; *p != '\0'; ++p) TypeKey(static_cast<unsigned char>(*p));
}

void TypeKey(int code) {
  S().events.emplace_back([code] { DeliverKey(code); });
}

void TypeKeyWith(int code, const char* modifiers) {
  std::string held = modifiers != nullptr ? modifiers : "";
  held.resize(3, ' ');
  S().events.emplace_back([code, held] { DeliverKey(code, held); });
}

void PressEnter() {
  TypeKey(K_CR);
}
void PressEscape() {
  TypeKey(K_ESC);
}

void CloseBox(IupElement* dialog) {
  Queue(dialog, [](IupElement* d) {
    if (!Visible(d)) {
      Note("headless: close box of a hidden dialog ignored");
      return;
    }
    event::CloseBox(d);
  });
}

void Minimize(IupElement* dialog) {
  Queue(dialog, [](IupElement* d) { event::ShowState(d, IUP_MINIMIZE); });
}

void Restore(IupElement* dialog) {
  Queue(dialog, [](IupElement* d) { event::ShowState(d, IUP_RESTORE); });
}

void Resize(IupElement* dialog, int client_width, int client_height) {
  Queue(dialog, [=](IupElement* d) {
    if (Widget* w = Find(d)) w->width = client_width, w->height = client_height;
    event::DialogResized(d, client_width, client_height);
  });
}

void MousePress(IupElement* canvas, int button, int x, int y, int modifiers) {
  Mouse(canvas, button, 1, x, y, modifiers, false);
}
void MouseRelease(IupElement* canvas, int button, int x, int y, int modifiers) {
  Mouse(canvas, button, 0, x, y, modifiers, false);
}
void MouseDoubleClick(IupElement* canvas, int button, int x, int y, int modifiers) {
  Mouse(canvas, button, 1, x, y, modifiers, true);
}

void MouseMotion(IupElement* canvas, int x, int y, int modifiers) {
  QueueReachable(canvas, "mouse motion", [=](IupElement* c) {
    event::CanvasMotion(c, x, y, Status(modifiers, S().buttons_down, false).c_str());
  });
}

void MouseEnter(IupElement* canvas) {
  QueueReachable(canvas, "mouse enter", [](IupElement* c) { event::CanvasEnter(c); });
}
void MouseLeave(IupElement* canvas) {
  QueueReachable(canvas, "mouse leave", [](IupElement* c) { event::CanvasLeave(c); });
}

void Scroll(IupElement* canvas, int operation, int native) {
  QueueReachable(canvas, "scroll",
                 [=](IupElement* c) { event::CanvasScroll(c, operation, native); });
}

void Wheel(IupElement* canvas, float delta, int x, int y, int modifiers) {
  QueueReachable(canvas, "mouse wheel", [=](IupElement* c) {
    event::CanvasWheel(c, delta, x, y, Status(modifiers, S().buttons_down, false).c_str());
  });
}

void Repaint(IupElement* canvas) {
  Queue(canvas, [](IupElement* c) {
    if (Widget* w = Find(c)) event::CanvasRedraw(c, w);
  });
}

void DropFiles(IupElement* element, const char* const* files, int count, int x, int y) {
  std::vector<std::string> names;
  for (int i = 0; files != nullptr && i < count; ++i)
    if (files[i] != nullptr) names.emplace_back(files[i]);
  Queue(element, [=](IupElement* e) {
    const int serial = IupGetSerial(e);
    const int n = static_cast<int>(names.size());
    for (int i = 0; i < n; ++i) {
      if (IupFromSerial(serial) != e) return;
      if (event::DropFile(e, names[static_cast<size_t>(i)].c_str(), n - 1 - i, x, y) != IUP_DEFAULT)
        return;
    }
  });
}

void PostQuit() {
  S().events.emplace_back([] { IupExitLoop(); });
}

void AnswerMessage() {
  ++S().message_answers;
}
void AnswerFile(const char* path) {
  S().file_answers.emplace_back(true, path != nullptr ? path : "");
}
void CancelFile() {
  S().file_answers.emplace_back(false, "");
}
void AnswerAlarm(int button) {
  S().alarm_answers.push_back(button);
}
void AnswerMenu(IupElement* item) {
  S().menu_answers.push_back(IupGetSerial(item));
}

void DeliverNow() {
  while (CurrentDriver() != nullptr && CurrentDriver()->DeliverOne()) {
  }
}

int Pending() {
  return static_cast<int>(S().events.size());
}

void Reset() {
  State& s = S();
  s.events.clear();
  s.paints.clear();
  s.alarm_answers.clear();
  s.menu_answers.clear();
  s.file_answers.clear();
  s.message_answers = 0;
  s.transcript.clear();
  s.clipboard.clear();
  s.last_message.clear();
  s.buttons_down = 0;
  s.idle_calls = 0;
}

void SetIdleLimit(int calls) {
  S().idle_limit = calls < 1 ? 1 : calls;
}
const std::string& Transcript() {
  return S().transcript;
}
void SetClipboard(const char* text) {
  S().clipboard = text != nullptr ? text : "";
}
const std::string& Clipboard() {
  return S().clipboard;
}

bool Exists(IupElement* e) {
  return Find(e) != nullptr;
}

bool Visible(IupElement* e) {
  if (!Exists(e)) return false;
  for (IupElement* up = e; up != nullptr; up = IupGetParent(up)) {
    if (const Widget* w = Find(up)) {
      if (!w->visible) return false;
    } else {
      const char* own = IupGetOwnAttribute(up, "VISIBLE");
      if (own != nullptr && (strcasecmp(own, "NO") == 0 || strcasecmp(own, "OFF") == 0))
        return false;
    }
  }
  return true;
}

bool Enabled(IupElement* e) {
  const Widget* w = Find(e);
  return w != nullptr && w->enabled;
}

std::string Text(IupElement* e) {
  const Widget* w = Find(e);
  return w != nullptr ? w->text : std::string();
}

int Caret(IupElement* e) {
  const Widget* w = Find(e);
  return w != nullptr ? w->caret : 0;
}
int SelectionStart(IupElement* e) {
  const Widget* w = Find(e);
  return w != nullptr ? w->sel_start : 0;
}
int SelectionEnd(IupElement* e) {
  const Widget* w = Find(e);
  return w != nullptr ? w->sel_end : 0;
}

void SetCaret(IupElement* e, int offset) {
  if (Widget* w = Find(e)) {
    w->caret = std::clamp(offset, 0, static_cast<int>(w->text.size()));
    w->sel_start = w->sel_end = w->caret;
  }
}

void SetSelection(IupElement* e, int start, int end) {
  if (Widget* w = Find(e)) {
    const int size = static_cast<int>(w->text.size());
    w->sel_start = std::clamp(std::min(start, end), 0, size);
    w->sel_end = std::clamp(std::max(start, end), 0, size);
    w->caret = w->sel_end;
  }
}

int ToggleState(IupElement* toggle) {
  const Widget* w = Find(toggle);
  return w != nullptr && w->checked ? 1 : 0;
}

int ListCount(IupElement* list) {
  const Widget* w = Find(list);
  return w != nullptr ? static_cast<int>(w->items.size()) : 0;
}

std::string ListItemText(IupElement* list, int item) {
  const Widget* w = Find(list);
  if (w == nullptr || item < 1 || static_cast<size_t>(item) > w->items.size()) return {};
  return w->items[static_cast<size_t>(item - 1)];
}

bool ListSelected(IupElement* list, int item) {
  const Widget* w = Find(list);
  if (w == nullptr || item < 1 || static_cast<size_t>(item) > w->marks.size()) return false;
  return w->marks[static_cast<size_t>(item - 1)];
}

void Rect(IupElement* e, int* x, int* y, int* width, int* height) {
  const Widget* w = Find(e);
  *x = w != nullptr ? w->x : 0;
  *y = w != nullptr ? w->y : 0;
  *width = w != nullptr ? w->width : 0;
  *height = w != nullptr ? w->height : 0;
}

const std::string& LastMessage() {
  return S().last_message;
}
IupElement* Focused() {
  return S().focus;
}
IupElement* Active() {
  return S().active;
}

}  // namespace iup::headless
