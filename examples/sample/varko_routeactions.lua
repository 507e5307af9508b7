-- The Routes menu: a new route picked on the map, rename, delete, the
-- analysis report (with CSV export), measuring, and exporting the map.
local VarkoForms = require("varko_forms")
local VarkoMap = require("varko_map")
local VarkoProject = require("varko_project")
local VarkoRoutes = require("varko_routes")
local VarkoUI = require("varko_ui")

-- these actions join the others in one table
local A = require("varko_actions")
local ui = VarkoUI

local function selected_path()
  local k = ui.path
  if not (k and Varko.Project.Paths[k]) then
    ui.message("Routes", "Select a route in the list first.")
    return nil
  end
  return k
end

-- Routes through points; reports a failure. The new path's number or nil.
function A.routeThrough(points)
  -- No loop step here: events handled inside this callback could start a
  -- second search over the first one's copies.
  ui.setStatus("Searching the route...")
  A.record("New route")
  local k, problem = VarkoRoutes.newRoute(points)
  ui.setStatus("")
  if not k then
    table.remove(A.undoStack)  -- nothing changed
    ui.message("New route", problem)
    ui.fillPaths()
    return nil
  end
  ui.path = k
  ui.setModified(true)
  ui.fillPaths()
  ui.setStatus(string.format("%s: %d points", Varko.Project.Paths[k].name, #Varko.Project.Paths[k].Points))
  return k
end

function A.newRoute()
  if #Varko.Project.Themes == 0 then
    ui.message("New route", "Import a theme first: routes are searched over the combined theme.")
    return
  end
  ui.setStatus("Click the route's points on the map; right click or Enter finishes, Esc cancels.")
  VarkoMap.pickPoints(function(points)
    ui.setStatus("")
    if points then A.routeThrough(points) end
  end)
end

function A.renameRoute()
  local k = selected_path()
  if not k then return end
  local path = Varko.Project.Paths[k]
  local name = VarkoForms.ask("Rename route", { { label = "Name", value = path.name, kind = "text", required = true } })
  if not name then return end
  A.record("Rename route")
  path.name = name
  ui.setModified(true)
  ui.fillPaths()
end

function A.deleteRoute()
  local k = selected_path()
  if not k then return end
  if IupAlarm("Delete route", "Delete " .. Varko.Project.Paths[k].name .. "?", "Delete", "Cancel") ~= 1 then return end
  A.record("Delete route")
  table.remove(Varko.Project.Paths, k)
  VarkoProject.derive(Varko.Project)
  ui.path = nil
  ui.setModified(true)
  ui.fillPaths()
end

function A.saveReport(k)
  local filename = A.chooseFile("SAVE", "Save the analysis as CSV", "CSV files|*.csv|All files|*.*|",
                                Varko.Project.Paths[k].name:gsub("[^%w_%-]", "_") .. ".csv")
  if not filename then return end
  if not filename:match("%.[^/.]+$") then filename = filename .. ".csv" end
  local ok, problem = VarkoRoutes.saveCsv(k, filename)
  if not ok then ui.message("Route analysis", problem) end
end

-- Analyses route k and shows the report in its own window.
function A.analysePath(k)
  local analysis, problem = VarkoRoutes.analyse(k)
  if not analysis then
    ui.message("Route analysis", problem)
    return nil
  end
  if ui.report then IupDestroy(ui.report) end
  -- the report is read only: every edit is refused (it can still be selected and copied)
  local text = iupmultiline { value = VarkoRoutes.report(k), size = "360x160", font = "COURIER_NORMAL_10",
                              action = function() return IUP_IGNORE end }
  ui.reportText = text
  ui.report = iupdialog {
    iupvbox {
      text,
      iuphbox { iupfill {},
                iupbutton { title = "Save as CSV...", action = function() A.saveReport(k) end },
                iupbutton { title = "Close", action = function()
                  IupHide(ui.report)
                  return IUP_DEFAULT
                end } },
      margin = "5x5", gap = "5",
    },
    title = "Route analysis: " .. Varko.Project.Paths[k].name, parentdialog = "Varko.MainDialog",
  }
  IupShow(ui.report)
  return analysis
end

function A.analyseRoute()
  local k = selected_path()
  if k then A.analysePath(k) end
end

-- The profile of the selected route along the selected theme (the
-- combined theme when none) in the XY graphic window.
function A.profileRoute()
  local k = selected_path()
  if not k then return end
  if type(XYGraphic) ~= "function" then
    ui.message("Route profile", "The profile window is not available in this build.")
    return
  end
  local ok, problem = true, nil
  if not VarkoRoutes.combinedValid then ok, problem = VarkoRoutes.generateCombined() end
  if ok then
    local t = ui.theme == 0 and #Varko.Project.Themes + 1 or ui.theme
    ok, problem = pcall(XYGraphic, k, t)
  end
  if not ok then ui.message("Route profile", tostring(problem)) end
end

function A.measure()
  if #Varko.Project.Themes == 0 then
    ui.message("Measure", "Import a theme first.")
    return
  end
  if not VarkoRoutes.combinedValid then
    local ok, problem = VarkoRoutes.generateCombined()
    if not ok then
      ui.message("Measure", problem)
      return
    end
  end
  ui.setStatus("Click the two ends of the distance on the map.")
  VarkoMap.measure(function(distance)
    if distance then ui.setStatus(A.distanceText(distance)) end
  end)
end

-- A measured distance as the status line gives it.
function A.distanceText(distance)
  if VarkoRoutes.overSlope() then return string.format("Distance: %.1f m (surface distance over the slope)", distance) end
  return string.format("Distance: %.1f m", distance)
end

-- Searches every route again through its clicked points (after weights or
-- settings changed); one undo step. The number of routes that could not be
-- found again (they keep their old course).
function A.recomputeRoutes()
  local p = Varko.Project
  if #p.Paths == 0 then
    ui.message("Recompute routes", "There are no routes to recompute.")
    return 0
  end
  A.record("Recompute routes")
  local failed = {}
  for k = 1, #p.Paths do
    local ok, problem = VarkoRoutes.recompute(k)
    if not ok then failed[#failed + 1] = p.Paths[k].name .. ": " .. tostring(problem) end
  end
  ui.setModified(true)
  ui.fillPaths()
  if #failed > 0 then ui.message("Recompute routes", "These routes keep their old course:\n" .. table.concat(failed, "\n")) end
  ui.setStatus(string.format("%d route(s) recomputed.", #p.Paths - #failed))
  return #failed
end

-- The export format for a file name, by its extension (PNG when none).
function A.exportFormatOf(filename)
  local ext = (filename:match("%.([^./]+)$") or ""):lower()
  if ext == "tiff" then ext = "tif" elseif ext == "jpeg" then ext = "jpg" elseif ext == "sgi" then ext = "rgb" end
  for _, format in ipairs(A.exportFormats) do
    if format.ext == ext then return format.name, filename end
  end
  return "PNG", filename .. ".png"
end

function A.exportMap()
  local filters = {}
  for _, format in ipairs(A.exportFormats) do filters[#filters + 1] = format.label .. "|*." .. format.ext .. "|" end
  local filename = A.chooseFile("SAVE", "Export the map", table.concat(filters), A.projectName() .. ".png")
  if not filename then return end
  local format
  format, filename = A.exportFormatOf(filename)
  local ok, problem = VarkoMap.export(filename, format)
  if not ok then ui.message("Export map", tostring(problem)) else ui.setStatus("Exported " .. filename) end
end

return A
