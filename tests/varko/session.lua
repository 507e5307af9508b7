-- A whole session on the sample project, as a user would drive it: open,
-- the combined theme, a route clicked on the map, its analysis, saving and
-- reopening, and the question about unsaved changes.
dofile("harness.lua")
dofile("session_common.lua")
VarkoDir = "sample"
dofile("sample/varko.lua")
-- only what the application relies on is global; the modules are not
local leaked = {}
for _, name in ipairs({ "VarkoUI", "VarkoActions", "VarkoRoutes", "VarkoMap", "VarkoProject", "VarkoFile", "VarkoForms" }) do
  if rawget(_G, name) ~= nil then leaked[#leaked + 1] = name end
end
check_eq(table.concat(leaked, " "), "", "the script's modules are not global")
check(type(Varko) == "table" and type(DefaultColorScale) == "table" and type(imagetomap) == "function" and
      type(imagetocanvas) == "function" and canvas ~= nil, "the globals the application needs are there")
-- the script's modules, under the names this test uses
VarkoUI, VarkoActions, VarkoRoutes, VarkoMap = require("varko_ui"), require("varko_actions"), require("varko_routes"),
                                               require("varko_map")
VarkoProject, VarkoFile, VarkoForms = require("varko_project"), require("varko_file"), require("varko_forms")
local p = Varko.Project

check_eq(VarkoUI.filename, "sample/sample.vrk", "the sample project is opened at start")
check_eq(p.numThemes, 5, "five themes")
check(not VarkoUI.modified, "a freshly opened project is unchanged")
check(VarkoRoutes.combinedValid, "the combined theme is made and shown at start")
check(type(p.CombinedTheme.minValue) == "number" and p.CombinedTheme.maxValue > p.CombinedTheme.minValue,
      "the combined theme's range is known")

-- Four route points clicked on the map, then a right click ends the route.
local points = session.routePoints
iuptest.choose(VarkoUI.items["New route"])
iuptest.deliver()
local _, _, cw, chgt = iuptest.rect(canvas)
for _, point in ipairs(points) do
  local cx, cy = imagetocanvas(point.x + 0.5, point.y + 0.5)
  local x, y = math.floor(cx), chgt - 1 - math.floor(cy)
  check(x >= 0 and x < cw and y >= 0 and y < chgt, "route point lies on the visible map")
  iuptest.press(canvas, 1, x, y)
  iuptest.release(canvas, 1, x, y)
  iuptest.deliver()
end
iuptest.press(canvas, 3, 5, 5)
iuptest.release(canvas, 3, 5, 5)
iuptest.deliver()

check_eq(p.numPaths, 1, "one route made")
local k = VarkoUI.path
check_eq(k, 1, "the new route is selected")
session.checkRoute(p, 1, points)
check(VarkoUI.modified, "a new route marks the project changed")

-- The analysis report and its CSV.
local analysis = VarkoActions.analysePath(1)
check(analysis ~= nil, "analysis made")
session.checkAnalysis(p, 1)
check(iuptest.visible(VarkoUI.report), "the report window is shown")
local report = iuptest.text(VarkoUI.reportText)
check(report:find("Length: " .. string.format("%.1f", analysis.length), 1, true) ~= nil, "the report gives the length")
check(report:find("Nature reserve", 1, true) ~= nil, "the report lists the classes")
check(VarkoRoutes.saveCsv(1, "route.csv"), "CSV written")
local rows = {}
for line in io.lines("route.csv") do rows[#rows + 1] = line end
check_eq(rows[1], "route,theme,class,length,percentage,cost", "CSV header")
check_eq(#rows, 2 + #VarkoRoutes.analysisRows(1), "one CSV row per class after the total")
check_eq(rows[2], string.format("Route 1,total,,%.3f,100.000,%.3f", analysis.length, analysis.cost),
         "the total row: the route's length, 100 % and its cost in their columns")
local named, fixed, costs = 0, 0, 0
for n = 3, #rows do
  local route, theme, class, length, perc, cost = rows[n]:match("^([^,]*),([^,]*),([^,]*),([^,]*),([^,]*),([^,]*)$")
  if route == "Route 1" then named = named + 1 end
  if length and length:match("^%d+%.%d%d%d$") and perc:match("^%d+%.%d%d%d$") and cost:match("^%d+%.%d%d%d$") then
    fixed = fixed + 1
  end
  -- a class's cost is its length times its weight and its theme's
  for t, th in ipairs(p.Themes) do
    for j, c in ipairs(th.Classes) do
      local expected = VarkoProject.isImpassable(c) and 0 or analysis.Themes[t].Classes[j].length * th.weight * c.weight
      if th.name == theme and c.description == class and math.abs(tonumber(cost) - expected) < 0.001 then
        costs = costs + 1
      end
    end
  end
end
check_eq(named, #rows - 2, "every class row names the route")
check_eq(fixed, #rows - 2, "every number has three decimals")
check_eq(costs, #rows - 2, "every class row has its cost")
-- the report is read only
iuptest.focus(VarkoUI.reportText)
iuptest.type("edited")
iuptest.deliver()
check_eq(iuptest.text(VarkoUI.reportText), report, "the report cannot be edited")

-- Save, reopen, compare.
local before = VarkoFile.text(p)
check(VarkoActions.saveFile("session.vrk"), "saved")
check(not VarkoUI.modified, "saving clears the changed mark")
check_eq(p.Themes[1].file, "sample/themes/landuse.png", "theme files are stored relative to the project file")
check(VarkoActions.openFile("session.vrk"), "reopened")
check(Varko.Project ~= p, "reopening makes a new project table")
check_eq(VarkoFile.text(Varko.Project), VarkoFile.text(p), "the reopened project equals the saved one")
check_eq(Varko.Project.Paths[1].numPoints, #p.Paths[1].Points, "the route's points come back")
check_eq((before:gsub('file = "', 'file = "sample/')), VarkoFile.text(p), "saving changed only the files' folder")

dofile("session_more.lua")

-- Unsaved changes: Cancel keeps the dialog, Discard closes it.
VarkoUI.setModified(true)
iuptest.answer_alarm(3)
check_eq(VarkoActions.exit(), IUP_IGNORE, "Cancel keeps the program running")
iuptest.answer_alarm(2)
check_eq(VarkoActions.exit(), IUP_CLOSE, "Discard lets it close")
IupHide(VarkoUI.report)
IupHide(VarkoUI.dialog)
finish()
