-- Print and Copy map without a display: each says why nothing happened,
-- through its menu item and its key, and the session goes on; the menus
-- show the keys. Ctrl+Shift+S and Ctrl+S.
dofile("harness.lua")
VarkoDir = "sample"
dofile("sample/varko.lua")
local VarkoUI, VarkoMap = require("varko_ui"), require("varko_map")
local VarkoOutput = require("varko_output")

check(not VarkoOutput.hasDisplay(), "the headless toolkit has no display")
local cases = {
  -- what, how it is asked for, the message
  { "Print from the menu", function() VarkoUI.run("Print...") end,
    "Print: Not printed: there is no printer without a display." },
  { "Ctrl+P", function() iuptest.focus(canvas); iuptest.key(K_cP); iuptest.deliver() end,
    "Print: Not printed: there is no printer without a display." },
  { "Copy map from the menu", function() VarkoUI.run("Copy map") end,
    "Copy map: Not copied: there is no clipboard without a display." },
  { "Ctrl+C", function() iuptest.focus(canvas); iuptest.key(K_cC); iuptest.deliver() end,
    "Copy map: Not copied: there is no clipboard without a display." },
}
for _, case in ipairs(cases) do
  local what, ask, message = table.unpack(case)
  local before = VarkoMap.state()
  ask()
  check_eq(iuptest.last_message(), message, what .. ": says why")
  check_eq(VarkoMap.state().zoom, before.zoom, what .. ": the view stays")
end
check(not VarkoUI.modified, "neither changes the project")
check_eq(IupGetAttribute(VarkoUI.items["Print..."], "TITLE") .. "|" .. IupGetAttribute(VarkoUI.items["Copy map"], "TITLE"),
         "Print...\tCtrl+P|Copy map\tCtrl+C", "the menus show the keys")
-- Ctrl+Shift+S saves under a new name, Ctrl+S under the current one (a
-- Ctrl+Shift+letter has the Ctrl letter's code; the Shift is told apart)
local save_cases = {
  -- modifiers held, file answered in the dialog (nil: none is asked), file name after
  { "SC ", "copy.vrk", "copy.vrk" },
  { "C  ", nil, "copy.vrk" },
}
for _, case in ipairs(save_cases) do
  local held, answer, after = table.unpack(case)
  VarkoUI.setModified(true)
  os.remove(after)
  if answer then iuptest.answer_file(answer) end
  iuptest.focus(canvas)
  iuptest.key(K_cS, held)
  iuptest.deliver()
  check_eq(VarkoUI.filename, after, "[" .. held .. "]+S: the project's file")
  check(io.open(after, "r") ~= nil, "[" .. held .. "]+S: written")
  check(not VarkoUI.modified, "[" .. held .. "]+S: saved")
end
check_eq(IupGetAttribute(VarkoUI.items["Save project as..."], "TITLE"), "Save project as...\tCtrl+Shift+S",
         "the menu shows Ctrl+Shift+S")
-- the export the two draw still works after them
check(VarkoMap.export("after.png", "PNG"), "the export works after the refusals")
IupHide(VarkoUI.dialog)
finish()
