-- Two CD_IUP canvases on the GTK driver, each repainted by its ACTION: a
-- repaint activates its own canvas and so deactivates the other, which
-- must not repaint the other (whose repaint would activate it again, for
-- ever, starving the idle function). Once shown, quiet windows stay quiet.
dofile("harness.lua")
dofile("xinput.lua")

local painted = { 0, 0 }
local canvases, cds = {}, {}
for i = 1, 2 do
  canvases[i] = iupcanvas { rastersize = "80x60" }
  canvases[i].action = function()
    painted[i] = painted[i] + 1
    if cds[i] then
      cdActivate(cds[i])
      cdBackground(i == 1 and CD_YELLOW or CD_CYAN)
      cdClear()
      cdForeground(CD_BLUE)
      cdLine(0, 0, 79, 59)
    end
  end
end
local dlg = iupdialog { iuphbox { canvases[1], canvases[2] }, title = "two-canvases" }
dlg:showxy(30, 30)
for i = 1, 2 do
  cds[i] = cdCreateCanvas(CD_IUP, canvases[i])
  check(cds[i] ~= nil, "a canvas on GTK canvas " .. i)
end

local before
xinput.steps({
  { what = "shown", action = function() check(xinput.window("two-canvases") ~= nil, "the dialog is shown") end,
    done = xinput.after(1) },
  { what = "quiet", action = function() before = { painted[1], painted[2] } end, done = xinput.after(3) },
}, function()
  for i = 1, 2 do
    check(painted[i] >= 1, "canvas " .. i .. " was painted")
    check(painted[i] - before[i] <= 5,
          string.format("canvas %d repainted %d times while nothing changed", i, painted[i] - before[i]))
  end
  IupHide(dlg)
end)
IupMainLoop()
finish()
