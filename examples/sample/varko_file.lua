-- Project files (".vrk"): reading them as plain data, writing them back.
-- A project file is Lua table text, but it is never run as a program: its
-- tokens are checked first, so only table constructors, strings, numbers,
-- true and false (after one leading `return`) get to the loader.
local VarkoFile = {}

-- An 8 MB file holds far more routes and themes than a raster needs, and
-- reading it as data costs up to about 230 MB and 2 s (dense numbers or empty
-- tables); 16 MB cost 390 MB, and 64 MB took 1.3 GB and 40 s.
local MAX_FILE_BYTES = 8 * 1024 * 1024

-- Fields the program derives or builds at run time: never written to a file.
local RUNTIME_FIELDS = {
  Image = true, CombinedTheme = true, numThemes = true, numClasses = true, numPaths = true,
  numPoints = true, ThemesNames = true, Analysis = true, XYMark = true, path = true,
}

-- ------------------------------------------------------------ token check

-- Returns true, or nil and "line N: problem". The text is split into tokens
-- as Lua's lexer splits it (line ends CR, LF, CRLF and LFCR in comments,
-- strings and long brackets alike), in one pass of the program's own.
function VarkoFile.checkTokens(text)
  return CheckProjectTokens(text)
end

-- Reads a project file as data: the table, or nil and a message naming the
-- file and the line.
function VarkoFile.read(filename)
  -- plain files only: opening a FIFO would wait for a writer for ever
  local text, problem = ReadDataFile(filename, MAX_FILE_BYTES + 1)
  if not text then return nil, "cannot open " .. filename .. " (" .. tostring(problem) .. ")" end
  return VarkoFile.readText(text, filename)
end

-- The project table of a file's text, or nil and a message naming the file
-- and the line.
function VarkoFile.readText(text, filename)
  if #text > MAX_FILE_BYTES then
    return nil, filename .. ": the file is too big for a project (more than " .. (MAX_FILE_BYTES >> 20) .. " MB)"
  end
  local ok, message = VarkoFile.checkTokens(text)
  if not ok then return nil, filename .. ": " .. message end
  -- The tokens allow nothing but data. Behind them a second wall: the text
  -- runs in an interpreter of its own, with an empty environment and bounds
  -- on its instructions and memory, and only data comes back.
  local result, problem = LoadDataChunk(text, "=" .. filename)
  if result == nil and problem ~= nil then
    local where, what = tostring(problem):match(":(%d+): (.*)$")
    if where then return nil, filename .. ": line " .. where .. ": " .. what end
    return nil, filename .. ": " .. tostring(problem)
  end
  if type(result) ~= "table" then return nil, filename .. ": the file holds no project table" end
  return result
end

-- ------------------------------------------------------------ writing

local function is_identifier(s)
  return type(s) == "string" and s:match("^[%a_][%w_]*$") ~= nil and
         not ({ ["and"] = 1, ["break"] = 1, ["do"] = 1, ["else"] = 1, ["elseif"] = 1, ["end"] = 1,
                ["false"] = 1, ["for"] = 1, ["function"] = 1, ["goto"] = 1, ["if"] = 1, ["in"] = 1,
                ["local"] = 1, ["nil"] = 1, ["not"] = 1, ["or"] = 1, ["repeat"] = 1, ["return"] = 1,
                ["then"] = 1, ["true"] = 1, ["until"] = 1, ["while"] = 1 })[s]
end

local function number_text(n)
  if n ~= n or n == math.huge or n == -math.huge then return "0" end
  if math.type(n) == "integer" then return string.format("%d", n) end
  if n == math.floor(n) and math.abs(n) < 2 ^ 53 then return string.format("%d", math.floor(n)) end
  -- the shortest text that reads back as n: 0.4, not 0.40000000000000002
  for digits = 15, 17 do
    local text = string.format("%." .. digits .. "g", n)
    if tonumber(text) == n then return text end
  end
  return string.format("%.17g", n)
end

-- Order in which the known fields are written; others follow by name.
local FIELD_ORDER = {
  "format", "version", "name", "map", "weight", "file", "StudyArea", "left", "right", "bottom",
  "top", "Scale", "sx", "sy", "Dimension", "w", "h", "WeightLimits", "minWeight", "maxWeight",
  "i", "r", "slopeDataFormat", "Slope", "colorindex", "description", "x", "y", "Classes",
  "Themes", "Paths", "Points", "Clicked",
}
local RANK = {}
for k, name in ipairs(FIELD_ORDER) do RANK[name] = k end

local function sorted_keys(t)
  local keys = {}
  for k, v in pairs(t) do
    local storable = type(v) == "string" or type(v) == "number" or type(v) == "boolean" or type(v) == "table"
    local list_part = math.type(k) == "integer" and k >= 1 and k <= #t
    if storable and not list_part and (type(k) == "string" or type(k) == "number") and not RUNTIME_FIELDS[k] then
      keys[#keys + 1] = k
    end
  end
  table.sort(keys, function(a, b)
    local ra, rb = RANK[a] or 1000, RANK[b] or 1000
    if ra ~= rb then return ra < rb end
    return tostring(a) < tostring(b)
  end)
  return keys
end

local function write_value(out, v, indent, seen)
  local kind = type(v)
  if kind == "string" then
    out[#out + 1] = string.format("%q", v):gsub("\\\n", "\\n")
  elseif kind == "number" then
    out[#out + 1] = number_text(v)
  elseif kind == "boolean" then
    out[#out + 1] = tostring(v)
  else
    if seen[v] then error("a table is stored twice in the project", 0) end
    seen[v] = true
    local inner = indent .. "  "
    local keys = sorted_keys(v)
    local short = #keys <= 6 and #v == 0
    for _, k in ipairs(keys) do
      if type(v[k]) == "table" then short = false end
    end
    out[#out + 1] = "{"
    local first = true
    local function separator()
      if short then
        out[#out + 1] = first and " " or ", "
      else
        out[#out + 1] = (first and "\n" or ",\n") .. inner
      end
      first = false
    end
    for k = 1, #v do
      separator()
      write_value(out, v[k], inner, seen)
    end
    for _, k in ipairs(keys) do
      separator()
      out[#out + 1] = is_identifier(k) and k or ("[" .. (type(k) == "string" and string.format("%q", k) or number_text(k)) .. "]")
      out[#out + 1] = " = "
      write_value(out, v[k], inner, seen)
    end
    if first then
      out[#out + 1] = "}"
    elseif short then
      out[#out + 1] = " }"
    else
      out[#out + 1] = ",\n" .. indent .. "}"
    end
    seen[v] = nil
  end
end

-- The text of a project file for the data table t (runtime fields left out).
function VarkoFile.text(t)
  local out = { "-- Varko project\nreturn " }
  write_value(out, t, "", {})
  out[#out + 1] = "\n"
  return table.concat(out)
end

-- Writes through a temporary file renamed over the target, so a failed
-- save never leaves half a project behind. true, or nil and a message.
function VarkoFile.write(filename, t)
  local ok, text = pcall(VarkoFile.text, t)
  if not ok then return nil, text end
  local temporary = filename .. ".tmp"
  local f, problem = io.open(temporary, "wb")
  if not f then return nil, "cannot write " .. filename .. " (" .. tostring(problem) .. ")" end
  local written, write_problem = f:write(text)
  local closed = f:close()
  if not written or not closed then
    os.remove(temporary)
    return nil, "cannot write " .. filename .. " (" .. tostring(write_problem or "disk full?") .. ")"
  end
  local renamed, rename_problem = os.rename(temporary, filename)
  if not renamed then
    os.remove(temporary)
    return nil, "cannot write " .. filename .. " (" .. tostring(rename_problem) .. ")"
  end
  return true
end

-- ------------------------------------------------------------ paths

-- The working folder, asked of the system (a launcher may leave PWD stale).
local working_dir = nil
local function current_dir()
  if working_dir then return working_dir end
  local p = io.popen and io.popen("pwd")
  if p then
    local dir = p:read("l")
    p:close()
    if dir and dir:sub(1, 1) == "/" then working_dir = dir end
  end
  if not working_dir then
    local pwd = os.getenv("PWD")
    working_dir = (pwd and pwd:sub(1, 1) == "/") and pwd or "/"
  end
  return working_dir
end

-- An absolute path without "." and ".." parts.
function VarkoFile.absolute(path)
  if path:sub(1, 1) ~= "/" then path = current_dir() .. "/" .. path end
  local parts = {}
  for part in path:gmatch("[^/]+") do
    if part == ".." then
      if #parts > 0 then parts[#parts] = nil end
    elseif part ~= "." then
      parts[#parts + 1] = part
    end
  end
  return "/" .. table.concat(parts, "/")
end

function VarkoFile.dirname(path)
  return path:match("^(.*)/[^/]*$") or "."
end

-- path as seen from the folder dir, with "/" separators.
function VarkoFile.relative(dir, path)
  local from, to = {}, {}
  for part in VarkoFile.absolute(dir):gmatch("[^/]+") do from[#from + 1] = part end
  for part in VarkoFile.absolute(path):gmatch("[^/]+") do to[#to + 1] = part end
  local common = 0
  while common < #from and common < #to - 1 and from[common + 1] == to[common + 1] do common = common + 1 end
  local parts = {}
  for _ = common + 1, #from do parts[#parts + 1] = ".." end
  for k = common + 1, #to do parts[#parts + 1] = to[k] end
  return table.concat(parts, "/")
end

-- A file named in a project, found from the project's folder.
function VarkoFile.resolve(dir, file)
  if file:sub(1, 1) == "/" then return file end
  return dir .. "/" .. file
end

return VarkoFile
