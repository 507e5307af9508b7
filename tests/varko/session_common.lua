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

-- Exports the view of project p (route 1 selected and shown) to every
-- format: the PNG holds the route's pixels where the screen has them and
-- no grey border; the drawings hold the routes as lines, as Ghostscript,
-- ezdxf (check_dxf.py beside the test) and libwmf read them.
function session.checkExports(p)
  local cd = canvas.cdlua_canvas
  local pixel = imCreateImageRGB(1, 1)
  local function colour_at(x, y)
    cdActivate(cd)
    cdGetImageRGB(pixel, x, y)
    return string.format("%d %d %d", pixel.r[0], pixel.g[0], pixel.b[0])
  end
  local x0, x1, y0, y1 = VarkoMap.mapFrame()
  check(VarkoMap.export("view.png", "PNG"), "exported as PNG")
  local fw, fh = imImageInfo("view.png")
  check_eq(fw .. "x" .. fh, (x1 - x0) .. "x" .. (y1 - y0), "the export is the map's part of the view")
  local image = imCreateImageRGB(fw, fh)
  imLoadRGB("view.png", image)
  local on_route, total = 0, 0
  for n = 2, #p.Paths[1].Points - 1, 3 do
    local pt = p.Paths[1].Points[n]
    local x, y = imagetocanvas(pt.x, pt.y)
    if colour_at(x, y) == "255 0 0" then
      total = total + 1
      local k = (x - x0) + (y - y0) * fw
      if image.r[k] == 255 and image.g[k] == 0 and image.b[k] == 0 then on_route = on_route + 1 end
    end
  end
  check(total > 5 and on_route == total, "the PNG holds the route's pixels where the screen has them")
  local greys = 0
  for _, k in ipairs({ 0, fw - 1, (fh - 1) * fw, fh * fw - 1 }) do
    if image.r[k] == 192 and image.g[k] == 192 and image.b[k] == 192 then greys = greys + 1 end
  end
  check_eq(greys, 0, "no grey border in the export")

  local function read_all(name)
    local f = io.open(name, "rb")
    if not f then return "" end
    local text = f:read("a")
    f:close()
    return text
  end
  local drawings = {
    -- format, file, what shows the route's red lines in the file
    { "EPS", "view.eps", function(text) return text:find("^%%!PS%-Adobe%-%d%.%d EPSF") and text:find("1 0 0 setrgbcolor") end },
    { "PS", "view.ps", function(text) return text:find("^%%!PS") and text:find("1 0 0 setrgbcolor") end },
    { "DXF", "view.dxf", function(text) return text:find("POLYLINE", 1, true) or text:find("\nLINE", 1, true) end },
    { "CGM", "view.cgm", function(text) return #text > 100 end },
    { "DGN", "view.dgn", function(text) return #text > 100 end },
    { "WMF", "view.wmf", function(text) return text:sub(1, 4) == "\215\205\198\154" end },
    { "EMF", "view.emf", function(text) return #text > 100 end },
    { "MF", "view.mf", function(text) return text:find("CDMF", 1, true) or #text > 100 end },
  }
  for _, case in ipairs(drawings) do
    local format, file, shows = table.unpack(case)
    local ok, problem = VarkoMap.export(file, format)
    check(ok, format .. " export: " .. tostring(problem))
    check(shows(read_all(file)), format .. " export holds the drawing")
  end
  -- the map goes into the EPS as one image: at the size shown when the view
  -- shrinks it (the whole map would be many times larger), else whole
  local cols, rows = read_all("view.eps"):match("\n(%d+) (%d+) 8\n%[")
  local expected = VarkoMap.state().zoom < 1 and fw .. "x" .. fh or p.Dimension.w .. "x" .. p.Dimension.h
  check_eq(tostring(cols) .. "x" .. tostring(rows), expected, "the EPS holds the map at the size it needs")
  -- the independent readers: Ghostscript draws the EPS, ezdxf reads the DXF
  -- with the route's polyline, libwmf converts the WMF with its lines
  check(os.execute("gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=bbox view.eps > gs.txt 2>&1"), "Ghostscript reads the EPS")
  check(read_all("gs.txt"):find("%%BoundingBox: %d+ %d+ %d+ %d+") ~= nil, "and finds a picture in it")
  os.execute("/usr/bin/python3 check_dxf.py view.dxf > dxf.txt 2>&1")
  local dxf = read_all("dxf.txt")
  check(dxf:find("audit_errors 0", 1, true) ~= nil, "ezdxf reads the DXF without audit errors")
  check(dxf:find("entity POLYLINE", 1, true) ~= nil or dxf:find("entity LINE", 1, true) ~= nil,
        "the DXF holds the routes as lines")
  check(os.execute("wmf2svg -o view.svg view.wmf > /dev/null 2>&1"), "libwmf converts the WMF")
  local svg = read_all("view.svg")
  check(svg:find("<line", 1, true) ~= nil or svg:find("<polyline", 1, true) ~= nil or svg:find("<path", 1, true) ~= nil,
        "the WMF holds lines")
end
