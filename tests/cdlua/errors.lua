-- Misuse of the canvas binding: each call and the exact message it raises;
-- then the binding's globals and the life of canvases around the void canvas.
dofile("harness.lua")

local image = imCreateImageRGB(4, 4)
local map = imCreateImageMap(4, 4)
local killed = cdCreateCanvas(CD_IMAGERGB, imCreateImageRGB(2, 2))
cdKillCanvas(killed)
local stipple = cdCreateStipple(2, 3)
local f = function() return 0 end

check_errors({
  {"driver not a number", function() cdCreateCanvas("ps", "x") end, "cdCreateCanvas: invalid driver parameter!"},
  {"driver beyond the table", function() cdCreateCanvas(99, "x") end, "cdCreateCanvas: unknown driver!"},
  {"negative driver", function() cdCreateCanvas(-1, "x") end, "cdCreateCanvas: unknown driver!"},
  {"NaN driver", function() cdCreateCanvas(0 / 0) end, "cdCreateCanvas: unknown driver!"},
  {"driver 2^63", function() cdCreateCanvas(2 ^ 63, "x") end, "cdCreateCanvas: unknown driver!"},
  {"driver -huge", function() cdCreateCanvas(-math.huge, "x") end, "cdCreateCanvas: unknown driver!"},
  -- the world and second names of an operation name themselves
  {"wdActivate names itself", function() wdActivate(3) end, "wdActivate: invalid canvas parameter!"},
  {"wdBegin names itself", function() wdBegin("x") end, "wdBegin: invalid mode parameter!"},
  {"wdMM2Pixel names itself", function() wdMM2Pixel("x", 1) end, "wdMM2Pixel: invalid mm_dx parameter!"},
  {"cdScrollImage names itself", function() cdScrollImage("x") end, "cdScrollImage: invalid scroll area parameter!"},
  {"file driver without a string", function() cdCreateCanvas(CD_PS, 3) end, "cdCreateCanvas CD_PS: data should be of type string!"},
  {"native window without userdata", function() cdCreateCanvas(CD_NATIVEWINDOW, "w") end, "cdCreateCanvas CD_NATIVEWINDOW: data should be of type userdata!"},
  {"image canvas without an image", function() cdCreateCanvas(CD_IMAGERGB, map) end, "cdCreateCanvas CD_IMAGERGB: data should be of type imagergb_tag!"},
  {"image canvas on a killed image", function()
     local i = imCreateImageRGB(2, 2); imKillImageRGB(i); cdCreateCanvas(CD_IMAGERGB, i) end,
   "cdCreateCanvas CD_IMAGERGB: data should be of type imagergb_tag!"},
  {"too many for a file driver", function() cdCreateCanvas(CD_PS, "x.ps", 1) end, "cdCreateCanvas: too many parameters!"},
  {"activate a number", function() cdActivate(3) end, "cdActivate: invalid canvas parameter!"},
  {"activate a killed canvas", function() cdActivate(killed) end, "cdActivate: attempt to activate a killed canvas!"},
  {"activate with more", function() cdActivate(nil, 1) end, "cdActivate: too many parameters!"},
  {"kill nil", function() cdKillCanvas(nil) end, "cdKillCanvas: attempt to kill a NIL canvas!"},
  {"kill a number", function() cdKillCanvas(1) end, "cdKillCanvas: invalid canvas parameter!"},
  {"kill twice", function() cdKillCanvas(killed) end, "cdKillCanvas: attempt to kill a killed canvas!"},
  {"kill with more", function() cdKillCanvas(cdActiveCanvas(), 2) end, "cdKillCanvas: too many parameters!"},
  {"kill the void canvas", function() cdKillCanvas(cdActiveCanvas()) end, "cdKillCanvas: trying to kill the void canvas???"},
  {"restore nil", function() cdRestoreState(nil) end, "cdRestoreState: attempt to restore a NIL state!"},
  {"colour component a string", function() cdEncodeColor("a", 0, 0) end, "cdEncodeColor: invalid color component parameter!"},
  {"colour component missing", function() cdEncodeColor(1, 2) end, "cdEncodeColor: invalid color component parameter!"},
  {"colour component 256", function() cdEncodeColor(256, 0, 0) end, "cdEncodeColor: color components values should be in range [0, 255]!"},
  {"colour component -1", function() cdEncodeColor(0, 0, -1) end, "cdEncodeColor: color components values should be in range [0, 255]!"},
  {"colour with more", function() cdEncodeColor(0, 0, 0, 0) end, "cdEncodeColor: too many parameters!"},
  {"pixel at a fraction", function() cdPixel(1.5, 2, CD_RED) end, "cdPixel: pixel coordinates should be integers!"},
  {"pixel colour a number", function() cdPixel(1, 2, 0xFF0000) end, "cdPixel: invalid color parameter!"},
  {"negative target region", function() cdPutImageRectRGB(image, 0, 0, -1, 4, 0, 0, 0, 0) end, "cdPutImageRectRGB: target region dimensions should be positive integers!"},
  {"map without palette", function() cdRGB2Map(image, map, nil) end, "cdRGB2Map: NIL pallete!"},
  {"get a NIL extended image", function() cdGetImageEx(nil, 0, 0) end, "cdGetImageEx: attempt to get NIL image"},
  {"matrix not a table", function() cdVectorTextTransform(3) end, "cdVectorTextTransform: invalid table parameter!"},
  {"matrix with a string", function() cdVectorTextTransform({1, 0, 0, 0, 1, "x"}) end, "cdVectorTextTransform: invalid value!"},
  {"matrix too short", function() cdVectorTextTransform({1, 0, 0}) end, "cdVectorTextTransform: invalid value!"},
  {"play an unknown driver", function() cdPlay(99, 0, 1, 0, 1, "f") end, "cdPlay: unknown driver!"},
  {"play a bad viewport", function() cdPlay(CD_METAFILE, 0, "a", 0, 1, "f") end, "cdPlay: invalid viewport!"},
  {"play without a file name", function() cdPlay(CD_METAFILE, 0, 1, 0, 1, 7) end, "cdPlay: data should be of type string!"},
  {"callback driver", function() cdRegisterCallback("x", CD_SIZECB, f) end, "cdRegisterCallback: invalid driver parameter!"},
  {"callback id", function() cdRegisterCallback(CD_CGM, "x", f) end, "cdRegisterCallback: invalid cb parameter!"},
  {"callback function", function() cdRegisterCallback(CD_CGM, CD_SIZECB, 3) end, "cdRegisterCallback: invalid func parameter!"},
  {"zero stipple", function() cdCreateStipple(0, 4) end, "cdCreateStipple: stipple dimensions should be positive integers!"},
  {"fractional pattern", function() cdCreatePattern(2.5, 4) end, "cdCreatePattern: pattern dimensions should be positive integers!"},
  {"stipple cell 2", function() stipple[0] = 2 end, "stipple_tag \"settable\": value should belong to {0, 1}!"},
  {"stipple past its end", function() stipple[6] = 1 end, "stipple_tag \"settable\": index is out of bounds!"},
  {"stipple read past its end", function() return stipple[-1] end, "stipple_tag \"gettable\": index is out of bounds!"},
  {"draw on the void canvas", function() cdLine(0, 0, 1, 1) end, "cdlua: there is no active canvas!"},
  {"set attributes on the void canvas", function() cdForeground(CD_RED) end, "cdlua: there is no active canvas!"},
  {"vector text on the void canvas", function() cdVectorText(0, 0, "a") end, "cdlua: there is no active canvas!"},
  {"world line on the void canvas", function() wdLine(0, 0, 1, 1) end, "cdlua: there is no active canvas!"},
  {"printer setting without a key", function() cdPrinterSetting(nil, "x") end, "cdPrinterSetting: invalid key parameter!"},
  {"printer setting of a table", function() cdPrinterSetting("printer", {}) end, "cdPrinterSetting: invalid value parameter!"},
  {"printer setting with a third value", function() cdPrinterSetting("a", "b", "c") end, "cdPrinterSetting: too many parameters!"},
})

-- Globals and values.
check_eq(CDLUA_INSTALLED, 1, "CDLUA_INSTALLED")
check_eq(CDLUA_COLOR_TAG, IMLUA_COLOR_TAG, "colours shared with the image binding")
check_eq(CDLUA_IMAGERGB_TAG, IMLUA_IMAGERGB_TAG, "RGB images shared with the image binding")
check(CDLUA_CANVAS_TAG ~= CDLUA_STATE_TAG, "own kinds have their own tags")
check_eq(cdEncodeColor(255, 0, 0), CD_RED, "equal colours are equal values")
check_eq(cdEncodeColor(1.9, 2, 3), cdEncodeColor(1, 2, 3), "components truncate")
check_eq(imEncodeColor(0, 128, 128), CD_DARK_CYAN, "image colours are canvas colours")
local r, g, b = cdDecodeColor(CD_GRAY)
check_eq(string.format("%d %d %d", r, g, b), "192 192 192", "decode")
check_eq(cdRed(CD_MAGENTA) + cdGreen(CD_MAGENTA) + cdBlue(CD_MAGENTA), 510, "components")
check_eq(cdVersion(), "CDLua 1.3, 4.0", "version")
local drivers = {"CD_IMAGE", "CD_IMAGERGB", "CD_DXF", "CD_DGN", "CD_CGM", "CD_METAFILE", "CD_PS",
                 "CD_CLIPBOARD", "CD_NATIVEWINDOW", "CD_PRINTER", "CD_WMF", "CD_EMF", "CD_IUP"}
for number, name in ipairs(drivers) do check_eq(_G[name], number - 1, name) end
check_eq(CD_CGMBEGMTFCB, 6, "callback numbers")
cdPrinterSetting("printer", "Print to File")
cdPrinterSetting("printer", nil)
check_eq(cdCreateCanvas(CD_PRINTER, "printer"), nil, "no printer without a display, whatever the settings")
check_eq(cdRegisterCallback(CD_PRINTER, CD_SIZECB, f), CD_ERROR, "the printer takes no callbacks")
check_eq(cdRegisterCallback(CD_CLIPBOARD, CD_SIZECB + 1, f), CD_ERROR, "the clipboard takes only CD_SIZECB")
check_eq(cdContextCaps(CD_PRINTER) & (CD_CAP_PLAY | CD_CAP_CLEAR), 0, "the printer neither plays nor clears")

-- Canvases around the void canvas.
check_eq(cdActivate(nil), CD_OK, "nil activates the void canvas")
local a = cdCreateCanvas(CD_IMAGERGB, imCreateImageRGB(3, 3))
local void = cdActiveCanvas()
check(void ~= nil and void ~= a, "the void canvas stays active after creating one")
cdActivate(a)
check_eq(cdGetContext(a), CD_IMAGERGB, "context of a canvas is its driver number")
local state = cdSaveState()
cdRestoreState(state)
check_error(function() cdRestoreState(state) end, "cdRestoreState: attempt to restore a killed state!", "a state is restored once")
check_error(function() cdActivate(killed) end, "cdActivate: attempt to activate a killed canvas!")
check_eq(cdActiveCanvas(), void, "a failed activation leaves the void canvas active")
check_eq(wdActivate(a), CD_OK, "the world name activates as cdActivate does")
check_eq(cdActiveCanvas(), a, "and the canvas is active")
cdActivate(a)
cdKillCanvas(a)
check_eq(cdActiveCanvas(), void, "killing the active canvas activates the void canvas")
check_error(function() cdKillCanvas(a) end, "cdKillCanvas: attempt to kill a killed canvas!")

-- Stipples and patterns as tables of cells.
stipple[5] = 1
check_eq(stipple[5] + stipple[0], 1, "stipple cells start at 0")
local pattern = cdCreatePattern(2, 2)
pattern[3] = CD_BLUE
check_eq(pattern[3], CD_BLUE, "pattern cells hold colours")
check_eq(pattern[0], CD_BLACK, "patterns start black")
check_error(function() pattern[0] = 5 end, "pattern_tag \"settable\": value should be of type color_tag!")
cdKillStipple(stipple)
check_error(function() cdKillStipple(stipple) end, "cdKillStipple: attempt to kill a killed stipple!")

-- The wrappers that share one body per family keep each name's own words.
local rgba = cdCreateImageRGBA(2, 2)
local palette = cdCreatePalette(4)
local spare_stipple = cdCreateStipple(1, 1)
check_errors({
  {"kill a NIL pattern", function() cdKillPattern(nil) end, "cdKillPattern: attempt to kill a NIL pattern!"},
  {"kill a pattern as a stipple", function() cdKillStipple(pattern) end, "cdKillStipple: invalid stipple parameter!"},
  {"kill a stipple with more", function() cdKillStipple(spare_stipple, 1) end, "cdKillStipple: too many parameters!"},
  {"zero pattern height", function() cdCreatePattern(3, 0) end, "cdCreatePattern: pattern dimensions should be positive integers!"},
  {"window corner a string", function() wdWindow(0, 1, "a", 1) end, "wdWindow: invalid window parameter!"},
  {"clip area missing a value", function() wdClipArea(0, 1, 0) end, "wdClipArea: invalid clip area parameter!"},
  {"world box with more", function() wdBox(0, 1, 0, 1, 0) end, "wdBox: too many parameters!"},
  {"viewport read with an argument", function() wdGetViewport(1) end, "wdGetViewport: too many parameters!"},
  {"window read with an argument", function() wdGetWindow(1) end, "wdGetWindow: too many parameters!"},
  {"font metrics with an argument", function() wdFontDim(1) end, "wdFontDim: too many parameters!"},
  {"text size of nothing", function() wdTextSize(nil) end, "wdTextSize: invalid text parameter!"},
  {"vector text size with more", function() wdGetVectorTextSize("a", 1) end, "wdGetVectorTextSize: too many parameters!"},
  {"vector text size a string", function() wdVectorTextSize("a", 1, "x") end, "wdVectorTextSize: invalid size parameter!"},
  {"vector text without text", function() wdVectorText(1, 1) end, "wdVectorText: invalid text parameter!"},
  {"world stipple from a pattern", function() wdStipple(pattern, 1, 1) end, "wdStipple: invalid stipple parameter!"},
  {"world pattern size a string", function() wdPattern(pattern, "a", 1) end, "wdPattern: invalid size parameter!"},
  {"RGB put with more", function() cdPutImageRGB(image, 0, 0, 2, 2, 0) end, "cdPutImageRGB: too many parameters!"},
  {"RGBA put of an RGB image", function() cdPutImageRGBA(image, 0, 0, 2, 2) end, "cdPutImageRGBA: invalid imagergba parameter!"},
  {"RGBA rectangle put without its rectangle", function() cdPutImageRectRGBA(rgba, 0, 0, 2, 2) end, "cdPutImageRectRGBA: invalid image rectangle parameter!"},
  {"map put with a fractional size", function() cdPutImageMap(map, palette, 0, 0, 1.5, 2) end, "cdPutImageMap: target region dimensions should be positive integers!"},
  {"map rectangle put with more", function() cdPutImageRectMap(map, palette, 0, 0, 1, 1, 0, 0, 0, 0, 1) end, "cdPutImageRectMap: too many parameters!"},
  {"map put without a palette", function() cdPutImageMap(map, nil, 0, 0, 1, 1) end, "cdPutImageMap: attempt to use a NIL palette!"},
  {"world RGB put of an RGBA image", function() wdPutImageRectRGB(rgba, 0, 0, 1, 1, 0, 0, 0, 0) end, "wdPutImageRectRGB: invalid imagergb parameter!"},
  {"world RGBA put with a negative size", function() wdPutImageRectRGBA(rgba, 0, 0, -1, 1, 0, 0, 0, 0) end, "wdPutImageRectRGBA: target region dimensions should be positive!"},
  {"world RGBA put on the void canvas", function() wdPutImageRectRGBA(rgba, 0, 0, 1, 1, 0, 0, 0, 0) end, "cdlua: there is no active canvas!"},
})

-- and draw what their names say: a map through its palette, an RGBA image
-- blended, the rectangle forms taking their part of the image
local target = imCreateImageRGB(4, 2)
local cv = cdCreateCanvas(CD_IMAGERGB, target)
cdActivate(cv)
palette[0] = CD_RED
palette[1] = CD_BLUE
map[0] = 1
cdPutImageMap(map, palette, 0, 0, 4, 4) -- the 4 x 4 map shrinks into 4 x 2: its rows 0 and 2
check_eq(target.b[0], 255, "map cell 0 is palette entry 1")
check_eq(target.r[1], 255, "map cell 1 is palette entry 0")
rgba.r[3], rgba.g[3], rgba.b[3], rgba.a[3] = 0, 255, 0, 255
rgba.a[2] = 0
cdPutImageRectRGBA(rgba, 2, 0, 1, 1, 1, 1, 1, 1) -- only pixel (1, 1) of the image
check_eq(target.g[2], 255, "the rectangle's one pixel lands at (2, 0)")
check_eq(target.r[2], 0, "and replaces the map's red there")
cdPutImageRectRGBA(rgba, 3, 0, 1, 1, 0, 0, 1, 1) -- pixel (0, 1), alpha 0
check_eq(target.r[3], 255, "alpha 0 keeps what was there")
cdBackground(CD_WHITE)
cdClear()
wdWindow(0, 4, 0, 2)
wdViewport(0, 4, 0, 2)
wdPutImageRectMap(map, palette, 0, 0, 4, 2, 0, 3, 0, 3) -- world units of one pixel
check_eq(table.concat({target.r[0], target.b[0], target.r[1], target.b[1]}, " "), "0 255 255 0", "the world put shows the map too")
wdViewport(0, 3, 0, 1)
local x1, x2, y1, y2 = wdGetViewport()
check_eq(x2 - x1 + 1, 4, "the viewport spans the canvas")
check_eq(select("#", wdFontDim()), 4, "four font metrics")
cdKillCanvas(cv)

-- Extended images hand out their planes as channels by name.
local ex = cdCreateImageEx(3, 2, CD_RGB)
local exa = cdCreateImageEx(3, 2, CD_RGBA)
local exmap = cdCreateImageEx(3, 2, CD_MAP)
ex.r[0], ex.Green[0], ex.b[0] = 200, 100, 50
ex.b[5] = 255
check_eq(ex.r[0] + ex.g[0] + ex.blue[0] + ex.b[5], 605, "channel cells keep what is stored")
exa.a[5] = 128
check_eq(exa.alpha[5], 128, "an RGBA extended image has an alpha channel")
local red = ex.r
check_errors({
  {"an RGB image has no alpha", function() return ex.a end, "imageex_tag \"gettable\": index is an invalid channel name!"},
  {"a map has no red plane", function() return exmap.r end, "imageex_tag \"gettable\": index is an invalid channel name!"},
  {"a number is no channel name", function() return ex[1] end, "imageex_tag \"gettable\": index should be a channel name!"},
  {"an empty name", function() return ex[""] end, "imageex_tag \"gettable\": index is an invalid channel name!"},
  {"past the plane", function() return red[6] end, "channel_tag \"gettable\": index is out of bounds!"},
  {"below the plane", function() red[-1] = 0 end, "channel_tag \"settable\": index is out of bounds!"},
  {"a value over 255", function() red[0] = 256 end, "channel_tag \"settable\": value should be in range [0, 255]!"},
  {"a value not a number", function() red[0] = "x" end, "channel_tag \"settable\": value should be a number!"},
})
local shown = cdCreateImageRGB(3, 2)
local canvas = cdCreateCanvas(CD_IMAGERGB, shown)
cdActivate(canvas)
cdPutImageEx(ex, 0, 0, 3, 2)
check_eq(shown.r[0] * 65536 + shown.g[0] * 256 + shown.b[0], 200 * 65536 + 100 * 256 + 50, "the channels are the planes put")
check_eq(shown.b[5], 255, "cell 5 is the top right pixel")
cdKillCanvas(canvas)
cdKillImageEx(ex)
check_error(function() return red[0] end, "channel_tag \"gettable\": invalid channel_tag object!")
check_error(function() return ex.r end, "imageex_tag \"gettable\": invalid imageex_tag object!")

-- An RGB-type extended image takes a canvas of its own; killed first, it
-- is gone for the script while the canvas still draws into its planes.
local target_ex = cdCreateImageEx(4, 3, CD_RGBA)
local on_ex = cdCreateCanvas(CD_IMAGERGB, target_ex)
check(on_ex ~= nil, "a canvas on an RGBA extended image")
check_error(function() cdCreateCanvas(CD_IMAGERGB, exmap) end,
            "cdCreateCanvas CD_IMAGERGB: data should be of type imagergb_tag!")
cdActivate(on_ex)
cdForeground(cdEncodeColor(10, 20, 30))
cdBox(0, 3, 0, 2)
check_eq(target_ex.r[11] .. " " .. target_ex.g[0] .. " " .. target_ex.b[5], "10 20 30", "the canvas drew into the planes")
cdKillImageEx(target_ex)
check_error(function() cdKillImageEx(target_ex) end, "cdKillImageEx: attempt to kill a killed image!")
cdForeground(cdEncodeColor(1, 2, 3))
cdBox(0, 3, 0, 2)
local back = cdCreateImageRGB(4, 3)
cdGetImageRGB(back, 0, 0)
check_eq(back.r[7] .. " " .. back.b[7], "1 3", "drawing after the kill still lands in live planes")
cdKillCanvas(on_ex)

finish()
