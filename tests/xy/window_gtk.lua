-- The XY graphic window on the GTK driver in Xvfb, opened from the
-- application on a straight path of the sample project: a real click
-- (xdotool) on the red curve, found in a screenshot of the window, selects
-- a sample; the diamond appears on the main map's canvas where XYMark says;
-- the window's screenshot is compared with the committed reference
-- window_gtk.png: at most 3 % of its pixels may differ by more than 48 in
-- a channel (the menu and label text come from the system's fonts).
-- VARKO_UPDATE_GOLDENS=1 writes the new screenshot over the reference instead.
dofile("harness.lua")
dofile("xinput.lua")
VarkoDir = "sample"
dofile("sample/varko.lua")
-- the script's modules, under the names this test uses
VarkoUI, VarkoActions, VarkoRoutes, VarkoMap = require("varko_ui"), require("varko_actions"), require("varko_routes"),
                                               require("varko_map")
VarkoProject, VarkoFile, VarkoForms = require("varko_project"), require("varko_file"), require("varko_forms")
local p = Varko.Project

p.Paths[1] = { name = "straight", numPoints = 2, Points = { { x = 150, y = 450 }, { x = 420, y = 450 } } }
p.numPaths = 1
CopyPaths()
VarkoUI.path = 1

local function load_png(name)
  local w, h = imImageInfo(name)
  if not w then return nil end
  local image = imCreateImageRGB(w, h)
  if imLoadRGB(name, image) ~= IM_ERR_NONE then return nil end
  return image, w, h
end

-- The main canvas' pixels, to see what the diamond changed.
local function main_pixels()
  cdActivate(canvas.cdlua_canvas)
  local w, h = cdGetCanvasSize()
  local image = imCreateImageRGB(w, h)
  cdGetImageRGB(image, 0, 0)
  return image, w, h
end

-- The X window of a visible dialog by its title, without waiting (the
-- toolkit's loop must run for the window to appear).
local function find_window(title)
  local pipe = io.popen("timeout 5 xdotool search --onlyvisible --name '^" .. title .. "$' 2>/dev/null")
  local id = pipe:read("l")
  pipe:close()
  return id
end

local xywin, shot, before, after, target, opened
-- On GTK a drawing on the main canvas queues a repaint of it, whose ACTION
-- (the script's map repaint) replaces the diamond with the script's own
-- cross for XYMark: the canvas is read as the repaint starts.
local map_object = tab_handle[canvas]
local map_action = map_object.action
map_object.action = function(self, ...)
  if p.XYMark.x and not after then after = main_pixels() end
  return map_action(self, ...)
end
local steps = {
  { what = "main window", action = function() check(xinput.window("Varko - sample.vrk") ~= nil, "main window found") end },
  { what = "the profile window opens", action = function()
      VarkoActions.profileRoute()
      opened = os.time()
    end, done = function()
      -- found, and shown for two seconds so that the chart is drawn
      xywin = xywin or find_window("XYGraphic")
      return xywin ~= nil and os.time() - opened >= 2
    end },
  { what = "screenshot before the click", action = function()
      before = main_pixels()
      check(os.execute("timeout 20 import -window " .. xywin .. " xy_before.png"), "screenshot of the window")
      local image, w, h = load_png("xy_before.png")
      check(image ~= nil, "the screenshot loads")
      -- the longest vertical run of red: a jump of the profile between two
      -- samples, where a click hits the segment strictly between its ends
      -- (on a flat run a column may be exactly a sample's, which no
      -- segment's inside reaches)
      local function red(x, row)
        local i = x + row * w
        return image.r[i] == 255 and image.g[i] == 0 and image.b[i] == 0
      end
      local best, column, row = 0, nil, nil
      for x = 0, w - 1 do
        local run = 0
        for y = 0, h - 1 do
          if red(x, y) then
            run = run + 1
            if run > best then best, column, row = run, x, y - run // 2 end
          else
            run = 0
          end
        end
      end
      check(best >= 10, "the curve has a jump on the screen (" .. best .. " pixels)")
      target = { x = column or 0, y = h - 1 - (row or 0) }  -- the screenshot's row 0 is its bottom line
    end },
  { what = "a real click on the curve selects a sample", action = function()
      p.XYMark.x, p.XYMark.y = nil, nil
      xinput.click(xywin, target.x, target.y)
    end, done = function()
      -- the main canvas now, unless a repaint already read it
      if p.XYMark.x and not after then after = main_pixels(); end
      return after ~= nil
    end },  -- no second click: it would XOR the diamond away
  { what = "screenshot after the click", action = function()
      local from = os.time()
      while os.time() - from < 1 do end
      shot = (os.getenv("VARKO_UPDATE_GOLDENS") and os.getenv("VARKO_REFERENCE")) or "xy_after.png"
      check(os.execute("timeout 20 import -window " .. xywin .. " " .. shot), "screenshot after the click")
    end },
}

xinput.steps(steps, function()
  -- the diamond, filled and XOR-drawn around XYMark: its diagonal
  -- neighbours changed. (The sample script repaints its map all the time
  -- on GTK and then draws its own cross at XYMark instead; the canvas is
  -- read as such a repaint starts, so the diamond is what it holds.)
  if p.XYMark.x and after then
    local _, w = main_pixels()  -- the main canvas' width
    local function changed(dx, dy)
      local i = math.floor(p.XYMark.x) + dx + (math.floor(p.XYMark.y) + dy) * w
      return after.r[i] ~= before.r[i] or after.g[i] ~= before.g[i] or after.b[i] ~= before.b[i]
    end
    local diagonal = 0
    for _, d in ipairs({ { 2, 2 }, { -2, -2 }, { 2, -2 }, { -2, 2 }, { 0, 0 }, { 3, 0 }, { 0, -3 } }) do
      if changed(d[1], d[2]) then diagonal = diagonal + 1 end
    end
    check_eq(diagonal, 7, "the diamond is on the main map at XYMark")
    check(not changed(8, 8) and not changed(-8, 0), "and not beyond its size")
    if diagonal ~= 7 then
      for dy = 7, -7, -1 do
        local line = ""
        for dx = -7, 7 do line = line .. (changed(dx, dy) and "#" or ".") end
        print(line)
      end
    end
  end
  -- the window against its reference
  if not os.getenv("VARKO_UPDATE_GOLDENS") then
    local now, w, h = load_png(shot)
    local want, rw, rh = load_png("window_gtk.png")
    check(now ~= nil and want ~= nil, "both pictures load")
    if now and want then
      check(w == rw and h == rh, string.format("the window is %dx%d like the reference %dx%d", w, h, rw, rh))
      if w == rw and h == rh then
        local differ = 0
        for i = 0, w * h - 1 do
          if math.abs(now.r[i] - want.r[i]) > 48 or math.abs(now.g[i] - want.g[i]) > 48 or
             math.abs(now.b[i] - want.b[i]) > 48 then differ = differ + 1 end
        end
        check(differ <= 0.03 * w * h, string.format("%d of %d pixels differ from the reference", differ, w * h))
      end
    end
  end
  IupHide(VarkoUI.dialog)
  if IupGetHandle("xyDialog") then IupHide(IupGetHandle("xyDialog")) end
  finish()
end)
