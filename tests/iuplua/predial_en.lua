-- The predefined dialogs in English, driven from the idle function while
-- their popups run.
dofile("harness.lua")

-- Runs fn (which pops a dialog up) while the idle function performs one
-- step per call; returns fn's results.
local function during(steps, fn)
  local i = 0
  IupSetIdle(function()
    i = i + 1
    if steps[i] then steps[i]() end
  end)
  local results = table.pack(fn())
  IupSetIdle(nil)
  return table.unpack(results, 1, results.n)
end
local function click(name) return function() iuptest.click(IupGetHandle(name)) end end
local function dialog_of(name) return IupGetDialog(IupGetHandle(name)) end

-- Alarm: the first button; button texts; the close box answers the last.
local title
check_eq(during({ function() title = IupGetAttribute(dialog_of("IupAlarmFirstButton"), "TITLE") end,
                  click("IupAlarmFirstButton") },
                function() return IupAlarm("Question", "one\ntwo\nthree", "Yes", "No", "Maybe") end),
         1, "first button returns 1")
check_eq(title, "Question", "alarm title")
check_eq(during({ function() iuptest.closebox(dialog_of("IupAlarmFirstButton")) end },
                function() return IupAlarm("Q", "m", "Yes", "No") end),
         2, "close box answers the last button, not the previous answer")
check_eq(IupAlarm("Q", nil, "Yes"), -2, "no message: -2 at once")
iuptest.answer_alarm(3)
check_eq(IupAlarm("Q", "m", "a", "b", "c"), 3, "a native answer is returned")

-- List, single choice: selected 0 starts on item 1; double click; cancel.
local items = { "a", "b", "c", "d" }
local marks = { 0, 0, 0, 0 }
local ok_title, cancel_title
check_eq(during({ function()
                    ok_title = IupGetAttribute(IupGetHandle("IupListOkButton"), "TITLE")
                    cancel_title = IupGetAttribute(IupGetHandle("IupListCancelButton"), "TITLE")
                  end, click("IupListOkButton") },
                function() return IupListDialog(1, "Pick", 4, items, 0, 10, 4, marks) end),
         0, "selected 0 starts on item 1")
check_eq(ok_title, "Ok", "English confirm")
check_eq(cancel_title, "Cancel", "English cancel")
check_eq(during({ function() local l = IupGetFocus(); iuptest.select(l, 4); iuptest.select(l, 4) end },
                function() return IupListDialog(1, "Pick", 4, items, 1, 10, 4, marks) end),
         3, "a double click on item 4 returns 3")
check_eq(during({ click("IupListCancelButton") },
                function() return IupListDialog(1, "Pick", 4, items, 2, 10, 4, marks) end),
         -1, "cancel returns -1")
check_eq(during({ function() iuptest.closebox(dialog_of("IupListOkButton")) end },
                function() return IupListDialog(1, "Pick", 4, items, 3, 10, 4, marks) end),
         -1, "close box is a cancel")

-- Multiple choice: marks on confirm, untouched on cancel.
local chosen = { 1, 0, 1, 0 }
-- the list takes the focus first; selecting flips an item's mark
local r, new_marks = during({ function() iuptest.select(IupGetFocus(), 2) end, function() iuptest.enter() end },
                            function() return IupListDialog(2, "Marks", 4, items, 1, 10, 4, chosen) end)
check_eq(r, 0, "multiple choice confirmed")
check_eq(table.concat(new_marks, ","), "1,1,1,0", "marks read back")
chosen = { 1, 0, 1, 0 }
r, new_marks = during({ function() iuptest.select(IupGetFocus(), 2) end, click("IupListCancelButton") },
                      function() return IupListDialog(2, "Marks", 4, items, 1, 10, 4, chosen) end)
check_eq(r, -1, "multiple choice cancelled")
check_eq(table.concat(new_marks, ","), "1,0,1,0", "cancel leaves the marks")

-- IupScanf: values shown whole, read back, bad text, cancel.
local shown
local count, big, word = during({
  function() shown = IupGetAttribute(IupGetFocus(), "VALUE") end,
  function() iuptest.key(K_TAB) end,
  function() iuptest.click(IupGetHandle("IupDataEntryOkButton")) end,
}, function() return IupScanf("Form\nBig:%20.10%lf\nWord:%5.5%s\n", 1e30, "abc") end)
check_eq(shown, string.format("%f", 1e30), "a value wider than its field is shown whole")
check_eq(count, 2, "both fields read")
check_eq(big, 1e30, "number read back")
check_eq(word, "abc", "text read back")

local steps = {
  function() iuptest.set_selection(IupGetFocus(), 0, 10); iuptest.type("zz") end,
  function() iuptest.click(IupGetHandle("IupDataEntryOkButton")) end,
}
check_eq(during(steps, function() return IupScanf("Form\nN:%5.5%d\n", 7) end), 0,
         "text that does not convert gives the field's index")
check_eq(during({ click("IupDataEntryCancelButton") },
                function() return IupScanf("Form\nN:%5.5%d\n", 7) end), -1, "cancel gives -1")
check_eq(during({ function() iuptest.closebox(dialog_of("IupDataEntryOkButton")) end },
                function() return IupScanf("Form\nN:%5.5%d\n", 7) end), -1, "close box is a cancel")
check_eq(IupScanf("no fields"), -1, "a format without fields is unusable")
check_eq(IupScanf("T\nN:%5.5%p\n", 1), -1, "an unknown conversion is unusable")

-- IupGetFile: existing, new, cancelled.
local f = io.open("exists.txt", "w"); f:write("x"); f:close()
iuptest.answer_file("exists.txt")
local name, status = IupGetFile("start")
check_eq(name, "exists.txt", "chosen name")
check_eq(status, 0, "an existing file gives 0")
iuptest.answer_file("fresh.txt")
name, status = IupGetFile("start")
check_eq(status, 1, "a new name gives 1")
iuptest.cancel_file()
name, status = IupGetFile("start")
check_eq(name, "start", "cancel keeps the name")
check_eq(status, -1, "cancel gives -1")
iuptest.answer_file(string.rep("p", 300))
name, status = IupGetFile(string.rep("n", 400))
check_eq(#name, 300, "a long chosen path comes back whole")
os.remove("exists.txt")

-- The file dialog class.
local dlg = iupfiledlg { dialogtype = "SAVE", title = "Save as" }
iuptest.answer_file("new.txt")
check_eq(IupPopup(dlg, IUP_CENTER, IUP_CENTER), 0, "popup of the file dialog")
check_eq(dlg.status, "1", "a new file: STATUS 1")
check_eq(dlg.fileexist, "NO", "FILEEXIST NO")
check_eq(dlg.value, "new.txt", "VALUE is the path")
iuptest.cancel_file()
IupPopup(dlg, IUP_CENTER, IUP_CENTER)
check_eq(dlg.status, "-1", "cancel: STATUS -1")
check_eq(dlg.value, nil, "cancel removes VALUE")
check_eq(dlg.fileexist, nil, "and FILEEXIST")
dlg.dialogtype = "DIR"
check_eq(IupPopup(dlg, IUP_CENTER, IUP_CENTER), 1, "an unknown type shows nothing and returns 1")

-- IupMessage goes to the message box.
iuptest.reset()
iuptest.answer_message()
IupMessage("Note", "hello")
check(iuptest.transcript():find("Note: hello", 1, true) ~= nil, "message box shown: " .. iuptest.transcript())
finish()
