-- Hostile scripts against the route functions: missing tables, counts far
-- beyond the lists, and metamethods that kill images or replace the records
-- while a function runs. Each ends in a "Name: problem!" error or does its
-- work on live data; the sanitizer build checks that nothing freed is touched.
dofile("harness.lua")

local W, H = 8, 6
local function map_of(fn)
  local m = imCreateImageMap(W, H)
  for y = 0, H - 1 do for x = 0, W - 1 do m[x + y * W] = fn(x, y) end end
  return {imagemap = m, palette = imCreatePalette(256)}
end

local function new_project()
  Varko = {
    InputPoints = {numPoints = 2, Points = {{x = 0, y = 0}, {x = 7, y = 5}}},
    Project = {
      StudyArea = {left = 0, right = W, bottom = 0, top = H}, Scale = {sx = 1, sy = 1},
      Dimension = {w = W, h = H}, WeightLimits = {minWeight = 0, maxWeight = 100},
      ThemesNames = {"soil"}, numThemes = 1, i = 1, r = 1, numPaths = 1,
      Paths = {{numPoints = 2, Points = {{x = 0, y = 0}, {x = 7, y = 5}}}},
      slopeDataFormat = 2,
      Themes = {
        {name = "soil", map = "m", weight = 1, numClasses = 2,
         Classes = {{colorindex = 1, weight = 1, description = "a"}, {colorindex = 2, weight = 5, description = "b"}},
         Image = map_of(function(x) return x < 4 and 1 or 2 end)},
      },
      CombinedTheme = {Image = map_of(function() return 0 end)},
    },
  }
end
local function ready()
  new_project()
  InitializeCopyTable(); CopyTable(); CopyPaths(); GenerateCombinedTheme()
end

-- Before any colour scale was applied: it must be there, and is read raw.
new_project()
CopyTable()
DefaultColorScale = nil
check_error(GenerateCombinedTheme, "GenerateCombinedTheme: DefaultColorScale is missing!", "no colour scale")
DefaultColorScale = {numColors = 2, Table = {{10, 0, 0}}}
check_error(GenerateCombinedTheme, "GenerateCombinedTheme: DefaultColorScale.Table[2] is missing!", "short colour scale")
-- an __index that kills the combined image and its palette is never run
local combined = Varko.Project.CombinedTheme.Image
local killer_ran = false
DefaultColorScale = setmetatable({}, {__index = function()
  killer_ran = true
  imKillImageMap(combined.imagemap); imKillPalette(combined.palette)
end})
GenerateCombinedTheme()
check_eq(killer_ran, false, "the colour scale's __index is not run")
check_eq(Varko.Project.CombinedTheme.maxValue, 5, "the combined theme is computed into the live image")
DefaultColorScale = {numColors = 5, Table = {{10, 0, 0}, {20, 0, 0}, {30, 0, 0}, {40, 0, 0}, {50, 0, 0}}}

-- Missing tables are named.
check_errors({
  {"no Varko", function() new_project(); Varko = nil; CopyTable() end, "CopyTable: Varko is missing!"},
  {"Project not a table", function() new_project(); Varko.Project = 5; CopyTable() end,
   "CopyTable: Varko.Project is missing!"},
  {"no Scale", function() new_project(); Varko.Project.Scale = nil; CopyTable() end,
   "CopyTable: Varko.Project.Scale is missing!"},
  {"no ThemesNames", function() new_project(); Varko.Project.ThemesNames = nil; CopyTable() end,
   "CopyTable: Varko.Project.ThemesNames is missing!"},
  {"no Paths", function() new_project(); Varko.Project.Paths = nil; CopyPaths() end,
   "CopyPaths: Varko.Project.Paths is missing!"},
  {"no CombinedTheme", function() ready(); Varko.Project.CombinedTheme = nil; GenerateCombinedTheme() end,
   "GenerateCombinedTheme: Varko.Project.CombinedTheme is missing!"},
  {"no InputPoints", function() ready(); Varko.InputPoints = nil; MinimumPath() end,
   "MinimumPath: Varko.InputPoints is missing!"},
  {"input point missing", function() ready(); Varko.InputPoints.numPoints = 3; MinimumPath() end,
   "MinimumPath: input point 3 is missing!"},
  {"no route table", function() ready(); Varko.Project.numPaths = 4; MinimumPath() end,
   "MinimumPath: Varko.Project.Paths[4] is missing!"},
  {"no analysis target", function() ready(); Varko.Project.Paths[1] = nil; PathAnalysis(1) end,
   "PathAnalysis: Varko.Project.Paths[1] is missing!"},
})

-- Counts far beyond the lists are refused before anything is allocated for them.
check_errors({
  {"numThemes 2^31-1", function() new_project(); Varko.Project.numThemes = 2 ^ 31 - 1; CopyTable() end,
   "CopyTable: theme 2 is missing!"},
  {"numClasses 1e8", function() new_project(); Varko.Project.Themes[1].numClasses = 1e8; CopyTable() end,
   "CopyTable: class 3 of theme 1 is missing!"},
  {"numPaths 1e8", function() new_project(); Varko.Project.numPaths = 1e8; CopyPaths() end,
   "CopyPaths: path 2 is missing!"},
  {"numPoints 2^31-1", function() new_project(); Varko.Project.Paths[1].numPoints = 2 ^ 31 - 1; CopyPaths() end,
   "CopyPaths: point 3 of path 1 is missing!"},
  {"a segment of 2^32 cells", function() SegDist(-2 ^ 31, 0, 2 ^ 31 - 1, 0) end,
   "SegDist: the segment crosses too many cells!"},
  {"Dimension 2^31 x 2^31", function() new_project(); Varko.Project.Dimension = {w = 2 ^ 31, h = 2 ^ 31}; CopyTable() end,
   "CopyTable: the image of theme 1 is not the size of Dimension!"},
  {"a route on that Dimension", function()
     new_project(); InitializeCopyTable(); Varko.Project.Dimension = {w = 2 ^ 31, h = 2 ^ 31}
     pcall(CopyTable); MinimumPath() end,
   "MinimumPath: no project copy!"},
})

-- A search radius of -2^31 allows no move (its negation overflowed): no route.
new_project(); Varko.Project.i = -2 ^ 31
InitializeCopyTable(); CopyTable(); CopyPaths(); GenerateCombinedTheme()
check_eq(MinimumPath(), 0, "a search radius of -2^31 finds no route")
PathAnalysis(1)
check(rawget(Varko.Project.Paths[1], "Analysis") ~= nil, "and the path is still analysed")

-- Metamethods that would kill the images or replace the records while a
-- function reads: the reads are raw, so they never run.
do
  ready()
  local theme_map = Varko.Project.Themes[1].Image.imagemap
  local project = Varko.Project
  local combined_theme, paths = project.CombinedTheme, project.Paths
  project.CombinedTheme, project.Paths = nil, nil
  local ran = false
  setmetatable(project, {__index = function(_, key)
    ran = true
    imKillImageMap(theme_map)
    DestroyTable()
    if key == "CombinedTheme" then return combined_theme end
    if key == "Paths" then return paths end
  end})
  check_error(GenerateCombinedTheme, "GenerateCombinedTheme: Varko.Project.CombinedTheme is missing!",
              "a combined theme behind __index")
  check_error(function() PathAnalysis(1) end, "PathAnalysis: Varko.Project.Paths is missing!", "paths behind __index")
  check_eq(ran, false, "the killing __index never ran")
  check_eq(theme_map[0], 1, "the theme's map is alive")
end

-- Results are written last, with ordinary stores: metamethods that rebuild
-- or destroy every record then find nothing of theirs in use.
local rebuilding = false
local function rebuild_everything()
  if rebuilding then return end  -- PathAnalysis below stores through the same metamethod
  rebuilding = true
  InitializeCopyTable(); CopyTable(); CopyPaths(); GenerateCombinedTheme(); PathAnalysis(1); DestroyTable()
  rebuilding = false
end
do
  ready()
  local path = Varko.Project.Paths[1]
  setmetatable(path, {__newindex = function(t, k, v) rebuild_everything(); rawset(t, k, v) end})
  PathAnalysis(1)
  check(rawget(path, "Analysis") ~= nil, "the analysis is written through __newindex")
  check_eq(rawget(path, "Analysis").numThemes, 1, "and holds the analysis")
end
do
  ready()
  Varko.Project.Paths[1] = {numPoints = 0, Points = {}}
  local points = Varko.Project.Paths[1].Points
  local stores = 0
  setmetatable(points, {__newindex = function(t, k, v)
    stores = stores + 1
    if stores <= 2 then rebuild_everything() end
    rawset(t, k, v)
  end})
  check_eq(MinimumPath(), 1, "the route is found")
  check(stores > 2, "its points are stored through __newindex")
  check_eq(rawget(points, 1).x, 0, "the route starts at the first point")
end
do
  ready()
  setmetatable(Varko.Project.CombinedTheme, {__newindex = function(t, k, v) rebuild_everything(); rawset(t, k, v) end})
  Varko.Project.CombinedTheme.minValue, Varko.Project.CombinedTheme.maxValue = nil, nil
  GenerateCombinedTheme()
  check_eq(rawget(Varko.Project.CombinedTheme, "maxValue"), 5, "minValue and maxValue stored through __newindex")
end

-- Slope files that are not plain files are refused at once (a FIFO would
-- block the program for ever); an image whose header claims far more pixels
-- than its bytes could hold is not believed.
do
  check(os.execute("mkfifo fifo.raw fifo.bmp slope.hdr"), "FIFOs made")
  check_error(function() ReadExtraData("fifo.raw", 0, 1, 2, 2) end, "ReadExtraData: cannot open fifo.raw!", "a FIFO grid")
  ReadExtraData("fifo.bmp", 0, 0)  -- an image that cannot be read changes nothing
  local slope = imCreateImageMap(2, 2)
  check_eq(imSaveMap(slope, imCreatePalette(256), IM_BMP, IM_NONE, "slope.bmp"), IM_ERR_NONE, "slope image written")
  check_error(function() ReadExtraData("slope.bmp", 0, 0) end, "ReadExtraData: cannot open the header file slope.hdr!",
              "a FIFO header")
  -- the same image claiming 30000 x 20000 pixels in its header
  local f = io.open("slope.bmp", "rb"); local bytes = f:read("a"); f:close()
  bytes = bytes:sub(1, 18) .. string.pack("<i4i4", 30000, 20000) .. bytes:sub(27)
  f = io.open("huge.bmp", "wb"); f:write(bytes); f:close()
  f = io.open("huge.hdr", "w"); f:write("0 255 0 90"); f:close()
  ready()
  local before = SegDist(0, 0, 7, 0)
  ReadExtraData("huge.bmp", 0, 0)
  check_eq(SegDist(0, 0, 7, 0), before, "the claimed image is not taken")
end

finish()
