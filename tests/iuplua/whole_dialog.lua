-- A dialog built with the script layer's constructors (menu, text field,
-- list, radio, buttons) driven through iuptest until it closes.
dofile("harness.lua")
local log = {}
local function note(text) log[#log + 1] = text end

local name = iuptext { value = "", nc = 20 }
local towns = iuplist { "Lisboa", "Porto", "Faro", value = 1,
  action = function(self, text, item, state) if state == 1 then note("town " .. text) end end }
local speed = edhradio { "slow", "fast", value = 1,
  action = function(self, state) if state == 1 then note("speed " .. self.title) end end }
local cancel = iupbutton { title = "Cancel", action = function() note("cancel"); return IUP_CLOSE end }
local ok = iupbutton { title = "Ok", action = function() note("ok " .. name.value); return IUP_CLOSE end }
local menu = iupmenu {
  { "File", iupmenu { iupitem { title = "Clear", action = function() name.value = ""; note("cleared") end } } },
  iupseparator {},
  { "About", action = function() note("about") end },
}
local dlg = iupdialog {
  iupvbox { edfield { prompt = "Name:", value = "x" }, name, towns, speed, iuphbox { ok, cancel } },
  title = "Route", menu = menu, defaultesc = cancel,
  close = function() note("closebox"); return IUP_IGNORE end,
}
check_eq(IupGetHandle(dlg.menu), menu, "the menu is named by handle")
dlg:show()
check(iuptest.visible(dlg), "dialog shown")

iuptest.focus(name)
iuptest.type("Ana")
iuptest.select(towns, 2)
local fast = tab_handle[speed].toggles[2]
iuptest.toggle(fast)
iuptest.closebox(dlg)
iuptest.deliver()
check_eq(name.value, "Ana", "typed text is the field's value")
check_eq(towns.value, "2", "list selection")
check_eq(iuptest.toggle_state(fast), 1, "the chosen radio toggle is checked")
check_eq(iuptest.toggle_state(tab_handle[speed].toggles[1]), 0, "and the other cleared")
check(iuptest.visible(dlg), "close box refused by the close method")

-- Menu items: find them through the script objects.
local items = {}
for element, object in pairs(tab_handle) do
  if object.parent == IUPITEM then items[element.title] = element end
end
iuptest.choose(items.Clear)
iuptest.choose(items.About)
iuptest.deliver()
check_eq(name.value, "", "menu item action cleared the field")

iuptest.focus(name)
iuptest.type("Rui")
iuptest.click(ok)
IupMainLoop()
check(not iuptest.visible(dlg), "Ok closed the dialog")
check_eq(table.concat(log, ","), "town Porto,speed fast,closebox,cleared,about,ok Rui", "event order")

-- Escape presses the DEFAULTESC button.
log = {}
dlg:show()
iuptest.focus(towns)
iuptest.esc()
IupMainLoop()
check_eq(log[1], "cancel", "Escape pressed Cancel")
dlg:destroy()
check_eq(tab_handle[dlg], nil, "destroy removes the object")
check_eq(IupGetAttribute(ok, "TITLE"), nil, "and its elements")
finish()
