-- What the menus do: projects (new, open, save), themes and classes,
-- settings, routes, measuring and export. Every action reports problems
-- to the user and leaves the open project as it was when it fails.
VarkoActions = {}
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
}

-- A file chosen with the toolkit's file dialog, or nil when cancelled.
function A.chooseFile(kind, title, filter)
  local dialog = iupfiledlg { dialogtype = kind, title = title, extfilter = filter,
                              allownew = kind == "SAVE" and "YES" or "NO", nochangedir = "YES" }
  IupPopup(dialog, IUP_CENTER, IUP_CENTER)
  local status = tonumber(IupGetAttribute(dialog, "STATUS") or "-1") or -1
  local value = IupGetAttribute(dialog, "VALUE")
  IupDestroy(dialog)
  if status < 0 or value == nil or value == "" then return nil end
  return value
end

local function changed()
  VarkoProject.derive(Varko.Project)
  VarkoRoutes.invalidate()
  ui.setModified(true)
end

-- ------------------------------------------------------------ projects

-- Asks about unsaved changes: true when the caller may go on.
function A.confirmDiscard()
  if not ui.modified then return true end
  local answer = IupAlarm("Varko", "The project has unsaved changes.\nSave them first?", "Save", "Discard", "Cancel")
  if answer == 1 then return A.saveProject() == true end
  return answer == 2
end

-- Makes p the open project and shows it.
function A.setProject(p, filename)
  Varko.Project = p
  Varko.InputPoints = { numPoints = 0, Points = {} }
  ui.filename = filename
  ui.theme, ui.class, ui.path = 0, nil, nil
  VarkoRoutes.invalidate()
  ui.modified = false
  ui.refresh()
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
  local filename = A.chooseFile("SAVE", "Save project as", PROJECT_FILTER)
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

-- Runs IupScanf and reports a field that does not read as a number.
local function scan(format, ...)
  local count = select(2, format:gsub("\n", "")) - 1
  local results = table.pack(IupScanf(format, ...))
  local result = results[1]
  if result == -1 then return nil end
  if result ~= count then
    ui.message("Varko", "Field " .. (result + 1) .. " does not hold a valid value; nothing was changed.")
    return nil
  end
  return table.unpack(results, 2, results.n)
end

function A.editTheme()
  local theme = selected_theme()
  if not theme then return end
  local name, map, weight = scan("Theme\nName:%40.30%s\nMap:%40.30%s\nWeight:%20.12%lg\n",
                                 theme.name, theme.map, theme.weight)
  if not name then return end
  if name == "" or weight < 0 then
    ui.message("Theme", "A theme needs a name and a weight of 0 or more.")
    return
  end
  theme.name, theme.map, theme.weight = name, map, weight
  changed()
  ui.refresh()
end

function A.removeTheme()
  local theme = selected_theme()
  if not theme then return end
  if IupAlarm("Remove theme", "Remove the theme " .. theme.name .. "?", "Remove", "Cancel") ~= 1 then return end
  table.remove(Varko.Project.Themes, ui.theme)
  ui.theme = 0
  changed()
  ui.refresh()
end

function A.editClass()
  local class = selected_class()
  if not class then return end
  local description, weight = scan("Class " .. class.colorindex ..
                                   "\nDescription:%40.30%s\nWeight (100000 = impassable):%20.12%lg\n",
                                   class.description, class.weight)
  if not description then return end
  if weight < 0 then
    ui.message("Class", "A weight must be 0 or more.")
    return
  end
  class.description, class.weight = description, weight
  changed()
  ui.refresh()
end

function A.toggleImpassable()
  local class = selected_class()
  if not class then return end
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
  local left, right, bottom, top, sx, sy = scan(
    "Study area and scale\nLeft (m):%20.15%lg\nRight (m):%20.15%lg\nBottom (m):%20.15%lg\n" ..
    "Top (m):%20.15%lg\nPixel width (m):%20.15%lg\nPixel height (m):%20.15%lg\n",
    a.left, a.right, a.bottom, a.top, s.sx, s.sy)
  if not left then return end
  if left >= right or bottom >= top or sx <= 0 or sy <= 0 then
    ui.message("Study area", "Left must be below right, bottom below top, and the pixel size above 0.")
    return
  end
  p.StudyArea = { left = left, right = right, bottom = bottom, top = top }
  p.Scale = { sx = sx, sy = sy }
  changed()
  ui.refresh()
end

function A.editLimits()
  local l = Varko.Project.WeightLimits
  local low, high = scan("Weight limits\nLowest weight:%20.12%lg\nHighest weight:%20.12%lg\n", l.minWeight, l.maxWeight)
  if not low then return end
  if low > high then
    ui.message("Weight limits", "The lowest weight must not be above the highest.")
    return
  end
  Varko.Project.WeightLimits = { minWeight = low, maxWeight = high }
  changed()
end

function A.editSearch()
  local p = Varko.Project
  local r, i = scan("Search parameters\nGrid step r (pixels):%8.6%d\nNeighbourhood radius i (nodes):%8.6%d\n", p.r, p.i)
  if not r then return end
  if r < 1 or i < 1 or i > 1000 then
    ui.message("Search parameters", "The step and the radius must be at least 1 (radius at most 1000).")
    return
  end
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
  Varko.Project.Slope = nil
  changed()
end
