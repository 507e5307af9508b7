-- Class colours through the colour dialog: cancelled nothing changes; a
-- colour chosen is the class's, shown in the palette the map and legend
-- use, undone and redone, saved and read back; a bad colour in a project
-- file is passed over.
dofile("harness.lua")
VarkoDir = "sample"
dofile("sample/varko.lua")
local VarkoUI, VarkoActions, VarkoFile = require("varko_ui"), require("varko_actions"), require("varko_file")
local VarkoColours = require("varko_colours")
local p = Varko.Project

-- the idle function plays the user in the colour dialog
local plan, at = nil, 0
IupSetIdle(function()
  if plan and iuptest.pending() == 0 then
    at = at + 1
    if plan[at] then plan[at]() end
  end
  return IUP_DEFAULT
end)
-- Shift+Tab until the focus is on the element that attribute name has value
local function focus_on(name, value)
  for _ = 1, 20 do
    local f = iuptest.focused()
    if f and IupGetAttribute(f, name) == value then return f end
    iuptest.key(K_sTAB)
    iuptest.deliver()
  end
  return nil
end
local function focus_button(title) return focus_on("TITLE", title) end
local function palette_colour(t, v)
  local r, g, b = cdDecodeColor(Varko.Project.Themes[t].Image.palette[v])
  return string.format("%d %d %d", r, g, b)
end

VarkoUI.selectTheme(1)
VarkoUI.class = 1
local class = p.Themes[1].Classes[1]
local v = class.colorindex
local file_colour = palette_colour(1, v)

-- closed or cancelled: nothing changes
local closings = {
  { "the close box", function() iuptest.closebox(iuptest.active()) end },
  { "Cancel", function()
    local cancel = focus_button("Cancel")
    if cancel then iuptest.click(cancel) else iuptest.closebox(iuptest.active()) end
  end },
}
for _, case in ipairs(closings) do
  local what, close = table.unpack(case)
  plan, at = { close }, 0
  VarkoUI.run("Class colour...")
  check_eq(class.colour, nil, what .. ": no colour given")
  check(not VarkoUI.modified, what .. ": the project is unchanged")
  check_eq(#VarkoActions.undoStack, 0, what .. ": nothing to undo")
end

-- a hue picked on the ring, then OK
local title
plan, at = {
  function()
    title = IupGetAttribute(iuptest.active(), "TITLE")
    -- the picker, 181 pixels square; the ring at its right is hue 0
    local picker = focus_on("RASTERSIZE", "181x181")
    if not picker then return end
    iuptest.press(picker, IUP_BUTTON1, 171, 90)
    iuptest.release(picker, IUP_BUTTON1, 171, 90)
  end,
  function()
    local ok = focus_button("OK")
    if ok then iuptest.click(ok) else iuptest.closebox(iuptest.active()) end
  end,
}, 0
VarkoUI.run("Class colour...")
plan = nil
check_eq(title, "Color Selection", "the colour dialog was shown")
check(VarkoColours.parse(class.colour) ~= nil, "the class has a colour: " .. tostring(class.colour))
check(class.colour ~= file_colour, "another colour than the file's: " .. file_colour)
check_eq(palette_colour(1, v), class.colour, "the palette shows it")
check(VarkoUI.modified, "the project is changed")
local chosen = class.colour

-- undo puts the file's colour back, redo the chosen one
VarkoActions.undo()
check_eq(Varko.Project.Themes[1].Classes[1].colour, nil, "undo: no colour")
check_eq(palette_colour(1, v), file_colour, "undo: the file's colour is back in the palette")
VarkoActions.redo()
check_eq(Varko.Project.Themes[1].Classes[1].colour, chosen, "redo: the colour again")
check_eq(palette_colour(1, v), chosen, "redo: in the palette")

-- saved and read back
check(VarkoActions.saveFile("coloured.vrk"), "saved")
check(VarkoActions.openFile("coloured.vrk"), "reopened")
check_eq(Varko.Project.Themes[1].Classes[1].colour, chosen, "the colour is read back")
check_eq(palette_colour(1, v), chosen, "and laid over the palette at load")

-- a project file's bad colours are passed over
local bad = { "300 0 0", "red", "1 2", 7, "-1 0 0" }
for _, value in ipairs(bad) do
  check_eq(VarkoColours.parse(value), nil, "not a colour: " .. tostring(value))
end
Varko.Project.Themes[1].Classes[1].colour = "red"
VarkoUI.showMap()
check_eq(palette_colour(1, v), file_colour, "a bad colour leaves the file's")
IupSetIdle(nil)
IupHide(VarkoUI.dialog)
finish()
