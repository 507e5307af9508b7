// Keys in the headless driver: key callbacks first, then the edit controls'
// caret keys and copy, typing through the toolkit's shared routine, then the
// dialog's keys.
#include <algorithm>

#include "headless/headless.h"
#include "headless/iupheadless.h"

namespace iup::headless {
namespace {

// The widget model's edit control as the shared typing routine sees it.
// Its clipboard is what tests set for pasting; a cut does not fill it.
class ModelEdit final : public event::EditControl {
 public:
  explicit ModelEdit(IupElement* e) : element_(e) {}
  void Show(const event::EditState& state) override {
    Widget* w = Find(element_);
    if (w == nullptr) return;
    w->text = state.text;
    w->caret = w->sel_start = w->sel_end = state.caret;
  }
  int MaxChars() override {
    const Widget* w = Find(element_);
    return w != nullptr ? w->max_chars : 0;
  }
  std::string PasteText() override { return S().clipboard; }
  void CutText(const std::string&) override {}

 private:
  IupElement* element_;
};

bool MoveCaret(Widget* w, int code) {
  int caret = w->caret;
  const int size = static_cast<int>(w->text.size());
  switch (code) {
    case K_LEFT:
      caret = std::max(0, caret - 1);
      break;
    case K_RIGHT:
      caret = std::min(size, caret + 1);
      break;
    case K_HOME:
      caret = 0;
      break;
    case K_END:
      caret = size;
      break;
    default:
      return false;
  }
  w->caret = w->sel_start = w->sel_end = caret;
  return true;
}

// Returns true when the key was consumed by the edit control.
bool EditKey(IupElement* e, int code) {
  Widget* w = Find(e);
  if (code == K_cC) {
    if (w->sel_start != w->sel_end)
      S().clipboard = w->text.substr(static_cast<size_t>(w->sel_start),
                                     static_cast<size_t>(w->sel_end - w->sel_start));
    return true;
  }
  if (MoveCaret(w, code)) return true;
  event::EditState before;
  before.text = w->text;
  before.caret = w->caret;
  before.start = std::min(w->sel_start, w->sel_end);
  before.end = std::max(w->sel_start, w->sel_end);
  ModelEdit control(e);
  switch (event::EditKey(e, before, code, control)) {
    case event::EditKeyOutcome::Consumed:
      return true;
    case event::EditKeyOutcome::Passed:
      return false;  // on to the default buttons
    default:
      // other keys stay in the control, except those the dialog moves on
      return code != K_TAB && code != K_sTAB && code != K_ESC && code != K_CR;
  }
}

}  // namespace

void DeliverKey(int code, const std::string& modifiers) {
  IupElement* target = S().focus;
  if (target == nullptr) target = S().active;
  if (target == nullptr || !Reachable(target)) {
    Note("headless: key with no focused element dropped");
    return;
  }
  const int serial = IupGetSerial(target);
  if (event::Key(target, code, modifiers.c_str()) != event::KeyOutcome::Pass) return;
  if (IupFromSerial(serial) != target) return;
  const int kind = IupGetKind(target);
  if ((kind == IUP_TEXT || kind == IUP_MULTILINE) && EditKey(target, code)) return;
  if (IupFromSerial(serial) != target) return;
  event::DialogKey(target, code);
}

}  // namespace iup::headless
