-- The map view: the current image table on a canvas with zoom, pan, status
-- report, legend, routes, point picking, measuring and export.
-- Pixel (col, row) has row 0 at the bottom line; map coordinates are those
-- of the pixel centre. The legend is drawn in the canvas's lower right corner.
-- Export draws the view at its current size into a CD_IMAGERGB canvas.
-- The view keeps its centre (view.cx, view.cy, in image pixels): resizing
-- the window and the zoom keys keep it; the wheel zooms around the pointer.
-- The scrollbars run over the image and the view together, in image pixels
-- from the image's left and top edges.
local VarkoMap = {}

-- The distance between two raster pixels (the UI gives the routes' measure).
VarkoMap.distance = function(x0, y0, x1, y1) return SegDist(x0, y0, x1, y1) end

local view = { zoom = 1, cx = 0, cy = 0, w = 0, h = 0, image = nil, rgb = nil,
               paths = nil, selected = nil, legend = nil, mode = nil, points = {} }

-- The size of what is drawn: the export's frame while an export draws,
-- else the map canvas.
local function canvas_size()
  if view.frame then return view.frame.w, view.frame.h end
  if view.cd then cdActivate(view.cd); return cdGetCanvasSize() end
  return 400, 300
end

-- Image pixel (col, row) to canvas point, pixel centre.
function imagetocanvas(col, row)
  local cw, ch = canvas_size()
  return math.floor(cw / 2 + (col + 0.5 - view.cx) * view.zoom),
         math.floor(ch / 2 + (row + 0.5 - view.cy) * view.zoom)
end

-- Canvas pixel (x, y) to the image pixel shown at its centre.
local function canvastoimage(x, y)
  local cw, ch = canvas_size()
  return math.floor((x + 0.5 - cw / 2) / view.zoom + view.cx),
         math.floor((y + 0.5 - ch / 2) / view.zoom + view.cy)
end
VarkoMap.canvasToImage = canvastoimage

function imagetomap(col, row)
  local p = Varko.Project
  local sa, sc = p.StudyArea or {}, p.Scale or {}
  return (sa.left or 0) + (col + 0.5) * (sc.sx or 1),
         (sa.bottom or 0) + (row + 0.5) * (sc.sy or 1)
end

-- The routes: the others first in blue, the selected one last and on top
-- in red, each with its clicked points boxed and its name at its end.
local function draw_path(path, selected)
  cdForeground(selected and CD_RED or CD_BLUE)
  cdLineWidth(selected and 3 or 1)
  local prev
  for _, pt in ipairs(path.Points or {}) do
    local x, y = imagetocanvas(pt.x, pt.y)
    if prev then cdLine(prev[1], prev[2], x, y) end
    prev = { x, y }
  end
  cdLineWidth(1)
  cdMarkType(CD_HOLLOW_BOX)
  cdMarkSize(7)
  for _, pt in ipairs(path.Clicked or {}) do cdMark(imagetocanvas(pt.x, pt.y)) end
  if prev and path.name then
    -- on a white backing: the route may run on under its name
    local tw, th = cdTextSize(path.name)
    local colour = cdForeground(CD_WHITE)
    cdBox(prev[1] + 4, prev[1] + 6 + tw, prev[2] + 5, prev[2] + 5 + th)
    cdForeground(colour)
    cdTextAlignment(CD_SOUTH_WEST)
    cdText(prev[1] + 5, prev[2] + 5, path.name)
  end
end

local function draw_paths()
  for i, path in ipairs(view.paths or {}) do
    if i ~= view.selected then draw_path(path, false) end
  end
  local chosen = view.paths and view.selected and view.paths[view.selected]
  if chosen then draw_path(chosen, true) end
  cdLineWidth(1)
  cdForeground(CD_MAGENTA)
  cdMarkType(CD_PLUS)
  cdMarkSize(9)
  local prev
  for _, pt in ipairs(view.points) do
    local x, y = imagetocanvas(pt.x, pt.y)
    if prev then cdLine(prev[1], prev[2], x, y) end
    cdMark(x, y); prev = { x, y }
  end
  if prev and view.pointer then cdLine(prev[1], prev[2], view.pointer[1], view.pointer[2]) end
  -- the XY window gives its mark as a canvas point: kept as the image point
  -- it showed, so that the mark follows zoom and pan
  local m = Varko.Project and Varko.Project.XYMark
  if m and m.x and m.y and not view.frame then
    if not view.mark or view.mark.cx ~= m.x or view.mark.cy ~= m.y then
      local cw, ch = canvas_size()
      view.mark = { cx = m.x, cy = m.y, ix = (m.x + 0.5 - cw / 2) / view.zoom + view.cx,
                    iy = (m.y + 0.5 - ch / 2) / view.zoom + view.cy }
    end
    local cw, ch = canvas_size()
    local x = math.floor(cw / 2 + (view.mark.ix - view.cx) * view.zoom)
    local y = math.floor(ch / 2 + (view.mark.iy - view.cy) * view.zoom)
    cdForeground(CD_BLACK); cdLine(x - 6, y, x + 6, y); cdLine(x, y - 6, x, y + 6)
  end
  cdMarkType(CD_STAR)
  cdMarkSize(10)
end

-- The legend in the lower right corner: the colour scale of the combined
-- theme with its range, or a theme's classes, a swatch and a name each.
local function draw_legend(cw, ch)
  local l = view.legend
  view.legendBox = nil
  if not l then return end
  cdTextAlignment(CD_EAST)
  if l.classes then
    -- as many classes as the height holds
    local n = math.min(#l.classes, (ch - 16) // 14)
    if n == 0 then return end
    local label_w = 0
    for _, c in ipairs(l.classes) do label_w = math.max(label_w, (cdTextSize(c.name))) end
    cdForeground(CD_WHITE)
    cdBox(cw - 38 - label_w, cw - 6, 6, 10 + n * 14)
    view.legendBox = { cw - 38 - label_w, cw - 6, 6, 10 + n * 14 }
    for i = 1, n do
      local c = l.classes[i]
      local y = 10 + (n - i) * 14
      cdForeground(c.colour)
      cdBox(cw - 30, cw - 10, y, y + 10)
      cdForeground(CD_BLACK)
      cdRect(cw - 30, cw - 10, y, y + 10)
      cdText(cw - 34, y + 5, c.name)
    end
    return
  end
  if not l.scale then return end
  local n = l.scale.numColors or #l.scale.Table
  -- a white backing keeps the labels readable over dark classes
  local min_text, max_text = string.format("%.4g", l.min), string.format("%.4g", l.max)
  local label_w = math.max(cdTextSize(min_text), cdTextSize(max_text))
  cdForeground(CD_WHITE)
  cdBox(cw - 38 - label_w, cw - 6, 6, 10 + n * 10 + 3)
  view.legendBox = { cw - 38 - label_w, cw - 6, 6, 10 + n * 10 + 3 }
  for i = 1, n do
    local c = l.scale.Table[i]
    cdForeground(cdEncodeColor(c[1], c[2], c[3]))
    cdBox(cw - 30, cw - 10, 10 + (i - 1) * 10, 10 + i * 10 - 1)
  end
  cdForeground(CD_BLACK)
  cdText(cw - 34, 12, min_text)
  cdText(cw - 34, 10 + n * 10 - 4, max_text)
end

-- A scale bar of a round length and a north arrow in the lower left corner.
local function draw_scale_and_north()
  local p = Varko.Project
  local metres_per_pixel = (p.Scale and p.Scale.sx or 1) / view.zoom
  if not (metres_per_pixel > 0) then return end
  local wanted = 100 * metres_per_pixel
  local unit = 10 ^ math.floor(math.log(wanted, 10))
  local length = unit
  for _, f in ipairs({ 2, 5, 10 }) do if unit * f <= wanted then length = unit * f end end
  local bar = math.floor(length / metres_per_pixel + 0.5)
  cdForeground(CD_WHITE)
  cdBox(6, 20 + bar, 6, 34)
  cdForeground(CD_BLACK)
  cdLineWidth(2)
  cdLine(12, 12, 12 + bar, 12)
  cdLine(12, 8, 12, 16)
  cdLine(12 + bar, 8, 12 + bar, 16)
  cdLineWidth(1)
  cdTextAlignment(CD_SOUTH)
  cdText(12 + bar // 2, 18, length >= 1000 and string.format("%g km", length / 1000) or string.format("%g m", length))
  -- the north arrow above it
  local x = 20
  cdForeground(CD_WHITE)
  cdBox(6, 34, 38, 84)
  cdForeground(CD_BLACK)
  cdBegin(CD_FILL)
  cdVertex(x, 70); cdVertex(x - 7, 48); cdVertex(x, 54); cdVertex(x + 7, 48)
  cdEnd()
  cdText(x, 72, "N")
end

-- The map straight from its palette, stretched by the zoom, every pixel
-- where imagetocanvas puts it. The stretch gives target column j the source
-- column floor(j / zoom + 0.5), so a source pixel is centred on its corner:
-- the map is put half a pixel further right and up, and three puts clipped
-- to the strips it leaves uncovered at the left and bottom edges fill them
-- (each put only draws within its clip, so a redraw costs about one put).
local function put_map(image, cw, ch)
  local s = view.zoom
  local left, bottom = cw / 2 - view.cx * s, ch / 2 - view.cy * s
  local w, h = math.floor(view.w * s + 0.5), math.floor(view.h * s + 0.5)
  local ax, ay = math.floor(left + 0.5), math.floor(bottom + 0.5)
  local bx, by = math.floor(left + s / 2 + 0.5), math.floor(bottom + s / 2 + 0.5)
  local put = function(x, y) cdPutImageMap(image.imagemap, image.palette, x, y, w, h) end
  local clip = cdClip(CD_QUERY)
  local right, top = math.min(cw - 1, ax + w - 1), math.min(ch - 1, ay + h - 1)
  local function put_in(x0, x1, y0, y1, x, y)
    x0, y0 = math.max(0, x0), math.max(0, y0)
    if x0 > x1 or y0 > y1 then return end
    cdClipArea(x0, x1, y0, y1)
    cdClip(CD_CLIPAREA)
    put(x, y)
  end
  put_in(bx, right, by, top, bx, by)
  put_in(ax, math.min(right, bx - 1), by, top, ax, by)
  put_in(bx, right, ay, math.min(top, by - 1), bx, ay)
  put_in(ax, math.min(right, bx - 1), ay, math.min(top, by - 1), ax, ay)
  cdClip(clip)
end

-- A drawing file gets a map that the view shrinks at the size shown, drawn
-- as a picture export draws it: the whole map would hold many times the
-- pixels (a 4000 x 4000 map in a 600-pixel view, 44 times).
local function put_map_shown(image, cw, ch)
  local target, out = cdActiveCanvas(), imCreateImageRGB(cw, ch)
  local raster = cdCreateCanvas(CD_IMAGERGB, out)
  if not raster then return put_map(image, cw, ch) end
  cdActivate(raster)
  cdBackground(CD_GRAY); cdClear()
  put_map(image, cw, ch)
  cdKillCanvas(raster)
  cdActivate(target)
  cdPutImageRGB(out, 0, 0, cw, ch)
end

-- Draws the whole view on the active canvas of size cw x ch; an export
-- adds the scale bar and the north arrow.
local function draw(cw, ch, exporting)
  cdBackground(CD_GRAY); cdClear()
  if view.image and exporting == "vector" and view.zoom < 1 then put_map_shown(view.image, cw, ch)
  elseif view.image then put_map(view.image, cw, ch) end
  -- something drawn over the map (the corridor), given the map's place as put_map puts it
  if view.image and VarkoMap.overlay then
    local s = view.zoom
    VarkoMap.overlay(math.floor(cw / 2 - view.cx * s + s / 2 + 0.5), math.floor(ch / 2 - view.cy * s + s / 2 + 0.5),
                     math.floor(view.w * s + 0.5), math.floor(view.h * s + 0.5))
  end
  draw_paths()
  draw_legend(cw, ch)
  if exporting then draw_scale_and_north() end
end

-- The scrollbars: the image and the view together, the view as the page.
local function update_scrollbars()
  local c = view.canvas
  if not c or not view.cd then return end
  local cw, ch = canvas_size()
  local vw, vh = cw / view.zoom, ch / view.zoom
  local left, top = view.cx - vw / 2, view.h - (view.cy + vh / 2)
  c.xmin, c.xmax, c.dx = math.min(0, left), math.max(view.w, left + vw), vw
  c.ymin, c.ymax, c.dy = math.min(0, top), math.max(view.h, top + vh), vh
  c.posx, c.posy = left, top
end

function VarkoMap.redraw()
  if not view.cd then return end
  cdActivate(view.cd)
  local cw, ch = cdGetCanvasSize()
  draw(cw, ch)
  cdFlush()
  update_scrollbars()
end

-- A scrollbar moved: its position is the view's left (top) edge.
local horizontal_ops = { [IUP_SBPGLEFT] = true, [IUP_SBPGRIGHT] = true, [IUP_SBLEFT] = true,
                         [IUP_SBRIGHT] = true, [IUP_SBPOSH] = true, [IUP_SBDRAGH] = true }
local function scroll(op, posx, posy)
  local cw, ch = canvas_size()
  if horizontal_ops[op] then view.cx = posx + cw / view.zoom / 2
  else view.cy = view.h - posy - ch / view.zoom / 2 end
  VarkoMap.redraw()
end

function VarkoMap.fit()
  view.fitted = true
  local cw, ch = canvas_size()
  view.cx, view.cy = view.w / 2, view.h / 2
  if view.w > 0 and view.h > 0 then view.zoom = math.min(cw / view.w, ch / view.h) end
  VarkoMap.redraw()
end

-- Zooms by factor keeping the image point under canvas point (px, py),
-- the centre of the view by default.
local function zoom_at(factor, px, py)
  local cw, ch = canvas_size()
  px, py = px or cw / 2, py or ch / 2
  local ix = (px - cw / 2) / view.zoom + view.cx
  local iy = (py - ch / 2) / view.zoom + view.cy
  view.zoom = math.max(1 / 64, math.min(256, view.zoom * factor))
  view.fitted = false
  view.cx = ix - (px - cw / 2) / view.zoom
  view.cy = iy - (py - ch / 2) / view.zoom
  VarkoMap.redraw()
end

function VarkoMap.zoom(factor)
  if type(factor) == "number" and factor > 0 then zoom_at(factor) end
end

function VarkoMap.setImage(image, title)
  if not image or not image.imagemap then return end
  local d = Varko.Project and Varko.Project.Dimension or {}
  local w, h = d.w or 0, d.h or 0
  local same = (w == view.w and h == view.h)
  view.image, view.w, view.h, view.title = image, w, h, title
  if same then VarkoMap.redraw() else VarkoMap.fit() end
end

function VarkoMap.setPaths(paths, selected)
  view.paths, view.selected = paths, selected
  VarkoMap.redraw()
end

function VarkoMap.setLegend(minValue, maxValue, scale)
  if minValue == nil then view.legend = nil
  else view.legend = { min = minValue, max = maxValue, scale = scale } end
  VarkoMap.redraw()
end

-- A theme's legend: classes = { { name =, colour = encoded colour } }.
function VarkoMap.setClassLegend(classes)
  view.legend = classes and { classes = classes } or nil
  VarkoMap.redraw()
end

-- Pans by a fraction of the view (arrow keys).
function VarkoMap.pan(fx, fy)
  local cw, ch = canvas_size()
  view.cx = view.cx + fx * cw / view.zoom
  view.cy = view.cy + fy * ch / view.zoom
  view.fitted = false
  VarkoMap.redraw()
end

-- What the view shows, for tests: zoom, centre and whether it is fitted.
-- Where the legend was last drawn: xmin, xmax, ymin, ymax (nil for none).
function VarkoMap.legendRect()
  if view.legendBox then return table.unpack(view.legendBox) end
end

function VarkoMap.state() return { zoom = view.zoom, cx = view.cx, cy = view.cy, fitted = view.fitted } end

local function finish(result)
  local mode = view.mode
  view.mode, view.points, view.pointer = nil, {}, nil
  VarkoMap.redraw()
  if mode and mode.onDone then mode.onDone(result) end
end

function VarkoMap.pickPoints(onDone)
  view.mode = { kind = "points", onDone = onDone }; view.points = {}
end

function VarkoMap.measure(onDone)
  view.mode = { kind = "measure", onDone = onDone }; view.points = {}
end

-- The status line for canvas point (x, y): the pixel, its map
-- coordinates and what lies there; empty off the map.
local function status(x, y)
  local col, row = canvastoimage(x, y)
  local text = ""
  if col >= 0 and row >= 0 and col < view.w and row < view.h then
    local mx, my = imagetomap(col, row)
    text = string.format("%d, %d  (%.1f, %.1f)", col, row, mx, my)
    if VarkoMap.describePixel then text = text .. "  " .. tostring(VarkoMap.describePixel(col, row) or "") end
  end
  if VarkoMap.onStatus then VarkoMap.onStatus(text) end
  return text
end

local function add_point(x, y)
  local col, row = canvastoimage(x, y)
  if col < 0 or row < 0 or col >= view.w or row >= view.h then
    if VarkoMap.onStatus then VarkoMap.onStatus("That point lies off the map: click on the map.") end
    return
  end
  local last = view.points[#view.points]
  -- a double click gives one point
  if last and last.x == col and last.y == row then return end
  view.points[#view.points + 1] = { x = col, y = row }
  if view.mode.kind == "measure" and #view.points == 2 then
    local a, b = view.points[1], view.points[2]
    finish(VarkoMap.distance(a.x, a.y, b.x, b.y))
  else
    VarkoMap.redraw()
  end
end

function VarkoMap.create()
  local c = iupcanvas{}
  c.rastersize = "400x300"
  c.scrollbar = "YES"
  canvas = c
  c.mapcb = function(self)
    if CD_IUP then view.cd = cdCreateCanvas(CD_IUP, self)
    else view.cd = cdCreateCanvas(CD_IMAGERGB, imCreateImageRGB(400, 300)) end
    rawset(tab_handle[c], "cdlua_canvas", view.cd)  -- kept on the script object, not as an attribute
    view.canvas = c
    VarkoMap.fit()
  end
  c.action = function() VarkoMap.redraw() end
  -- the centre stays; a fitted map is fitted again (a maximised window)
  c.resize = function()
    if view.fitted then VarkoMap.fit() else VarkoMap.redraw() end
  end
  c.leavewindow = function()
    view.pointer = nil
    if VarkoMap.onStatus then VarkoMap.onStatus("") end
  end
  c.scroll = function(self, op, posx, posy) scroll(op, posx, posy) end
  -- two notches zoom as much as one zoom key, around the canvas pixel under the pointer
  c.wheel = function(self, delta, x, y)
    local cy = select(2, canvas_size()) - 1 - y
    zoom_at(2 ^ (delta / 2), x + 0.5, cy + 0.5)
  end
  c.motion = function(self, x, y, st)
    local cy = select(2, canvas_size()) - 1 - y
    if view.drag then
      view.cx = view.cx - (x - view.drag[1]) / view.zoom
      view.cy = view.cy + (y - view.drag[2]) / view.zoom
      view.drag = { x, y }; view.fitted = false; VarkoMap.redraw()
    end
    if view.mode then view.pointer = { x, cy }; VarkoMap.redraw() end
    status(x, cy)
  end
  c.button = function(self, but, pressed, x, y)
    local cy = select(2, canvas_size()) - 1 - y
    if but == IUP_BUTTON2 then view.drag = pressed == 1 and { x, y } or nil; return end
    if pressed ~= 1 or not view.mode then return end
    if but == IUP_BUTTON1 then add_point(x, cy)
    elseif but == IUP_BUTTON3 and view.mode.kind == "points" then finish(view.points) end
  end
  -- keys the map does not use go on to the main dialog (its shortcuts)
  c.k_any = function(self, key)
    if key == K_plus or key == 43 then VarkoMap.zoom(2)
    elseif key == K_minus or key == 45 then VarkoMap.zoom(0.5)
    elseif key == K_LEFT then VarkoMap.pan(-0.25, 0)
    elseif key == K_RIGHT then VarkoMap.pan(0.25, 0)
    elseif key == K_UP then VarkoMap.pan(0, 0.25)
    elseif key == K_DOWN then VarkoMap.pan(0, -0.25)
    elseif key == K_HOME then VarkoMap.fit()
    elseif view.mode and (key == K_ESC or key == 27) then finish(nil)
    elseif view.mode and view.mode.kind == "points" and (key == K_CR or key == 13) then finish(view.points)
    else return IUP_CONTINUE end
    return IUP_DEFAULT
  end
  return c
end

-- The part of the canvas the map covers, clipped to the canvas: x0, x1,
-- y0, y1 (x1, y1 past the end), or nil when the map is out of sight.
local function map_frame()
  local cw, ch = canvas_size()
  local s = view.zoom
  local left, bottom = cw / 2 - view.cx * s, ch / 2 - view.cy * s
  local x0, y0 = math.max(0, math.floor(left + 0.5)), math.max(0, math.floor(bottom + 0.5))
  local x1 = math.min(cw, math.floor(left + view.w * s + 0.5))
  local y1 = math.min(ch, math.floor(bottom + view.h * s + 0.5))
  if x1 <= x0 or y1 <= y0 then return nil end
  return x0, x1, y0, y1
end

VarkoMap.mapFrame = map_frame

-- Draws what the view shows of the map, and only that (no grey border),
-- on the canvas that make(w, h) creates: the map, the routes, the legend, a
-- scale bar and a north arrow. true, or nil and a message.
local function draw_export(make, vector)
  if not view.image then return nil, "there is no map to export" end
  local x0, x1, y0, y1 = map_frame()
  if not x0 then return nil, "the map is out of sight: fit it to the window first" end
  local w, h = x1 - x0, y1 - y0
  local target, problem = make(w, h)
  if not target then return nil, problem or "cannot create the export canvas" end
  local cw, ch = canvas_size()
  local saved = { cx = view.cx, cy = view.cy }
  -- the frame's centre becomes the view's centre
  view.cx = view.cx + ((x0 + x1) / 2 - cw / 2) / view.zoom
  view.cy = view.cy + ((y0 + y1) / 2 - ch / 2) / view.zoom
  view.frame = { w = w, h = h }
  cdActivate(target)
  local ok, err = pcall(draw, w, h, vector and "vector" or true)
  view.frame, view.cx, view.cy = nil, saved.cx, saved.cy
  cdKillCanvas(target)
  if view.cd then cdActivate(view.cd) end
  if not ok then return nil, tostring(err) end
  return true, w, h
end

VarkoMap.drawView = draw_export

-- Vector drawing files: driver and the creation data for a w x h picture.
local RES = 3.78  -- pixels per millimetre
local function mm(pixels) return (pixels + 0.5) / RES end
VarkoMap.vectorFormats = {
  PS = function(f, w, h) return CD_PS, string.format("%s -w%g -h%g -l0 -r0 -b0 -t0 -s96", f, mm(w), mm(h)) end,
  EPS = function(f, w, h) return CD_PS, string.format("%s -w%g -h%g -l0 -r0 -b0 -t0 -s96 -e", f, mm(w), mm(h)) end,
  DXF = function(f, w, h) return CD_DXF, string.format("%s %gx%g %g", f, mm(w), mm(h), RES) end,
  DGN = function(f, w, h) return CD_DGN, string.format("%s %gx%g %g", f, mm(w), mm(h), RES) end,
  CGM = function(f, w, h) return CD_CGM, string.format("%s %gx%g %g", f, mm(w), mm(h), RES) end,
  WMF = function(f, w, h) return CD_WMF, string.format("%s %dx%d %g", f, w, h, RES) end,
  EMF = function(f, w, h) return CD_EMF, string.format("%s %dx%d %g", f, w, h, RES) end,
  MF = function(f, w, h) return CD_METAFILE, string.format("%s %gx%g %g", f, mm(w), mm(h), RES) end,
}

-- Saves the view; format is an image library format name ("PNG", "TIF",
-- ...) or a drawing format ("PS", "EPS", "DXF", "DGN", "CGM", "WMF",
-- "EMF", "MF"), whose routes are vector lines. true, or nil and a message.
function VarkoMap.export(filename, format)
  if type(filename) ~= "string" or filename == "" then return nil, "no file name" end
  format = string.upper(format or "PNG")
  local vector = VarkoMap.vectorFormats[format]
  if vector then
    return draw_export(function(w, h)
      local driver, data = vector(filename, w, h)
      local target = cdCreateCanvas(driver, data)
      if not target then return nil, "cannot write " .. filename end
      return target
    end, true)
  end
  local fmt = _G["IM_" .. format]
  if not fmt then return nil, "unknown format " .. tostring(format) end
  local out
  local ok, w, h = draw_export(function(w, h)
    out = imCreateImageRGB(w, h)
    return cdCreateCanvas(CD_IMAGERGB, out)
  end)
  if not ok then return nil, w end
  local err = imSaveRGB(out, fmt, IM_NONE, filename)
  if err ~= IM_ERR_NONE then
    -- formats of 256 colours at most
    local m, p = imCreateImageMap(w, h), imCreatePalette(256)
    imRGB2Map(out, m, p)
    err = imSaveMap(m, p, fmt, IM_NONE, filename)
  end
  if err ~= IM_ERR_NONE then return nil, "the image could not be saved (error " .. tostring(err) .. ")" end
  return true
end

return VarkoMap
