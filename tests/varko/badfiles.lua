-- Bad project files: each is refused with a clear message naming the file
-- and, for text faults, the line; the open project stays exactly as it was.
dofile("harness.lua")
VarkoDir = "sample"
VarkoNoAutoLoad = true
dofile("sample/varko.lua")
-- the script's modules, under the names this test uses
VarkoUI, VarkoActions, VarkoRoutes, VarkoMap = require("varko_ui"), require("varko_actions"), require("varko_routes"),
                                               require("varko_map")
VarkoProject, VarkoFile, VarkoForms = require("varko_project"), require("varko_file"), require("varko_forms")

-- A tiny project of its own: a 6 x 4 theme with values 1 and 2.
local W, H = 6, 4
dofile("session_common.lua")
local colours = { [1] = imEncodeColor(0, 160, 0), [2] = imEncodeColor(200, 0, 0) }
local function write_map(name, w, h, fn) session.writeMap(name, w, h, fn, colours) end
write_map("theme.bmp", W, H, function(x) return x < 3 and 1 or 2 end)
write_map("small.bmp", W - 1, H, function() return 1 end)
check_eq(imSaveRGB(imCreateImageRGB(W, H), IM_BMP, IM_NONE, "rgb.bmp"), IM_ERR_NONE, "fixture rgb.bmp")

local function project_text(fields)
  return "-- Varko project\nreturn {\n" ..
    "  format = \"Varko project\", version = 1,\n" ..
    "  StudyArea = { left = 0, right = 60, bottom = 0, top = 40 },\n" ..
    "  Scale = { sx = 10, sy = 10 }, Dimension = { w = 6, h = 4 },\n" ..
    "  WeightLimits = { minWeight = 0, maxWeight = 100 }, i = 1, r = 1,\n" ..
    (fields or "") ..
    "  Themes = { { name = \"Soil\", map = \"soil\", weight = 1, file = \"theme.bmp\",\n" ..
    "    Classes = { { colorindex = 1, weight = 5, description = \"Sand\" },\n" ..
    "                { colorindex = 2, weight = 100000, description = \"Rock\" } } } },\n" ..
    "}\n"
end
-- A project of n copies of the theme on a w x h raster (its images are never read).
local function huge_project_text(n, w, h)
  local theme = "{ name = \"Soil\", map = \"soil\", weight = 1, file = \"theme.bmp\",\n" ..
    "  Classes = { { colorindex = 1, weight = 5, description = \"Sand\" } } },\n"
  return "return {\n  format = \"Varko project\", version = 1,\n" ..
    string.format("  StudyArea = { left = 0, right = %d, bottom = 0, top = %d },\n", w * 10, h * 10) ..
    string.format("  Scale = { sx = 10, sy = 10 }, Dimension = { w = %d, h = %d },\n", w, h) ..
    "  WeightLimits = { minWeight = 0, maxWeight = 100 }, i = 1, r = 1,\n" ..
    "  Themes = {\n" .. theme:rep(n) .. "  },\n}\n"
end
local function write(name, text)
  local f = io.open(name, "wb")
  f:write(text)
  f:close()
end

write("good.vrk", project_text("  Unknown = { kept = true },\n"))
check(VarkoActions.openFile("good.vrk"), "the good tiny project opens")
local good = Varko.Project
check_eq(good.Themes[1].numClasses, 2, "classes counted")
check_eq(good.Unknown.kept, true, "an unknown field is read")
local good_text = VarkoFile.text(good)
check(good_text:find("Unknown = { kept = true }", 1, true) ~= nil, "and written back")

-- files that are not plain files would block the load for ever
check(os.execute("mkfifo fifo.vrk fifo.bmp"), "FIFOs made")
local not_allowed = " is not allowed in a project file (only tables, strings, numbers, true and false)"
local cases = {
  { "syntax error", project_text("  x = = 1,\n"), "bad.vrk: line 7: unexpected symbol near '='" },
  { "unclosed table", "return { a = { 1, 2 }\n", "bad.vrk: line 2: the project table is not closed" },
  { "function call", project_text("  x = os.exit(3),\n"), "bad.vrk: line 7: 'os'" .. not_allowed },
  { "function literal", project_text("  f = function() end,\n"), "bad.vrk: line 7: 'function'" .. not_allowed },
  { "global access", project_text("  w = width,\n"), "bad.vrk: line 7: 'width'" .. not_allowed },
  { "code before return", "os.exit(3)\n" .. project_text(), "bad.vrk: line 1: a project file starts with 'return {'" },
  { "code after the table", project_text() .. "print(1)\n", "bad.vrk: line 11: text after the end of the project table" },
  { "concatenation", project_text("  s = \"a\" .. \"b\",\n"), "bad.vrk: line 7: '.' is not allowed in a project file" },
  { "call with a string", project_text("  s = require \"os\",\n"), "bad.vrk: line 7: 'require'" .. not_allowed },
  { "missing theme image", project_text():gsub("theme.bmp", "none.bmp"),
    "bad.vrk: theme 1 (Soil): cannot read the image ./none.bmp (error " .. IM_ERR_OPEN .. ")" },
  { "theme image a FIFO", project_text():gsub("theme.bmp", "fifo.bmp"),
    "bad.vrk: theme 1 (Soil): cannot read the image ./fifo.bmp (error " .. IM_ERR_OPEN .. ")" },
  { "wrong image size", project_text():gsub("theme.bmp", "small.bmp"),
    "bad.vrk: theme 1 (Soil): ./small.bmp is 5 x 4 pixels, the project's raster is 6 x 4" },
  { "true-colour image", project_text():gsub("theme.bmp", "rgb.bmp"), "bad.vrk: theme 1 (Soil): ./rgb.bmp is not an 8-bit map image" },
  { "colorindex over 255", project_text():gsub("colorindex = 2", "colorindex = 256"),
    "bad.vrk: class 2 of theme 1 colorindex must lie between 0 and 255" },
  { "fractional colorindex", project_text():gsub("colorindex = 2", "colorindex = 2.5"),
    "bad.vrk: class 2 of theme 1 colorindex must be a whole number" },
  { "missing Dimension", project_text():gsub("Dimension = { w = 6, h = 4 },", ""), "bad.vrk: Dimension is missing (a table is expected)" },
  { "point outside the raster", project_text("  Paths = { { name = \"a\", Points = { { x = 6, y = 0 } } } },\n"),
    "bad.vrk: point 1 of path 1 x must lie between 0 and 5" },
  { "newer version", project_text():gsub("version = 1", "version = 2"),
    "bad.vrk: the project was written by a newer version of Varko (version 2)" },
  { "not a project", "return { format = \"Something else\" }\n", "bad.vrk: this is not a Varko project file" },
  { "empty file", "", "bad.vrk: line 1: the file is empty" },
  -- a comment ends at a carriage return as well: what follows is checked
  { "code behind a comment ended by CR", project_text("  --\r x = (function() while true do end end)(),\n"),
    "bad.vrk: line 8: '(' is not allowed in a project file" },
  { "huge strings behind a comment ended by CR", project_text("  --\r a = ('x'):rep(2^30), b = ('y'):rep(2^30),\n"),
    "bad.vrk: line 8: '(' is not allowed in a project file" },
  -- every kind of line end counts one line, in the checker and in the loader
  { "CRLF line ends", project_text("  x = = 1,\n"):gsub("\n", "\r\n"), "bad.vrk: line 7: unexpected symbol near '='" },
  { "LFCR line ends", project_text("  w = width,\n"):gsub("\n", "\n\r"), "bad.vrk: line 7: 'width'" .. not_allowed },
  { "CR line ends", project_text("  w = width,\n"):gsub("\n", "\r"), "bad.vrk: line 7: 'width'" .. not_allowed },
  { "CR inside a string", project_text("  s = \"a\rb\",\n"), "bad.vrk: line 7: unfinished string" },
  -- the reader takes 8 MB of text at most: one byte more is refused unread
  { "one byte over 8 MB", "return {" .. (" "):rep(8 * 1024 * 1024 - 8) .. "}",
    "bad.vrk: the file is too big for a project (more than 8 MB)" },
  { "8 MB is read", "return {" .. (" "):rep(8 * 1024 * 1024 - 9) .. "}",
    "bad.vrk: StudyArea is missing (a table is expected)" },
  { "too many themes for memory", huge_project_text(2000, 1000, 800),
    "bad.vrk: its 2000 themes of 1000 x 800 pixels need about 1527 MB, more than the 1024 MB a project may use" },
}
for _, case in ipairs(cases) do
  write("bad.vrk", case[2])
  iuptest.reset()
  local ok, message = VarkoActions.openFile("bad.vrk")
  check_eq(ok, nil, case[1] .. ": refused")
  check_eq(message, case[3], case[1] .. ": message")
  check_eq(iuptest.last_message(), "Open project: " .. tostring(case[3]), case[1] .. ": shown to the user")
  check(Varko.Project == good, case[1] .. ": the open project stays")
  check_eq(VarkoFile.text(Varko.Project), good_text, case[1] .. ": unchanged")
end
check_eq(VarkoActions.openFile("missing.vrk"), nil, "a missing file is refused")

-- Behind the checker, the text runs apart: bounded in instructions and in
-- memory, with an empty environment, and only data comes back.
local chunk_cases = {
  { "endless loop", "return (function() while true do end end)()", "t:1: the text runs too long to be data" },
  { "memory", "local s = 'xxxxxxxx' for i = 1, 40 do s = s .. s end return s",
    "the data needs more than 32 MB of memory" },
  { "growing table", "local t = {} for i = 1, 1e8 do t[i] = i end return t", "the data needs more than 32 MB of memory" },
  { "a function", "return { f = function() end }", "the data holds a function" },
  { "a shared table", "local t = {} t.t = t return t", "a table is stored twice in the data" },
  { "no globals", "return x.y", "t:1: attempt to index a nil value (global 'x')" },
  { "no libraries", "return ('x'):rep(3)", "t:1: attempt to index a string value (constant 'x')" },
  { "bytecode", string.dump(function() return {} end), "attempt to load a binary chunk (mode is 't')" },
}
for _, case in ipairs(chunk_cases) do
  local value, problem = LoadDataChunk(case[2], "=t")
  check_eq(value, nil, "LoadDataChunk, " .. case[1] .. ": no value")
  check_eq(problem, case[3], "LoadDataChunk, " .. case[1] .. ": message")
end
local data = LoadDataChunk("return { 1, 'a', { b = true, [2.5] = -0.5 }, n = 2^53 }")
check_eq(data[1], 1, "data: integer")
check_eq(data[2], "a", "data: string")
check_eq(data[3].b, true, "data: nested boolean")
check_eq(data[3][2.5], -0.5, "data: number key and value")
check_eq(data.n, 2 ^ 53, "data: float")
-- a table whose length reads 2^40 with 41 entries is copied at the size of its entries
local keys = {}
for k = 0, 40 do keys[#keys + 1] = string.format("[%d] = %d", 1 << k, k) end
local sparse, sparse_problem = LoadDataChunk("return { " .. table.concat(keys, ", ") .. " }")
check_eq(sparse_problem, nil, "sparse keys: no problem")
check_eq(sparse and sparse[1 << 40], 40, "sparse keys: the last key")
check_eq(sparse and sparse[1 << 39], 39, "sparse keys: the one before")
local dense = LoadDataChunk("return { " .. ("7, "):rep(100000) .. "8 }")
check_eq(dense and #dense, 100001, "a long array is copied whole")
check_eq(dense and dense[100001], 8, "to its last element")
check_eq(select(2, pcall(LoadDataChunk, 5)), "LoadDataChunk: invalid text parameter!", "text must be a string")
check_eq(select(2, pcall(LoadDataChunk, "return 1", "=a", 3)), "LoadDataChunk: too many parameters!", "extra argument")
check(iuptest.last_message():find("cannot open missing.vrk", 1, true) ~= nil, "and said so")
check_eq(select(2, VarkoActions.openFile("fifo.vrk")), "cannot open fifo.vrk (fifo.vrk: not a plain file)",
         "a project file that is a FIFO is refused at once")
check(Varko.Project == good, "and the open project stays")

-- Text that is data survives a round trip: escapes, long strings, comments.
write("odd.vrk", project_text("  Note = { \"tab\\tquote\\\" and\\\nnewline\", [[long\nstring]], -1.5e3, 0x10 }, --[[ a\n comment ]]\n"))
check(VarkoActions.openFile("odd.vrk"), "escapes, long strings and comments are data")
local note = Varko.Project.Note
check_eq(note[1], "tab\tquote\" and\nnewline", "escaped string")
check_eq(note[2], "long\nstring", "long string")
check_eq(note[3], -1500, "negative number with exponent")
check_eq(note[4], 16, "hexadecimal number")
check(VarkoActions.saveFile("odd2.vrk"), "saved again")
check(VarkoActions.openFile("odd2.vrk"), "and reopened")
check_eq(Varko.Project.Note[1], "tab\tquote\" and\nnewline", "the string survives saving")
check_eq(VarkoFile.text(Varko.Project), VarkoFile.text(VarkoProject.load("odd.vrk")), "same project after the round trip")
IupHide(VarkoUI.dialog)
finish()
