-- Varko's start-up script: the project tables, the colour scale, the main
-- dialog, and the sample project opened at start.
--
-- Globals a caller may set before running this file:
--   VarkoDir         the folder holding this script and its modules ("." by default:
--                    varko runs varko.lua from the current folder)
--   VarkoNoAutoLoad  true: start with an empty project instead of sample.vrk
--   VarkoNoShow      true: build everything but do not show the main dialog
-- Only what the application relies on is global: Varko (the project and
-- the input points), DefaultColorScale, canvas, imagetomap, imagetocanvas;
-- the modules are loaded with require and return their tables.
local dir = VarkoDir or "."
package.path = dir .. "/?.lua;" .. package.path

-- Low costs green, through yellow, to high costs red; impassable is white.
DefaultColorScale = {
  numColors = 10,
  Table = {
    { 0, 128, 0 }, { 64, 160, 0 }, { 128, 192, 0 }, { 192, 224, 0 }, { 255, 255, 0 },
    { 255, 208, 0 }, { 255, 160, 0 }, { 255, 112, 0 }, { 224, 56, 0 }, { 192, 0, 0 },
  },
}

local VarkoProject = require("varko_project")
Varko = { Project = VarkoProject.new(), InputPoints = { numPoints = 0, Points = {} } }

local ui = require("varko_ui")
require("varko_actions")
require("varko_output")  -- Print and Copy map
require("varko_colours")  -- class colours
require("varko_settings")  -- the settings in tabs
require("varko_table")  -- themes and classes in a matrix
local actions = require("varko_routeactions")  -- the actions of every menu
require("varko_gis")  -- with the geodata actions

local dialog = ui.build(actions)
ui.refresh()
if not VarkoNoShow then IupShow(dialog) end

if not VarkoNoAutoLoad then
  local sample = dir .. "/sample.vrk"
  local f = io.open(sample, "r")
  if f then
    f:close()
    actions.openFile(sample)
  end
end
