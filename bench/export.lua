-- Run by varko as varko.lua (bench/export.sh) beside the sample project and
-- a generated 4000 x 4000 project: the map of each, fitted to the window,
-- exported as PNG (the peer) and as EPS, best wall-clock time of the runs.
VarkoDir = "sample"
VarkoNoAutoLoad = true
dofile("sample/varko.lua")
local A, map = require("varko_routeactions"), require("varko_map")

local function now()
  local pipe = io.popen("date +%s.%N")
  local t = tonumber(pipe:read("l"))
  pipe:close()
  return t
end
local function timed(fn)
  local best = math.huge
  for _ = 1, tonumber(os.getenv("EXPORT_RUNS") or "5") do
    local t0 = now()
    fn()
    best = math.min(best, now() - t0)
  end
  return best * 1000
end
local function size(name)
  local f = assert(io.open(name, "rb"))
  local n = f:seek("end")
  f:close()
  return n
end

for _, file in ipairs({ "sample/sample.vrk", "big/big.vrk" }) do
  assert(A.openFile(file))
  map.fit()
  local png = timed(function() assert(map.export("out.png", "PNG")) end)
  local eps = timed(function() assert(map.export("out.eps", "EPS")) end)
  print(string.format("  %-18s PNG %8.1f ms   EPS %8.1f ms (%5.1f x PNG, %d bytes)", file, png, eps,
                      eps / png, size("out.eps")))
end
IupClose()
