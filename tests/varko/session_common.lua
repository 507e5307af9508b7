-- What the application tests share: the route's points, that it keeps out
-- of impassable areas, the analysis sums, and small theme images.
session = {}

-- Writes a w x h map image BMP whose pixel (x, y) is fn(x, y), with the
-- palette entries colours = { [index] = colour }.
function session.writeMap(name, w, h, fn, colours)
  local m = imCreateImageMap(w, h)
  for y = 0, h - 1 do for x = 0, w - 1 do m[x + y * w] = fn(x, y) end end
  local palette = imCreatePalette(256)
  for index, colour in pairs(colours) do palette[index] = colour end
  check_eq(imSaveMap(m, palette, IM_BMP, IM_NONE, name), IM_ERR_NONE, "fixture " .. name)
end

-- Around the nature reserve in the middle of the sample's study area.
session.routePoints = { { x = 150, y = 450 }, { x = 420, y = 660 }, { x = 760, y = 470 }, { x = 470, y = 220 } }

-- Pixels crossed by the segment (x0, y0)-(x1, y1), sampled finely.
local function each_pixel(x0, y0, x1, y1, fn)
  local steps = math.max(1, 4 * math.max(math.abs(x1 - x0), math.abs(y1 - y0)))
  for s = 0, steps do
    local t = s / steps
    fn(math.floor(x0 + (x1 - x0) * t + 0.5), math.floor(y0 + (y1 - y0) * t + 0.5))
  end
end

function session.checkRoute(p, k, clicked)
  local path = p.Paths[k]
  local w, h = p.Dimension.w, p.Dimension.h
  check(path.numPoints >= #clicked, "the route has its points")
  check_eq(path.numPoints, #path.Points, "numPoints counts the points")
  local inside = true
  for _, point in ipairs(path.Points) do
    if point.x < 0 or point.y < 0 or point.x >= w or point.y >= h then inside = false end
  end
  check(inside, "every route point lies inside the raster")
  -- The route starts near the first click and ends near the last.
  local first, last = path.Points[1], path.Points[path.numPoints]
  local r = p.r
  check(math.abs(first.x - clicked[1].x) <= r and math.abs(first.y - clicked[1].y) <= r, "starts at the first click")
  check(math.abs(last.x - clicked[#clicked].x) <= r and math.abs(last.y - clicked[#clicked].y) <= r,
        "ends at the last click")
  -- Impassable classes of every theme, and the pixels the route crosses.
  local crossed, blocked = 0, 0
  for n = 2, path.numPoints do
    local a, b = path.Points[n - 1], path.Points[n]
    each_pixel(a.x, a.y, b.x, b.y, function(x, y)
      crossed = crossed + 1
      for _, theme in ipairs(p.Themes) do
        local j = VarkoUI.classOfValue(theme, theme.Image.imagemap[x + y * w])
        if theme.weight > 0 and j and VarkoProject.isImpassable(theme.Classes[j]) then blocked = blocked + 1 end
      end
    end)
  end
  check(crossed > 0, "the route crosses pixels")
  check_eq(blocked, 0, "no crossed pixel is in an impassable class")
end

function session.checkAnalysis(p, k)
  local a = p.Paths[k].Analysis
  check(a and a.length > 0 and a.cost > 0, "analysis length and cost")
  for t, theme in ipairs(p.Themes) do
    local at = a.Themes[t]
    local sum = 0
    for j = 1, #theme.Classes do sum = sum + at.Classes[j].perc end
    check_near(sum, 100, 0.01, "percentages of theme " .. theme.name .. " sum to 100")
  end
end
