-- The argument rules the canvas and the image bindings share, side by side:
-- an index or a byte value is checked as the number given (0 <= i < size,
-- 0 <= v <= 255) and only then truncated; colour components likewise; a
-- numeric string counts as a number; object arguments raise NIL, invalid
-- and killed messages in that order.
dofile("harness.lua")

local function tag(kind, method, problem)
  return kind .. ' "' .. method .. '": ' .. problem .. "!"
end

local map = imCreateImageMap(4, 3)
local rgb = imCreateImageRGB(4, 3)
local stipple = cdCreateStipple(2, 2)
local ex = cdCreateImageEx(2, 2, CD_RGB)
local killed_map = imCreateImageMap(1, 1)
imKillImageMap(killed_map)
local killed_stipple = cdCreateStipple(1, 1)
cdKillStipple(killed_stipple)

check_errors({
  {"image map index just below 0", function() return map[-0.5] end,
   tag("imagemap_tag", "gettable", "index is out of bounds")},
  {"image channel index just below 0", function() rgb.r[-0.5] = 1 end,
   tag("channel_tag", "settable", "index is out of bounds")},
  {"stipple index just below 0", function() return stipple[-0.5] end,
   tag("stipple_tag", "gettable", "index is out of bounds")},
  {"extended channel index just below 0", function() return ex.r[-0.5] end,
   tag("channel_tag", "gettable", "index is out of bounds")},
  {"image map value just over 255", function() map[0] = 255.5 end,
   tag("imagemap_tag", "settable", "value should be in range [0, 255]")},
  {"image map value just below 0", function() map[0] = -0.5 end,
   tag("imagemap_tag", "settable", "value should be in range [0, 255]")},
  {"extended channel value just over 255", function() ex.g[0] = 255.5 end,
   tag("channel_tag", "settable", "value should be in range [0, 255]")},
  {"image colour component just over 255", function() imEncodeColor(255.5, 0, 0) end,
   "imEncodeColor: color components values should be in range [0, 255]!"},
  {"canvas colour component just below 0", function() cdEncodeColor(0, -0.5, 0) end,
   "cdEncodeColor: color components values should be in range [0, 255]!"},
  {"image kill of nothing", function() imKillImageMap() end,
   "imKillImageMap: attempt to kill a NIL imagemap!"},
  {"image kill of a canvas object", function() imKillImageMap(stipple) end,
   "imKillImageMap: invalid imagemap parameter!"},
  {"image kill twice", function() imKillImageMap(killed_map) end,
   "imKillImageMap: attempt to kill a killed imagemap!"},
  {"canvas kill of nothing", function() cdKillStipple() end,
   "cdKillStipple: attempt to kill a NIL stipple!"},
  {"canvas kill of an image object", function() cdKillStipple(map) end,
   "cdKillStipple: invalid stipple parameter!"},
  {"canvas kill twice", function() cdKillStipple(killed_stipple) end,
   "cdKillStipple: attempt to kill a killed stipple!"},
})

-- In range, the number is truncated toward zero, in both bindings.
map[2.9] = 7.9
check_eq(map[2], 7, "image map index and value truncate")
ex.b[3.5] = 200.7
check_eq(ex.b[3], 200, "extended channel index and value truncate")
check_eq(imEncodeColor(254.9, 0.5, 0), cdEncodeColor(254, 0, 0), "components truncate alike")
-- A numeric string is a number to both bindings, as to the interpreter.
check_eq(cdEncodeColor("255", 0, 0), CD_RED, "canvas colour from a numeric string")
check_eq(imEncodeColor("255", 0, 0), CD_RED, "image colour from a numeric string")
local from_text = cdCreateCanvas("1", rgb)
check(from_text ~= nil, "a driver number given as text")
if from_text then cdKillCanvas(from_text) end

finish()
