-- The predefined dialogs without "IUP_INGLES": Portuguese texts (Latin-1).
local seen = {}
dofile("harness.lua")
IupSetIdle(function()
  local ok, cancel = IupGetHandle("IupListOkButton"), IupGetHandle("IupListCancelButton")
  if ok then
    seen.ok, seen.cancel = ok.title, cancel.title
    iuptest.click(cancel)
  end
  local entry_ok = IupGetHandle("IupDataEntryOkButton")
  if entry_ok then
    seen.entry = entry_ok.title
    seen.entry_cancel = IupGetHandle("IupDataEntryCancelButton").title
    iuptest.click(entry_ok)
  end
end)
check_eq(IupListDialog(1, "Lista", 2, { "a", "b" }, 1, 10, 2, { 0, 0 }), -1, "cancelled")
check_eq(seen.ok, "Confirma", "confirm button")
check_eq(seen.cancel, "Cancela", "cancel button")
check_eq(IupScanf("Dados\nN:%4.4%d\n", 12), 1, "confirmed")
check_eq(seen.entry, "Confirma", "data entry confirm")
check_eq(seen.entry_cancel, "Cancela", "data entry cancel")
IupSetIdle(nil)

iuptest.reset()
iuptest.answer_file("x.txt")
IupGetFile("")
check(iuptest.transcript():find("Sele\231\227o de Arquivos", 1, true) ~= nil or
      iuptest.last_message():find("Sele\231\227o de Arquivos", 1, true) ~= nil,
      "file chooser title: " .. iuptest.transcript() .. "|" .. iuptest.last_message())
finish()
