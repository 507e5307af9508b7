-- The valuator's script binding: misuse messages, fields as attributes, and
-- its methods called with the value when the valuator is dragged.
dofile("harness.lua")

check_errors {
  { "IupCreateVal with a table", function() IupCreateVal({}) end, "IupCreateVal: incorrect arguments to function" },
  { "IupCreateVal with two arguments", function() IupCreateVal("VERTICAL", 1) end,
    "IupCreateVal: incorrect arguments to function" },
}
for _, case in ipairs {
  { "iupval without a table", function() iupval(1) end,
    "parameter 1 of 'iupval' has wrong value or is not initialized" },
  { "iupval with an orientation that is no string", function() iupval { 3 } end, "option type must be a string" },
} do
  local ok, message = pcall(case[2])
  check(not ok and message:sub(-#case[3]) == case[3], case[1] .. ": " .. tostring(message))
end

check_eq(IupGetAttribute(IupCreateVal(), "TYPENAME"), "VAL", "no orientation still makes a valuator")

local moved, pressed, released = {}, nil, nil
local v = iupval { "VERTICAL", value = 0, min = 0, max = 10,
                   mousemove = function(self, value) moved[#moved + 1] = value end,
                   buttonpress = function(self, value) pressed = value end,
                   buttonrelease = function(self, value) released = value end }
check_eq(v.value, "0.000000", "value read with six decimals")
check_eq(v.max, "10", "max set by the constructor")
v.value = 12
check_eq(v.value, "12.000000", "a value above MAX is taken as is")
v.value = 0
-- MIN above MAX neither crashes nor leaves the range
local backwards = iupval { "HORIZONTAL", min = 1, max = 0, value = 1 }

local dialog = iupdialog { iuphbox { v, backwards } }
dialog:show()
iuptest.step()
local _, _, w, h = iuptest.rect(v)
local handle = math.floor(0.05 * h + 2) + math.floor(0.1 * h)
iuptest.press(v, IUP_BUTTON1, w // 2, h - 1 - handle)
iuptest.motion(v, w // 2, h - 1 - handle - 20)
iuptest.release(v, IUP_BUTTON1, w // 2, h - 1 - handle - 20)
iuptest.deliver()
check_eq(pressed, 0, "buttonpress gets the value at the press")
check(#moved == 1 and moved[1] > 0 and moved[1] <= 10, "mousemove gets the dragged value")
check_eq(released, moved[1], "buttonrelease gets the value at the release")

local _, _, bw, bh = iuptest.rect(backwards)
iuptest.press(backwards, IUP_BUTTON1, math.floor(0.15 * bw), bh // 2)
iuptest.motion(backwards, 5 * bw, bh // 2)
iuptest.release(backwards, IUP_BUTTON1, 5 * bw, bh // 2)
iuptest.deliver()
local b = tonumber(backwards.value)
check(b >= 0 and b <= 1, "backwards range: the value stays inside (" .. tostring(b) .. ")")
dialog:destroy()
finish()
