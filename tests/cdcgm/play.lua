-- CGM from scripts: a picture written through CD_CGM in both encodings,
-- played back with cdPlay into an RGB image canvas, with the CGM play
-- callbacks registered by cdRegisterCallback (driver number first, the
-- stop rule, the extents a callback hands back).
dofile("harness.lua")

local W, H = 80, 60
local function rgb(r, g, b) return string.format("%d,%d,%d", r, g, b) end

local function write(name, option)
  local canvas = cdCreateCanvas(CD_CGM, name .. " 20x15 4" .. option)
  check(canvas ~= nil, "a CGM canvas " .. name)
  if not canvas then return end
  cdActivate(canvas)
  cdForeground(CD_RED)
  cdBox(10, 29, 10, 29)          -- a red box in the lower left
  cdForeground(CD_BLUE)
  cdLine(0, 50, 79, 50)          -- a blue line across
  cdKillCanvas(canvas)
end

local image = imCreateImageRGB(W, H)
local target = cdCreateCanvas(CD_IMAGERGB, image)

local calls = {}
local function log(name)
  return function(driver, ...)
    calls[#calls + 1] = {name = name, driver = driver, args = {...}}
    return CDPLAY_GO
  end
end

for _, encoding in ipairs({{"bin.cgm", ""}, {"text.cgm", " -t"}}) do
  local name = encoding[1]
  write(name, encoding[2])
  calls = {}
  check_eq(cdRegisterCallback(CD_CGM, CD_CGMBEGPICTCB, log("picture")), CD_OK, "register a picture callback")
  check_eq(cdRegisterCallback(CD_CGM, CD_SIZECB, log("size")), CD_OK, "register a size callback")
  check_eq(cdRegisterCallback(CD_CGM, CD_CGMCOUNTERCB, log("counter")), CD_OK, "register a counter")
  cdActivate(target)
  cdBackground(CD_WHITE)
  cdClear()
  check_eq(cdPlay(CD_CGM, 0, W, 0, H, name), CD_OK, "play " .. name)
  local px = function(x, y) local i = x + y * W; return rgb(image.r[i], image.g[i], image.b[i]) end
  check_eq(px(10, 10), "255,0,0", name .. ": box corner")
  check_eq(px(29, 29), "255,0,0", name .. ": opposite box corner")
  check_eq(px(30, 29), "255,255,255", name .. ": beside the box")
  check_eq(px(40, 50), "0,0,255", name .. ": the line")
  check_eq(px(40, 51), "255,255,255", name .. ": above the line")
  local seen = {}
  for _, c in ipairs(calls) do
    seen[c.name] = (seen[c.name] or 0) + 1
    check_eq(c.driver, CD_CGM, name .. ": " .. c.name .. " receives the driver number first")
  end
  check_eq(seen.picture, 1, name .. ": one picture")
  check_eq(seen.size, 1, name .. ": one size call")
  check((seen.counter or 0) > 10, name .. ": the counter follows the elements")
  for _, c in ipairs(calls) do
    if c.name == "picture" then check_eq(c.args[1], "Picture x", name .. ": the picture's name") end
    if c.name == "size" then
      check_eq(c.args[1], 80, name .. ": width in pixels")
      check_eq(c.args[2], 60, name .. ": height in pixels")
    end
  end
end
cdRegisterCallback(CD_CGM, CD_CGMCOUNTERCB, nil)
cdRegisterCallback(CD_CGM, CD_SIZECB, nil)

-- CDPLAY_ABORT from the picture callback: nothing is drawn
cdRegisterCallback(CD_CGM, CD_CGMBEGPICTCB, function() return CDPLAY_ABORT end)
cdActivate(target)
cdClear()
check_eq(cdPlay(CD_CGM, 0, W, 0, H, "bin.cgm"), CD_OK, "a stopped play still returns CD_OK")
check_eq(rgb(image.r[10 + 10 * W], image.g[10 + 10 * W], image.b[10 + 10 * W]), "255,255,255",
         "nothing drawn after CDPLAY_ABORT")
cdRegisterCallback(CD_CGM, CD_CGMBEGPICTCB, nil)

-- the metafile callback shrinks the cull rectangle to the right half: the
-- box in the left half is culled, the line across stays
cdRegisterCallback(CD_CGM, CD_CGMBEGMTFCB, function(driver)
  return CDPLAY_GO, 40, 0, 80, 60
end)
cdClear()
cdPlay(CD_CGM, 0, W, 0, H, "bin.cgm")
check_eq(rgb(image.r[10 + 10 * W], image.g[10 + 10 * W], image.b[10 + 10 * W]), "255,255,255",
         "the box outside the cull rectangle is not drawn")
check_eq(rgb(image.r[60 + 50 * W], image.g[60 + 50 * W], image.b[60 + 50 * W]), "0,0,255",
         "the line crossing it is")
cdRegisterCallback(CD_CGM, CD_CGMBEGMTFCB, nil)

-- the extent callback doubles the extent: the picture comes out at half size
cdRegisterCallback(CD_CGM, CD_CGMVDCEXTCB, function(driver, vdc_type, x1, y1, x2, y2)
  check_eq(vdc_type, 0, "integer VDC")
  return CDPLAY_GO, x1, y1, 2 * x2, 2 * y2
end)
cdClear()
cdPlay(CD_CGM, 0, W, 0, H, "bin.cgm")
check_eq(rgb(image.r[5 + 5 * W], image.g[5 + 5 * W], image.b[5 + 5 * W]), "255,0,0", "box at half size")
check_eq(rgb(image.r[20 + 20 * W], image.g[20 + 20 * W], image.b[20 + 20 * W]), "255,255,255",
         "nothing beyond it")
cdRegisterCallback(CD_CGM, CD_CGMVDCEXTCB, nil)

-- a bad result of a callback is raised once the play is over
cdRegisterCallback(CD_CGM, CD_CGMCOUNTERCB, function() return "x" end)
check_error(function() cdPlay(CD_CGM, 0, W, 0, H, "bin.cgm") end,
            "cdPlay: CD_CGMCOUNTERCB: invalid return value!", "a counter returning a string")
cdRegisterCallback(CD_CGM, CD_CGMCOUNTERCB, nil)

cdKillCanvas(target)
finish()
