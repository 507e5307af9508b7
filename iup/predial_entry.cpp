// The data-entry dialog: a form of labelled text fields with confirm and
// cancel buttons, and a key filter that moves between the fields.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "iupdriver.h"
#include "predial.h"

namespace {

using namespace iup::predial;

int OkButton(IupElement*) {
  Result() = 1;
  return IUP_CLOSE;
}

int CancelButton(IupElement*) {
  Result() = -1;
  return IUP_CLOSE;
}

// Tab, Enter and Down go to the next field, Shift+Tab and Up to the
// previous one; Escape empties the field. Other keys pass.
int FilterKey(IupElement* field, int key) {
  switch (key) {
    case K_TAB:
    case K_CR:
    case K_DOWN:
      iup::event::DialogKey(field, K_TAB);
      return IUP_IGNORE;
    case K_sTAB:
    case K_UP:
      iup::event::DialogKey(field, K_sTAB);
      return IUP_IGNORE;
    case K_ESC:
      IupSetAttribute(field, "VALUE", "");
      return IUP_IGNORE;
    default:
      return IUP_DEFAULT;
  }
}

// The field's "ACTION" sees Enter and Escape as characters; arrows and Tab
// only reach key callbacks, so the filter serves as both.
int TextAction(IupElement* field, int key, char*) {
  return FilterKey(field, key);
}

}  // namespace

namespace iup::predial {

int DataEntry(const std::string& title, const std::vector<int>& max_chars,
              const std::vector<int>& widths, const std::vector<std::string>& labels,
              std::vector<std::string>& values) {
  const size_t count = values.size();
  Result() = 0;
  IupBindAction("iup_cb_text", AsCallback(TextAction));
  IupBindAction("iup_cb_text_keys", AsCallback(FilterKey));

  std::vector<IupElement*> fields;
  IupElement* rows = IupCreateVbox(nullptr);
  for (size_t i = 0; i < count; ++i) {
    IupElement* text = IupCreateText("iup_cb_text");
    IupSetAttribute(text, "K_ANY", "iup_cb_text_keys");
    IupSetAttributeCopy(text, "VALUE", values[i].c_str());
    IupSetAttributeCopyF(text, "SIZE", "%d", (i < widths.size() ? widths[i] : 0) * 4 + 4);
    IupSetAttributeCopyF(text, "NC", "%d", i < max_chars.size() ? max_chars[i] : 0);
    IupElement* label = IupCreateLabel(i < labels.size() ? labels[i].c_str() : "");
    IupAppend(rows, Hbox({label, Spring(), text}));
    fields.push_back(text);
  }
  IupElement* ok =
      DialogButton(ConfirmText(), "iup_cb_ok", "IupDataEntryOkButton", AsCallback(OkButton));
  IupElement* cancel = DialogButton(CancelText(), "iup_cb_cancel", "IupDataEntryCancelButton",
                                    AsCallback(CancelButton));
  IupElement* dialog = FramedDialog(rows, Hbox({Spring(), ok, Spring(), cancel, Spring()}));
  IupSetAttributeCopy(dialog, "TITLE", title.c_str());
  IupSetAttribute(dialog, "DEFAULTENTER", "IupDataEntryOkButton");
  IupSetAttribute(dialog, "DEFAULTESC", "IupDataEntryCancelButton");
  CloseBoxReports(dialog, -1);

  IupPopup(dialog, IUP_CENTER, IUP_CENTER);
  for (size_t i = 0; i < count; ++i) {
    const char* text = IupGetAttribute(fields[i], "VALUE");
    values[i] = text ? text : "";
  }
  IupDestroy(dialog);
  return Result();
}

}  // namespace iup::predial

int IupDataEntry(int count, const int* max_chars, const int* widths, const char* title,
                 const char** labels, char** values) {
  if (count < 0 || (count > 0 && (max_chars == nullptr || widths == nullptr || values == nullptr)))
    return -1;
  std::vector<int> max(max_chars, max_chars + count), width(widths, widths + count);
  std::vector<std::string> label_texts, texts;
  for (int i = 0; i < count; ++i) {
    label_texts.emplace_back(labels && labels[i] ? labels[i] : "");
    texts.emplace_back(values[i] ? values[i] : "");
  }
  int result = iup::predial::DataEntry(title ? title : "", max, width, label_texts, texts);
  // Every field gets its new copy before anything is handed over, so a
  // failure leaves the caller's values untouched.
  std::vector<char*> copies;
  for (const std::string& text : texts) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy == nullptr) {
      for (char* done : copies) std::free(done);
      return -2;
    }
    std::memcpy(copy, text.c_str(), text.size() + 1);
    copies.push_back(copy);
  }
  for (int i = 0; i < count; ++i) values[i] = copies[i];
  return result;
}
