-- Run by varko as varko.lua (bench/project_tokens.sh) beside the sample
-- script: the token check of project files (VarkoFile.checkTokens) on
-- project texts of the sizes in PROJECT_TOKENS_MB (1, 16 and 64 by default),
-- against Lua's own compiler (`load` of the same text, in text mode) measured
-- in the same run. CPU seconds (os.clock), best of PROJECT_TOKENS_RUNS runs.
VarkoDir = "sample"
VarkoNoAutoLoad = true
dofile("sample/varko.lua")
local VarkoFile = require("varko_file")

-- A project text of about mb megabytes: the header of a project, then routes
-- of points (what makes real project files big), with strings holding
-- escapes, a long string, comments of both kinds and every form of line end.
local function project_text(mb)
  local head = "-- Varko project\r\nreturn {\n  format = \"Varko project\", version = 1,\n" ..
               "  Dimension = { w = 4000, h = 4000 }, Scale = { sx = 10.5, sy = 0x1p-3 },\n" ..
               "  Notes = [==[ a [[long]] note\r\n over ]] lines ]==],\n  Paths = {\n"
  local path = "    { name = \"route \\\"a\\\"\\t\\u{48}\\x41\\065\", --[[ kept ]] Points = {\n" ..
               ("      { x = 1234, y = 567, z = -12.5e-1 }, -- a point\n"):rep(20) .. "    } },\n\r"
  local count = math.max(1, math.floor(mb * 1024 * 1024 / #path))
  return head .. path:rep(count) .. "  },\n}\n"
end

local function best(fn)
  local fastest = math.huge
  for _ = 1, tonumber(os.getenv("PROJECT_TOKENS_RUNS") or "3") do
    collectgarbage()
    local start = os.clock()
    fn()
    fastest = math.min(fastest, os.clock() - start)
  end
  return fastest
end

print(string.format("%-8s %12s %12s %12s %12s %8s", "size", "check s", "check MB/s", "load s", "load MB/s", "ratio"))
for word in (os.getenv("PROJECT_TOKENS_MB") or "1 16 64"):gmatch("%S+") do
  local text = project_text(tonumber(word))
  local mb = #text / (1024 * 1024)
  local check_ok, check_problem
  local check_s = best(function() check_ok, check_problem = VarkoFile.checkTokens(text) end)
  if not check_ok then error("the bench text was refused: " .. tostring(check_problem)) end
  local load_s = best(function()
    local chunk = load(text, "=bench", "t")
    if not chunk then error("the bench text does not compile") end
  end)
  print(string.format("%-8s %12.3f %12.1f %12.3f %12.1f %8.2f", string.format("%.1f MB", mb), check_s,
                      mb / check_s, load_s, mb / load_s, check_s / load_s))
end
print("ratio: the check's time over load's time on the same text")
IupClose()
