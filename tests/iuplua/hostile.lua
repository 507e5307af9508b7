-- Sizes and counts at the ends of int given to the toolkit: each call ends
-- at once and the dialogs still lay out; the sanitizer build checks that no
-- int arithmetic overflows on the way.
dofile("harness.lua")

local button = IupCreateButton("b", "act")
local dialog = IupCreateDialog(IupCreateVbox(button))
for _, case in ipairs({
  {"RASTERSIZE", "2147483647x2147483647"}, {"RASTERSIZE", "-2147483648x-2147483648"},
  {"SIZE", "2147483647x2147483647"}, {"MARGIN", "2147483647x2147483647"}, {"GAP", "2147483647"},
}) do
  IupSetAttribute(dialog, case[1], case[2])
  IupShow(dialog)
  local w, h = (IupGetAttribute(dialog, "RASTERSIZE") or ""):match("^(-?%d+)x(-?%d+)$")
  check(w ~= nil and math.abs(tonumber(w)) <= 32767 and math.abs(tonumber(h)) <= 32767,
        case[1] .. " " .. case[2] .. ": the dialog's size is held in 16-bit range")
  IupHide(dialog)
  IupSetAttribute(dialog, case[1], nil)
end
IupSetAttribute(button, "RASTERSIZE", "2147483647x2147483647")
IupSetAttribute(button, "SIZE", "2147483647x10")
IupShow(dialog)
check(tonumber((IupGetAttribute(button, "RASTERSIZE") or ""):match("^(%d+)x")) ~= nil, "a huge button lays out")
IupHide(dialog)

-- A list dialog asked for 2^63 lines of 2^31 columns: the close box cancels it.
IupSetIdle(function() iuptest.closebox(IupGetDialog(IupGetHandle("IupListOkButton"))) end)
check_eq(IupListDialog(2, "Pick", 3, {"a", "b", "c"}, 1, 2 ^ 31, -2 ^ 63, {0, 1, 0}), -1, "a list of int-end sizes")
check_eq(IupListDialog(1, "Pick", 3, {"a", "b", "c"}, 1, -2 ^ 31, 2 ^ 31, {0, 1, 0}), -1, "and single choice")
IupSetIdle(nil)
finish()
