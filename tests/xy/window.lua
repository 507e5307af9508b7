-- The XY graphic window on the sample project, driven headless: a route is
-- made and its profile opened; clicks on the curve select samples (the
-- mark on the main map, the coordinates shown); an axis form changes the
-- range; Exit clears the mark; bad numbers and short paths raise errors.
dofile("harness.lua")
dofile("session_common.lua")
VarkoDir = "sample"
dofile("sample/varko.lua")
-- the script's modules, under the names this test uses
VarkoUI, VarkoActions, VarkoRoutes, VarkoMap = require("varko_ui"), require("varko_actions"), require("varko_routes"),
                                               require("varko_map")
VarkoProject, VarkoFile, VarkoForms = require("varko_project"), require("varko_file"), require("varko_forms")
local p = Varko.Project

-- A route clicked on the map, as a user makes it.
iuptest.choose(VarkoUI.items["New route"])
iuptest.deliver()
local _, _, mw, mh = iuptest.rect(canvas)
for _, point in ipairs(session.routePoints) do
  local cx, cy = imagetocanvas(point.x + 0.5, point.y + 0.5)
  iuptest.press(canvas, 1, math.floor(cx), mh - 1 - math.floor(cy))
  iuptest.release(canvas, 1, math.floor(cx), mh - 1 - math.floor(cy))
  iuptest.deliver()
end
iuptest.press(canvas, 3, 5, 5)
iuptest.release(canvas, 3, 5, 5)
iuptest.deliver()
check_eq(p.numPaths, 1, "one route made")

-- Bad numbers and a path of one point raise errors and open nothing.
local numThemes = #p.Themes
p.Paths[2] = { name = "one point", numPoints = 1, Points = { { x = 100, y = 100 } } }
p.numPaths = 2
CopyPaths()
check_errors({
  { "path 0", function() XYGraphic(0, 1) end, "XYGraphic: invalid path number!" },
  { "path past the last", function() XYGraphic(3, 1) end, "XYGraphic: invalid path number!" },
  { "theme 0", function() XYGraphic(1, 0) end, "XYGraphic: invalid theme number!" },
  { "theme past the combined one", function() XYGraphic(1, numThemes + 2) end, "XYGraphic: invalid theme number!" },
  { "one point", function() XYGraphic(2, 1) end, "XYGraphic: the path has fewer than two points!" },
})
check(IupGetHandle("xyDialog") == nil, "no window was opened by a failing call")

-- The chart's geometry, as the window lays it out: plot area 15 % to 90 %
-- of the width and 15 % to 85 % of the height; the curve gets the plot area
-- less a pixel at the right and below. Canvas y runs up, the toolkit's down.
local function geometry()
  local _, _, w, h = iuptest.rect(IupGetHandle("xyCanvas"))
  local g = { w = w, h = h }
  g.x0 = math.floor(0.15 * (w - 1)); g.x1 = math.floor(0.9 * (w - 1) + 1)
  g.y0 = math.floor(0.15 * (h - 1) - 1); g.y1 = math.floor(0.85 * (h - 1))
  return g
end
local xycanvas
local function click(x, cy)  -- canvas y, up
  iuptest.press(xycanvas, 1, x, xycanvas_h - 1 - cy)
  iuptest.release(xycanvas, 1, x, xycanvas_h - 1 - cy)
  iuptest.deliver()
end

-- Scans the column x of the plot from the top until a click selects a
-- sample; returns the canvas y of the hit or nil.
local function select_in_column(g, x)
  local mark = p.XYMark
  for cy = g.y1 - 1, g.y0 + 2, -1 do
    mark.x, mark.y = nil, nil
    click(x, cy)
    if mark.x then return cy end
  end
end

-- The sample the window shows: its image point from the map coordinates
-- given beside "Coordinates:" (imagetomap times 1000).
local function shown_sample()
  local text = IupGetAttribute(IupGetHandle("xyValue"), "TITLE")
  local mx, my = text:match("^%(([%-%d%.]+) , ([%-%d%.]+)%)$")
  check(mx ~= nil, "the coordinates read (x , y): " .. tostring(text))
  local sa, sc = p.StudyArea or {}, p.Scale or {}
  return (mx / 1000 - (sa.left or 0)) / (sc.sx or 1) - 0.5, (my / 1000 - (sa.bottom or 0)) / (sc.sy or 1) - 0.5
end

-- The main canvas' pixels, and the places where two readings differ.
local function main_pixels()
  cdActivate(canvas.cdlua_canvas)
  local w, h = cdGetCanvasSize()
  local image = imCreateImageRGB(w, h)
  cdGetImageRGB(image, 0, 0)
  return { image = image, w = w, h = h }
end
local function differences(a, b)
  local list = {}
  for y = 0, a.h - 1 do for x = 0, a.w - 1 do
    local i = x + y * a.w
    if a.image.r[i] ~= b.image.r[i] or a.image.g[i] ~= b.image.g[i] or a.image.b[i] ~= b.image.b[i] then
      list[#list + 1] = { x = x, y = y }
    end
  end end
  return list
end
-- The diamond at XYMark: a filled diamond of size 10 inverted on the map,
-- and nothing else changed.
local function check_diamond(before, what)
  local changed = differences(before, main_pixels())
  local mx, my = math.floor(p.XYMark.x), math.floor(p.XYMark.y)
  local inside, outside = 0, 0
  for _, d in ipairs(changed) do
    if math.abs(d.x - mx) + math.abs(d.y - my) <= 5 then inside = inside + 1 else outside = outside + 1 end
  end
  check(inside >= 40, what .. ": the diamond at XYMark (" .. inside .. " pixels)")
  check_eq(outside, 0, what .. ": nothing else changed on the map")
end

-- A horizontal path of known geometry: 200 pixels from (100, 300).
p.Paths[2] = { name = "straight", numPoints = 2, Points = { { x = 100, y = 300 }, { x = 300, y = 300 } } }
CopyPaths()
XYGraphic(2, numThemes + 1)
check(iuptest.visible(IupGetHandle("xyDialog")), "the window is shown")
check_eq(IupGetAttribute(IupGetHandle("xyDialog"), "TITLE"), "XYGraphic", "its title")
xycanvas = IupGetHandle("xyCanvas")
iuptest.repaint(xycanvas)
iuptest.deliver()
local g = geometry()
xycanvas_h = g.h
local total = 0
for x = 100, 299 do total = total + SegDist(x, 300, x + 1, 300) end

-- A click on the curve in the middle of the plot selects the sample at
-- that distance: XYMark is where imagetocanvas puts that sample.
local middle = math.floor((g.x0 + g.x1) / 2)
local map_before = main_pixels()
local hit = select_in_column(g, middle)
check(hit ~= nil, "a click on the curve selects a sample")
local sx, sy = shown_sample()
check_near(sy, 300, 1e-6, "the sample lies on the path")
local cx, cy = imagetocanvas(sx, sy)
check_eq(p.XYMark.x, cx, "XYMark.x is the sample's canvas x")
check_eq(p.XYMark.y, cy, "XYMark.y is the sample's canvas y")
-- its distance along the path is the clicked one, within two pixels of the chart
local clicked = (middle - g.x0) / (g.x1 - 1 - g.x0) * total
local per_pixel = total / (g.x1 - 1 - g.x0)
local along = 0
for x = 100, math.floor(sx) - 1 do along = along + SegDist(x, 300, x + 1, 300) end
check(math.abs(along - clicked) <= 2 * per_pixel + SegDist(0, 0, 1, 0) * 2,
      string.format("the sample at %.1f is at the clicked distance %.1f", along, clicked))
check_diamond(map_before, "first click")
-- A click further on moves the diamond: the first is erased, one marker.
check(select_in_column(g, middle + 40) ~= nil, "a second click on the curve")
check(p.XYMark.x > cx, "the mark moved along the path")
check_diamond(map_before, "second click")

-- The x axis form: Xmax halved. The same column now stands for half the
-- distance, so a click there selects a sample half as far along.
local steps = {
  function() for _ = 1, 3 do iuptest.key(K_TAB) end end,
  function() iuptest.set_selection(IupGetFocus(), 0, 40); iuptest.type(string.format("%.6f", total / 2)) end,
  function() iuptest.click(IupGetHandle("IupDataEntryOkButton")) end,
}
local i = 0
IupSetIdle(function() i = i + 1; if steps[i] then steps[i]() end end)
click(middle, g.y0 - 8)  -- on the x axis' labels, below the plot
IupSetIdle(nil)
check_eq(i >= #steps, true, "the axis form was shown and answered")
iuptest.repaint(xycanvas)
iuptest.deliver()
hit = select_in_column(g, middle)
check(hit ~= nil, "the curve is hit after the range change")
sx = shown_sample()
along = 0
for x = 100, math.floor(sx) - 1 do along = along + SegDist(x, 300, x + 1, 300) end
check(math.abs(along - clicked / 2) <= 2 * per_pixel,
      string.format("after the change the column stands for half the distance: %.1f against %.1f", along, clicked / 2))

-- Exit: the window goes, XYMark is nil.
iuptest.choose(IupGetHandle("xyExit"))
iuptest.deliver()
check(p.XYMark.x == nil and p.XYMark.y == nil, "Exit sets XYMark to nil")
check(IupGetHandle("xyDialog") == nil, "Exit destroys the window")

-- The route's own profile, opened as the application does it.
VarkoUI.path = 1
VarkoActions.profileRoute()
check(IupGetHandle("xyDialog") ~= nil, "the route profile opens from the application")
xycanvas = IupGetHandle("xyCanvas")
iuptest.repaint(xycanvas)
iuptest.deliver()
g = geometry()
xycanvas_h = g.h
hit = select_in_column(g, middle)
check(hit ~= nil, "a click on the route's curve selects a sample")
sx, sy = shown_sample()
cx, cy = imagetocanvas(sx, sy)
check_eq(p.XYMark.x, cx, "on the route, XYMark.x is imagetocanvas of the sample")
check_eq(p.XYMark.y, cy, "on the route, XYMark.y is imagetocanvas of the sample")
iuptest.choose(IupGetHandle("xyExit"))
iuptest.deliver()
check(p.XYMark.x == nil, "Exit clears the route's mark")
IupHide(VarkoUI.dialog)
finish()
