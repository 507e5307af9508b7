-- Under GTK with real X input: a matrix cell clicked, typed into and ended
-- with Enter; a field with an integer mask refusing a typed letter; a field
-- with the "MASK" "##/##" refusing a letter and putting in the slash; a
-- cell of column 1 edited with its drop-down: a double click shows the
-- items, a click chooses one.
dofile("harness.lua")
dofile("xinput.lua")

local edited, focus_after_enter
local m = iupmatrix { numlin = 3, numcol = 2, ["1:1"] = "a", ["2:2"] = "old", rastersize = "260x110",
                      widthdef = 30, heightdef = 10,
                      edition = function(self, lin, col, mode)
                        if mode == 0 and col == 2 then edited = lin .. ":" .. col end
                      end,
                      drop = function(self, list, lin, col)
                        if col ~= 1 then return IUP_IGNORE end
                        IupSetAttribute(list, "1", "red")
                        IupSetAttribute(list, "2", "green")
                        IupSetAttribute(list, "3", "blue")
                        return IUP_DEFAULT
                      end }
local field = iuptext { rastersize = "120x" }
IupTextMaskSetInteger(field, 0, 0, 999)
local dated = iuptext { rastersize = "120x", mask = "##/##" }
local dlg = iupdialog { iupvbox { m, field, dated }, title = "matrix-edit" }
dlg:showxy(40, 40)

local window
local function cell_centre(lin, col)
  local x = tonumber(m.width0) + tonumber(m.width1) * (col - 1) + tonumber(m["width" .. col]) // 2
  local y = tonumber(m.height0) + tonumber(m.height1) * (lin - 1) + tonumber(m["height" .. lin]) // 2
  return x, y
end
xinput.steps({
  { what = "the window appears", action = function() window = xinput.window("matrix-edit") end,
    done = function() return window ~= nil end },
  { what = "cell 2:2 clicked", action = function()
      local x, y = cell_centre(2, 2)
      xinput.click(window, x, y)
    end,
    done = function() return m.focus_cell == "2:2" end, retry = 3 },
  { what = "typed and Enter", action = function() xinput.run("type --delay 50 'new'") xinput.run("key Return") end,
    done = function()
      focus_after_enter = m.focus_cell
      return edited ~= nil
    end },
  { what = "the field clicked", action = function()
      xinput.click(window, 60, tonumber(m.rastersize:match("x(%d+)")) + 12)
    end,
    done = xinput.after(1) },
  { what = "digits and a letter typed", action = function() xinput.run("type --delay 50 '12x3'") end,
    done = function() return field.value == "123" end },
  { what = "the MASK field focused", action = function() IupSetFocus(dated) end, done = xinput.after(1) },
  { what = "digits and a letter typed into the MASK field",
    action = function() xinput.run("type --delay 50 '12a34'") end,
    done = function() return dated.value == "12/34" end },
  { what = "cell 1:1 double-clicked: its items shown", action = function()
      local x, y = cell_centre(1, 1)
      xinput.click(window, x, y, "--repeat 2 --delay 80 ")
    end,
    done = function() return m.edit_mode == "YES" end, retry = 3 },
  { what = "the second item clicked", action = function()
      local x, y = cell_centre(1, 1)
      xinput.click(window, x, y + 2 * tonumber(m.height1))
    end,
    done = function() return m.edit_mode == "NO" end },
}, function()
  check_eq(m["2:2"], "new", "the typed text replaced the cell")
  check_eq(edited, "2:2", "the edit of 2:2 ended")
  check_eq(focus_after_enter, "3:2", "Enter moved the focus down")
  check_eq(field.value, "123", "the letter was refused by the mask")
  check_eq(dated.value, "12/34", "MASK refused the letter and put the slash in by itself")
  check_eq(m["1:1"], "green", "the item clicked in the drop-down")
  check_eq(m.focus_cell, "1:1", "choosing an item keeps the focus on the cell")
  finish()
  dlg:hide()
end)
