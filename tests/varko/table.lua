-- Themes -> "Edit in a table...", typed into while it is up: a table of
-- edits gives the project's new values as one undo step (undo restores
-- every one, redo brings them back); the weight cells' masks refuse
-- keystrokes; a bad cell is named in a message and the table stays open;
-- Cancel, Esc and the close box change nothing.
dofile("harness.lua")
VarkoDir = "sample"
dofile("sample/varko.lua")
local VarkoUI, VarkoActions, VarkoFile = require("varko_ui"), require("varko_actions"), require("varko_file")
local VarkoProject, VarkoTable = require("varko_project"), require("varko_table")
local NAME, WEIGHT, IMPASSABLE, COLOUR = VarkoTable.NAME, VarkoTable.WEIGHT, VarkoTable.IMPASSABLE, VarkoTable.COLOUR

-- Runs the table while the idle function performs one step each time the
-- queued input has been delivered.
local function during(steps)
  local i = 0
  IupSetIdle(function()
    if iuptest.pending() == 0 then
      i = i + 1
      if steps[i] then steps[i]() end
    end
    return IUP_DEFAULT
  end)
  VarkoUI.run("Edit in a table...")
  IupSetIdle(nil)
  return i > #steps
end
local function matrix() return VarkoTable.current.matrix end
local function cell(line, col) return IupGetAttribute(matrix(), line .. ":" .. col) end
-- steps that type text into a cell (the first key starts editing) and end
-- the edit with Enter
local function typing(steps, line, col, text)
  steps[#steps + 1] = function()
    iuptest.focus(matrix())
    IupSetAttribute(matrix(), "FOCUS_CELL", line .. ":" .. col)
    iuptest.type(text)
  end
  steps[#steps + 1] = function() iuptest.key(K_CR) end
end
local function press(name) return function() iuptest.click(VarkoTable.current[name]) end end

-- the sample, with one impassable class to make passable (not recorded)
local p = Varko.Project
local theme = p.Themes[1]
check(#theme.Classes >= 3, "the sample's first theme has three classes")
theme.Classes[3].weight = VarkoProject.IMPASSABLE
VarkoActions.undoStack, VarkoActions.redoStack = {}, {}
VarkoUI.setModified(false)
-- weights up to 100 here (the sample allows up to 100000, impassable)
p.WeightLimits = { minWeight = 0, maxWeight = 100 }
local limits = p.WeightLimits
-- lines: 1 the first theme, 2.. its classes
local class_line = function(k) return 1 + k end
local function what(k) return "Class " .. theme.Classes[k].colorindex .. " of " .. theme.name end

-- closed or cancelled after edits: nothing changes
local original = VarkoFile.text(p)
local closings = {
  { "Cancel", press("cancel") },
  { "Esc while moving about", function() iuptest.key(K_ESC) end },
  { "the close box", function() iuptest.closebox(VarkoTable.current.dialog) end },
}
for _, case in ipairs(closings) do
  local name, close = table.unpack(case)
  local steps = {}
  typing(steps, class_line(1), WEIGHT, "42")
  typing(steps, 1, NAME, "Nothing")
  steps[#steps + 1] = function() check_eq(cell(class_line(1), WEIGHT), "42", name .. ": typed into the table") end
  steps[#steps + 1] = close
  during(steps)
  check_eq(VarkoTable.current, nil, name .. ": the table is closed")
  check_eq(VarkoFile.text(Varko.Project), original, name .. ": the project is as it was")
  check(not VarkoUI.modified, name .. ": not marked changed")
  check_eq(#VarkoActions.undoStack, 0, name .. ": nothing to undo")
end

-- keystrokes the weight cells' masks refuse (limits 0 to 100), and the
-- impassable cell's "Yes"/"No"
local keystrokes = {
  -- typed, the cell's text after Enter
  { "1a2", "12" }, { "-5", "5" }, { "150", "15" }, { "2.5.1", "2.51" }, { "1e3", "13" }, { "100.5", "100." },
  { ".25", ".25" }, { "99.75", "99.75" },
}
check_eq(limits.minWeight .. " " .. limits.maxWeight, "0 100", "the sample's weight limits")
for _, case in ipairs(keystrokes) do
  local typed, expected = table.unpack(case)
  local got
  local steps = {}
  typing(steps, class_line(1), WEIGHT, typed)
  steps[#steps + 1] = function() got = cell(class_line(1), WEIGHT) end
  steps[#steps + 1] = press("cancel")
  during(steps)
  check_eq(got, expected, "typing " .. typed .. " into a weight")
end
local flags = { { "n", "n" }, { "yq", "y" }, { "Nx", "N" }, { "noo", "no" }, { "yes!", "yes" } }
for _, case in ipairs(flags) do
  local typed, expected = table.unpack(case)
  local got
  local steps = {}
  typing(steps, class_line(1), IMPASSABLE, typed)
  steps[#steps + 1] = function() got = cell(class_line(1), IMPASSABLE) end
  steps[#steps + 1] = press("cancel")
  during(steps)
  check_eq(got, expected, "typing " .. typed .. " into the impassable flag")
end
-- a theme's line has no flag and no colour: keys there open nothing
for _, col in ipairs { IMPASSABLE, COLOUR } do
  local got, active
  local steps = {}
  typing(steps, 1, col, "y")
  steps[#steps + 1] = function()
    got, active = cell(1, col) or "", IupGetAttribute(iuptest.active(), "TITLE")
    iuptest.click(VarkoTable.current.cancel)
  end
  during(steps)
  check_eq(got, "", "a theme's line takes nothing in column " .. col)
  check_eq(active, VarkoTable.TITLE, "no dialog opened from a theme's column " .. col)
end
-- a double click on a class's colour cell opens the colour dialog; closing
-- it keeps the cell as it was
do
  local opened, before, after_close
  during {
    function()
      local m = matrix()
      local function size(name) return tonumber(IupGetAttribute(m, name)) or 0 end
      local x = size("WIDTH0") + size("WIDTH1") + size("WIDTH2") + size("WIDTH3") + size("WIDTH4") // 2
      local y = size("HEIGHT0") + size("HEIGHT1") + size("HEIGHT2") // 2
      before = cell(class_line(1), COLOUR) or ""
      iuptest.doubleclick(m, IUP_BUTTON1, x, y)
    end,
    function()
      opened = IupGetAttribute(iuptest.active(), "TITLE")
      if opened ~= VarkoTable.TITLE then iuptest.closebox(iuptest.active()) end
    end,
    function()
      after_close = cell(class_line(1), COLOUR) or ""
      iuptest.click(VarkoTable.current.cancel)
    end,
  }
  check(opened ~= nil and opened ~= VarkoTable.TITLE, "a double click on a colour cell opened " .. tostring(opened))
  check_eq(after_close, before, "the colour dialog closed: the cell is as it was")
end
check_eq(VarkoFile.text(Varko.Project), original, "the keystroke cases changed nothing")

-- bad cells are named, the table stays open on them, nothing changes
local refusals = {
  -- what, cell (line, column), the text put there, message after "Line n (...), "
  { "a weight below the lowest", class_line(1), WEIGHT, "0.5",
    "Weight: the weight must lie between 1 and 100 (the weight limits).", function() limits.minWeight = 1 end },
  { "an emptied theme weight", 1, WEIGHT, "", 'Weight: "" is not a number.' },
  { "a theme without a name", 1, NAME, "  ", "Name: a theme needs a name." },
  { "an emptied class weight", class_line(1), WEIGHT, "", 'Weight: "" is not a number.' },
  { "a flag that is neither", class_line(2), IMPASSABLE, "maybe", 'Impassable: write "Yes" or "No".' },
  { "an emptied flag", class_line(2), IMPASSABLE, "", 'Impassable: write "Yes" or "No".' },
  { "a passable class of the impassable weight", class_line(1), WEIGHT, "100000",
    'Weight: a passable class weighs less than 100000: set "Impassable" to "Yes" instead.',
    function() limits.maxWeight = 100000 end },
  { "a weight typed on an impassable line", class_line(3), WEIGHT, "5",
    'Weight: an impassable class takes no weight: set "Impassable" to "No".' },
  { "a passable class left without weight", class_line(3), IMPASSABLE, "No",
    "Weight: a passable class needs a weight.", nil, WEIGHT },
  { "a colour out of range", class_line(2), COLOUR, "300 0 0", 'Colour: a colour is written "r g b", each from 0 to 255.' },
}
for _, case in ipairs(refusals) do
  local name, line, col, text, message, prepare, focus_col = table.unpack(case, 1, 7)
  if prepare then prepare() end
  iuptest.reset()
  local open_after, focus_after
  during {
    function()
      -- the text is put straight into the cell: the masks would refuse it
      IupSetAttribute(matrix(), line .. ":" .. col, text)
      iuptest.click(VarkoTable.current.ok)
    end,
    function()
      open_after = VarkoTable.current ~= nil
      focus_after = open_after and IupGetAttribute(matrix(), "FOCUS_CELL")
      if open_after then iuptest.click(VarkoTable.current.cancel) end
    end,
  }
  local row = line == 1 and ("Theme " .. theme.name) or what(line - 1)
  check_eq(iuptest.last_message(), "Edit in a table: Line " .. line .. " (" .. row .. "), " .. message, name)
  check(open_after, name .. ": the table stays open")
  check_eq(focus_after, line .. ":" .. (focus_col or col), name .. ": the bad cell has the focus")
  limits.minWeight, limits.maxWeight = 0, 100
  check_eq(VarkoFile.text(Varko.Project), original, name .. ": nothing changed")
end

-- a table of edits, confirmed with OK
local edits = {
  -- line, column, typed, then the project's value that must follow
  { 1, NAME, "Terrain", function() return theme.name end, "Terrain" },
  { 1, WEIGHT, "3", function() return theme.weight end, 3 },
  { class_line(1), WEIGHT, "7.5", function() return theme.Classes[1].weight end, 7.5 },
  { class_line(1), NAME, "Meadow", function() return theme.Classes[1].description end, "Meadow" },
  { class_line(2), IMPASSABLE, "y", function() return theme.Classes[2].weight end, VarkoProject.IMPASSABLE },
  { class_line(3), IMPASSABLE, "n", function() return VarkoProject.isImpassable(theme.Classes[3]) end, false },
  { class_line(3), WEIGHT, "12", function() return theme.Classes[3].weight end, 12 },
}
local old_colour = theme.Classes[1].colour
local steps = {}
for _, edit in ipairs(edits) do typing(steps, edit[1], edit[2], edit[3]) end
-- a key on a colour cell opens the colour dialog: a hue on its ring, then OK
local picked_title, swatch
steps[#steps + 1] = function()
  IupSetAttribute(matrix(), "FOCUS_CELL", class_line(1) .. ":" .. COLOUR)
  iuptest.key(K_SP)
end
steps[#steps + 1] = function()
  picked_title = IupGetAttribute(iuptest.active(), "TITLE")
  local picker
  for _ = 1, 20 do
    local f = iuptest.focused()
    if f and IupGetAttribute(f, "RASTERSIZE") == "181x181" then picker = f break end
    iuptest.key(K_sTAB)
    iuptest.deliver()
  end
  check(picker ~= nil, "the colour dialog's picker")
  if picker then
    iuptest.press(picker, IUP_BUTTON1, 171, 90)
    iuptest.release(picker, IUP_BUTTON1, 171, 90)
  end
end
steps[#steps + 1] = function()
  for _ = 1, 20 do
    local f = iuptest.focused()
    if f and IupGetAttribute(f, "TITLE") == "OK" then iuptest.click(f) return end
    iuptest.key(K_sTAB)
    iuptest.deliver()
  end
  iuptest.closebox(iuptest.active())
end
steps[#steps + 1] = function()
  swatch = IupGetAttribute(matrix(), "BGCOLOR" .. class_line(1) .. ":" .. COLOUR)
  iuptest.click(VarkoTable.current.ok)
end
check(during(steps), "every step of the edits ran")
check(picked_title ~= VarkoTable.TITLE, "a key on the colour cell opened the colour dialog")
local edited = VarkoFile.text(Varko.Project)
for n, edit in ipairs(edits) do check_eq(edit[4](), edit[5], "edit " .. n .. " taken over") end
local colour = theme.Classes[1].colour
check(colour ~= old_colour and colour ~= nil and colour:match("^%d+ %d+ %d+$") ~= nil,
      "the picked colour is the class's: " .. tostring(colour))
check_eq(swatch, colour, "the colour cell shows the picked colour")
check_eq(#VarkoActions.undoStack, 1, "all the edits are one undo step")
check(VarkoUI.modified, "the project is marked changed")

-- one undo restores every edit, one redo brings them all back
check(VarkoActions.undo(), "undone")
check_eq(VarkoFile.text(Varko.Project), original, "one undo restores every edit")
check(VarkoActions.redo(), "redone")
check_eq(VarkoFile.text(Varko.Project), edited, "one redo brings every edit back")

-- OK on an unchanged table records nothing
during { press("ok") }
check_eq(#VarkoActions.undoStack, 1, "an unchanged table adds no undo step")
check_eq(VarkoFile.text(Varko.Project), edited, "and changes nothing")
IupHide(VarkoUI.dialog)
finish()
