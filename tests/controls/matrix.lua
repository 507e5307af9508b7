-- The matrix's and the masks' script bindings: misuse messages, the matrix
-- object built by iupmatrix with cells as fields, its methods called with
-- the callbacks' arguments and return codes, callback mode, and masks on a
-- text field and on a cell typed into.
dofile("harness.lua")

local text = iuptext {}
check_errors {
  { "IupCreateMatrix with an argument", function() IupCreateMatrix(1) end,
    "IupCreateMatrix: incorrect arguments to function" },
  { "IupTextMaskSet without a flag", function() IupTextMaskSet(text, "/d") end,
    "IupTextMaskSet: incorrect arguments to function" },
  { "IupTextMaskSet on no element", function() IupTextMaskSet("text", "/d", 0, 0) end,
    "IupTextMaskSet: incorrect arguments to function" },
  { "IupTextMaskSet with a table for pattern", function() IupTextMaskSet(text, {}, 0, 0) end,
    "IupTextMaskSet: incorrect arguments to function" },
  { "IupTextMaskSetCell without its cell", function() IupTextMaskSetCell(text, "/d", 0, 0) end,
    "IupTextMaskSetCell: incorrect arguments to function" },
  { "IupTextMaskSetInteger with five arguments", function() IupTextMaskSetInteger(text, 0, 1, 2, 3) end,
    "IupTextMaskSetInteger: incorrect arguments to function" },
  { "IupTextMaskSetReal with a text bound", function() IupTextMaskSetReal(text, 0, "low", 2) end,
    "IupTextMaskSetReal: incorrect arguments to function" },
  { "IupTextMaskCheck with two arguments", function() IupTextMaskCheck(text, "1") end,
    "IupTextMaskCheck: incorrect arguments to function" },
}
local expected = "parameter 1 of 'iupmatrix' has wrong value or is not initialized"
local ok, message = pcall(function() iupmatrix(3) end)
check(not ok and message:sub(-#expected) == expected, "iupmatrix without a table: " .. tostring(message))

-- patterns that do not compile are refused with 0, the field left alone
check_eq(IupTextMaskSet(text, "[0-9", 0, 0), 0, "an unclosed set")
check_eq(IupTextMaskSet(text, "/999", 0, 0), 0, "a decimal code of 256 or more")
check_eq(IupGetAttribute(text, "iupmaskMASK"), nil, "no mask kept")
check_eq(IupTextMaskSetInteger(text, 0, 0, 255), 1, "the integer mask")

local log = {}
local m = iupmatrix { numlin = 3, numcol = 2, ["1:1"] = "a", ["2:1"] = "b", ["3:2"] = "f",
                      ["0:1"] = "Name", rastersize = "300x120",
                      action = function(self, key, lin, col, edit, t)
                        log[#log + 1] = string.format("key %d %d:%d %d %s", key, lin, col, edit, t)
                        if key == string.byte("n") then return IUP_IGNORE end
                      end,
                      enteritem = function(self, lin, col) log[#log + 1] = "enter " .. lin .. ":" .. col end,
                      leaveitem = function(self, lin, col)
                        log[#log + 1] = "leave " .. lin .. ":" .. col
                        if lin == 2 then return IUP_IGNORE end
                      end,
                      edition = function(self, lin, col, mode) log[#log + 1] = "edition " .. mode end }
check_eq(IupGetAttribute(m, "TYPENAME"), "MATRIX", "iupmatrix makes a matrix")
check_eq(m["2:1"], "b", "cells read as fields")
check_eq(m.numlin, "3", "lines")
m["3:1"] = "e"
check_eq(IupGetAttribute(m, "3:1"), "e", "cells written as fields")
check_eq(IupTextMaskSetInteger(m, 0, 0, 99, 3, 1), 1, "an integer mask on cell 3:1")

local dialog = iupdialog { iupvbox { m, text } }
dialog:show()
iuptest.step()
iuptest.focus(m)
iuptest.type("xn")
iuptest.key(13)
iuptest.deliver()
check_eq(m["1:1"], "x", "typed into the cell; the method's IUP_IGNORE stopped the n")
check_eq(log[1], "key 120 1:1 0 x", "the action method gets key, cell, mode and text")
check_eq(log[2], "edition 1", "edition method entering")
check_eq(m.focus_cell, "2:1", "Enter moved down")
log = {}
iuptest.key(336)  -- down: refused by leaveitem on line 2
iuptest.deliver()
check_eq(m.focus_cell, "2:1", "IUP_IGNORE from leaveitem keeps the focus")
check_eq(log[#log], "leave 2:1", "leaveitem was asked")
m.focus_cell = "3:1"
iuptest.type("7a8")
iuptest.key(13)
iuptest.deliver()
check_eq(m["3:1"], "78", "the cell's mask refused the letter")

iuptest.focus(text)
iuptest.type("25a6")
iuptest.deliver()
check_eq(text.value, "25", "the field's mask refused the letter and 256")
check_eq(IupTextMaskCheck(text), 1, "25 is within 0..255")
check_eq(IupTextMaskCheck(m, "100", 3, 1), 0, "100 is beyond 99")
dialog:destroy()

-- callback mode: the texts come from the value method
local edits = {}
local cb = iupmatrix { numlin = 1000, numcol = 3, rastersize = "300x120",
                       value = function(self, lin, col) return lin * 10 + col end,
                       value_edit = function(self, lin, col, t) edits[#edits + 1] = lin .. ":" .. col .. "=" .. t end }
local d2 = iupdialog { cb }
d2:show()
iuptest.step()
check_eq(cb["12:3"], "123", "a number returned by value is shown as its text")
iuptest.focus(cb)
iuptest.type("z")
iuptest.key(13)
iuptest.deliver()
check_eq(edits[1], "1:1=z", "value_edit receives the edited text")
d2:destroy()

-- the field method gives the element that edits a cell: here a field whose
-- MASK takes digits only
local digits = iuptext { mask = "##" }
local fm = iupmatrix { numlin = 2, numcol = 1, rastersize = "200x100",
                       field = function(self, lin, col) if lin == 1 then return digits end end }
local d3 = iupdialog { fm }
d3:show()
iuptest.step()
iuptest.focus(fm)
iuptest.type("4x2")
iuptest.key(13)
iuptest.type("4x")
iuptest.key(13)
iuptest.deliver()
check_eq(fm["1:1"], "42", "line 1 edited in the field: its mask refused the letter")
check_eq(digits.value, "42", "the field held the text")
check_eq(fm["2:1"], "4x", "line 2 (field returns nil) edited by the matrix's own editor")
d3:destroy()
finish()
