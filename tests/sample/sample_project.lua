-- The sample project end to end: every theme loads through the image
-- library as a 1000 x 800 map whose values its classes list, the slope
-- classes agree with the slope image, and routes between far corners keep
-- out of the nature reserves.
-- With SAMPLE_PICTURE=1 it also leaves combined.bmp and route<k>.txt behind.
dofile("harness.lua")

local W, H = 1000, 800

-- A test-only reader of the project file: Lua table text run without globals.
local function read_project(name)
  local chunk, problem = loadfile(name, "t", {})
  if not chunk then return nil, problem end
  local ok, project = pcall(chunk)
  if not ok or type(project) ~= "table" then return nil, "no table: " .. tostring(project) end
  return project
end

local function load_map(file)
  local w, h, kind, colours, err = imImageInfo(file)
  check_eq(err, IM_ERR_NONE, file .. " is readable")
  check(w == W and h == H, file .. " is 1000 x 800")
  check_eq(kind, IM_MAP, file .. " is an 8-bit map")
  local map, palette = imCreateImageMap(W, H), imCreatePalette(256)
  check_eq(imLoadMap(file, map, palette), IM_ERR_NONE, file .. " loads as a map")
  check_eq(colours, 256, file .. " has a full palette")
  return {imagemap = map, palette = palette}
end

local project = assert(read_project("sample.vrk"))
check_eq(project.format, "Varko project", "format tag")
check_eq(project.version, 1, "version")
check(project.Dimension.w == W and project.Dimension.h == H, "Dimension")
check_eq(project.StudyArea.right - project.StudyArea.left, W * project.Scale.sx, "StudyArea width is w * sx")
check_eq(project.StudyArea.top - project.StudyArea.bottom, H * project.Scale.sy, "StudyArea height is h * sy")

-- Every pixel value of every theme is the colorindex of one of its classes,
-- and every class weight lies within WeightLimits.
local names = {}
for t, theme in ipairs(project.Themes) do
  names[t] = theme.name
  theme.numClasses = #theme.Classes
  theme.Image = load_map(theme.file)
  local listed, weight_ok = {}, true
  for _, class in ipairs(theme.Classes) do
    listed[class.colorindex] = true
    weight_ok = weight_ok and class.weight >= project.WeightLimits.minWeight
                and class.weight <= project.WeightLimits.maxWeight
  end
  check(weight_ok, theme.name .. ": class weights within WeightLimits")
  local map, unlisted = theme.Image.imagemap, 0
  local used = {}
  for k = 0, W * H - 1 do
    local v = map[k]
    used[v] = true
    if not listed[v] then unlisted = unlisted + 1 end
  end
  check_eq(unlisted, 0, theme.name .. ": no pixel outside the classes")
  for _, class in ipairs(theme.Classes) do
    check(used[class.colorindex], theme.name .. ": class " .. class.description .. " occurs")
  end
end
local function theme_of(map_name)
  for _, theme in ipairs(project.Themes) do
    if theme.map == map_name then return theme end
  end
end

-- the project tables the route functions read
project.ThemesNames = names
project.numThemes = #project.Themes
project.numPaths = 0
project.Paths = {}
project.CombinedTheme = {Image = {imagemap = imCreateImageMap(W, H), palette = imCreatePalette(256)}}
DefaultColorScale = {numColors = 6, Table = {{0, 110, 40}, {90, 170, 60}, {200, 220, 80}, {250, 200, 60}, {240, 120, 40}, {190, 30, 30}}}

Varko = {Project = project, InputPoints = {numPoints = 0, Points = {}}}

check_eq(project.Slope.file, "slope.png", "slope file")
local header = io.open("slope.hdr"):read("a")
local raw_low, raw_high, degrees_low, degrees_high = header:match("^(%S+) (%S+) (%S+) (%S+)\n$")
check(raw_low == "0" and raw_high == "255" and degrees_low == "0" and degrees_high == "90",
      "slope.hdr maps 0..255 to 0..90 degrees")
local slope = load_map("slope.png").imagemap

-- The slope classes are bands of the slope image's degrees: "0-5 degrees",
-- ... "> 30 degrees"; find the theme by its map name.
local slope_theme = theme_of("slopeclasses")
local bands = {}
for _, class in ipairs(slope_theme.Classes) do
  local low, high = class.description:match("^(%d+)-(%d+) degrees$")
  if not low then low, high = class.description:match("^> (%d+) degrees$"), 90 end
  bands[class.colorindex] = {low = tonumber(low), high = tonumber(high)}
end
local misbanded, steepest = 0, 0
for k = 0, W * H - 1 do
  local degrees, band = slope[k] * 90 / 255, bands[slope_theme.Image.imagemap[k]]
  if degrees < band.low or degrees >= band.high then misbanded = misbanded + 1 end
  if slope[k] > slope[steepest] and slope[k] < 255 and k % W < W - 1 then steepest = k end
end
check_eq(misbanded, 0, "every slope class agrees with the slope image")
check(slope[steepest] * 90 / 255 > 30, "the hills have slopes above 30 degrees")

ReadExtraData(project.Slope.file, 0, 0, 0, 0)
InitializeCopyTable()
CopyTable()
CopyPaths()
GenerateCombinedTheme()
local combined = project.CombinedTheme
check(combined.minValue > 0 and combined.minValue < combined.maxValue, "cost range is positive")

-- the slope image lengthens ground distances: one pixel step at the steepest
-- spot is half a pixel on each of the two slopes
local function ground_factor(k) return 1 / math.cos(math.rad(slope[k] * 90 / 255)) end
local sx, sy = steepest % W, steepest // W
check_near(SegDist(sx, sy, sx + 1, sy), project.Scale.sx / 2 * (ground_factor(steepest) + ground_factor(steepest + 1)),
           1e-3 * project.Scale.sx, "SegDist follows the slope image")

local reserve = theme_of("protected")
local reserve_value = {}
for _, class in ipairs(reserve.Classes) do
  if class.description == "Nature reserve" then
    reserve_value[class.colorindex] = true
    check(class.weight >= 100000 and reserve.weight > 0, "nature reserves are impassable")
  end
end
local function in_reserve(x, y) return reserve_value[reserve.Image.imagemap[x + y * W]] end

-- Visits the pixel under every quarter-pixel step of a segment.
local function walk(a, b, visit)
  local steps = math.max(math.abs(b.x - a.x), math.abs(b.y - a.y)) * 4
  for s = 0, steps do
    local f = steps == 0 and 0 or s / steps
    visit(math.floor(a.x + (b.x - a.x) * f + 0.5), math.floor(a.y + (b.y - a.y) * f + 0.5))
  end
end

local landuse = theme_of("landuse")

-- Routes the newest path between two far points and checks it, printing
-- its length, search time and make-up by land use (counted on the walk's
-- samples). With SAMPLE_PICTURE set it leaves the points in route<k>.txt.
local function check_route(name, from, to)
  local straight_hits = 0
  walk(from, to, function(x, y) if in_reserve(x, y) then straight_hits = straight_hits + 1 end end)
  check(straight_hits > 0, name .. ": the straight line crosses a reserve")
  check(combined.Image.imagemap[from.x + from.y * W] < 255 and combined.Image.imagemap[to.x + to.y * W] < 255,
        name .. ": both ends are passable")

  project.numPaths = project.numPaths + 1
  local k = project.numPaths
  project.Paths[k] = {name = name, numPoints = 0, Points = {}}
  Varko.InputPoints = {numPoints = 2, Points = {from, to}}
  local started = os.clock()
  check_eq(MinimumPath(), 1, name .. ": a route is found")
  local seconds = os.clock() - started
  local path = project.Paths[k]
  check(path.numPoints > 2, name .. ": the route has several points")
  if path.numPoints < 2 then return end

  local inside, reserve_hits, blocked = true, 0, 0
  for p = 1, path.numPoints do
    local q = path.Points[p]
    inside = inside and q.x >= 0 and q.x < W and q.y >= 0 and q.y < H
  end
  check(inside, name .. ": every route point lies inside the raster")
  if not inside then return end
  local samples, by_value = 0, {}
  for p = 1, path.numPoints - 1 do
    walk(path.Points[p], path.Points[p + 1], function(x, y)
      if in_reserve(x, y) then reserve_hits = reserve_hits + 1 end
      if combined.Image.imagemap[x + y * W] == 255 then blocked = blocked + 1 end
      local v = landuse.Image.imagemap[x + y * W]
      by_value[v] = (by_value[v] or 0) + 1
      samples = samples + 1
    end)
  end
  check_eq(reserve_hits, 0, name .. ": the route keeps out of the reserves")
  check_eq(blocked, 0, name .. ": the route crosses no impassable pixel")
  local first, last = path.Points[1], path.Points[path.numPoints]
  check(math.abs(first.x - from.x) <= project.r and math.abs(first.y - from.y) <= project.r, name .. ": starts at its start")
  check(math.abs(last.x - to.x) <= project.r and math.abs(last.y - to.y) <= project.r, name .. ": ends at its end")

  CopyPaths()
  PathAnalysis(k)
  local analysis = path.Analysis
  check(analysis.length > math.sqrt((to.x - from.x) ^ 2 + (to.y - from.y) ^ 2) * project.Scale.sx,
        name .. ": the route is longer than the straight line")
  check(analysis.cost < 100000, name .. ": the route's cost stays below the ceiling")
  print(string.format("%s: %d points, %.1f km, cost %.0f, search %.2f s (combined %g..%g)", name, path.numPoints,
                      analysis.length / 1000, analysis.cost, seconds, combined.minValue, combined.maxValue))
  for _, class in ipairs(landuse.Classes) do
    print(string.format("  %-10s %5.1f %%", class.description, 100 * (by_value[class.colorindex] or 0) / samples))
    if class.description == "Urban" then
      check((by_value[class.colorindex] or 0) <= samples * 0.005, name .. ": the route at most brushes a town's edge")
    end
  end
  if os.getenv("SAMPLE_PICTURE") then
    local f = io.open("route" .. k .. ".txt", "w")
    for p = 1, path.numPoints do f:write(path.Points[p].x, " ", path.Points[p].y, "\n") end
    f:close()
  end
end

-- both diagonals, from the south-west and from the north-west corner
check_route("south-west to north-east", {x = 30, y = 30}, {x = 970, y = 770})
check_route("north-west to south-east", {x = 30, y = 770}, {x = 970, y = 30})
if os.getenv("SAMPLE_PICTURE") then
  imSaveMap(combined.Image.imagemap, combined.Image.palette, IM_BMP, IM_NONE, "combined.bmp")
end
finish()
