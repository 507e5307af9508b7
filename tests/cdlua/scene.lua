-- A scene drawn through the canvas binding on a CD_IMAGERGB canvas over an
-- image of the image binding, saved with imSaveRGB and checked in the file.
dofile("harness.lua")

local W, H = 64, 48

-- The pixels of an uncompressed 24-bit BMP file: px(x, y) -> r, g, b with
-- row 0 at the bottom, as the file stores it.
local function read_bmp(name)
  local f = io.open(name, "rb")
  if not f then return nil end
  local data = f:read("a")
  f:close()
  if data:sub(1, 2) ~= "BM" then return nil end
  local offset = string.unpack("<I4", data, 11)
  local width, height = string.unpack("<i4i4", data, 19)
  local bpp = string.unpack("<I2", data, 29)
  if bpp ~= 24 then return nil, "bits per pixel " .. bpp end
  local stride = (width * 3 + 3) // 4 * 4
  return {
    width = width, height = height,
    px = function(x, y)
      local i = offset + y * stride + x * 3 + 1
      local b, g, r = data:byte(i, i + 2)
      return r, g, b
    end,
  }
end

local function rgb(r, g, b) return string.format("%d,%d,%d", r, g, b) end

local image = imCreateImageRGB(W, H)
local canvas = cdCreateCanvas(CD_IMAGERGB, image)
check(canvas ~= nil, "a canvas over a script image")
check_eq(cdActivate(canvas), CD_OK, "activate")
check_eq(cdActiveCanvas(), canvas, "the active canvas is the same value")
check_eq(select(1, cdGetCanvasSize()), W, "canvas width")
check_eq(select(2, cdGetCanvasSize()), H, "canvas height")

cdBackground(CD_WHITE)
cdClear()
check_eq(cdForeground(CD_RED), CD_BLACK, "the previous foreground is returned as a colour")
cdBox(4, 13, 2, 9)                 -- red box, both ends included
cdForeground(cdEncodeColor(0, 0, 255))
cdLine(0, 40, 63, 40)              -- blue line
cdPixel(60, 2, CD_DARK_GREEN)
cdForeground(CD_BLACK)
cdVectorCharSize(14)
cdVectorText(20, 10, "I")          -- 'I': a stroke from (20, 20) to (20, 10) at half scale

-- a script image put on the canvas: 2 x 2 yellow
local patch = imCreateImageRGB(2, 2)
for i = 0, 3 do patch.r[i] = 255; patch.g[i] = 255; patch.b[i] = 0 end
cdPutImageRGB(patch, 40, 20, 2, 2)

-- the planes stay alive while the canvas draws into them, even killed
local copy = imCreateImageRGB(W, H)
cdGetImageRGB(copy, 0, 0)
check_eq(rgb(copy.r[5 + 3 * W], copy.g[5 + 3 * W], copy.b[5 + 3 * W]), "255,0,0", "read back")

check_eq(imSaveRGB(image, IM_BMP, IM_NONE, "scene.bmp"), IM_ERR_NONE, "saved")
cdKillCanvas(canvas)
check_error(function() cdLine(0, 0, 1, 1) end, "cdlua: there is no active canvas!",
            "after the active canvas is killed the void canvas is active")

local bmp, why = read_bmp("scene.bmp")
check(bmp ~= nil, "a 24-bit BMP file " .. tostring(why))
if bmp then
  check_eq(bmp.width, W, "file width")
  check_eq(bmp.height, H, "file height")
  local cases = {
    {4, 2, "255,0,0", "box corner"}, {13, 9, "255,0,0", "opposite box corner"},
    {14, 9, "255,255,255", "right of the box"}, {4, 10, "255,255,255", "above the box"},
    {0, 40, "0,0,255", "line start"}, {63, 40, "0,0,255", "line end"},
    {30, 41, "255,255,255", "above the line"}, {60, 2, "0,128,0", "pixel"},
    {20, 10, "0,0,0", "vector text foot"}, {20, 20, "0,0,0", "vector text top"},
    {20, 21, "255,255,255", "above the vector text"},
    {40, 20, "255,255,0", "image put"}, {41, 21, "255,255,0", "image put corner"},
    {42, 20, "255,255,255", "beside the image"},
  }
  for _, c in ipairs(cases) do
    check_eq(rgb(bmp.px(c[1], c[2])), c[3], c[4])
  end
end

-- A canvas keeps the planes of a killed image alive.
local img = imCreateImageRGB(8, 8)
local c2 = cdCreateCanvas(CD_IMAGERGB, img)
imKillImageRGB(img)
collectgarbage()
cdActivate(c2)
cdForeground(CD_BLUE)
cdBox(0, 7, 0, 7)
local content = cdImageRGB()
check(content ~= nil, "cdImageRGB of an RGB canvas")
if content then check_eq(rgb(content.r[9], content.g[9], content.b[9]), "0,0,255", "drawn into kept planes") end
cdKillCanvas(c2)

finish()
