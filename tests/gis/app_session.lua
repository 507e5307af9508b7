-- The geodata menus of the application, driven as a user drives them (file
-- dialogs, the classification form, the corridor dialog answered by the
-- headless driver): import into a new project and a warped second theme,
-- the CRS through save and open, routes and rasters out (read back by GDAL),
-- the corridor with its valuator and overlay, and refused input leaving the
-- project as it was.
dofile("harness.lua")
VarkoDir = "sample"
VarkoNoAutoLoad = true
dofile("sample/varko.lua")
local VarkoUI, VarkoActions, VarkoRoutes = require("varko_ui"), require("varko_actions"), require("varko_routes")
local VarkoFile, VarkoForms, VarkoGis = require("varko_file"), require("varko_forms"), require("varko_gis")
local VarkoProject = require("varko_project")

local function sh(command)
  local ok = os.execute(command .. " >/dev/null 2>&1")
  check(ok, "command ran: " .. command)
end

local function output(command)
  local pipe = io.popen(command .. " 2>&1")
  local text = pipe:read("a")
  pipe:close()
  return text
end

local function write(name, text)
  local f = assert(io.open(name, "wb"))
  f:write(text)
  f:close()
end

-- an ESRI ASCII grid of w x h cells, value fn(column, row) with row 0 the top line
local function ascii_grid(name, w, h, fn, nodata)
  local lines = { "ncols " .. w, "nrows " .. h, "xllcorner 500000", "yllcorner 4100000", "cellsize 10" }
  if nodata then lines[#lines + 1] = "NODATA_value " .. nodata end
  for r = 0, h - 1 do
    local row = {}
    for c = 0, w - 1 do row[#row + 1] = tostring(fn(c, r)) end
    lines[#lines + 1] = table.concat(row, " ")
  end
  write(name, table.concat(lines, "\n") .. "\n")
end

-- Runs fn (which pops a dialog up) while the idle function performs one
-- step per call.
local function during(steps, fn)
  local i = 0
  IupSetIdle(function()
    i = i + 1
    if steps[i] then steps[i]() end
  end)
  local results = table.pack(fn())
  IupSetIdle(nil)
  return table.unpack(results, 1, results.n)
end

-- Steps typing texts into the form's fields (false keeps a field), then OK;
-- a form still up after that is cancelled and noted in still_open.
local still_open = false
local function typing(texts)
  local steps = {}
  for n, text in ipairs(texts) do
    if n > 1 then steps[#steps + 1] = function() iuptest.key(K_TAB) end end
    steps[#steps + 1] = function()
      if text ~= false then
        iuptest.set_selection(IupGetFocus(), 0, 1000)
        iuptest.type(text)
      end
    end
  end
  steps[#steps + 1] = function() iuptest.click(IupGetHandle("VarkoFormOk")) end
  steps[#steps + 1] = function()
    still_open = VarkoForms.current ~= nil
    if still_open then iuptest.click(IupGetHandle("VarkoFormCancel")) end
  end
  return steps
end

local W, H = 60, 40
-- land: five classes in bands, a wall of class 5 down column 30 with a gap
-- in rows 5 to 8 (top first), one nodata cell
ascii_grid("land.asc", W, H, function(c, r)
  if c == 59 and r == 39 then return 0 end
  if c == 30 and (r < 5 or r > 8) then return 5 end
  return 1 + (c // 15) % 4
end, 0)
sh("gdal_translate -q -ot Byte -a_srs EPSG:32633 land.asc land.tif")
ascii_grid("heights.asc", W, H, function(c, r)
  if c == 0 and r == 0 then return -9999 end
  return r * W + c + 0.5
end, -9999)
sh("gdal_translate -q -ot Float32 -a_srs EPSG:32633 heights.asc heights.tif")
-- the land in geographic coordinates: warped back onto the project's grid
sh("gdalwarp -q -overwrite -t_srs EPSG:4326 -r near land.tif land_geo.tif")
write("corrupt.tif", "II*\0\8\0\0\0" .. string.rep("\255", 200))

-- 1. Project > Import geodata... into a new project: grid, CRS, classes,
--    the theme's image written beside the raster.
VarkoActions.newProject()
local p = Varko.Project
iuptest.answer_file("land.tif")
VarkoUI.run("Import geodata...")
p = Varko.Project
check_eq(#p.Themes, 1, "the raster became a theme")
check_eq(p.Dimension.w .. "x" .. p.Dimension.h, W .. "x" .. H, "the first import sets the raster size")
check_eq(p.StudyArea.left, 500000, "StudyArea.left")
check_eq(p.StudyArea.right, 500000 + W * 10, "StudyArea.right")
check_eq(p.StudyArea.bottom, 4100000, "StudyArea.bottom")
check_eq(p.StudyArea.top, 4100000 + H * 10, "StudyArea.top")
check_eq(p.Scale.sx .. " " .. p.Scale.sy, "10 10", "Scale")
check(type(p.CRS) == "string" and p.CRS:find("32633", 1, true) ~= nil, "the CRS is the file's, as WKT")
local land = p.Themes[1]
check_eq(land.name, "land", "named after the file")
check_eq(land.file, VarkoFile.absolute("land-theme.png"), "its classes written beside the raster")
local iw, ih, kind = imImageInfo(land.file)
check(iw == W and ih == H and kind == IM_MAP, "as an 8-bit map image of the raster's size")
check_eq(#land.Classes, 6, "five values and nodata")
local nodata_class
for _, class in ipairs(land.Classes) do
  if class.description == "No data" then nodata_class = class end
end
check(nodata_class and VarkoProject.isImpassable(nodata_class), "nodata is an impassable class")
check_eq(land.Image.imagemap[30 + 0 * W], 5, "the wall at the bottom line")
check_eq(land.Image.imagemap[30 + (H - 6) * W], 1 + 30 // 15 % 4, "the gap in the wall")
check(VarkoUI.modified, "the import marks the project changed")
check_eq(VarkoUI.theme, 1, "the new theme is shown")

-- 2. A second import in another CRS is warped onto the project's grid.
iuptest.answer_file("land_geo.tif")
VarkoUI.run("Import geodata...")
check_eq(#p.Themes, 2, "the geographic raster became a second theme")
check_eq(p.Dimension.w .. "x" .. p.Dimension.h, W .. "x" .. H, "on the project's grid")
check(p.CRS:find("32633", 1, true) ~= nil, "the project keeps its CRS")
local same, inside = 0, 0
for y = 5, H - 6 do
  for x = 5, W - 6 do
    inside = inside + 1
    if p.Themes[2].Image.imagemap[x + y * W] == land.Image.imagemap[x + y * W] then same = same + 1 end
  end
end
-- two nearest-neighbour warps move a few cells along class edges
check(same >= inside * 0.9, string.format("warped back, the inner cells keep their classes (%d of %d)", same, inside))

-- 3. A continuous band asks for its classification.
local asked = during(typing({ "quantile", "4" }), function()
  iuptest.answer_file("heights.tif")
  VarkoUI.run("Import geodata...")
  return #p.Themes
end)
check_eq(asked, 3, "the float raster became a theme")
local heights = p.Themes[3]
check_eq(#heights.Classes, 5, "four quantile classes and nodata")
-- 2399 values from 1.5 (the top left cell is nodata), about 600 a class
check_eq(heights.Classes[2].description, "1.5 - 600.5", "class ranges in the descriptions")
check_eq(heights.file, VarkoFile.absolute("heights-theme.png"), "its own image file")
local before = VarkoFile.text(p)
during(typing({ "breaks", false, "50 10" }), function()
  iuptest.answer_file("heights.tif")
  VarkoUI.run("Import geodata...")
end)
check(still_open, "breaks out of order keep the form open")
check_eq(iuptest.last_message(), "Classify heights: The breaks must be ascending.", "and say why")
check_eq(VarkoFile.text(p), before, "a cancelled classification imports nothing")
during(typing({ "natural" }), function()
  iuptest.answer_file("heights.tif")
  VarkoUI.run("Import geodata...")
end)
check_eq(iuptest.last_message(), "Classify heights: The method is equal, quantile or breaks.", "an unknown method")
during(typing({ "equal", false, false, "sharpest" }), function()
  iuptest.answer_file("heights.tif")
  VarkoUI.run("Import geodata...")
end)
check(still_open and iuptest.last_message():find("^Classify heights: The resampling is one of GDAL's: near, ") ~= nil,
      "a resampling GDAL does not know: " .. iuptest.last_message())
during(typing({ "breaks", false, "100, 1000" }), function()
  iuptest.answer_file("heights.tif")
  VarkoUI.run("Import geodata...")
end)
check_eq(#p.Themes, 4, "the user's breaks")
check_eq(p.Themes[4].Classes[3].description, "100 - 1000", "the middle class between the breaks")
check_eq(p.Themes[4].file, VarkoFile.absolute("heights-theme2.png"), "a second image beside the first, not over it")
VarkoUI.selectTheme(4)
iuptest.answer_alarm(1)
VarkoActions.removeTheme()
-- the resampling chosen reaches the warper: nearest neighbour keeps the
-- cells' own values, bilinear blends neighbours (255 equal classes)
sh("gdalwarp -q -overwrite -t_srs EPSG:4326 -r near heights.tif heights_geo.tif")
local warped_maps = {}
for _, resampling in ipairs({ "near", "bilinear" }) do
  during(typing({ "equal", "255", false, resampling }), function()
    iuptest.answer_file("heights_geo.tif")
    VarkoUI.run("Import geodata...")
  end)
  check_eq(#p.Themes, 4, "the warped float raster with " .. resampling)
  warped_maps[resampling] = p.Themes[4].Image.imagemap
  VarkoUI.selectTheme(4)
  iuptest.answer_alarm(1)
  VarkoActions.removeTheme()
end
local differ = 0
for n = 0, W * H - 1 do
  if warped_maps.near[n] ~= warped_maps.bilinear[n] then differ = differ + 1 end
end
check(differ > W * H // 10, "bilinear and nearest neighbour give other classes (" .. differ .. " cells)")

-- 4. Bad input: a message, the project untouched.
before = VarkoFile.text(p)
local cases = {
  { "corrupt.tif", "^Import geodata: ImportGeoRaster: cannot read corrupt.tif: .+!$" },
  { "missing.tif", "^Import geodata: ImportGeoRaster: cannot read missing.tif: .+!$" },
}
for _, case in ipairs(cases) do
  iuptest.answer_file(case[1])
  VarkoUI.run("Import geodata...")
  check(iuptest.last_message():find(case[2]) ~= nil, case[1] .. " refused: " .. iuptest.last_message())
  check_eq(VarkoFile.text(p), before, case[1] .. ": the project is untouched")
end
-- a project in a folder that cannot take the theme's image (gone since it
-- was opened): refused before anything changes
VarkoUI.filename = "/nonexistent-folder/geo.vrk"
iuptest.answer_file("land.tif")
VarkoUI.run("Import geodata...")
check_eq(iuptest.last_message(), "Import geodata: cannot write the theme's image "
         .. "/nonexistent-folder/land-theme.png (error " .. IM_ERR_OPEN .. ")", "an image that cannot be written")
check_eq(VarkoFile.text(p), before, "the project is untouched")
VarkoUI.filename = nil
iuptest.cancel_file()
VarkoUI.run("Import geodata...")
check_eq(VarkoFile.text(p), before, "a cancelled file dialog changes nothing")

-- 5. The CRS goes through save and open, byte for byte, also as
--    multi-line WKT with quotes.
check(VarkoActions.saveFile("geo.vrk"), "saved")
local crs = p.CRS
check(VarkoActions.openFile("geo.vrk"), "opened again")
p = Varko.Project
check_eq(p.CRS, crs, "the CRS read back unchanged")
check_eq(#p.Themes, 3, "with the themes, their images found")
local pretty = output("gdalsrsinfo -o wkt2 EPSG:32633"):gsub("^%s+", ""):gsub("%s+$", "")
check(pretty:find("\n", 1, true) and pretty:find('"', 1, true), "the pretty WKT has line ends and quotes")
p.CRS = pretty
check(VarkoActions.saveFile("pretty.vrk"), "saved with the pretty WKT")
check(VarkoActions.openFile("pretty.vrk"), "and opened")
p = Varko.Project
check_eq(p.CRS, pretty, "the pretty WKT read back unchanged")
write("badcrs.vrk", (VarkoFile.text(p):gsub('CRS = "', "CRS = 5, x = \"")))
check_eq(VarkoActions.openFile("badcrs.vrk"), nil, "a CRS that is not a text is refused")
check_eq(iuptest.last_message(), "Open project: badcrs.vrk: CRS must be a text", "and named")

-- 6. A route, then Project > Export routes... as GeoPackage, read by GDAL.
p.r, p.i = 1, 2
iuptest.reset()
local k = VarkoActions.routeThrough({ { x = 5, y = 5 }, { x = 55, y = 5 } })
check_eq(k, 1, "a route across the wall")
iuptest.answer_file("routes.gpkg")
VarkoUI.run("Export routes...")
check_eq(iuptest.last_message(), "Export routes", "nothing shown after the file dialog")
local info = output("ogrinfo -al -q routes.gpkg")
check(info:find("name (String) = Route 1", 1, true) ~= nil, "ogrinfo reads the route's name")
local length = tonumber(info:match("length %(Real%) = (%S+)"))
check(length and math.abs(length - p.Paths[1].Analysis.length) < 1e-6, "and its length, the analysis's")
check(output("ogrinfo -so -al routes.gpkg"):find("32633", 1, true) ~= nil, "in the project's CRS")
iuptest.answer_file("routes")  -- no extension: GeoJSON
VarkoUI.run("Export routes...")
check(output("ogrinfo -so -al routes.geojson"):find("Feature Count: 1", 1, true) ~= nil, "GeoJSON when no extension")
before = VarkoFile.text(p)
iuptest.answer_file("/nonexistent-folder/routes.shp")
VarkoUI.run("Export routes...")
check(iuptest.last_message():find("^Export routes: ExportRoutes: cannot create .*/nonexistent%-folder/routes.shp: .+!$") ~= nil,
      "a folder that cannot be written: " .. iuptest.last_message())
iuptest.answer_file("routes.txt")
VarkoUI.run("Export routes...")
check_eq(iuptest.last_message(), "Export routes: ExportRoutes: cannot tell the format of routes.txt (.geojson, .gpkg or .shp)!",
         "an extension of no route format")
check_eq(VarkoFile.text(p), before, "failed exports leave the project as it was")

-- 7. Project > Export raster...: the map shown, or the cost surface from the
--    selected route's start.
VarkoUI.selectPath(nil)
VarkoUI.selectTheme(1)
iuptest.answer_file("shown.tif")
VarkoUI.run("Export raster...")
local shown, source = output("gdalinfo shown.tif"), output("gdalinfo land.tif")
check_eq(shown:match("Origin = %b()"), source:match("Origin = %b()"), "the theme's origin")
check_eq(shown:match("Pixel Size = %b()"), source:match("Pixel Size = %b()"), "its pixel size")
check(shown:find("Color Table", 1, true) ~= nil, "with its colour table")
check_eq(output("gdallocationinfo -valonly shown.tif 30 39"), "5\n", "the wall's bottom cell")
VarkoUI.selectTheme(0)
iuptest.answer_file("combined.tif")
VarkoUI.run("Export raster...")
check(output("gdalinfo combined.tif"):find("Color Table", 1, true) ~= nil, "the combined theme with its colours")
VarkoUI.selectPath(1)
iuptest.answer_alarm(2)
iuptest.answer_file("surface.tif")
VarkoUI.run("Export raster...")
local surface = output("gdalinfo -stats surface.tif")
check(surface:find("Type=Float32", 1, true) ~= nil, "the cost surface as floats")
local start, finish_point = p.Paths[1].Clicked[1], p.Paths[1].Clicked[2]
local at_start = tonumber(output(string.format("gdallocationinfo -valonly surface.tif %d %d", start.x, H - 1 - start.y)))
local at_end = tonumber(output(string.format("gdallocationinfo -valonly surface.tif %d %d", finish_point.x,
                                             H - 1 - finish_point.y)))
check_eq(at_start, 0, "the surface starts at the route's start")
check(at_end and math.abs(at_end - p.Paths[1].Analysis.cost) <= 1e-5 * at_end,
      "and reaches the route's cost at its end: " .. tostring(at_end) .. " " .. tostring(p.Paths[1].Analysis.cost))
iuptest.answer_alarm(3)
iuptest.answer_file("cancelled.tif")
VarkoUI.run("Export raster...")
check_eq(io.open("cancelled.tif"), nil, "Cancel exports nothing")
iuptest.reset()  -- the file answer left unused

-- 8. Routes > Corridor...: the valuator sets the tolerance, Compute shows the
--    report and the overlay, the toggle hides it.
local cd = canvas.cdlua_canvas
local pixel = imCreateImageRGB(1, 1)
local function colour_at(x, y)
  cdActivate(cd)
  cdGetImageRGB(pixel, x, y)
  return string.format("%d %d %d", pixel.r[0], pixel.g[0], pixel.b[0])
end
VarkoUI.selectPath(nil)
VarkoUI.run("Corridor...")
check_eq(iuptest.last_message(), "Corridor: Select a route in the list first.", "a corridor needs a route")
VarkoUI.run("Corridor overlay on/off")
check_eq(iuptest.last_message(), "Corridor: There is no corridor yet: select a route and choose Corridor... first.",
         "no overlay without a corridor")
VarkoUI.selectPath(1)
-- a pixel off the route, inside a wide corridor: the map's colour there without overlay
local probe = { x = 20, y = 4 }
local px, py = imagetocanvas(probe.x, probe.y)
local plain = colour_at(px, py)
local report, report_text, toggled
during({
  function() IupSetAttribute(IupGetHandle("VarkoCorridorValuator"), "VALUE", "0.3") end,
  function() iuptest.click(IupGetHandle("VarkoCorridorCompute")) end,
  function()
    report = VarkoGis.corridor
    report_text = IupGetAttribute(IupGetHandle("VarkoCorridorReport"), "VALUE")
  end,
  function() iuptest.click(IupGetHandle("VarkoCorridorToggle")) end,
  function() toggled = VarkoGis.overlayShown end,
  function() iuptest.click(IupGetHandle("VarkoCorridorClose")) end,
}, function() VarkoUI.run("Corridor...") end)
local reopened = {}
during({
  function()
    reopened.value = tonumber(IupGetAttribute(IupGetHandle("VarkoCorridorValuator"), "VALUE"))
    reopened.report = IupGetAttribute(IupGetHandle("VarkoCorridorReport"), "VALUE")
  end,
  function() iuptest.click(IupGetHandle("VarkoCorridorClose")) end,
}, function() VarkoUI.run("Corridor...") end)
check_eq(reopened.value, 0.3, "opened again, the valuator stands at the last tolerance")
check_eq(reopened.report, report_text, "and the report is the last one")
check(report ~= nil, "Compute made a corridor")
check_eq(report and report.tolerance, 0.3, "at the valuator's tolerance")
check(report_text and report_text:find("Tolerance: 30 %", 1, true) ~= nil, "the report names it")
check(report_text and report_text:find("Area: %d+%.%d+ ha") ~= nil, "and the area in hectares")
check_eq(toggled, false, "the toggle hides the overlay")
check_eq(report.Mask.imagemap[probe.x + probe.y * W], 1, "the probe lies in the corridor")
check_eq(colour_at(px, py), plain, "hidden, the map shows its own colour")
VarkoUI.run("Corridor overlay on/off")
check(VarkoGis.overlayShown, "the menu shows it again")
local tinted = colour_at(px, py)
check(tinted ~= plain, "shown, the corridor tints the map: " .. plain .. " -> " .. tinted)
local outside = { x = 55, y = 35 }
check_eq(report.Mask.imagemap[outside.x + outside.y * W], 0, "a far corner lies outside")
local ox, oy = imagetocanvas(outside.x, outside.y)
local outside_colour = colour_at(ox, oy)
VarkoUI.run("Corridor overlay on/off")
check_eq(colour_at(ox, oy), outside_colour, "outside, the overlay leaves the map as it is")
-- tolerance 0 holds the route; a wider one holds the narrower
local narrow = VarkoActions.corridorOf(1, 0, true)
local held = true
for _, pt in ipairs(p.Paths[1].Points) do
  if narrow.Mask.imagemap[pt.x + pt.y * W] ~= 1 then held = false end
end
check(held, "at tolerance 0 the corridor holds the route's cells")
local wide = VarkoActions.corridorOf(1, 0.5, true)
local superset = true
for n = 0, W * H - 1 do
  if narrow.Mask.imagemap[n] == 1 and wide.Mask.imagemap[n] ~= 1 then superset = false end
end
check(superset and wide.area > narrow.area, "a wider tolerance, a wider corridor")
check_near(wide.area, wide.Themes[1].area, 1e-9, "every corridor cell counted in the first theme's classes")
-- a corridor belongs to its project
iuptest.answer_alarm(2)  -- discard the changes
VarkoActions.newProject()
check_eq(VarkoGis.corridor, nil, "a new project drops the corridor")

-- 9. A long corridor (the sample at r = 1, i = 20) shows its progress after
--    half a second, and Cancel stops it with the project as it was.
check(VarkoActions.openFile("sample/sample.vrk"), "the sample")
p = Varko.Project
local route = VarkoActions.routeThrough({ { x = 150, y = 450 }, { x = 420, y = 660 } })
check_eq(route, 1, "a route on the sample")
p.r, p.i = 1, 20
VarkoRoutes.invalidate()
before = VarkoFile.text(p)
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
local cancelled, why = VarkoActions.corridorOf(route, 0.1, true)
IupSetIdle(nil)
check_eq(cancelled, nil, "a cancelled corridor gives nothing")
check_eq(why, "cancelled", "because it was cancelled")
check(dialog_seen, "the corridor showed its progress with Cancel")
check(clicked_at and os.time() - clicked_at < 30, "the cancel stopped it")
check_eq(VarkoGis.corridor, nil, "no corridor is kept")
check_eq(VarkoFile.text(p), before, "the project is as it was")
check(IupGetHandle("VarkoSearchCancel") == nil or not iuptest.visible(IupGetHandle("VarkoSearchCancel")),
      "the progress dialog is gone")

-- 10. A long import (a 3000 x 3000 float raster warped from geographic
--     coordinates with lanczos, several times the work of bilinear, which an
--     idle machine finished within the half second) shows its progress after
--     half a second; Cancel stops it with the project as it was.
iuptest.answer_alarm(2)  -- discard the changes
VarkoActions.newProject()
sh("gdal_create -q -of GTiff -outsize 3000 3000 -bands 1 -ot Byte -burn 1 -a_srs EPSG:32633 "
   .. "-a_ullr 500000 4130000 530000 4100000 big.tif")
sh("gdal_create -q -of GTiff -outsize 3000 3000 -bands 1 -ot Float32 -burn 2.5 -a_srs EPSG:4326 "
   .. "-a_ullr 14.95 37.35 15.4 36.95 bigf.tif")
check(VarkoActions.importGeodataFile("big.tif"), "a 3000 x 3000 project")
p = Varko.Project
before = VarkoFile.text(p)
local import_dialog, nested = false, nil
IupSetIdle(function()
  local cancel = IupGetHandle("VarkoSearchCancel")
  if cancel and iuptest.visible(cancel) then
    import_dialog, clicked_at = true, clicked_at or os.time()
    -- the dialog's loop runs script code: a second import meanwhile is refused
    nested = select(2, pcall(ImportGeoRaster, "land.tif"))
    iuptest.click(cancel)
  end
end)
clicked_at = nil
local imported, import_problem = VarkoActions.importGeodataFile("bigf.tif", { resampling = "lanczos" })
IupSetIdle(nil)
check_eq(imported, nil, "a cancelled import gives nothing")
check_eq(import_problem, "cancelled", "because it was cancelled")
check(import_dialog, "the import showed its progress with Cancel")
check_eq(nested, "ImportGeoRaster: an import is running!", "an import while one runs is refused")
check(clicked_at and os.time() - clicked_at < 60, "the cancel stopped it")
check_eq(VarkoFile.text(p), before, "the project is as it was")
check_eq(io.open("bigf-theme.png"), nil, "no theme image written")
check(IupGetHandle("VarkoSearchCancel") == nil or not iuptest.visible(IupGetHandle("VarkoSearchCancel")),
      "the progress dialog is gone")
IupHide(VarkoUI.dialog)
finish()
