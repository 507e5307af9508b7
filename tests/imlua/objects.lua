-- The image binding's objects: constants, colours, cells, channels, kill
-- and collection, conversions and scaling.
dofile("harness.lua")

-- globals
check_eq(IMLUA_INSTALLED, 1, "IMLUA_INSTALLED")
local tags = {IMLUA_COLOR_TAG, IMLUA_IMAGERGB_TAG, IMLUA_IMAGERGBA_TAG, IMLUA_IMAGEMAP_TAG,
              IMLUA_PALETTE_TAG, IMLUA_CHANNEL_TAG}
local seen = {}
for k = 1, 6 do
  check(math.type(tags[k]) == "integer", "tag " .. k .. " is an integer")
  check(tags[k] ~= nil and not seen[tags[k]], "tag " .. k .. " is distinct")
  if tags[k] then seen[tags[k]] = true end
end
local constants = {
  {"IM_BMP", 0}, {"IM_PCX", 1}, {"IM_GIF", 2}, {"IM_TIF", 3}, {"IM_RAS", 4}, {"IM_SGI", 5},
  {"IM_JPG", 6}, {"IM_LED", 7}, {"IM_TGA", 8}, {"IM_NONE", 0}, {"IM_DEFAULT", 1},
  {"IM_COMPRESSED", 2}, {"IM_RGB", 0}, {"IM_MAP", 1}, {"IM_ERR_NONE", 0}, {"IM_ERR_OPEN", 1},
  {"IM_ERR_READ", 2}, {"IM_ERR_WRITE", 3}, {"IM_ERR_FORMAT", 4}, {"IM_ERR_TYPE", 5},
  {"IM_ERR_COMP", 6},
}
for _, c in ipairs(constants) do check_eq(_G[c[1]], c[2], c[1]) end
check_eq(imVersion(), "IMLua 1.2, 2.2", "imVersion")

-- colours: interned, so equal values are the same object
local red = imEncodeColor(255, 0, 0)
check(red == imEncodeColor(255, 0, 0), "equal colours compare equal")
check(red ~= imEncodeColor(254, 0, 0), "different colours differ")
local by_colour = {[red] = "red"}
check_eq(by_colour[imEncodeColor(255, 0, 0)], "red", "a colour works as a table key")
local r, g, b = imDecodeColor(imEncodeColor(1.9, 2, 3))
check(r == 1 and g == 2 and b == 3, "components are truncated: 1.9 gives 1")
r, g, b = imDecodeColor(imEncodeColor(0, 128, 255))
check(r == 0 and g == 128 and b == 255, "decode gives the components back")
collectgarbage(); collectgarbage()
check(red == imEncodeColor(255, 0, 0), "a colour kept alive stays the interned one")

-- palettes
local p = imCreatePalette(3)
r, g, b = imDecodeColor(p[0])
check(r == 255 and g == 255 and b == 255, "a new palette entry decodes to white")
check(p[0] == p[2], "new entries are equal")
p[1] = red
check(p[1] == red, "a stored colour reads back equal")
check(p[1.7] == red, "a palette index is truncated")

-- image maps
local m = imCreateImageMap(2.9, 3)      -- 2 x 3
check_eq(m[0], 0, "a new map is zero")
m[2.7] = 5.9
check_eq(m[2], 5, "index and value are truncated")
m[5] = 255
check_eq(m[5], 255, "the last cell")
check(not pcall(function() return m[6] end), "a 2.9 x 3 map has 6 cells")

-- sizes beyond 1 Gpixel or beyond int give nil, not an error
check_eq(imCreateImageRGB(65536, 65536), nil, "4 Gpixel rgb")
check_eq(imCreateImageMap(32768, 32769), nil, "just over 1 Gpixel map")
check_eq(imCreateImageMap(1e12, 1e12), nil, "sizes beyond int")
check_eq(imCreatePalette(2 ^ 25), nil, "a palette beyond every 24-bit colour")

-- channels: each stays bound to its own image and plane
local a = imCreateImageRGB(2, 2)
local z = imCreateImageRGB(2, 2)
local ar, zr, ab = a.r, z.R, a.blue
ar[0] = 1
zr[0] = 2
ab[0] = 3
check_eq(ar[0], 1, "a channel keeps its own image after another channel was taken")
check_eq(zr[0], 2, "the other image's channel")
check_eq(ab[0], 3, "another plane of the same image")
check_eq(a.Red[0], 1, "a channel taken again sees the same plane")
check_eq(a.g[0], 0, "planes are separate")
-- a channel keeps its image alive
local lone = imCreateImageRGB(3, 1).g
collectgarbage(); collectgarbage()
lone[2] = 7
check_eq(lone[2], 7, "the channel's image survives collection while the channel lives")

-- kill: the object stays a userdata without buffers
local k = imCreateImageMap(2, 2)
imKillImageMap(k)
check_eq(type(k), "userdata", "a killed map is still a userdata")
check(not pcall(imKillImageMap, k), "a killed map cannot be killed again")
local kr = imCreateImageRGB(2, 2)
local kg = kr.g
imKillImageRGB(kr)
check(not pcall(function() return kg[0] end), "a channel of a killed image refuses access")
-- killed and live objects are collected without trouble
for i = 1, 200 do
  local x = imCreateImageMap(8, 8)
  local y = imCreatePalette(16)
  if i % 2 == 0 then imKillImageMap(x); imKillPalette(y) end
end
collectgarbage(); collectgarbage()
-- calling "gc" by hand releases like a kill; a later kill sees it killed
local h = imCreatePalette(2)
getmetatable(h).__gc(h)
check(not pcall(function() return h[0] end), "a palette released by gc has no colours")
getmetatable(h).__gc(h)

-- conversions
local map = imCreateImageMap(3, 1)
local pal = imCreatePalette(2)
pal[0] = imEncodeColor(10, 20, 30)
pal[1] = imEncodeColor(200, 100, 0)
map[0], map[1], map[2] = 0, 1, 0
local img = imCreateImageRGB(1, 3)     -- same pixel count, other shape
imMap2RGB(map, pal, img)
check(img.r[0] == 10 and img.g[1] == 100 and img.b[2] == 30, "imMap2RGB expands through the palette")

local pure = imCreateImageRGB(3, 1)
pure.r[0], pure.g[1], pure.b[2] = 255, 255, 255
local gray = imCreateImageMap(3, 1)
local grays = imCreatePalette(256)
imRGB2Gray(pure, gray, grays)
check(gray[0] == 76 and gray[1] == 150 and gray[2] == 28, "imRGB2Gray luminance of red, green, blue")
r, g, b = imDecodeColor(grays[200])
check(r == 200 and g == 200 and b == 200, "the grey palette")
imMap2Gray(map, pal, gray, imCreatePalette(300))
check_eq(gray[1], (30 * 200 + 59 * 100) // 100, "imMap2Gray with a larger grey palette")

local back = imCreateImageMap(3, 1)
local found = imCreatePalette(256)
imRGB2Map(pure, back, found)
check(back[0] ~= back[1] and back[1] ~= back[2] and back[0] < 3 and back[1] < 3 and back[2] < 3,
      "imRGB2Map gives three distinct indices below 3")
check(found[back[0]] == imEncodeColor(255, 0, 0) and found[back[2]] == imEncodeColor(0, 0, 255),
      "the palette holds the colours")
imRGB2Map(pure, back, imCreatePalette(1000))   -- a large palette is filled with 256 at most

-- scaling
local small = imCreateImageMap(2, 1)
small[0], small[1] = 4, 9
local big = imCreateImageMap(4, 2)
imStretch(small, big)
check(big[0] == 4 and big[3] == 9 and big[4] == 4 and big[7] == 9, "imStretch of a map")
local one = imCreateImageMap(1, 1)
imStretch(big, one)                             -- a target of one pixel
imStretch(one, big)                             -- and a source of one pixel
check_eq(big[7], one[0], "a one-pixel source fills the target")
local src = imCreateImageRGB(2, 2)
src.g[3] = 77
local dst = imCreateImageRGB(4, 4)
imResize(src, dst)
check_eq(dst.g[15], 77, "imResize stretches every plane")
imStretch(dst, src)
check_eq(src.g[3], 77, "imStretch of rgb images")

finish()
