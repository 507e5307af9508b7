-- The main dialog: menus, the theme, class and route lists beside the map,
-- the status line, and keeping them in step with the open project.
local VarkoMap = require("varko_map")
local VarkoProject = require("varko_project")
local VarkoRoutes = require("varko_routes")

local VarkoUI = { items = {}, modified = false, filename = nil, theme = 0, class = nil, path = nil }
local ui = VarkoUI

ui.actions = {}
local function item(title, action)
  local run = function()
    local result = action()
    if result == IUP_CLOSE then return IUP_CLOSE end
    return IUP_DEFAULT
  end
  local element = iupitem { title = title, action = run }
  ui.items[title], ui.actions[title] = element, run
  return element
end

-- Replaces a list's items by texts and selects item `selected` (1-based).
local function fill_list(list, texts, selected)
  local old = tonumber(IupGetAttribute(list, "COUNT") or "") or ui[list] or 0
  for n, text in ipairs(texts) do IupSetAttribute(list, tostring(n), text) end
  for n = #texts + 1, math.max(old, #texts) + 1 do IupSetAttribute(list, tostring(n), nil) end
  ui[list] = #texts
  if selected and selected >= 1 and selected <= #texts then IupSetAttribute(list, "VALUE", tostring(selected)) end
end

function VarkoUI.message(title, text) IupMessage(title, text) end

function VarkoUI.setStatus(text) IupSetAttribute(ui.status, "TITLE", text) end

function VarkoUI.updateTitle()
  local name = ui.filename and ui.filename:match("[^/]*$") or "untitled"
  IupSetAttribute(ui.dialog, "TITLE", "Varko - " .. name .. (ui.modified and " *" or ""))
end

function VarkoUI.setModified(flag)
  ui.modified = flag
  VarkoUI.updateTitle()
end

-- The class of theme t that pixel value v belongs to: the last class that
-- lists v, else class 1 (as the route functions count it).
function VarkoUI.classOfValue(theme, v)
  local found = nil
  for j, class in ipairs(theme.Classes) do
    if class.colorindex == v then found = j end
  end
  return found or (#theme.Classes > 0 and 1 or nil)
end

local function describe_pixel(x, y)
  local p = Varko.Project
  local w, h = p.Dimension.w, p.Dimension.h
  if x < 0 or y < 0 or x >= w or y >= h then return "" end
  local parts = {}
  local theme = p.Themes[ui.theme]
  if theme then
    local v = theme.Image.imagemap[x + y * w]
    local j = VarkoUI.classOfValue(theme, v)
    local class = j and theme.Classes[j]
    if class then
      local weight = VarkoProject.isImpassable(class) and "impassable" or ("weight " .. class.weight)
      parts[#parts + 1] = string.format("%s: %s (%s)", theme.name, class.description, weight)
    else
      parts[#parts + 1] = string.format("%s: value %d", theme.name, v)
    end
  end
  local cost = VarkoRoutes.combinedCost(x, y)
  if cost == "impassable" then
    parts[#parts + 1] = "impassable"
  elseif cost then
    parts[#parts + 1] = string.format("cost %.1f", cost)
  end
  return table.concat(parts, ", ")
end

function VarkoUI.fillThemes()
  local texts = { "Combined theme" }
  for _, theme in ipairs(Varko.Project.Themes) do texts[#texts + 1] = theme.name end
  fill_list(ui.themeList, texts, ui.theme + 1)
end

function VarkoUI.fillClasses()
  local texts = {}
  local theme = Varko.Project.Themes[ui.theme]
  if theme then
    for _, class in ipairs(theme.Classes) do
      local weight = VarkoProject.isImpassable(class) and "impassable" or tostring(class.weight)
      texts[#texts + 1] = string.format("%d %s [%s]", class.colorindex, class.description, weight)
    end
  end
  if ui.class and ui.class > #texts then ui.class = nil end
  fill_list(ui.classList, texts, ui.class)
end

function VarkoUI.fillPaths()
  local texts = {}
  for k, path in ipairs(Varko.Project.Paths) do texts[k] = path.name end
  if ui.path and ui.path > #texts then ui.path = nil end
  fill_list(ui.pathList, texts, ui.path)
  VarkoMap.setPaths(Varko.Project.Paths, ui.path)
end

-- Shows the selected theme (0: the combined theme) on the map.
function VarkoUI.showMap()
  local p = Varko.Project
  if #p.Themes == 0 then
    VarkoMap.setLegend(nil)
    VarkoMap.setPaths(p.Paths, ui.path)
    return
  end
  if ui.theme == 0 then
    if not VarkoRoutes.combinedValid then
      VarkoUI.setStatus("Generating the combined theme...")
      local ok, problem = VarkoRoutes.generateCombined()
      VarkoUI.setStatus("")
      if not ok then
        VarkoUI.message("Combined theme", problem)
        return
      end
    end
    local ct = p.CombinedTheme
    VarkoMap.setImage(ct.Image, "Combined theme")
    VarkoMap.setLegend(ct.minValue, ct.maxValue, DefaultColorScale)
  else
    local theme = p.Themes[ui.theme]
    VarkoMap.setImage(theme.Image, theme.name)
    local classes = {}
    for _, class in ipairs(theme.Classes) do
      local ok, colour = pcall(function() return theme.Image.palette[class.colorindex] end)
      classes[#classes + 1] = { name = class.description, colour = ok and colour or CD_BLACK }
    end
    VarkoMap.setClassLegend(classes)
  end
  VarkoMap.setPaths(p.Paths, ui.path)
end

-- The one way a project becomes the open one: p (read from filename, nil
-- for a new project) is shown with nothing selected and unchanged.
function VarkoUI.projectOpened(p, filename)
  Varko.Project = p
  Varko.InputPoints = { numPoints = 0, Points = {} }
  ui.filename = filename
  ui.theme, ui.class, ui.path = 0, nil, nil
  VarkoRoutes.invalidate()
  ui.modified = false
  VarkoUI.refresh()
end

-- Everything shown again from Varko.Project (after a load or a new project).
function VarkoUI.refresh()
  if ui.theme > #Varko.Project.Themes then ui.theme = 0 end
  VarkoUI.fillThemes()
  VarkoUI.fillClasses()
  VarkoUI.fillPaths()
  VarkoUI.showMap()
  VarkoUI.updateTitle()
end

function VarkoUI.selectTheme(t)
  ui.theme, ui.class = t, nil
  VarkoUI.fillClasses()
  VarkoUI.showMap()
end

function VarkoUI.selectPath(k)
  ui.path = k
  VarkoMap.setPaths(Varko.Project.Paths, ui.path)
end

-- The shortcuts: key code -> menu item title; the titles show them after a tab.
-- A Ctrl+Shift+letter has the Ctrl letter's code; "MODKEYSTATE" tells the
-- Shift, and ui.shiftShortcuts names those items.
ui.shortcuts, ui.shiftShortcuts = {}, {}
local function keyed(title, key, label, action)
  if label:find("Shift+", 1, true) then ui.shiftShortcuts[key] = title else ui.shortcuts[key] = title end
  local element = item(title, action)
  IupSetAttribute(element, "TITLE", title .. "\t" .. label)
  return element
end

-- Runs the action of the menu item titled title (as choosing it does).
function VarkoUI.run(title)
  local run = ui.actions[title]
  if run then return run() end
end

-- The main dialog's keys: the menu shortcuts and F1.
local function dialog_key(_, key)
  local shifted = (IupGetGlobal("MODKEYSTATE") or ""):sub(1, 1) == "S"
  local title = shifted and ui.shiftShortcuts[key] or ui.shortcuts[key]
  if title then
    if VarkoUI.run(title) == IUP_CLOSE then return IUP_CLOSE end
    return IUP_IGNORE
  end
  return IUP_DEFAULT
end

local USAGE = [[
Varko plans routes across thematic maps.

Project: New, Open (Ctrl+O), Save (Ctrl+S), Save as (Ctrl+Shift+S),
Export map (Ctrl+E) as an image (PNG, TIFF, BMP, GIF, JPEG, ...) or a drawing
(PostScript, EPS, DXF, DGN, CGM, WMF, EMF, CD metafile) with the routes as
vector lines; Print (Ctrl+P). Import geodata (any raster GDAL reads), Export
routes (GeoJSON, GeoPackage, Shapefile) and Export raster (GeoTIFF).
Edit: Undo (Ctrl+Z) and Redo (Ctrl+Y) of every project edit; Copy map (Ctrl+C)
puts the view on the clipboard.
Themes: import images, edit a theme or a class, a class's colour,
impassable classes.
Settings: study area and scale, weight limits, search parameters r and i
(also together, a tab each, in All settings), slope data.
Routes: New route (click the points, right click or Enter ends, Esc
cancels), Recompute routes after weights or settings changed, Rename,
Delete, Analyse (report and CSV), Profile of the selected route, Measure,
Corridor (the ground within a tolerance of the least cost, over the map).
View: arrows pan, Home fits, + and - zoom, the wheel zooms at the pointer,
the middle button drags the map.]]

function VarkoUI.showHelp()
  if not ui.help then
    ui.help = iupdialog { iupvbox { iupmultiline { value = USAGE, size = "330x150", action = function() return IUP_IGNORE end },
                                    margin = "5x5" },
                          title = "Varko help", parentdialog = "Varko.MainDialog" }
  end
  IupShow(ui.help)
end

local function menus(A)
  return iupmenu {
    { "Project", iupmenu {
      item("New project", A.newProject), keyed("Open project...", K_cO, "Ctrl+O", A.openProject),
      keyed("Save project", K_cS, "Ctrl+S", A.saveProject), keyed("Save project as...", K_cS, "Ctrl+Shift+S", A.saveProjectAs),
      iupseparator {}, keyed("Export map...", K_cE, "Ctrl+E", A.exportMap),
      keyed("Print...", K_cP, "Ctrl+P", A.printMap), iupseparator {},
      item("Import geodata...", A.importGeodata), item("Export routes...", A.exportRoutes),
      item("Export raster...", A.exportRaster), iupseparator {},
      item("Exit", A.exit) } },
    { "Edit", iupmenu {
      keyed("Undo", K_cZ, "Ctrl+Z", A.undo), keyed("Redo", K_cY, "Ctrl+Y", A.redo), iupseparator {},
      keyed("Copy map", K_cC, "Ctrl+C", A.copyMap) } },
    { "Themes", iupmenu {
      item("Import theme...", A.importTheme), item("Edit theme...", A.editTheme),
      item("Remove theme", A.removeTheme), iupseparator {},
      item("Edit class...", A.editClass), item("Class colour...", A.editClassColour),
      item("Impassable on/off", A.toggleImpassable), item("Edit in a table...", A.editTable) } },
    { "Settings", iupmenu {
      item("All settings...", A.editSettings), iupseparator {}, item("Study area and scale...", A.editArea), item("Weight limits...", A.editLimits),
      item("Search parameters...", A.editSearch), iupseparator {},
      item("Slope data...", A.chooseSlope), item("No slope data", A.dropSlope) } },
    { "Routes", iupmenu {
      item("New route", A.newRoute), item("Rename route...", A.renameRoute),
      item("Delete route", A.deleteRoute), item("Recompute routes", A.recomputeRoutes),
      item("Analyse route", A.analyseRoute), item("Profile...", A.profileRoute),
      item("Corridor...", A.corridor), item("Corridor overlay on/off", A.toggleCorridor),
      iupseparator {}, item("Measure distance", A.measure) } },
    { "View", iupmenu {
      keyed("Fit to window", K_HOME, "Home", function() VarkoMap.fit() end),
      item("Zoom in\t+", function() VarkoMap.zoom(2) end),
      item("Zoom out\t-", function() VarkoMap.zoom(0.5) end) } },
    { "Help", iupmenu { keyed("Usage", K_F1, "F1", VarkoUI.showHelp) } },
  }
end

-- Three quarters of the screen, at least 640 x 480.
local function window_size()
  local w, h = (IupGetGlobal("SCREENSIZE") or ""):match("^(%d+)x(%d+)$")
  w, h = tonumber(w) or 1024, tonumber(h) or 768
  return string.format("%dx%d", math.max(640, w * 3 // 4), math.max(480, h * 3 // 4))
end

-- Builds the main dialog; actions is the table of what the menus do (the
-- UI does not load it: the actions load the UI).
function VarkoUI.build(actions)
  VarkoMap.distance = VarkoRoutes.measure
  ui.themeList = iuplist { size = "150x80", action = function(_, _, n, state)
    if state == 1 then VarkoUI.selectTheme(n - 1) end
  end }
  ui.classList = iuplist { size = "150x100", action = function(_, _, n, state)
    if state == 1 then ui.class = n end
  end }
  ui.pathList = iuplist { size = "150x50", action = function(_, _, n, state)
    if state == 1 then VarkoUI.selectPath(n) end
  end }
  ui.status = iuplabel { title = string.rep(" ", 100), expand = "HORIZONTAL" }
  VarkoMap.describePixel = describe_pixel
  VarkoMap.onStatus = VarkoUI.setStatus
  ui.map = VarkoMap.create()
  local side = iupvbox {
    iuplabel { title = "Themes" }, ui.themeList,
    iuplabel { title = "Classes" }, ui.classList,
    iuplabel { title = "Routes" }, ui.pathList,
    gap = "3", margin = "3x3",
  }
  ui.dialog = iupdialog {
    iupvbox { iuphbox { side, ui.map }, ui.status },
    title = "Varko", menu = menus(actions), rastersize = window_size(),
    close = function() return actions.exit() end,
    k_any = dialog_key,
  }
  IupSetHandle("Varko.MainDialog", ui.dialog)
  return ui.dialog
end

return VarkoUI
