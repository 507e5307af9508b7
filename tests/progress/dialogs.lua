-- The progress dialogs. The progress callback is registered after this
-- script's top level has run, so the checks run from the idle function once
-- the main loop is going; the dialogs' loop steps call the idle function
-- again, which is how a "user" acts while a transfer or computation runs.
dofile("harness.lua")

local function sample_map(w, h)
  local m = imCreateImageMap(w, h)
  for i = 0, w * h - 1 do m[i] = i % 7 end
  local p = imCreatePalette(8)
  return m, p
end

-- top level: no counter dialog yet
local during = nil   -- what the nested idle calls do, set by each case
IupSetIdle(function()
  if during then during() end
  return IUP_DEFAULT
end)
do
  local m, p = sample_map(40, 40)
  local seen = false
  during = function() seen = true end
  check_eq(imSaveMap(m, p, IM_BMP, IM_NONE, "top.bmp"), IM_ERR_NONE, "top level: saved")
  during = nil
  check(not seen, "top level: no dialog, no loop step")
end

local main = iupdialog { iuplabel { title = "main" } }
main:show()

local function titles_seen()
  local active = iuptest.active()
  return active and IupGetAttribute(active, "TITLE")
end

local function cases()
  -- a save and a load show "Processing", gone when the transfer ends
  local m, p = sample_map(200, 200)
  local seen = {}
  during = function() seen[#seen + 1] = titles_seen() end
  check_eq(imSaveMap(m, p, IM_BMP, IM_NONE, "big.bmp"), IM_ERR_NONE, "save: done")
  check(#seen > 0 and seen[1] == "Processing", "save: the counter dialog is shown")
  check(titles_seen() ~= "Processing", "save: the counter dialog is gone")
  seen = {}
  local back, palette = imCreateImageMap(200, 200), imCreatePalette(8)
  check_eq(imLoadMap("big.bmp", back, palette), IM_ERR_NONE, "load: done")
  check(#seen > 0 and seen[1] == "Processing", "load: the counter dialog is shown")
  check_eq(back[200 * 100 + 3], m[200 * 100 + 3], "load: the pixels arrived")

  -- the close box does nothing; Esc answered "No" lets the load finish;
  -- Esc answered "Yes" interrupts it and the dialog goes
  for _, answer in ipairs { 2, 1 } do
    local asked = false
    during = function()
      if not asked and titles_seen() == "Processing" then
        asked = true
        local counter = iuptest.active()
        iuptest.closebox(counter)
        iuptest.deliver()
        check(iuptest.visible(counter), "answer " .. answer .. ": the close box leaves the dialog open")
        iuptest.answer_alarm(answer)
        iuptest.esc()
      end
    end
    local result = imLoadMap("big.bmp", back, palette)
    during = nil
    check(asked, "answer " .. answer .. ": asked")
    if answer == 2 then
      check_eq(result, IM_ERR_NONE, "No: the load finishes")
    else
      check_eq(result, -1, "Yes: the load is interrupted (the library's interrupted code)")
    end
    check(titles_seen() ~= "Processing", "answer " .. answer .. ": the dialog is gone")
  end

  -- a map killed by a callback while it is being written is freed only
  -- after the transfer; the script sees it killed at once
  local victim, vp = sample_map(200, 200)
  local killed = false
  during = function()
    if not killed then killed = true; imKillImageMap(victim); collectgarbage() end
  end
  check_eq(imSaveMap(victim, vp, IM_BMP, IM_NONE, "victim.bmp"), IM_ERR_NONE, "killed while written: saved")
  during = nil
  check(killed, "killed while written: the callback ran")
  check_error(function() return victim[0] end, 'imagemap_tag "gettable": invalid imagemap_tag object!',
              "killed while written: reads as killed")

  -- the combined theme's gauge: callbacks in its loop steps are refused the
  -- functions that would replace the records, and killing a theme map
  -- leaves the computation its pixels
  DefaultColorScale = {numColors = 2, Table = {{10, 0, 0}, {20, 0, 0}}}
  local w, h = 30, 20
  local theme = imCreateImageMap(w, h)
  for i = 0, w * h - 1 do theme[i] = i % 2 end
  Varko = {
    InputPoints = {numPoints = 0, Points = {}},
    Project = {
      StudyArea = {left = 0, right = w, bottom = 0, top = h}, Scale = {sx = 1, sy = 1},
      Dimension = {w = w, h = h}, WeightLimits = {minWeight = 0, maxWeight = 100},
      ThemesNames = {"t1"}, numThemes = 1, i = 1, r = 1, numPaths = 0, Paths = {},
      slopeDataFormat = 2,
      Themes = {{name = "t1", map = "m1", weight = 1, numClasses = 2,
                 Classes = {{colorindex = 0, weight = 1, description = "a"},
                            {colorindex = 1, weight = 3, description = "b"}},
                 Image = {imagemap = theme, palette = imCreatePalette(256)}}},
      CombinedTheme = {Image = {imagemap = imCreateImageMap(w, h), palette = imCreatePalette(256)}},
    },
  }
  InitializeCopyTable(); CopyTable(); CopyPaths()
  local refused, gauge_title = {}, nil
  local functions = {"CopyTable", "DestroyTable", "InitializeCopyTable", "CopyPaths", "DestroyPaths",
                     "GenerateCombinedTheme", "MinimumPath", "PathAnalysis", "ReadExtraData"}
  during = function()
    if gauge_title then return end
    gauge_title = titles_seen()
    for _, name in ipairs(functions) do
      local ok, message = pcall(_G[name], 1)
      refused[name] = not ok and message
    end
    imKillImageMap(theme)
    collectgarbage()
  end
  GenerateCombinedTheme()
  during = nil
  check_eq(gauge_title, "Generating Combined Theme", "gauge: its dialog is shown")
  for _, name in ipairs(functions) do
    check_eq(refused[name], name .. ": the project records are in use!", "gauge: " .. name .. " refused")
  end
  local combined = Varko.Project.CombinedTheme
  check_eq(combined.minValue, 1, "gauge: the computation ran on the held pixels (min)")
  check_eq(combined.maxValue, 3, "gauge: the computation ran on the held pixels (max)")
  check_eq(combined.Image.imagemap[0], 0, "gauge: pixel 0 is the cheapest")
  check_eq(combined.Image.imagemap[1], 254, "gauge: pixel 1 is the dearest")
  check(titles_seen() ~= "Generating Combined Theme", "gauge: its dialog is gone")
  -- afterwards the functions work again
  check(pcall(DestroyPaths), "after: DestroyPaths works again")

  -- Cancel in the gauge dialog (its button, Esc, the close box) stops the
  -- combined theme: the image, its range and palette stay as they were, the
  -- function answers false, and the last complete result still prices routes
  local fresh = imCreateImageMap(w, h)
  for _, case in ipairs {
    { "the Cancel button", function() iuptest.click(IupGetHandle("VarkoGaugeCancel")) end },
    { "Esc", function() iuptest.esc() end },
    { "the close box", function(gauge) iuptest.closebox(gauge) end },
  } do
    local what, cancel = table.unpack(case)
    local theme2 = imCreateImageMap(w, h)
    for i = 0, w * h - 1 do theme2[i] = (i // w) % 2 end
    Varko.Project.Themes[1].Image.imagemap = theme2
    Varko.Project.Themes[1].Classes[2].weight = 9
    for i = 0, w * h - 1 do fresh[i] = 77 end
    local palette = imCreatePalette(256)
    palette[3] = cdEncodeColor(1, 2, 3)
    Varko.Project.CombinedTheme = { Image = { imagemap = fresh, palette = palette }, minValue = -5, maxValue = -4 }
    CopyTable()
    local pressed = false
    during = function()
      if pressed or titles_seen() ~= "Generating Combined Theme" then return end
      pressed = true
      cancel(iuptest.active())
      iuptest.deliver()
    end
    local result = GenerateCombinedTheme()
    during = nil
    check(pressed, what .. ": the gauge was shown")
    check_eq(result, false, what .. ": the combined theme answers cancelled")
    local kept = 0
    for i = 0, w * h - 1 do if fresh[i] == 77 then kept = kept + 1 end end
    check_eq(kept, w * h, what .. ": no pixel of the combined image was written")
    local ct = Varko.Project.CombinedTheme
    check_eq(ct.minValue .. " " .. ct.maxValue, "-5 -4", what .. ": the range is as it was")
    check_eq(palette[3], cdEncodeColor(1, 2, 3), what .. ": the palette is as it was")
    check(titles_seen() ~= "Generating Combined Theme", what .. ": the dialog is gone")
  end
  -- uncancelled, the same call completes and writes the image
  check_eq(GenerateCombinedTheme(), true, "not cancelled: the combined theme answers true")
  check_eq(Varko.Project.CombinedTheme.maxValue, 9, "not cancelled: the new weights are used")
  check_eq(fresh[w], 254, "not cancelled: the image is written")
end

local done = false
IupSetIdle(function()
  if during then during() return IUP_DEFAULT end
  if done then return IUP_DEFAULT end
  done = true
  local ok, message = pcall(cases)
  check(ok, "cases ran: " .. tostring(message))
  finish()
  main:hide()
  return IUP_DEFAULT
end)
