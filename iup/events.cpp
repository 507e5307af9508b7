// Delivering user events to callbacks: buttons, menu items, toggles, lists,
// canvases, focus, the close box, minimise/restore, resizing and drops.
#include <cstdio>
#include <string>

#include "iupcore.h"

namespace iup {

void AfterCallback(int r, int serial, IupElement* source) {
  if (r == IUP_CLOSE) CloseProcedure(IsAlive(serial, source) ? source : nullptr);
}

namespace event {

void ButtonPressed(IupElement* b) {
  if (b == nullptr) return;
  const int serial = b->serial;
  if (IupCallback cb = FindCallback(b, "ACTION")) AfterCallback(cb(b), serial, b);
}

void ItemChosen(IupElement* item) {
  if (item == nullptr) return;
  const int serial = item->serial;
  const int checked = ReadBool(IupGetAttribute(item, "VALUE")) == 1 ? 1 : 0;
  if (IupCallback cb = FindCallback(item, "ACTION"))
    AfterCallback(As<IupCallbackI>(cb)(item, checked), serial, item);
}

void ToggleChanged(IupElement* toggle, int state, IupElement* previous) {
  if (toggle == nullptr) return;
  const int serial = toggle->serial;
  if (previous != nullptr) {
    const int previous_serial = previous->serial;
    if (IupCallback cb = FindCallback(previous, "ACTION")) {
      const int r = As<IupCallbackI>(cb)(previous, 0);
      if (r == IUP_CLOSE) {
        AfterCallback(r, previous_serial, previous);
        return;
      }
    }
    if (!IsAlive(serial, toggle)) return;
  }
  if (IupCallback cb = FindCallback(toggle, "ACTION"))
    AfterCallback(As<IupCallbackI>(cb)(toggle, state), serial, toggle);
}

void ListItem(IupElement* list, int item, int state) {
  if (list == nullptr || item < 1) return;
  const int serial = list->serial;
  char name[16];
  std::snprintf(name, sizeof name, "%d", item);
  const char* text = IupGetAttribute(list, name);
  std::string copy = text != nullptr ? text : "";
  if (IupCallback cb = FindCallback(list, "ACTION"))
    AfterCallback(As<IupListCallback>(cb)(list, copy.data(), item, state), serial, list);
}

void CanvasRedraw(IupElement* canvas, void* paint_context) {
  if (canvas == nullptr) return;
  const int serial = canvas->serial;
  IupCallback cb = FindCallback(canvas, "ACTION");
  if (cb == nullptr) return;
  IupSetAttributePointer(canvas, "HDC_WMPAINT", paint_context);
  As<IupRedrawCallback>(cb)(canvas, IupGetAttributeReal(canvas, "POSX"),
                            IupGetAttributeReal(canvas, "POSY"));
  if (IsAlive(serial, canvas)) IupSetAttributePointer(canvas, "HDC_WMPAINT", nullptr);
}

void CanvasButton(IupElement* canvas, int button, int pressed, int x, int y, const char* status) {
  if (canvas == nullptr) return;
  const int serial = canvas->serial;
  std::string s = status != nullptr ? status : "     ";
  if (IupCallback cb = FindCallback(canvas, "BUTTON_CB"))
    AfterCallback(As<IupButtonCallback>(cb)(canvas, button, pressed, x, y, s.data()), serial,
                  canvas);
}

void CanvasMotion(IupElement* canvas, int x, int y, const char* status) {
  if (canvas == nullptr) return;
  std::string s = status != nullptr ? status : "     ";
  if (IupCallback cb = FindCallback(canvas, "MOTION_CB"))
    As<IupMotionCallback>(cb)(canvas, x, y, s.data());
}

void CanvasResize(IupElement* canvas, int width, int height) {
  if (canvas == nullptr) return;
  if (IupCallback cb = FindCallback(canvas, "RESIZE_CB"))
    As<IupResizeCallback>(cb)(canvas, width, height);
}

void CanvasEnter(IupElement* canvas) {
  if (canvas == nullptr) return;
  const int serial = canvas->serial;
  if (IupCallback cb = FindCallback(canvas, "ENTERWINDOW_CB"))
    AfterCallback(cb(canvas), serial, canvas);
}

void CanvasLeave(IupElement* canvas) {
  if (canvas == nullptr) return;
  if (IupCallback cb = FindCallback(canvas, "LEAVEWINDOW_CB")) cb(canvas);
}

void FocusChanged(IupElement* lost, IupElement* gained) {
  const int gained_serial = gained != nullptr ? gained->serial : 0;
  if (lost != nullptr)
    if (IupCallback cb = FindCallback(lost, "KILLFOCUS_CB"))
      As<IupKillFocusCallback>(cb)(lost, gained);
  if (gained == nullptr || !IsAlive(gained_serial, gained)) return;
  if (IupElement* dialog = IupGetDialog(gained))
    IupSetAttributePointer(dialog, "LASTFOCUS_IUPWIN", gained);
  switch (gained->kind) {
    case IUP_CANVAS:
    case IUP_TEXT:
    case IUP_MULTILINE:
    case IUP_DIALOG:
      if (IupCallback cb = FindCallback(gained, "GETFOCUS_CB")) cb(gained);
      break;
    default:
      break;  // other kinds report losing the focus only
  }
}

void CloseBox(IupElement* dialog) {
  if (dialog == nullptr || dialog->kind != IUP_DIALOG) return;
  const int serial = dialog->serial;
  int r = IUP_DEFAULT;
  if (IupCallback cb = FindCallback(dialog, "CLOSE_CB")) r = cb(dialog);
  if (r == IUP_IGNORE) return;
  if (!IsAlive(serial, dialog)) {
    if (r == IUP_CLOSE) CloseProcedure(nullptr);
    return;
  }
  if (r == IUP_CLOSE || IsPopupDialog(dialog))
    CloseProcedure(dialog);
  else
    IupHide(dialog);
}

void ShowState(IupElement* dialog, int state) {
  if (dialog == nullptr) return;
  const int serial = dialog->serial;
  if (IupCallback cb = FindCallback(dialog, "SHOW_CB"))
    AfterCallback(As<IupCallbackI>(cb)(dialog, state), serial, dialog);
}

void DialogResized(IupElement* dialog, int client_width, int client_height) {
  if (dialog == nullptr || dialog->kind != IUP_DIALOG || !IsMapped(dialog)) return;
  DialogClientResized(dialog, client_width, client_height);
}

int DropFile(IupElement* element, const char* file, int remaining, int x, int y) {
  if (element == nullptr || file == nullptr) return IUP_IGNORE;
  IupCallback cb = FindCallback(element, "DROPFILES_CB");
  if (cb == nullptr) return IUP_IGNORE;
  std::string name = file;
  return As<IupDropFilesCallback>(cb)(element, name.data(), remaining, x, y);
}

}  // namespace event
}  // namespace iup
