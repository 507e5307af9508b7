-- Real X input on dialogs: K_ANY sees the keys typed in a field (a
-- dialog's K_ANY those of a field without one),
-- focus callbacks, a list's event order, a menu-bar item, a popup MENU whose
-- item runs before IupPopup returns, nested popup dialogs with their default
-- buttons (Enter, Esc) and the disabling of the other dialogs meanwhile, and
-- the end of the loop when the last dialog is hidden.
dofile("harness.lua")
dofile("xinput.lua")

local log = {}
local function note(text) log[#log + 1] = text end
local function logged(text)
  for _, line in ipairs(log) do if line == text then return true end end
  return false
end
local function size(e)
  local w, h = string.match(IupGetAttribute(e.handle, "RASTERSIZE"), "(%d+)x(%d+)")
  return tonumber(w), tonumber(h)
end

-- the main dialog: a field, a canvas, a list and a button that pops up
local keys = {}
local field = iuptext { rastersize = "120x", value = "",
  k_any = function(self, key)
    keys[#keys + 1] = key
    if key == string.byte("q") then return IUP_IGNORE end
    return IUP_DEFAULT
  end,
  getfocus = function() note("field getfocus") end,
  killfocus = function(self, next) note("field killfocus " .. (next == canvas_handle and "canvas" or "?")) end }
local chosen_by_menu = {}
local context = iupmenu {
  { "First", action = function() note("menu first") end },
  { "Second", action = function() note("menu second") end },
}
local canvas = iupcanvas { rastersize = "120x60",
  getfocus = function() note("canvas getfocus") end,
  button = function(self, b, pressed)
    if b == IUP_BUTTON3 and pressed == 1 then
      -- the item's ACTION has run when IupPopup returns
      IupPopup(context.handle, IUP_MOUSEPOS, IUP_MOUSEPOS)
      note("context popup returned")
    end
  end }
canvas_handle = canvas.handle
local list_events = {}
local list = iuplist { "one", "two", "three", "four", "five", value = 2, rastersize = "120x120",
  action = function(self, text, item, state)
    list_events[#list_events + 1] = string.format("%s %d %d", text, item, state)
  end }
local behind_clicks = 0
local behind = iupbutton { title = "Behind", rastersize = "60x30",
  action = function() behind_clicks = behind_clicks + 1 end }
local outer_returned = false
local open = iupbutton { title = "Open", rastersize = "60x30",
  action = function() outer:popup(200, 200); outer_returned = true end }
-- a field without a k_any of its own: the dialog's k_any sees its keys
local plain = iuptext { rastersize = "120x", value = "" }
local dialog_keys = {}
local main = iupdialog { iupvbox { field, canvas, list, iuphbox { behind, open }, plain }, title = "gtk-dialogs",
  k_any = function(self, key)
    dialog_keys[#dialog_keys + 1] = key
    if key == string.byte("z") then return IUP_IGNORE end
    return IUP_DEFAULT
  end }

-- a second dialog with a menu bar
local menu_runs = 0
local bar = iupmenu { { "File", iupmenu { { "Run", action = function() menu_runs = menu_runs + 1 end } } } }
local second = iupdialog { iuplabel { title = "menu bar above", rastersize = "160x40" },
  title = "gtk-menubar", menu = bar }

-- popups: the outer one nests the inner one; Enter presses its default
-- button, Esc its cancel button (which closes it)
local inner_closed = 0
local inner_button = iupbutton { title = "Done", rastersize = "80x30",
  action = function() inner_closed = inner_closed + 1; return IUP_CLOSE end }
local inner = iupdialog { iupvbox { inner_button }, title = "gtk-inner" }
outer = nil
local enter_presses, esc_presses = 0, 0
local nest = iupbutton { title = "Nest", rastersize = "80x30",
  action = function() note("inner opens"); IupPopup(inner.handle, 300, 300); note("inner returned") end }
local ok = iupbutton { title = "Ok", rastersize = "80x30",
  action = function() enter_presses = enter_presses + 1 end }
local cancel = iupbutton { title = "Cancel", rastersize = "80x30",
  action = function() esc_presses = esc_presses + 1; return IUP_CLOSE end }
local entry = iuptext { rastersize = "120x", value = "" }
outer = iupdialog { iupvbox { nest, entry, iuphbox { ok, cancel } }, title = "gtk-outer",
  defaultenter = IupGetName(ok.handle), defaultesc = IupGetName(cancel.handle) }

main:showxy(50, 50)
second:showxy(500, 50)
outer:map()

local _, field_h = size(field)
local _, canvas_h = size(canvas)
local _, list_h = size(list)
local _, nest_h = size(nest)
local _, entry_h = size(entry)
local win, menu_win, outer_win, inner_win
local list_y = field_h + canvas_h
local buttons_y = list_y + list_h + 15
local _, behind_h = size(behind)
local _, plain_h = size(plain)
local plain_y = list_y + list_h + behind_h + plain_h // 2
local entry_y = nest_h + entry_h // 2
local since
local function wait(seconds)
  return function() return os.time() - since >= seconds end
end

xinput.steps({
  { action = function()
      win = xinput.window("gtk-dialogs")
      menu_win = xinput.window("gtk-menubar")
      check(win ~= nil and menu_win ~= nil, "both windows found")
    end },
  { what = "typing into the field",
    -- keys typed before the window manager has made the window active go
    -- elsewhere: the window is activated first, and the keys are typed again
    -- while none of them has come
    action = function()
      if #keys > 0 or field.value ~= "" then return end
      xinput.run("windowactivate --sync " .. win)
      xinput.click(win, 20, field_h // 2)
      xinput.run("type --delay 60 'aqb'")
    end,
    retry = 3, timeout = 15,
    done = function() return #keys >= 3 and field.value == "ab" end },
  { what = "clicking the canvas moves the focus",
    action = function() xinput.click(win, 60, field_h + 30) end,
    done = function() return logged("canvas getfocus") end },
  { what = "typing into the field without a k_any",
    action = function()
      xinput.click(win, 20, plain_y)
      xinput.run("type --delay 60 'xzy'")
    end,
    done = function() return #dialog_keys >= 3 end },
  { what = "choosing the first list item",
    action = function() xinput.click(win, 30, list_y + 6) end,
    done = function() return #list_events >= 2 end },
  { what = "End moves the selection to the last item",
    action = function() xinput.run("key End") end,
    done = function() return #list_events >= 4 end },
  { what = "a context menu item",
    action = function()
      -- the menu tracks in its own loop: the item is clicked from outside
      os.execute("(sleep 1; xdotool mousemove --window " .. win .. " 90 " .. (field_h + 20 + 38) ..
                 " click 1) >/dev/null 2>&1 &")
      xinput.run(string.format("mousemove --window %s 60 %d click 3", win, field_h + 20))
    end,
    done = function() return logged("context popup returned") end },
  { what = "opening the menu bar's submenu",
    action = function() since = os.time(); xinput.click(menu_win, 15, 10) end,
    done = wait(1) },
  { what = "the menu bar item",
    action = function() xinput.click(menu_win, 25, 40) end,
    done = function() return menu_runs == 1 end },
  { what = "the outer popup opens",
    action = function() xinput.click(win, 90, buttons_y) end,
    done = function()
      outer_win = outer_win or xinput.window("gtk-outer")
      return outer_win ~= nil
    end },
  { what = "a click on the dialog behind does nothing",
    action = function() since = os.time(); xinput.click(win, 30, buttons_y) end,
    done = wait(2) },
  { what = "Enter in the field presses the default button",
    action = function()
      xinput.click(outer_win, 20, entry_y)
      xinput.run("key Return")
    end,
    done = function() return enter_presses == 1 end },
  { what = "the inner popup nests",
    action = function() xinput.click(outer_win, 20, nest_h // 2) end,
    done = function()
      inner_win = inner_win or xinput.window("gtk-inner")
      return inner_win ~= nil
    end },
  { what = "keys to the outer popup are ignored under the inner one",
    action = function()
      since = os.time()
      xinput.click(outer_win, 20, entry_y)
      xinput.run("key Return")
    end,
    done = wait(2) },
  { what = "the inner popup's button closes it",
    action = function() xinput.click(inner_win, 20, 15) end,
    done = function() return logged("inner returned") end },
  { what = "Esc presses the cancel button, which closes the popup",
    action = function() xinput.click(outer_win, 20, entry_y); xinput.run("key Escape") end,
    done = function() return outer_returned end },
  { what = "the dialog behind works again",
    action = function() xinput.click(win, 30, buttons_y) end,
    done = function() return behind_clicks == 1 end },
  { what = "closing the second dialog", retry = 3,
    action = function() xinput.run("windowactivate --sync " .. menu_win .. " key alt+F4") end,
    done = function() return second.visible ~= "YES" end },
  { what = "closing the last dialog", retry = 3,
    action = function() xinput.run("windowactivate --sync " .. win .. " key alt+F4") end,
    done = function() return main.visible ~= "YES" end },
}, function() end)

IupMainLoop()

check_eq(table.concat(keys, ","), "97,113,98", "K_ANY saw the keys typed in the field")
check_eq(field.value, "ab", "IUP_IGNORE from K_ANY kept the q out")
-- (later keys on the list may follow)
check_eq(table.concat(dialog_keys, ",", 1, math.min(3, #dialog_keys)), "120,122,121",
         "the dialog's K_ANY saw the keys typed in a field without one, not those of a field with one")
check_eq(plain.value, "xy", "IUP_IGNORE from the dialog's K_ANY kept the z out")
check(logged("field getfocus"), "the field reported its focus")
check(logged("field killfocus canvas"), "the field lost the focus to the canvas")
check_eq(table.concat(list_events, ","), "two 2 0,one 1 1,one 1 0,five 5 1", "list: old item first, then the new one")
check(logged("menu second"), "the context menu ran the chosen item")
check(not logged("menu first"), "and no other")
local second_at, returned_at
for i, line in ipairs(log) do
  if line == "menu second" then second_at = i end
  if line == "context popup returned" then returned_at = i end
end
check(second_at ~= nil and returned_at ~= nil and second_at < returned_at, "the item ran before IupPopup returned")
check_eq(menu_runs, 1, "the menu bar item ran once")
check_eq(enter_presses, 1, "Enter pressed the default button once (not while the inner popup ran)")
check_eq(inner_closed, 1, "the inner popup closed by its button")
check(logged("inner opens") and logged("inner returned"), "the inner IupPopup returned")
check_eq(esc_presses, 1, "Esc pressed the cancel button")
check(outer_returned, "the outer IupPopup returned")
check_eq(behind_clicks, 1, "the dialog behind was disabled during the popup and enabled after")
check(main.visible ~= "YES" and second.visible ~= "YES", "the loop ended once the last dialog was hidden")
finish()
