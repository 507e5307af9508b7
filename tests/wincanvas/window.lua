-- A CD_IUP canvas on an iupcanvas, run by varko on the headless toolkit: what
-- its repaint action draws and what is drawn outside it read back with
-- cdGetImageRGB exactly as the same drawing on an RGB image canvas, the
-- window shows it after a loop step, server-image canvases outlive their
-- image, and bad creation data raises its message or gives nil.
dofile("harness.lua")

local W, H = 60, 40

-- the pixels of x0..x0+w-1, y0..y0+h-1 of an image iw pixels wide
local function planes(img, iw, x0, y0, w, h)
  local out = {}
  for y = y0, y0 + h - 1 do
    for x = x0, x0 + w - 1 do
      local i = x + y * iw
      out[#out + 1] = string.char(img.r[i], img.g[i], img.b[i])
    end
  end
  return table.concat(out)
end

local function read_back(x, y, w, h)
  local img = imCreateImageRGB(w, h)
  cdGetImageRGB(img, x, y)
  return planes(img, w, 0, 0, w, h)
end

-- colours, styled and wide lines, a filled polygon, an arc, text, an image
-- stretched over the top edge and an XOR box
local patch = imCreateImageRGB(3, 2)
for i = 0, 5 do patch.r[i] = 40 * i; patch.g[i] = 250 - 30 * i; patch.b[i] = 90 end
local function scene()
  cdBackground(CD_WHITE)
  cdClear()
  cdForeground(CD_DARK_GREEN)
  cdBox(2, 20, 3, 15)
  cdForeground(cdEncodeColor(200, 30, 60))
  cdLineStyle(CD_DASHED)
  cdLine(0, 0, 59, 39)
  cdLineStyle(CD_CONTINUOUS)
  cdLineWidth(2)
  cdLine(0, 30, 50, 22)
  cdLineWidth(1)
  cdForeground(CD_BLUE)
  cdBegin(CD_FILL)
  cdVertex(30, 2); cdVertex(58, 10); cdVertex(40, 20)
  cdEnd()
  cdArc(15, 28, 20, 14, 30, 290)
  cdFont(CD_HELVETICA, CD_BOLD, 8)
  cdText(24, 26, "Vk")
  cdPutImageRGB(patch, 48, 33, 9, 10)
  cdWriteMode(CD_XOR)
  cdForeground(CD_YELLOW)
  cdBox(10, 35, 10, 25)
  cdWriteMode(CD_REPLACE)
end

local reference = imCreateImageRGB(W, H)
local rgb = cdCreateCanvas(CD_IMAGERGB, reference)
cdActivate(rgb)
scene()
local expected = planes(reference, W, 0, 0, W, H)
check(expected ~= string.rep("\255", W * H * 3), "the scene draws something")

local painted = 0
local cv
local canvas = iupcanvas { rastersize = W .. "x" .. H }
canvas.action = function(self)
  painted = painted + 1
  cdActivate(cv)
  scene()
end
local dlg = iupdialog { canvas, title = "Window canvas" }
dlg:show()
cv = cdCreateCanvas(CD_IUP, canvas)
check(cv ~= nil, "a canvas on the mapped iupcanvas")
iuptest.repaint(canvas)
for _ = 1, 3 do iuptest.step() end
check(painted >= 1, "the repaint ran the action")
cdActivate(cv)
check_eq(read_back(0, 0, W, H) == expected, true, "the action's drawing reads back as on an RGB image")
check_eq(read_back(44, 30, 9, 7) == planes(reference, W, 44, 30, 9, 7), true, "a region reads back")
local w, h = cdGetCanvasSize()
check_eq(w .. "x" .. h, W .. "x" .. H, "canvas size")
local y = 5
check_eq(cdUpdateYAxis(y), H - 1 - 5, "y grows downwards on the window")

-- what the window shows: rows from the top
local function shown_bottom_up()
  local sw, sh, pixels = iuptest.shown(canvas)
  if not sw then return nil end
  local rows = {}
  for row = sh - 1, 0, -1 do rows[#rows + 1] = pixels:sub(row * sw * 3 + 1, (row + 1) * sw * 3) end
  return table.concat(rows)
end
check_eq(shown_bottom_up() == expected, true, "the window shows the action's drawing")

-- drawing outside the action shows at the next loop step
cdActivate(cv)
cdForeground(CD_MAGENTA)
cdBox(0, 5, 0, 5)
cdActivate(rgb)
cdForeground(CD_MAGENTA)
cdBox(0, 5, 0, 5)
local after = planes(reference, W, 0, 0, W, H)
cdActivate(cv)
check_eq(read_back(0, 0, W, H) == after, true, "drawing outside the action reads back")
iuptest.step()
check_eq(shown_bottom_up() == after, true, "and shows after a loop step")

-- a server image outlives a kill made before its canvas's
cdActivate(cv)
local image = cdCreateImage(8, 6)
check(image ~= nil, "server image of the window canvas")
cdGetImage(image, 0, 0)
local on_image = cdCreateCanvas(CD_IMAGE, image)
check(on_image ~= nil, "a canvas on the server image")
cdKillImage(image)
cdActivate(on_image)
cdForeground(CD_RED)
cdBox(0, 7, 0, 5)
check_eq(read_back(7, 5, 1, 1), "\255\0\0", "the canvas still draws into its picture")
cdKillCanvas(on_image)

-- creation misuse
cdActivate(rgb)
local rgb_image = cdCreateImage(4, 4)
local unmapped = iupcanvas {}
local button = iupbutton { title = "b" }
check_errors {
  { "no data", function() cdCreateCanvas(CD_IUP) end,
    "cdCreateCanvas CD_IUP: data should be an iuplua canvas object!" },
  { "a string", function() cdCreateCanvas(CD_IUP, "canvas") end,
    "cdCreateCanvas CD_IUP: data should be an iuplua canvas object!" },
  { "a button", function() cdCreateCanvas(CD_IUP, button) end,
    "cdCreateCanvas CD_IUP: data should be an iuplua canvas object!" },
  { "a window handle that is a string", function() cdCreateCanvas(CD_NATIVEWINDOW, "wid") end,
    "cdCreateCanvas CD_NATIVEWINDOW: data should be of type userdata!" },
  { "a server image that is a number", function() cdCreateCanvas(CD_IMAGE, 3) end,
    "cdCreateCanvas CD_IMAGE: data should be of type image_tag!" },
}
check_eq(cdCreateCanvas(CD_IUP, unmapped), nil, "an unmapped iupcanvas gives no canvas")
check_eq(cdCreateCanvas(CD_IMAGE, rgb_image), nil, "a server image of an RGB canvas gives none")
cdKillImage(rgb_image)

cdKillCanvas(cv)
cdKillCanvas(rgb)
dlg:hide()
finish()
