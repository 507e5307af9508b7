// Typing in edit controls, the one routine every driver runs: the change a
// key makes, the "NC" limit, and the text-edit protocol, under which the
// "ACTION" of a TEXT or MULTILINE sees the text as it will be while "VALUE"
// still reads the old one, and its answer keeps, rejects or replaces the
// change.
#include "iupcore.h"
#include "iupkey.h"
#include "nativemask.h"

namespace iup::event {

TextOutcome TextEdit(IupElement* text, int key, const std::string& after) {
  TextOutcome outcome;
  if (text == nullptr) return outcome;
  IupCallback cb = FindCallback(text, "ACTION");
  if (cb == nullptr) return outcome;
  const int serial = text->serial;
  std::string copy = after;
  const int r = As<IupTextCallback>(cb)(text, key, copy.data());
  if (r == IUP_DEFAULT) return outcome;
  if (r == IUP_CLOSE) {
    outcome.kind = TextOutcome::Closed;
    CloseProcedure(IsAlive(serial, text) ? text : nullptr);
    return outcome;
  }
  // a replacement must be a character; IUP_IGNORE, IUP_CONTINUE and any
  // other code that is not one only reject the change
  if (r >= 1 && r <= 255) {
    outcome.kind = TextOutcome::Replace;
    outcome.replacement = r;
    return outcome;
  }
  outcome.kind = TextOutcome::Restore;
  return outcome;
}

namespace {

// The selection replaced by insert, the caret after it.
EditState Replaced(const EditState& s, const std::string& insert) {
  EditState out = s;
  out.text.erase(static_cast<size_t>(s.start), static_cast<size_t>(s.end - s.start));
  out.text.insert(static_cast<size_t>(s.start), insert);
  out.caret = out.start = out.end = s.start + static_cast<int>(insert.size());
  return out;
}

// The change a key makes, or false when the key does not edit.
bool Proposed(int kind, const EditState& s, int code, EditControl& control, EditState* out) {
  const bool selection = s.start != s.end;
  if (code == K_BS || code == K_DEL) {
    if (selection) {
      *out = Replaced(s, "");
      return true;
    }
    *out = s;
    if (code == K_BS) {
      if (s.caret == 0) return false;
      out->text.erase(static_cast<size_t>(s.caret - 1), 1);
      out->caret = s.caret - 1;
    } else {
      if (s.caret >= static_cast<int>(s.text.size())) return false;
      out->text.erase(static_cast<size_t>(s.caret), 1);
    }
    out->start = out->end = out->caret;
    return true;
  }
  if (code == K_cX) {
    if (!selection) return false;
    control.CutText(
        s.text.substr(static_cast<size_t>(s.start), static_cast<size_t>(s.end - s.start)));
    *out = Replaced(s, "");
    return true;
  }
  if (code == K_cV) {
    const std::string paste = control.PasteText();
    if (paste.empty()) return false;
    *out = Replaced(s, paste);
    return true;
  }
  if (code == K_CR && kind == IUP_MULTILINE) {
    *out = Replaced(s, "\n");
    return true;
  }
  if (code >= 32 && code <= 255 && code != 127) {
    *out = Replaced(s, std::string(1, static_cast<char>(code)));
    return true;
  }
  return false;
}

// A control refuses to grow beyond "NC"; shrinking is always allowed.
bool Fits(EditControl& control, const EditState& before, const EditState& after) {
  return static_cast<int>(after.text.size()) <= control.MaxChars() ||
         after.text.size() <= before.text.size();
}

// Shows the replacement character in place of the change, if it fits.
void ShowReplacement(EditControl& control, const EditState& before, int replacement) {
  const EditState replaced = Replaced(before, std::string(1, static_cast<char>(replacement)));
  if (Fits(control, before, replaced)) control.Show(replaced);
}

}  // namespace

EditKeyOutcome EditKey(IupElement* edit, const EditState& before, int key, EditControl& control) {
  const int kind = edit->kind;
  const int serial = edit->serial;
  if (kind == IUP_TEXT && (key == K_CR || key == K_ESC)) {
    const TextOutcome r = TextEdit(edit, key, before.text);
    if (!IsAlive(serial, edit)) return EditKeyOutcome::Consumed;
    if (r.kind == TextOutcome::Keep) return EditKeyOutcome::Passed;
    if (r.kind == TextOutcome::Replace) ShowReplacement(control, before, r.replacement);
    return EditKeyOutcome::Consumed;
  }
  EditState after;
  if (!Proposed(kind, before, key, control, &after)) return EditKeyOutcome::NotAnEdit;
  if (!Fits(control, before, after)) return EditKeyOutcome::Consumed;  // more than "NC": refused
  const TextOutcome r = TextEdit(edit, key, after.text);
  if (!IsAlive(serial, edit)) return EditKeyOutcome::Consumed;
  switch (r.kind) {
    case TextOutcome::Keep: {
      // a TEXT's "MASK" takes back a change that leaves no match
      bool reached_match = false;
      if (kind == IUP_TEXT && !nativemask::Edited(edit, key, &after, &reached_match)) break;
      control.Show(after);
      if (reached_match && IsAlive(serial, edit))
        if (IupCallback cb = FindCallback(edit, "MASK_CB")) As<IupCallbackI>(cb)(edit, 1);
      break;
    }
    case TextOutcome::Replace:
      ShowReplacement(control, before, r.replacement);
      break;
    default:
      break;  // restored: nothing was changed
  }
  return EditKeyOutcome::Consumed;
}

}  // namespace iup::event
