-- The session goes on (run from session.lua with the reopened sample): what
-- a new user met, as tables where they fit. Clicks off the map and double
-- clicks, slope changes, route drawing, the export, undo and redo, keys,
-- recomputing routes, the costly search warning and the status line.

local function project() return Varko.Project end
local _, _, cw, chgt = iuptest.rect(canvas)
-- a raster pixel as a toolkit pointer position (y downwards)
local function pointer_at(col, row)
  local cx, cy = imagetocanvas(col + 0.5, row + 0.5)
  return math.floor(cx), chgt - 1 - math.floor(cy)
end
local function click(x, y)
  iuptest.press(canvas, 1, x, y)
  iuptest.release(canvas, 1, x, y)
  iuptest.deliver()
end
local function end_route()
  iuptest.press(canvas, 3, 5, 5)
  iuptest.release(canvas, 3, 5, 5)
  iuptest.deliver()
end

-- Clicks off the map are refused, a double click gives one point: a route
-- needs two different points on the map.
VarkoMap.fit()
VarkoMap.zoom(0.5)  -- grey all around the map
local route_cases = {
  -- what, clicks (raster pixels), routes made, message
  { "a double click alone", { { 300, 300 }, { 300, 300 } }, 0, "New route: A route needs at least two different points." },
  { "off the map, then one point", { { -40, 300 }, { 300, 300 } }, 0,
    "New route: A route needs at least two different points." },
  { "off the map around two points", { { 200, 300 }, { 1100, 300 }, { 400, 350 }, { 400, 350 } }, 1, nil },
}
for _, case in ipairs(route_cases) do
  local what, clicks, made, message = table.unpack(case)
  iuptest.reset()
  local before = #project().Paths
  VarkoActions.newRoute()
  local status
  for _, at in ipairs(clicks) do
    click(pointer_at(at[1], at[2]))
    local shown = IupGetAttribute(VarkoUI.status, "TITLE")
    if at[1] < 0 or at[1] >= project().Dimension.w then status = shown end
  end
  end_route()
  check_eq(#project().Paths - before, made, what .. ": routes made")
  if message then check_eq(iuptest.last_message(), message, what .. ": refused with a message") end
  if status then check_eq(status, "That point lies off the map: click on the map.", what .. ": the click is refused") end
  if made == 1 then
    local path = project().Paths[#project().Paths]
    check_eq(#path.Clicked, 2, what .. ": the clicked points are kept, once each")
    for _, point in ipairs(path.Points) do
      check(point.x >= 0 and point.x < project().Dimension.w, what .. ": the route stays on the map")
    end
  end
end
VarkoMap.fit()

-- Slope: a distance over the slope is a surface distance; without slope
-- data, or after opening a project without it, it is flat at once.
local function measure()
  local d = VarkoRoutes.measure(100, 400, 200, 400)
  return d
end
local sx = project().Scale.sx
check(project().Slope ~= nil, "the sample has slope data")
local over_slope = measure()
check(over_slope > 100 * sx + 1, "over the slope 100 pixels measure more than 100 pixel widths")
check(VarkoActions.distanceText(over_slope):find("surface distance", 1, true) ~= nil,
      "a distance over the slope says it is a surface distance")
VarkoActions.dropSlope()
check_near(measure(), 100 * sx, 1e-3, "No slope data: the same 100 pixels are flat at once")
check_eq(VarkoActions.distanceText(100 * sx), string.format("Distance: %.1f m", 100 * sx), "a flat distance says so")
check(VarkoActions.saveFile("noslope.vrk"), "saved without slope")
check(VarkoActions.undo(), "undo brings the slope back")
check_near(measure(), over_slope, 1e-3, "and the surface distance")
check(VarkoActions.openFile("sample/sample.vrk"), "the sample again (its slope loaded)")
check_near(measure(), over_slope, 1e-3, "the sample measures over its slope")
check(VarkoActions.openFile("noslope.vrk"), "a project without slope opened")
check_near(measure(), 100 * sx, 1e-3, "measures flat, as a fresh start would")
check(VarkoActions.openFile("sample/sample.vrk"), "the sample again")

-- Two routes; the selected one is drawn on top in red, its clicked points
-- boxed, its name beside its end.
local p = project()
check(VarkoRoutes.newRoute({ { x = 150, y = 450 }, { x = 420, y = 660 } }, "North"), "route North")
check(VarkoRoutes.newRoute({ { x = 420, y = 660 }, { x = 150, y = 450 } }, "Back"), "route Back, over the same ground")
VarkoUI.fillPaths()
local cd = canvas.cdlua_canvas
local pixel = imCreateImageRGB(1, 1)
local function colour_at(x, y)
  cdActivate(cd)
  cdGetImageRGB(pixel, x, y)
  return string.format("%d %d %d", pixel.r[0], pixel.g[0], pixel.b[0])
end
local function shared_point()
  -- a point both routes pass through, away from the ends (and the names there)
  local on_back = {}
  for _, pt in ipairs(p.Paths[2].Points) do on_back[pt.x .. "," .. pt.y] = true end
  local points = p.Paths[1].Points
  for n = #points // 3, 2 * #points // 3 do
    if on_back[points[n].x .. "," .. points[n].y] then return points[n] end
  end
end
local shared = shared_point()
check(shared ~= nil, "the two routes share a point")
for _, selected in ipairs({ 1, 2 }) do
  VarkoUI.selectPath(selected)
  if shared then
    check_eq(colour_at(imagetocanvas(shared.x, shared.y)), "255 0 0",
             "route " .. selected .. " selected: drawn on top of the other, in red")
  end
end
VarkoUI.selectPath(1)
local first = p.Paths[1].Clicked[1]
local fx, fy = imagetocanvas(first.x, first.y)
check_eq(colour_at(fx - 3, fy + 3), "255 0 0", "the clicked point is boxed")

-- The export writes the view: the map, the routes where the screen has
-- them, the legend, and no grey border; drawings carry the route as lines.
session.checkExports(p)

-- Undo and redo of every project edit, Ctrl+Z and Ctrl+Y on the map.
local function fresh()
  check(VarkoActions.openFile("sample/sample.vrk"), "the sample opened for the edit")
  check(VarkoRoutes.newRoute({ { x = 150, y = 450 }, { x = 420, y = 660 } }, "North"), "with a route")
  VarkoUI.fillPaths()
  return Varko.Project
end
local edits = {
  -- what, the edit, what is done before it (not an edit of its own)
  { "a class weight", function(q)
      VarkoActions.record("Edit class")
      q.Themes[1].Classes[2].weight = 42
      VarkoActions.changed()
    end },
  { "a theme removed", function() VarkoUI.selectTheme(2); iuptest.answer_alarm(1); VarkoActions.removeTheme() end },
  { "impassable on/off", function() VarkoUI.selectTheme(1); VarkoUI.class = 1; VarkoActions.toggleImpassable() end },
  { "no slope data", function() VarkoActions.dropSlope() end },
  { "a route deleted", function() VarkoUI.selectPath(1); iuptest.answer_alarm(1); VarkoActions.deleteRoute() end },
  { "a route added", function() VarkoActions.routeThrough({ { x = 760, y = 470 }, { x = 470, y = 220 } }) end },
  { "routes recomputed", function() VarkoActions.recomputeRoutes() end,
    function(q)
      for _, theme in ipairs(q.Themes) do
        for _, class in ipairs(theme.Classes) do
          if not VarkoProject.isImpassable(class) then class.weight = 1 end
        end
      end
      VarkoActions.changed()
    end },
}
for _, case in ipairs(edits) do
  local what, edit, prepare = table.unpack(case)
  local q = fresh()
  if prepare then prepare(q) end
  local before = VarkoFile.text(q)
  edit(q)
  local after = VarkoFile.text(Varko.Project)
  check(after ~= before, what .. ": the edit changed the project")
  iuptest.focus(canvas)
  iuptest.key(K_cZ)
  iuptest.deliver()
  check_eq(VarkoFile.text(Varko.Project), before, what .. ": Ctrl+Z undoes it")
  iuptest.focus(canvas)
  iuptest.key(K_cY)
  iuptest.deliver()
  check_eq(VarkoFile.text(Varko.Project), after, what .. ": Ctrl+Y redoes it")
  VarkoActions.undo()
  check_eq(VarkoFile.text(Varko.Project), before, what .. ": undone again")
end
check(not VarkoActions.undo() or true, "undo past the start is harmless")
VarkoActions.undoStack = {}
check_eq(VarkoActions.undo(), false, "nothing left to undo")

-- Recompute: the clicked points are kept (also through saving) and a
-- weight change reroutes.
local q = fresh()
local old = VarkoFile.text(q.Paths[1].Points)
check(VarkoActions.saveFile("clicked.vrk"), "saved with the route")
check(VarkoActions.openFile("clicked.vrk"), "reopened")
check_eq(#Varko.Project.Paths[1].Clicked, 2, "the clicked points come back from the file")
q = Varko.Project
for _, theme in ipairs(q.Themes) do
  for _, class in ipairs(theme.Classes) do
    if not VarkoProject.isImpassable(class) then class.weight = 1 end
  end
end
VarkoActions.changed()
check_eq(VarkoActions.recomputeRoutes(), 0, "every route found again")
check(VarkoFile.text(q.Paths[1].Points) ~= old, "equal weights give another course")
check_eq(q.Paths[1].name, "North", "the route keeps its name")
session.checkRoute(q, 1, q.Paths[1].Clicked)

-- Keys: Home fits, arrows pan, F1 shows the usage, Ctrl+E exports.
VarkoMap.zoom(4)
iuptest.focus(canvas)
local state = VarkoMap.state()
iuptest.key(K_LEFT)
iuptest.deliver()
check(VarkoMap.state().cx < state.cx, "the left arrow pans left")
iuptest.key(K_HOME)
iuptest.deliver()
check(VarkoMap.state().fitted, "Home fits the map")
iuptest.key(K_F1)
iuptest.deliver()
check(VarkoUI.help ~= nil and iuptest.visible(VarkoUI.help), "F1 shows the usage")
IupHide(VarkoUI.help)
iuptest.answer_file("keyed.png")
iuptest.focus(canvas)
iuptest.key(K_cE)
iuptest.deliver()
check(imImageInfo("keyed.png") ~= nil, "Ctrl+E exports the map")
local menu_titles = IupGetAttribute(VarkoUI.items["Undo"], "TITLE") .. "|" .. IupGetAttribute(VarkoUI.items["Save project"], "TITLE")
check_eq(menu_titles, "Undo\tCtrl+Z|Save project\tCtrl+S", "the menus show the shortcuts")

-- A costly search is warned about: Cancel keeps the parameters.
local function search_form(r, i, answer)
  local steps = {
    function() iuptest.set_selection(IupGetFocus(), 0, 1000); iuptest.type(r) end,
    function() iuptest.key(K_TAB) end,
    function() iuptest.set_selection(IupGetFocus(), 0, 1000); iuptest.type(i) end,
    function() iuptest.answer_alarm(answer); iuptest.enter() end,
  }
  local n = 0
  IupSetIdle(function() n = n + 1; if steps[n] then steps[n]() end end)
  VarkoActions.editSearch()
  IupSetIdle(nil)
end
local pr, pi = Varko.Project.r, Varko.Project.i
check(VarkoActions.searchWork(Varko.Project, 1, 20) > VarkoActions.COSTLY_SEARCH, "r = 1, i = 20 is costly here")
check(VarkoActions.searchWork(Varko.Project, pr, pi) < VarkoActions.COSTLY_SEARCH, "the sample's own r and i are not")
search_form("1", "20", 2)
check_eq(Varko.Project.r .. "," .. Varko.Project.i, pr .. "," .. pi, "a costly search cancelled keeps r and i")
search_form("1", "20", 1)
check_eq(Varko.Project.r .. "," .. Varko.Project.i, "1,20", "kept when the user insists")

-- A long search (r = 1, i = 20) shows its progress after half a second,
-- and Cancel stops it leaving the routes as they were.
check(VarkoActions.openFile("sample/sample.vrk"), "the sample again")
check(VarkoRoutes.newRoute({ { x = 150, y = 450 }, { x = 420, y = 660 } }, "North"), "with a route")
Varko.Project.r, Varko.Project.i = 1, 20
local before_search = VarkoFile.text(Varko.Project)
-- the time is taken from the click: how soon the dialog comes depends on
-- the build and the machine's load, how soon a cancel is obeyed does not
local dialog_seen, clicked_at = false, nil
IupSetIdle(function()
  local cancel = IupGetHandle("VarkoSearchCancel")
  if cancel and iuptest.visible(cancel) then
    dialog_seen, clicked_at = true, clicked_at or os.time()
    iuptest.click(cancel)
  end
end)
local k, problem = VarkoRoutes.newRoute({ { x = 150, y = 450 }, { x = 760, y = 470 }, { x = 470, y = 220 } })
IupSetIdle(nil)
check_eq(k, nil, "a cancelled search makes no route")
check_eq(problem, "The search was cancelled; the routes are as they were.", "and says so")
check(dialog_seen, "the search showed its progress with Cancel")
check(clicked_at and os.time() - clicked_at < 30, "the cancel stopped the search")
check_eq(VarkoFile.text(Varko.Project), before_search, "the routes are as they were")
check_eq(#Varko.Project.Paths, 1, "one route still")
check(IupGetHandle("VarkoSearchCancel") == nil or not iuptest.visible(IupGetHandle("VarkoSearchCancel")),
      "the progress dialog is gone")
-- a short search shows no dialog: the search asks its progress only every
-- few thousand settled nodes, and this one settles far fewer, however slow
-- the build or the machine
Varko.Project.r, Varko.Project.i = 4, 3
dialog_seen = false
IupSetIdle(function()
  local cancel = IupGetHandle("VarkoSearchCancel")
  if cancel and iuptest.visible(cancel) then dialog_seen = true end
end)
check(VarkoRoutes.newRoute({ { x = 150, y = 450 }, { x = 175, y = 470 } }), "a short search")
IupSetIdle(nil)
check(not dialog_seen, "shows no progress dialog")

-- The status line: nothing off the map, cleared when the pointer leaves;
-- the window takes three quarters of the screen.
VarkoMap.fit()
VarkoMap.zoom(0.5)
local gx, gy = pointer_at(-30, 10)
iuptest.motion(canvas, gx, gy)
iuptest.deliver()
check_eq(IupGetAttribute(VarkoUI.status, "TITLE") or "", "", "no status off the map")
iuptest.motion(canvas, pointer_at(300, 300))
iuptest.deliver()
check((IupGetAttribute(VarkoUI.status, "TITLE") or ""):find("^%d+, %d+  %(") ~= nil, "the pixel on the map")
iuptest.mouseleave(canvas)
iuptest.deliver()
check_eq(IupGetAttribute(VarkoUI.status, "TITLE") or "", "", "the status clears when the pointer leaves")
local sw, sh = IupGetGlobal("SCREENSIZE"):match("(%d+)x(%d+)")
local dw, dh = (IupGetAttribute(VarkoUI.dialog, "RASTERSIZE") or ""):match("(%d+)x(%d+)")
check(tonumber(dw) >= tonumber(sw) * 3 // 4 - 1 and tonumber(dh) >= tonumber(sh) * 3 // 4 - 1,
      "the window opens at three quarters of the screen")
check_eq(VarkoActions.startFolder(), VarkoFile.dirname(VarkoFile.absolute(VarkoUI.filename)),
         "file dialogs start in the project's folder")
VarkoMap.fit()
