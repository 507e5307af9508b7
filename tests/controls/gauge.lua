-- The gauge's script binding: its constructors, fields as attributes, and
-- its misuse table with the exact messages.
dofile("harness.lua")

check_errors {
  { "IupCreateGauge with an argument", function() IupCreateGauge(1) end,
    "IupCreateGauge: incorrect arguments to function" },
}
-- the object layer's messages carry the caller's position in front
for _, case in ipairs {
  { "iupgauge without a table", function() iupgauge(3) end,
    "parameter 1 of 'iupgauge' has wrong value or is not initialized" },
  { "iupgauge with a name that is no string", function() iupgauge { name = {} } end,
    "option name must be a string" },
} do
  local ok, message = pcall(case[2])
  check(not ok and message:sub(-#case[3]) == case[3], case[1] .. ": " .. tostring(message))
end

local plain = IupCreateGauge()
check_eq(IupGetAttribute(plain, "TYPENAME"), "GAUGE", "IupCreateGauge makes a gauge")
check(IupGetName(plain) ~= nil, "a gauge made in C gets a handle name")
check_eq(plain.value, "0", "a new gauge stands at 0")

local g = iupgauge { value = 0.5, text = "Half", dashed = "YES", name = "the_gauge" }
check_eq(IupGetHandle("the_gauge"), g, "the name is the gauge's handle name")
check_eq(g.value, "0.5", "value set by the constructor")
check_eq(g.text, "Half", "text set by the constructor")
check_eq(g.dashed, "YES", "dashed set by the constructor")
g.value = 1.5
check_eq(g.value, "0.5", "a value above 1 leaves the gauge")
g.value = 0.75
check_eq(g.value, "0.75", "a value within 0..1 is taken")
g.show_text = "NO"
check_eq(g.show_text, "NO", "show_text")

local dialog = iupdialog { iupvbox { g, plain } }
dialog:show()
iuptest.step()
local w, h, pixels = iuptest.shown(g)
check(w ~= nil and w > 0 and h > 0, "the shown gauge has a picture")
if w then
  local at = ((h // 2) * w + 7) * 3 + 1
  check_eq(string.format("%d %d %d", pixels:byte(at, at + 2)), "0 0 170", "the bar is drawn at its left end")
end
dialog:destroy()
check_eq(IupGetHandle("the_gauge"), nil, "destroyed with its dialog")
finish()
