-- Settings -> "All settings...": the study area and scale, the weight limits
-- and the search parameters in one form, a tab each, confirmed together as
-- one edit (one undo step). The single forms of the Settings menu stay.
local VarkoForms = require("varko_forms")
local VarkoUI = require("varko_ui")

local A = require("varko_actions")
local ui = VarkoUI

local VarkoSettings = {}

VarkoSettings.PAGES = { "Study area", "Weights", "Search" }

-- Why the values cannot be taken together, or nil.
local function refused(left, right, bottom, top, sx, sy, low, high)
  if left >= right or bottom >= top or sx <= 0 or sy <= 0 then
    return "Study area: left must be below right, bottom below top, and the pixel size above 0."
  end
  if low > high then return "Weights: the lowest weight must not be above the highest." end
end

function A.editSettings()
  local p = Varko.Project
  local a, s, l = p.StudyArea, p.Scale, p.WeightLimits
  local area, weights, search = table.unpack(VarkoSettings.PAGES)
  local left, right, bottom, top, sx, sy, low, high, r, i = VarkoForms.ask("Settings", {
    { page = area, label = "Left (m)", value = a.left, kind = "number" },
    { page = area, label = "Right (m)", value = a.right, kind = "number" },
    { page = area, label = "Bottom (m)", value = a.bottom, kind = "number" },
    { page = area, label = "Top (m)", value = a.top, kind = "number" },
    { page = area, label = "Pixel width (m)", value = s.sx, kind = "number" },
    { page = area, label = "Pixel height (m)", value = s.sy, kind = "number" },
    { page = weights, label = "Lowest weight", value = l.minWeight, kind = "number" },
    { page = weights, label = "Highest weight", value = l.maxWeight, kind = "number" },
    { page = search, label = "Grid step r (pixels)", value = p.r, kind = "integer", min = 1, max = 10000 },
    { page = search, label = "Neighbourhood radius i (nodes)", value = p.i, kind = "integer", min = 1, max = 1000 },
  }, refused)
  if not left then return end
  local work = A.searchWork(p, r, i)
  if (r ~= p.r or i ~= p.i) and work > A.COSTLY_SEARCH and IupAlarm("Settings", string.format(
       "With r = %d and i = %d a search on this %d x %d raster prices about %.0f million moves:\n" ..
       "routes may take minutes. Keep these parameters?", r, i, p.Dimension.w, p.Dimension.h, work / 1e6),
       "Keep", "Cancel") ~= 1 then
    return
  end
  A.record("Settings")
  p.StudyArea = { left = left, right = right, bottom = bottom, top = top }
  p.Scale = { sx = sx, sy = sy }
  p.WeightLimits = { minWeight = low, maxWeight = high }
  p.r, p.i = r, i
  A.changed()
  ui.refresh()
end

return VarkoSettings
