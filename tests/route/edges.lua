-- Edge cases of the route functions, each on a small project whose theme
-- images are made with the image binding and saved and loaded back through
-- imSaveMap / imLoadMap, so the functions see real image maps.
dofile("harness.lua")

DefaultColorScale = {numColors = 5, Table = {{10, 0, 0}, {20, 0, 0}, {30, 0, 0}, {40, 0, 0}, {50, 0, 0}}}

-- A map of w x h whose pixel (x, y) is fn(x, y), written to a file and read back.
local saved = 0
local function theme_image(w, h, fn)
  local m = imCreateImageMap(w, h)
  for y = 0, h - 1 do for x = 0, w - 1 do m[x + y * w] = fn(x, y) end end
  saved = saved + 1
  local name = "theme" .. saved .. ".bmp"
  check_eq(imSaveMap(m, imCreatePalette(256), IM_BMP, IM_NONE, name), IM_ERR_NONE, "saved " .. name)
  local loaded, palette = imCreateImageMap(w, h), imCreatePalette(256)
  check_eq(imLoadMap(name, loaded, palette), IM_ERR_NONE, "loaded " .. name)
  return {imagemap = loaded, palette = palette}
end

-- themes: a list of {weight = , classes = {{index, weight}, ...}, fn = function(x, y)}
local function project(w, h, themes, r, i)
  local list, names = {}, {}
  for t, theme in ipairs(themes) do
    local classes = {}
    for c, cw in ipairs(theme.classes) do classes[c] = {colorindex = cw[1], weight = cw[2], description = "c" .. c} end
    list[t] = {name = "t" .. t, map = "m" .. t, weight = theme.weight, numClasses = #classes, Classes = classes,
               Image = theme_image(w, h, theme.fn)}
    names[t] = "t" .. t
  end
  Varko = {
    InputPoints = {numPoints = 0, Points = {}},
    Project = {
      StudyArea = {left = 0, right = w, bottom = 0, top = h}, Scale = {sx = 1, sy = 1},
      Dimension = {w = w, h = h}, WeightLimits = {minWeight = 0, maxWeight = 100},
      ThemesNames = names, numThemes = #list, i = i or 1, r = r or 1, numPaths = 0, Paths = {},
      slopeDataFormat = 2, Themes = list,
      CombinedTheme = {Image = {imagemap = imCreateImageMap(w, h), palette = imCreatePalette(256)}},
    },
  }
  InitializeCopyTable(); CopyTable(); CopyPaths(); GenerateCombinedTheme()
  return Varko.Project.CombinedTheme
end

local function uniform() return 1 end

-- Searches one route through the given input points; returns MinimumPath's result and the path.
local function route(points)
  local p = Varko.Project
  p.numPaths = p.numPaths + 1
  p.Paths[p.numPaths] = {numPoints = 0, Points = {}}
  local input = {}
  for k, xy in ipairs(points) do input[k] = {x = xy[1], y = xy[2]} end
  Varko.InputPoints = {numPoints = #input, Points = input}
  return MinimumPath(), p.Paths[p.numPaths]
end

-- The colour scale fills the palette on the first combined theme of the run only:
-- 10 colours give bands of 25, indices 225-254 all take colour 10, 255 is white.
do
  local colours = {}
  for k = 1, 10 do colours[k] = {k, 0, 0} end
  DefaultColorScale = {numColors = 10, Table = colours}
  local bands = {[0] = 1, [24] = 1, [25] = 2, [224] = 9, [225] = 10, [254] = 10}
  local ct = project(4, 4, {{weight = 1, classes = {{1, 1}}, fn = uniform}})
  for pass = 1, 2 do
    for index, colour in pairs(bands) do
      check_eq((imDecodeColor(ct.Image.palette[index])), colour, "pass " .. pass .. ": index " .. index)
    end
    local r, g, b = imDecodeColor(ct.Image.palette[255])
    check(r == 255 and g == 255 and b == 255, "pass " .. pass .. ": 255 is white")
    -- a later combined theme leaves the palette as it is
    DefaultColorScale = {numColors = 2, Table = {{99, 0, 0}, {98, 0, 0}}}
    GenerateCombinedTheme()
  end
end

-- combined theme: minValue, maxValue and the bytes of chosen pixels
do
  local cases = {
    {"weight 0.5, impassable class", {{weight = 0.5, classes = {{1, 10}, {2, 100000}}, fn = function(x) return x % 2 + 1 end}},
     5, 5, {[0] = 0, [1] = 255}},
    {"weight 0: the impassable class adds 0", {{weight = 0, classes = {{1, 10}, {2, 100000}}, fn = function(x) return x % 2 + 1 end},
                                              {weight = 1, classes = {{1, 4}}, fn = uniform}},
     4, 4, {[0] = 0, [1] = 0}},
    {"all passable pixels cost the same", {{weight = 3, classes = {{1, 2}, {2, 100000}}, fn = function(x) return x == 3 and 2 or 1 end}},
     6, 6, {[0] = 0, [3] = 255, [5] = 0}},
    {"ceiling then -10 is passable", {{weight = 1, classes = {{1, 100000}, {2, 50}}, fn = function(x) return x < 4 and 2 or 1 end},
                                      {weight = -1, classes = {{1, 10}}, fn = uniform}},
     40, 99990, {[0] = 0, [4] = 254}},
    {"a theme without classes changes nothing", {{weight = 2, classes = {{3, 10}, {7, 30}}, fn = function(x) return x < 4 and 3 or 7 end},
                                                 {weight = 9, classes = {}, fn = uniform}},
     20, 60, {[0] = 0, [4] = 254}},
    {"0, 255 and unlisted values are class 1", {{weight = 1, classes = {{3, 10}, {7, 30}}, fn = function(x) return ({0, 255, 9, 3, 7, 7, 7, 7})[x + 1] end}},
     10, 30, {[0] = 0, [1] = 0, [2] = 0, [3] = 0, [4] = 254}},
  }
  for _, c in ipairs(cases) do
    local ct = project(8, 2, c[2])
    check_near(ct.minValue, c[3], 1e-9, c[1] .. ": minValue")
    check_near(ct.maxValue, c[4], 1e-9, c[1] .. ": maxValue")
    for k, v in pairs(c[5]) do check_eq(ct.Image.imagemap[k], v, c[1] .. ": pixel " .. k) end
  end
end

-- copying projects and paths
do
  project(12, 4, {{weight = 1, classes = {{1, 1}}, fn = uniform}})
  check_error(function() PathAnalysis(1) end, "PathAnalysis: invalid path number!", "numPaths 0 keeps no path")
  Varko.Project.numPaths = 1
  Varko.Project.Paths = {{numPoints = 2, Points = {{x = 10.9, y = -0.5}, {x = 0.2, y = 0.7}}}}
  CopyPaths(); PathAnalysis(1)
  check_near(Varko.Project.Paths[1].Analysis.length, 10, 1e-5, "(10.9, -0.5) is copied as (10, 0)")
  Varko.Project.Paths = {{numPoints = 0, Points = {}}}
  CopyPaths(); PathAnalysis(1)
  check_eq(Varko.Project.Paths[1].Analysis.length, 0, "a path without points has length 0")
  check_eq(Varko.Project.Paths[1].Analysis.cost, 0, "a path without points costs 0")
end

-- the search: nodes, moves, walls, radius 0, legs
do
  -- W = 103, r = 5: node columns on pixels 1, 6, ... 101
  project(103, 11, {{weight = 1, classes = {{1, 1}}, fn = uniform}}, 5, 1)
  local ok, path = route({{0, 0}, {102, 0}})
  check_eq(ok, 1, "W 103 r 5 finds a route")
  check_eq(path.Points[1].x, 1, "first node column is pixel 1")
  check_eq(path.Points[path.numPoints].x, 101, "last node column is pixel 101")
  for k = 1, path.numPoints do check_eq((path.Points[k].x - 1) % 5, 0, "node column of point " .. k) end

  -- moves used at radius 1 and 2 on a uniform grid
  for _, c in ipairs({{1, {[0] = true, [1] = true}}, {2, {[0] = true, [1] = true, [2] = true}}}) do
    project(9, 9, {{weight = 1, classes = {{1, 1}}, fn = uniform}}, 1, c[1])
    local found, p = route({{0, 0}, {8, 4}})
    check_eq(found, 1, "radius " .. c[1] .. " route")
    local knight = false
    for k = 2, p.numPoints do
      local dx, dy = math.abs(p.Points[k].x - p.Points[k - 1].x), math.abs(p.Points[k].y - p.Points[k - 1].y)
      check(c[2][dx] and c[2][dy] and not (dx == 2 and dy == 2) and dx + dy > 0, "radius " .. c[1] .. " move " .. dx .. "," .. dy)
      if dx + dy == 3 then knight = true end
    end
    check(knight == (c[1] == 2), "radius " .. c[1] .. " uses knight moves only when allowed")
  end

  -- a wall of impassable pixels, and radius 0
  for _, c in ipairs({{"wall", 1, function(x) return x == 4 and 2 or 1 end}, {"radius 0", 0, uniform}}) do
    project(9, 5, {{weight = 1, classes = {{1, 1}, {2, 100000}}, fn = c[3]}}, 1, c[2])
    local found, p = route({{0, 2}, {8, 2}})
    check_eq(found, 0, c[1] .. ": no route")
    check_eq(p.numPoints, 0, c[1] .. ": no points written")
  end

  -- two legs of 5 and 4 nodes write 8 points
  project(9, 3, {{weight = 1, classes = {{1, 1}}, fn = uniform}}, 1, 1)
  local found, p = route({{0, 1}, {4, 1}, {7, 1}})
  check_eq(found, 1, "two legs")
  check_eq(p.numPoints, 8, "5 + 4 nodes give 8 points")

  -- a leg whose ends share a node adds that node once
  found, p = route({{2, 1}, {2.6, 1.4}})
  check_eq(found, 1, "same-node leg succeeds")
  check_eq(p.numPoints, 1, "same-node leg writes one point")

  -- routes and profiles past 10000 nodes
  project(12001, 1, {{weight = 1, classes = {{1, 1}}, fn = uniform}}, 1, 1)
  found, p = route({{0, 0}, {12000, 0}})
  check_eq(found, 1, "long route")
  check_eq(p.numPoints, 12001, "every one of 12001 nodes is kept")
  check_eq(p.Points[12001].x, 12000, "the last node is the end")
  CopyPaths(); PathAnalysis(Varko.Project.numPaths)
  check_near(p.Analysis.length, 12000, 1e-2, "long route length")
end

-- path analysis over values 1, 2 and 9 with classes 1 and 2
do
  project(9, 1, {{weight = 1, classes = {{1, 0}, {2, 5}}, fn = function(x) return ({1, 1, 1, 2, 2, 2, 9, 9, 9})[x + 1] end}})
  Varko.Project.numPaths = 1
  Varko.Project.Paths = {{numPoints = 2, Points = {{x = 0, y = 0}, {x = 8, y = 0}}}}
  CopyPaths(); PathAnalysis(1)
  local classes = Varko.Project.Paths[1].Analysis.Themes[1].Classes
  check_near(classes[1].length, 2.5, 1e-5, "class 1 gets only the length over value 9")
  check_near(classes[2].length, 3, 1e-5, "class 2 gets the length over value 2")
  check_near(classes[1].perc + classes[2].perc, 5.5 / 8 * 100, 1e-3, "the length over value 1 is in no class")
end

-- SegDist with pixel size 2
do
  project(12, 2, {{weight = 1, classes = {{1, 1}}, fn = uniform}})
  Varko.Project.Scale = {sx = 2, sy = 2}
  CopyTable(); GenerateCombinedTheme()
  check_near(SegDist(0, 0, 10, 0), 20, 1e-5, "10 pixels of size 2")
end

-- misuse: numbers out of range and bad values
do
  project(4, 4, {{weight = 1, classes = {{1, 1}}, fn = uniform}})
  check_errors({
    {"path -1", function() PathAnalysis(-1) end, "PathAnalysis: invalid path number!"},
    {"class table is not a table", function() Varko.Project.Themes[1].Classes[1] = 5; CopyTable() end,
     "CopyTable: class 1 of theme 1 is missing!"},
    {"negative colorindex", function() Varko.Project.Themes[1].Classes[1] = {colorindex = -1, weight = 1}; CopyTable() end,
     "CopyTable: class 1 of theme 1 has a colorindex outside 0..255!"},
    {"not an image map", function() MyImageMapAccess({}) end, "MyImageMapAccess: parameter is not an imagemap!"},
    {"missing raw grid", function() ReadExtraData("no.raw", 1, 1, 2, 2) end, "ReadExtraData: cannot open no.raw!"},
  })
  if XYGraphic ~= nil then
    check_errors({
      {"XYGraphic path 0", function() XYGraphic(0, 1) end, "XYGraphic: invalid path number!"},
    })
  end
end

-- file names of any length are accepted
do
  local long = string.rep("n", 80) .. ".raw"
  for _, name in ipairs({"a", long}) do
    local f = io.open(name, "wb"); f:write(string.rep("\0", 2048) .. string.pack("<i4", 45)); f:close()
    check(pcall(ReadExtraData, name, 1, 1, 1, 1), "read a " .. #name .. "-character name")
  end
end
finish()
