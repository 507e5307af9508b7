-- Editing a weight in the themes table on GTK in Xvfb, with real input
-- (xdotool): a key opens Themes -> "Edit in a table...", the arrow keys
-- reach a class's weight cell, a typed weight and Enter edit it, a click on
-- OK takes it into the project, and Ctrl+Z on the map puts it back.
dofile("harness.lua")
dofile("xinput.lua")
VarkoDir = "sample"
dofile("sample/varko.lua")
local VarkoUI, VarkoActions = require("varko_ui"), require("varko_actions")
local VarkoTable = require("varko_table")
local p = Varko.Project
local class = p.Themes[1].Classes[1]
local old_weight = class.weight
check(old_weight ~= 7, "the sample's first class does not weigh 7 yet")

-- a key for the menu item, as the user's shortcut would be
VarkoUI.shortcuts[K_cT] = "Edit in a table..."

local function number(name, element) return tonumber(IupGetAttribute(element, name)) or 0 end
local win, table_win
local edited_as -- the undo step the table made, seen before Ctrl+Z
local after = xinput.after
local function click_map()
  xinput.run(string.format("mousemove %d %d click 1", number("X", canvas) + 20, number("Y", canvas) + 20))
end
local steps = {
  { what = "main window", action = function()
    win = xinput.window("Varko - sample.vrk")
    check(win ~= nil, "main window found")
  end, done = after(1) },
  { what = "the map takes the focus", action = click_map, done = after(1) },
  { what = "Ctrl+T opens the table", retry = 3, action = function() xinput.run("key ctrl+t") end,
    done = function() return VarkoTable.current ~= nil end },
  { what = "the table's window", action = function()
    table_win = xinput.window(VarkoTable.TITLE)
    check(table_win ~= nil, "the table's window is shown")
    -- the first cell; the keys are typed for real
    IupSetAttribute(VarkoTable.current.matrix, "FOCUS_CELL", "1:1")
    IupSetFocus(VarkoTable.current.matrix)
  end, done = after(1) },
  { what = "a weight typed into the first class's line", action = function()
    if table_win then xinput.run("windowactivate --sync " .. table_win) end
    xinput.run("key Down Right")
    xinput.run("type 7")
    xinput.run("key Return")
  end, done = function()
    return VarkoTable.current ~= nil and IupGetAttribute(VarkoTable.current.matrix, "2:2") == "7"
  end },
  { what = "OK takes the table", retry = 3, action = function()
    local t = VarkoTable.current
    if not (t and table_win) then return end
    xinput.click(table_win, number("X", t.ok) - number("X", t.dialog) + 12,
                 number("Y", t.ok) - number("Y", t.dialog) + 8)
  end, done = function() return VarkoTable.current == nil end },
  { what = "the map takes the focus again", action = click_map, done = after(1) },
  { what = "Ctrl+Z puts the weight back", retry = 3, action = function()
    if class.weight == 7 and #VarkoActions.undoStack >= 1 then
      edited_as = VarkoActions.undoStack[#VarkoActions.undoStack].what
    end
    xinput.run("key ctrl+z")
  end, done = function() return Varko.Project.Themes[1].Classes[1].weight == old_weight end },
}

xinput.steps(steps, function()
  check_eq(edited_as, "Edit in a table", "OK made the weight 7 as one undo step")
  check_eq(Varko.Project.Themes[1].Classes[1].weight, old_weight, "Ctrl+Z put the weight back")
  check_eq(#VarkoActions.redoStack, 1, "the table's edit can be redone")
  VarkoActions.redo()
  check_eq(Varko.Project.Themes[1].Classes[1].weight, 7, "and redone it is 7 again")
  IupHide(VarkoUI.dialog)
  finish()
end)
