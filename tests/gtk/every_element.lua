-- A dialog holding every element kind, photographed with ImageMagick's
-- import and compared with tests/gtk/every_element.png (VARKO_REFERENCE) by
-- compare_picture.py (VARKO_COMPARE), tolerant of the few pixels a window
-- manager and a blinking caret vary; VARKO_UPDATE_GOLDENS=1 retakes it.
dofile("harness.lua")
dofile("xinput.lua")

local arrow = iupimage {
  { 0, 0, 0, 15, 15, 0, 0, 0 }, { 0, 0, 15, 1, 1, 15, 0, 0 }, { 0, 15, 1, 1, 1, 1, 15, 0 },
  { 15, 1, 1, 1, 1, 1, 1, 15 }, { 0, 0, 15, 3, 3, 15, 0, 0 }, { 0, 0, 15, 3, 3, 15, 0, 0 },
  { 0, 0, 15, 3, 3, 15, 0, 0 }, { 0, 0, 15, 15, 15, 15, 0, 0 } }
IupSetHandle("every_arrow", arrow.handle)
local file = iupmenu { { "Open", action = function() end }, iupseparator {}, { "Quit", action = function() end } }
local bar = iupmenu { { "File", file }, { "Help", iupmenu { { "About", action = function() end } } } }
local canvas = iupcanvas { rastersize = "120x90", scrollbar = "YES", bgcolor = "255 255 255", tip = "a canvas",
  xmin = 0, xmax = 1, dx = 0.5, ymin = 0, ymax = 1, dy = 0.5 }
local dlg = iupdialog {
  iuphbox {
    iupvbox {
      iupframe { iupvbox { iuplabel { title = "Label (Latin-1: \225rea)" }, iuplabel { image = "every_arrow" },
                           iuplabel { separator = "HORIZONTAL" } }, title = "Labels" },
      iuphbox { iupbutton { title = "Button", action = function() end },
                iupbutton { image = "every_arrow", action = function() end } },
      iuphbox { iuptoggle { title = "Toggle", value = "ON" }, iuptoggle { image = "every_arrow" } },
      iupradio { iupvbox { iuptoggle { title = "Radio one" }, iuptoggle { title = "Radio two" } } },
      iuptext { value = "text", rastersize = "140x" },
      iupmultiline { value = "multi\nline", rastersize = "140x50" },
      gap = 4, margin = "4x4" },
    iupvbox {
      iuplist { "one", "two", "three", value = 2, rastersize = "120x60" },
      iuplist { "drop", "down", dropdown = "YES", value = 1, rastersize = "120x100" },
      canvas, iupfill {},
      gap = 4, margin = "4x4" } },
  title = "every-element", menu = bar }
dlg:showxy(20, 20)

local shot = "every_element.png"
local win
xinput.steps({
  { action = function() win = xinput.window("every-element"); check(win ~= nil, "dialog window found") end },
  { what = "the picture",
    action = function()
      os.execute("sleep 1")
      check(os.execute("timeout 20 import -window " .. win .. " '" .. shot .. "'"), "import ran")
    end },
}, function()
  local f = io.open(shot, "rb")
  local head = f and f:read(8)
  if f then f:close() end
  check_eq(head, "\137PNG\r\n\26\n", "a PNG was written")
  local compare, reference = os.getenv("VARKO_COMPARE"), os.getenv("VARKO_REFERENCE")
  check(compare and reference, "the reference picture is named")
  if compare and reference then
    check(os.execute("/usr/bin/python3 '" .. compare .. "' " .. shot .. " '" .. reference .. "'"),
          "the dialog looks as its reference")
  end
  dlg:hide()
end)
IupMainLoop()
finish()
