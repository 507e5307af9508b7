-- Coordinates and sizes at the ends of int on an RGB canvas: each call ends
-- at once and leaves the canvas working; what lies on the canvas is drawn.
-- The sanitizer build checks that no int arithmetic overflows on the way.
dofile("harness.lua")

local W, H = 100, 100
local image = imCreateImageRGB(W, H)
local canvas = cdCreateCanvas(CD_IMAGERGB, image)
cdActivate(canvas)
local MIN, MAX = -2 ^ 31, 2 ^ 31 - 1

local function clear()
  cdBackground(CD_WHITE); cdClear(); cdForeground(CD_BLACK)
  cdLineWidth(1); cdInteriorStyle(CD_SOLID)
end
local function black_at(x, y)
  return image.r[x + y * W] == 0 and image.g[x + y * W] == 0 and image.b[x + y * W] == 0
end

clear()
cdArc(0, 0, MIN, 8, 0, 360)
cdArc(MAX, 3, 255, 255, 0, 360)
cdSector(MIN, MIN, MAX, MAX, 0, 360)
cdSector(0, 0, MIN, MIN, 10, 300)
check(not black_at(50, 50), "arcs and sectors of int-sized axes or centres draw nothing here")

clear()
cdBegin(CD_FILL); cdVertex(MIN, MIN); cdVertex(MAX, 0); cdVertex(0, MAX); cdEnd()
check(black_at(50, 50), "a triangle with corners at +-2^31 covers the canvas's middle")

clear()
cdLineWidth(1000); cdLine(MIN, 0, MAX, 5)
check(black_at(50, 50), "a 1000-pixel line across the whole int range covers the middle")
clear()
cdLine(MIN, MIN, MAX, MAX)
check(black_at(50, 50), "a thin diagonal through the int range crosses the middle")

clear()
cdBox(MIN, MAX, MIN, MAX)
check(not black_at(50, 50), "a box whose sides span 2^31 or more draws nothing (the range check)")
cdBox(1 - 2 ^ 30, 2 ^ 30 - 1, 1 - 2 ^ 30, 2 ^ 30 - 1)
check(black_at(0, 0) and black_at(99, 99), "a box of 2^31 - 1 pixels a side fills the canvas")

clear()
cdFont(CD_HELVETICA, CD_PLAIN, 12)
local w, h = cdTextSize("Hi")
cdFont(CD_HELVETICA, CD_PLAIN, 32767)
check_eq(select(3, cdGetFont()), 12, "a 32767-point face is refused: the 12-point one stays")
check_eq(select(1, cdTextSize("Hi")), w, "and measures as before")
cdFont(CD_HELVETICA, CD_PLAIN, MIN)
check_eq(select(3, cdGetFont()), 12, "a size of -2^31 pixels is refused as well")
cdText(10, 10, "Hi")

-- texts placed at the ends of int, plain, on an opaque box and turned
cdBackOpacity(CD_OPAQUE)
for _, angle in ipairs({0, 30}) do
  cdTextOrientation(angle)
  cdText(MAX, 3, "TITLE"); cdText(MAX, MAX, "Hi"); cdText(MIN, MIN, "Hi"); cdText(math.huge, 2 ^ 53, "TITLE")
  cdTextAlignment(CD_NORTH_EAST); cdText(MIN, MAX, "Hi"); cdTextAlignment(CD_BASE_LEFT)
end
cdTextOrientation(0); cdBackOpacity(CD_TRANSPARENT)
cdMarkSize(MAX); cdMark(50, 50)
cdMarkSize(10)
-- marks of every type centred at the ends of int
for mark_type = CD_PLUS, CD_HOLLOW_DIAMOND do
  cdMarkType(mark_type)
  cdMark(MAX, MAX); cdMark(MIN, MIN); cdMark(MAX, MIN); wdMark(2 ^ 63, -1e308)
end
cdMarkType(CD_STAR)
-- vector text starting at the ends of int and running past them
cdVectorCharSize(20)
cdVectorText(MAX, MAX, "TITLE"); cdVectorText(MIN, MIN, "TITLE"); cdVectorText(2 ^ 53, 2 ^ 63, "x")
cdVectorTextTransform({1e300, 0, 0, 0, 1e300, 0}); cdVectorText(10, 10, "x"); cdVectorTextTransform({1, 0, 0, 0, 1, 0})
-- an origin at the ends of int moves coordinates at the other end
cdOrigin(MAX, MIN)
cdText(2 ^ 32, 3, "1e400"); cdLine(MAX, MIN, 0, 0); cdBox(0, MAX, MIN, 0); cdPixel(MAX, MIN, CD_BLACK)
cdGetClipArea(); cdUpdateYAxis(MIN)
cdOrigin(MIN, MAX); cdMark(MIN, MAX); cdText(MIN, MAX, "Hi"); cdGetClipArea(); cdUpdateYAxis(MAX)
cdOrigin(0, 0)
-- a viewport spanning the whole int range, and world sizes measured on it
wdViewport(-2 ^ 63, 288, 2 ^ 31 - 1, -1)
wdLine(0, 0, 1, 1); wdBox(0, 1, 0, 1); wdArc(0.5, 0.5, 1, 1, 0, 360); wdSector(0, 0, 1e300, 1e300, 0, 90)
wdMark(0.5, 0.5); wdText(0, 0, "Hi")
wdViewport(0, W - 1, 0, H - 1)
clear(); cdPixel(3, 4, CD_BLACK)
check(black_at(3, 4), "the canvas still draws")
cdKillCanvas(canvas)
finish()
