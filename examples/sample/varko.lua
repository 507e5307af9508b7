-- Varko's start-up script: the project tables, the colour scale, the main
-- dialog, and the sample project opened at start.
--
-- Globals a caller may set before running this file:
--   VarkoDir         the folder holding this script and its modules ("." by default:
--                    varko runs varko.lua from the current folder)
--   VarkoNoAutoLoad  true: start with an empty project instead of sample.vrk
--   VarkoNoShow      true: build everything but do not show the main dialog
VarkoDir = VarkoDir or "."

for _, module in ipairs({ "varko_file.lua", "varko_forms.lua", "varko_project.lua", "varko_routes.lua", "varko_map.lua",
                          "varko_ui.lua", "varko_actions.lua", "varko_routeactions.lua" }) do
  dofile(VarkoDir .. "/" .. module)
end

-- Low costs green, through yellow, to high costs red; impassable is white.
DefaultColorScale = {
  numColors = 10,
  Table = {
    { 0, 128, 0 }, { 64, 160, 0 }, { 128, 192, 0 }, { 192, 224, 0 }, { 255, 255, 0 },
    { 255, 208, 0 }, { 255, 160, 0 }, { 255, 112, 0 }, { 224, 56, 0 }, { 192, 0, 0 },
  },
}

Varko = { Project = VarkoProject.new(), InputPoints = { numPoints = 0, Points = {} } }

local dialog = VarkoUI.build()
VarkoUI.refresh()
if not VarkoNoShow then IupShow(dialog) end

if not VarkoNoAutoLoad then
  local sample = VarkoDir .. "/sample.vrk"
  local f = io.open(sample, "r")
  if f then
    f:close()
    VarkoActions.openFile(sample)
  end
end
