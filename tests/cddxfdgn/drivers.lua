-- CD_DXF and CD_DGN from a script: the small scene of the golden files,
-- drawn through the binding, writes the goldens byte for byte (the C++ tests
-- have their readers accept them); bad creation data gives nil and no file.
dofile("harness.lua")

local function read(name)
  local f = io.open(name, "rb")
  if not f then return nil end
  local data = f:read("a")
  f:close()
  return data
end

local function small_scene(label, flush)
  cdForeground(CD_RED)
  cdLineStyle(CD_DASHED)
  cdLineWidth(2)
  cdLine(10, 10, 90, 30)
  cdLineStyle(CD_CONTINUOUS)
  cdLineWidth(1)
  cdForeground(CD_GREEN)
  cdBegin(CD_FILL)
  cdVertex(20, 40)
  cdVertex(60, 40)
  cdVertex(40, 70)
  cdEnd()
  cdForeground(CD_BLUE)
  cdArc(70, 60, 30, 20, 0, 135)
  cdSector(70, 20, 20, 20, 90, 180)
  cdFont(CD_TIMES_ROMAN, CD_ITALIC, 10)
  cdTextAlignment(CD_CENTER)
  cdText(50, 85, label)
  if flush then cdFlush() end
  cdPixel(5, 5, CD_DARK_GRAY)
end

check_eq(type(CD_DXF), "number", "CD_DXF is a driver number")
check_eq(type(CD_DGN), "number", "CD_DGN is a driver number")

local dxf = cdCreateCanvas(CD_DXF, "out.dxf 50x50 2")
check(dxf ~= nil, "a DXF canvas")
if dxf then
  check_eq(cdActivate(dxf), CD_OK, "activate the DXF canvas")
  local w, h, w_mm, h_mm = cdGetCanvasSize()
  check_eq(w, 100, "DXF width in pixels")
  check_eq(h, 100, "DXF height in pixels")
  check_near(w_mm, 50, 1e-9, "DXF width in millimetres")
  small_scene("DXF", true)
  cdKillCanvas(dxf)
  check(read("small.dxf") ~= nil, "the DXF golden is here")
  check_eq(read("out.dxf"), read("small.dxf"), "the DXF file is the golden")
end

local dgn = cdCreateCanvas(CD_DGN, "out.dgn 50x50 2 -sseed2d.dgn")
check(dgn ~= nil, "a DGN canvas with a seed")
if dgn then
  cdActivate(dgn)
  small_scene("DGN", false)
  cdKillCanvas(dgn)
  check(read("small.dgn") ~= nil, "the DGN golden is here")
  check_eq(read("out.dgn"), read("small.dgn"), "the DGN file is the golden")
end

-- bad data: nil and no file left behind
for _, case in ipairs({
  {CD_DXF, "", "empty DXF data"},
  {CD_DXF, "bad1.dxf 100x50 0", "DXF resolution zero"},
  {CD_DXF, "bad2.dxf 1e9x10 4", "DXF size beyond the int range"},
  {CD_DXF, "no-such-folder/bad.dxf", "unwritable DXF file"},
  {CD_DGN, "", "empty DGN data"},
  {CD_DGN, "bad3.dgn 10x10 -3", "DGN negative resolution"},
  {CD_DGN, "bad4.dgn -sno-such-seed.dgn", "missing DGN seed"},
  {CD_DGN, "bad5.dgn -s seed2d.dgn", "DGN seed as a word of its own"},
  {CD_DGN, "bad6.dgn -sno_end_marker.dgn", "bad DGN seed"},
}) do
  check_eq(cdCreateCanvas(case[1], case[2]), nil, case[3])
end
for _, name in ipairs({"bad1.dxf", "bad2.dxf", "bad3.dgn", "bad4.dgn", "bad5.dgn", "bad6.dgn"}) do
  check_eq(read(name), nil, name .. " was not written")
end

check_errors({
  {"DXF data not a string", function() cdCreateCanvas(CD_DXF, 3) end,
   "cdCreateCanvas CD_DXF: data should be of type string!"},
  {"DGN data not a string", function() cdCreateCanvas(CD_DGN, {}) end,
   "cdCreateCanvas CD_DGN: data should be of type string!"},
})

finish()
