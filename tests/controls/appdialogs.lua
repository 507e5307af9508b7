-- MyIupFileDialog and iup_getcolor on the headless toolkit: the file dialog
-- answered from the queue, the colour dialog driven from the idle function
-- while it pops up.
dofile("harness.lua")

-- MyIupFileDialog: a chosen existing file, a new one, a cancel
local f = io.open("exists.txt", "w")
f:write("x")
f:close()
iuptest.answer_file("exists.txt")
local name, status = MyIupFileDialog("YES", "Open a project", "OPEN", "*.txt", "Texts")
check_eq(status, 0, "an existing file: status 0")
check(name ~= nil and name:sub(-#"exists.txt") == "exists.txt", "the chosen name: " .. tostring(name))
check_eq(iuptest.last_message(), "Open a project", "the dialog got its title")
iuptest.answer_file("new.txt")
name, status = MyIupFileDialog("NO", "Save", "SAVE", "*.txt", "Texts")
check_eq(status, 1, "a new file: status 1")
check(name ~= nil and name:sub(-#"new.txt") == "new.txt", "the new name: " .. tostring(name))
iuptest.cancel_file()
name, status = MyIupFileDialog("YES", "Open", "OPEN")
check_eq(name, nil, "cancelled: no name")
check_eq(status, -1, "cancelled: status -1")
iuptest.cancel_file()
name, status = MyIupFileDialog()
check_eq(status, -1, "no arguments at all: a dialog still")

-- iup_getcolor: the idle function plays the user
local plan, at = nil, 0
IupSetIdle(function()
  if plan and iuptest.pending() == 0 then
    at = at + 1
    if plan[at] then plan[at]() end
  end
  return IUP_DEFAULT
end)
local function play(steps)
  plan, at = steps, 0
end
-- the focus moves backwards (Shift+Tab: forwards the preview hands the
-- focus back to the picker) until it reaches the button titled title
local function focus_button(title)
  for _ = 1, 20 do
    local f = iuptest.focused()
    if f and IupGetAttribute(f, "TITLE") == title then return f end
    iuptest.key(K_sTAB)
    iuptest.deliver()
  end
  return nil
end

local picker, dialog_title
play {
  function()
    local active = iuptest.active()
    dialog_title = active and IupGetAttribute(active, "TITLE")
    picker = iuptest.focused()
    -- the ring at the right: hue 0
    iuptest.press(picker, IUP_BUTTON1, 171, 90)
    iuptest.release(picker, IUP_BUTTON1, 171, 90)
  end,
  function()
    local ok = focus_button("OK")
    check(ok ~= nil, "Shift+Tab reaches OK")
    if ok then iuptest.click(ok) else iuptest.closebox(iuptest.active()) end
  end,
}
local confirmed, r, g, b = iup_getcolor(0, 0, 255)
check_eq(dialog_title, "Color Selection", "the colour dialog pops up")
check_eq(IupGetAttribute(picker, "RASTERSIZE"), "181x181", "the picker has the focus first")
check_eq(confirmed, 1, "OK: 1")
check_eq(r, 255, "hue 0 on blue's lightness and saturation: red")
check_eq(g, 0, "green")
check_eq(b, 0, "blue")

-- closed by its close box: -1, the colour as given, each reduced to 8 bits
play { function() iuptest.closebox(iuptest.active()) end }
confirmed, r, g, b = iup_getcolor(300, -1, 12.9)
check_eq(confirmed, -1, "closed: -1")
check_eq(r, 44, "300 reduced to 8 bits")
check_eq(g, 255, "-1 reduced to 8 bits")
check_eq(b, 12, "12.9 truncated")

-- Cancel: -1
play { function()
  local cancel = focus_button("Cancel")
  if cancel then iuptest.click(cancel) else iuptest.closebox(iuptest.active()) end
end }
confirmed, r, g, b = iup_getcolor(1, 2, 3)
check_eq(confirmed, -1, "Cancel: -1")
check_eq(r + g + b, 6, "Cancel: the colour unchanged")
-- missing arguments read as 0
play { function()
  local ok = focus_button("OK")
  if ok then iuptest.click(ok) else iuptest.closebox(iuptest.active()) end
end }
confirmed, r, g, b = iup_getcolor()
check_eq(confirmed, 1, "no arguments: the dialog on black")
check_eq(r + g + b, 0, "black back")
-- neither function checks its arguments: what is not a number reads as 0,
-- a number given for a text reads as its text
play { function() iuptest.closebox(iuptest.active()) end }
confirmed, r, g, b = iup_getcolor("12", {}, true)
check_eq(confirmed, -1, "odd arguments: the dialog still runs")
check_eq(r, 12, "a numeric text reads as its number")
check_eq(g + b, 0, "a table and a boolean read as 0")
iuptest.cancel_file()
name, status = MyIupFileDialog({}, 5, true)
check_eq(iuptest.last_message(), "5", "a number as the title reads as its text")
check_eq(status, -1, "odd arguments: cancelled as asked")
IupSetIdle(nil)
finish()
