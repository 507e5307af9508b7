-- The canvas's scroll and wheel methods: what the scrollbar operations hand
-- over (line and page steps only pass the new position; drags and ends store
-- it first), the wheel's arguments, and the wheel as line steps of the
-- vertical scrollbar when a canvas has no wheel method.
dofile("harness.lua")

-- The calls each canvas's scroll method saw, by canvas name.
local log = {}
local function recorder(name, store)
  log[name] = {}
  return function(self, op, posx, posy)
    local list = log[name]
    list[#list + 1] = { op = op, posx = posx, posy = posy }
    if store then IupSetAttribute(self, "POSX", posx); IupSetAttribute(self, "POSY", posy) end
  end
end

-- X: [0, 100] with a page of 10 (3000 native positions, line step 300);
-- Y: [0, 200] with a page of 50 (7500 native positions, line step 750).
local bars = { scrollbar = "YES", xmin = 0, xmax = 100, dx = 10, ymin = 0, ymax = 200, dy = 50,
               rastersize = "100x80" }
local function canvas_with(fields)
  local c = iupcanvas {}
  for k, v in pairs(bars) do c[k] = v end
  for k, v in pairs(fields) do c[k] = v end
  return c
end

local wheels = {}
local plain = canvas_with { scroll = recorder("plain", false) }
local stored = canvas_with { scroll = recorder("stored", true) }
local wheeled = canvas_with { scroll = recorder("wheeled", true),
                              wheel = function(self, delta, x, y, status)
                                wheels[#wheels + 1] = { self = self, delta = delta, x = x, y = y, status = status }
                              end }
local unscrolled = iupcanvas { rastersize = "50x50", scroll = recorder("unscrolled", true) }
local dlg = iupdialog { iuphbox { plain, stored, wheeled, unscrolled }, title = "Scrolling" }
dlg:show()

-- operation, native position, the positions handed over, the stored POSX
-- and POSY afterwards; before each case POSX is 20 (native 6000) and POSY
-- 0 (native 1, the smallest).
local span = function(native, range) return native * range / 30000 end
local cases = {
  { "line right", IUP_SBRIGHT, 0, 21, 0, "20", "0" },
  { "line left", IUP_SBLEFT, 0, 19, 0, "20", "0" },
  { "page right", IUP_SBPGRIGHT, 0, 30, 0, "20", "0" },
  { "page left", IUP_SBPGLEFT, 0, 10, 0, "20", "0" },
  { "line down", IUP_SBDN, 0, 20, span(751, 200), "20", "0" },
  { "line up held at the top", IUP_SBUP, 0, 20, span(1, 200), "20", "0" },
  { "page down", IUP_SBPGDN, 0, 20, span(7501, 200), "20", "0" },
  { "horizontal drag", IUP_SBDRAGH, 15000, 50, 0, "50", "0" },
  { "drag past the end held at 30000 - page", IUP_SBDRAGH, 29999, 90, 0, "90", "0" },
  { "horizontal end at 0 held at 1", IUP_SBPOSH, 0, span(1, 100), 0, "0.00333333", "0" },
  { "vertical drag", IUP_SBDRAGV, 3000, 20, 20, "20", "20" },
  { "vertical end", IUP_SBPOSV, 22500, 20, 150, "20", "150" },
}
for _, case in ipairs(cases) do
  local name, op, native, posx, posy, attr_x, attr_y = table.unpack(case)
  plain.posx, plain.posy = 20, 0
  log.plain = {}
  iuptest.scroll(plain, op, native)
  iuptest.deliver()
  local calls = log.plain
  check_eq(#calls, 1, name .. ": one call")
  local call = calls[1] or {}
  check_eq(call.op, op, name .. ": operation")
  check_near(call.posx, posx, 1e-3, name .. ": POSX handed over")
  check_near(call.posy, posy, 1e-3, name .. ": POSY handed over")
  check_eq(plain.posx, attr_x, name .. ": stored POSX")
  check_eq(plain.posy, attr_y, name .. ": stored POSY")
end

-- Repeated line steps move on only when the method stores the position.
stored.posx = 20
for _ = 1, 3 do iuptest.scroll(stored, IUP_SBRIGHT) end
iuptest.deliver()
check_near(tonumber(stored.posx), 23, 1e-3, "three stored line steps move three tenths of the page")

-- The wheel method gets the notches, the pointer and the status.
iuptest.wheel(wheeled, 1, 30, 40)
iuptest.wheel(wheeled, -0.5, 7, 8, "C")
iuptest.deliver()
check_eq(#wheels, 2, "two wheel calls")
local w1, w2 = wheels[1] or {}, wheels[2] or {}
check(w1.self == wheeled.handle, "the method gets the canvas")
check_eq(w1.delta, 1, "one notch away from the user")
check_eq(w1.x .. "," .. w1.y, "30,40", "the pointer")
check_eq(w1.status, "     ", "no key or button down")
check_eq(w2.delta, -0.5, "a fraction of a notch towards the user")
check_eq(w2.status, " C   ", "Ctrl down")
check_eq(#log.wheeled, 0, "a wheel method keeps the scrollbar still")

-- Without a wheel method: one vertical line step per notch.
stored.posy = 100  -- native 15000
log.stored = {}
iuptest.wheel(stored, -2, 10, 10)
iuptest.deliver()
check_eq(#log.stored, 2, "two notches, two line steps")
check_eq((log.stored[1] or {}).op, IUP_SBDN, "towards the user scrolls down")
check_near(tonumber(stored.posy), span(15000 + 2 * 750, 200), 1e-3, "two line steps down")
log.stored = {}
iuptest.wheel(stored, 1, 10, 10)
iuptest.deliver()
check_eq((log.stored[1] or {}).op, IUP_SBUP, "away from the user scrolls up")
check_eq(#log.stored, 1, "one notch, one step")

-- A canvas without scrollbars ignores the wheel; so do zero and NaN notches.
iuptest.wheel(unscrolled, 3, 5, 5)
iuptest.wheel(stored, 0, 5, 5)
iuptest.wheel(stored, 0 / 0, 5, 5)
log.stored = {}
iuptest.deliver()
check_eq(#log.unscrolled, 0, "no scrollbar, no scroll call")
check_eq(#log.stored, 0, "no notches, no step")

-- A failing method is reported and the loop goes on.
iuptest.answer_message()
wheeled.wheel = function() error("wheel fails") end
iuptest.wheel(wheeled, 1, 1, 1)
iuptest.deliver()
check(iuptest.transcript():find("wheel fails", 1, true) ~= nil, "the error is shown")
check(iuptest.visible(dlg), "and the dialog stays")

check_errors {
  { "wheel without notches", function() iuptest.wheel(wheeled) end, "iuptest: incorrect arguments to function" },
  { "wheel on no element", function() iuptest.wheel(nil, 1, 0, 0) end, "iuptest: incorrect arguments to function" },
}
dlg:hide()
finish()
