-- Under GTK with real X input: the valuator's handle dragged upwards with
-- the mouse raises its value, and the release reaches the script.
dofile("harness.lua")
dofile("xinput.lua")

local W, H = 30, 120
local moved, released = 0, nil
local val = iupval { "VERTICAL", rastersize = W .. "x" .. H,
                     mousemove = function(self, value) moved = moved + 1 end,
                     buttonrelease = function(self, value) released = value end }
local dlg = iupdialog { val, title = "val-drag" }
dlg:showxy(40, 40)

local window
local handle = math.floor(0.05 * H + 2) + math.floor(0.1 * H)  -- from the bottom
xinput.steps({
  { what = "the window appears", action = function() window = xinput.window("val-drag") end,
    done = function() return window ~= nil end },
  { what = "the handle dragged up",
    action = function()
      xinput.run(string.format("mousemove --window %s %d %d mousedown 1 mousemove --window %s %d %d " ..
                               "mousemove --window %s %d %d mouseup 1", window, W // 2, H - 1 - handle,
                               window, W // 2, H - 1 - handle - 10, window, W // 2, H - 1 - handle - 30))
    end,
    done = function() return released ~= nil end },
}, function()
  check(moved > 0, "mousemove was called while dragging")
  check(released ~= nil and released > 0.2 and released <= 1,
        "the value rose with the drag (" .. tostring(released) .. ")")
  check_eq(tonumber(val.value), released, "VALUE reads the dragged value")
  finish()
  dlg:hide()
end)
