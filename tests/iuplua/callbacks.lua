-- Trampoline rules: results, errors, keys, arguments, idle.

dofile("harness.lua")
-- A popup driven by events queued before it runs.
local presses = 0
local result = nil
local ok = iupbutton { title = "Ok", action = function(self) presses = presses + 1; return result end }
local broken = iupbutton { title = "Broken", action = function(self) error("button fails") end }
local text = iuptext { value = "" }
local dlg = iupdialog { iupvbox { text, ok, broken }, title = "Callbacks" }
dlg:show()

-- A method returning nothing is IUP_DEFAULT: the dialog stays.
iuptest.click(ok)
iuptest.deliver()
check_eq(presses, 1, "action ran")

-- An error is reported through IupNewError and the dialog stays open.
iuptest.answer_message()
iuptest.click(broken)
iuptest.deliver()
check(iuptest.visible(dlg), "a failing button leaves the dialog open")
local shown = iuptest.transcript()
check(shown:find("Error", 1, true) ~= nil and shown:find("button fails", 1, true) ~= nil,
      "the error is shown in a message box: " .. shown)
check(shown:find("\nfunction ", 1, true) ~= nil, "the message says where: " .. shown)

-- IUP_CLOSE closes.
result = IUP_CLOSE
iuptest.click(ok)
iuptest.deliver()
check(not iuptest.visible(dlg), "IUP_CLOSE hides the dialog")

-- Keys: IUP_IGNORE drops the key; an error continues to the ancestors, so
-- the key reaches the field.
local keys = {}
text.k_any = function(self, key) keys[#keys + 1] = key; if key == K_x then return IUP_IGNORE end end
dlg:show()
iuptest.focus(text)
iuptest.type("xy")
iuptest.deliver()
check_eq(iuptest.text(text), "y", "IUP_IGNORE from k_any drops the key")
check_eq(keys[1], K_x, "k_any receives the key code")
text.k_any = function(self, key) error("key fails") end
iuptest.answer_message()
iuptest.answer_message()
iuptest.type("z")
iuptest.deliver()
check_eq(iuptest.text(text), "yz", "a failing k_any lets the key through")

-- A dialog's k_any sees the keys of a field without a k_any of its own, and
-- its IUP_IGNORE keeps them out; a field's own answer stops them first.
local dialog_keys = {}
local plain = iuptext { value = "" }
local answering = iuptext { value = "", k_any = function() return IUP_DEFAULT end }
local keyed = iupdialog { iupvbox { plain, answering }, title = "Keys",
  k_any = function(self, key)
    dialog_keys[#dialog_keys + 1] = key
    if key == K_q then return IUP_IGNORE end
  end }
keyed:show()
iuptest.focus(plain)
iuptest.type("qw")
iuptest.deliver()
check_eq(table.concat(dialog_keys, ","), K_q .. "," .. K_w, "the dialog's k_any saw the field's keys")
check_eq(iuptest.text(plain), "w", "the dialog's IUP_IGNORE kept the q out")
iuptest.focus(answering)
iuptest.type("e")
iuptest.deliver()
check_eq(#dialog_keys, 2, "a field answering IUP_DEFAULT keeps its keys from the dialog")
check_eq(iuptest.text(answering), "e", "and the key reaches the field")
IupHide(keyed)
iuptest.focus(text)

-- Text action: key code only, and a returned code replaces the character.
local typed = {}
text.action = function(self, key, extra) typed[#typed + 1] = key; typed.extra = extra
  if key == K_a then return K_b end end
text.k_any = function() return IUP_CONTINUE end
iuptest.type("a")
iuptest.deliver()
check_eq(typed[1], K_a, "text action gets the key")
check_eq(typed.extra, nil, "the new text is not passed")
check_eq(iuptest.text(text), "yzb", "a returned code replaces the typed character")
IupHide(dlg)

-- List and toggle arguments; canvas mouse status.
local events = {}
local list = iuplist { "one", "two", "three", value = 1,
  action = function(self, t, item, state) events[#events + 1] = t .. ":" .. item .. ":" .. state end }
local toggle = iuptoggle { title = "t", action = function(self, state) events[#events + 1] = "toggle " .. state end }
local canvas = iupcanvas { rastersize = "50x50",
  button = function(self, b, pressed, x, y, status) events[#events + 1] = string.format("%c %d %d %d [%s]", b, pressed, x, y, status) end,
  motion = function(self, x, y, status) events[#events + 1] = "motion " .. x .. " " .. y end,
  resize = function(self, w, h) events.resized = w .. "x" .. h end }
local d2 = iupdialog { iupvbox { list, toggle, canvas } }
d2:show()
events = {}
iuptest.select(list, 3)
iuptest.toggle(toggle)
iuptest.press(canvas, 1, 5, 6)
iuptest.doubleclick(canvas, 1, 5, 6)
iuptest.motion(canvas, 7, 8)
iuptest.deliver()
check_eq(events[1], "one:1:0", "list: old item deselected first")
check_eq(events[2], "three:3:1", "list: then the new item")
check_eq(events[3], "toggle 1", "toggle state passed")
check(events[4] and events[4]:sub(1, 7) == "1 1 5 6", "canvas press: " .. tostring(events[4]))
check(events[5] and events[5]:find("D]", 1, true) ~= nil, "double click status ends in D: " .. tostring(events[5]))
check_eq(events[6], "motion 7 8", "motion")
IupHide(d2)

-- Idle: returns the previous function; IUP_CLOSE ends the loop.
local calls = 0
local function idle() calls = calls + 1; if calls == 3 then return IUP_CLOSE end end
check_eq(IupSetIdle(idle), nil, "no previous idle function")
local keep = iupdialog { iuplabel { title = "idle" } }
keep:show()
IupMainLoop()
check_eq(calls, 3, "idle ran until it returned IUP_CLOSE")
check_eq(IupSetIdle(nil), idle, "the previous idle function is returned")
IupHide(keep)

-- IupNewError on its own: a missing message and the place it names.
iuptest.reset()
iuptest.answer_message()
IupNewError()
check(iuptest.transcript():find("(no messsage)", 1, true) ~= nil, "missing message: " .. iuptest.transcript())

-- The place is cut to 200 characters; the message stays whole.
iuptest.reset()
iuptest.answer_message()
local long_name = string.rep("f", 300)
_G[long_name] = function() IupNewError(string.rep("m", 250)) end
load(long_name .. "()")()
local place = iuptest.transcript():match(string.rep("m", 250) .. "(\nfunction f+)")
check(place ~= nil and #place == 200, "place bounded to 200 characters: " .. tostring(place and #place))
finish()
