// IupAlarm: a message with up to three buttons; returns the button pressed.
#include <string>
#include <vector>

#include "iupdriver.h"
#include "predial.h"

namespace {

using namespace iup::predial;

int AlarmButton(IupElement* button) {
  Result() = IupGetAttributeInt(button, "IUPALARM_NUMBER");
  return IUP_CLOSE;
}

IupElement* AlarmButtonElement(const char* title, int number) {
  static const char* const actions[] = {"iup_cb_button1", "iup_cb_button2", "iup_cb_button3"};
  IupElement* button = IupCreateButton(title, actions[number - 1]);
  IupSetAttributeCopyF(button, "IUPALARM_NUMBER", "%d", number);
  IupBindAction(actions[number - 1], AsCallback(AlarmButton));
  return button;
}

}  // namespace

int IupAlarm(const char* title, const char* message, const char* button1, const char* button2,
             const char* button3) {
  if (message == nullptr) return -2;
  if (iup::Driver* driver = iup::CurrentDriver()) {
    int native = driver->Alarm(title, message, button1, button2, button3);
    if (native >= 1 && native <= 3) return native;
  }
  // A close box answers the last button given, as a cancel would.
  const int last = button3 != nullptr && button2 != nullptr ? 3 : button2 != nullptr ? 2 : 1;
  Result() = last;

  std::vector<IupElement*> labels;
  std::string text = message;
  for (size_t start = 0;;) {
    size_t end = text.find('\n', start);
    std::string line =
        text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    IupElement* label = IupCreateLabel(nullptr);
    IupSetAttributeCopy(label, "TITLE", line.c_str());
    labels.push_back(label);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  IupElement* lines = IupCreateVboxv(labels.data(), static_cast<int>(labels.size()));
  IupElement* content = Hbox({Spring(), lines, Spring()});

  IupElement* first = AlarmButtonElement(button1 ? button1 : "", 1);
  IupSetHandle("IupAlarmFirstButton", first);
  IupElement* row = Hbox({Spring(), first, Spring()});
  const char* more[] = {button2, button3};
  for (int i = 0; i < 2; ++i) {
    if (more[i] == nullptr) continue;
    IupAppend(row, AlarmButtonElement(more[i], i + 2));
    IupAppend(row, Spring());
  }

  IupElement* dialog = FramedDialog(content, row);
  IupSetAttributeCopy(dialog, "TITLE", title ? title : "");
  IupSetAttribute(dialog, "DEFAULTENTER", "IupAlarmFirstButton");
  CloseBoxReports(dialog, last);
  RunAndDestroy(dialog);
  return Result();
}
