-- Class colours: Themes -> "Class colour..." picks the selected class's colour
-- with the colour dialog (iup_getcolor). The colour is project data, kept in
-- the class as "r g b" text: saved with the project, undone like any edit,
-- and laid over the theme image's palette for the map and its legend (the
-- image file's own colour comes back when a class has none).
local VarkoUI = require("varko_ui")

local A = require("varko_actions")
local ui = VarkoUI

local VarkoColours = {}

-- "r g b" with each 0..255, as numbers; nil for anything else (a project
-- file may hold any value there).
function VarkoColours.parse(text)
  if type(text) ~= "string" then return nil end
  local r, g, b = text:match("^(%d+) (%d+) (%d+)$")
  r, g, b = tonumber(r), tonumber(g), tonumber(b)
  if not (r and r <= 255 and g <= 255 and b <= 255) then return nil end
  return r, g, b
end

-- Lays the classes' colours over theme's palette; the file's colour of an
-- entry is kept aside the first time it is covered, and put back when no
-- class gives that entry a colour any more (after an undo).
function VarkoColours.apply(theme)
  local image = theme.Image
  if type(image) ~= "table" or not image.palette then return end
  image.fileColours = image.fileColours or {}
  local wanted = {}
  for _, class in ipairs(theme.Classes or {}) do
    local r, g, b = VarkoColours.parse(class.colour)
    if r and type(class.colorindex) == "number" then wanted[class.colorindex] = cdEncodeColor(r, g, b) end
  end
  for v, colour in pairs(image.fileColours) do
    if wanted[v] == nil then pcall(function() image.palette[v] = colour end) end
  end
  for v, colour in pairs(wanted) do
    pcall(function()
      if image.fileColours[v] == nil then image.fileColours[v] = image.palette[v] end
      image.palette[v] = colour
    end)
  end
end

-- The map and legend show the project's colours: every theme is brought in
-- step before the map is drawn (after a load, an edit, an undo).
local show_map = ui.showMap
function VarkoUI.showMap(...)
  for _, theme in ipairs(Varko.Project.Themes) do VarkoColours.apply(theme) end
  return show_map(...)
end

function A.editClassColour()
  local theme = Varko.Project.Themes[ui.theme]
  local class = theme and ui.class and theme.Classes[ui.class]
  if not class then
    ui.message("Class colour", "Select a theme and one of its classes first.")
    return
  end
  local ok, colour = pcall(function() return theme.Image.palette[class.colorindex] end)
  local r, g, b = 0, 0, 0
  if ok and colour then r, g, b = cdDecodeColor(colour) end
  local confirmed
  confirmed, r, g, b = iup_getcolor(r, g, b)
  if confirmed ~= 1 then return end
  A.record("Class colour")
  class.colour = string.format("%d %d %d", r, g, b)
  ui.setModified(true)
  ui.refresh()
end

return VarkoColours
