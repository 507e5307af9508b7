-- The map at rest on the GTK driver in Xvfb: once the sample is shown and
-- nothing changes, the map's repaint must not queue another repaint, alone
-- or beside the route's profile window (two canvases activated in turn by
-- their repaints used to repaint each other about a hundred times a second,
-- starving the idle function).
dofile("harness.lua")
dofile("xinput.lua")
VarkoDir = "sample"
dofile("sample/varko.lua")
-- the script's modules, under the names this test uses
VarkoUI, VarkoActions, VarkoRoutes, VarkoMap = require("varko_ui"), require("varko_actions"), require("varko_routes"),
                                               require("varko_map")
VarkoProject, VarkoFile, VarkoForms = require("varko_project"), require("varko_file"), require("varko_forms")

local session_points = { { x = 150, y = 450 }, { x = 420, y = 660 } }
local object = tab_handle[canvas]
local repaints = 0
local action = object.action
object.action = function(...)
  repaints = repaints + 1
  return action(...)
end

local win
local at_rest, beside_profile, idle_calls = nil, nil, 0

-- Counts the map's repaints and the idle calls for three seconds.
local function rest(what, keep)
  local from
  return { what = what, action = function() repaints, idle_calls, from = 0, 0, os.time() end,
           done = function()
             idle_calls = idle_calls + 1
             if os.time() - from < 3 then return false end
             keep(repaints, idle_calls)
             return true
           end }
end
local steps = {
  { what = "main window", action = function() win = xinput.window("Varko - sample.vrk") end,
    done = function() return win ~= nil end },
  { what = "the window settles", done = xinput.after(2) },
  rest("the map at rest", function(n, idle)
    at_rest = n
    check(idle > 10, "the idle function runs while the map rests")
  end),
  { what = "a route and its profile", action = function()
      check(VarkoRoutes.newRoute(session_points), "a route is found")
      VarkoUI.selectPath(1)
      VarkoActions.profileRoute()
    end, done = xinput.after(2) },
  rest("the map beside the profile", function(n, idle)
    beside_profile = n
    check(idle > 10, "the idle function runs beside the profile window")
  end),
  { what = "a covered map is repainted", action = function()
      repaints = 0
      xinput.run("windowsize " .. win .. " 900 700")
    end,
    done = function() return repaints > 0 end },
}

xinput.steps(steps, function()
  -- three seconds or a little more at rest: a repaint or two from the window
  -- manager may come, a loop gives hundreds
  check(at_rest and at_rest <= 4, "the map is not repainted while nothing changes (" .. tostring(at_rest) .. " repaints)")
  check(beside_profile and beside_profile <= 4,
        "nor beside the profile window (" .. tostring(beside_profile) .. " repaints)")
  check(repaints > 0, "a resized window repaints the map")
  IupHide(VarkoUI.dialog)
  finish()
end)
