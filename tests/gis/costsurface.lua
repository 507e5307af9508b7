-- CostSurface and Corridor on a random 500 x 400 project: the surface against
-- scikit-image's MCP_Geometric (surface_peer.py) at step 1 and radius 1,
-- against the routes MinimumPath finds at other steps and radii; corridors
-- around those routes; bad input refused with the project left as it was.
dofile("harness.lua")

local function output(command)
  local pipe = io.popen(command .. " 2>&1")
  local text = pipe:read("a")
  pipe:close()
  return text
end

DefaultColorScale = { numColors = 5, Table = { { 10, 0, 0 }, { 20, 0, 0 }, { 30, 0, 0 }, { 40, 0, 0 }, { 50, 0, 0 } } }
local W, H = 500, 400
math.randomseed(20)

-- two themes of random values: 30 classes of random weights, and 4 classes
-- in blocks of 20 x 20 pixels
local function random_map(fn)
  local m = imCreateImageMap(W, H)
  for y = 0, H - 1 do
    for x = 0, W - 1 do m[x + y * W] = fn(x, y) end
  end
  return { imagemap = m, palette = imCreatePalette(256) }
end
local soil_classes, cover_classes = {}, {}
for c = 1, 30 do soil_classes[c] = { colorindex = c, weight = math.random(1, 90), description = "s" .. c } end
for c = 1, 4 do cover_classes[c] = { colorindex = c * 10, weight = c * 5, description = "c" .. c } end
local blocks = {}
for b = 0, (W // 20 + 1) * (H // 20 + 1) do blocks[b] = math.random(1, 4) * 10 end
Varko = {
  InputPoints = { numPoints = 0, Points = {} },
  Project = {
    StudyArea = { left = 0, right = W, bottom = 0, top = H }, Scale = { sx = 1, sy = 1 },
    Dimension = { w = W, h = H }, WeightLimits = { minWeight = 0, maxWeight = 100 },
    ThemesNames = { "soil", "cover" }, numThemes = 2, i = 1, r = 1, numPaths = 0, Paths = {},
    slopeDataFormat = 2,
    Themes = {
      { name = "soil", map = "soil", weight = 1, numClasses = 30, Classes = soil_classes,
        Image = random_map(function() return math.random(1, 30) end) },
      { name = "cover", map = "cover", weight = 2, numClasses = 4, Classes = cover_classes,
        Image = random_map(function(x, y) return blocks[x // 20 + (y // 20) * (W // 20 + 1)] end) },
    },
    CombinedTheme = { Image = { imagemap = imCreateImageMap(W, H), palette = imCreatePalette(256) } },
  },
}
local p = Varko.Project

-- before any combined theme
InitializeCopyTable(); CopyTable(); CopyPaths()
check_error(function() CostSurface({ x = 1, y = 1 }) end, "CostSurface: no combined theme!",
            "a surface needs the combined theme")
GenerateCombinedTheme()
local ct = p.CombinedTheme
local scale, offset = (ct.maxValue - ct.minValue) / 254, ct.minValue

-- 1. Step 1, radius 1 against MCP_Geometric, from one source and from two.
check_eq(ExportGeoRaster("combined.tif", ct.Image), nil, "the combined theme exported")
for _, sources in ipairs({ { { x = 250, y = 200 } }, { { x = 0, y = 0 }, { x = 420, y = 333 } } }) do
  local surface = CostSurface(sources)
  check_eq(surface.w, W, "surface width")
  check_eq(surface.h, H, "surface height")
  check_eq(surface:value(sources[1].x, sources[1].y), 0, "a source costs nothing")
  check_eq(ExportGeoRaster("surface.tif", surface), nil, "the surface exported")
  local args = {}
  for k, s in ipairs(sources) do args[k] = s.x .. "," .. s.y end
  local text = output(string.format("/usr/bin/python3 surface_peer.py combined.tif surface.tif %.17g %.17g %s",
                                    scale, offset, table.concat(args, " ")))
  local cells, maxrel = tonumber(text:match("cells (%S+)")), tonumber(text:match("maxrel (%S+)"))
  print(#sources .. " source(s): " .. text:gsub("\n", "; "))
  check_eq(cells, W * H, #sources .. " source(s): every cell reached by both")
  check(maxrel ~= nil and maxrel <= 1e-6, #sources .. " source(s): within 1e-6 of MCP_Geometric at every cell ("
        .. tostring(maxrel) .. ")")
  check_eq(tonumber(text:match("unreached (%S+)")), 0, #sources .. " source(s): the same cells unreached")
end
local info = output("gdalinfo surface.tif")
check(info:find("Type=Float32", 1, true) ~= nil, "gdalinfo: a Float32 band")
check(info:find("NoData Value=1e+05", 1, true) ~= nil, "gdalinfo: unreached ground is nodata 100000")

-- 2. At other steps and radii the surface at each leg's end is the cost of
--    the route MinimumPath finds there (PathAnalysis of that leg alone).
local waypoints = { { x = 10, y = 15 }, { x = 480, y = 390 }, { x = 260, y = 40 }, { x = 255, y = 42 } }
local function route(points)
  p.numPaths = p.numPaths + 1
  p.Paths[p.numPaths] = { numPoints = 0, Points = {} }
  Varko.InputPoints = { numPoints = #points, Points = points }
  check_eq(MinimumPath(), 1, "MinimumPath finds the route")
  CopyPaths()
  return p.numPaths
end
for _, case in ipairs({ { 1, 1 }, { 1, 2 }, { 3, 2 }, { 5, 3 }, { 7, 4 } }) do
  p.r, p.i = case[1], case[2]
  CopyTable()
  local worst = 0
  for q = 1, #waypoints - 1 do
    local k = route({ waypoints[q], waypoints[q + 1] })
    PathAnalysis(k)
    local expected = p.Paths[k].Analysis.cost
    local got = CostSurface(waypoints[q]):value(waypoints[q + 1].x, waypoints[q + 1].y)
    worst = math.max(worst, math.abs(got - expected) / expected)
    check_near(got, expected, expected * 1e-6,
               string.format("r %d i %d leg %d: the surface at the leg's end is the route's cost", case[1], case[2], q))
  end
  print(string.format("r %d i %d: largest relative difference %g", case[1], case[2], worst))
end
-- a pixel takes the cost of the node it snaps to
p.r, p.i = 5, 3
CopyTable()
-- 500 x 400 at step 5: nodes on pixels 2, 7, 12, ... both ways; (100, 100)
-- snaps to the node on (97, 97), (102..106, 102..106) to the one on (102, 102)
local coarse = CostSurface({ x = 100, y = 100 })
local same, zero = true, true
for y = 102, 106 do
  for x = 102, 106 do
    if coarse:value(x, y) ~= coarse:value(102, 102) then same = false end
  end
end
for y = 97, 101 do
  for x = 97, 101 do
    if coarse:value(x, y) ~= 0 then zero = false end
  end
end
check(same, "pixels of one node share its cost (r 5)")
check(zero, "every pixel of the source's node costs nothing")
check(coarse:value(102, 102) > 0, "the next node costs more")
check_eq(coarse:value(500, 0), nil, "value outside the raster is nil")
check_eq(coarse:value(0, -1), nil, "value below the raster is nil")
check_error(function() coarse.value(5, 1, 1) end, "value: invalid parameters!", "value of something not a surface")
check_error(function() coarse:value("a", 1) end, "value: invalid parameters!", "value at no position")

-- 3. Corridors: at tolerance 0 they hold the optimal route's cells; they grow
--    with the tolerance; areas by class in hectares.
-- 2 x 2 m pixels: 0.0004 ha each (the routes' costs double and stay below the ceiling)
p.Scale = { sx = 2, sy = 2 }
local legs = { waypoints[1], waypoints[2], waypoints[3] }
for _, case in ipairs({ { 1, 1 }, { 1, 2 }, { 5, 3 } }) do
  p.r, p.i = case[1], case[2]
  CopyTable()
  local k = route(legs)
  local label = string.format("r %d i %d: ", case[1], case[2])
  local previous, previous_area, grew = nil, -1, false
  for _, tolerance in ipairs({ 0, 0.002, 0.01, 0.05, 0.2 }) do
    local c = Corridor(Varko.InputPoints, tolerance)
    local mask = c.Mask.imagemap
    if tolerance == 0 then
      local held = true
      for _, pt in ipairs(p.Paths[k].Points) do
        if mask[pt.x + pt.y * W] ~= 1 then held = false end
      end
      check(held, label .. "the corridor at tolerance 0 holds every point of the route")
    end
    local count, superset = 0, true
    local by_class = { {}, {} }
    for t = 1, 2 do for c2 = 1, p.Themes[t].numClasses do by_class[t][c2] = 0 end end
    local index = { {}, {} }
    for t = 1, 2 do for c2, cl in ipairs(p.Themes[t].Classes) do index[t][cl.colorindex] = c2 end end
    for n = 0, W * H - 1 do
      local v = mask[n]
      if v == 1 then
        count = count + 1
        for t = 1, 2 do
          local cl = index[t][p.Themes[t].Image.imagemap[n]]
          by_class[t][cl] = by_class[t][cl] + 1
        end
      end
      if previous and previous[n] == 1 and v ~= 1 then superset = false end
    end
    check(superset, label .. "tolerance " .. tolerance .. " keeps every cell of the smaller tolerance")
    check_near(c.area, count * 4 / 10000, c.area * 1e-12, label .. "area in hectares at tolerance " .. tolerance)
    check(c.area >= previous_area, label .. "the area does not shrink")
    if c.area > previous_area and previous_area >= 0 then grew = true end
    previous_area = c.area
    check_eq(c.numThemes, 2, label .. "numThemes")
    for t = 1, 2 do
      local theme = c.Themes[t]
      check_eq(theme.numClasses, p.Themes[t].numClasses, label .. "classes of theme " .. t)
      check_near(theme.area, c.area, c.area * 1e-12, label .. "theme " .. t .. " covers the corridor")
      local ok = true
      for c2 = 1, theme.numClasses do
        if math.abs(theme.Classes[c2].area - by_class[t][c2] * 4 / 10000) > c.area * 1e-12 then ok = false end
        if math.abs(theme.Classes[c2].perc - 100 * by_class[t][c2] / count) > 1e-9 then ok = false end
      end
      check(ok, label .. "theme " .. t .. ": area and share of each class")
    end
    previous = imCreateImageMap(W, H)
    for n = 0, W * H - 1 do previous[n] = mask[n] end
  end
  check(grew, label .. "a wider tolerance gives a wider corridor")
end
-- areas under a CRS: US survey feet, then degrees on the sphere (the cells of
-- a row near latitude 45 cover less ground than those near 30)
p.r, p.i = 1, 1
CopyTable()
local function marked_rows(c)
  local rows = {}
  for n = 0, W * H - 1 do
    if c.Mask.imagemap[n] == 1 then rows[n // W] = (rows[n // W] or 0) + 1 end
  end
  return rows
end
p.CRS = "EPSG:2264"  -- NAD83 / North Carolina (ftUS)
local feet = Corridor(Varko.InputPoints, 0.05)
local cells = 0
for _, count in pairs(marked_rows(feet)) do cells = cells + count end
local foot = 1200 / 3937
check_near(feet.area, cells * 4 * foot * foot / 10000, feet.area * 1e-12, "area in hectares from US survey feet")
p.CRS = "EPSG:4326"
p.Scale, p.StudyArea = { sx = 0.001, sy = 0.001 }, { left = 10, right = 10.5, bottom = 30, top = 30.4 }
CopyTable()
local degrees = Corridor(Varko.InputPoints, 0.05)
local expected, R, degree_cells = 0, 6371008.8, 0
for row, count in pairs(marked_rows(degrees)) do
  local low, high = math.rad(30 + row * 0.001), math.rad(30 + (row + 1) * 0.001)
  expected = expected + count * R * R * math.rad(0.001) * (math.sin(high) - math.sin(low)) / 10000
  degree_cells = degree_cells + count
end
check_near(degrees.area, expected, expected * 1e-9, "area in hectares on the sphere for a geographic CRS")
-- a cell of 0.001 degrees is about 111 x 111 m at the equator, 0.87 of that at latitude 30
check(degrees.area < degree_cells * 1.23 * 0.9, "cells at latitude 30 cover less ground than at the equator")
p.CRS, p.Scale, p.StudyArea = nil, { sx = 2, sy = 2 }, { left = 0, right = W, bottom = 0, top = H }
CopyTable()
check_near(Corridor({ { x = 5, y = 5 }, { x = 5, y = 5 } }, 0).area, 0.0004, 1e-12,
         "waypoints on one pixel at step 1: the corridor is that pixel")

-- 4. Bad input: clear messages, the project as it was.
local function snapshot(t, seen)
  seen = seen or {}
  if type(t) ~= "table" then return tostring(t) end
  if seen[t] then return "<" .. tostring(t) .. ">" end
  seen[t] = true
  local keys = {}
  for key in pairs(t) do keys[#keys + 1] = key end
  table.sort(keys, function(a, b) return tostring(a) < tostring(b) end)
  local parts = {}
  for _, key in ipairs(keys) do parts[#parts + 1] = tostring(key) .. "=" .. snapshot(t[key], seen) end
  return "{" .. table.concat(parts, ",") .. "}"
end
local before = snapshot(Varko)
check_errors({
  { "source off the raster", function() CostSurface({ x = 500, y = 10 }) end,
    "CostSurface: point 1 (500.000000, 10.000000) lies off the raster!" },
  { "negative source", function() CostSurface({ { x = 3, y = 3 }, { x = -1, y = 0 } }) end,
    "CostSurface: point 2 (-1.000000, 0.000000) lies off the raster!" },
  { "no points", function() CostSurface({}) end, "CostSurface: no points given!" },
  { "points not a table", function() CostSurface(5) end, "CostSurface: invalid points parameter!" },
  { "a point without y", function() CostSurface({ { x = 3 } }) end, "CostSurface: point 1 has no x and y!" },
  { "missing point", function() CostSurface({ numPoints = 2, Points = { { x = 1, y = 1 } } }) end,
    "CostSurface: point 2 is missing!" },
  { "too many", function() CostSurface({ x = 1, y = 1 }, 2) end, "CostSurface: too many parameters!" },
  { "waypoint off the raster", function() Corridor({ { x = 1, y = 1 }, { x = 10, y = 400 } }, 0.1) end,
    "Corridor: point 2 (10.000000, 400.000000) lies off the raster!" },
  { "negative tolerance", function() Corridor(legs, -0.1) end, "Corridor: the tolerance must be a number of 0 or more!" },
  { "tolerance not a number", function() Corridor(legs, 0 / 0) end,
    "Corridor: the tolerance must be a number of 0 or more!" },
  { "no tolerance", function() Corridor(legs) end, "Corridor: invalid tolerance parameter!" },
  { "one waypoint", function() Corridor({ legs[1] }, 0) end, "Corridor: a corridor needs two waypoints or more!" },
})
check_eq(snapshot(Varko), before, "the project is untouched by the refused calls")
-- a wall of impassable ground: no route, a message, the project untouched
local cover = p.Themes[2]
local saved_weight = cover.Classes[4].weight
for n = 0, W * H - 1 do
  if n % W == 300 then cover.Image.imagemap[n] = 40 end
end
cover.Classes[4].weight = 100000
CopyTable(); GenerateCombinedTheme()
before = snapshot(Varko)
check_error(function() Corridor({ { x = 10, y = 10 }, { x = 490, y = 10 } }, 0.1) end,
            "Corridor: no route leads from waypoint 1 to waypoint 2!", "a wall between the waypoints")
check_eq(CostSurface({ x = 10, y = 10 }):value(490, 10), 100000, "beyond the wall the surface is unreached")
check_eq(snapshot(Varko), before, "the project is untouched by the failed corridor")
cover.Classes[4].weight = saved_weight
-- no themes with classes
p.Themes[1].numClasses, p.Themes[2].numClasses = 0, 0
CopyTable()
before = snapshot(Varko)
check_error(function() Corridor(legs, 0.1) end, "Corridor: the project has no themes!", "no themes")
check_eq(snapshot(Varko), before, "the project is untouched without themes")

finish()
