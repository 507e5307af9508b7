-- The PostScript driver through the canvas binding: a drawing written by
-- cdCreateCanvas(CD_PS, ...) that Ghostscript reads without a word, the EPS
-- bounding box, and creation data the driver refuses.
dofile("harness.lua")

local function read(name)
  local f = io.open(name, "rb")
  if not f then return nil end
  local data = f:read("a")
  f:close()
  return data
end

-- what gs says about a file (nothing when it reads it cleanly)
local function gs_says(name)
  local p = io.popen("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage " .. name .. " 2>&1; echo status $?")
  local out = p:read("a")
  p:close()
  return out
end

local cv = cdCreateCanvas(CD_PS, "drawing.ps -w100 -h100 -l0 -r0 -b0 -t0 -s72")
check(cv ~= nil, "a PostScript canvas")
if cv then
  cdActivate(cv)
  local w, h = cdGetCanvasSize()
  check_eq(w, 284, "width in points at 72 dpi")
  cdForeground(CD_RED)
  cdLine(10, 10, 90, 90)
  cdHatch(CD_CROSS)
  cdBox(100, 150, 20, 60)
  cdFont(CD_TIMES_ROMAN, CD_BOLD, 12)
  cdText(20, 150, "Varko (test)")
  cdKillCanvas(cv)
  local text = read("drawing.ps") or ""
  check(text:find("^%%!PS%-Adobe%-2%.0 \n") ~= nil, "PostScript header")
  check(text:find("\nN 10 10 90 90 LL\n", 1, true) ~= nil, "the line")
  check(text:find("\n(Varko \\(test\\))\n", 1, true) ~= nil, "the text, parentheses escaped")
  check(text:find("\n12 /Times-Bold /Times-Bold-Latin1 ChgFnt\n", 1, true) ~= nil, "the font")
  check_eq(gs_says("drawing.ps"), "status 0\n", "gs reads it cleanly")
end

local eps = cdCreateCanvas(CD_PS, "drawing.eps -e -d1")
check(eps ~= nil, "an EPS canvas")
if eps then
  cdActivate(eps)
  cdLine(10, 10, 20, 20)
  cdKillCanvas(eps)
  local text = read("drawing.eps") or ""
  check(text:find("^%%!PS%-Adobe%-2%.0 EPSF%-2%.0\n") ~= nil, "EPS header")
  check(text:find("%%BoundingBox:    71    71    80    80\n", 1, true) ~= nil, "box with the -d margin")
  check_eq(gs_says("drawing.eps"), "status 0\n", "gs reads the EPS cleanly")
end

check_eq(cdCreateCanvas(CD_PS, ""), nil, "empty data")
check_eq(cdCreateCanvas(CD_PS, "no/such/folder/x.ps"), nil, "unwritable file")
check_eq(cdCreateCanvas(CD_PS, "zero.ps -s0"), nil, "resolution 0")
check_eq(read("zero.ps"), nil, "nothing written for a refused canvas")
check_error(function() cdCreateCanvas(CD_PS, 5) end, "cdCreateCanvas CD_PS: data should be of type string!")

finish()
