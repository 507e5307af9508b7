-- Misuse of the image binding: each call and the exact message it raises.
dofile("harness.lua")

local m = imCreateImageMap(4, 3)
local g = imCreateImageMap(4, 3)
local wide = imCreateImageMap(5, 3)
local p = imCreatePalette(4)
local grays = imCreatePalette(256)
local few_grays = imCreatePalette(255)
local rgb = imCreateImageRGB(4, 3)
local rgb_wide = imCreateImageRGB(5, 3)
local c = imEncodeColor(1, 2, 3)
local dead_map = imCreateImageMap(2, 2); imKillImageMap(dead_map)
local dead_pal = imCreatePalette(2); imKillPalette(dead_pal)
local dead_rgb = imCreateImageRGB(2, 2); imKillImageRGB(dead_rgb)
local ch = rgb.r
local orphan_image = imCreateImageRGB(2, 2)
local orphan = orphan_image.g
imKillImageRGB(orphan_image)

local function tag(kind, method, problem)
  return kind .. ' "' .. method .. '": ' .. problem .. "!"
end

check_errors {
  -- creating
  {"rgb size not a number", function() imCreateImageRGB("a", 2) end, "imCreateImageRGB: invalid dimensions parameter!"},
  {"rgb size missing", function() imCreateImageRGB(2) end, "imCreateImageRGB: invalid dimensions parameter!"},
  {"rgb size zero", function() imCreateImageRGB(0, 2) end, "imCreateImageRGB: image dimensions should be positive integers!"},
  {"rgb size truncates to 0", function() imCreateImageRGB(2, 0.9) end, "imCreateImageRGB: image dimensions should be positive integers!"},
  {"rgb extra", function() imCreateImageRGB(2, 2, 2) end, "imCreateImageRGB: too many parameters!"},
  {"map size not a number", function() imCreateImageMap(2, {}) end, "imCreateImageMap: invalid dimensions parameter!"},
  {"map size negative", function() imCreateImageMap(-1, 2) end, "imCreateImageMap: imagemap dimensions should be positive integers!"},
  {"map extra", function() imCreateImageMap(2, 2, nil, 1) end, "imCreateImageMap: too many parameters!"},
  {"palette size not a number", function() imCreatePalette("many") end, "imCreatePalette: invalid palette parameter!"},
  {"palette size zero", function() imCreatePalette(0) end, "imCreatePalette: palette size should be a positive integer!"},
  {"palette extra", function() imCreatePalette(2, 2) end, "imCreatePalette: too many parameters!"},
  -- killing
  {"kill rgb none", function() imKillImageRGB() end, "imKillImageRGB: attempt to kill a NIL imagergb!"},
  {"kill rgb nil", function() imKillImageRGB(nil) end, "imKillImageRGB: attempt to kill a NIL imagergb!"},
  {"kill rgb wrong kind", function() imKillImageRGB(m) end, "imKillImageRGB: invalid imagergb parameter!"},
  {"kill rgb twice", function() imKillImageRGB(dead_rgb) end, "imKillImageRGB: attempt to kill a killed imagergb!"},
  {"kill rgb extra", function() imKillImageRGB(rgb, 1) end, "imKillImageRGB: too many parameters!"},
  {"kill map nil", function() imKillImageMap(nil) end, "imKillImageMap: attempt to kill a NIL imagemap!"},
  {"kill map wrong kind", function() imKillImageMap(p) end, "imKillImageMap: invalid imagemap parameter!"},
  {"kill map twice", function() imKillImageMap(dead_map) end, "imKillImageMap: attempt to kill a killed imagemap!"},
  {"kill map extra", function() imKillImageMap(m, m) end, "imKillImageMap: too many parameters!"},
  {"kill palette nil", function() imKillPalette() end, "imKillPalette: attempt to kill a NIL palette!"},
  {"kill palette wrong kind", function() imKillPalette(c) end, "imKillPalette: invalid palette parameter!"},
  {"kill palette twice", function() imKillPalette(dead_pal) end, "imKillPalette: attempt to kill a killed palette!"},
  {"kill palette extra", function() imKillPalette(p, 0) end, "imKillPalette: too many parameters!"},
  -- colours
  {"encode extra", function() imEncodeColor(1, 2, 3, 4) end, "imEncodeColor: too many parameters!"},
  {"encode extra before types", function() imEncodeColor("x", 2, 3, 4) end, "imEncodeColor: too many parameters!"},
  {"encode not a number", function() imEncodeColor(1, "x", 3) end, "imEncodeColor: invalid color component parameter!"},
  {"encode missing", function() imEncodeColor(1, 2) end, "imEncodeColor: invalid color component parameter!"},
  {"encode below 0", function() imEncodeColor(255, 0, -1) end, "imEncodeColor: color components values should be in range [0, 255]!"},
  {"encode above 255", function() imEncodeColor(256, 0, 0) end, "imEncodeColor: color components values should be in range [0, 255]!"},
  {"decode number", function() imDecodeColor(0xFF0000) end, "imDecodeColor: invalid color parameter!"},
  {"decode extra", function() imDecodeColor(c, c) end, "imDecodeColor: too many parameters!"},
  -- files
  {"format no name", function() imFileFormat() end, "imFileFormat: invalid filename parameter!"},
  {"format extra", function() imFileFormat("a.bmp", 1) end, "imFileFormat: too many parameters!"},
  {"info no name", function() imImageInfo({}) end, "imImageInfo: invalid filename parameter!"},
  {"info extra", function() imImageInfo("a.bmp", 1) end, "imImageInfo: too many parameters!"},
  {"load rgb no name", function() imLoadRGB(nil, rgb) end, "imLoadRGB: invalid filename parameter!"},
  {"load rgb into map", function() imLoadRGB("a.bmp", m) end, "imLoadRGB: invalid imagergb parameter!"},
  {"load rgb into killed", function() imLoadRGB("a.bmp", dead_rgb) end, "imLoadRGB: invalid imagergb parameter!"},
  {"load rgb extra", function() imLoadRGB("a.bmp", rgb, 1) end, "imLoadRGB: too many parameters!"},
  {"load map no name", function() imLoadMap({}, m, p) end, "imLoadMap: invalid filename parameter!"},
  {"load map into palette", function() imLoadMap("a.bmp", p, p) end, "imLoadMap: invalid imagemap parameter!"},
  {"load map into killed", function() imLoadMap("a.bmp", dead_map, p) end, "imLoadMap: invalid imagemap parameter!"},
  {"load map bad palette", function() imLoadMap("a.bmp", m, m) end, "imLoadMap: invalid palette parameter!"},
  {"load map killed palette", function() imLoadMap("a.bmp", m, dead_pal) end, "imLoadMap: invalid palette parameter!"},
  {"load map extra", function() imLoadMap("a.bmp", m, p, p) end, "imLoadMap: too many parameters!"},
  {"save rgb map", function() imSaveRGB(m, IM_BMP, IM_NONE, "a.bmp") end, "imSaveRGB: invalid imagergb parameter!"},
  {"save rgb format", function() imSaveRGB(rgb, "bmp", IM_NONE, "a.bmp") end, "imSaveRGB: invalid format parameter!"},
  {"save rgb compression", function() imSaveRGB(rgb, IM_BMP, nil, "a.bmp") end, "imSaveRGB: invalid compression parameter!"},
  {"save rgb name", function() imSaveRGB(rgb, IM_BMP, IM_NONE, {}) end, "imSaveRGB: invalid filename parameter!"},
  {"save rgb extra", function() imSaveRGB(rgb, IM_BMP, IM_NONE, "a.bmp", 1) end, "imSaveRGB: too many parameters!"},
  {"save map rgb", function() imSaveMap(rgb, p, IM_BMP, IM_NONE, "a.bmp") end, "imSaveMap: invalid imagemap  parameter!"},
  {"save map killed", function() imSaveMap(dead_map, p, IM_BMP, IM_NONE, "a.bmp") end, "imSaveMap: invalid imagemap  parameter!"},
  {"save map palette", function() imSaveMap(m, m, IM_BMP, IM_NONE, "a.bmp") end, "imSaveMap: invalid palette parameter!"},
  {"save map format", function() imSaveMap(m, p, nil, IM_NONE, "a.bmp") end, "imSaveMap: invalid format parameter!"},
  {"save map compression", function() imSaveMap(m, p, IM_BMP, "x", "a.bmp") end, "imSaveMap: invalid compression parameter!"},
  {"save map name", function() imSaveMap(m, p, IM_BMP, IM_NONE) end, "imSaveMap: invalid filename parameter!"},
  {"save map extra", function() imSaveMap(m, p, IM_BMP, IM_NONE, "a.bmp", 0) end, "imSaveMap: too many parameters!"},
  {"version extra", function() imVersion(1) end, "imVersion: too many parameters!"},
  -- conversions: the count is checked first
  {"rgb2map extra", function() imRGB2Map(m, m, m, m) end, "imRGB2Map: too many parameters!"},
  {"rgb2map source", function() imRGB2Map(m, m, p) end, "imRGB2Map: invalid imagergb parameter!"},
  {"rgb2map target", function() imRGB2Map(rgb, p, p) end, "imRGB2Map: invalid imagemap parameter!"},
  {"rgb2map palette", function() imRGB2Map(rgb, m, m) end, "imRGB2Map: invalid palette parameter!"},
  {"rgb2map sizes", function() imRGB2Map(rgb, wide, p) end, "imRGB2Map: images have incompatible dimensions!"},
  {"map2rgb extra", function() imMap2RGB(m, p, rgb, 1) end, "imMap2RGB: too many parameters!"},
  {"map2rgb source", function() imMap2RGB(rgb, p, rgb) end, "imMap2RGB: invalid imagemap parameter!"},
  {"map2rgb palette", function() imMap2RGB(m, dead_pal, rgb) end, "imMap2RGB: invalid palette parameter!"},
  {"map2rgb target", function() imMap2RGB(m, p, dead_rgb) end, "imMap2RGB: invalid imagergb parameter!"},
  {"map2rgb sizes", function() imMap2RGB(m, p, rgb_wide) end, "imMap2RGB: images have incompatible dimensions!"},
  {"map2gray extra", function() imMap2Gray(m, p, g, grays, 1) end, "imMap2Gray: too many parameters!"},
  {"map2gray source", function() imMap2Gray(rgb, p, g, grays) end, "imMap2Gray: invalid imagemap parameter!"},
  {"map2gray palette", function() imMap2Gray(m, c, g, grays) end, "imMap2Gray: invalid palette parameter!"},
  {"map2gray target", function() imMap2Gray(m, p, grays, grays) end, "imMap2Gray: invalid graymap parameter!"},
  {"map2gray grays", function() imMap2Gray(m, p, g, g) end, "imMap2Gray: invalid grays parameter!"},
  {"map2gray sizes", function() imMap2Gray(m, p, wide, grays) end, "imMap2Gray: images have incompatible dimensions!"},
  {"map2gray 255 grays", function() imMap2Gray(m, p, g, few_grays) end, "imMap2Gray: grays palette should be of size 256!"},
  {"rgb2gray extra", function() imRGB2Gray(rgb, g, grays, 1) end, "imRGB2Gray: too many parameters!"},
  {"rgb2gray source", function() imRGB2Gray(m, g, grays) end, "imRGB2Gray: invalid imagergb parameter!"},
  {"rgb2gray target", function() imRGB2Gray(rgb, dead_map, grays) end, "imRGB2Gray: invalid graymap parameter!"},
  {"rgb2gray grays", function() imRGB2Gray(rgb, g, nil) end, "imRGB2Gray: invalid grays parameter!"},
  {"rgb2gray sizes", function() imRGB2Gray(rgb, wide, grays) end, "imRGB2Gray: images have incompatible dimensions!"},
  {"rgb2gray 4 grays", function() imRGB2Gray(rgb, g, p) end, "imRGB2Gray: grays palette should be of size 256!"},
  {"stretch extra", function() imStretch(m, m, m) end, "imStretch: too many parameters!"},
  {"stretch mixed", function() imStretch(rgb, m) end, "imStretch: inconsistent parameters!"},
  {"stretch killed", function() imStretch(m, dead_map) end, "imStretch: inconsistent parameters!"},
  {"stretch palettes", function() imStretch(p, p) end, "imStretch: inconsistent parameters!"},
  {"resize extra", function() imResize(rgb, rgb, rgb) end, "imResize: too many parameters!"},
  {"resize maps", function() imResize(m, m) end, "imResize: parameters must be of type imagergb_tag!"},
  {"resize killed", function() imResize(rgb, dead_rgb) end, "imResize: parameters must be of type imagergb_tag!"},
  -- image map cells
  {"map value 256", function() m[0] = 256 end, tag("imagemap_tag", "settable", "value should be in range [0, 255]")},
  {"map value -1", function() m[0] = -1 end, tag("imagemap_tag", "settable", "value should be in range [0, 255]")},
  {"map value text", function() m[0] = "x" end, tag("imagemap_tag", "settable", "value should be a number")},
  {"map value nil", function() m[0] = nil end, tag("imagemap_tag", "settable", "value should be a number")},
  {"map set key text", function() m.x = 1 end, tag("imagemap_tag", "settable", "index should be a number")},
  {"map set at size", function() m[12] = 1 end, tag("imagemap_tag", "settable", "index is out of bounds")},
  {"map set at -1", function() m[-1] = 1 end, tag("imagemap_tag", "settable", "index is out of bounds")},
  {"map set killed", function() dead_map[0] = 1 end, tag("imagemap_tag", "settable", "invalid imagemap_tag object")},
  {"map get key text", function() return m.x end, tag("imagemap_tag", "gettable", "index should be a number")},
  {"map get at size", function() return m[12] end, tag("imagemap_tag", "gettable", "index is out of bounds")},
  {"map get NaN", function() return m[0 / 0] end, tag("imagemap_tag", "gettable", "index is out of bounds")},
  {"map get huge", function() return m[2 ^ 40] end, tag("imagemap_tag", "gettable", "index is out of bounds")},
  {"map get killed", function() return dead_map[0] end, tag("imagemap_tag", "gettable", "invalid imagemap_tag object")},
  -- palette cells
  {"palette set number", function() p[0] = 5 end, tag("palette_tag", "settable", "value should be of type color_tag")},
  {"palette set map", function() p[0] = m end, tag("palette_tag", "settable", "value should be of type color_tag")},
  {"palette set key text", function() p.x = c end, tag("palette_tag", "settable", "index should be a number")},
  {"palette set at size", function() p[4] = c end, tag("palette_tag", "settable", "index is out of bounds")},
  {"palette set killed", function() dead_pal[0] = c end, tag("palette_tag", "settable", "invalid palette_tag object")},
  {"palette get key text", function() return p.x end, tag("palette_tag", "gettable", "index should be a number")},
  {"palette get at size", function() return p[4] end, tag("palette_tag", "gettable", "index is out of bounds")},
  {"palette get at -1", function() return p[-1] end, tag("palette_tag", "gettable", "index is out of bounds")},
  {"palette get killed", function() return dead_pal[0] end, tag("palette_tag", "gettable", "invalid palette_tag object")},
  -- RGB image channels by name
  {"rgb channel number", function() return rgb[1] end, tag("imagergb_tag", "gettable", "index should be a channel name")},
  {"rgb channel x", function() return rgb.x end, tag("imagergb_tag", "gettable", "index is an invalid channel name")},
  {"rgb channel empty", function() return rgb[""] end, tag("imagergb_tag", "gettable", "index is an invalid channel name")},
  {"rgb has no alpha", function() return rgb.alpha end, tag("imagergb_tag", "gettable", "index is an invalid channel name")},
  {"rgb killed", function() return dead_rgb.r end, tag("imagergb_tag", "gettable", "invalid imagergb_tag object")},
  -- channel cells
  {"channel set at size", function() ch[12] = 0 end, tag("channel_tag", "settable", "index is out of bounds")},
  {"channel set key text", function() ch.x = 0 end, tag("channel_tag", "settable", "index should be a number")},
  {"channel value 256", function() ch[0] = 256 end, tag("channel_tag", "settable", "value should be in range [0, 255]")},
  {"channel value NaN", function() ch[0] = 0 / 0 end, tag("channel_tag", "settable", "value should be in range [0, 255]")},
  {"channel value text", function() ch[0] = "v" end, tag("channel_tag", "settable", "value should be a number")},
  {"channel get at size", function() return ch[12] end, tag("channel_tag", "gettable", "index is out of bounds")},
  {"channel get key text", function() return ch.x end, tag("channel_tag", "gettable", "index should be a number")},
  {"channel of killed image get", function() return orphan[0] end, tag("channel_tag", "gettable", "invalid channel_tag object")},
  {"channel of killed image set", function() orphan[0] = 1 end, tag("channel_tag", "settable", "invalid channel_tag object")},
  -- "gc" called by hand on something else
  {"gc map", function() getmetatable(m).__gc(p) end, tag("imagemap_tag", "gc", "invalid imagemap_tag object")},
  {"gc palette", function() getmetatable(p).__gc(m) end, tag("palette_tag", "gc", "invalid palette_tag object")},
  {"gc rgb", function() getmetatable(rgb).__gc({}) end, tag("imagergb_tag", "gc", "invalid imagergb_tag object")},
}

finish()
