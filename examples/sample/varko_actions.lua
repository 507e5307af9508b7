-- What the menus do: projects (new, open, save), themes and classes,
-- settings, routes, measuring and export. Every action reports problems
-- to the user and leaves the open project as it was when it fails.
local VarkoFile = require("varko_file")
local VarkoForms = require("varko_forms")
local VarkoProject = require("varko_project")
local VarkoRoutes = require("varko_routes")
local VarkoUI = require("varko_ui")

local VarkoActions = {}
local A = VarkoActions
local ui = VarkoUI

local PROJECT_FILTER = "Varko projects (*.vrk)|*.vrk|All files|*.*|"
local IMAGE_FILTER = "Images|*.png;*.tif;*.tiff;*.bmp;*.gif;*.pcx;*.tga;*.rgb;*.sgi;*.ras;*.jpg;*.led|All files|*.*|"

-- Export formats: file extension -> image library format.
A.exportFormats = {
  { ext = "png", name = "PNG", label = "PNG image" }, { ext = "tif", name = "TIF", label = "TIFF image" },
  { ext = "bmp", name = "BMP", label = "Windows bitmap" }, { ext = "gif", name = "GIF", label = "GIF image" },
  { ext = "jpg", name = "JPG", label = "JPEG image" }, { ext = "pcx", name = "PCX", label = "PCX image" },
  { ext = "tga", name = "TGA", label = "Targa image" }, { ext = "rgb", name = "SGI", label = "SGI image" },
  { ext = "ras", name = "RAS", label = "Sun raster" },
  -- drawings: the routes are vector lines
  { ext = "eps", name = "EPS", label = "Encapsulated PostScript" }, { ext = "ps", name = "PS", label = "PostScript" },
  { ext = "dxf", name = "DXF", label = "AutoCAD DXF" }, { ext = "dgn", name = "DGN", label = "MicroStation DGN" },
  { ext = "cgm", name = "CGM", label = "Computer Graphics Metafile" }, { ext = "wmf", name = "WMF", label = "Windows metafile" },
  { ext = "emf", name = "EMF", label = "Enhanced metafile" }, { ext = "mf", name = "MF", label = "CD metafile" },
}

-- The folder file dialogs start in: the open project's, else the last one
-- a file was chosen in, else the current folder.
function A.startFolder()
  if ui.filename then return VarkoFile.dirname(VarkoFile.absolute(ui.filename)) end
  return A.lastFolder or VarkoFile.dirname(VarkoFile.absolute("x"))
end

-- The open project's name without folder and extension ("untitled" when new).
function A.projectName()
  return ui.filename and (ui.filename:match("([^/]*)$"):gsub("%.[^.]*$", "")) or "untitled"
end

-- A file chosen with the toolkit's file dialog, or nil when cancelled; a
-- save dialog offers the name `suggested`.
function A.chooseFile(kind, title, filter, suggested)
  local dialog = iupfiledlg { dialogtype = kind, title = title, extfilter = filter,
                              allownew = kind == "SAVE" and "YES" or "NO", nochangedir = "YES",
                              directory = A.startFolder(), file = suggested }
  IupPopup(dialog, IUP_CENTER, IUP_CENTER)
  local status = tonumber(IupGetAttribute(dialog, "STATUS") or "-1") or -1
  local value = IupGetAttribute(dialog, "VALUE")
  IupDestroy(dialog)
  if status < 0 or value == nil or value == "" then return nil end
  A.lastFolder = VarkoFile.dirname(VarkoFile.absolute(value))
  return value
end

local function changed()
  VarkoProject.derive(Varko.Project)
  VarkoRoutes.invalidate()
  ui.setModified(true)
end
A.changed = changed

-- ------------------------------------------------------------ undo and redo
-- Every edit of the project records the project as it was before; undo
-- puts it back (keeping the present for redo). Images are shared, not
-- copied: no edit changes an image in place.
A.undoStack, A.redoStack = {}, {}
local UNDO_LIMIT = 100
local NOT_RECORDED = { CombinedTheme = true, XYMark = true }

local function copy_value(v, key)
  if type(v) ~= "table" or key == "Image" then return v end
  local out = {}
  for k, x in pairs(v) do out[k] = copy_value(x, k) end
  return out
end

local function snapshot(p)
  local copy = {}
  for k, v in pairs(p) do
    if not NOT_RECORDED[k] then copy[k] = copy_value(v, k) end
  end
  return copy
end

local function restore(state)
  local p = Varko.Project
  for k in pairs(p) do
    if not NOT_RECORDED[k] and state[k] == nil then p[k] = nil end
  end
  for k, v in pairs(state) do p[k] = copy_value(v, k) end
  if ui.theme > #p.Themes then ui.theme = 0 end
  if ui.path and ui.path > #p.Paths then ui.path = nil end
  ui.class = nil
  changed()
  ui.refresh()
end

-- Called before an edit named what.
function A.record(what)
  local stack = A.undoStack
  stack[#stack + 1] = { what = what, state = snapshot(Varko.Project) }
  if #stack > UNDO_LIMIT then table.remove(stack, 1) end
  A.redoStack = {}
end

-- Moves the latest edit of one stack onto the other: the project goes back
-- to the state kept with it, and the state it leaves is kept instead.
local function travel(from, to, nothing, done)
  local entry = table.remove(from)
  if not entry then
    ui.setStatus(nothing)
    return false
  end
  to[#to + 1] = { what = entry.what, state = snapshot(Varko.Project) }
  restore(entry.state)
  ui.setStatus(done .. entry.what)
  return true
end

function A.undo() return travel(A.undoStack, A.redoStack, "Nothing to undo.", "Undone: ") end
function A.redo() return travel(A.redoStack, A.undoStack, "Nothing to redo.", "Redone: ") end

-- ------------------------------------------------------------ projects

-- Asks about unsaved changes: true when the caller may go on.
function A.confirmDiscard()
  if not ui.modified then return true end
  local answer = IupAlarm("Varko", "The project has unsaved changes.\nSave them first?", "Save", "Discard", "Cancel")
  if answer == 1 then return A.saveProject() == true end
  return answer == 2
end

-- Makes p the open project and shows it (a new history of edits).
function A.setProject(p, filename)
  A.undoStack, A.redoStack = {}, {}
  ui.projectOpened(p, filename)
end

function A.newProject()
  if not A.confirmDiscard() then return end
  A.setProject(VarkoProject.new(), nil)
end

-- Opens filename; on any problem the open project stays untouched.
-- true, or nil and the message shown.
function A.openFile(filename)
  local p, problem = VarkoProject.load(filename)
  if not p then
    ui.message("Open project", problem)
    return nil, problem
  end
  A.setProject(p, filename)
  return true
end

function A.openProject()
  if not A.confirmDiscard() then return end
  local filename = A.chooseFile("OPEN", "Open project", PROJECT_FILTER)
  if filename then A.openFile(filename) end
end

function A.saveFile(filename)
  if not filename:match("%.[^/.]+$") then filename = filename .. ".vrk" end
  local ok, problem = VarkoProject.save(Varko.Project, filename)
  if not ok then
    ui.message("Save project", problem)
    return nil, problem
  end
  ui.filename = filename
  ui.setModified(false)
  return true
end

function A.saveProjectAs()
  local filename = A.chooseFile("SAVE", "Save project as", PROJECT_FILTER, A.projectName() .. ".vrk")
  if not filename then return false end
  return A.saveFile(filename)
end

function A.saveProject()
  if not ui.filename then return A.saveProjectAs() end
  return A.saveFile(ui.filename)
end

function A.exit()
  if not A.confirmDiscard() then return IUP_IGNORE end
  return IUP_CLOSE
end

-- ------------------------------------------------------------ themes

local function basename(path) return (path:match("([^/]*)$"):gsub("%.[^.]*$", "")) end

-- A true-colour image becomes a map image of up to 256 colours written
-- beside it as PNG, so the project can refer to an 8-bit file.
local function map_from_rgb(path, w, h)
  local rgb = imCreateImageRGB(w, h)
  local err = imLoadRGB(path, rgb)
  if err ~= IM_ERR_NONE then return nil, "cannot load " .. path .. " (error " .. tostring(err) .. ")" end
  local image = { imagemap = imCreateImageMap(w, h), palette = imCreatePalette(256) }
  imRGB2Map(rgb, image.imagemap, image.palette)
  local target = path:gsub("%.[^./]*$", "") .. "-classes.png"
  err = imSaveMap(image.imagemap, image.palette, IM_PNG or 9, IM_NONE, target)
  if err ~= IM_ERR_NONE then return nil, "cannot write " .. target .. " (error " .. tostring(err) .. ")" end
  return image, target
end

-- Adds the image file as a theme. true, or nil and the message shown.
function A.importFile(path)
  local p = Varko.Project
  local w, h, kind = imImageInfo(path)
  if not w then
    ui.message("Import theme", path .. " is not an image file that Varko reads.")
    return nil, "unreadable"
  end
  local fresh = #p.Themes == 0
  if not fresh and (w ~= p.Dimension.w or h ~= p.Dimension.h) then
    local text = string.format("%s is %d x %d pixels, but the project's themes are %d x %d.", path, w, h,
                               p.Dimension.w, p.Dimension.h)
    ui.message("Import theme", text)
    return nil, text
  end
  local image, file
  if kind == IM_MAP then
    local ok, loaded = pcall(VarkoProject.loadMapImage, path, w, h, "theme")
    if not ok then
      local text = type(loaded) == "table" and loaded.varko or tostring(loaded)
      ui.message("Import theme", text)
      return nil, text
    end
    image, file = loaded, path
  else
    local converted, target = map_from_rgb(path, w, h)
    if not converted then
      ui.message("Import theme", target)
      return nil, target
    end
    image, file = converted, target
  end
  A.record("Import theme")
  if fresh then
    p.Dimension = { w = w, h = h }
    local a = p.StudyArea
    if a.left == a.right or a.bottom == a.top then
      p.StudyArea = { left = 0, right = w * p.Scale.sx, bottom = 0, top = h * p.Scale.sy }
    end
  end
  local name = basename(path)
  p.Themes[#p.Themes + 1] = { name = name, map = name, weight = 1, file = file, path = file,
                              Image = image, Classes = VarkoProject.classesOf(image, w, h) }
  VarkoProject.derive(p)
  ui.theme = #p.Themes
  changed()
  ui.refresh()
  return true
end

function A.importTheme()
  local path = A.chooseFile("OPEN", "Import theme image", IMAGE_FILTER)
  if path then A.importFile(path) end
end

local function selected_theme()
  local theme = Varko.Project.Themes[ui.theme]
  if not theme then ui.message("Themes", "Select a theme in the list first (not the combined theme).") end
  return theme
end

local function selected_class()
  local theme = selected_theme()
  if not theme then return nil end
  local class = ui.class and theme.Classes[ui.class]
  if not class then ui.message("Classes", "Select a class in the list first.") end
  return class
end

function A.editTheme()
  local theme = selected_theme()
  if not theme then return end
  local name, map, weight = VarkoForms.ask("Theme", {
    { label = "Name", value = theme.name, kind = "text", required = true },
    { label = "Map", value = theme.map, kind = "text" },
    { label = "Weight", value = theme.weight, kind = "number", min = 0 } })
  if not name then return end
  A.record("Edit theme")
  theme.name, theme.map, theme.weight = name, map, weight
  changed()
  ui.refresh()
end

function A.removeTheme()
  local theme = selected_theme()
  if not theme then return end
  if IupAlarm("Remove theme", "Remove the theme " .. theme.name .. "?", "Remove", "Cancel") ~= 1 then return end
  A.record("Remove theme")
  table.remove(Varko.Project.Themes, ui.theme)
  ui.theme = 0
  changed()
  ui.refresh()
end

function A.editClass()
  local class = selected_class()
  if not class then return end
  local description, weight = VarkoForms.ask("Class " .. class.colorindex, {
    { label = "Description", value = class.description, kind = "text" },
    { label = "Weight (100000 = impassable)", value = class.weight, kind = "number", min = 0 } })
  if not description then return end
  A.record("Edit class")
  class.description, class.weight = description, weight
  changed()
  ui.refresh()
end

function A.toggleImpassable()
  local class = selected_class()
  if not class then return end
  A.record("Impassable on/off")
  if VarkoProject.isImpassable(class) then
    class.weight = Varko.Project.WeightLimits.maxWeight
  else
    class.weight = VarkoProject.IMPASSABLE
  end
  changed()
  ui.refresh()
end

-- ------------------------------------------------------------ settings

function A.editArea()
  local p = Varko.Project
  local a, s = p.StudyArea, p.Scale
  local left, right, bottom, top, sx, sy = VarkoForms.ask("Study area and scale", {
    { label = "Left (m)", value = a.left, kind = "number" }, { label = "Right (m)", value = a.right, kind = "number" },
    { label = "Bottom (m)", value = a.bottom, kind = "number" }, { label = "Top (m)", value = a.top, kind = "number" },
    { label = "Pixel width (m)", value = s.sx, kind = "number" },
    { label = "Pixel height (m)", value = s.sy, kind = "number" } },
    function(left, right, bottom, top, sx, sy)
      if left >= right or bottom >= top or sx <= 0 or sy <= 0 then
        return "Left must be below right, bottom below top, and the pixel size above 0."
      end
    end)
  if not left then return end
  A.record("Study area")
  p.StudyArea = { left = left, right = right, bottom = bottom, top = top }
  p.Scale = { sx = sx, sy = sy }
  changed()
  ui.refresh()
end

function A.editLimits()
  local l = Varko.Project.WeightLimits
  local low, high = VarkoForms.ask("Weight limits", {
    { label = "Lowest weight", value = l.minWeight, kind = "number" },
    { label = "Highest weight", value = l.maxWeight, kind = "number" } },
    function(low, high) if low > high then return "The lowest weight must not be above the highest." end end)
  if not low then return end
  A.record("Weight limits")
  Varko.Project.WeightLimits = { minWeight = low, maxWeight = high }
  changed()
end

function A.editSearch()
  local p = Varko.Project
  local r, i = VarkoForms.ask("Search parameters", {
    { label = "Grid step r (pixels)", value = p.r, kind = "integer", min = 1, max = 10000 },
    { label = "Neighbourhood radius i (nodes)", value = p.i, kind = "integer", min = 1, max = 1000 } })
  if not r then return end
  local work = A.searchWork(p, r, i)
  if work > A.COSTLY_SEARCH and IupAlarm("Search parameters", string.format(
       "With r = %d and i = %d a search on this %d x %d raster prices about %.0f million moves:\n" ..
       "routes may take minutes. Keep these parameters?", r, i, p.Dimension.w, p.Dimension.h, work / 1e6),
       "Keep", "Cancel") ~= 1 then
    return
  end
  A.record("Search parameters")
  p.r, p.i = r, i
  changed()
end

function A.useSlope(path)
  local p = Varko.Project
  local w, h = imImageInfo(path)
  if not w or w ~= p.Dimension.w or h ~= p.Dimension.h then
    ui.message("Slope data", path .. " is not an image of the project's raster size.")
    return nil
  end
  local header = io.open(path:sub(1, -4) .. "hdr", "r")
  if not header then
    ui.message("Slope data", "The header " .. path:sub(1, -4) .. "hdr (rawLow rawHigh valueLow valueHigh) is missing.")
    return nil
  end
  header:close()
  A.record("Slope data")
  p.Slope = { file = path, path = path }
  p.slopeDataFormat = 0
  changed()
  return true
end

function A.chooseSlope()
  local path = A.chooseFile("OPEN", "Slope image", IMAGE_FILTER)
  if path then A.useSlope(path) end
end

function A.dropSlope()
  if not Varko.Project.Slope then return end
  A.record("No slope data")
  Varko.Project.Slope = nil
  -- neither the slope image nor the raw grid: the distances are flat
  Varko.Project.slopeDataFormat = -1
  changed()
end

-- The work of a route search in moves priced: nodes times moves a node.
A.COSTLY_SEARCH = 2e8
function A.searchWork(p, r, i)
  local nodes = math.ceil(p.Dimension.w / r) * math.ceil(p.Dimension.h / r)
  -- moves of the radius whose offsets share no factor: about 6/pi^2 of the square
  local moves = (2 * i + 1) ^ 2 * 6 / math.pi ^ 2
  return nodes * moves
end

return VarkoActions
