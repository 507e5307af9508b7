-- Printing the map and copying it to the clipboard: what the view shows of
-- the map (the map, the routes, the legend, a scale bar and a north arrow),
-- as Export draws it. Both need a display: without one (or without a
-- printer) the user is told so and nothing else happens.
local VarkoMap = require("varko_map")
local VarkoUI = require("varko_ui")

local A = require("varko_actions")
local ui = VarkoUI

local VarkoOutput = {}

-- pixels per millimetre of the copied picture (the screen's usual 96 dpi)
local RES = 3.78

-- the document name the print queue (and the print dialog's title) shows
function VarkoOutput.documentName()
  local name = ui.filename and ui.filename:match("([^/]*)$") or "untitled"
  return "Varko " .. name
end

-- The window system is the toolkit's GTK driver; the headless one has no
-- printer and no clipboard.
function VarkoOutput.hasDisplay() return IupGetGlobal("DRIVER") == "GTK" end

-- Copies the view as a bitmap (PNG and BMP on the clipboard). true, or nil
-- and a message.
function VarkoOutput.copy()
  if not VarkoOutput.hasDisplay() then return nil, "there is no clipboard without a display" end
  return VarkoMap.drawView(function(w, h)
    local target = cdCreateCanvas(CD_CLIPBOARD, string.format("%dx%d %g -b", w, h, RES))
    if not target then return nil, "the clipboard cannot be reached" end
    return target
  end)
end

-- Prints the view as an export draws it, put on the page as large as the
-- printable area holds it, centred, keeping its proportions. With dialog
-- the print dialog chooses printer and page, else the configured printer
-- prints it. true, or nil and a message.
function VarkoOutput.print(dialog)
  if not VarkoOutput.hasDisplay() then return nil, "there is no printer without a display" end
  local pixels
  local ok, w, h = VarkoMap.drawView(function(fw, fh)
    pixels = imCreateImageRGB(fw, fh)
    return cdCreateCanvas(CD_IMAGERGB, pixels)
  end)
  if not ok then return nil, w end
  local target = cdCreateCanvas(CD_PRINTER, VarkoOutput.documentName() .. (dialog and " -d" or ""))
  if not target then
    return nil, dialog and "the print was cancelled, or no printer can be reached" or "no printer can be reached"
  end
  cdActivate(target)
  local pw, ph = cdGetCanvasSize()
  local s = math.min(pw / w, ph / h)
  local dw, dh = math.max(1, math.floor(w * s)), math.max(1, math.floor(h * s))
  cdPutImageRGB(pixels, (pw - dw) // 2, (ph - dh) // 2, dw, dh)
  cdKillCanvas(target)
  VarkoMap.redraw()
  return true
end

function A.printMap()
  local ok, problem = VarkoOutput.print(true)
  if ok then ui.setStatus("Printed the map") else ui.message("Print", "Not printed: " .. tostring(problem) .. ".") end
end

function A.copyMap()
  local ok, problem = VarkoOutput.copy()
  if ok then
    ui.setStatus("Copied the map to the clipboard")
  else
    ui.message("Copy map", "Not copied: " .. tostring(problem) .. ".")
  end
end

return VarkoOutput
