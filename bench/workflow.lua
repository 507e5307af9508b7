-- Run by varko as varko.lua (bench/workflow.sh) beside the sample project
-- and a generated 4000 x 4000 project of six themes: each step of a user's
-- work through the application script, timed by the wall clock, on both.
VarkoDir = "sample"
VarkoNoAutoLoad = true
dofile("sample/varko.lua")
local A, routes, map = require("varko_routeactions"), require("varko_routes"), require("varko_map")

-- wall-clock seconds (the combined theme runs on several threads, so the
-- process's CPU time would overstate it)
local function now()
  local pipe = io.popen("date +%s.%N")
  local t = tonumber(pipe:read("l"))
  pipe:close()
  return t
end
local function timed(what, fn)
  local best = math.huge
  local result
  for _ = 1, tonumber(os.getenv("WORKFLOW_RUNS") or "3") do
    local t0 = now()
    result = fn()
    best = math.min(best, now() - t0)
  end
  print(string.format("  %-34s %9.1f ms", what, best * 1000))
  return result
end

local function workflow(file, points)
  local p
  print(file)
  timed("open (with the combined theme)", function()
    assert(A.openFile(file))
    p = Varko.Project
  end)
  print(string.format("  %d x %d pixels, %d themes", p.Dimension.w, p.Dimension.h, #p.Themes))
  timed("combined theme", function()
    routes.invalidate()
    assert(routes.generateCombined())
  end)
  timed("four-point route (r " .. p.r .. ", i " .. p.i .. ")", function()
    p.Paths = {}
    local k, problem = routes.newRoute(points)
    assert(k, problem)
  end)
  require("varko_ui").fillPaths()
  timed("analysis", function() assert(routes.analyse(1)) end)
  map.fit()
  timed("redraw after a zoom", function() map.zoom(2); map.zoom(0.5) end)
  timed("redraw after a pan", function() map.pan(0.25, 0); map.pan(-0.25, 0) end)
  timed("export PNG", function() assert(map.export("out.png", "PNG")) end)
  timed("export EPS", function() assert(map.export("out.eps", "EPS")) end)
end

workflow("sample/sample.vrk", { { x = 150, y = 450 }, { x = 420, y = 660 }, { x = 760, y = 470 }, { x = 470, y = 220 } })
workflow("big/big.vrk", { { x = 200, y = 200 }, { x = 3800, y = 600 }, { x = 3400, y = 3700 }, { x = 500, y = 3300 } })
print("zoom and pan run two redraws each; the figures are the best of the runs")
IupClose()
