-- Run by varko as varko.lua beside the sample project (bench/route_sample.sh):
-- a four-point route at the project's own step and radius, with its slope
-- image, timed over a few runs, and a digest of its points so that a change
-- of the search can be checked to give the same route.
local function read_project(name)
  local chunk = assert(loadfile(name, "t", {}))
  return chunk()
end

local project = read_project("sample.vrk")
local W, H = project.Dimension.w, project.Dimension.h
local names = {}
for t, theme in ipairs(project.Themes) do
  names[t] = theme.name
  theme.numClasses = #theme.Classes
  local map, palette = imCreateImageMap(W, H), imCreatePalette(256)
  assert(imLoadMap(theme.file, map, palette) == IM_ERR_NONE, theme.file)
  theme.Image = {imagemap = map, palette = palette}
end
project.ThemesNames = names
project.numThemes = #project.Themes
project.numPaths = 0
project.Paths = {}
project.CombinedTheme = {Image = {imagemap = imCreateImageMap(W, H), palette = imCreatePalette(256)}}
DefaultColorScale = {numColors = 2, Table = {{0, 110, 40}, {190, 30, 30}}}
Varko = {Project = project, InputPoints = {numPoints = 0, Points = {}}}

ReadExtraData(project.Slope.file, 0, 0, 0, 0)
InitializeCopyTable()
CopyTable()
CopyPaths()
GenerateCombinedTheme()

local points = {{x = 30, y = 30}, {x = 970, y = 770}, {x = 30, y = 770}, {x = 970, y = 30}}
local runs = tonumber(os.getenv("ROUTE_SAMPLE_RUNS") or "3")
local best, digest, count = math.huge, nil, nil
for run = 1, runs do
  project.numPaths = project.numPaths + 1
  local k = project.numPaths
  project.Paths[k] = {numPoints = 0, Points = {}}
  Varko.InputPoints = {numPoints = #points, Points = points}
  local started = os.clock()
  local found = MinimumPath()
  best = math.min(best, os.clock() - started)
  assert(found == 1, "a leg found no route")
  local path = project.Paths[k]
  -- FNV-1a over the coordinates, in Lua's wrapping 64-bit integers
  local h = -3750763034362895579
  for p = 1, path.numPoints do
    for _, v in ipairs({path.Points[p].x, path.Points[p].y}) do
      h = (h ~ math.tointeger(v)) * 1099511628211
    end
  end
  local this = string.format("%016x", h)
  assert(digest == nil or digest == this, "runs gave different routes")
  digest, count = this, path.numPoints
end
-- the line bench/route_check.sh compares, in the form of bench_route --route-digests
print(string.format("sample %d %d slope-image: %d %s", project.r, project.i, count, digest))
print(string.format("sample %dx%d r=%d i=%d, %d points: %d route points, digest %s, best of %d runs %.3f s",
                    W, H, project.r, project.i, #points, count, digest, runs, best))
