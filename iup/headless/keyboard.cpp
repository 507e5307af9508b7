// Keys in the headless driver: key callbacks first, then the edit controls'
// own editing under the text-edit protocol, then the dialog's keys.
#include <algorithm>

#include "headless/headless.h"
#include "headless/iupheadless.h"

namespace iup::headless {
namespace {

struct Edit {
  std::string text;
  int caret = 0;
};

void InsertAt(const Widget& w, const std::string& insert, Edit* out) {
  out->text = w.text;
  const auto start = static_cast<size_t>(w.sel_start), end = static_cast<size_t>(w.sel_end);
  if (start != end) {
    out->text.erase(start, end - start);
    out->caret = w.sel_start;
  } else {
    out->caret = w.caret;
  }
  out->text.insert(static_cast<size_t>(out->caret), insert);
  out->caret += static_cast<int>(insert.size());
}

// The change a key would make, or false when it does not edit.
bool Proposed(const Widget& w, int code, Edit* out) {
  const bool has_selection = w.sel_start != w.sel_end;
  if (code == K_BS || code == K_DEL) {
    out->text = w.text;
    if (has_selection) {
      out->text.erase(static_cast<size_t>(w.sel_start),
                      static_cast<size_t>(w.sel_end - w.sel_start));
      out->caret = w.sel_start;
      return true;
    }
    if (code == K_BS) {
      if (w.caret == 0) return false;
      out->text.erase(static_cast<size_t>(w.caret - 1), 1);
      out->caret = w.caret - 1;
    } else {
      if (w.caret >= static_cast<int>(w.text.size())) return false;
      out->text.erase(static_cast<size_t>(w.caret), 1);
      out->caret = w.caret;
    }
    return true;
  }
  if (code == K_cX) {
    if (!has_selection) return false;
    InsertAt(w, "", out);
    return true;
  }
  if (code == K_cV) {
    if (S().clipboard.empty()) return false;
    InsertAt(w, S().clipboard, out);
    return true;
  }
  if (code == K_CR && w.kind == IUP_MULTILINE) {
    InsertAt(w, "\n", out);
    return true;
  }
  if ((code >= 32 && code <= 126) || (code >= 128 && code <= 255)) {
    InsertAt(w, std::string(1, static_cast<char>(code)), out);
    return true;
  }
  return false;
}

bool Fits(const Widget& w, const Edit& edit) {
  return static_cast<int>(edit.text.size()) <= w.max_chars || edit.text.size() <= w.text.size();
}

void Apply(Widget* w, const Edit& edit) {
  w->text = edit.text;
  w->caret = edit.caret;
  w->sel_start = w->sel_end = edit.caret;
}

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
  const int serial = IupGetSerial(e);
  if (w->kind == IUP_TEXT && (code == K_CR || code == K_ESC)) {
    const event::TextOutcome r = event::TextEdit(e, code, w->text);
    if (IupFromSerial(serial) != e || (w = Find(e)) == nullptr) return true;
    if (r.kind == event::TextOutcome::Keep) return false;  // on to the default buttons
    if (r.kind == event::TextOutcome::Replace) {
      Edit edit;
      InsertAt(*w, std::string(1, static_cast<char>(r.replacement)), &edit);
      if (Fits(*w, edit)) Apply(w, edit);
    }
    return true;
  }
  Edit edit;
  if (!Proposed(*w, code, &edit))
    return code != K_TAB && code != K_sTAB && code != K_ESC && code != K_CR;
  if (!Fits(*w, edit)) return true;  // the control refuses: more than "NC"
  const event::TextOutcome r = event::TextEdit(e, code, edit.text);
  if (IupFromSerial(serial) != e || (w = Find(e)) == nullptr) return true;
  switch (r.kind) {
    case event::TextOutcome::Keep:
      Apply(w, edit);
      break;
    case event::TextOutcome::Replace: {
      Edit replaced;
      InsertAt(*w, std::string(1, static_cast<char>(r.replacement)), &replaced);
      if (Fits(*w, replaced)) Apply(w, replaced);
      break;
    }
    default:
      break;  // restored: the old text, caret and selection stay
  }
  return true;
}

}  // namespace

void DeliverKey(int code) {
  IupElement* target = S().focus;
  if (target == nullptr) target = S().active;
  if (target == nullptr || !Reachable(target)) {
    Note("headless: key with no focused element dropped");
    return;
  }
  const int serial = IupGetSerial(target);
  if (event::Key(target, code) != event::KeyOutcome::Pass) return;
  if (IupFromSerial(serial) != target) return;
  const int kind = IupGetKind(target);
  if ((kind == IUP_TEXT || kind == IUP_MULTILINE) && EditKey(target, code)) return;
  if (IupFromSerial(serial) != target) return;
  event::DialogKey(target, code);
}

}  // namespace iup::headless
