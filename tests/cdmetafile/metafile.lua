-- The CD metafile through the canvas binding: recorded with
-- cdCreateCanvas(CD_METAFILE, ...), played back with cdPlay into an image
-- canvas, the size callback, and creation data the driver refuses.
dofile("harness.lua")

local function read(name)
  local f = io.open(name, "rb")
  if not f then return nil end
  local data = f:read("a")
  f:close()
  return data
end

local mf = cdCreateCanvas(CD_METAFILE, "line.mf 25x25 4")
check(mf ~= nil, "a metafile canvas")
if mf then
  cdActivate(mf)
  check_eq(select(1, cdGetCanvasSize()), 100, "100 pixels wide")
  cdLine(0, 0, 10, 10)
  cdKillCanvas(mf)
  local text = read("line.mf") or ""
  check(text:find("^CDMF 100 100\n") ~= nil, "header")
  check(text:find("\n4 0 0 10 10\n", 1, true) ~= nil, "line record")
end

local W = 210
local image = imCreateImageRGB(W, W)
for i = 0, W * W - 1 do image.r[i] = 255; image.g[i] = 255; image.b[i] = 255 end
local cv = cdCreateCanvas(CD_IMAGERGB, image)
cdActivate(cv)

local seen
cdRegisterCallback(CD_METAFILE, CD_SIZECB, function(driver, w, h, w2, h2)
  seen = {driver, w, h, w2, h2}
  return CDPLAY_ABORT
end)
check_eq(cdPlay(CD_METAFILE, 0, 199, 0, 199, "line.mf"), CD_ERROR, "an aborting size callback")
check(seen ~= nil, "the size callback ran")
if seen then
  check_eq(seen[1], CD_METAFILE, "callback driver")
  check_eq(seen[2], 100, "callback width")
  check_eq(seen[3], 100, "callback height")
  check_eq(seen[4], 100, "callback width as a real")
  check_eq(seen[5], 100, "callback height as a real")
end
check_eq(image.r[10 + 10 * W], 255, "nothing drawn after the abort")

cdRegisterCallback(CD_METAFILE, CD_SIZECB, nil)
check_eq(cdPlay(CD_METAFILE, 0, 199, 0, 199, "line.mf"), CD_OK, "played twice as large")
check_eq(image.r[20 + 20 * W], 0, "the line reaches (20, 20)")
check_eq(image.r[21 + 21 * W], 255, "and ends there")
check_eq(cdPlay(CD_METAFILE, 0, 0, 0, 0, "no_such.mf"), CD_ERROR, "a missing file")
cdKillCanvas(cv)

check_eq(cdCreateCanvas(CD_METAFILE, ""), nil, "empty data")
check_eq(cdCreateCanvas(CD_METAFILE, "no/such/folder/x.mf"), nil, "unwritable file")
check_eq(cdCreateCanvas(CD_METAFILE, "bad.mf 10x10 0"), nil, "resolution 0")
check_eq(read("bad.mf"), nil, "nothing written for a refused canvas")

finish()
