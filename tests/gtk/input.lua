-- Real windows under X: clicks, double-clicks, typing with the text-edit
-- protocol, dialog keys, a button, and the close box, all sent by xdotool.
dofile("harness.lua")
dofile("xinput.lua")

check_eq(IupGetGlobal("DRIVER"), "GTK", "the GTK driver is the default")

local log = {}
local function note(text) log[#log + 1] = text end
local function has(text)
  for _, line in ipairs(log) do if line == text then return true end end
  return false
end

local mouse = {}
local canvas = iupcanvas { rastersize = "120x80",
  button = function(self, b, pressed, x, y, status)
    mouse[#mouse + 1] = string.format("%s %d %d %d [%s]", string.char(b), pressed, x, y, status)
  end }
local edits = {}
local field = iuptext { rastersize = "120x", value = "",
  action = function(self, key)
    -- the binding passes the key; "VALUE" still reads the text before it
    edits[#edits + 1] = key .. ":" .. IupGetAttribute(self, "VALUE")
    if key == string.byte("x") then return IUP_IGNORE end
  end }
local pressed = 0
local go = iupbutton { title = "Go", rastersize = "60x30",
  action = function() pressed = pressed + 1 end }
local closes = 0
local dlg = iupdialog { iupvbox { canvas, field, go }, title = "gtk-input",
  close = function() closes = closes + 1; if closes == 1 then return IUP_IGNORE end end }
dlg:showxy(100, 100)

local function size(e)
  local w, h = string.match(IupGetAttribute(e.handle, "RASTERSIZE"), "(%d+)x(%d+)")
  return tonumber(w), tonumber(h)
end
local win
local _, canvas_h = size(canvas)
local _, field_h = size(field)

xinput.steps({
  { action = function() win = xinput.window("gtk-input"); check(win ~= nil, "dialog window found") end },
  { what = "click on the canvas",
    action = function() xinput.click(win, 30, 40) end,
    done = function() return #mouse >= 2 end },
  { what = "double-click on the canvas",
    action = function() xinput.click(win, 50, 20, "--repeat 2 --delay 80 ") end,
    done = function() return #mouse >= 6 end },
  { what = "typing into the field",
    action = function()
      xinput.click(win, 20, canvas_h + field_h // 2)
      xinput.run("windowactivate " .. win)
      xinput.run("type --delay 60 'axb'")
    end,
    done = function() return #edits >= 3 end },
  { what = "button click",
    action = function() xinput.click(win, 20, canvas_h + field_h + 10) end,
    done = function() return pressed == 1 end },
  -- the window manager handles alt+F4: on a loaded machine it may take a while
  { what = "first close refused", retry = 3, timeout = 25,
    action = function() xinput.run("windowactivate --sync " .. win .. " key alt+F4") end,
    done = function() return closes == 1 end },
  { what = "second close hides", retry = 3, timeout = 25,
    action = function() xinput.run("windowactivate --sync " .. win .. " key alt+F4") end,
    done = function() return closes == 2 end },
}, function() end)

IupMainLoop()

check_eq(mouse[1], "1 1 30 40 [  1  ]", "press with the left button down")
check_eq(mouse[2], "1 0 30 40 [     ]", "release")
check_eq(mouse[3], "1 1 50 20 [  1  ]", "first press of the double-click")
check_eq(mouse[5], "1 1 50 20 [  1  D]", "second press reported as double-click")
check_eq(#mouse, 6, "double-click: press, release, double press, release")
check_eq(table.concat(edits, ","), "97:,120:a,98:a", "ACTION sees each key before the change")
check_eq(field.value, "ab", "IGNORE kept the x out")
check_eq(pressed, 1, "button ACTION ran once")
check_eq(closes, 2, "CLOSE_CB asked twice")
check(dlg.visible ~= "YES", "the default close hid the dialog and the loop ended")
finish()
