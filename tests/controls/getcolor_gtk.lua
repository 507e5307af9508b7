-- Under GTK with real X input: iup_getcolor pops the colour dialog up, a
-- click on the hue ring picks red, OK (reached with Shift+Tab, as Tab
-- forwards meets the preview, which hands the focus back to the picker;
-- pressed with the space bar) confirms, and iup_getcolor returns 1 and the colour.
dofile("harness.lua")
dofile("xinput.lua")

local main = iupdialog { iuplabel { title = "main" }, title = "getcolor-main" }
main:showxy(20, 20)

local phase, since, waited_from = "start", os.time(), nil
local color_win, last_focus, tabs_sent = nil, nil, 0
local confirmed, r, g, b

local function give_up(why)
  check(false, why)
  -- the window manager's close: the dialog reports no confirmation
  if color_win then xinput.run("windowactivate --sync " .. color_win .. " key alt+F4") end
  phase = "closing"
end

-- While the colour dialog pops up its loop calls the idle function again.
local function in_dialog()
  if phase == "find" then
    color_win = xinput.window("Color Selection")
    if color_win then
      -- the picker sits 5 pixels in; its ring's right side is hue 0
      xinput.click(color_win, 5 + 171, 5 + 90)
      phase, since = "tab", os.time()
    elseif os.time() - since > 20 then
      give_up("the colour dialog did not appear")
    end
  elseif phase == "tab" then
    local focus = IupGetFocus()
    if focus and IupGetAttribute(focus, "TITLE") == "OK" then
      xinput.run("key space")
      phase = "pressed"
    elseif focus ~= last_focus or os.time() - since >= 2 then
      -- one Tab at a time, each once the focus moved (or after a while)
      if tabs_sent >= 20 then give_up("Shift+Tab never reached OK") return end
      last_focus, since = focus, os.time()
      tabs_sent = tabs_sent + 1
      xinput.run("key shift+Tab")
    end
  elseif phase == "pressed" then
    waited_from = waited_from or os.time()
    if os.time() - waited_from > 10 then give_up("OK did not close the dialog") end
  end
end

IupSetIdle(function()
  if phase == "start" then
    phase, since = "find", os.time()
    confirmed, r, g, b = iup_getcolor(0, 0, 255)
    phase = "done"
    check_eq(confirmed, 1, "OK confirmed")
    check_eq(r, 255, "red from the ring")
    check_eq(g, 0, "no green")
    check_eq(b, 0, "no blue")
    finish()
    IupSetIdle(nil)
    main:hide()
  elseif phase ~= "done" then
    in_dialog()
  end
  return IUP_DEFAULT
end)
