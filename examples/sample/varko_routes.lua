-- Computations on the open project through the application functions, in
-- the order they expect: copies, slope data, the combined theme, the route
-- search, path analysis. Each entry returns true, or nil and a message;
-- none raises.
local VarkoFile = require("varko_file")
local VarkoProject = require("varko_project")

local VarkoRoutes = {}

local copies_initialized = false
local combined_palette = nil  -- the palette the colour scale was put on
VarkoRoutes.combinedValid = false

-- Marks the combined theme out of date (after any edit of themes or weights).
function VarkoRoutes.invalidate() VarkoRoutes.combinedValid = false end

local function protected(fn, ...)
  local ok, a, b = pcall(fn, ...)
  if not ok then return nil, tostring(a) end
  return a, b
end

-- DestroyTable/DestroyPaths, then CopyTable/CopyPaths of Varko.Project.
local function refresh_copies()
  if not copies_initialized then
    InitializeCopyTable()
    copies_initialized = true
  end
  local p = Varko.Project
  VarkoProject.derive(p)
  VarkoProject.settleSlopeFormat(p)
  DestroyTable()
  DestroyPaths()
  CopyTable()
  CopyPaths()
end

local function refresh_paths()
  VarkoProject.derive(Varko.Project)
  DestroyPaths()
  CopyPaths()
end

-- The slope data named by the project, or none.
local function read_slope()
  local p = Varko.Project
  if p.Slope and p.Slope.path then
    local file = p.Slope.path
    -- The reader handles names of 3 to 63 characters.
    if #file > 63 then file = VarkoFile.relative(".", file) end
    if #file > 63 then error("the slope file's name is longer than 63 characters: " .. file, 0) end
    ReadExtraData(file, 0, 0)
  else
    ReadExtraData("", 0, -1)
  end
end

-- The combined theme's image is made before GenerateCombinedTheme; the
-- colour scale is applied to a palette on the first call of the run only,
-- so every later combined image shares that palette.
local function combined_image()
  local p = Varko.Project
  local w, h = p.Dimension.w, p.Dimension.h
  local current = p.CombinedTheme and p.CombinedTheme.Image
  local image = { imagemap = imCreateImageMap(w, h), palette = combined_palette or imCreatePalette(256) }
  combined_palette = image.palette
  p.CombinedTheme = { Image = image }
  return current
end

function VarkoRoutes.generateCombined()
  local p = Varko.Project
  if #p.Themes == 0 then return nil, "The project has no themes yet: import a theme first." end
  local before = p.CombinedTheme
  local ok, problem = protected(function()
    refresh_copies()
    read_slope()
    combined_image()
    -- false: cancelled in its progress dialog, which leaves everything as it was
    if GenerateCombinedTheme() == false then
      return nil, "The combined theme was cancelled; the project is as it was."
    end
    VarkoRoutes.combinedValid = true
    return true
  end)
  -- no half-made combined theme is kept
  if not ok then p.CombinedTheme = before end
  return ok, problem
end

local function ensure_combined()
  if VarkoRoutes.combinedValid then
    refresh_copies()
    return true
  end
  return VarkoRoutes.generateCombined()
end

-- The clicked points without repeats of the point before (a double click
-- gives one point), or nil and a message when fewer than two points remain
-- or one lies off the raster.
function VarkoRoutes.routePoints(points)
  if type(points) ~= "table" then return nil, "A route needs at least two points." end
  local d = Varko.Project.Dimension
  local kept = {}
  for _, point in ipairs(points) do
    local x, y = point.x, point.y
    if type(x) ~= "number" or type(y) ~= "number" or x < 0 or y < 0 or x >= d.w or y >= d.h then
      return nil, string.format("The point %s, %s lies off the map.", tostring(x), tostring(y))
    end
    local last = kept[#kept]
    if not last or last.x ~= x or last.y ~= y then kept[#kept + 1] = { x = x, y = y } end
  end
  if #kept < 2 then return nil, "A route needs at least two different points." end
  return kept
end

-- Searches a route through points into path k (a new path when k is nil).
-- A search that finds nothing or is cancelled leaves the paths as they were.
local function search(points, k, name)
  local clicked, problem = VarkoRoutes.routePoints(points)
  if not clicked then return nil, problem end
  local ok
  ok, problem = ensure_combined()
  if not ok then return nil, problem end
  local p = Varko.Project
  return protected(function()
    local copied = {}
    for n, point in ipairs(clicked) do copied[n] = { x = point.x, y = point.y } end
    Varko.InputPoints = { numPoints = #copied, Points = copied }
    -- the search writes into the newest path: a recomputed route is
    -- searched there and then moved into its place
    local previous = k and p.Paths[k]
    local at = #p.Paths + 1
    p.Paths[at] = { name = name or (previous and previous.name) or ("Route " .. at), numPoints = 0, Points = {},
                    Clicked = clicked }
    p.numPaths = at
    -- a search past half a second shows its progress with Cancel: a cancel
    -- gives 0 and true; a way lost only to the cost ceiling gives 0, false, true
    local found, cancelled, too_dear = MinimumPath()
    local path = table.remove(p.Paths, at)
    if found ~= 1 or #path.Points == 0 then
      refresh_paths()
      if cancelled then return nil, "The search was cancelled; the routes are as they were." end
      if too_dear then
        return nil, "No route was found: the way between these points costs more than 100000, the most a " ..
                    "search can carry. Lower the weights, or split the route with points in between."
      end
      return nil, "No route was found through these points: an impassable area may cut them apart."
    end
    if k then p.Paths[k] = path else p.Paths[at] = path; k = at end
    refresh_paths()
    return k
  end)
end

-- Routes a new path through points ({x=, y=} pixels). true and the path's
-- number, or nil and a message; a route not found leaves no path behind.
function VarkoRoutes.newRoute(points, name) return search(points, nil, name) end

-- Searches route k again through its clicked points (after weights or
-- settings changed). The route's number, or nil and a message.
function VarkoRoutes.recompute(k)
  local path = Varko.Project.Paths[k]
  if not path then return nil, "There is no route " .. tostring(k) .. "." end
  local clicked = path.Clicked
  if not clicked or #clicked < 2 then
    -- a route from an older project: its ends stand for the clicks
    clicked = { path.Points[1], path.Points[#path.Points] }
  end
  return search(clicked, k, path.name)
end

function VarkoRoutes.analyse(k)
  local ok, problem = ensure_combined()
  if not ok then return nil, problem end
  return protected(function()
    PathAnalysis(k)
    local a = Varko.Project.Paths[k].Analysis
    VarkoRoutes.settleFirstClasses(a)
    return a
  end)
end

-- PathAnalysis gives class 1 only the length over unlisted pixel values,
-- so the length over class 1's own value is counted nowhere. Class 1 is
-- every pixel no later class claims: its length is the theme's length less
-- the other classes'; a value listed twice counts for its last class only.
function VarkoRoutes.settleFirstClasses(a)
  for t, theme in ipairs(Varko.Project.Themes) do
    local at = a.Themes and a.Themes[t]
    if at and #theme.Classes > 0 then
      local owner = {}
      for j, class in ipairs(theme.Classes) do owner[class.colorindex] = j end
      local others = 0
      for j = 2, #theme.Classes do
        local ac = at.Classes[j]
        if owner[theme.Classes[j].colorindex] ~= j then ac.length, ac.perc = 0, 0 end
        others = others + ac.length
      end
      local first = at.Classes[1]
      first.length = math.max(0, at.length - others)
      first.perc = a.length > 0 and 100 * first.length / a.length or 0
    end
  end
end

function VarkoRoutes.measure(x0, y0, x1, y1)
  local ok, problem = ensure_combined()
  if not ok then return nil, problem end
  return protected(SegDist, x0, y0, x1, y1)
end

-- Whether distances are measured over the slope (a surface distance).
function VarkoRoutes.overSlope()
  local p = Varko.Project
  return p.Slope ~= nil and p.Slope.path ~= nil
end

-- Rows of an analysis: {theme, class, length, percentage} per class.
function VarkoRoutes.analysisRows(k)
  local p = Varko.Project
  local a = p.Paths[k].Analysis
  local rows = {}
  if not a then return rows end
  for t, theme in ipairs(p.Themes) do
    local at = a.Themes and a.Themes[t]
    if at then
      for j, class in ipairs(theme.Classes) do
        local ac = at.Classes[j]
        -- a class's share of the cost: what its weight adds to the combined
        -- cost over the length the route runs in it
        local cost = VarkoProject.isImpassable(class) and 0 or ac.length * theme.weight * class.weight
        rows[#rows + 1] = { theme = theme.name, class = class.description, length = ac.length, perc = ac.perc,
                            cost = cost }
      end
    end
  end
  return rows
end

function VarkoRoutes.report(k)
  local p = Varko.Project
  local path = p.Paths[k]
  local a = path.Analysis
  local lines = { string.format("%s: %d points", path.name, #path.Points),
                  string.format("Length: %.1f m", a.length), string.format("Cost: %.1f", a.cost), "" }
  local last_theme = nil
  for _, row in ipairs(VarkoRoutes.analysisRows(k)) do
    if row.theme ~= last_theme then
      lines[#lines + 1] = "Theme " .. row.theme
      last_theme = row.theme
    end
    lines[#lines + 1] = string.format("  %-28s %12.1f m %7.2f %% %14.1f", row.class, row.length, row.perc, row.cost)
  end
  return table.concat(lines, "\n")
end

-- Numbers at one precision: lengths in metres and costs to the millimetre
-- (three decimals), percentages to three decimals.
local function csv_field(value)
  if type(value) == "number" then return string.format("%.3f", value) end
  value = tostring(value)
  if value:find('[",\n]') then value = '"' .. value:gsub('"', '""') .. '"' end
  return value
end

function VarkoRoutes.saveCsv(k, filename)
  local path = Varko.Project.Paths[k]
  local a = path and path.Analysis
  if not a then return nil, "The route has not been analysed." end
  local name = csv_field(path.name)
  local lines = { "route,theme,class,length,percentage,cost",
                  table.concat({ name, "total", "", csv_field(a.length), csv_field(100), csv_field(a.cost) }, ",") }
  for _, row in ipairs(VarkoRoutes.analysisRows(k)) do
    lines[#lines + 1] = table.concat({ name, csv_field(row.theme), csv_field(row.class), csv_field(row.length),
                                       csv_field(row.perc), csv_field(row.cost) }, ",")
  end
  local f, problem = io.open(filename, "w")
  if not f then return nil, "cannot write " .. filename .. " (" .. tostring(problem) .. ")" end
  local written = f:write(table.concat(lines, "\n"), "\n")
  local closed = f:close()
  if not written or not closed then return nil, "cannot write " .. filename end
  return true
end

-- The cost under a pixel of the combined theme, or nil when unknown.
function VarkoRoutes.combinedCost(x, y)
  local ct = Varko.Project.CombinedTheme
  if not VarkoRoutes.combinedValid or not ct or not ct.Image or not ct.minValue then return nil end
  local w = Varko.Project.Dimension.w
  local v = ct.Image.imagemap[x + y * w]
  if v == 255 then return "impassable" end
  return ct.minValue + v * (ct.maxValue - ct.minValue) / 254
end

return VarkoRoutes
