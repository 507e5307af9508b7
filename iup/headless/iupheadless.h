// The headless driver's face for programs and tests: the driver itself (a
// program installs it with iup::InstallDriver), inject user events, queue answers
// for the native message box, file chooser and alarm, and read the widget
// model (what a user would see). Injected events are queued and delivered
// by the loop (IupMainLoop, IupLoopStep, a popup's loop) one per step, as
// real events are; DeliverNow() delivers the queue at once without a loop.
//
// Metrics are fixed: a character is 6 x 13 pixels, a text is
// length x 6 wide, the screen 1024 x 768.
#ifndef VARKO_IUP_HEADLESS_IUPHEADLESS_H
#define VARKO_IUP_HEADLESS_IUPHEADLESS_H

#include <memory>
#include <string>

#include "iup.h"
#include "iupdriver.h"

namespace iup::headless {

// A new headless driver; every one shares the one widget model below.
std::unique_ptr<Driver> NewDriver();

inline constexpr int kCharWidth = 6;
inline constexpr int kCharHeight = 13;
inline constexpr int kScreenWidth = 1024;
inline constexpr int kScreenHeight = 768;

// Keyboard modifiers for mouse events.
inline constexpr int kShift = 1;
inline constexpr int kCtrl = 2;

// ---- events (queued; each element is looked up again at delivery) --------
void Click(IupElement* button);        // a BUTTON press
void ChooseItem(IupElement* item);     // a menu ITEM chosen
void ClickToggle(IupElement* toggle);  // a TOGGLE clicked (radio rules apply)
// Single selection: select item (from 1). MULTIPLE list: flip the mark of item.
void SelectListItem(IupElement* list, int item);
void Focus(IupElement* element);  // the user gives the element the focus
void TypeText(const char* text);  // each byte a typed key to the focus
void TypeKey(int code);           // one key code to the focus
// one key code to the focus with Shift, Ctrl, Alt held: "S", "C", "A" in
// positions 0 to 2 ("SC " for Ctrl+Shift)
void TypeKeyWith(int code, const char* modifiers);
void PressEnter();
void PressEscape();
void CloseBox(IupElement* dialog);
void Minimize(IupElement* dialog);
void Restore(IupElement* dialog);
void Resize(IupElement* dialog, int client_width, int client_height);
// Canvas mouse: button '1', '2' or '3'; modifiers kShift | kCtrl.
void MousePress(IupElement* canvas, int button, int x, int y, int modifiers = 0);
void MouseRelease(IupElement* canvas, int button, int x, int y, int modifiers = 0);
void MouseDoubleClick(IupElement* canvas, int button, int x, int y, int modifiers = 0);
void MouseMotion(IupElement* canvas, int x, int y, int modifiers = 0);
void MouseEnter(IupElement* canvas);
void MouseLeave(IupElement* canvas);
// A scrollbar action IUP_SB...; for drags and ends, native is the thumb
// position 1..30000 (ignored for line and page steps).
void Scroll(IupElement* canvas, int operation, int native = 0);
// The mouse wheel turned by delta notches (positive: away from the user)
// with the pointer at (x, y) on the canvas.
void Wheel(IupElement* canvas, float delta, int x, int y, int modifiers = 0);
void Repaint(IupElement* canvas);
// Files dropped on a DIALOG or CANVAS.
void DropFiles(IupElement* element, const char* const* files, int count, int x, int y);
// A quit request from outside, like a system shutdown.
void PostQuit();

// ---- answers for native dialogs (first in, first out) -----------------------
void AnswerMessage();               // the next message box is confirmed
void AnswerFile(const char* path);  // the next file chooser picks path
void CancelFile();                  // the next file chooser is cancelled
void AnswerAlarm(int button);       // the next alarm answers 1, 2 or 3
// The next context menu chooses item (null: dismissed).
void AnswerMenu(IupElement* item);

// ---- control ----------------------------------------------------------------
// Delivers every queued event now (callbacks run; no loop needed).
void DeliverNow();
int Pending();  // queued events
// Drops queued events and answers; clears the transcript and clipboard.
void Reset();
// How many idle calls in a row, with nothing queued, end a loop as hung.
void SetIdleLimit(int calls);
// What the driver reported: message boxes ("title: text"), diagnostics.
const std::string& Transcript();
void SetClipboard(const char* text);
const std::string& Clipboard();

// ---- widget model (what the user would see) -----------------------------------
bool Exists(IupElement* element);   // has a native object now
bool Visible(IupElement* element);  // itself and every ancestor shown
bool Enabled(IupElement* element);
std::string Text(IupElement* element);  // TEXT/MULTILINE text, titles otherwise
int Caret(IupElement* element);         // 0-based caret offset in the text
int SelectionStart(IupElement* element);
int SelectionEnd(IupElement* element);  // equal to start: nothing selected
void SetCaret(IupElement* element, int offset);
void SetSelection(IupElement* element, int start, int end);
int ToggleState(IupElement* toggle);  // 1 checked, 0 not
int ListCount(IupElement* list);
std::string ListItemText(IupElement* list, int item);  // item from 1
bool ListSelected(IupElement* list, int item);
void Rect(IupElement* element, int* x, int* y, int* width, int* height);
// Last message box, file chooser request (title) and alarm message shown.
const std::string& LastMessage();
IupElement* Focused();
IupElement* Active();  // the active dialog

}  // namespace iup::headless

#endif
