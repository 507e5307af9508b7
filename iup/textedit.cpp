// The text-edit protocol: the "ACTION" of a TEXT or MULTILINE sees the text
// as it will be while "VALUE" still reads the old one, and its answer
// keeps, rejects or replaces the change.
#include "iupcore.h"

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

}  // namespace iup::event
