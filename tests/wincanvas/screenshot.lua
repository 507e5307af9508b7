-- A CD_IUP canvas on the GTK driver, photographed: the canvas's part of a
-- screenshot of its dialog (ImageMagick's import, written as PPM) holds
-- exactly the pixels the canvas reads back with cdGetImageRGB.
dofile("harness.lua")
dofile("xinput.lua")

local W, H = 90, 64

-- colours, lines, text and a stretched image
local patch = imCreateImageRGB(4, 3)
for i = 0, 11 do patch.r[i] = 20 * i; patch.g[i] = 255 - 20 * i; patch.b[i] = (i % 4) * 80 end
local function scene()
  cdBackground(cdEncodeColor(250, 250, 240))
  cdClear()
  cdForeground(CD_DARK_RED)
  cdBox(3, 30, 4, 25)
  cdForeground(CD_BLUE)
  cdLineWidth(2)
  cdLine(0, 63, 89, 10)
  cdLineWidth(1)
  cdLineStyle(CD_DOTTED)
  cdRect(35, 85, 30, 60)
  cdLineStyle(CD_CONTINUOUS)
  cdForeground(CD_DARK_GREEN)
  cdFont(CD_TIMES_ROMAN, CD_PLAIN, 12)
  cdText(40, 40, "Map")
  cdPutImageRGB(patch, 60, 4, 24, 15)
end

local painted = 0
local cv
local canvas = iupcanvas { rastersize = W .. "x" .. H }
canvas.action = function(self)
  painted = painted + 1
  if cv then
    cdActivate(cv)
    scene()
  end
end
local dlg = iupdialog { canvas, title = "wincanvas-shot" }
dlg:showxy(30, 30)
cv = cdCreateCanvas(CD_IUP, canvas)
check(cv ~= nil, "a canvas on the GTK canvas")

-- pixels of a binary PPM (P6, maxval 255) as { w, h, rgb string }
local function read_ppm(name)
  local f = io.open(name, "rb")
  if not f then return nil end
  local data = f:read("a")
  f:close()
  local w, h, maxval, at = data:match("^P6%s+(%d+)%s+(%d+)%s+(%d+)%s()")
  if not w or tonumber(maxval) ~= 255 then return nil end
  return { w = tonumber(w), h = tonumber(h), rgb = data:sub(at) }
end

-- the canvas's pixels read back, top row first as on the screen
local function canvas_pixels()
  cdActivate(cv)
  local img = imCreateImageRGB(W, H)
  cdGetImageRGB(img, 0, 0)
  local rows = {}
  for y = H - 1, 0, -1 do
    local row = {}
    for x = 0, W - 1 do
      local i = x + y * W
      row[#row + 1] = string.char(img.r[i], img.g[i], img.b[i])
    end
    rows[#rows + 1] = table.concat(row)
  end
  return table.concat(rows)
end

-- the first pixel (x, y from the top) where two pictures differ, or nil
local function first_difference(a, b)
  for i = 1, math.min(#a, #b), 3 do
    if a:sub(i, i + 2) ~= b:sub(i, i + 2) then
      local p = (i - 1) // 3
      return (p % W) .. "," .. (p // W)
    end
  end
  if #a ~= #b then return "sizes differ" end
  return nil
end

local win
xinput.steps({
  { what = "dialog window", action = function() win = xinput.window("wincanvas-shot") end,
    done = function() return win ~= nil end },
  { what = "the canvas painted", done = function() return painted > 0 end },
  { what = "the scene shown",
    action = function()
      cdActivate(cv)
      scene() -- drawn outside the action too: the redraw it queues shows the same
    end,
    -- the loop runs meanwhile, so the window is redrawn before the shot
    done = xinput.after(2) },
  { what = "the picture",
    action = function()
      check(os.execute("timeout 20 import -window " .. win .. " -depth 8 shot.ppm"), "import ran")
    end },
}, function()
  local shot = read_ppm("shot.ppm")
  check(shot ~= nil, "a PPM screenshot")
  if shot then
    -- the canvas's place in the dialog's window
    local ox = tonumber(IupGetAttribute(canvas, "X")) - tonumber(IupGetAttribute(dlg, "X"))
    local oy = tonumber(IupGetAttribute(canvas, "Y")) - tonumber(IupGetAttribute(dlg, "Y"))
    check(ox >= 0 and oy >= 0 and ox + W <= shot.w and oy + H <= shot.h, "the canvas lies in the shot")
    local rows = {}
    for y = oy, oy + H - 1 do
      local from = (y * shot.w + ox) * 3 + 1
      rows[#rows + 1] = shot.rgb:sub(from, from + W * 3 - 1)
    end
    local expected = canvas_pixels()
    check(expected ~= string.rep("\250\250\240", W * H), "the scene drew something")
    check_eq(first_difference(table.concat(rows), expected), nil, "the screen shows the canvas's pixels")
  end
  cdKillCanvas(cv)
  dlg:hide()
end)
IupMainLoop()
finish()
