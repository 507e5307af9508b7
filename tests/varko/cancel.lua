-- The combined theme cancelled in its gauge dialog, in the application: the
-- map keeps the combined theme it had, a message says so, and the next
-- request makes it anew from the edited weights.
dofile("harness.lua")
VarkoDir = "sample"
dofile("sample/varko.lua")
local VarkoUI, VarkoRoutes = require("varko_ui"), require("varko_routes")
local VarkoActions = require("varko_actions")
local p = Varko.Project

local function during(step, fn)
  local done = false
  IupSetIdle(function()
    local active = iuptest.active()
    if not done and active and IupGetAttribute(active, "TITLE") == "Generating Combined Theme" then
      done = true
      step(active)
      iuptest.deliver()
    end
  end)
  local a, b = fn()
  IupSetIdle(nil)
  return done, a, b
end

check(VarkoRoutes.combinedValid, "the sample opens with its combined theme")
local before = p.CombinedTheme
local range = before.minValue .. " " .. before.maxValue
local first = before.Image.imagemap[0]
-- a weight edited: the combined theme is out of date
p.Themes[1].weight = p.Themes[1].weight * 3
VarkoActions.changed()
check(not VarkoRoutes.combinedValid, "an edit marks the combined theme out of date")

local cases = {
  { "Esc", function() iuptest.esc() end },
  { "the Cancel button", function() iuptest.click(IupGetHandle("VarkoGaugeCancel")) end },
}
for _, case in ipairs(cases) do
  local what, cancel = table.unpack(case)
  local shown, ok, problem = during(cancel, VarkoRoutes.generateCombined)
  check(shown, what .. ": the gauge dialog was shown")
  check_eq(ok, nil, what .. ": no combined theme")
  check_eq(problem, "The combined theme was cancelled; the project is as it was.", what .. ": says why")
  check(Varko.Project.CombinedTheme == before, what .. ": the project keeps its combined theme table")
  check_eq(before.minValue .. " " .. before.maxValue, range, what .. ": with its range")
  check_eq(before.Image.imagemap[0], first, what .. ": and its pixels")
  check(not VarkoRoutes.combinedValid, what .. ": still out of date")
end
-- shown on the map, the cancel is reported
local shown = during(function() iuptest.esc() end, function() VarkoUI.selectTheme(0) end)
check(shown, "the map asked for the combined theme")
check_eq(iuptest.last_message(), "Combined theme: The combined theme was cancelled; the project is as it was.",
         "the map's request tells the user")
-- uncancelled, it is made from the edited weight
check(VarkoRoutes.generateCombined(), "made when not cancelled")
check(VarkoRoutes.combinedValid and Varko.Project.CombinedTheme ~= before, "a new combined theme")
check(Varko.Project.CombinedTheme.maxValue ~= before.maxValue, "from the edited weight")
IupHide(VarkoUI.dialog)
finish()
