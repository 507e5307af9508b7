-- Building a project from images: import as themes (classes from the pixel
-- values present), size checks, class and theme edits reaching the
-- combined theme, the status line's description, a route through the menus'
-- functions, and the relative paths a saved project keeps.
dofile("harness.lua")
VarkoDir = "sample"
VarkoNoAutoLoad = true
dofile("sample/varko.lua")
-- the script's modules, under the names this test uses
VarkoUI, VarkoActions, VarkoRoutes, VarkoMap = require("varko_ui"), require("varko_actions"), require("varko_routes"),
                                               require("varko_map")
VarkoProject, VarkoFile, VarkoForms = require("varko_project"), require("varko_file"), require("varko_forms")

local W, H = 8, 6
dofile("session_common.lua")
local colours = { [3] = imEncodeColor(10, 20, 30) }
local function write_map(name, w, h, fn) session.writeMap(name, w, h, fn, colours) end
-- Column 4 is a wall of value 9 except at the top row.
write_map("ground.bmp", W, H, function(x, y) if x == 4 and y < H - 1 then return 9 end return 3 end)
write_map("wide.bmp", W + 1, H, function() return 3 end)
local rgb = imCreateImageRGB(W, H)
for k = 0, W * H - 1 do rgb.r[k] = (k % 2) * 200 end
check_eq(imSaveRGB(rgb, IM_BMP, IM_NONE, "photo.bmp"), IM_ERR_NONE, "fixture photo.bmp")

VarkoActions.newProject()
local p = Varko.Project
check_eq(p.numThemes, 0, "a new project has no themes")
check(VarkoActions.importFile("ground.bmp"), "map image imported")
check_eq(p.numThemes, 1, "one theme")
check_eq(p.Dimension.w .. "x" .. p.Dimension.h, "8x6", "the first theme sets the raster size")
local theme = p.Themes[1]
check_eq(theme.name, "ground", "named after the file")
check_eq(#theme.Classes, 2, "one class per pixel value present")
check_eq(theme.Classes[1].colorindex, 3, "value 3")
check_eq(theme.Classes[2].colorindex, 9, "value 9")
check_eq(VarkoProject.colourOf(theme.Image, 3), "10 20 30", "the class colour is the palette's")
check(VarkoUI.modified, "importing marks the project changed")

local before = VarkoFile.text(p)
check_eq(VarkoActions.importFile("wide.bmp"), nil, "an image of another size is refused")
check_eq(iuptest.last_message(), "Import theme: wide.bmp is 9 x 6 pixels, but the project's themes are 8 x 6.", "and said so")
check_eq(VarkoActions.importFile("nothing.bmp"), nil, "a missing file is refused")
check_eq(VarkoFile.text(p), before, "refused imports change nothing")

check(VarkoActions.importFile("photo.bmp"), "a true-colour image is imported as a map")
check_eq(p.Themes[2].file, "photo-classes.png", "through an 8-bit copy beside it")
local w2, h2, kind = imImageInfo("photo-classes.png")
check(w2 == W and h2 == H and kind == IM_MAP, "the copy is a map image of the raster size")
check_eq(#p.Themes[2].Classes, 2, "two colours, two classes")
VarkoUI.selectTheme(2)
VarkoActions.removeTheme()  -- the question closed without an answer
check_eq(p.numThemes, 2, "nothing removed without confirmation")
iuptest.answer_alarm(1)
VarkoActions.removeTheme()
check_eq(p.numThemes, 1, "removed after confirmation")

-- Class 9 impassable: the combined theme marks column 4 white (255).
VarkoUI.selectTheme(1)
VarkoUI.class = 2
VarkoActions.toggleImpassable()
check_eq(theme.Classes[2].weight, 100000, "toggled impassable")
theme.Classes[1].weight = 2
p.r, p.i = 1, 1
check(VarkoRoutes.generateCombined(), "combined theme made")
local ct = p.CombinedTheme
check_eq(ct.Image.imagemap[4], 255, "impassable pixel")
check_eq(ct.Image.imagemap[0], 0, "cheapest pixel")
VarkoUI.selectTheme(1)
check_eq(VarkoMap.describePixel(4, 0), "ground: Class 9 (impassable), impassable", "status text over the wall")
check_eq(VarkoMap.describePixel(0, 0), "ground: Class 3 (weight 2), cost 2.0", "status text elsewhere")
check_eq(VarkoMap.describePixel(-1, 0), "", "nothing outside the raster")

-- A route across the wall goes through the gap in the top row.
local k = VarkoActions.routeThrough({ { x = 1, y = 0 }, { x = 7, y = 0 } })
check_eq(k, 1, "route found")
local top = 0
for _, point in ipairs(p.Paths[1].Points) do
  check(point.x ~= 4 or point.y == H - 1, "route point off the wall")
  if point.y == H - 1 then top = top + 1 end
end
check(top > 0, "the route passes the gap")
-- The wall closed: no route, reported, no path left behind.
write_map("closed.bmp", W, H, function(x) return x == 4 and 9 or 3 end)
theme.Image = VarkoProject.loadMapImage("closed.bmp", W, H, "theme")
VarkoRoutes.invalidate()
check_eq(VarkoActions.routeThrough({ { x = 1, y = 0 }, { x = 7, y = 0 } }), nil, "no route through a closed wall")
check_eq(iuptest.last_message(),
         "New route: No route was found through these points: an impassable area may cut them apart.", "reported")
check_eq(p.numPaths, 1, "and no empty path is left")
-- On one side of the wall: a way dearer than the search's cost ceiling of
-- 100000 is told apart from a way cut off by impassable cells.
local dear_cases = {
  -- class weight, route found, message
  { 2, true, nil },
  { 90000, false, "New route: No route was found: the way between these points costs more than 100000, the most " ..
                  "a search can carry. Lower the weights, or split the route with points in between." },
}
for _, case in ipairs(dear_cases) do
  local weight, found, message = table.unpack(case)
  theme.Classes[1].weight = weight
  VarkoRoutes.invalidate()
  local paths = p.numPaths
  local made = VarkoActions.routeThrough({ { x = 0, y = 0 }, { x = 3, y = 0 } })
  check_eq(made ~= nil, found, "class weight " .. weight .. ": route found or not")
  if message then
    check_eq(iuptest.last_message(), message, "class weight " .. weight .. ": the ceiling is named")
    check_eq(p.numPaths, paths, "class weight " .. weight .. ": no path left behind")
  end
end
theme.Classes[1].weight = 2
VarkoRoutes.invalidate()

-- Saved elsewhere, the theme is found through a relative path.
os.execute("mkdir -p saved")
theme.path = "ground.bmp"
check(VarkoActions.saveFile("saved/tiny"), "saved with the extension added")
check_eq(VarkoUI.filename, "saved/tiny.vrk", "as tiny.vrk")
check_eq(theme.file, "../ground.bmp", "relative to the project's folder")
check(VarkoActions.openFile("saved/tiny.vrk"), "reopened")
check_eq(Varko.Project.Paths[1].name, "Route 1", "with its route")
check_eq(Varko.Project.Themes[1].Classes[2].weight, 100000, "and its impassable class")
IupHide(VarkoUI.dialog)
finish()
