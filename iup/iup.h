// The GUI toolkit's public interface: elements and their constructors, the
// attribute store, handle and action registries, globals, control classes,
// layout-independent dialog operations, the event loop, focus and keys.
// A null element is accepted everywhere and yields null, 0 or nothing.
#ifndef VARKO_IUP_IUP_H
#define VARKO_IUP_IUP_H

#include <cstddef>

#include "iupkey.h"

// Callback return codes.
inline constexpr int IUP_IGNORE = -1;
inline constexpr int IUP_DEFAULT = -2;
inline constexpr int IUP_CLOSE = -3;
inline constexpr int IUP_CONTINUE = -4;

// Show positions for IupShowXY and IupPopup.
inline constexpr int IUP_CENTER = -1;
inline constexpr int IUP_LEFT = -2;
inline constexpr int IUP_RIGHT = -3;
inline constexpr int IUP_TOP = -2;
inline constexpr int IUP_BOTTOM = -3;
inline constexpr int IUP_MOUSEPOS = -5;

// Element kinds; the codes are fixed.
enum IupKind {
  IUP_UNKNOWN = 0,
  IUP_COLOR = 1,
  IUP_IMAGE = 2,
  IUP_BUTTON = 3,
  IUP_CANVAS = 4,
  IUP_DIALOG = 5,
  IUP_FILL = 6,
  IUP_FRAME = 7,
  IUP_HBOX = 8,
  IUP_ITEM = 9,
  IUP_SEPARATOR = 10,
  IUP_SUBMENU = 11,
  IUP_KEYACTION = 12,
  IUP_LABEL = 13,
  IUP_LIST = 14,
  IUP_MENU = 15,
  IUP_RADIO = 16,
  IUP_TEXT = 17,
  IUP_TOGGLE = 18,
  IUP_VBOX = 19,
  IUP_ZBOX = 20,
  IUP_MULTILINE = 21,
  IUP_USER = 22,
};

// Scrollbar operations passed to "SCROLL_CB".
inline constexpr int IUP_SBUP = 1;
inline constexpr int IUP_SBDN = 2;
inline constexpr int IUP_SBPGUP = 3;
inline constexpr int IUP_SBPGDN = 4;
inline constexpr int IUP_SBPOSV = 5;  // vertical scrolling ended
inline constexpr int IUP_SBPGLEFT = 6;
inline constexpr int IUP_SBPGRIGHT = 7;
inline constexpr int IUP_SBLEFT = 8;
inline constexpr int IUP_SBRIGHT = 9;
inline constexpr int IUP_SBPOSH = 10;  // horizontal scrolling ended
inline constexpr int IUP_SBDRAGH = 11;
inline constexpr int IUP_SBDRAGV = 12;

// "SHOW_CB" states.
inline constexpr int IUP_SHOW = 0;
inline constexpr int IUP_RESTORE = 1;
inline constexpr int IUP_MINIMIZE = 2;

// Mouse buttons passed to "BUTTON_CB" (character codes).
inline constexpr int IUP_BUTTON1 = '1';
inline constexpr int IUP_BUTTON2 = '2';
inline constexpr int IUP_BUTTON3 = '3';

struct IupElement;       // opaque; class implementers use the accessors below
struct IupControlClass;  // opaque

// Callbacks are bound by action name and stored as IupCallback; the toolkit
// calls each with the signature its callback name documents, so bind a
// function of that signature cast to IupCallback.
typedef int (*IupCallback)(IupElement* self);
typedef int (*IupIdleCallback)(void);
// Casts a callback of any documented signature to IupCallback (through the
// generic function type, so that compilers accept the cast).
template <typename F>
inline IupCallback IupAsCallback(F* f) {
  return reinterpret_cast<IupCallback>(reinterpret_cast<void (*)(void)>(f));
}
// BUTTON "ACTION", "ENTERWINDOW_CB", "LEAVEWINDOW_CB", "GETFOCUS_CB",
// "MAP_CB", "CLOSE_CB": (self)
// ITEM and TOGGLE "ACTION" (self, state); "SHOW_CB" (self, state);
// key callbacks (focused element, key code); "MASK_CB" (self, status)
typedef int (*IupCallbackI)(IupElement* self, int value);
// LIST "ACTION" (self, item text, item number from 1, 1 selected / 0 not)
typedef int (*IupListCallback)(IupElement* self, char* text, int item, int state);
// TEXT and MULTILINE "ACTION" (self, key code, text as it will be after the key)
typedef int (*IupTextCallback)(IupElement* self, int key, char* after);
// CANVAS "ACTION" (self, POSX, POSY)
typedef int (*IupRedrawCallback)(IupElement* self, float posx, float posy);
// CANVAS "BUTTON_CB" (self, button, 1 pressed / 0 released, x, y, status)
typedef int (*IupButtonCallback)(IupElement* self, int button, int pressed, int x, int y,
                                 char* status);
// CANVAS "MOTION_CB" (self, x, y, status)
typedef int (*IupMotionCallback)(IupElement* self, int x, int y, char* status);
// CANVAS "RESIZE_CB" (self, width, height)
typedef int (*IupResizeCallback)(IupElement* self, int width, int height);
// CANVAS "SCROLL_CB" (self, operation, POSX, POSY)
typedef int (*IupScrollCallback)(IupElement* self, int operation, float posx, float posy);
// CANVAS "WHEEL_CB" (self, delta, x, y, status): the mouse wheel turned by
// delta notches (positive: away from the user) with the pointer at (x, y).
// An extension of this toolkit: without a "WHEEL_CB" each notch is a line
// step of the vertical scrollbar ("SCROLL_CB" IUP_SBUP / IUP_SBDN).
typedef int (*IupWheelCallback)(IupElement* self, float delta, int x, int y, char* status);
// "KILLFOCUS_CB" (self, element receiving the focus or null)
typedef int (*IupKillFocusCallback)(IupElement* self, IupElement* next);
// "DROPFILES_CB" (self, file name, files still to come, x, y)
typedef int (*IupDropFilesCallback)(IupElement* self, char* file, int remaining, int x, int y);

// ---- start and end -------------------------------------------------------
int IupOpen(void);
void IupClose(void);

// ---- constructors --------------------------------------------------------
IupElement* IupNewColor(unsigned red, unsigned green, unsigned blue);
IupElement* IupCreateImage(int width, int height, const unsigned char* pixels);
IupElement* IupCreateButton(const char* title, const char* action);
IupElement* IupCreateCanvas(const char* action);
IupElement* IupCreateDialog(IupElement* child);
IupElement* IupCreateFill(void);
IupElement* IupCreateFrame(IupElement* child);
IupElement* IupCreateHbox(IupElement* first, ...);  // children, then null
IupElement* IupCreateItem(const char* title, const char* action);
IupElement* IupCreateSubmenu(const char* title, IupElement* menu);
IupElement* IupNewKeyAction(void* user);
IupElement* IupCreateLabel(const char* title);
IupElement* IupCreateList(const char* action);
IupElement* IupCreateMenu(IupElement* first, ...);  // children, then null
IupElement* IupCreateRadio(IupElement* child);
IupElement* IupCreateText(const char* action);
IupElement* IupCreateMultiLine(const char* action);
IupElement* IupCreateToggle(const char* title, const char* action);
IupElement* IupCreateSeparator(void);
IupElement* IupCreateVbox(IupElement* first, ...);  // children, then null
IupElement* IupCreateZbox(IupElement* first, ...);  // children, then null
IupElement* IupCreateUser(void);
// Array forms of the box and menu constructors (children[count]); bindings
// that collect children at run time use these.
IupElement* IupCreateHboxv(IupElement* const* children, int count);
IupElement* IupCreateVboxv(IupElement* const* children, int count);
IupElement* IupCreateZboxv(IupElement* const* children, int count);
IupElement* IupCreateMenuv(IupElement* const* children, int count);
// Made by the predefined dialogs: IupNewFromControlClass on "filedlg".
IupElement* IupCreateFileDlg(void);

// ---- tree ----------------------------------------------------------------
IupElement* IupAppend(IupElement* parent, IupElement* child);
void IupDetach(IupElement* element);
void IupDestroy(IupElement* element);
IupElement* IupGetDialog(IupElement* element);
IupElement* IupGetParent(IupElement* element);
IupElement* IupGetChild(IupElement* element);    // first child
IupElement* IupGetBrother(IupElement* element);  // next sibling
int IupGetSerial(IupElement* element);           // 0 for null
IupElement* IupFromSerial(int serial);           // null below 50 or when gone
int IupGetKind(IupElement* element);             // IupKind; IUP_UNKNOWN for null

// ---- attributes ----------------------------------------------------------
// Stores the value pointer itself: the caller keeps it alive.
void IupSetAttribute(IupElement* element, const char* name, const char* value);
// Stores a copy owned by the element.
void IupSetAttributeCopy(IupElement* element, const char* name, const char* value);
// Formats (printf-style) and stores a copy.
void IupSetAttributeCopyF(IupElement* element, const char* name, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// Stores an opaque pointer (a record, a native handle) under the name; such
// entries are never read as text (IupGetAttributeList shows them as
// "(pointer)"). Read back with IupGetAttributePointer.
void IupSetAttributePointer(IupElement* element, const char* name, void* pointer);
void* IupGetAttributePointer(IupElement* element, const char* name);
const char* IupGetAttribute(IupElement* element, const char* name);
int IupGetAttributeInt(IupElement* element, const char* name);
float IupGetAttributeReal(IupElement* element, const char* name);
// Boolean reading: -1 not set or neither; 0 "NO"/"OFF"; 1 "YES"/"ON" (any case).
int IupGetAttributeBool(IupElement* element, const char* name);
// Parses "NAME=VALUE, NAME2 = "quoted, value", NAME3" and sets each pair;
// a null text destroys the element's whole attribute table.
void IupSetAttributeList(IupElement* element, const char* text);
// NAME="VALUE" of every own attribute in table order joined by ","; the
// text is valid until the next call.
const char* IupGetAttributeList(IupElement* element);
// The element's own table only: no inheritance, no driver, no default.
const char* IupGetOwnAttribute(IupElement* element, const char* name);
void IupSetOwnAttribute(IupElement* element, const char* name, const char* value);
// Interns a name in the process-wide pool; the result lives until exit.
const char* IupInternName(const char* name);

// ---- handle names ----------------------------------------------------------
IupElement* IupSetHandle(const char* name, IupElement* element);
IupElement* IupGetHandle(const char* name);
const char* IupGetName(IupElement* element);
int IupGetAllNames(const char** names, int max);
int IupGetAllDialogs(const char** names, int max);

// ---- action names ----------------------------------------------------------
IupCallback IupBindAction(const char* name, IupCallback callback);
IupCallback IupFindAction(const char* name);
const char* IupCurrentActionName(void);
// Binds the idle function ("iup-idle"); null unbinds. Returns the previous one.
IupIdleCallback IupSetIdle(IupIdleCallback idle);

// ---- globals ---------------------------------------------------------------
void IupSetGlobal(const char* name, const char* value);
void IupSetGlobalCopy(const char* name, const char* value);
const char* IupGetGlobal(const char* name);

// ---- control classes -------------------------------------------------------
// Operation types; IupSetControlMethod takes any of them cast to IupControlMethod.
typedef void (*IupControlMethod)(void);
template <typename F>
inline IupControlMethod IupAsControlMethod(F* f) {
  return reinterpret_cast<IupControlMethod>(f);
}
typedef int (*IupSetNaturalSizeMethod)(IupElement* self);
typedef int (*IupSetCurrentSizeMethod)(IupElement* self, int width, int height);
typedef int (*IupGetSizeMethod)(IupElement* self, int* width, int* height);
typedef int (*IupSetPositionMethod)(IupElement* self, int x, int y);
typedef IupElement* (*IupCreateMethod)(IupControlClass* cls, void** params);
typedef int (*IupDestroyMethod)(IupElement* self);
typedef int (*IupMapMethod)(IupElement* self, IupElement* dialog);
typedef int (*IupUnmapMethod)(IupElement* self);
typedef int (*IupSetAttrMethod)(IupElement* self, const char* name, const char* value);
typedef const char* (*IupGetAttrMethod)(IupElement* self, const char* name);
typedef const char* (*IupGetDefaultAttrMethod)(IupElement* self, const char* name);
typedef int (*IupPopupMethod)(IupElement* self, int x, int y);

IupControlClass* IupNewControlClass(const char* name, const char* format);
// method: "SETNATURALSIZE", "SETCURRENTSIZE", "GETSIZE", "SETPOSITION",
// "CREATE", "DESTROY", "MAP", "UNMAP", "SETATTR", "GETATTR",
// "GETDEFAULTATTR", "POPUP". Returns 0, or 1 for an unknown name or null class.
int IupSetControlMethod(IupControlClass* cls, const char* method, IupControlMethod operation);
// params: what the class format describes ("C": params[0] is a child element).
IupElement* IupNewFromControlClass(IupControlClass* cls, void** params);
void IupAddControlClass(const char* name, IupControlClass* cls);
IupControlClass* IupLookupControlClass(const char* name);
IupControlClass* IupGetControlClass(IupElement* element);  // null for native kinds
const char* IupGetClassName(IupControlClass* cls);
const char* IupGetClassFormat(IupControlClass* cls);

// Plain accessors for class implementers (pixels).
int IupGetNaturalWidth(IupElement* element);
int IupGetNaturalHeight(IupElement* element);
void IupSetNaturalSize(IupElement* element, int width, int height);
int IupGetCurrentWidth(IupElement* element);
int IupGetCurrentHeight(IupElement* element);
void IupSetCurrentSize(IupElement* element, int width, int height);
int IupGetX(IupElement* element);
int IupGetY(IupElement* element);
void IupSetPosition(IupElement* element, int x, int y);
void* IupGetNativeHandle(IupElement* element);
void IupSetNativeHandle(IupElement* element, void* handle);
void* IupGetData(IupElement* element);
void IupSetData(IupElement* element, void* data);
int IupGetExpandFlags(IupElement* element);

// A control whose element holds other elements (a CANVAS drawing around a
// box of pages) links them with IupLinkChild, whatever its kind: the core
// then maps, moves, unmaps and destroys them with it. Its class size and
// position operations lay them out with the three passes below, each over
// the child's whole subtree. IupLayoutNatural returns the child's expand
// flags.
void IupLinkChild(IupElement* parent, IupElement* child);
int IupLayoutNatural(IupElement* child);
void IupLayoutCurrent(IupElement* child, int width, int height);
void IupLayoutPosition(IupElement* child, int x, int y);
// Whether the element expands horizontally / vertically after the natural
// pass.
bool IupExpandsHorizontally(IupElement* element);
bool IupExpandsVertically(IupElement* element);

// ---- layout ------------------------------------------------------------------
// Runs the three layout passes on a dialog (or a subtree of one already laid
// out) and moves the native windows to the result.
void IupRefresh(IupElement* element);
// Average character width and character height of the element's font.
void IupGetCharSize(IupElement* element, int* char_width, int* char_height);

// ---- mapping, showing, popup ---------------------------------------------------
int IupMap(IupElement* element);
// The native mapping of an element by its kind, for class "MAP" operations
// that add to it (dialog: the element's dialog).
void IupMapDefault(IupElement* element, IupElement* dialog);
int IupShow(IupElement* element);
int IupShowXY(IupElement* element, int x, int y);
int IupHide(IupElement* element);
int IupPopup(IupElement* element, int x, int y);

// ---- event loop ----------------------------------------------------------------
int IupMainLoop(void);
int IupLoopStep(void);  // IUP_CLOSE when the loop would end, else IUP_DEFAULT
int IupFlush(void);
// Posts a quit request: the innermost running loop ends.
void IupExitLoop(void);

// ---- focus, messages ---------------------------------------------------------
IupElement* IupSetFocus(IupElement* element);
IupElement* IupGetFocus(void);
void IupMessage(const char* title, const char* text);

// ---- keys ----------------------------------------------------------------------
// "K_cS" for 19 and so on; a code without a name is named by its character.
// The text is valid until the next call.
const char* IupKeyName(int code);
// The code of a key name, or 0 for an unknown name.
int IupKeyCode(const char* name);

// ---- predefined dialogs (built over this interface) --------------------------
int IupAlarm(const char* title, const char* message, const char* button1, const char* button2,
             const char* button3);
int IupListDialog(int type, const char* title, int size, const char** items, int selected,
                  int max_col, int max_lin, int* marks);
int IupGetFile(char* filename);  // filename: in/out buffer of 256 characters
int IupScanf(const char* format, ...);
// Creates and registers the "filedlg" control class; IupOpen calls it when
// the predefined dialogs are linked in (keep it in the same file as
// IupCreateFileDlg so that linking the one links the other).
void IupFileDlgOpen(void);

#endif
