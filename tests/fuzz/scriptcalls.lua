-- Script-call fuzzer: calls every global C function of the program (the
-- toolkit, canvas and image bindings and the application functions) with
-- argument tuples drawn from hostile values: missing and nil arguments,
-- NaN, +-huge, 2^31, 2^63, empty and 1 MB strings, tables whose metamethods
-- raise errors, killed objects, objects of the wrong kind, too many
-- arguments. The application functions also meet project tables whose
-- metamethods kill images, destroy the records and call the functions again.
-- Functions that wait for the user (the main loop, popups, the predefined
-- dialogs) get queued answers and an idle function that presses keys,
-- closes the dialog or ends the loop.
--
-- The seed is fixed (VARKO_FUZZ_SEED, 22 by default); each call is written
-- to the log (VARKO_FUZZ_LOG) and flushed before it is made, so the last
-- line names the call that crashed. The run stops after VARKO_FUZZ_CALLS
-- calls or VARKO_FUZZ_SECONDS seconds, whichever comes first.
--
-- Every error a function raises must read "Name: problem!" with the
-- function's own name, unless it is one of the exact texts the bindings
-- keep, or comes from the fuzzer's own callbacks. Each distinct message
-- shape is checked once.
dofile("harness.lua")

local SEED = tonumber(os.getenv("VARKO_FUZZ_SEED") or "") or 22
local CALLS = tonumber(os.getenv("VARKO_FUZZ_CALLS") or "") or 3000
local SECONDS = tonumber(os.getenv("VARKO_FUZZ_SECONDS") or "") or 40
local LOG = os.getenv("VARKO_FUZZ_LOG") or "scriptcalls.log"
local BOOM = "fuzz-boom"  -- the fuzzer's own errors carry this word
math.randomseed(SEED)
local log = assert(io.open(LOG, "w"))

-- ------------------------------------------------------------ the functions

local STANDARD = {}
for _, name in ipairs({ "assert", "collectgarbage", "dofile", "error", "getmetatable", "ipairs", "load",
                        "loadfile", "next", "pairs", "pcall", "print", "rawequal", "rawget", "rawlen",
                        "rawset", "require", "select", "setmetatable", "tonumber", "tostring", "type",
                        "xpcall", "warn" }) do
  STANDARD[name] = true
end
-- C functions are those string.dump cannot dump (the host opens no debug library)
local function is_c_function(value)
  return type(value) == "function" and not pcall(string.dump, value)
end
local names = {}
for name, value in pairs(_G) do
  if not STANDARD[name] and is_c_function(value) then
    names[#names + 1] = name
  end
end
table.sort(names)  -- the table's own order changes from run to run
local functions = {}
for _, name in ipairs(names) do functions[name] = _G[name] end

local APPLICATION = { "CopyTable", "GenerateCombinedTheme", "InitializeCopyTable", "CopyPaths", "DestroyPaths",
                      "DestroyTable", "PathAnalysis", "MinimumPath", "SegDist", "MyImageMapAccess" }
local BLOCKING = { IupMainLoop = true, Loop = true, IupPopup = true, IupAlarm = true, IupListDialog = true,
                   IupGetFile = true, IupScanf = true, IupMessage = true, XYGraphic = true }

-- ------------------------------------------------------------ values

local labels = setmetatable({}, { __mode = "k" })  -- value -> its name in the log
local function labelled(value, label)
  labels[value] = label
  return value
end

local BIG = string.rep("m", 1024 * 1024)
local NUMBERS = { 0, 1, -1, 0.5, 2, 3, 7, 13, 255, 256, 1000, 0 / 0, math.huge, -math.huge, 2 ^ 31, -2 ^ 31,
                  2 ^ 31 - 1, 2 ^ 32, 2 ^ 53, 2 ^ 63, -2 ^ 63, math.maxinteger, math.mininteger, 1e308, -1e-308,
                  -0.0, 1, 2, 4, 8, 16, 100 }
local STRINGS = { "", "x", BIG, "10", "100x100", "2147483647x2147483647", "-2147483648x-2147483648", "RASTERSIZE",
                  "SIZE", "TITLE", "VALUE", "FULLxFULL", "%s%s%n", "a\0b", "YES", "NO", "EXPAND", "MARGIN", "GAP",
                  "99999999999999999999", "nan", "inf", "1e400", "ACTIVE", "VISIBLE", "FONT", "BGCOLOR",
                  "255 0 0", "1", "2", "3", "fuzz.out", "fuzz.bmp 100x100", "fuzz.mf 2147483647x2147483647",
                  -- data texts for the project reader's functions
                  "return { a = 1, [2] = -0x1p4, 'b\z\r\n c' }", "return { --\r x = (function() while true do end end)() }",
                  "return { {} -.5 }", "return { s = [==[\n\r]] ]==] }", "return { --[[" }

local pending_call  -- set below: one random call, used by re-entering callbacks
local depth = 0

local function erroring_table()
  local function boom() error(BOOM .. " metamethod", 0) end
  return labelled(setmetatable({}, { __index = boom, __newindex = boom, __len = boom, __call = boom,
                                     __tostring = boom, __eq = boom, __lt = boom, __le = boom, __concat = boom,
                                     __name = 5, __metatable = "locked" }), "table(erroring metamethods)")
end
local function reentering_table()
  local function again(t, k)
    if depth < 2 then pending_call() end
    return rawget(t, k)
  end
  return labelled(setmetatable({}, { __index = again, __newindex = function(t, k, v) again(t, k); rawset(t, k, v) end,
                                     __len = function() if depth < 2 then pending_call() end return 3 end }),
                  "table(re-entering metamethods)")
end

-- Objects of every kind, live and killed, made again from time to time.
local objects = {}
local function make_objects()
  objects = {}
  local function add(value, label) objects[#objects + 1] = labelled(value, label) end
  local function try(label, fn, ...)
    local ok, value = pcall(fn, ...)
    if ok and value ~= nil then add(value, label) end
    return ok and value or nil
  end
  local rgb = try("imagergb", imCreateImageRGB, 8, 6)
  local map = try("imagemap", imCreateImageMap, 8, 6)
  try("palette", imCreatePalette, 256)
  local dead_rgb = try("imagergb(killed)", imCreateImageRGB, 4, 4)
  if dead_rgb then imKillImageRGB(dead_rgb) end
  local dead_map = try("imagemap(killed)", imCreateImageMap, 4, 4)
  if dead_map then imKillImageMap(dead_map) end
  local dead_palette = try("palette(killed)", imCreatePalette, 16)
  if dead_palette then imKillPalette(dead_palette) end
  if rgb then
    local canvas = try("canvas", cdCreateCanvas, CD_IMAGERGB, rgb)
    local dead = try("canvas(killed)", cdCreateCanvas, CD_IMAGERGB, imCreateImageRGB(3, 3))
    if dead then cdKillCanvas(dead) end
    if canvas then
      cdActivate(canvas)
      try("server image", cdCreateImage, 4, 4)
      local dead_image = try("server image(killed)", cdCreateImage, 2, 2)
      if dead_image then cdKillImage(dead_image) end
      try("stipple", cdCreateStipple, 4, 4)
      try("pattern", cdCreatePattern, 4, 4)
      try("cd palette", cdCreatePalette, 16)
      try("cd imagergb", cdCreateImageRGB, 4, 4)
      try("cd imagemap", cdCreateImageMap, 4, 4)
      try("imageex", cdCreateImageEx, 4, 4, CD_RGB)
    end
  end
  try("metafile canvas", cdCreateCanvas, CD_METAFILE, "fuzz.mf 100x80")
  local button = try("button", IupCreateButton, "b", "act")
  local text = try("text", IupCreateText, "act")
  local list = try("list", IupCreateList, "act")
  local toolkit_canvas = try("toolkit canvas", IupCreateCanvas, "act")
  local box = try("vbox", IupCreateVbox, button, text, list, toolkit_canvas)
  local dialog = try("dialog", IupCreateDialog, box)
  if dialog and math.random() < 0.5 then pcall(IupShow, dialog) end
  if toolkit_canvas then try("toolkit canvas's canvas", cdCreateCanvas, CD_IUP, toolkit_canvas) end
  local item = try("item", IupCreateItem, "i", "act")
  try("menu", IupCreateMenu, item)
  try("label", IupCreateLabel, "l")
  local dead_element = try("element(destroyed)", IupCreateButton, "d", "act")
  if dead_element then IupDestroy(dead_element) end
  if math.random() < 0.5 and map then imKillImageMap(map) end  -- live objects die too, now and then
  add(io.stdout, "file handle")
  add(coroutine.create(function() end), "coroutine")
  add(function() error(BOOM .. " function", 0) end, "function(erroring)")
  add(function(...) if depth < 2 then pending_call() end return ... end, "function(re-entering)")
  add(function() return "x", 1 end, "function(returning)")
  add(math.abs, "C function")
  add(erroring_table(), "table(erroring metamethods)")
  add(reentering_table(), "table(re-entering metamethods)")
  add({}, "table{}")
  add({ 1, 2, 3, 4 }, "table{1,2,3,4}")
  add({ "a", "b", n = 2 ^ 31 }, "table{a,b}")
end

local function random_value()
  local r = math.random(100)
  if r <= 8 then return nil end
  if r <= 35 then return NUMBERS[math.random(#NUMBERS)] end
  if r <= 40 then return math.random(-5, 300) end
  if r <= 60 then return STRINGS[math.random(#STRINGS)] end
  if r <= 62 then return r % 2 == 0 end
  return objects[math.random(#objects)]
end

local function describe(value)
  local kind = type(value)
  if labels[value] then return labels[value] end
  if kind == "string" then
    if #value > 40 then return string.format("string(%d bytes)", #value) end
    return (string.format("%q", value):gsub("\\\n", "\\n"))  -- one line a call
  end
  if kind == "number" then return math.type(value) == "integer" and tostring(value) or string.format("%.17g", value) end
  return tostring(value)
end

-- ------------------------------------------------------------ the project

local DefaultScale = { numColors = 5, Table = { { 10, 0, 0 }, { 20, 0, 0 }, { 30, 0, 0 }, { 40, 0, 0 }, { 50, 0, 0 } } }
local W, H = 8, 6
local function map_of(fn)
  local m = imCreateImageMap(W, H)
  for y = 0, H - 1 do for x = 0, W - 1 do m[x + y * W] = fn(x, y) end end
  return { imagemap = m, palette = imCreatePalette(256) }
end

-- A small project; now and then a field holds a hostile value or a table
-- whose metamethods kill images, destroy the records or call the
-- application functions again.
local function new_project()
  DefaultColorScale = DefaultScale
  Varko = {
    InputPoints = { numPoints = 2, Points = { { x = 0, y = 0 }, { x = 7, y = 5 } } },
    Project = {
      StudyArea = { left = 0, right = W, bottom = 0, top = H }, Scale = { sx = 1, sy = 1 },
      Dimension = { w = W, h = H }, WeightLimits = { minWeight = 0, maxWeight = 100 },
      ThemesNames = { "soil" }, numThemes = 1, i = 1, r = 1, numPaths = 1,
      Paths = { { numPoints = 2, Points = { { x = 0, y = 0 }, { x = 7, y = 5 } } } },
      slopeDataFormat = 2,
      Themes = {
        { name = "soil", map = "m", weight = 1, numClasses = 2,
          Classes = { { colorindex = 1, weight = 1, description = "a" }, { colorindex = 2, weight = 5, description = "b" } },
          Image = map_of(function(x) return x < 4 and 1 or 2 end) },
      },
      CombinedTheme = { Image = map_of(function() return 0 end) },
    },
  }
  local project = Varko.Project
  local images = { project.Themes[1].Image, project.CombinedTheme.Image }
  local function havoc()
    if depth >= 2 then return end
    depth = depth + 1
    local r = math.random(6)
    if r == 1 then pcall(imKillImageMap, images[math.random(2)].imagemap)
    elseif r == 2 then pcall(imKillPalette, images[math.random(2)].palette)
    elseif r == 3 then pcall(DestroyTable)
    elseif r == 4 then pcall(DestroyPaths)
    else
      local name = APPLICATION[math.random(#APPLICATION)]
      pcall(functions[name], 1)
    end
    depth = depth - 1
  end
  local hooks = { __index = function(t, k) havoc(); return rawget(t, k) end,
                  __newindex = function(t, k, v) havoc(); rawset(t, k, v) end }
  local tables = { Varko, project, project.Paths, project.Paths[1], project.Paths[1].Points, project.Themes,
                   project.Themes[1], project.CombinedTheme, project.Dimension, Varko.InputPoints, DefaultColorScale }
  for _, t in ipairs(tables) do
    if math.random() < 0.3 then setmetatable(t, hooks) end
  end
  if math.random() < 0.3 then
    local fields = { "numThemes", "numPaths", "i", "r", "slopeDataFormat", "Dimension", "Scale", "Paths", "Themes" }
    project[fields[math.random(#fields)]] = random_value()
  end
  if math.random() < 0.1 then DefaultColorScale = random_value() end
  if math.random() < 0.5 then pcall(InitializeCopyTable); pcall(CopyTable); pcall(CopyPaths) end
end

-- ------------------------------------------------------------ the checks

local KEPT_TEXTS = {  -- exact texts the bindings keep although they break the pattern
  ["IupShowXY"] = "^IupShow: ",
  ["cdCreateCanvas"] = "^cdCreateCanvas CD_[%u_]+: ",
}
local ENDINGS = { "!$", "%?%?%?$", ":%s+incorrect arguments? to function$", ": Maximum elements=100$",
                  "NIL image$", "killed image$", "must be a function or a cfunction$", ": incorrect value in argument$" }
local seen_messages = {}

local function shape_ok(name, message)
  if type(message) ~= "string" then return false end
  if message:find(BOOM, 1, true) then return true end  -- our own callbacks' errors pass through
  if message == "cdlua: there is no active canvas!" then return true end
  if message:match('^[%a]+_tag "%a+": ') then return true end  -- tag methods run by the call
  local prefix_ok = message:sub(1, #name + 2) == name .. ": " or
                    (KEPT_TEXTS[name] ~= nil and message:match(KEPT_TEXTS[name]) ~= nil)
  if not prefix_ok then return false end
  for _, ending in ipairs(ENDINGS) do
    if message:match(ending) then return true end
  end
  return false
end

local function check_message(name, message)
  local text = type(message) == "string" and message or ("a " .. type(message))
  local shape = name .. "|" .. text:gsub("%d+", "N"):sub(1, 200)
  if seen_messages[shape] then return end
  seen_messages[shape] = true
  check(shape_ok(name, message), name .. " raises \"Name: problem!\" (" .. text:sub(1, 200) .. ")")
end

-- ------------------------------------------------------------ driving

iuptest.idle_limit(40)
local idle_steps = 0
local function driver_idle()
  idle_steps = idle_steps + 1
  if idle_steps > 12 then return IUP_CLOSE end
  if depth < 2 and math.random() < 0.2 then pending_call() end
  local r = math.random(5)
  if r == 1 then iuptest.enter()
  elseif r == 2 then iuptest.esc()
  elseif r == 3 then
    local focus = IupGetFocus()
    if focus then iuptest.closebox(IupGetDialog(focus)) end
  elseif r == 4 then return IUP_CLOSE end
end
local function queue_answers()
  iuptest.reset()
  iuptest.answer_message()
  iuptest.answer_alarm(math.random(3))
  if math.random() < 0.5 then iuptest.answer_file("fuzz-answer.txt") else iuptest.cancel_file() end
  iuptest.answer_menu(nil)
  idle_steps = 0
  IupSetIdle(driver_idle)
end

-- Resident memory in MB, from /proc (nil elsewhere).
local function resident_mb()
  local f = io.open("/proc/self/statm")
  if not f then return nil end
  local pages = f:read("n"); pages = f:read("n")
  f:close()
  return pages and pages * 4096 / 2 ^ 20
end

local calls = 0
local slowest, slowest_name = 0, ""
local largest, largest_name = 0, ""
local function call_one(name, args, n)
  calls = calls + 1
  local parts = {}
  for k = 1, n do parts[k] = describe(args[k]) end
  log:write(string.format("%d %s%s(%s)\n", calls, string.rep("  ", depth), name, table.concat(parts, ", ")))
  log:flush()
  if BLOCKING[name] then queue_answers() end
  depth = depth + 1
  local memory = resident_mb()
  local started = os.clock()
  local ok, message = pcall(functions[name], table.unpack(args, 1, n))
  local elapsed = os.clock() - started
  local grown = memory and resident_mb() - memory or 0
  depth = depth - 1
  if grown > largest then largest, largest_name = grown, name end
  if grown > 50 then
    log:write(string.format("%d: resident memory grew by %.0f MB\n", calls, grown))
    log:flush()
  end
  if grown > 200 then check(false, string.format("%s used at most 200 MB (grew by %.0f MB)", name, grown)) end
  if BLOCKING[name] then IupSetIdle(nil) end
  if elapsed > slowest then slowest, slowest_name = elapsed, name end
  if elapsed > 5 then check(false, string.format("%s returned within 5 s (took %.1f s)", name, elapsed)) end
  if not ok then check_message(name, message) end
end

-- Well-formed calls of the functions that wait for the user, so that their
-- dialogs really open; one argument in three is then replaced at random.
local function some_dialog()
  for _, value in ipairs(objects) do
    if labels[value] == "dialog" then return value end
  end
end
local TEMPLATES = {
  IupAlarm = function() return { "Title", "one\ntwo", "Yes", "No", "Maybe" } end,
  IupMessage = function() return { "Title", "message" } end,
  IupGetFile = function() return { "*.txt" } end,
  IupListDialog = function()
    return { math.random(2), "Pick", 3, { "a", "b", "c" }, 1, 10, 3, { 0, 1, 0 } }
  end,
  IupScanf = function() return { "Title\nName: %10.20%s\nAge: %3.5%d\n", "Ann", 33 } end,
  IupPopup = function() return { some_dialog(), 10, 10 } end,
  IupMainLoop = function() pcall(IupShow, some_dialog()); return {} end,
}

local function random_call()
  local name
  if math.random() < 0.2 then name = APPLICATION[math.random(#APPLICATION)] else name = names[math.random(#names)] end
  local n = math.random() < 0.1 and math.random(5, 9) or math.random(0, 4)
  local args = {}
  if TEMPLATES[name] and math.random() < 0.6 then
    args = TEMPLATES[name]()
    n = #args
    for k = 1, n do
      if math.random() < 0.15 then args[k] = random_value() end
    end
  else
    for k = 1, n do args[k] = random_value() end
  end
  call_one(name, args, n)
end
pending_call = random_call

-- ------------------------------------------------------------ the run

local started = os.time()
make_objects()
new_project()
while calls < CALLS and os.time() - started < SECONDS do
  if calls % 150 == 0 then make_objects() end
  if calls % 40 == 0 then new_project() end
  if calls % 500 == 0 then collectgarbage() end
  random_call()
end

-- The bindings still work after all that: a fresh canvas draws, a fresh
-- element keeps its attributes, an image map keeps its pixels.
IupSetIdle(nil)
local image = imCreateImageRGB(4, 4)
local canvas = cdCreateCanvas(CD_IMAGERGB, image)
cdActivate(canvas)
cdPixel(1, 2, cdEncodeColor(10, 20, 30))
check_eq(image.g[1 + 2 * 4], 20, "a fresh canvas still draws")
local label = IupCreateLabel("still")
check_eq(IupGetAttribute(label, "TITLE"), "still", "a fresh element keeps its title")
log:write(string.format("done: %d calls in %d s, seed %d, slowest %s %.2f s, largest growth %s %.0f MB\n", calls,
                        os.time() - started, SEED, slowest_name, slowest, largest_name, largest))
log:close()
print(string.format("fuzz: %d calls in %d s (seed %d), slowest call %s %.2f s, largest memory growth %s %.0f MB",
                    calls, os.time() - started, SEED, slowest_name, slowest, largest_name, largest))
finish()
