-- The route functions on a real project built with the image binding.
dofile("harness.lua")

local W, H = 8, 6
local function map_of(fn)
  local m = imCreateImageMap(W, H)
  for y = 0, H - 1 do for x = 0, W - 1 do m[x + y * W] = fn(x, y) end end
  return {imagemap = m, palette = imCreatePalette(256)}
end

DefaultColorScale = {numColors = 5, Table = {{10, 0, 0}, {20, 0, 0}, {30, 0, 0}, {40, 0, 0}, {50, 0, 0}}}

local function new_project()
  Varko = {
    InputPoints = {numPoints = 0, Points = {}},
    Project = {
      StudyArea = {left = 0, right = W, bottom = 0, top = H}, Scale = {sx = 1, sy = 1},
      Dimension = {w = W, h = H}, WeightLimits = {minWeight = 0, maxWeight = 100},
      ThemesNames = {"soil", "empty"}, numThemes = 2, i = 1, r = 1, numPaths = 0, Paths = {},
      slopeDataFormat = 2,
      Themes = {
        -- value 3 is class 1 (weight 10), 7 class 2 (weight 30), column 5 impassable (9 unlisted -> class 1)
        {name = "soil", map = "m", weight = 2, numClasses = 2,
         Classes = {{colorindex = 3, weight = 10, description = "a"}, {colorindex = 7, weight = 30, description = "b"}},
         Image = map_of(function(x, y) if x == 5 and y < 5 then return 3 + 4 end return (x < 3) and 9 or 3 end)},
        {name = "empty", map = "n", weight = 1, numClasses = 0, Classes = {}, Image = map_of(function() return 0 end)},
      },
      CombinedTheme = {Image = map_of(function() return 0 end)},
    },
  }
end

new_project()
InitializeCopyTable()
CopyTable()
CopyPaths()
GenerateCombinedTheme()
local ct = Varko.Project.CombinedTheme
check_eq(ct.minValue, 20, "minValue")
check_eq(ct.maxValue, 60, "maxValue")
check_eq(ct.Image.imagemap[0], 0, "unlisted value 9 counts as class 1")
check_eq(ct.Image.imagemap[5], 254, "class 2 pixel")
local r, g, b = imDecodeColor(ct.Image.palette[50]); check_eq(r, 10, "index 50 has colour 1")
r = imDecodeColor(ct.Image.palette[51]); check_eq(r, 20, "index 51 has colour 2")
r, g, b = imDecodeColor(ct.Image.palette[255]); check(r == 255 and g == 255 and b == 255, "255 is white")

-- a route around nothing: two legs, the second repeating the shared point
Varko.Project.numPaths = 1
Varko.Project.Paths[1] = {numPoints = 0, Points = {}}
Varko.InputPoints = {numPoints = 3, Points = {{x = 0, y = 0}, {x = 3, y = 0}, {x = 3, y = 0.9}}}
check_eq(MinimumPath(), 1, "MinimumPath succeeds")
local path = Varko.Project.Paths[1]
check_eq(path.numPoints, 4, "4 + 1 nodes, the same-node leg adds its one point in place")
check_eq(path.Points[4].x, 3, "last point x")

-- an input point outside the raster snaps to the border node
Varko.InputPoints = {numPoints = 2, Points = {{x = -20, y = -20}, {x = 100, y = 0}}}
Varko.Project.Paths[1] = {numPoints = 0, Points = {}}
check_eq(MinimumPath(), 1, "snapped route")
check_eq(Varko.Project.Paths[1].Points[1].x, 0, "starts on the border")
check_eq(Varko.Project.Paths[1].Points[Varko.Project.Paths[1].numPoints].x, W - 1, "ends on the border")

-- path analysis over a straight path through values 9, 3
Varko.Project.Paths[1] = {numPoints = 2, Points = {{x = 0, y = 5}, {x = 4, y = 5}}}
CopyPaths()
PathAnalysis(1)
local a = Varko.Project.Paths[1].Analysis
check_near(a.length, 4, 1e-5, "analysis length")
check_near(a.cost, 4 * 20, 1e-3, "cost = value 20 per unit length")
check_eq(a.numThemes, 2, "numThemes")
check_near(a.Themes[1].length, 4, 1e-5, "theme length is its accumulator sum")
check_near(a.Themes[1].Classes[1].length, 2.5, 1e-5, "class 1 gets only the length over the unlisted value 9")
check_near(a.Themes[1].Classes[1].perc, 62.5, 1e-4, "class 1 percentage")
check_eq(a.Themes[1].Classes[2].length, 0, "class 2 is not crossed")
check_eq(a.Themes[2], nil, "no entry for a theme without classes")
check_near(SegDist(0, 0, 10, 0), 10, 1e-6, "SegDist")
check_near(SegDist(-30, 0, -20, 0), 10, 1e-6, "SegDist outside the raster")

-- points are truncated when copied: (0.9, 5.5) -> (0, 5) and (4.7, 5.9) -> (4, 5)
Varko.Project.Paths[1] = {numPoints = 2, Points = {{x = 0.9, y = 5.5}, {x = 4.7, y = 5.9}}}
CopyPaths()
PathAnalysis(1)
check_near(Varko.Project.Paths[1].Analysis.length, 4, 1e-5, "truncated points")

-- two classes listing the same value: the later class wins
new_project()
Varko.Project.Themes[1].Classes[2].colorindex = 3
CopyTable(); GenerateCombinedTheme()
check_eq(Varko.Project.CombinedTheme.Image.imagemap[3], 254, "value 3 takes class 2's weight")
check_eq(Varko.Project.CombinedTheme.Image.imagemap[5], 0, "value 7 is now unlisted: class 1")
check_eq(Varko.Project.CombinedTheme.maxValue, 60, "maxValue with the later class")

-- misuse
check_errors({
  {"path 0", function() PathAnalysis(0) end, "PathAnalysis: invalid path number!"},
  {"path 2", function() PathAnalysis(2) end, "PathAnalysis: invalid path number!"},
  {"r = 0", function() Varko.Project.r = 0; CopyTable(); MinimumPath() end, "MinimumPath: invalid search step!"},
  {"colorindex", function() new_project(); Varko.Project.Themes[1].Classes[2].colorindex = 256; CopyTable() end,
   "CopyTable: class 2 of theme 1 has a colorindex outside 0..255!"},
  {"short class list", function() new_project(); Varko.Project.Themes[1].numClasses = 3; CopyTable() end,
   "CopyTable: class 3 of theme 1 is missing!"},
  {"short theme list", function() new_project(); Varko.Project.numThemes = 3; CopyTable() end,
   "CopyTable: theme 3 is missing!"},
  {"image size", function() new_project(); Varko.Project.Dimension.w = 9; CopyTable() end,
   "CopyTable: the image of theme 1 is not the size of Dimension!"},
  {"nil map", function() MyImageMapAccess(nil) end, "MyImageMapAccess: attempt to access a NIL imagemap!"},
  {"extra arg", function() MyImageMapAccess(imCreateImageMap(1, 1), 1) end, "MyImageMapAccess: too many parameters!"},
  {"missing header", function() ReadExtraData("nothing.raw", 0, 1, 2, 2) end, "ReadExtraData: cannot open nothing.raw!"},
})
local killed = imCreateImageMap(1, 1); imKillImageMap(killed)
check_error(function() MyImageMapAccess(killed) end, "MyImageMapAccess: attempt to access a killed imagemap!")

-- a raw grid shorter than announced changes nothing; a complete one is read
local f = io.open("short.raw", "wb"); f:write(string.rep("\0", 2048 + 4)); f:close()
check_error(function() ReadExtraData("short.raw", 0, 1, 2, 2) end, "ReadExtraData: file shorter than announced: short.raw!")
f = io.open("slope.raw", "wb"); f:write(string.rep("\0", 2048) .. string.pack("<i4i4i4i4", 45, 45, 45, 45)); f:close()
ReadExtraData("slope.raw", 0, 1, 2, 2)
new_project(); Varko.Project.slopeDataFormat = 1
CopyTable(); GenerateCombinedTheme()
check_near(SegDist(0, 0, 1, 0), math.sqrt(2), 1e-5, "slope 45 lengthens by root 2")
ReadExtraData("", 0, -1)
check_near(SegDist(0, 0, 1, 0), 1, 1e-6, "slope switched off")

-- an image that cannot be loaded as a map prints Error and changes nothing
local rgb = imCreateImageRGB(2, 2)
check_eq(imSaveRGB(rgb, IM_BMP, IM_NONE, "rgb.bmp"), IM_ERR_NONE, "rgb file written")
f = io.open("rgb.hdr", "w"); f:write("0 255 0 90"); f:close()
ReadExtraData("rgb.bmp", 0, 0)
check_near(SegDist(0, 0, 1, 0), 1, 1e-6, "still no slope")

-- slope from an image with its header: raw 128 is about 45.2 degrees
local sm = imCreateImageMap(W, H)
for k = 0, W * H - 1 do sm[k] = 128 end
check_eq(imSaveMap(sm, imCreatePalette(256), IM_BMP, IM_NONE, "slope.bmp"), IM_ERR_NONE, "slope map written")
f = io.open("slope.hdr", "w"); f:write("0 255 0 90\n"); f:close()
ReadExtraData("slope.bmp", 0, 0)
new_project(); Varko.Project.slopeDataFormat = 0
CopyTable(); GenerateCombinedTheme()
check_near(SegDist(0, 0, 1, 0), 1 / math.cos(math.rad(128 * 90 / 255)), 1e-4, "calibrated slope image")
os.remove("slope.hdr")
check_error(function() ReadExtraData("slope.bmp", 0, 0) end, "ReadExtraData: cannot open the header file slope.hdr!")
check_near(SegDist(0, 0, 1, 0), 1 / math.cos(math.rad(128 * 90 / 255)), 1e-4, "a missing header changes nothing")
finish()
