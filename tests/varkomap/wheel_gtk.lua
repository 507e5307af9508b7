-- The wheel on the GTK driver in Xvfb: real wheel clicks (xdotool buttons 4
-- and 5) over the sample's map reach the map's wheel method with the
-- pointer's position, zoom around it and keep the pixel under it.
dofile("harness.lua")
dofile("xinput.lua")
VarkoDir = "sample"
dofile("sample/varko.lua")
-- the script's modules, under the names this test uses
VarkoUI, VarkoActions, VarkoRoutes, VarkoMap = require("varko_ui"), require("varko_actions"), require("varko_routes"),
                                               require("varko_map")
VarkoProject, VarkoFile, VarkoForms = require("varko_project"), require("varko_file"), require("varko_forms")

local object = tab_handle[canvas]
local seen, wheels = nil, {}
local motion, wheel = object.motion, object.wheel
object.motion = function(self, x, y, ...)
  seen = { x = x, y = y }
  return motion(self, x, y, ...)
end
object.wheel = function(self, delta, x, y, ...)
  wheels[#wheels + 1] = { delta = delta, x = x, y = y }
  return wheel(self, delta, x, y, ...)
end

local function size()
  cdActivate(canvas.cdlua_canvas)
  return cdGetCanvasSize()
end
local function under(x, y)
  return table.concat({ VarkoMap.canvasToImage(x, select(2, size()) - 1 - y) }, ",")
end
-- canvas pixels per image pixel, over the whole width so that rounding
-- stays below a thousandth
local function scale()
  return (imagetocanvas(1000, 0) - imagetocanvas(0, 0)) / 1000
end

local before = {}
local function turn(button, delta)
  return {
    what = "wheel " .. delta,
    action = function()
      before = { count = #wheels, under = under(seen.x, seen.y), scale = scale() }
      xinput.run("click " .. button)
    end,
    done = function()
      if #wheels <= before.count then return false end
      local w = wheels[#wheels]
      check_eq(w.delta, delta, "the wheel's notch reaches the method")
      check_eq(w.x .. "," .. w.y, seen.x .. "," .. seen.y, "with the pointer's position")
      check_eq(under(w.x, w.y), before.under, "the pixel under the pointer stays")
      check_near(scale() / before.scale, 2 ^ (delta / 2), 0.02, "the map zooms by a half step")
      return true
    end,
  }
end

local win
local x0, y0
local steps = {
  { what = "main window", action = function() win = xinput.window("Varko - sample.vrk") end,
    done = function() return win ~= nil end },
  { what = "pointer over the map", retry = 2, action = function()
      x0, y0 = tonumber(IupGetAttribute(canvas, "X")) or 0, tonumber(IupGetAttribute(canvas, "Y")) or 0
      xinput.run(string.format("mousemove %d %d", x0 + 150, y0 + 120))
    end, done = function() return seen ~= nil end },
  turn(4, 1),
  turn(4, 1),
  turn(5, -1),
}
xinput.steps(steps, function()
  check(#wheels >= 3, "three wheel turns seen")
  IupHide(VarkoUI.dialog)
  finish()
end)
