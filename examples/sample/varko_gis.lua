-- Geodata in the application: Project > Import geodata..., Export routes...
-- and Export raster...; Routes > Corridor... (a tolerance valuator and the
-- corridor drawn over the map) and Corridor overlay on/off. These actions
-- join the others in one table; a failure is shown as a message and leaves
-- the open project as it was.
local VarkoFile = require("varko_file")
local VarkoForms = require("varko_forms")
local VarkoMap = require("varko_map")
local VarkoProject = require("varko_project")
local VarkoRoutes = require("varko_routes")
local VarkoUI = require("varko_ui")

local A = require("varko_actions")
local ui = VarkoUI

local VarkoGis = { corridor = nil, overlayShown = false }

local GEODATA_FILTER = "Rasters|*.tif;*.tiff;*.img;*.asc;*.vrt;*.gpkg;*.nc;*.hgt;*.dem;*.bil;*.jp2|All files|*.*|"
local ROUTES_FILTER = "GeoJSON|*.geojson|GeoPackage|*.gpkg|Shapefile|*.shp|"
local RASTER_FILTER = "GeoTIFF|*.tif;*.tiff|"
local METHODS = { equal = true, quantile = true, breaks = true }
-- GDAL's resampling methods for a continuous band warped onto the project's grid
local RESAMPLING = { near = true, bilinear = true, cubic = true, cubicspline = true, lanczos = true, average = true,
                     mode = true, min = true, max = true, med = true, q1 = true, q3 = true, sum = true, rms = true }

-- The message of a script error without the interpreter's position.
local function reason(problem)
  if type(problem) == "table" and problem.varko then return problem.varko end
  return (tostring(problem):gsub("^[^:]*:%d+: ", ""))
end

local function basename(path) return (path:match("([^/]*)$"):gsub("%.[^.]*$", "")) end

-- ------------------------------------------------------------ import

-- The classification of a continuous band: asked with the defaults the
-- import used. The options table, or nil when cancelled.
function VarkoGis.askClassification(defaults)
  local method, count, breaks, resampling = VarkoForms.ask("Classify " .. defaults.name, {
    { label = "Method (equal, quantile or breaks)", value = "equal", kind = "text", required = true },
    { label = "Number of classes", value = defaults.classes, kind = "integer", min = 1, max = 255 },
    { label = "Breaks (for the breaks method)", value = "", kind = "text" },
    { label = "Resampling when warped (bilinear, near, cubic, average, ...)", value = "bilinear", kind = "text",
      required = true } },
    function(method, _, breaks, resampling)
      method = method:match("^%s*(.-)%s*$")
      if not METHODS[method] then return "The method is equal, quantile or breaks." end
      if not RESAMPLING[resampling:match("^%s*(.-)%s*$")] then
        return "The resampling is one of GDAL's: near, bilinear, cubic, cubicspline, lanczos, average, mode, "
               .. "min, max, med, q1, q3, sum or rms."
      end
      if method == "breaks" then
        local last
        for word in breaks:gmatch("[^%s,;]+") do
          local value = tonumber(word)
          if not value then return '"' .. word .. '" in the breaks is not a number.' end
          if last and value <= last then return "The breaks must be ascending." end
          last = value
        end
        if not last then return "The breaks method needs breaks, such as 10, 20, 50." end
      end
    end)
  if not method then return nil end
  method = method:match("^%s*(.-)%s*$")
  local options = { method = method, classes = count, resampling = resampling:match("^%s*(.-)%s*$") }
  if method == "breaks" then
    options.breaks = {}
    for word in breaks:gmatch("[^%s,;]+") do options.breaks[#options.breaks + 1] = tonumber(word) end
    options.classes = nil
  end
  return options
end

-- A file name for a theme's image that no file and no theme of the project
-- has yet: folder/base-theme.png, base-theme2.png, ...
local function free_image_name(folder, base)
  local taken = {}
  for _, theme in ipairs(Varko.Project.Themes) do
    if theme.path then taken[VarkoFile.absolute(theme.path)] = true end
  end
  for n = 1, 10000 do
    local name = folder .. "/" .. base .. "-theme" .. (n > 1 and tostring(n) or "") .. ".png"
    local f = io.open(name, "rb")
    if f then f:close() elseif not taken[VarkoFile.absolute(name)] then return name end
  end
  return nil
end

-- Imports a raster GDAL reads as a theme: the first one into an empty
-- project sets the raster size, study area, scale and CRS; later ones are
-- warped onto the project's grid. A continuous band is classified as
-- options say, or as the user chooses in a form (ask: a function given the
-- defaults, VarkoGis.askClassification by default). The theme's classes
-- are written as an 8-bit PNG beside the project (or beside the raster
-- for a project not saved yet). true, or nil and the message shown.
function A.importGeodataFile(path, options, ask)
  local title = "Import geodata"
  local p = Varko.Project
  ui.setStatus("Importing " .. path .. "...")
  local ok, result = pcall(ImportGeoRaster, path, options)
  if ok and not options and result.categorical == false then
    local ranges = 0
    for _, class in ipairs(result.Classes) do
      if class.description ~= "No data" then ranges = ranges + 1 end
    end
    local chosen = (ask or VarkoGis.askClassification)({ name = basename(path), classes = ranges })
    if not chosen then
      ui.setStatus("")
      return nil, "cancelled"
    end
    ok, result = pcall(ImportGeoRaster, path, chosen)
  end
  ui.setStatus("")
  if not ok then
    local text = reason(result)
    -- a long import shows its progress with Cancel
    if text == "ImportGeoRaster: cancelled!" then
      ui.setStatus("The import was cancelled; the project is as it was.")
      return nil, "cancelled"
    end
    ui.message(title, text)
    return nil, text
  end
  if Varko.Project ~= p then
    local text = "Another project was opened during the import: nothing was imported."
    ui.message(title, text)
    return nil, text
  end
  local fresh = #p.Themes == 0
  if fresh and not result.Dimension then
    local text = path .. " gave no raster size."
    ui.message(title, text)
    return nil, text
  end
  local folder = VarkoFile.dirname(VarkoFile.absolute(ui.filename or path))
  local target = free_image_name(folder, basename(path))
  local err = target and imSaveMap(result.Image.imagemap, result.Image.palette, IM_PNG, IM_NONE, target)
  if err ~= IM_ERR_NONE then
    local text = "cannot write the theme's image " .. tostring(target or (folder .. "/" .. basename(path) .. "-theme.png"))
    if err then text = text .. " (error " .. tostring(err) .. ")" end
    if target then os.remove(target) end
    ui.message(title, text)
    return nil, text
  end
  A.record(title)
  if fresh then
    p.Dimension, p.StudyArea, p.Scale = result.Dimension, result.StudyArea, result.Scale
    p.CRS = result.CRS ~= "" and result.CRS or nil
  end
  local name = basename(path)
  p.Themes[#p.Themes + 1] = { name = name, map = name, weight = 1, file = target, path = target,
                              Image = result.Image, Classes = result.Classes }
  VarkoGis.dropCorridor()
  ui.theme = #p.Themes
  A.changed()
  ui.refresh()
  local how = result.warped and " (warped onto the project's grid)" or ""
  ui.setStatus(string.format("Imported %s: %d classes%s", name, #result.Classes, how))
  return true
end

function A.importGeodata()
  local path = A.chooseFile("OPEN", "Import geodata", GEODATA_FILTER)
  if path then return A.importGeodataFile(path) end
end

-- ------------------------------------------------------------ export

-- Writes the routes with their analysis (length, cost, share of each
-- class) as GeoJSON, GeoPackage or Shapefile, as the extension says.
-- true, or nil and the message shown.
function A.exportRoutesFile(filename)
  local title = "Export routes"
  local p = Varko.Project
  if #p.Paths == 0 then
    ui.message(title, "The project has no routes to export.")
    return nil, "no routes"
  end
  for k = 1, #p.Paths do
    local analysed, problem = VarkoRoutes.analyse(k)
    if not analysed then
      ui.message(title, problem)
      return nil, problem
    end
  end
  local ok, problem = pcall(ExportRoutes, filename)
  if not ok then
    local text = reason(problem)
    ui.message(title, text)
    return nil, text
  end
  ui.setStatus("Exported the routes to " .. filename)
  return true
end

function A.exportRoutes()
  local filename = A.chooseFile("SAVE", "Export routes", ROUTES_FILTER, A.projectName() .. ".geojson")
  if not filename then return end
  if not filename:match("%.[^/.]+$") then filename = filename .. ".geojson" end
  return A.exportRoutesFile(filename)
end

-- The raster export: what the map shows (the selected theme, or the
-- combined theme), or the cost surface from the selected route's start.
-- what: "map" or "surface". true, or nil and the message shown.
function A.exportRasterFile(filename, what)
  local title = "Export raster"
  local p = Varko.Project
  local function fail(text)
    ui.message(title, text)
    return nil, text
  end
  if #p.Themes == 0 then return fail("The project has no themes yet: import a theme first.") end
  local raster
  if what == "surface" or ui.theme == 0 then
    if not VarkoRoutes.combinedValid then
      local made, problem = VarkoRoutes.generateCombined()
      if not made then return fail(problem) end
    end
  end
  if what == "surface" then
    local path = ui.path and p.Paths[ui.path]
    local start = path and (path.Clicked and path.Clicked[1] or path.Points[1])
    if not start then return fail("Select a route in the list first: the surface runs from its start.") end
    ui.setStatus("Computing the cost surface...")
    local ok, surface, cancelled = pcall(CostSurface, { x = start.x, y = start.y })
    ui.setStatus("")
    if not ok then return fail(reason(surface)) end
    if cancelled then return fail("The cost surface was cancelled; nothing was written.") end
    raster = surface
  elseif ui.theme == 0 then
    raster = p.CombinedTheme.Image
  else
    raster = p.Themes[ui.theme].Image
  end
  local ok, problem = pcall(ExportGeoRaster, filename, raster)
  if not ok then return fail(reason(problem)) end
  ui.setStatus("Exported " .. filename)
  return true
end

function A.exportRaster()
  local what = "map"
  if ui.path and Varko.Project.Paths[ui.path] then
    local answer = IupAlarm("Export raster", "Export the map shown, or the cost surface from the selected route's start?",
                            "Map shown", "Cost surface", "Cancel")
    if answer == 3 or answer == 0 then return end
    if answer == 2 then what = "surface" end
  end
  local filename = A.chooseFile("SAVE", "Export raster", RASTER_FILTER, A.projectName() .. ".tif")
  if not filename then return end
  if not filename:match("%.[^/.]+$") then filename = filename .. ".tif" end
  return A.exportRasterFile(filename, what)
end

-- ------------------------------------------------------------ corridor

-- The overlay: the corridor's cells in blue, half transparent, over the map
-- (blue stands out on the green to red of the combined theme).
local function overlay_image(mask, w, h)
  local rgba = cdCreateImageRGBA(w, h)  -- all 0: transparent
  local m, r, g, b, a = mask.imagemap, rgba.r, rgba.g, rgba.b, rgba.a
  -- only the corridor's cells are set (1.7 s for 4000 x 4000 with a tenth marked)
  for k = 0, w * h - 1 do
    if m[k] == 1 then r[k], g[k], b[k], a[k] = 30, 110, 255, 150 end
  end
  return rgba
end

local function draw_overlay(x, y, w, h)
  local c = VarkoGis.corridor
  if VarkoGis.overlayShown and c and c.rgba then cdPutImageRGBA(c.rgba, x, y, w, h) end
end

-- Forgets the corridor (the project it was computed on changed).
function VarkoGis.dropCorridor()
  VarkoGis.corridor = nil
  if VarkoMap.overlay == draw_overlay then VarkoMap.overlay = nil end
end

-- The route's waypoints: its clicked points, else its ends.
local function waypoints(path)
  local points = {}
  local source = (path.Clicked and #path.Clicked >= 2) and path.Clicked or { path.Points[1], path.Points[#path.Points] }
  for n, point in ipairs(source) do points[n] = { x = point.x, y = point.y } end
  return points
end

-- The corridor of route k at tolerance (0.1: within 10 % of the least
-- cost), shown over the map when show is true. The corridor's result, or
-- nil and the message shown.
function A.corridorOf(k, tolerance, show)
  local title = "Corridor"
  local p = Varko.Project
  local path = p.Paths[k]
  if not path or #path.Points == 0 then
    ui.message(title, "Select a route in the list first.")
    return nil, "no route"
  end
  if not VarkoRoutes.combinedValid then
    local made, problem = VarkoRoutes.generateCombined()
    if not made then
      ui.message(title, problem)
      return nil, problem
    end
  end
  ui.setStatus("Computing the corridor...")
  local ok, result, cancelled = pcall(Corridor, waypoints(path), tolerance)
  ui.setStatus("")
  if not ok then
    local text = reason(result)
    ui.message(title, text)
    return nil, text
  end
  if cancelled then
    ui.setStatus("The corridor was cancelled.")
    return nil, "cancelled"
  end
  local w, h = p.Dimension.w, p.Dimension.h
  result.route = k
  result.rgba = overlay_image(result.Mask, w, h)
  VarkoGis.corridor = result
  VarkoMap.overlay = draw_overlay
  VarkoGis.overlayShown = show ~= false
  VarkoMap.redraw()
  ui.setStatus(string.format("Corridor of %s within %g %%: %.2f ha", path.name, tolerance * 100, result.area))
  return result
end

-- The corridor's report: its area by theme class, in hectares.
function VarkoGis.report(c)
  local lines = { string.format("Tolerance: %g %%", c.tolerance * 100), string.format("Least cost: %.3f", c.cost),
                  string.format("Area: %.4f ha", c.area) }
  for t, theme in ipairs(Varko.Project.Themes) do
    local ct = c.Themes[t]
    if ct then
      lines[#lines + 1] = ""
      lines[#lines + 1] = theme.name
      for j, class in ipairs(theme.Classes) do
        local cc = ct.Classes[j]
        if cc then
          lines[#lines + 1] = string.format("  %s: %.4f ha (%.1f %%)", class.description, cc.area, cc.perc)
        end
      end
    end
  end
  return table.concat(lines, "\n")
end

-- The Corridor dialog: a valuator for the tolerance (0 to 50 %), the
-- overlay toggle, Compute and Close; the report of the last computation.
function A.corridor()
  local k = ui.path
  if not (k and Varko.Project.Paths[k]) then
    ui.message("Corridor", "Select a route in the list first.")
    return
  end
  -- the last corridor of this route gives the tolerance and the report
  local last = VarkoGis.corridor and VarkoGis.corridor.route == k and VarkoGis.corridor or nil
  local label = iuplabel { title = "Tolerance: 10 %  ", size = "90x" }
  local val = iupval { "HORIZONTAL", min = 0, max = 0.5, value = last and math.min(0.5, last.tolerance) or 0.1,
                       size = "150x20" }
  local function tolerance() return tonumber(IupGetAttribute(val, "VALUE")) or 0 end
  local function show_value() IupSetAttribute(label, "TITLE", string.format("Tolerance: %.1f %%", tolerance() * 100)) end
  val.mousemove = function() show_value() end
  val.buttonrelease = function() show_value() end
  local toggle = iuptoggle { title = "Show the corridor over the map", value = "ON" }
  local report = iupmultiline { size = "220x90", readonly = "YES", value = last and VarkoGis.report(last) or "" }
  local compute = iupbutton { title = "Compute", size = "50x", action = function()
    show_value()
    local c = A.corridorOf(k, tolerance(), IupGetAttribute(toggle, "VALUE") == "ON")
    if c then IupSetAttribute(report, "VALUE", VarkoGis.report(c)) end
    return IUP_DEFAULT
  end }
  toggle.action = function(_, state) VarkoGis.showOverlay(state == 1) end
  local close = iupbutton { title = "Close", size = "50x", action = function() return IUP_CLOSE end }
  IupSetHandle("VarkoCorridorValuator", val)
  IupSetHandle("VarkoCorridorToggle", toggle)
  IupSetHandle("VarkoCorridorCompute", compute)
  IupSetHandle("VarkoCorridorClose", close)
  IupSetHandle("VarkoCorridorReport", report)
  show_value()
  local dialog = iupdialog { iupvbox { iuphbox { label, val, alignment = "ACENTER" }, toggle, report,
                                       iuphbox { iupfill {}, compute, close, gap = "5" }, margin = "10x10", gap = "5" },
                             title = "Corridor of " .. Varko.Project.Paths[k].name, resize = "NO", minbox = "NO",
                             maxbox = "NO", defaultenter = "VarkoCorridorCompute", defaultesc = "VarkoCorridorClose",
                             parentdialog = "Varko.MainDialog" }
  VarkoGis.dialog = dialog
  IupPopup(dialog, IUP_CENTER, IUP_CENTER)
  VarkoGis.dialog = nil
  IupDestroy(dialog)
end

-- Shows or hides the corridor over the map.
function VarkoGis.showOverlay(flag)
  VarkoGis.overlayShown = flag and true or false
  VarkoMap.redraw()
end

function A.toggleCorridor()
  if not VarkoGis.corridor then
    ui.message("Corridor", "There is no corridor yet: select a route and choose Corridor... first.")
    return
  end
  VarkoGis.showOverlay(not VarkoGis.overlayShown)
  ui.setStatus(VarkoGis.overlayShown and "The corridor is shown." or "The corridor is hidden.")
end

-- A corridor belongs to the project it was computed on.
local opened = ui.projectOpened
function ui.projectOpened(...)
  VarkoGis.dropCorridor()
  return opened(...)
end

return VarkoGis
