// The predefined dialogs' internals shared by their modules and by the
// script binding: the language switch, the common frame, the shared result,
// and forms of the dialogs that take C++ values instead of fixed buffers.
#ifndef VARKO_IUP_PREDIAL_H
#define VARKO_IUP_PREDIAL_H

#include <string>
#include <vector>

#include "iup.h"

// The data-entry dialog: count fields with their maximum characters, visible
// widths, labels and values. Returns 1 confirmed, -1 cancelled, -2 out of
// memory. Every values[i] is replaced, whatever the outcome, by a malloc'd
// copy of the field's text that the caller frees.
int IupDataEntry(int count, const int* max_chars, const int* widths, const char* title,
                 const char** labels, char** values);

// The version dialog that IupOpen shows when "IUP_VERSION" is set.
void IupVersionDialog(void);

namespace iup::predial {

// A callback of any documented signature as the registry's IupCallback
// (through void(*)(), the cast the compiler accepts between function types).
template <typename Function>
IupCallback AsCallback(Function* function) {
  return reinterpret_cast<IupCallback>(reinterpret_cast<void (*)()>(function));
}
template <typename Function>
IupControlMethod AsMethod(Function* function) {
  return reinterpret_cast<IupControlMethod>(reinterpret_cast<void (*)()>(function));
}

// True when "IUP_INGLES" is set: English texts, else Portuguese (Latin-1).
bool English();
const char* ConfirmText();
const char* CancelText();

// The process-wide result the button callbacks set.
int& Result();

// FILL with "SIZE" "10" (pad) and a FILL without size (spring).
IupElement* Pad();
IupElement* Spring();
// A 40-wide button named by a handle, its action bound to the callback.
IupElement* DialogButton(const char* title, const char* action, const char* handle,
                         IupCallback callback);
// Boxes from a list of children (nulls are skipped).
IupElement* Hbox(std::initializer_list<IupElement*> children);
IupElement* Vbox(std::initializer_list<IupElement*> children);
// DIALOG -> FRAME -> HBOX(spring, pad, VBOX(spring, pad, content, spring,
// pad, buttons, spring, pad), spring, pad), with the common dialog attributes.
IupElement* FramedDialog(IupElement* content, IupElement* buttons);
// "MENUBOX", "MINBOX", "MAXBOX", "RESIZE" "NO"; "BORDER" "YES".
void FixedDialogAttributes(IupElement* dialog);
// Pops the dialog up centred and destroys it.
void RunAndDestroy(IupElement* dialog);

// A close box reports cancel: the dialog's "CLOSE_CB" sets the result to
// the value given and closes.
void CloseBoxReports(IupElement* dialog, int cancel_result);

// The data-entry dialog over strings: values are read and replaced.
int DataEntry(const std::string& title, const std::vector<int>& max_chars,
              const std::vector<int>& widths, const std::vector<std::string>& labels,
              std::vector<std::string>& values);

// One field of IupScanf: what the format line says.
struct ScanfField {
  std::string label;
  int max_chars = 0;
  int width = 0;
  std::string conversion;  // from '%' to the end of the line, e.g. "%10.3lf"
  char type = 0;           // conversion letter: e f g E G d i o u x X s
  char size = 0;           // 'l', 'L', 'h' or 0
};
struct ScanfFormat {
  std::string title;
  std::vector<ScanfField> fields;
  // Fields described before the first unusable one; all when none.
  size_t usable = 0;
};
// Splits a format into title and fields. The field count is the number of
// newlines minus one.
ScanfFormat ParseScanfFormat(const char* format);
// The text a value shows in its field (formatted with the field's
// conversion, whatever its length).
std::string FormatDouble(const ScanfField& field, double value);
std::string FormatLongDouble(const ScanfField& field, long double value);
std::string FormatInt(const ScanfField& field, long value);
std::string FormatString(const ScanfField& field, const char* value);
// Runs the dialog over texts already formatted; on confirm texts hold the
// fields' contents. Returns 1 confirmed, -1 cancelled.
int ScanfDialog(const ScanfFormat& format, std::vector<std::string>& texts);

// IupGetFile without the 256-character buffer: name is the initial name and
// receives the chosen path. Returns 0 existing, 1 new, -1 cancelled.
int GetFile(std::string& name);

}  // namespace iup::predial

#endif
