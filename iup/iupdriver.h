// The native-driver interface of the toolkit: what the core requires of a
// platform (one implementation per platform, each a library of its own:
// gtk/ and headless/), how a program installs the one it chooses, and the
// entry points the core offers a driver for delivering user events and
// editing text. Core code talks to the platform only through iup::Driver and
// includes no driver header.
#ifndef VARKO_IUP_IUPDRIVER_H
#define VARKO_IUP_IUPDRIVER_H

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "iup.h"

namespace iup {

// Screen and decoration metrics in pixels.
struct ScreenMetrics {
  int work_width = 0, work_height = 0;  // work area ("SCREENSIZE")
  int full_width = 0, full_height = 0;
  int caption = 0, small_caption = 0;
  int sizing_frame_w = 0, sizing_frame_h = 0;
  int dialog_frame_w = 0, dialog_frame_h = 0;
  int border_w = 0, border_h = 0;
  int menu_bar = 0;
  int scrollbar = 0;  // width of a vertical scrollbar
  int edge = 0;       // height of a 3-D edge
};

// A live attribute answer: text, or an opaque pointer value (never text).
struct DriverValue {
  const char* value = nullptr;
  bool pointer = false;
};

// What the file chooser is asked and what it answers.
struct FileRequest {
  bool save = false;  // "SAVE" dialog, else "OPEN"
  std::string title, directory, filter, filter_info, file;
  // the pairs of "EXTFILTER" after the first, as (description, patterns)
  std::vector<std::pair<std::string, std::string>> more_filters;
  bool allow_new = false;
  // an OPEN dialog with "ALLOWNEW" asks before taking a name that does not
  // exist; queued headless answers stand for the user's last word
  bool create_prompt = false;
  bool no_overwrite_prompt = false;
};
struct FileAnswer {
  int status = -1;  // -1 cancelled, 0 existing file, 1 new file
  std::string path;
};

// One platform. Every operation acts only on mapped elements unless it says
// otherwise. The numbers refer to the thirteen operations the core needs.
class Driver {
 public:
  virtual ~Driver() = default;

  // Values of the globals "DRIVER" and "SYSTEM".
  virtual const char* Name() const = 0;
  virtual const char* SystemName() const = 0;
  // 1. Initialise; the core then reads "WIN_DLGBGCOLOR" and friends from
  // the globals the driver sets. Shutdown frees fonts, brushes and hooks.
  virtual void Open() = 0;
  virtual void Shutdown() = 0;
  // Releases cached colour brushes (idle close, close of the main dialog).
  virtual void ReleaseBrushes() {}
  // Platform colours as "%d %d %d" texts.
  enum class Colour { ButtonFace, Window, DialogBackground, Text, ButtonText };
  virtual const char* SystemColour(Colour which) = 0;
  // Called before each idle call; false ends the loop (a driver that can
  // tell the program would spin for ever on idle alone says so).
  virtual bool IdleAllowed() { return true; }

  // 2. Text metrics of the element's font (never zero).
  virtual void CharSize(IupElement* element, int* char_width, int* char_height) = 0;
  virtual int TextWidth(IupElement* element, const char* text) = 0;

  // 3. Screen.
  virtual ScreenMetrics Screen() = 0;

  // 4. Creates the native object of the element (its parent's object exists
  // already; dialog is its dialog) and returns the native handle, or null on
  // failure. Only called for kinds that have a native object.
  virtual void* Create(IupElement* element, IupElement* dialog) = 0;
  // 5. Destroys the native object of a mapped element (not a user close).
  virtual void Destroy(IupElement* element) = 0;

  // 6. Moves a child window in its dialog's client area; places a dialog's
  // whole window (client size + decorations) at a screen position.
  virtual void Move(IupElement* element, int x, int y, int width, int height) = 0;
  virtual void PlaceDialog(IupElement* dialog, int x, int y, int width, int height) = 0;
  // Screen position of a dialog's window in its normal placement.
  virtual void DialogPosition(IupElement* dialog, int* x, int* y) = 0;
  virtual void Repaint(IupElement* element) = 0;

  // 7. Show, hide, enable, focus, activate.
  virtual void SetVisible(IupElement* element, bool visible) = 0;
  virtual bool IsVisible(IupElement* element) = 0;
  virtual void SetEnabled(IupElement* element, bool enabled) = 0;
  virtual void SetFocus(IupElement* element) = 0;
  virtual IupElement* GetFocus() = 0;
  virtual void Activate(IupElement* dialog) = 0;
  virtual IupElement* ActiveDialog() = 0;

  // 8. Attribute setter (called for every set, mapped or not) and live
  // getter (answers only names it knows, else returns an empty value).
  virtual void SetAttribute(IupElement* element, const char* name, const char* value) = 0;
  virtual DriverValue GetAttribute(IupElement* element, const char* name) = 0;

  // 9. Event loop: delivers one pending event and returns true, or returns
  // false at once when none is pending. WaitEvent blocks until an event is
  // pending; it returns false when none can ever come (the loop then ends).
  virtual bool DeliverOne() = 0;
  virtual bool WaitEvent() = 0;

  // 11. Shows a MENU as a context menu at screen (x, y) (-5: the mouse) and
  // returns the chosen ITEM, or null when dismissed.
  virtual IupElement* TrackMenu(IupElement* menu, int x, int y) = 0;
  // 12. Message box with one OK button; returns when confirmed.
  virtual void MessageBox(IupElement* owner, const char* title, const char* text) = 0;
  // 13. File selection dialog.
  virtual FileAnswer ChooseFile(IupElement* owner, const FileRequest& request) = 0;
  // The alarm where the platform answers it natively: returns 1 to 3, or 0
  // to have the predefined dialogs build it from elements.
  virtual int Alarm(const char* /*title*/, const char* /*message*/, const char* /*b1*/,
                    const char* /*b2*/, const char* /*b3*/) {
    return 0;
  }
};

// Makes driver the platform of the toolkit; the program chooses it and
// installs it before IupOpen, which refuses to open without one. The driver
// stays installed across IupClose and a later IupOpen. Refused (false, the
// driver dropped) for a null driver or while the toolkit is open.
bool InstallDriver(std::unique_ptr<Driver> driver);
// The installed driver (null before one is installed).
Driver* CurrentDriver();

// ---- 10. entry points for delivering user events ---------------------------
// A driver calls these from DeliverOne with the element the event belongs
// to; each runs the callbacks and the core's follow-up (close, focus...).
// They accept destroyed-in-between elements only as null.
namespace event {

// What the native control should do with a key after the key callbacks.
enum class KeyOutcome { Pass, Drop, Closed };
// Offers a key to the key callbacks from the focused element upwards.
// modifiers: the keys held with it, "S" (Shift), "C" (Ctrl), "A" (Alt) in
// positions 0 to 2, blank when up. While the callbacks run, the global
// "MODKEYSTATE" holds them: a Ctrl+Shift+letter has the Ctrl letter's code,
// and this is how a handler tells the Shift.
KeyOutcome Key(IupElement* focused, int code, const char* modifiers = "   ");
// While a key callback runs: the element on whose attribute it was found (the
// focused element or one of its ancestors); null otherwise. The callback
// itself gets the focused element, so the script binding asks here whose
// method to call.
IupElement* KeyHandlerOwner();
// The default processing of a passed key that the core owns: Enter/Escape
// press the dialog's "DEFAULTENTER"/"DEFAULTESC" button, Tab and Shift+Tab
// move the focus. Returns true when the key was consumed.
bool DialogKey(IupElement* focused, int code);

// Text-edit protocol. The control has worked out the text as it would be
// after the key; the answer says what to do.
struct TextOutcome {
  enum Kind { Keep, Restore, Replace, Closed } kind = Keep;
  int replacement = 0;  // the character to insert instead, for Replace
};
TextOutcome TextEdit(IupElement* text, int key, const std::string& after);

// Typing in an edit control, one routine for every driver: what a TEXT or
// MULTILINE shows (Latin-1 text, the selection [start, end), the caret)...
struct EditState {
  std::string text;
  int start = 0, end = 0, caret = 0;
};
// ...and what the routine needs of the driver's native control.
class EditControl {
 public:
  virtual ~EditControl() = default;
  // Shows a new text with the caret and no selection; called only while
  // the element exists (the native object may be gone: then nothing).
  virtual void Show(const EditState& state) = 0;
  // "NC": the length typing may bring the text to (shorter is always fine).
  virtual int MaxChars() = 0;
  // The platform's clipboard: the text a paste inserts, and the text a cut
  // takes out (handed over when the cut is worked out).
  virtual std::string PasteText() = 0;
  virtual void CutText(const std::string& text) = 0;
};
enum class EditKeyOutcome {
  NotAnEdit,  // the key changes no text (caret moves, copy): the driver's own
  Passed,     // a TEXT's Enter or Escape that "ACTION" kept: on to the dialog keys
  Consumed,
};
// Offers a key the key callbacks passed to an edit control: works out the
// change the key makes on before (typed character, Backspace, Delete, cut,
// paste, a MULTILINE's Enter), refuses it beyond "NC", asks "ACTION" and
// shows the change, the replacement character or nothing.
EditKeyOutcome EditKey(IupElement* edit, const EditState& before, int key, EditControl& control);

void ButtonPressed(IupElement* button);
void ItemChosen(IupElement* item);
// A TOGGLE was clicked; the driver has already changed its state (and, in
// a RADIO, cleared the previous one, passed as previous).
void ToggleChanged(IupElement* toggle, int state, IupElement* previous);
// One list item changed its mark (item from 1).
void ListItem(IupElement* list, int item, int state);
void CanvasRedraw(IupElement* canvas, void* paint_context);
// status: the five- or six-character status text.
void CanvasButton(IupElement* canvas, int button, int pressed, int x, int y, const char* status);
void CanvasMotion(IupElement* canvas, int x, int y, const char* status);
void CanvasResize(IupElement* canvas, int width, int height);
void CanvasEnter(IupElement* canvas);
void CanvasLeave(IupElement* canvas);
// A scrollbar action (IUP_SB... operation); drag and end positions are in
// native units 1..30000 (use Scrollbar below).
void CanvasScroll(IupElement* canvas, int operation, int native_position);
// The mouse wheel turned by delta notches (positive: away from the user)
// over (x, y): "WHEEL_CB", else line steps of the vertical scrollbar.
void CanvasWheel(IupElement* canvas, float delta, int x, int y, const char* status);
void FocusChanged(IupElement* lost, IupElement* gained);
void CloseBox(IupElement* dialog);
void ShowState(IupElement* dialog, int state);  // IUP_RESTORE or IUP_MINIMIZE
// The user resized a dialog to a new client size.
void DialogResized(IupElement* dialog, int client_width, int client_height);
int DropFile(IupElement* element, const char* file, int remaining, int x, int y);

}  // namespace event

// Scrollbar arithmetic of a canvas: ["XMIN","XMAX"] onto native 1..30000.
struct Scrollbar {
  double min = 0, max = 1, page = 0.1, pos = 0;
  int NativePage() const;                     // thumb size, 1..30000
  int NativePosition() const;                 // from pos, within 1..30000-page
  double FromNative(int native) const;        // min + native*(max-min)/30000
  int Clamp(int native) const;                // within 1..30000-page
  int Step(int native, int operation) const;  // new native position of a line/page step
};
Scrollbar CanvasScrollbar(IupElement* canvas, bool horizontal);

// Helpers a driver needs.
// Size of the dialog decorations for its attributes (width and height added
// to the client size).
void DialogDecorations(IupElement* dialog, int* width, int* height);
// The colour an attribute value names ("%d %d %d" or a COLOR handle name).
bool ParseColor(const char* value, int* red, int* green, int* blue);

}  // namespace iup

#endif
