// The progress dialogs. Both run one toolkit loop step when they update so
// that their windows paint (a platform whose windows paint only from its
// loop shows nothing otherwise), which lets script callbacks run there: the
// caller protects what it uses meanwhile.
#include "gauge.h"

#include <cstdio>
#include <string>

#include "im.h"
#include "iup.h"
#include "iupcontrols.h"

namespace route {
namespace {

// A progress dialog with a gauge and Cancel: Cancel, Esc and the close box
// all give the work up.
struct CancelDialog {
  IupElement* dialog = nullptr;
  IupElement* gauge = nullptr;
  bool cancelled = false;
};
CancelDialog gauge_dialog, search_dialog;

template <CancelDialog* d>
int CancelPressed(IupElement*) {
  d->cancelled = true;
  return IUP_DEFAULT;
}

template <CancelDialog* d>
int CloseBoxPressed(IupElement*) {
  d->cancelled = true;
  return IUP_IGNORE;
}

// The fixed-size dialog around `body`, whose Cancel button calls the action
// named `cancel_action`; Esc calls it too and the close box cancels as well.
template <CancelDialog* d>
IupElement* MakeCancelDialog(IupElement* body, const char* title, const char* cancel_action,
                             const char* close_action) {
  IupElement* dialog = IupCreateDialog(body);
  IupSetAttributeCopy(dialog, "TITLE", title);
  IupSetAttribute(dialog, "RESIZE", "NO");
  IupSetAttribute(dialog, "MAXBOX", "NO");
  IupSetAttribute(dialog, "MINBOX", "NO");
  IupBindAction(cancel_action, IupAsCallback(CancelPressed<d>));
  IupBindAction(close_action, IupAsCallback(CloseBoxPressed<d>));
  IupSetAttribute(dialog, "CLOSE_CB", close_action);
  IupSetAttribute(dialog, "K_ESC", cancel_action);
  return dialog;
}

void CloseCancelDialog(CancelDialog& d) {
  if (d.dialog == nullptr) return;
  IupElement* dialog = d.dialog;
  d = {};
  IupHide(dialog);
  IupDestroy(dialog);
}

}  // namespace

// The gauge in a frame, and Cancel under it (Esc and the close box cancel
// too): a long combined theme can be given up.
void GaugeOpen(const char* title) {
  GaugeClose();
  IupElement* gauge = IupCreateGauge();
  if (gauge == nullptr) return;
  IupSetAttribute(gauge, "VALUE", "0.0");
  IupSetAttribute(gauge, "SIZE", "250x17");
  IupElement* box = IupCreateHbox(IupCreateFill(), gauge, IupCreateFill(), nullptr);
  IupElement* cancel = IupCreateButton("Cancel", "vkGaugeCancel");
  IupSetAttribute(cancel, "SIZE", "50x");
  IupSetHandle("VarkoGaugeCancel", cancel);
  IupElement* outer = IupCreateVbox(IupCreateFrame(box), cancel, nullptr);
  IupSetAttribute(outer, "GAP", "5");
  IupSetAttribute(outer, "ALIGNMENT", "ACENTER");
  IupElement* dialog =
      MakeCancelDialog<&gauge_dialog>(outer, title, "vkGaugeCancel", "vkGaugeClose");
  gauge_dialog = {dialog, gauge, false};
}

bool GaugeCancelled() {
  return gauge_dialog.cancelled;
}

void GaugeShow() {
  if (gauge_dialog.dialog == nullptr) return;
  IupShowXY(gauge_dialog.dialog, IUP_CENTER, IUP_CENTER);
  IupLoopStep();
}

void GaugeSet(double fraction) {
  if (gauge_dialog.gauge == nullptr) return;
  if (fraction > 1) fraction = 1;
  char text[64];
  std::snprintf(text, sizeof text, "%.2g", fraction);
  IupSetAttributeCopy(gauge_dialog.gauge, "VALUE", text);
  IupLoopStep();
}

void GaugeClose() {
  CloseCancelDialog(gauge_dialog);
}

void SearchDialogOpen(const char* title, const char* text) {
  SearchDialogClose();
  IupElement* gauge = IupCreateGauge();
  if (gauge == nullptr) return;
  IupSetAttribute(gauge, "VALUE", "0.0");
  IupSetAttribute(gauge, "SIZE", "200x15");
  IupElement* cancel = IupCreateButton("Cancel", "vkSearchCancel");
  IupSetAttribute(cancel, "SIZE", "50x");
  IupSetHandle("VarkoSearchCancel", cancel);
  IupElement* box = IupCreateVbox(IupCreateLabel(text), gauge, cancel, nullptr);
  IupSetAttribute(box, "MARGIN", "10x10");
  IupSetAttribute(box, "GAP", "5");
  IupSetAttribute(box, "ALIGNMENT", "ACENTER");
  IupElement* dialog =
      MakeCancelDialog<&search_dialog>(box, title, "vkSearchCancel", "vkSearchClose");
  IupSetAttribute(dialog, "PARENTDIALOG", "Varko.MainDialog");
  search_dialog = {dialog, gauge, false};
  IupShowXY(dialog, IUP_CENTER, IUP_CENTER);
  IupLoopStep();
}

bool SearchDialogUpdate(double fraction) {
  if (search_dialog.dialog == nullptr) return true;
  if (fraction > 1) fraction = 1;
  if (fraction < 0) fraction = 0;
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", fraction);
  IupSetAttributeCopy(search_dialog.gauge, "VALUE", text);
  IupLoopStep();
  return !search_dialog.cancelled;
}

void SearchDialogClose() {
  CloseCancelDialog(search_dialog);
}

}  // namespace route

namespace {

struct CounterDialog {
  IupElement* dialog = nullptr;
  IupElement* gauge = nullptr;
  IupElement* message = nullptr;
  int interrupted = 0;
  int last_percent = 0;
  std::string title;
};

CounterDialog* current_counter = nullptr;
int progress_depth = 0;

// The record of the dialog an element sits in.
CounterDialog* CounterOf(IupElement* e) {
  for (; e != nullptr; e = IupGetParent(e))
    if (void* record = IupGetAttributePointer(e, "ctCounter"))
      return static_cast<CounterDialog*>(record);
  return nullptr;
}

int CounterCancel(IupElement* e) {
  CounterDialog* counter = CounterOf(e);
  if (counter == nullptr) return IUP_DEFAULT;
  if (IupAlarm("Warning!", "Interrupt Processing?", "Yes", "No", nullptr) == 1 &&
      CounterOf(e) == counter)
    counter->interrupted = 1;
  return IUP_DEFAULT;
}

int CounterCloseBox(IupElement*) {
  return IUP_IGNORE;
}

CounterDialog* CounterOpen(const char* title) {
  auto* counter = new CounterDialog;
  counter->title = title != nullptr ? title : "";
  counter->message = IupCreateLabel("");
  IupSetAttribute(counter->message, "EXPAND", "YES");
  counter->gauge = IupCreateGauge();
  IupSetAttribute(counter->gauge, "RASTERSIZE", "200x25");
  IupSetAttribute(counter->gauge, "EXPAND", "NO");
  IupElement* inner = IupCreateVbox(counter->message, counter->gauge, nullptr);
  IupSetAttribute(inner, "MARGIN", "3x3");
  IupElement* frame = IupCreateFrame(inner);
  IupSetAttribute(frame, "TITLE", "Percent of:");
  IupElement* cancel = IupCreateButton("Cancel", "ctCounterCancel");
  IupSetAttribute(cancel, "SIZE", "40x15");
  IupElement* outer = IupCreateVbox(IupCreateLabel(counter->title.c_str()), frame, cancel, nullptr);
  IupSetAttribute(outer, "MARGIN", "10x10");
  IupSetAttribute(outer, "GAP", "5x5");
  IupSetAttribute(outer, "ALIGNMENT", "ACENTER");
  counter->dialog = IupCreateDialog(outer);
  IupSetAttribute(counter->dialog, "RESIZE", "NO");
  IupSetAttribute(counter->dialog, "TITLE", "Processing");
  IupSetAttribute(counter->dialog, "MAXBOX", "NO");
  IupBindAction("ctCounterCancel", IupAsCallback(CounterCancel));
  IupBindAction("ctCounterClose", IupAsCallback(CounterCloseBox));
  IupSetAttribute(counter->dialog, "CLOSE_CB", "ctCounterClose");
  IupSetAttribute(counter->dialog, "K_ESC", "ctCounterCancel");
  IupSetAttributePointer(counter->dialog, "ctCounter", counter);
  IupShow(counter->dialog);
  return counter;
}

void CounterSetMessage(CounterDialog* counter, const char* text) {
  IupSetAttributeCopy(counter->message, "TITLE", text);
  IupLoopStep();
}

bool CounterUpdate(CounterDialog* counter, int percent) {
  if (percent != counter->last_percent) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", percent / 100.0);
    IupSetAttributeCopy(counter->gauge, "VALUE", text);
    IupLoopStep();
    counter->last_percent = percent;
  }
  return counter->interrupted == 0;
}

void CounterClose(CounterDialog* counter) {
  IupHide(counter->dialog);
  IupDestroy(counter->dialog);
  delete counter;
}

// Ends the nesting level of a progress report.
struct Depth {
  Depth() { ++progress_depth; }
  ~Depth() { --progress_depth; }
};

}  // namespace

int VarkoProgress(const char* file_name, int percent, int writing) {
  // A transfer started by a script callback inside a loop step of the
  // dialog runs without one: the dialog belongs to the outer transfer.
  if (progress_depth > 0) return 0;
  Depth depth;
  if (current_counter == nullptr) {
    // a report without the opening 0 % opens the dialog too
    current_counter = CounterOpen(file_name);
    CounterSetMessage(current_counter, writing ? "Writing." : "Reading.");
  }
  CounterDialog* counter = current_counter;
  const bool going_on = CounterUpdate(counter, percent);
  if (going_on && percent < 100) return 0;
  current_counter = nullptr;
  CounterClose(counter);
  return going_on ? 0 : 1;
}

void RegisterProgressCallback() {
  imSetCallback(reinterpret_cast<imCallback>(VarkoProgress), IM_CB_PROGRESS, -1);
}
