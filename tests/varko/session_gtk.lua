-- The sample session on the GTK driver in Xvfb: real clicks on the map
-- (xdotool), the route checked as in the headless session, and a
-- screenshot of the main window at the end (VARKO_SCREENSHOT names it).
dofile("harness.lua")
dofile("xinput.lua")
dofile("session_common.lua")
VarkoDir = "sample"
dofile("sample/varko.lua")
-- the script's modules, under the names this test uses
VarkoUI, VarkoActions, VarkoRoutes, VarkoMap = require("varko_ui"), require("varko_actions"), require("varko_routes"),
                                               require("varko_map")
VarkoProject, VarkoFile, VarkoForms = require("varko_project"), require("varko_file"), require("varko_forms")
local p = Varko.Project
check_eq(p.numThemes, 5, "the sample project is open")

local win
-- Where the canvas's pixel (0, 0) lies on the screen: its X and Y
-- attributes, corrected by a mouse move whose canvas position the motion
-- callback reports (window decorations shift what the toolkit sees).
local origin_x, origin_y
local seen
local canvas_object = tab_handle[canvas]
local motion = canvas_object.motion
canvas_object.motion = function(self, x, y, ...)
  seen = { x = x, y = y }
  if motion then return motion(self, x, y, ...) end
  return IUP_DEFAULT
end
local function calibrate()
  local x, y = tonumber(IupGetAttribute(canvas, "X")) or 0, tonumber(IupGetAttribute(canvas, "Y")) or 0
  seen = nil
  xinput.run(string.format("mousemove %d %d", x + 40, y + 40))
  return function()
    if not seen then return false end
    origin_x, origin_y = x + 40 - seen.x, y + 40 - seen.y
    return true
  end
end
-- A pixel of the raster as a point of the screen.
local function screen_point(point)
  -- the drawing area: the canvas less its scrollbars
  cdActivate(canvas.cdlua_canvas)
  local _, h = cdGetCanvasSize()
  local cx, cy = imagetocanvas(point.x + 0.5, point.y + 0.5)
  return origin_x + math.floor(cx), origin_y + h - 1 - math.floor(cy)
end

local steps_done
local after = xinput.after

local steps = {
  { action = function() win = xinput.window("Varko - sample.vrk"); check(win ~= nil, "main window found") end,
    done = after(1) },
  { what = "canvas position", action = function() steps_done = calibrate() end,
    done = function() return steps_done() end },
  { action = function() VarkoActions.newRoute() end },
}
for _, point in ipairs(session.routePoints) do
  steps[#steps + 1] = { what = "route point", action = function()
    local x, y = screen_point(point)
    xinput.run(string.format("mousemove %d %d click 1", x, y))
  end, done = after(1) }
end
steps[#steps + 1] = { what = "the route is found", action = function()
  local x, y = screen_point(session.routePoints[#session.routePoints])
  xinput.run(string.format("mousemove %d %d click 3", x, y))
end, done = function() return p.numPaths == 1 end }
steps[#steps + 1] = { what = "repaint", action = function() VarkoMap.redraw() end, done = after(2) }
steps[#steps + 1] = { what = "screenshot", action = function()
  local target = os.getenv("VARKO_SCREENSHOT") or "session.png"
  check(os.execute("timeout 20 import -window " .. win .. " " .. target), "screenshot taken: " .. target)
  -- compared with tests/varko/session_reference.png, tolerant of the few
  -- pixels a window manager varies (VARKO_UPDATE_GOLDENS=1 retakes it)
  local compare, reference = os.getenv("VARKO_COMPARE"), os.getenv("VARKO_REFERENCE")
  check(compare and reference, "the reference picture is named")
  if compare and reference then
    check(os.execute("/usr/bin/python3 '" .. compare .. "' '" .. target .. "' '" .. reference .. "'"),
          "the main window looks as its reference")
  end
end }

-- Ctrl+Z and Ctrl+Y pressed on the map undo and redo the new route.
steps[#steps + 1] = { what = "the map takes the focus", action = function()
  local x, y = screen_point({ x = 500, y = 100 })
  xinput.run(string.format("mousemove %d %d click 1", x, y))
end, done = after(1) }
steps[#steps + 1] = { what = "Ctrl+Z undoes the route", retry = 2, action = function() xinput.run("key ctrl+z") end,
                      done = function() return #Varko.Project.Paths == 0 end }
steps[#steps + 1] = { what = "Ctrl+Y redoes it", retry = 2, action = function() xinput.run("key ctrl+y") end,
                      done = function() return #Varko.Project.Paths == 1 end }

xinput.steps(steps, function()
  if #Varko.Project.Paths == 1 then
    -- the exports under GTK, checked by their readers
    VarkoUI.selectPath(1)
    session.checkExports(Varko.Project)
  end
  if p.numPaths == 1 then
    session.checkRoute(p, 1, session.routePoints)
    check(VarkoActions.analysePath(1) ~= nil, "analysis made")
    session.checkAnalysis(p, 1)
    if VarkoUI.report then IupHide(VarkoUI.report) end
  end
  check(VarkoActions.saveFile("session.vrk"), "saved")
  check(VarkoActions.openFile("session.vrk"), "reopened")
  check_eq(VarkoFile.text(Varko.Project), VarkoFile.text(p), "the reopened project equals the saved one")
  IupHide(VarkoUI.dialog)
  finish()
end)
