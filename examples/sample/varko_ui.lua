-- The main dialog: menus, the theme, class and route lists beside the map,
-- the status line, and keeping them in step with the open project.
VarkoUI = { items = {}, modified = false, filename = nil, theme = 0, class = nil, path = nil }
local ui = VarkoUI

local function item(title, action)
  local element = iupitem { title = title, action = function()
    local result = action()
    if result == IUP_CLOSE then return IUP_CLOSE end
    return IUP_DEFAULT
  end }
  ui.items[title] = element
  return element
end

-- Replaces a list's items by texts and selects item `selected` (1-based).
local function fill_list(list, texts, selected)
  local old = tonumber(IupGetAttribute(list, "COUNT") or "") or ui[list] or 0
  for n, text in ipairs(texts) do IupSetAttribute(list, tostring(n), text) end
  for n = #texts + 1, math.max(old, #texts) + 1 do IupSetAttribute(list, tostring(n), nil) end
  ui[list] = #texts
  if selected and selected >= 1 and selected <= #texts then IupSetAttribute(list, "VALUE", tostring(selected)) end
end

function VarkoUI.message(title, text) IupMessage(title, text) end

function VarkoUI.setStatus(text) IupSetAttribute(ui.status, "TITLE", text) end

function VarkoUI.updateTitle()
  local name = ui.filename and ui.filename:match("[^/]*$") or "untitled"
  IupSetAttribute(ui.dialog, "TITLE", "Varko - " .. name .. (ui.modified and " *" or ""))
end

function VarkoUI.setModified(flag)
  ui.modified = flag
  VarkoUI.updateTitle()
end

-- The class of theme t that pixel value v belongs to: the last class that
-- lists v, else class 1 (as the route functions count it).
function VarkoUI.classOfValue(theme, v)
  local found = nil
  for j, class in ipairs(theme.Classes) do
    if class.colorindex == v then found = j end
  end
  return found or (#theme.Classes > 0 and 1 or nil)
end

local function describe_pixel(x, y)
  local p = Varko.Project
  local w, h = p.Dimension.w, p.Dimension.h
  if x < 0 or y < 0 or x >= w or y >= h then return "" end
  local parts = {}
  local theme = p.Themes[ui.theme]
  if theme then
    local v = theme.Image.imagemap[x + y * w]
    local j = VarkoUI.classOfValue(theme, v)
    local class = j and theme.Classes[j]
    if class then
      local weight = VarkoProject.isImpassable(class) and "impassable" or ("weight " .. class.weight)
      parts[#parts + 1] = string.format("%s: %s (%s)", theme.name, class.description, weight)
    else
      parts[#parts + 1] = string.format("%s: value %d", theme.name, v)
    end
  end
  local cost = VarkoRoutes.combinedCost(x, y)
  if cost == "impassable" then
    parts[#parts + 1] = "impassable"
  elseif cost then
    parts[#parts + 1] = string.format("cost %.1f", cost)
  end
  return table.concat(parts, ", ")
end

function VarkoUI.fillThemes()
  local texts = { "Combined theme" }
  for _, theme in ipairs(Varko.Project.Themes) do texts[#texts + 1] = theme.name end
  fill_list(ui.themeList, texts, ui.theme + 1)
end

function VarkoUI.fillClasses()
  local texts = {}
  local theme = Varko.Project.Themes[ui.theme]
  if theme then
    for _, class in ipairs(theme.Classes) do
      local weight = VarkoProject.isImpassable(class) and "impassable" or tostring(class.weight)
      texts[#texts + 1] = string.format("%d %s [%s]", class.colorindex, class.description, weight)
    end
  end
  if ui.class and ui.class > #texts then ui.class = nil end
  fill_list(ui.classList, texts, ui.class)
end

function VarkoUI.fillPaths()
  local texts = {}
  for k, path in ipairs(Varko.Project.Paths) do texts[k] = path.name end
  if ui.path and ui.path > #texts then ui.path = nil end
  fill_list(ui.pathList, texts, ui.path)
  VarkoMap.setPaths(Varko.Project.Paths, ui.path)
end

-- Shows the selected theme (0: the combined theme) on the map.
function VarkoUI.showMap()
  local p = Varko.Project
  if #p.Themes == 0 then
    VarkoMap.setLegend(nil)
    VarkoMap.setPaths(p.Paths, ui.path)
    return
  end
  if ui.theme == 0 then
    if not VarkoRoutes.combinedValid then
      VarkoUI.setStatus("Generating the combined theme...")
      local ok, problem = VarkoRoutes.generateCombined()
      VarkoUI.setStatus("")
      if not ok then
        VarkoUI.message("Combined theme", problem)
        return
      end
    end
    local ct = p.CombinedTheme
    VarkoMap.setImage(ct.Image, "Combined theme")
    VarkoMap.setLegend(ct.minValue, ct.maxValue, DefaultColorScale)
  else
    local theme = p.Themes[ui.theme]
    VarkoMap.setImage(theme.Image, theme.name)
    VarkoMap.setLegend(nil)
  end
  VarkoMap.setPaths(p.Paths, ui.path)
end

-- Everything shown again from Varko.Project (after a load or a new project).
function VarkoUI.refresh()
  if ui.theme > #Varko.Project.Themes then ui.theme = 0 end
  VarkoUI.fillThemes()
  VarkoUI.fillClasses()
  VarkoUI.fillPaths()
  VarkoUI.showMap()
  VarkoUI.updateTitle()
end

function VarkoUI.selectTheme(t)
  ui.theme, ui.class = t, nil
  VarkoUI.fillClasses()
  VarkoUI.showMap()
end

function VarkoUI.selectPath(k)
  ui.path = k
  VarkoMap.setPaths(Varko.Project.Paths, ui.path)
end

local function menus()
  local A = VarkoActions
  return iupmenu {
    { "Project", iupmenu {
      item("New project", A.newProject), item("Open project...", A.openProject),
      item("Save project", A.saveProject), item("Save project as...", A.saveProjectAs),
      iupseparator {}, item("Export map...", A.exportMap), iupseparator {}, item("Exit", A.exit) } },
    { "Themes", iupmenu {
      item("Import theme...", A.importTheme), item("Edit theme...", A.editTheme),
      item("Remove theme", A.removeTheme), iupseparator {},
      item("Edit class...", A.editClass), item("Impassable on/off", A.toggleImpassable) } },
    { "Settings", iupmenu {
      item("Study area and scale...", A.editArea), item("Weight limits...", A.editLimits),
      item("Search parameters...", A.editSearch), iupseparator {},
      item("Slope data...", A.chooseSlope), item("No slope data", A.dropSlope) } },
    { "Routes", iupmenu {
      item("New route", A.newRoute), item("Rename route...", A.renameRoute),
      item("Delete route", A.deleteRoute), item("Analyse route", A.analyseRoute),
      item("Route profile", A.profileRoute),
      iupseparator {}, item("Measure distance", A.measure) } },
    { "View", iupmenu {
      item("Fit to window", function() VarkoMap.fit() end),
      item("Zoom in", function() VarkoMap.zoom(2) end),
      item("Zoom out", function() VarkoMap.zoom(0.5) end) } },
  }
end

function VarkoUI.build()
  ui.themeList = iuplist { size = "110x80", action = function(_, _, n, state)
    if state == 1 then VarkoUI.selectTheme(n - 1) end
  end }
  ui.classList = iuplist { size = "110x80", action = function(_, _, n, state)
    if state == 1 then ui.class = n end
  end }
  ui.pathList = iuplist { size = "110x50", action = function(_, _, n, state)
    if state == 1 then VarkoUI.selectPath(n) end
  end }
  ui.status = iuplabel { title = string.rep(" ", 100), expand = "HORIZONTAL" }
  VarkoMap.describePixel = describe_pixel
  VarkoMap.onStatus = VarkoUI.setStatus
  ui.map = VarkoMap.create()
  local side = iupvbox {
    iuplabel { title = "Themes" }, ui.themeList,
    iuplabel { title = "Classes" }, ui.classList,
    iuplabel { title = "Routes" }, ui.pathList,
    gap = "3", margin = "3x3",
  }
  ui.dialog = iupdialog {
    iupvbox { iuphbox { side, ui.map }, ui.status },
    title = "Varko", menu = menus(),
    close = function() return VarkoActions.exit() end,
  }
  IupSetHandle("Varko.MainDialog", ui.dialog)
  return ui.dialog
end
