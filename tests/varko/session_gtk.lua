-- The sample session on the GTK driver in Xvfb: real clicks on the map
-- (xdotool), the route checked as in the headless session, and a
-- screenshot of the main window at the end (VARKO_SCREENSHOT names it).
dofile("harness.lua")
dofile("xinput.lua")
dofile("session_common.lua")
VarkoDir = "sample"
dofile("sample/varko.lua")
local p = Varko.Project
check_eq(p.numThemes, 5, "the sample project is open")

local win
local function position(element)
  return tonumber(IupGetAttribute(element, "X")) or 0, tonumber(IupGetAttribute(element, "Y")) or 0
end
-- A pixel of the raster as a point of the main window.
local function window_point(point)
  local dx, dy = position(VarkoUI.dialog)
  local ex, ey = position(canvas)
  local _, h = string.match(IupGetAttribute(canvas, "RASTERSIZE"), "(%d+)x(%d+)")
  local cx, cy = imagetocanvas(point.x + 0.5, point.y + 0.5)
  return ex - dx + math.floor(cx), ey - dy + tonumber(h) - 1 - math.floor(cy)
end

local waited_from
local function after(seconds)
  return function()
    waited_from = waited_from or os.time()
    if os.time() - waited_from >= seconds then
      waited_from = nil
      return true
    end
    return false
  end
end

local steps = {
  { action = function() win = xinput.window("Varko - sample.vrk"); check(win ~= nil, "main window found") end,
    done = after(1) },
  { action = function() VarkoActions.newRoute() end },
}
for _, point in ipairs(session.routePoints) do
  steps[#steps + 1] = { what = "route point", action = function()
    local x, y = window_point(point)
    xinput.click(win, x, y)
  end, done = after(1) }
end
steps[#steps + 1] = { what = "the route is found", action = function()
  local x, y = window_point(session.routePoints[#session.routePoints])
  xinput.run(string.format("mousemove --window %s %d %d click 3", win, x, y))
end, done = function() return p.numPaths == 1 end }
steps[#steps + 1] = { what = "repaint", action = function() VarkoMap.redraw() end, done = after(2) }
steps[#steps + 1] = { what = "screenshot", action = function()
  local target = os.getenv("VARKO_SCREENSHOT") or "session.png"
  check(xinput.run(""), "xdotool runs")
  check(os.execute("timeout 20 import -window " .. win .. " " .. target), "screenshot taken: " .. target)
end }

xinput.steps(steps, function()
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
