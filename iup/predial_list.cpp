// IupListDialog: choose one item (type 1) or mark several (type 2).
#include <algorithm>
#include <chrono>
#include <string>

#include "predial.h"

namespace {

using namespace iup::predial;

// A second selection of the same item within this time is a double click.
constexpr long long kDoubleClickMs = 500;

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

struct LastSelection {
  int item = 0;
  long long when = 0;
};
LastSelection& Last() {
  static LastSelection last;
  return last;
}

int OkButton(IupElement*) {
  return IUP_CLOSE;
}

int CancelButton(IupElement*) {
  Result() = -1;
  return IUP_CLOSE;
}

int ListChoice(IupElement*, char*, int item, int state) {
  if (state != 1) return IUP_DEFAULT;
  Result() = item - 1;
  long long now = NowMs();
  bool again = Last().item == item && now - Last().when <= kDoubleClickMs;
  Last() = {item, now};
  return again ? IUP_CLOSE : IUP_DEFAULT;
}

}  // namespace

int IupListDialog(int type, const char* title, int size, const char** items, int selected,
                  int max_col, int max_lin, int* marks) {
  size = std::clamp(size, 0, 999);
  if (type == 2 && marks == nullptr) return -1;
  IupElement* list = IupCreateList("iup_cb_lista");
  for (int i = 0; i < size; ++i) {
    std::string number = std::to_string(i + 1);
    IupSetAttribute(list, IupInternName(number.c_str()), items ? items[i] : nullptr);
  }
  IupSetAttribute(list, IupInternName(std::to_string(size + 1).c_str()), nullptr);

  IupElement* ok =
      DialogButton(ConfirmText(), "iup_cb_ok", "IupListOkButton", AsCallback(OkButton));
  IupElement* cancel =
      DialogButton(CancelText(), "iup_cb_cancela", "IupListCancelButton", AsCallback(CancelButton));
  IupElement* row = Hbox({Spring(), ok, Spring(), cancel, Spring()});

  std::string initial_marks;
  if (type == 2) {
    for (int i = 0; i < size; ++i) initial_marks += marks[i] ? '+' : '-';
    IupSetAttribute(list, "MULTIPLE", "YES");
    IupSetAttributeCopy(list, "VALUE", initial_marks.c_str());
    IupBindAction("iup_cb_lista", nullptr);  // a single-choice run left its callback bound
    Result() = 0;
  } else {
    if (selected < 1 || selected > size) selected = 1;
    Result() = selected - 1;
    IupSetAttributeCopyF(list, "VALUE", "%d", selected);
    IupBindAction("iup_cb_lista", AsCallback(ListChoice));
    Last() = {};
  }
  // wide enough for any count the script gives; the layout holds the size in range
  IupSetAttributeCopyF(list, "SIZE", "%lldx%lld", max_col * 5LL,
                       max_lin == 1 ? 16LL : max_lin * 9LL + 4);

  IupElement* inner = Hbox({Spring(), Pad(), list, Spring(), Pad()});
  IupElement* column = Vbox({Spring(), Pad(), inner, Spring(), Pad(), row, Spring(), Pad()});
  IupElement* dialog = IupCreateDialog(IupCreateFrame(column));
  FixedDialogAttributes(dialog);
  IupSetAttributeCopy(dialog, "TITLE", title ? title : "");
  IupSetAttribute(dialog, "DEFAULTENTER", "IupListOkButton");
  IupSetAttribute(dialog, "DEFAULTESC", "IupListCancelButton");
  CloseBoxReports(dialog, -1);

  IupPopup(dialog, IUP_CENTER, IUP_CENTER);
  // Cancelled: the caller's marks stay as they were.
  if (type == 2 && Result() != -1) {
    const char* value = IupGetAttribute(list, "VALUE");
    size_t length = value ? std::char_traits<char>::length(value) : 0;
    for (int i = 0; i < size; ++i) marks[i] = static_cast<size_t>(i) < length && value[i] == '+';
  }
  IupDestroy(dialog);
  return Result();
}
