-- The editing forms, typed into while they are up: values taken over,
-- refused values name their field and keep the form open, Esc and Cancel
-- leave the project unchanged, Enter confirms, and numbers shown in a form
-- read back exactly.
dofile("harness.lua")
VarkoDir = "sample"
dofile("sample/varko.lua")
-- the script's modules, under the names this test uses
VarkoUI, VarkoActions, VarkoRoutes, VarkoMap = require("varko_ui"), require("varko_actions"), require("varko_routes"),
                                               require("varko_map")
VarkoProject, VarkoFile, VarkoForms = require("varko_project"), require("varko_file"), require("varko_forms")
local p = Varko.Project

-- Runs fn (which pops a dialog up) while the idle function performs one
-- step per call.
still_open = false
local function during(steps, fn)
  local i = 0
  IupSetIdle(function()
    i = i + 1
    if steps[i] then steps[i]() end
  end)
  fn()
  IupSetIdle(nil)
end
-- Steps that replace the text of the focused field, then of the next ones.
local function typing(texts, button)
  local steps = {}
  for n, text in ipairs(texts) do
    if n > 1 then steps[#steps + 1] = function() iuptest.key(K_TAB) end end
    steps[#steps + 1] = function()
      if text ~= false then
        iuptest.set_selection(IupGetFocus(), 0, 1000)
        iuptest.type(text)
      end
    end
  end
  if button == "Enter" then
    steps[#steps + 1] = function() iuptest.enter() end
  elseif button == "Esc" then
    steps[#steps + 1] = function() iuptest.esc() end
  else
    steps[#steps + 1] = function() iuptest.click(IupGetHandle(button or "VarkoFormOk")) end
  end
  -- a refused value keeps the form up: it is still there to be cancelled
  steps[#steps + 1] = function()
    still_open = VarkoForms.current ~= nil
    if still_open then iuptest.click(IupGetHandle("VarkoFormCancel")) end
  end
  return steps
end

local cases = {
  -- what, action, typed texts, button, expected field values or the message shown
  { "search parameters", VarkoActions.editSearch, { "7", "2" }, nil, function() return p.r == 7 and p.i == 2 end },
  { "search step 0 refused", VarkoActions.editSearch, { "0" }, nil,
    "Search parameters: Grid step r (pixels) must be at least 1." },
  { "a word for a number names the field", VarkoActions.editSearch, { false, "many" }, nil,
    'Search parameters: Neighbourhood radius i (nodes): "many" is not a number.' },
  { "a fraction for a whole number", VarkoActions.editSearch, { "2.5" }, nil,
    'Search parameters: Grid step r (pixels): "2.5" is not a whole number.' },
  { "search cancelled", VarkoActions.editSearch, { "9" }, "VarkoFormCancel", "" },
  { "Esc cancels", VarkoActions.editSearch, { "9" }, "Esc", "" },
  { "Enter confirms", VarkoActions.editSearch, { "5", "3" }, "Enter", function() return p.r == 5 and p.i == 3 end },
  { "study area", VarkoActions.editArea, { "1000", "26000", false, false, "30", "30" }, nil,
    function() return p.StudyArea.left == 1000 and p.StudyArea.right == 26000 and p.Scale.sx == 30 end },
  { "seven-digit northings", VarkoActions.editArea, { false, false, "4100025", "4100025.125" }, nil,
    function() return p.StudyArea.bottom == 4100025 and p.StudyArea.top == 4100025.125 end },
  { "area left of right", VarkoActions.editArea, { "50000", "1000" }, nil,
    "Study area and scale: Left must be below right, bottom below top, and the pixel size above 0." },
  { "weight limits", VarkoActions.editLimits, { "1", "50" }, nil,
    function() return p.WeightLimits.minWeight == 1 and p.WeightLimits.maxWeight == 50 end },
  { "limits crossed", VarkoActions.editLimits, { "60", "50" }, nil,
    "Weight limits: The lowest weight must not be above the highest." },
}
for _, case in ipairs(cases) do
  local what, action, texts, button, expected = table.unpack(case, 1, 5)
  iuptest.reset()
  local before = VarkoFile.text(p)
  VarkoUI.setModified(false)
  VarkoRoutes.combinedValid = true
  still_open = false
  during(typing(texts, button), action)
  if type(expected) == "function" then
    check(expected(), what .. ": taken over")
    check(VarkoUI.modified, what .. ": project marked changed")
  else
    check_eq(iuptest.last_message(), expected or "", what .. ": refused")
    check_eq(VarkoFile.text(p), before, what .. ": nothing changed")
    check(not VarkoUI.modified, what .. ": not marked changed")
    check_eq(still_open, expected ~= "", what .. ": the form stays open after the message")
  end
end

-- A form confirmed unchanged changes nothing: its numbers read back exactly
-- (a northing of seven digits and more, a weight of 0.4, a tiny and a huge
-- number).
local exact = {
  { "study area", VarkoActions.editArea, function(v)
      p.StudyArea = { left = 612345.75, right = 623456.5, bottom = 4100025, top = 4123456.0625 }
      p.Scale = { sx = v, sy = v }
    end, { 25, 0.1, 1 / 3, 1e-7, 123456789.123 } },
  { "weight limits", VarkoActions.editLimits, function(v) p.WeightLimits = { minWeight = v, maxWeight = 1e6 } end,
    { 0.4, 0.1 + 0.2, 2 ^ -30, 99999.99999 } },
}
for _, case in ipairs(exact) do
  local what, action, set, values = table.unpack(case)
  for _, v in ipairs(values) do
    set(v)
    local before = VarkoFile.text(p)
    during({ function() iuptest.enter() end }, action)
    check_eq(VarkoFile.text(p), before, what .. " confirmed unchanged keeps " .. string.format("%.17g", v))
  end
end
check_eq(VarkoForms.number(4100025), "4100025", "a whole number is shown whole")
check_eq(VarkoForms.number(0.4), "0.4", "0.4 is shown as 0.4")
check_eq(tonumber(VarkoForms.number(0.1 + 0.2)), 0.1 + 0.2, "0.1 + 0.2 reads back exactly")
-- weights are saved in their shortest exact form
p.Themes[1].Classes[1].weight = 0.4
check(VarkoFile.text(p):find("weight = 0.4,", 1, true) ~= nil, "a weight of 0.4 is saved as 0.4")

-- All settings: one form, a tab each for the study area, the weights and the
-- search; the values typed on any tab taken together as one edit (one undo
-- step); a bad field brings its tab up with the focus on it.
local function fill(values)
  return function()
    for n, text in pairs(values) do IupSetAttribute(VarkoForms.current.texts[n], "VALUE", text) end
  end
end
local seen_tab, seen_focus, page_titles
local tab_cases = {
  -- what, field texts by number, expected values or the message, the tab a refusal shows
  { "every tab taken", { [1] = "500", [2] = "24500", [7] = "2", [8] = "80", [9] = "3", [10] = "2" },
    function() return p.StudyArea.left == 500 and p.StudyArea.right == 24500 and p.WeightLimits.minWeight == 2 and
                      p.WeightLimits.maxWeight == 80 and p.r == 3 and p.i == 2 end },
  { "a bad field on the last tab", { [1] = "700", [9] = "0" },
    "Settings: Grid step r (pixels) must be at least 1.", "VarkoFormPage3" },
  { "a word on the second tab", { [8] = "lots" }, 'Settings: Highest weight: "lots" is not a number.', "VarkoFormPage2" },
  { "crossed limits", { [7] = "90", [8] = "10" }, "Settings: Weights: the lowest weight must not be above the highest." },
  { "area left of right", { [1] = "9e9" },
    "Settings: Study area: left must be below right, bottom below top, and the pixel size above 0." },
}
for _, case in ipairs(tab_cases) do
  local what, values, expected, tab = table.unpack(case, 1, 4)
  iuptest.reset()
  local before = VarkoFile.text(p)
  local undo_depth = #VarkoActions.undoStack
  VarkoUI.setModified(false)
  still_open, seen_tab, seen_focus = false, nil, nil
  during({ function()
    local tabs = VarkoForms.current.tabs
    page_titles = {}
    for k = 1, 3 do page_titles[k] = IupGetAttribute(IupGetHandle("VarkoFormPage" .. k), "TABTITLE") end
    fill(values)()
  end, function() iuptest.click(IupGetHandle("VarkoFormOk")) end, function()
    still_open = VarkoForms.current ~= nil
    if still_open then
      seen_tab = IupGetAttribute(VarkoForms.current.tabs, "VALUE")
      for n, text in ipairs(VarkoForms.current.texts) do if text == IupGetFocus() then seen_focus = n end end
      iuptest.click(IupGetHandle("VarkoFormCancel"))
    end
  end }, VarkoActions.editSettings)
  check_eq(table.concat(page_titles, "|"), "Study area|Weights|Search", what .. ": the three tabs")
  if type(expected) == "function" then
    check(expected(), what .. ": taken over")
    check_eq(#VarkoActions.undoStack, undo_depth + 1, what .. ": one undo step")
    VarkoActions.undo()
    check_eq(VarkoFile.text(p), before, what .. ": one undo puts every tab back")
  else
    check_eq(iuptest.last_message(), expected, what .. ": refused")
    check_eq(VarkoFile.text(p), before, what .. ": nothing changed")
    check(still_open, what .. ": the form stays open")
    if tab then
      -- (a page may carry more than one name: compared as elements)
      check(seen_tab and IupGetHandle(seen_tab) == IupGetHandle(tab), what .. ": its tab is shown")
      local bad
      for n in pairs(values) do if not bad or n > bad then bad = n end end
      check_eq(seen_focus, bad, what .. ": the bad field has the focus")
    end
  end
end

-- The forms speak English.
local titles = {}
during({ function()
  titles[1] = IupGetAttribute(IupGetHandle("VarkoFormOk"), "TITLE")
  titles[2] = IupGetAttribute(IupGetHandle("VarkoFormCancel"), "TITLE")
end, function() iuptest.esc() end }, VarkoActions.editSearch)
check_eq(table.concat(titles, "/"), "OK/Cancel", "the buttons are OK and Cancel")

-- A theme and a class edited; without a selection the user is told.
VarkoUI.selectTheme(0)
VarkoActions.editTheme()
check_eq(iuptest.last_message(), "Themes: Select a theme in the list first (not the combined theme).", "no theme selected")
VarkoUI.selectTheme(1)
during(typing({ "Cover", false, "4" }), VarkoActions.editTheme)
check(p.Themes[1].name == "Cover" and p.Themes[1].weight == 4, "theme renamed and reweighted")
check_eq(p.ThemesNames[1], "Cover", "ThemesNames follows")
VarkoUI.class = 2
during(typing({ "Fields", "7.5" }), VarkoActions.editClass)
check_eq(VarkoFile.text(p):find('description = "Fields"', 1, true) ~= nil, true, "the class is saved with its text")
check(p.Themes[1].Classes[2].description == "Fields" and p.Themes[1].Classes[2].weight == 7.5, "class edited")
VarkoActions.toggleImpassable()
check(VarkoProject.isImpassable(p.Themes[1].Classes[2]), "class made impassable")
VarkoActions.toggleImpassable()
check_eq(p.Themes[1].Classes[2].weight, p.WeightLimits.maxWeight, "and passable again at the highest weight")
IupHide(VarkoUI.dialog)
finish()
