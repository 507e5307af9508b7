-- The map view on a small project made here: every pixel of a 16 x 12 theme
-- has its own colour, so the colour read back from the map's canvas tells
-- which pixel is shown where. Checked after fitting, zoom keys, the wheel,
-- scrollbar steps and drags, a middle-button drag and a resize; then the
-- status line and the export.
dofile("harness.lua")
VarkoDir = "sample"
VarkoNoAutoLoad = true
dofile("sample/varko.lua")
-- the script's modules, under the names this test uses
VarkoUI, VarkoActions, VarkoRoutes, VarkoMap = require("varko_ui"), require("varko_actions"), require("varko_routes"),
                                               require("varko_map")
VarkoProject, VarkoFile, VarkoForms = require("varko_project"), require("varko_file"), require("varko_forms")

local W, H = 16, 12
local function colour_of(col, row)
  local i = col + row * W
  return (i * 7) % 256, 255 - i, (i * 37) % 256
end
local m, palette = imCreateImageMap(W, H), imCreatePalette(256)
for i = 0, W * H - 1 do
  m[i] = i
  palette[i] = imEncodeColor(colour_of(i % W, i // W))
end
check_eq(imSaveMap(m, palette, IM_BMP, IM_NONE, "colours.bmp"), IM_ERR_NONE, "fixture colours.bmp")

VarkoActions.newProject()
local p = Varko.Project
check(VarkoActions.importFile("colours.bmp"), "the fixture imported as a theme")
p.StudyArea.left, p.StudyArea.bottom, p.Scale.sx, p.Scale.sy = 1000, 2000, 10, 20
VarkoUI.selectTheme(1)

local cd = canvas.cdlua_canvas
local pixel = imCreateImageRGB(1, 1)
local function size()
  cdActivate(cd)
  return cdGetCanvasSize()
end
-- The colour on the canvas at canvas point (x, y), y upwards.
local function shown_at(x, y)
  cdActivate(cd)
  cdGetImageRGB(pixel, x, y)
  return string.format("%d %d %d", pixel.r[0], pixel.g[0], pixel.b[0])
end
local function expected(col, row) return string.format("%d %d %d", colour_of(col, row)) end
-- Toolkit pointer positions count y downwards.
local function pointer(x, y) return x, select(2, size()) - 1 - y end
local function centre_pixel()
  local cw, ch = size()
  return table.concat({ VarkoMap.canvasToImage(cw // 2, ch // 2) }, ",")
end

-- Whether canvas point (x, y) lies under the theme's legend.
local function under_legend(x, y)
  local x0, x1, y0, y1 = VarkoMap.legendRect()
  return x0 ~= nil and x >= x0 and x <= x1 and y >= y0 and y <= y1
end

-- Every visible pixel of a sample shows its colour at imagetocanvas of it.
local function check_view(what)
  local cw, ch = size()
  local seen, wrong = 0, {}
  for row = 0, H - 1, 3 do
    for col = 0, W - 1, 3 do
      local x, y = imagetocanvas(col, row)
      if x >= 0 and y >= 0 and x < cw and y < ch and not under_legend(x, y) then
        seen = seen + 1
        if shown_at(x, y) ~= expected(col, row) then wrong[#wrong + 1] = col .. "," .. row end
      end
    end
  end
  check(seen > 0, what .. ": some pixels are visible")
  check_eq(table.concat(wrong, " "), "", what .. ": pixels shown where imagetocanvas puts them")
end

local cw, ch = size()
check_view("fitted")
local x0, y0 = imagetocanvas(0, 0)
local x1, y1 = imagetocanvas(W - 1, H - 1)
check(x0 >= 0 and y0 >= 0 and x1 < cw and y1 < ch, "fitting shows the whole map")
check(x1 - x0 >= (math.min(cw / W, ch / H) - 1) * (W - 1), "and as large as the canvas allows")

-- Zoom keys keep the centre pixel; + doubles, - halves.
iuptest.focus(canvas)
local keys = { { "+", 2 }, { "-", 0.5 }, { "-", 0.5 } }
for _, case in ipairs(keys) do
  local centre = centre_pixel()
  local a0, a1 = imagetocanvas(0, 0), imagetocanvas(8, 0)
  iuptest.type(case[1])
  iuptest.deliver()
  local b0, b1 = imagetocanvas(0, 0), imagetocanvas(8, 0)
  check_eq(centre_pixel(), centre, "key " .. case[1] .. " keeps the centre pixel")
  check_near((b1 - b0) / (a1 - a0), case[2], 0.05, "key " .. case[1] .. " zooms by " .. case[2])
  check_view("after key " .. case[1])
end

-- The wheel keeps the pixel under the pointer, colour and all; two notches
-- zoom by 2.
local wheel_cases = { { 1, 60, 50 }, { 1, 300, 200 }, { -2, 20, 280 }, { 2, 390, 10 }, { -1, 200, 150 } }
for _, case in ipairs(wheel_cases) do
  local delta, x, y = table.unpack(case)
  local cx, cy = pointer(x, y)
  local name = string.format("wheel %+d at %d,%d", delta, x, y)
  local under, colour = table.concat({ VarkoMap.canvasToImage(cx, cy) }, ","), shown_at(cx, cy)
  local a0, a1 = imagetocanvas(0, 0), imagetocanvas(8, 0)
  iuptest.wheel(canvas, delta, x, y)
  iuptest.deliver()
  local b0, b1 = imagetocanvas(0, 0), imagetocanvas(8, 0)
  check_eq(table.concat({ VarkoMap.canvasToImage(cx, cy) }, ","), under, name .. ": the same pixel under the pointer")
  check_eq(shown_at(cx, cy), colour, name .. ": the same colour under the pointer")
  check_near((b1 - b0) / (a1 - a0), 2 ^ (delta / 2), 0.05, name .. ": zoom")
end

-- Zoomed in so far that the map overflows the view: the scrollbars run over
-- the image in image pixels, the view being the page.
VarkoMap.fit()
VarkoMap.zoom(2)
local function bar(name) return tonumber(IupGetAttribute(canvas.handle, name)) end
check_eq(bar("XMIN") .. " " .. bar("XMAX") .. " " .. bar("YMIN") .. " " .. bar("YMAX"), "0 16 0 12",
         "the scrollbars span the image")
check_near(bar("DX"), cw / (2 * math.min(cw / W, ch / H)), 1e-6, "the horizontal page is the view's width")

-- The new position of a step or drag by the scrollbar's rules: native
-- positions 1..30000 - page over [min, max], a line a tenth of the page.
local function native_after(op, native, lo, hi, page, pos)
  local span = hi - lo
  local page_n = math.max(1, math.min(30000, math.floor(page / span * 30000)))
  local top = math.max(1, 30000 - page_n)
  local clamp = function(n) return math.max(1, math.min(top, n)) end
  local now = clamp(math.floor((pos - lo) / span * 30000))
  local line = math.max(1, page_n // 10)
  local moves = { [IUP_SBLEFT] = -line, [IUP_SBRIGHT] = line, [IUP_SBUP] = -line, [IUP_SBDN] = line,
                  [IUP_SBPGLEFT] = -page_n, [IUP_SBPGRIGHT] = page_n, [IUP_SBPGUP] = -page_n, [IUP_SBPGDN] = page_n }
  local n = moves[op] and clamp(now + moves[op]) or clamp(native)
  return lo + n * span / 30000
end
local scroll_cases = {
  { "line right", IUP_SBRIGHT, 0, "X" }, { "line right again", IUP_SBRIGHT, 0, "X" },
  { "line left", IUP_SBLEFT, 0, "X" }, { "page right", IUP_SBPGRIGHT, 0, "X" },
  { "line down", IUP_SBDN, 0, "Y" }, { "page down", IUP_SBPGDN, 0, "Y" }, { "page up", IUP_SBPGUP, 0, "Y" },
  { "horizontal drag", IUP_SBDRAGH, 12000, "X" }, { "horizontal drag past the end", IUP_SBDRAGH, 30000, "X" },
  { "horizontal end", IUP_SBPOSH, 200, "X" }, { "vertical drag", IUP_SBDRAGV, 20000, "Y" },
  { "vertical end", IUP_SBPOSV, 5000, "Y" },
}
for _, case in ipairs(scroll_cases) do
  local name, op, native, axis = table.unpack(case)
  local pos_name, other_name = "POS" .. axis, axis == "X" and "POSY" or "POSX"
  local want = native_after(op, native, bar(axis .. "MIN"), bar(axis .. "MAX"), bar("D" .. axis), bar(pos_name))
  local other, before = bar(other_name), bar(pos_name)
  local a0x, a0y = imagetocanvas(0, 0)
  iuptest.scroll(canvas, op, native)
  iuptest.deliver()
  check_near(bar(pos_name), want, 1e-3, name .. ": the view's edge moved to the new position")
  check_near(bar(other_name), other, 1e-6, name .. ": the other bar stays")
  -- the view moving right (down) moves the picture left (up) on the canvas
  local b0x, b0y = imagetocanvas(0, 0)
  local moved = axis == "X" and (a0x - b0x) or (b0y - a0y)
  check_near(moved, (bar(pos_name) - before) * cw / bar("DX"), 1, name .. ": the picture moved as much")
  check_view(name)
end

-- A middle-button drag pans by the pointer's travel.
do
  local a0x, a0y = imagetocanvas(0, 0)
  local px, py = 200, 150
  iuptest.press(canvas, 2, px, py)
  iuptest.motion(canvas, px - 30, py + 20, "")
  iuptest.release(canvas, 2, px - 30, py + 20)
  iuptest.deliver()
  local b0x, b0y = imagetocanvas(0, 0)
  check_near(b0x - a0x, -30, 1, "dragging left moves the picture left")
  check_near(b0y - a0y, -20, 1, "dragging down moves the picture down")
  check_view("after a drag")
end

-- Resizing the window keeps the centre pixel.
do
  local centre = centre_pixel()
  local _, _, dw, dh = iuptest.rect(VarkoUI.dialog)
  iuptest.resize(VarkoUI.dialog, dw + 120, dh + 90)
  iuptest.deliver()
  local nw, nh = size()
  check(nw > cw and nh > ch, "the map canvas grows with the window")
  check_eq(centre_pixel(), centre, "resizing keeps the centre pixel")
  check_view("after a resize")
  cw, ch = nw, nh
end

-- The XY window's mark, given as a canvas point, stays on its pixel when
-- the view zooms and pans.
do
  VarkoMap.fit()
  local x, y = imagetocanvas(5, 4)
  Varko.Project.XYMark = { x = x, y = y }
  VarkoMap.redraw()
  local marked = {}
  for _, step in ipairs({ "shown", "zoomed", "panned" }) do
    if step == "zoomed" then VarkoMap.zoom(2) end
    if step == "panned" then iuptest.scroll(canvas, IUP_SBRIGHT); iuptest.deliver() end
    local mx, my = imagetocanvas(5, 4)
    -- a canvas point is known to a pixel of the view it was given in
    local across, up = false, false
    for d = -1, 1 do
      across = across or shown_at(mx + 4, my + d) == "0 0 0"
      up = up or shown_at(mx + d, my + 4) == "0 0 0"
    end
    if across and up then marked[#marked + 1] = step end
  end
  check_eq(table.concat(marked, " "), "shown zoomed panned", "the mark's cross sits on its pixel")
  Varko.Project.XYMark = {}
end

-- The status line for a known pixel: pixel, map coordinates (pixel centre),
-- class.
do
  VarkoMap.fit()
  local status
  local previous = VarkoMap.onStatus
  VarkoMap.onStatus = function(text) status = text end
  local x, y = imagetocanvas(3, 2)
  iuptest.motion(canvas, x, select(2, size()) - 1 - y)
  iuptest.deliver()
  VarkoMap.onStatus = previous
  local mx, my = imagetomap(3, 2)
  check(mx == 1035 and my == 2050, "imagetomap gives the pixel centre on the ground")
  check_eq(status, "3, 2  (1035.0, 2050.0)  " .. VarkoMap.describePixel(3, 2), "the status line for pixel 3, 2")
  check(VarkoMap.describePixel(3, 2):find("colours", 1, true) ~= nil, "naming the theme")
end

-- Export: the file holds the part of the view the map covers, as drawn,
-- and no grey border around it.
local function check_export(file, format)
  local ok, problem = VarkoMap.export(file, format)
  check(ok, format .. " export: " .. tostring(problem))
  local x0, x1, y0, y1 = VarkoMap.mapFrame()
  local fw, fh = imImageInfo(file)
  check_eq(fw .. "x" .. fh, (x1 - x0) .. "x" .. (y1 - y0), format .. " export has the size of the map on the canvas")
  if fw ~= x1 - x0 or fh ~= y1 - y0 then return end
  local image = imCreateImageRGB(fw, fh)
  check_eq(imLoadRGB(file, image), IM_ERR_NONE, format .. " export reloads")
  local wrong = {}
  -- pixels away from the legend (at the right) and the scale bar and north arrow (lower left)
  local lx0 = VarkoMap.legendRect()
  for _, at in ipairs({ { 0, H - 1 }, { 7, 5 }, { 8, 6 } }) do
    local x, y = imagetocanvas(at[1], at[2])
    check(not lx0 or x - x0 < lx0, format .. " export: pixel " .. at[1] .. "," .. at[2] .. " is clear of the legend")
    local k = (x - x0) + (y - y0) * fw
    if string.format("%d %d %d", image.r[k], image.g[k], image.b[k]) ~= expected(at[1], at[2]) then
      wrong[#wrong + 1] = at[1] .. "," .. at[2]
    end
  end
  check_eq(table.concat(wrong, " "), "", format .. " export shows the pixels where the view does")
  -- the corners of the file are the map's corner pixels, not the canvas's grey
  local top = (fh - 1) * fw
  check_eq(string.format("%d %d %d", image.r[top], image.g[top], image.b[top]), expected(0, H - 1),
           format .. " export: the upper left corner is the map's")
  local bottom_right = fw - 1
  check_eq(string.format("%d %d %d", image.r[bottom_right], image.g[bottom_right], image.b[bottom_right]),
           expected(W - 1, 0), format .. " export: the lower right corner is the map's")
end
check_export("view.png", "PNG")
check_export("view.bmp", "BMP")
check_export("view.tga", "TGA")
local ok, problem = VarkoMap.export("view.xyz", "XYZ")
check_eq(ok, nil, "an unknown format is refused")
check_eq(problem, "unknown format XYZ", "and named")
check_eq(VarkoMap.export("", "PNG"), nil, "no file name, no export")
IupHide(VarkoUI.dialog)
finish()
