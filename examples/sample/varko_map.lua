-- The map view: the current image table on a canvas with zoom, pan, status
-- report, legend, routes, point picking, measuring and export.
-- Pixel (col, row) has row 0 at the bottom line; map coordinates are those
-- of the pixel centre. The legend is drawn in the canvas's lower right corner.
-- Export draws the view at its current size into a CD_IMAGERGB canvas.
-- The view keeps its centre (view.cx, view.cy, in image pixels): resizing
-- the window and the zoom keys keep it; the wheel zooms around the pointer.
-- The scrollbars run over the image and the view together, in image pixels
-- from the image's left and top edges.
VarkoMap = {}

local view = { zoom = 1, cx = 0, cy = 0, w = 0, h = 0, image = nil, rgb = nil,
               paths = nil, selected = nil, legend = nil, mode = nil, points = {} }

local function canvas_size()
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

local function draw_paths()
  for i, path in ipairs(view.paths or {}) do
    cdForeground(i == view.selected and CD_RED or CD_BLUE)
    cdLineWidth(i == view.selected and 3 or 1)
    local prev
    for _, pt in ipairs(path.Points or {}) do
      local x, y = imagetocanvas(pt.x, pt.y)
      if prev then cdLine(prev[1], prev[2], x, y) end
      cdMark(x, y)
      prev = { x, y }
    end
  end
  cdLineWidth(1)
  cdForeground(CD_MAGENTA)
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
  if m and m.x and m.y then
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
end

local function draw_legend(cw)
  local l = view.legend
  if not l or not l.scale then return end
  local n = l.scale.numColors or #l.scale.Table
  -- a white backing keeps the labels readable over dark classes
  local min_text, max_text = tostring(l.min), tostring(l.max)
  local label_w = math.max(cdTextSize(min_text), cdTextSize(max_text))
  cdForeground(CD_WHITE)
  cdBox(cw - 38 - label_w, cw - 6, 6, 10 + n * 10 + 3)
  for i = 1, n do
    local c = l.scale.Table[i]
    cdForeground(cdEncodeColor(c[1], c[2], c[3]))
    cdBox(cw - 30, cw - 10, 10 + (i - 1) * 10, 10 + i * 10 - 1)
  end
  cdForeground(CD_BLACK)
  cdTextAlignment(CD_EAST)
  cdText(cw - 34, 12, min_text)
  cdText(cw - 34, 10 + n * 10 - 4, max_text)
end

-- The map straight from its palette, stretched by the zoom, every pixel
-- where imagetocanvas puts it. The stretch gives target column j the source
-- column floor(j / zoom + 0.5), so a source pixel is centred on its corner:
-- the map is put half a pixel further right and up, after three puts that
-- fill the half pixels this leaves uncovered at the left and bottom edges.
local function put_map(image, cw, ch)
  local s = view.zoom
  local left, bottom = cw / 2 - view.cx * s, ch / 2 - view.cy * s
  local w, h = math.floor(view.w * s + 0.5), math.floor(view.h * s + 0.5)
  local ax, ay = math.floor(left + 0.5), math.floor(bottom + 0.5)
  local bx, by = math.floor(left + s / 2 + 0.5), math.floor(bottom + s / 2 + 0.5)
  local put = function(x, y) cdPutImageMap(image.imagemap, image.palette, x, y, w, h) end
  local clip = cdClip(CD_QUERY)
  cdClipArea(ax, ax + w - 1, ay, ay + h - 1)
  cdClip(CD_CLIPAREA)
  if bx ~= ax or by ~= ay then put(ax, ay); put(bx, ay); put(ax, by) end
  put(bx, by)
  cdClip(clip)
end

-- Draws the whole view on the active canvas of size cw x ch.
local function draw(cw, ch)
  cdBackground(CD_GRAY); cdClear()
  if view.image then put_map(view.image, cw, ch) end
  draw_paths()
  draw_legend(cw)
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
  draw(cdGetCanvasSize())
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
  view.zoom = math.max(1 / 64, math.min(64, view.zoom * factor))
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

local function status(x, y)
  local col, row = canvastoimage(x, y)
  local text = string.format("%d, %d", col, row)
  if col >= 0 and row >= 0 and col < view.w and row < view.h then
    local mx, my = imagetomap(col, row)
    text = text .. string.format("  (%.1f, %.1f)", mx, my)
    if VarkoMap.describePixel then text = text .. "  " .. tostring(VarkoMap.describePixel(col, row) or "") end
  end
  if VarkoMap.onStatus then VarkoMap.onStatus(text) end
  return text
end

local function add_point(x, y)
  local col, row = canvastoimage(x, y)
  view.points[#view.points + 1] = { x = col, y = row }
  if view.mode.kind == "measure" and #view.points == 2 then
    local a, b = view.points[1], view.points[2]
    finish(SegDist(a.x, a.y, b.x, b.y))
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
  c.resize = function() VarkoMap.redraw() end  -- the centre stays
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
      view.drag = { x, y }; VarkoMap.redraw()
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
  c.k_any = function(self, key)
    if key == K_plus or key == 43 then VarkoMap.zoom(2)
    elseif key == K_minus or key == 45 then VarkoMap.zoom(0.5)
    elseif view.mode and (key == K_ESC or key == 27) then finish(nil)
    elseif view.mode and view.mode.kind == "points" and (key == K_CR or key == 13) then finish(view.points) end
  end
  return c
end

-- Saves the view with routes; format is an image library format name.
function VarkoMap.export(filename, format)
  if type(filename) ~= "string" or filename == "" then return nil, "no file name" end
  local cw, ch = canvas_size()
  local out = imCreateImageRGB(cw, ch)
  local target = cdCreateCanvas(CD_IMAGERGB, out)
  if not target then return nil, "cannot create the export canvas" end
  cdActivate(target); draw(cw, ch); cdKillCanvas(target)
  if view.cd then cdActivate(view.cd) end
  local fmt = _G["IM_" .. string.upper(format or "PNG")]
  if not fmt then return nil, "unknown format " .. tostring(format) end
  local err = imSaveRGB(out, fmt, IM_NONE, filename)
  if err ~= IM_ERR_NONE then
    local m, p = imCreateImageMap(cw, ch), imCreatePalette(256)
    imRGB2Map(out, m, p)
    err = imSaveMap(m, p, fmt, IM_NONE, filename)
  end
  if err ~= IM_ERR_NONE then return nil, "the image could not be saved (error " .. tostring(err) .. ")" end
  return true
end
