-- Copy map and Print on GTK in Xvfb, asked for with real keys: xclip reads
-- the clipboard's PNG, which Pillow finds equal to the PNG export; GTK's
-- print-to-file printer writes a PDF that poppler reads: one page holding
-- the map at its proportions with the red route; the print dialog's Escape
-- prints nothing and says so. Real Ctrl+Shift+S and Ctrl+S reach Save as
-- and Save.
dofile("harness.lua")
dofile("xinput.lua")
dofile("session_common.lua")
VarkoDir = "sample"
dofile("sample/varko.lua")
local VarkoUI, VarkoActions, VarkoMap = require("varko_ui"), require("varko_actions"), require("varko_map")
local VarkoOutput = require("varko_output")
local p = Varko.Project

-- the messages the application gives, kept instead of shown
local said = {}
VarkoUI.message = function(title, text) said[#said + 1] = title .. ": " .. text end

local function exists(name)
  local f = io.open(name, "rb")
  if f then f:close() end
  return f ~= nil
end
local function read_all(name)
  local f = io.open(name, "rb")
  if not f then return "" end
  local text = f:read("a")
  f:close()
  return text
end
local function shell_ok(command) return os.execute(command) == true end
-- the visible X window titled title, without waiting for it
local function window_now(title)
  local pipe = io.popen("timeout 5 xdotool search --onlyvisible --name '^" .. title .. "$' 2>/dev/null")
  local id = pipe:read("l")
  pipe:close()
  return id
end

local cwd = os.getenv("PWD") or "."
local win
local keys_seen = {}
local after = xinput.after
local steps = {
  { what = "main window", action = function()
    win = xinput.window("Varko - sample.vrk")
    check(win ~= nil, "main window found")
    check(VarkoOutput.hasDisplay(), "GTK has a display")
    check(VarkoActions.routeThrough(session.routePoints) == 1, "a route to print")
    VarkoMap.fit()
    VarkoMap.redraw()
  end, done = after(1) },
  { what = "the map takes the focus", action = function()
    local x, y = tonumber(IupGetAttribute(canvas, "X")) or 0, tonumber(IupGetAttribute(canvas, "Y")) or 0
    xinput.run(string.format("mousemove %d %d click 1", x + 20, y + 20))
  end, done = after(1) },
  { what = "Ctrl+C copies the map", retry = 3, action = function() xinput.run("key ctrl+c") end,
    done = function() return (IupGetAttribute(VarkoUI.status, "TITLE") or ""):find("Copied", 1, true) ~= nil end },
  -- real Ctrl+Shift+S and Ctrl+S reach the main dialog's two items (probes
  -- stand in for the file dialog and the save)
  { what = "Ctrl+Shift+S is Save as", retry = 3, action = function()
    VarkoUI.actions["Save as probe"] = function() keys_seen[#keys_seen + 1] = "save as" end
    VarkoUI.actions["Save probe"] = function() keys_seen[#keys_seen + 1] = "save" end
    VarkoUI.shiftShortcuts[K_cS], VarkoUI.shortcuts[K_cS] = "Save as probe", "Save probe"
    xinput.run("key ctrl+shift+s")
  end, done = function() return #keys_seen > 0 end },
  { what = "Ctrl+S is Save", retry = 3, action = function() xinput.run("key ctrl+s") end,
    done = function() return #keys_seen > 1 end },
  { what = "xclip reads the PNG", action = function()
    check(VarkoMap.export("view.png", "PNG"), "the view exported for comparison")
    os.execute("(timeout 30 xclip -selection clipboard -t image/png -o > clip.png; echo $? > clip.done) &")
  end, done = function() return exists("clip.done") end, timeout = 35 },
  -- the print dialog runs its own loop, where the steps do not run: a
  -- shell beside presses Escape in it (again while it stays up)
  { what = "Ctrl+P, and Escape in the print dialog", action = function()
    -- the dialog's title is the document's name
    os.execute("(for i in $(seq 80); do id=$(xdotool search --onlyvisible --name '^" ..
               VarkoOutput.documentName() .. "$' | head -1); " ..
               "if [ -n \"$id\" ]; then echo $id >> escaped.txt; sleep 1; " ..
               "xdotool windowactivate --sync $id key Escape; fi; sleep 0.5; done) > /dev/null 2>&1 &")
    xinput.run("key ctrl+p")
  end, done = function() return #said > 0 end, timeout = 45 },
}

xinput.steps(steps, function()
  check_eq(table.concat(keys_seen, ","), "save as,save", "Ctrl+Shift+S saves as, Ctrl+S saves")
  -- the clipboard
  check_eq(read_all("clip.done"):match("%d+"), "0", "xclip got the clipboard's PNG")
  check(shell_ok("/usr/bin/python3 -c \"import sys; from PIL import Image, ImageChops; " ..
                 "a = Image.open('clip.png').convert('RGB'); b = Image.open('view.png').convert('RGB'); " ..
                 "sys.exit(0 if a.size == b.size and ImageChops.difference(a, b).getbbox() is None else 1)\""),
        "the clipboard's picture is the exported view, pixel for pixel")
  -- the print dialog cancelled
  check(exists("escaped.txt"), "the print dialog was shown")
  check_eq(said[1], "Print: Not printed: the print was cancelled, or no printer can be reached.",
           "a cancelled print says so")
  check(not exists("map.pdf"), "and prints nothing")
  -- printing to a PDF through the print-to-file printer
  cdPrinterSetting("printer", "Print to File")
  cdPrinterSetting("output-uri", "file://" .. cwd .. "/map.pdf")
  cdPrinterSetting("output-file-format", "pdf")
  cdPrinterSetting("resolution", "150")
  local x0, x1, y0, y1 = VarkoMap.mapFrame()
  check(VarkoOutput.print(false), "printed to the file")
  check(shell_ok("pdfinfo map.pdf > info.txt 2>&1"), "pdfinfo reads the PDF")
  check(read_all("info.txt"):find("Pages:%s+1\n") ~= nil, "one page")
  check(shell_ok("pdftoppm -r 75 -singlefile -png map.pdf page > /dev/null 2>&1"), "pdftoppm draws the page")
  -- the inked box of the page has the map's proportions, and red route pixels
  local pipe = io.popen("/usr/bin/python3 -c \"from PIL import Image; im = Image.open('page.png').convert('RGB'); " ..
                        "w, h = im.size; px = im.load(); " ..
                        "box = im.point(lambda v: 255 - v).getbbox(); " ..
                        "red = sum(1 for y in range(h) for x in range(w) if px[x, y][0] > 200 and px[x, y][1] < 60 and px[x, y][2] < 60); " ..
                        "print(box[2] - box[0], box[3] - box[1], red)\" 2>&1")
  local bw, bh, red = pipe:read("a"):match("(%d+) (%d+) (%d+)")
  pipe:close()
  check(bw ~= nil, "the page has a picture")
  if bw then
    check_near(tonumber(bw) / tonumber(bh), (x1 - x0) / (y1 - y0), 0.03, "the printed map keeps its proportions")
    check(tonumber(bw) > (x1 - x0) / 2, "the map fills the page's width")
    check(tonumber(red) > 50, "the route is printed in red")
  end
  IupHide(VarkoUI.dialog)
  finish()
end)
