#!/usr/bin/env bash
# hostile_memory.sh [varko]: peak memory (maximum resident set, GNU time) of
# varko running each hostile reproducer alone, headless, in a fresh folder
# with the sample project. Prints one line a case: status, peak MB, CPU and
# wall-clock seconds, and the case's last line of output (the refusal or
# error it ended in).
# The goal is at most 200 MB each; a run of an empty script is the peer.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
varko=$(realpath "${1:-$top/build/app/varko}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$top/examples/sample" "$work/"
cd "$work"
export IUP_DRIVER=headless CDDIR="$top/tests/fonts"

# Each case: a name and the script text, run after this prelude.
prelude='
VarkoDir = "sample"; VarkoNoAutoLoad = true; dofile("sample/varko.lua")
VarkoFile, VarkoProject = require("varko_file"), require("varko_project")
local W, H = 8, 6
local function map_of(v) local m = imCreateImageMap(W, H); for k = 0, W * H - 1 do m[k] = v end
  return {imagemap = m, palette = imCreatePalette(256)} end
function project()
  DefaultColorScale = {numColors = 2, Table = {{10, 0, 0}, {20, 0, 0}}}
  Varko = {InputPoints = {numPoints = 2, Points = {{x = 0, y = 0}, {x = 7, y = 5}}},
    Project = {StudyArea = {left = 0, right = W, bottom = 0, top = H}, Scale = {sx = 1, sy = 1},
      Dimension = {w = W, h = H}, WeightLimits = {minWeight = 0, maxWeight = 100}, ThemesNames = {"soil"},
      numThemes = 1, i = 1, r = 1, numPaths = 1, slopeDataFormat = 2,
      Paths = {{numPoints = 2, Points = {{x = 0, y = 0}, {x = 7, y = 5}}}},
      Themes = {{name = "soil", map = "m", weight = 1, numClasses = 2, Image = map_of(1),
        Classes = {{colorindex = 1, weight = 1, description = "a"}, {colorindex = 2, weight = 5, description = "b"}}}},
      CombinedTheme = {Image = map_of(0)}}}
  InitializeCopyTable(); CopyTable(); CopyPaths(); GenerateCombinedTheme()
end
function write(name, text) local f = io.open(name, "wb"); f:write(text); f:close() end
-- what a case ends in: the outcome column shows the last of these lines
function say(...) print("=>", ...) end
function load_project(name) local p, problem = VarkoProject.load(name); say(p and "loaded" or problem) end
function open(text) write("p.vrk", text); load_project("p.vrk") end
function try(fn, ...) say(pcall(fn, ...)) end
'
declare -a cases=(
  "empty script (peer)" ""
  "project: code behind a comment ended by CR" 'open("return { --\r x = (function() while true do end end)(), }")'
  "project: 3 GB of strings behind a CR comment" "open(\"return { --\\r a = ('x'):rep(2^30), b = ('y'):rep(2^30), c = ('z'):rep(2^30), }\")"
  "project: 1 MB of minus signs" 'open("return {" .. ("-1,"):rep(350000) .. "}")'
  "project: 1 MB of unclosed long comments" 'open("return { a = 1, " .. ("--[[ x\n"):rep(150000) .. "}")'
  "project: 8 MB of numbers (the largest file read)" 'load_project("numbers8.vrk")'
  "project: 8 MB of empty tables" 'load_project("tables8.vrk")'
  "project: 16 MB of numbers (over the limit)" 'load_project("numbers16.vrk")'
  "project: 2000 themes of 1000 x 800" 'local t = "{ name = \"S\", map = \"s\", weight = 1, file = \"t.bmp\", Classes = { { colorindex = 1, weight = 5, description = \"a\" } } },\n"
     open("return { format = \"Varko project\", version = 1, StudyArea = { left = 0, right = 10000, bottom = 0, top = 8000 }, Scale = { sx = 10, sy = 10 }, Dimension = { w = 1000, h = 800 }, WeightLimits = { minWeight = 0, maxWeight = 100 }, i = 1, r = 1, Themes = {" .. t:rep(2000) .. "} }")'
  "project: slope image a FIFO" 'os.execute("mkfifo fifo.bmp"); local f = io.open("sample/sample.vrk"):read("a"):gsub("file = \"[^\"]*\"", "file = \"../fifo.bmp\"", 1); write("sample/f.vrk", f); load_project("sample/f.vrk")'
  "GenerateCombinedTheme: colour scale __index kills the images" 'project(); local c = Varko.Project.CombinedTheme.Image
     DefaultColorScale = setmetatable({}, {__index = function() imKillImageMap(c.imagemap); imKillPalette(c.palette) end}); try(GenerateCombinedTheme)'
  "PathAnalysis: Paths behind an __index that destroys the copy" 'project(); local p = Varko.Project.Paths; Varko.Project.Paths = nil
     setmetatable(Varko.Project, {__index = function(_, k) DestroyTable(); if k == "Paths" then return p end end}); try(PathAnalysis, 1)'
  "MinimumPath: __newindex on Points rebuilds the copy" 'project(); local pts = {}; Varko.Project.Paths[1] = {numPoints = 0, Points = pts}
     setmetatable(pts, {__newindex = function(t, k, v) InitializeCopyTable(); CopyTable(); CopyPaths(); PathAnalysis(1); rawset(t, k, v) end}); try(MinimumPath)'
  "cdCreateCanvas(0/0)" 'try(cdCreateCanvas, 0/0)'
  "SegDist(-2^31, 0, 2^31-1, 0)" 'project(); try(SegDist, -2^31, 0, 2^31 - 1, 0)'
  "CopyTable: numClasses 1e8" 'project(); Varko.Project.Themes[1].numClasses = 1e8; try(CopyTable)'
  "CopyTable: numThemes 2^31-1" 'project(); Varko.Project.numThemes = 2^31 - 1; try(CopyTable)'
  "CopyPaths: numPaths 1e8" 'project(); Varko.Project.numPaths = 1e8; try(CopyPaths)'
  "ReadExtraData: BMP claiming 30000 x 20000" 'project(); imSaveMap(imCreateImageMap(2, 2), imCreatePalette(256), IM_BMP, IM_NONE, "s.bmp")
     local b = io.open("s.bmp", "rb"):read("a"); write("h.bmp", b:sub(1, 18) .. string.pack("<i4i4", 30000, 20000) .. b:sub(27)); write("h.hdr", "0 255 0 90"); try(ReadExtraData, "h.bmp", 0, 0)'
  "missing tables: CopyTable without Varko" 'Varko = nil; try(CopyTable)'
  "cdArc(0, 0, -2^31, 8, 0, 360) and cdFont(1, 2, 32767)" 'local i = imCreateImageRGB(100, 100); cdActivate(cdCreateCanvas(CD_IMAGERGB, i)); cdArc(0, 0, -2^31, 8, 0, 360); cdFont(1, 2, 32767); cdText(10, 10, "Hi"); say("drawn")'
  "cdArc(2^31-1, 3, 255, 255, 0, 360); polygon at +-2^31" 'local i = imCreateImageRGB(100, 100); cdActivate(cdCreateCanvas(CD_IMAGERGB, i)); cdArc(2^31 - 1, 3, 255, 255, 0, 360)
     cdBegin(CD_FILL); cdVertex(-2^31, -2^31); cdVertex(2^31 - 1, 0); cdVertex(0, 2^31 - 1); cdEnd(); say("drawn")'
  "MinimumPath: Dimension 2^31 x 2^31" 'project(); Varko.Project.Dimension = {w = 2^31, h = 2^31}; try(CopyTable); try(MinimumPath); InitializeCopyTable(); try(CopyTable); try(MinimumPath)'
  "RASTERSIZE 2147483647x2147483647" 'local d = IupCreateDialog(IupCreateButton("b", "a")); IupSetAttribute(d, "RASTERSIZE", "2147483647x2147483647"); IupShow(d); IupSetAttribute(d, "SIZE", "2147483647x2147483647"); IupShow(d); IupHide(d); say(IupGetAttribute(d, "RASTERSIZE"))'
)
# big project files (the reader takes up to 8 MB), made outside varko:
# big_file NAME ITEM MB writes "return {" ITEM ITEM ... "}" of about MB megabytes
big_file() {
  (printf 'return {'; yes "$2" | tr -d '\n' | head -c $(($3 * 1024 * 1024 / ${#2} * ${#2} - 8 * ${#2})); printf '}') >"$1"
}
big_file numbers8.vrk '1,' 8
big_file tables8.vrk '{},' 8
big_file numbers16.vrk '1,' 16
printf '%-62s %6s %8s %6s %6s  %s\n' case status peak_MB cpu_s wall_s outcome
for ((k = 0; k < ${#cases[@]}; k += 2)); do
  printf '%s\n%s\n' "$prelude" "${cases[k + 1]}" >varko.lua
  start=$(date +%s.%N)
  /usr/bin/time -f "%M %U %S" -o rss.txt timeout 60 "$varko" >out.txt 2>&1
  status=$?
  end=$(date +%s.%N)
  outcome=$(grep '^=>' out.txt | tail -1 | tr '\t' ' ' | cut -c4-100)
  read -r rss user sys < <(tail -1 rss.txt)
  printf '%-62s %6s %8.1f %6.2f %6.2f  %s\n' "${cases[k]}" "$status" "$(echo "$rss / 1024" | bc -l)" \
    "$(echo "$user + $sys" | bc)" "$(echo "$end - $start" | bc)" "$outcome"
done
