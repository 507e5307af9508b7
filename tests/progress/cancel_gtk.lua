-- Under GTK with real X input: the counter dialog's Cancel clicked while a
-- 6000 x 6000 TIFF loads, the warning answered "Yes": the load returns the
-- interrupted code, the dialog goes, and the program goes on (a later
-- transfer works and the main dialog still runs).
dofile("harness.lua")
dofile("xinput.lua")

-- made at the top level, which runs without the counter dialog
local size = 6000
local big, palette = imCreateImageMap(size, size), imCreatePalette(256)
check_eq(imSaveMap(big, palette, IM_TIF, IM_NONE, "big.tif"), IM_ERR_NONE, "the large TIFF is written")
imKillImageMap(big)
big = nil

local main = iupdialog { iuplabel { title = "main" }, title = "cancel-main" }
main:showxy(20, 20)

local phase, since = "start", os.time()
local clicked = {}

-- Clicks the focused button if its title is the one wanted.
local function click_focused(title, window_title)
  local focus = IupGetFocus()
  if not focus or IupGetAttribute(focus, "TITLE") ~= title then return false end
  local dialog = IupGetDialog(focus)
  local window = xinput.window(window_title)
  if not dialog or not window then return false end
  local x = tonumber(IupGetAttribute(focus, "X")) - tonumber(IupGetAttribute(dialog, "X"))
  local y = tonumber(IupGetAttribute(focus, "Y")) - tonumber(IupGetAttribute(dialog, "Y"))
  xinput.click(window, x + 8, y + 6)
  clicked[#clicked + 1] = title
  return true
end

-- Runs inside the counter dialog's loop steps (and the warning's loop).
local function during_load()
  if os.time() - since > 30 then
    if phase ~= "gave up" then check(false, "stuck in phase " .. phase) end
    phase = "gave up"
    return
  end
  if phase == "loading" then
    if click_focused("Cancel", "Processing") then
      phase, since = "cancelled", os.time()
    else
      -- the dialog shows with the focus on its gauge: Tab moves it on to
      -- Cancel, whose place is then known; the load waits meanwhile
      local focus = IupGetFocus()
      local dialog = focus and IupGetDialog(focus)
      if dialog and IupGetAttribute(dialog, "TITLE") == "Processing" then xinput.run("key Tab") end
      os.execute("sleep 0.1")
    end
  elseif phase == "cancelled" then
    if click_focused("Yes", "Warning!") then
      phase, since = "answered", os.time()
    else
      -- let the click's events arrive before the load runs on
      os.execute("sleep 0.2")
    end
  end
end

IupSetIdle(function()
  if phase == "start" then
    phase, since = "loading", os.time()
    local back = imCreateImageMap(size, size)
    local result = imLoadMap("big.tif", back, imCreatePalette(256))
    check_eq(clicked[1], "Cancel", "Cancel was clicked")
    check_eq(clicked[2], "Yes", "the warning was answered Yes")
    check_eq(result, -1, "the load returns the interrupted code")
    imKillImageMap(back)
    local focus = IupGetFocus()
    check(not focus or IupGetAttribute(IupGetDialog(focus), "TITLE") ~= "Processing",
          "the counter dialog is gone")
    -- the program goes on: a later transfer works
    phase = "after"
    local small, small_palette = imCreateImageMap(30, 20), imCreatePalette(256)
    small[5] = 7
    check_eq(imSaveMap(small, small_palette, IM_TIF, IM_NONE, "small.tif"), IM_ERR_NONE, "a later save")
    local again = imCreateImageMap(30, 20)
    check_eq(imLoadMap("small.tif", again, imCreatePalette(256)), IM_ERR_NONE, "a later load")
    check_eq(again[5], 7, "the later load read the pixels")
    finish()
    IupSetIdle(nil)
    main:hide()
  elseif phase ~= "after" then
    during_load()
  end
  return IUP_DEFAULT
end)
