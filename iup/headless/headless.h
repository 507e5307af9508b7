// The headless driver's internals: its widget model, event queue and answer
// queues, shared by the driver (driver.cpp) and the injection face
// (inject.cpp, keyboard.cpp).
#ifndef VARKO_IUP_HEADLESS_HEADLESS_H
#define VARKO_IUP_HEADLESS_HEADLESS_H

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "iupdriver.h"

namespace iup::headless {

// What a user would see of one element.
struct Widget {
  IupElement* element = nullptr;
  int kind = 0;
  std::string text;  // edit text, or the title
  int caret = 0, sel_start = 0, sel_end = 0;
  int max_chars = 32767;
  std::vector<std::string> items;
  std::vector<bool> marks;  // list selection, one per item
  bool multiple = false, dropdown = false;
  int checked = 0;
  bool enabled = true, visible = true;
  int x = 0, y = 0, width = 0, height = 0;                              // client area of dialogs
  int screen_x = 0, screen_y = 0, window_width = 0, window_height = 0;  // dialogs
};

struct State {
  std::map<IupElement*, std::unique_ptr<Widget>> widgets;
  std::deque<std::function<void()>> events;
  std::vector<int> paints;                      // serials of canvases to repaint
  std::deque<int> alarm_answers, menu_answers;  // menu: serial, 0 dismissed
  int message_answers = 0;
  std::deque<std::pair<bool, std::string>> file_answers;  // picked?, path
  IupElement* focus = nullptr;
  IupElement* active = nullptr;
  int idle_calls = 0, idle_limit = 100000;
  std::string transcript, clipboard, last_message;
  int buttons_down = 0;  // bit 0 left, 1 middle, 2 right
};

State& S();
Widget* Find(IupElement* e);
void Note(const std::string& line);  // transcript and stderr
// An event can reach the element: mapped, shown, enabled with its ancestors.
bool Reachable(IupElement* e);
// The key goes to the focused element (or the active dialog), with the
// modifier keys held ("MODKEYSTATE": "S", "C", "A" or blanks).
void DeliverKey(int code, const std::string& modifiers = "   ");

}  // namespace iup::headless

#endif
