-- The project model: a fresh project, checking and loading a project file
-- into a new table (the open project is swapped only when all went well),
-- the derived counts the route functions read, and saving.
local VarkoFile = require("varko_file")

local VarkoProject = {}

local IMPASSABLE = 100000
VarkoProject.IMPASSABLE = IMPASSABLE
-- Theme images (and the combined theme) a project may hold, in bytes: a
-- project that would need more is refused before its images are read.
VarkoProject.MAX_IMAGE_BYTES = 1024 * 2 ^ 20
local MAX_SIDE = 20000

local function fail(message) error({ varko = message }, 0) end

local function need_number(value, what, low, high)
  if type(value) ~= "number" or value ~= value then fail(what .. " must be a number") end
  if (low and value < low) or (high and value > high) then
    fail(what .. " must lie between " .. tostring(low or "-inf") .. " and " .. tostring(high or "inf"))
  end
  return value
end

local function need_integer(value, what, low, high)
  need_number(value, what, low, high)
  if value ~= math.floor(value) then fail(what .. " must be a whole number") end
  return math.tointeger(value)
end

local function need_table(value, what)
  if type(value) ~= "table" then fail(what .. " is missing (a table is expected)") end
  return value
end

local function need_string(value, what)
  if type(value) ~= "string" then fail(what .. " must be a text") end
  return value
end

-- An image table {imagemap, palette} of w x h pixels, all 0.
function VarkoProject.blankImage(w, h)
  return { imagemap = imCreateImageMap(w, h), palette = imCreatePalette(256) }
end

-- Loads an 8-bit map image of exactly w x h pixels (w, h nil: any size).
-- Returns the image table and its width and height, or raises a message.
function VarkoProject.loadMapImage(path, w, h, what)
  local iw, ih, kind, colours, err = imImageInfo(path)
  if not iw then fail(what .. ": cannot read the image " .. path .. " (error " .. tostring(err) .. ")") end
  if kind ~= IM_MAP then fail(what .. ": " .. path .. " is not an 8-bit map image") end
  if w and (iw ~= w or ih ~= h) then
    fail(string.format("%s: %s is %d x %d pixels, the project's raster is %d x %d", what, path, iw, ih, w, h))
  end
  if iw > MAX_SIDE or ih > MAX_SIDE then fail(what .. ": " .. path .. " is too big") end
  local image = { imagemap = imCreateImageMap(iw, ih), palette = imCreatePalette(math.max(1, math.min(256, colours or 256))) }
  local loaded = imLoadMap(path, image.imagemap, image.palette)
  if loaded ~= IM_ERR_NONE then fail(what .. ": cannot load " .. path .. " (error " .. tostring(loaded) .. ")") end
  return image, iw, ih
end

-- Without slope data the slope mode must be none (-1): slopeDataFormat 0
-- would select the slope image a project opened before left loaded. With
-- slope data it is 0 (the image) or 1 (the raw grid).
function VarkoProject.settleSlopeFormat(p)
  if not (p.Slope and p.Slope.file) then p.slopeDataFormat = -1
  elseif p.slopeDataFormat ~= 0 and p.slopeDataFormat ~= 1 then p.slopeDataFormat = 0 end
end

-- The derived fields the route functions read: counts and ThemesNames.
function VarkoProject.derive(p)
  p.numThemes = #p.Themes
  p.ThemesNames = {}
  for t, theme in ipairs(p.Themes) do
    p.ThemesNames[t] = theme.name
    theme.numClasses = #theme.Classes
  end
  p.numPaths = #p.Paths
  for _, path in ipairs(p.Paths) do path.numPoints = #path.Points end
end

function VarkoProject.new()
  local p = {
    format = "Varko project", version = 1,
    StudyArea = { left = 0, right = 0, bottom = 0, top = 0 },
    Scale = { sx = 1, sy = 1 },
    Dimension = { w = 0, h = 0 },
    WeightLimits = { minWeight = 0, maxWeight = 100 },
    i = 3, r = 4, slopeDataFormat = -1,
    Themes = {}, Paths = {}, XYMark = {},
    CombinedTheme = {},
  }
  VarkoProject.derive(p)
  return p
end

local function check_settings(p)
  local area = need_table(p.StudyArea, "StudyArea")
  for _, side in ipairs({ "left", "right", "bottom", "top" }) do need_number(area[side], "StudyArea." .. side) end
  local scale = need_table(p.Scale, "Scale")
  need_number(scale.sx, "Scale.sx")
  need_number(scale.sy, "Scale.sy")
  if scale.sx <= 0 or scale.sy <= 0 then fail("the scale must be above 0") end
  local dim = need_table(p.Dimension, "Dimension")
  need_integer(dim.w, "Dimension.w", 1, MAX_SIDE)
  need_integer(dim.h, "Dimension.h", 1, MAX_SIDE)
  local limits = need_table(p.WeightLimits, "WeightLimits")
  need_number(limits.minWeight, "WeightLimits.minWeight")
  need_number(limits.maxWeight, "WeightLimits.maxWeight")
  need_integer(p.i, "i (the search radius)", 1, 1000)
  need_integer(p.r, "r (the search step)", 1, 10000)
  -- the coordinate reference system of imported geodata, as WKT
  if p.CRS ~= nil then need_string(p.CRS, "CRS") end
  if p.slopeDataFormat == nil then p.slopeDataFormat = 0 end
  need_integer(p.slopeDataFormat, "slopeDataFormat", -1, 1)
end

local function check_theme(theme, t)
  local what = "theme " .. t
  need_table(theme, what)
  need_string(theme.name, what .. " name")
  if theme.map == nil then theme.map = theme.name end
  need_string(theme.map, what .. " map")
  need_number(theme.weight, what .. " weight", 0)
  need_string(theme.file, what .. " file")
  need_table(theme.Classes, what .. " Classes")
  for j, class in ipairs(theme.Classes) do
    local cwhat = "class " .. j .. " of " .. what
    need_table(class, cwhat)
    need_integer(class.colorindex, cwhat .. " colorindex", 0, 255)
    need_number(class.weight, cwhat .. " weight", 0)
    if class.description == nil then class.description = "" end
    need_string(class.description, cwhat .. " description")
  end
end

local function check_paths(p)
  if p.Paths == nil then p.Paths = {} end
  need_table(p.Paths, "Paths")
  local w, h = p.Dimension.w, p.Dimension.h
  for k, path in ipairs(p.Paths) do
    local what = "path " .. k
    need_table(path, what)
    if path.name == nil then path.name = "Route " .. k end
    need_string(path.name, what .. " name")
    need_table(path.Points, what .. " Points")
    for n, point in ipairs(path.Points) do
      need_table(point, "point " .. n .. " of " .. what)
      need_number(point.x, "point " .. n .. " of " .. what .. " x", 0, w - 1)
      need_number(point.y, "point " .. n .. " of " .. what .. " y", 0, h - 1)
    end
    -- the points clicked for the route, kept to search it again
    if path.Clicked ~= nil then
      need_table(path.Clicked, what .. " Clicked")
      for n, point in ipairs(path.Clicked) do
        need_table(point, "clicked point " .. n .. " of " .. what)
        need_number(point.x, "clicked point " .. n .. " of " .. what .. " x", 0, w - 1)
        need_number(point.y, "clicked point " .. n .. " of " .. what .. " y", 0, h - 1)
      end
    end
  end
end

-- Checks a table read from a file in the folder dir and loads its images.
-- Returns the project ready to become Varko.Project, or nil and a message.
function VarkoProject.fromData(data, dir)
  local ok, result = pcall(function()
    if data.format ~= nil and data.format ~= "Varko project" then fail("this is not a Varko project file") end
    if data.version ~= nil and (type(data.version) ~= "number" or data.version > 1) then
      fail("the project was written by a newer version of Varko (version " .. tostring(data.version) .. ")")
    end
    data.format, data.version = "Varko project", 1
    check_settings(data)
    need_table(data.Themes, "Themes")
    for t, theme in ipairs(data.Themes) do check_theme(theme, t) end
    check_paths(data)
    local w, h = data.Dimension.w, data.Dimension.h
    -- The theme maps and the combined theme, one byte a pixel each, counted
    -- before any image is read.
    local bytes = (w + 0.0) * h * (#data.Themes + 1)
    if bytes > VarkoProject.MAX_IMAGE_BYTES then
      fail(string.format("its %d themes of %d x %d pixels need about %.0f MB, more than the %d MB a project may use",
                         #data.Themes, w, h, bytes / 2 ^ 20, VarkoProject.MAX_IMAGE_BYTES // 2 ^ 20))
    end
    for t, theme in ipairs(data.Themes) do
      theme.path = VarkoFile.resolve(dir, theme.file)
      theme.Image = VarkoProject.loadMapImage(theme.path, w, h, "theme " .. t .. " (" .. theme.name .. ")")
    end
    if data.Slope ~= nil then
      need_table(data.Slope, "Slope")
      need_string(data.Slope.file, "Slope file")
      local path = VarkoFile.resolve(dir, data.Slope.file)
      data.Slope.path = path
      local sw, sh = imImageInfo(path)
      if not sw then fail("the slope image " .. path .. " cannot be read") end
      if sw ~= w or sh ~= h then fail("the slope image " .. path .. " is not the size of the raster") end
      local header = io.open(path:sub(1, -4) .. "hdr", "r")
      if not header then fail("the slope header " .. path:sub(1, -4) .. "hdr is missing") end
      header:close()
    end
    VarkoProject.settleSlopeFormat(data)
    data.XYMark = {}
    data.CombinedTheme = { Image = VarkoProject.blankImage(w, h) }
    VarkoProject.derive(data)
    return data
  end)
  if ok then return result end
  if type(result) == "table" and result.varko then return nil, result.varko end
  return nil, tostring(result)
end

-- Reads and checks a project file: the new project, or nil and a message.
function VarkoProject.load(filename)
  local data, problem = VarkoFile.read(filename)
  if not data then return nil, problem end
  local project, message = VarkoProject.fromData(data, VarkoFile.dirname(filename))
  if not project then return nil, filename .. ": " .. message end
  return project
end

-- Saves p as filename; theme and slope files are stored relative to the
-- file's folder. true, or nil and a message.
function VarkoProject.save(p, filename)
  local dir = VarkoFile.dirname(VarkoFile.absolute(filename))
  for _, theme in ipairs(p.Themes) do
    if theme.path then theme.file = VarkoFile.relative(dir, theme.path) end
  end
  if p.Slope and p.Slope.path then p.Slope.file = VarkoFile.relative(dir, p.Slope.path) end
  return VarkoFile.write(filename, p)
end

-- Classes for the pixel values present in a w x h image table.
function VarkoProject.classesOf(image, w, h)
  local map = image.imagemap
  local present = {}
  for k = 0, w * h - 1 do present[map[k]] = true end
  local classes = {}
  for v = 0, 255 do
    if present[v] then
      classes[#classes + 1] = { colorindex = v, weight = 1, description = "Class " .. v }
    end
  end
  return classes
end

-- The colour of palette entry v as "r g b".
function VarkoProject.colourOf(image, v)
  local ok, colour = pcall(function() return image.palette[v] end)
  if not ok then return "?" end
  local r, g, b = imDecodeColor(colour)
  return string.format("%d %d %d", r, g, b)
end

function VarkoProject.isImpassable(class) return class.weight >= IMPASSABLE end

return VarkoProject
