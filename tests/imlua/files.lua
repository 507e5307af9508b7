-- Loading and saving through the image binding: round trips, detection,
-- and images whose size does not match the file.
dofile("harness.lua")

local function sample_map(width, height, colours)
  local m = imCreateImageMap(width, height)
  for i = 0, width * height - 1 do m[i] = (i * 7) % colours end
  local p = imCreatePalette(colours)
  for i = 0, colours - 1 do p[i] = imEncodeColor(i * 40 % 256, 255 - i, i * 3) end
  return m, p
end

local function same_map(a, b, count)
  for i = 0, count - 1 do if a[i] ~= b[i] then return false end end
  return true
end

-- image maps: save, detect, read the information, load back
local map_cases = {
  {"bmp", IM_BMP, IM_NONE, 0},
  {"bmp rle8", IM_BMP, IM_DEFAULT, 1},
  {"led", IM_LED, IM_NONE, 0},
}
for _, case in ipairs(map_cases) do
  local name, format, compression, flag = case[1], case[2], case[3], case[4]
  local file = "map_" .. name:gsub(" ", "_") .. ".img"
  local m, p = sample_map(5, 3, 6)
  check_eq(imSaveMap(m, p, format, compression, file), IM_ERR_NONE, name .. ": save")
  local id, compressed, error = imFileFormat(file)
  check(id == format and compressed == flag and error == IM_ERR_NONE,
        name .. ": imFileFormat gives " .. tostring(id) .. ", " .. tostring(compressed))
  local w, h, kind, count, info_error = imImageInfo(file)
  check(w == 5 and h == 3 and kind == IM_MAP and count >= 6 and info_error == IM_ERR_NONE,
        name .. ": imImageInfo")
  local m2 = imCreateImageMap(5, 3)
  local p2 = imCreatePalette(256)
  check_eq(imLoadMap(file, m2, p2), IM_ERR_NONE, name .. ": load")
  check(same_map(m, m2, 15), name .. ": indices come back")
  check(same_map(p, p2, 6), name .. ": colours come back")
end

-- a file whose size does not fit the objects is refused before loading
local m, p = sample_map(5, 3, 6)
imSaveMap(m, p, IM_LED, IM_NONE, "fit.led")
local rgb53 = imCreateImageRGB(5, 3)
imMap2RGB(m, p, rgb53)
imSaveRGB(rgb53, IM_BMP, IM_NONE, "fit.bmp")
local untouched = imCreateImageMap(3, 5)
check_errors {
  {"map of other shape", function() imLoadMap("fit.led", untouched, imCreatePalette(256)) end,
   "imLoadMap: imagemap dimensions do not match the file!"},
  {"map too small", function() imLoadMap("fit.led", imCreateImageMap(4, 3), imCreatePalette(256)) end,
   "imLoadMap: imagemap dimensions do not match the file!"},
  {"palette too small", function() imLoadMap("fit.led", imCreateImageMap(5, 3), imCreatePalette(5)) end,
   "imLoadMap: palette is too small for the file!"},
  {"rgb too small", function() imLoadRGB("fit.bmp", imCreateImageRGB(5, 2)) end,
   "imLoadRGB: imagergb dimensions do not match the file!"},
  {"rgb too large", function() imLoadRGB("fit.led", imCreateImageRGB(6, 3)) end,
   "imLoadRGB: imagergb dimensions do not match the file!"},
}
check_eq(untouched[0], 0, "a refused load writes nothing")
-- a palette larger than the file's is fine
check_eq(imLoadMap("fit.led", imCreateImageMap(5, 3), imCreatePalette(7)), IM_ERR_NONE,
         "a larger palette")

-- RGB images
local back = imCreateImageRGB(5, 3)
check_eq(imLoadRGB("fit.bmp", back), IM_ERR_NONE, "load a 24-bit bmp")
local same = true
for _, plane in ipairs({"r", "g", "b"}) do
  for i = 0, 14 do if back[plane][i] ~= rgb53[plane][i] then same = false end end
end
check(same, "rgb bmp round trip")
local expanded = imCreateImageRGB(5, 3)
check_eq(imLoadRGB("fit.led", expanded), IM_ERR_NONE, "an indexed file loads as rgb")
check(expanded.r[4] == back.r[4] and expanded.b[14] == back.b[14], "expanded through its palette")
check_eq(imLoadMap("fit.bmp", imCreateImageMap(5, 3), imCreatePalette(256)), IM_ERR_TYPE,
         "a true-colour file into a map is a type error, not a script error")

-- failures come back as codes
local id, compressed, error = imFileFormat("missing.bmp")
check(id == nil and compressed == nil and (error == IM_ERR_OPEN or error == IM_ERR_FORMAT),
      "imFileFormat of a missing file")
local w, h, kind, count, info_error = imImageInfo("missing.bmp")
check(w == nil and h == nil and kind == nil and count == nil and
      (info_error == IM_ERR_OPEN or info_error == IM_ERR_FORMAT), "imImageInfo of a missing file")
local load_error = imLoadMap("missing.bmp", imCreateImageMap(1, 1), imCreatePalette(2))
check(load_error == IM_ERR_OPEN or load_error == IM_ERR_FORMAT, "imLoadMap of a missing file")
local junk = io.open("junk.bin", "wb"); junk:write(string.rep("junk", 64)); junk:close()
check_eq(select(3, imFileFormat("junk.bin")), IM_ERR_FORMAT, "a file no driver knows")
check_eq(imSaveRGB(rgb53, IM_LED, IM_NONE, "rgb.led"), IM_ERR_TYPE, "LED takes maps only")

-- any compression counts as compressed: a PackBits TIFF is reported 512 by
-- the library and 1 here. A 2 x 1 grey image, little-endian.
local function packbits_tiff()
  local entries = {
    {256, 3, 1, 2},        -- width
    {257, 3, 1, 1},        -- height
    {258, 3, 1, 8},        -- bits per sample
    {259, 3, 1, 32773},    -- compression: PackBits
    {262, 3, 1, 1},        -- min-is-black
    {273, 4, 1, 0},        -- strip offset, filled below
    {277, 3, 1, 1},        -- samples per pixel
    {278, 3, 1, 1},        -- rows per strip
    {279, 4, 1, 3},        -- strip byte count
  }
  local ifd_size = 2 + #entries * 12 + 4
  local data_offset = 8 + ifd_size
  local parts = {string.pack("<c2I2I4", "II", 42, 8), string.pack("<I2", #entries)}
  for _, e in ipairs(entries) do
    local value = e[1] == 273 and data_offset or e[4]
    if e[2] == 3 then
      parts[#parts + 1] = string.pack("<I2I2I4I2I2", e[1], e[2], e[3], value, 0)
    else
      parts[#parts + 1] = string.pack("<I2I2I4I4", e[1], e[2], e[3], value)
    end
  end
  parts[#parts + 1] = string.pack("<I4", 0)
  parts[#parts + 1] = string.pack("<i1BB", 1, 10, 200)  -- two literal bytes
  return table.concat(parts)
end
local tif = io.open("packbits.tif", "wb"); tif:write(packbits_tiff()); tif:close()
id, compressed, error = imFileFormat("packbits.tif")
check(id == IM_TIF and compressed == 1 and error == IM_ERR_NONE,
      "a PackBits TIFF is compressed: got " .. tostring(id) .. ", " .. tostring(compressed))

finish()
