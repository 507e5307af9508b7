-- Geodata in and out: ImportGeoRaster, ExportGeoRaster and ExportRoutes
-- against rasters made with gdal_translate/gdal_create/gdalwarp, and their
-- results read back by gdalinfo and by GDAL's Python module (read_geo.py).
dofile("harness.lua")
dofile("varko_map.lua")  -- the sample script's imagetomap: pixel centres

local function sh(command)
  local ok = os.execute(command .. " >/dev/null 2>&1")
  check(ok, "command ran: " .. command)
  return ok
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

-- read_geo.py raster FILE -> { w, h, gt = {...}, colours, rows = {{...}}, mask = {{...}} }
local function read_raster(name)
  local r = { rows = {}, mask = {}, gt = {} }
  for line in output("/usr/bin/python3 read_geo.py raster " .. name):gmatch("[^\n]+") do
    local key, rest = line:match("^(%S+)%s*(.*)$")
    local numbers = {}
    for v in rest:gmatch("%S+") do numbers[#numbers + 1] = tonumber(v) end
    if key == "size" then r.w, r.h = numbers[1], numbers[2]
    elseif key == "gt" then r.gt = numbers
    elseif key == "colours" then r.colours = numbers[1]
    elseif key == "row" then r.rows[#r.rows + 1] = numbers
    elseif key == "mask" then r.mask[#r.mask + 1] = numbers
    else print("read_geo: " .. line) end
  end
  return r
end

local function read_vector(name)
  local v = { features = {} }
  local current
  for line in output("/usr/bin/python3 read_geo.py vector " .. name):gmatch("[^\n]+") do
    local key, rest = line:match("^(%S+)%s*(.*)$")
    if key == "crs" then v.crs = rest
    elseif key == "feature" then
      current = { name = rest, fields = {}, vertices = {} }
      v.features[#v.features + 1] = current
    elseif key == "field" then
      local field, value = rest:match("^(%S+)%s*(.*)$")
      current.fields[field] = value == "null" and "null" or (tonumber(value) or value)
    elseif key == "vertex" then
      local x, y = rest:match("^(%S+)%s+(%S+)$")
      current.vertices[#current.vertices + 1] = { tonumber(x), tonumber(y) }
    else print("read_geo: " .. line) end
  end
  return v
end

-- an ESRI ASCII grid; rows given top first
local function ascii_grid(name, rows, xll, yll, cell, nodata)
  local lines = { "ncols " .. #rows[1], "nrows " .. #rows, "xllcorner " .. xll, "yllcorner " .. yll,
                  "cellsize " .. cell }
  if nodata then lines[#lines + 1] = "NODATA_value " .. nodata end
  for _, row in ipairs(rows) do lines[#lines + 1] = table.concat(row, " ") end
  write(name, table.concat(lines, "\n") .. "\n")
end

-- a theme table from an import result, as the start-up script makes it
local function add_theme(result, name)
  local p = Varko.Project
  p.numThemes = p.numThemes + 1
  p.Themes[p.numThemes] = { name = name, map = name, weight = 1, numClasses = result.numClasses,
                            Classes = result.Classes, Image = result.Image }
  p.ThemesNames[p.numThemes] = name
end

local function new_project()
  Varko = { Project = { numThemes = 0, Themes = {}, ThemesNames = {}, numPaths = 0, Paths = {},
                        WeightLimits = { minWeight = 0, maxWeight = 100000 }, i = 3, r = 5 } }
end

local function class_of(result, index)
  for _, c in ipairs(result.Classes) do
    if c.colorindex == index then return c end
  end
end

-- 1. A categorical GeoTIFF made by gdal_translate: grid, classes, pixels, and
--    back out through ExportGeoRaster to the same georeference and pixels.
local land = { { 1, 1, 2, 2, 3, 3 }, { 1, 2, 2, 3, 3, 9 }, { 4, 4, 2, 3, 9, 9 }, { 4, 4, 4, 0, 9, 9 } }
ascii_grid("land.asc", land, 500000, 4100000, 10, 0)
sh("gdal_translate -q -ot Byte -a_srs EPSG:32633 land.asc land.tif")
new_project()
local land_result = ImportGeoRaster("land.tif")
check_eq(Varko.Project.numThemes, 0, "the import leaves the project alone")
check_eq(land_result.Dimension.w, 6, "first import: width")
check_eq(land_result.Dimension.h, 4, "first import: height")
check_eq(land_result.StudyArea.left, 500000, "StudyArea.left")
check_eq(land_result.StudyArea.right, 500060, "StudyArea.right")
check_eq(land_result.StudyArea.bottom, 4100000, "StudyArea.bottom")
check_eq(land_result.StudyArea.top, 4100040, "StudyArea.top")
check_eq(land_result.Scale.sx, 10, "Scale.sx")
check_eq(land_result.Scale.sy, 10, "Scale.sy")
check(land_result.CRS:find("32633", 1, true) ~= nil, "the CRS is the file's (EPSG 32633)")
check_eq(land_result.categorical, true, "a byte band with few values is categorical")
check_eq(land_result.warped, false, "the first import is not warped")
-- values 1 2 3 4 9 and nodata 0: six classes, nodata impassable
check_eq(land_result.numClasses, 6, "one class per value and one for nodata")
check_eq(class_of(land_result, 0).description, "No data", "nodata class")
check_eq(class_of(land_result, 0).weight, 100000, "nodata is impassable")
check_eq(class_of(land_result, 9).description, "Value 9", "class of value 9")
check_eq(class_of(land_result, 9).weight, 1, "value classes start with weight 1")
local map = land_result.Image.imagemap
local pixels_ok = true
for y = 0, 3 do
  for x = 0, 5 do
    -- row 0 of the image map is the bottom line
    if map[x + y * 6] ~= land[4 - y][x + 1] then pixels_ok = false end
  end
end
check(pixels_ok, "imported pixels, bottom line first")

local p = Varko.Project
p.Dimension, p.StudyArea, p.Scale, p.CRS = land_result.Dimension, land_result.StudyArea, land_result.Scale,
                                           land_result.CRS
add_theme(land_result, "land")
check_eq(ExportGeoRaster("land_out.tif", land_result.Image), nil, "export returns nothing")
local info_in, info_out = output("gdalinfo land.tif"), output("gdalinfo land_out.tif")
check_eq(info_out:match("Origin = %b()"), info_in:match("Origin = %b()"), "gdalinfo: same origin")
check_eq(info_out:match("Pixel Size = %b()"), info_in:match("Pixel Size = %b()"), "gdalinfo: same pixel size")
check(info_out:find("UTM zone 33N", 1, true) ~= nil, "gdalinfo: the CRS is written")
check(info_out:find("Color Table", 1, true) ~= nil, "gdalinfo: the palette is a colour table")
local back, source = read_raster("land_out.tif"), read_raster("land.tif")
local same = back.w == 6 and back.h == 4
for y = 1, 4 do
  for x = 1, 6 do
    if not back.rows[y] or back.rows[y][x] ~= source.rows[y][x] then same = false end
  end
end
check(same, "exported pixels equal the file's, top row first")
check_eq(back.colours, 256, "the colour table has the palette's 256 entries")

-- 2. The same grid as an ESRI ASCII grid straight away: no warp, same pixels.
local direct = ImportGeoRaster("land.asc")
check_eq(direct.warped, false, "a file on the project grid is not warped")
check_eq(direct.Dimension, nil, "only the first import gives the grid")
check_eq(direct.Image.imagemap[5 + 3 * 6], 3, "pixel (5, 3) is the top right value")

-- 2b. The file's colour table colours the classes (a VRT with a colour
--     table over land.tif, made a GeoTIFF by gdal_translate).
local entries = {}
for i = 0, 9 do entries[#entries + 1] = string.format('<Entry c1="%d" c2="%d" c3="%d" c4="255"/>', i * 20, 100 + i, 250 - i * 5) end
write("coloured.vrt", [[<VRTDataset rasterXSize="6" rasterYSize="4"><SRS>EPSG:32633</SRS>
  <GeoTransform>500000, 10, 0, 4100040, 0, -10</GeoTransform>
  <VRTRasterBand dataType="Byte" band="1"><ColorInterp>Palette</ColorInterp><ColorTable>]]
  .. table.concat(entries) .. [[</ColorTable>
  <SimpleSource><SourceFilename relativeToVRT="1">land.tif</SourceFilename><SourceBand>1</SourceBand></SimpleSource>
  </VRTRasterBand></VRTDataset>]])
sh("gdal_translate -q coloured.vrt coloured.tif")
local coloured = ImportGeoRaster("coloured.tif")
for _, v in ipairs({ 1, 4, 9 }) do
  local r, g, b = imDecodeColor(coloured.Image.palette[v])
  check(r == v * 20 and g == 100 + v and b == 250 - v * 5, "class " .. v .. " takes the file's colour")
end

-- 3. Continuous bands: equal intervals, quantiles, the user's breaks.
local heights = {}
for r = 1, 4 do
  heights[r] = {}
  for c = 1, 6 do heights[r][c] = (r - 1) * 6 + (c - 1) + 0.5 end  -- 0.5 .. 23.5, top row first
end
heights[4][6] = -9999
ascii_grid("heights.asc", heights, 500000, 4100000, 10, -9999)
sh("gdal_translate -q -ot Float32 -a_srs EPSG:32633 heights.asc heights.tif")
local equal = ImportGeoRaster("heights.tif", { classes = 4 })
check_eq(equal.categorical, false, "a float band is continuous")
check_eq(equal.numClasses, 5, "four ranges and nodata")
check_eq(equal.Classes[1].description, "No data", "nodata class first")
check_eq(equal.Classes[1].weight, 100000, "nodata impassable")
check_eq(equal.Classes[2].description, "0.5 - 6", "first equal interval")
check_eq(equal.Classes[5].description, "17 - 22.5", "last equal interval")
local hm = equal.Image.imagemap
check_eq(hm[0 + 3 * 6], 1, "0.5 (top left) in class 1")
check_eq(hm[5 + 0 * 6], 0, "nodata pixel (bottom right) is index 0")
check_eq(hm[0 + 0 * 6], 4, "18.5 (bottom left) in class 4")
check_eq(hm[5 + 3 * 6], 1, "5.5 (top right) in class 1")
check_eq(hm[0 + 2 * 6], 2, "6.5 in class 2")
local quantile = ImportGeoRaster("heights.tif", { method = "quantile", classes = 2 })
check_eq(quantile.numClasses, 3, "two quantile classes and nodata")
check_eq(quantile.Classes[2].description, "0.5 - 11.5", "lower half of 23 values (12 values)")
check_eq(quantile.Image.imagemap[5 + 2 * 6], 1, "11.5 in the lower half")
check_eq(quantile.Image.imagemap[0 + 1 * 6], 2, "12.5 in the upper half")
local breaks = ImportGeoRaster("heights.tif", { breaks = { 2, 10 } })
check_eq(breaks.numClasses, 4, "two breaks make three classes")
check_eq(breaks.Classes[3].description, "2 - 10", "middle class")
check_eq(breaks.Image.imagemap[2 + 3 * 6], 2, "2.5 above the first break")
check_eq(breaks.Image.imagemap[1 + 3 * 6], 1, "1.5 below the first break")

-- 4. A theme in UTM beside a geographic project lands where gdalwarp puts it.
sh("gdal_create -q -of GTiff -outsize 30 20 -bands 1 -ot Byte -burn 1 -a_srs EPSG:4326 "
   .. "-a_ullr 14.985 52.01 15.015 51.99 geo.tif")
new_project()
local geo = ImportGeoRaster("geo.tif")
p = Varko.Project
p.Dimension, p.StudyArea, p.Scale, p.CRS = geo.Dimension, geo.StudyArea, geo.Scale, geo.CRS
add_theme(geo, "geo")
local utm = {}
for r = 1, 40 do
  utm[r] = {}
  for c = 1, 40 do utm[r][c] = (r * 7 + c * 3) % 50 + 1 end
end
ascii_grid("utm.asc", utm, 499300, 5761100, 40, nil)
sh("gdal_translate -q -ot Byte -a_srs EPSG:32633 utm.asc utm.tif")
local warped = ImportGeoRaster("utm.tif")
check_eq(warped.warped, true, "a theme in another CRS is warped")
check_eq(warped.Dimension, nil, "a later import gives no grid")
sh(string.format("gdalwarp -q -overwrite -t_srs EPSG:4326 -te %.17g %.17g %.17g %.17g -ts 30 20 -r near "
                 .. "-dstalpha utm.tif ref.tif", geo.StudyArea.left, geo.StudyArea.bottom, geo.StudyArea.right,
                 geo.StudyArea.top))
local ref = read_raster("ref.tif")
local nodata
for _, c in ipairs(warped.Classes) do
  if c.description == "No data" then nodata = c.colorindex end
end
check(nodata ~= nil, "pixels outside the UTM raster make a nodata class")
local equal_pixels, inside, outside = true, 0, 0
for y = 0, 19 do
  for x = 0, 29 do
    local ry = 20 - y
    local expected = ref.mask[ry][x + 1] == 0 and nodata or ref.rows[ry][x + 1]
    if ref.mask[ry][x + 1] == 0 then outside = outside + 1 else inside = inside + 1 end
    if warped.Image.imagemap[x + y * 30] ~= expected then equal_pixels = false end
  end
end
check(equal_pixels, "pixel for pixel what gdalwarp makes, nearest neighbour")
check(inside > 0 and outside > 0, "the UTM raster covers part of the project")

-- 5. A rotated geotransform is warped north-up.
write("rotated.vrt", [[<VRTDataset rasterXSize="10" rasterYSize="10">
  <SRS>EPSG:32633</SRS>
  <GeoTransform>500000, 7.0710678118654755, 7.0710678118654755, 4100000, 7.0710678118654755, -7.0710678118654755</GeoTransform>
  <VRTRasterBand dataType="Byte" band="1"><SimpleSource><SourceFilename relativeToVRT="1">land.tif</SourceFilename>
  <SourceBand>1</SourceBand><SrcRect xOff="0" yOff="0" xSize="6" ySize="4"/><DstRect xOff="0" yOff="0" xSize="10" ySize="10"/></SimpleSource></VRTRasterBand>
</VRTDataset>]])
new_project()
local rotated = ImportGeoRaster("rotated.vrt")
check_eq(rotated.warped, true, "a rotated raster is warped")
check_eq(rotated.StudyArea.left, 500000, "north-up grid starts at the leftmost corner")
check_near(rotated.StudyArea.top, 4100000 + 70.710678118654755, 1e-6, "and reaches the top corner")
check_near(rotated.StudyArea.bottom, 4100000 - 70.710678118654755, 1e-6, "and the bottom corner")

-- 6. Routes out to GeoJSON, GeoPackage and Shapefile.
new_project()
p = Varko.Project
p.Dimension, p.StudyArea, p.Scale, p.CRS = land_result.Dimension, land_result.StudyArea, land_result.Scale,
                                           land_result.CRS
add_theme(land_result, "land")
p.numPaths = 2
p.Paths[1] = { name = "North line", numPoints = 3, Points = { { x = 0, y = 0 }, { x = 2, y = 3 }, { x = 5, y = 1 } },
               Analysis = { length = 123.5, cost = 456.25, numThemes = 1,
                            Themes = { { length = 123.5, cost = 456.25, numClasses = 6,
                                         Classes = { { length = 0, perc = 0 }, { length = 50, perc = 40.5 },
                                                     { length = 20, perc = 16.2 }, { length = 30, perc = 24.3 },
                                                     { length = 23.5, perc = 19 }, { length = 0, perc = 0 } } } } } }
p.Paths[2] = { name = "Unanalysed", numPoints = 2, Points = { { x = 1, y = 1 }, { x = 4, y = 2 } } }
for _, name in ipairs({ "routes.geojson", "routes.gpkg", "routes.shp" }) do
  ExportRoutes(name)
  ExportRoutes(name)  -- again: the file is replaced, not added to
  local v = read_vector(name)
  check_eq(v.crs, "EPSG 32633", name .. ": the project's CRS")
  check_eq(#v.features, 2, name .. ": one feature per path")
  local f1, f2 = v.features[1] or { fields = {}, vertices = {} }, v.features[2] or { fields = {}, vertices = {} }
  check_eq(f1.name, "North line", name .. ": name")
  check_eq(f1.fields.length, 123.5, name .. ": length")
  check_eq(f1.fields.cost, 456.25, name .. ": cost")
  check_eq(f1.fields.t1c2, 40.5, name .. ": share of class 2")
  check_eq(f1.fields.t1c5, 19, name .. ": share of class 5")
  check_eq(f2.fields.length, "null", name .. ": an unanalysed path has no length")
  check_eq(#f1.vertices, 3, name .. ": vertices")
  for k, pt in ipairs(p.Paths[1].Points) do
    local mx, my = imagetomap(pt.x, pt.y)
    local vx = f1.vertices[k] or {}
    check_near(vx[1], mx, 1e-6, name .. ": vertex " .. k .. " x is imagetomap's")
    check_near(vx[2], my, 1e-6, name .. ": vertex " .. k .. " y is imagetomap's")
  end
end

-- 7. Bad input: a clear message, the project untouched.
local before = p.numThemes
write("corrupt.tif", "II*\0\8\0\0\0" .. string.rep("\255", 200))
local ok, message = pcall(ImportGeoRaster, "corrupt.tif")
check(not ok and message:find("^ImportGeoRaster: cannot read corrupt.tif: .+!$") ~= nil,
      "a corrupt GeoTIFF: " .. tostring(message))
local many = {}
for r = 1, 250 do
  many[r] = {}
  for c = 1, 400 do many[r][c] = (r - 1) * 400 + c end
end
ascii_grid("many.asc", many, 0, 0, 1, nil)
sh("gdal_translate -q -ot Int32 many.asc many.tif")
check_error(function() ImportGeoRaster("many.tif") end,
            "ImportGeoRaster: many.tif lies outside the project's study area!", "a raster beside the study area")
local kept = Varko  -- imported as a first theme
new_project()
check_error(function() ImportGeoRaster("many.tif", { categorical = true }) end,
            "ImportGeoRaster: a categorical band has at most 255 distinct values, this one has more!",
            "100000 distinct values asked to be categorical")
local auto = ImportGeoRaster("many.tif", { classes = 10 })
check_eq(auto.categorical, false, "100000 integer values are classified as continuous")
check_eq(auto.numClasses, 10, "into the classes asked for")
check_eq(auto.Image.imagemap[0 + 249 * 400], 1, "the lowest value (top left) in class 1")
check_eq(auto.Image.imagemap[399], 10, "the highest value (bottom right) in class 10")
Varko = kept
local crs = p.CRS
p.CRS = "IAU_2015:49900"  -- Mars: no operation leads there from the Earth
ok, message = pcall(ImportGeoRaster, "utm.tif")
check(not ok and message:find("^ImportGeoRaster: cannot warp onto the project grid: .+!$") ~= nil,
      "a CRS GDAL cannot transform: " .. tostring(message))
p.CRS = crs
ok, message = pcall(ExportGeoRaster, "/nonexistent-folder/out.tif", land_result.Image)
check(not ok and message:find("^ExportGeoRaster: cannot create /nonexistent%-folder/out.tif: .+!$") ~= nil,
      "export to a folder that cannot be written: " .. tostring(message))
ok, message = pcall(ExportRoutes, "/nonexistent-folder/routes.gpkg")
check(not ok and message:find("^ExportRoutes: cannot create /nonexistent%-folder/routes.gpkg: .+!$") ~= nil,
      "routes to a folder that cannot be written: " .. tostring(message))
check_eq(p.numThemes, before, "the project keeps its themes after the failures")
check_eq(#p.Themes, before, "and its theme list")

-- 8. Arguments are checked before anything is read.
check_errors({
  { "no file name", function() ImportGeoRaster() end, "ImportGeoRaster: invalid filename parameter!" },
  -- a 1 MB name went to every GDAL driver's probe and cost some 300 MB
  { "a 1 MB file name", function() ImportGeoRaster(("x"):rep(2 ^ 20)) end,
    "ImportGeoRaster: the file name is too long!" },
  { "a long name to export to", function() ExportGeoRaster(("x"):rep(4096) .. ".tif", imCreateImageMap(2, 2)) end,
    "ExportGeoRaster: the file name is too long!" },
  { "a long name for routes", function() ExportRoutes(("x"):rep(4096) .. ".geojson") end,
    "ExportRoutes: the file name is too long!" },
  { "options not a table", function() ImportGeoRaster("land.tif", 3) end,
    "ImportGeoRaster: invalid options parameter!" },
  { "too many", function() ImportGeoRaster("land.tif", {}, 1) end, "ImportGeoRaster: too many parameters!" },
  { "bad classes", function() ImportGeoRaster("land.tif", { classes = 0 }) end,
    "ImportGeoRaster: classes should be an integer from 1 to 255!" },
  { "bad method", function() ImportGeoRaster("land.tif", { method = "natural" }) end,
    "ImportGeoRaster: unknown classification method natural (equal, quantile or breaks)!" },
  { "breaks not ascending", function() ImportGeoRaster("heights.tif", { breaks = { 5, 2 } }) end,
    "ImportGeoRaster: the breaks must be ascending!" },
  { "missing band", function() ImportGeoRaster("land.tif", { band = 2 }) end,
    "ImportGeoRaster: land.tif has 1 band(s), not 2!" },
  { "export without image", function() ExportGeoRaster("x.tif") end, "ExportGeoRaster: invalid image parameter!" },
  { "export of a number", function() ExportGeoRaster("x.tif", 5) end, "ExportGeoRaster: invalid image parameter!" },
  { "routes of unknown format", function() ExportRoutes("routes.txt") end,
    "ExportRoutes: cannot tell the format of routes.txt (.geojson, .gpkg or .shp)!" },
})

finish()
