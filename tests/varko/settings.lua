-- The editing dialogs, typed into while they are up: values taken over,
-- refused values and cancel leave the project unchanged.
dofile("harness.lua")
VarkoDir = "sample"
dofile("sample/varko.lua")
local p = Varko.Project

-- Runs fn (which pops a dialog up) while the idle function performs one
-- step per call.
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
  steps[#steps + 1] = function() iuptest.click(IupGetHandle(button or "IupDataEntryOkButton")) end
  return steps
end

local cases = {
  -- what, action, typed texts, button, expected field values or the message shown
  { "search parameters", VarkoActions.editSearch, { "7", "2" }, nil, function() return p.r == 7 and p.i == 2 end },
  { "search step 0 refused", VarkoActions.editSearch, { "0" }, nil,
    "Search parameters: The step and the radius must be at least 1 (radius at most 1000)." },
  { "a word for a number", VarkoActions.editSearch, { false, "many" }, nil,
    "Varko: Field 2 does not hold a valid value; nothing was changed." },
  { "search cancelled", VarkoActions.editSearch, { "9" }, "IupDataEntryCancelButton", "" },
  { "study area", VarkoActions.editArea, { "1000", "26000", false, false, "30", "30" }, nil,
    function() return p.StudyArea.left == 1000 and p.StudyArea.right == 26000 and p.Scale.sx == 30 end },
  { "area left of right", VarkoActions.editArea, { "50000", "1000" }, nil,
    "Study area: Left must be below right, bottom below top, and the pixel size above 0." },
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
  during(typing(texts, button), action)
  if type(expected) == "function" then
    check(expected(), what .. ": taken over")
    check(VarkoUI.modified, what .. ": project marked changed")
  else
    check_eq(iuptest.last_message(), expected or "", what .. ": refused")
    check_eq(VarkoFile.text(p), before, what .. ": nothing changed")
    check(not VarkoUI.modified, what .. ": not marked changed")
  end
end

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
check(p.Themes[1].Classes[2].description == "Fields" and p.Themes[1].Classes[2].weight == 7.5, "class edited")
VarkoActions.toggleImpassable()
check(VarkoProject.isImpassable(p.Themes[1].Classes[2]), "class made impassable")
VarkoActions.toggleImpassable()
check_eq(p.Themes[1].Classes[2].weight, p.WeightLimits.maxWeight, "and passable again at the highest weight")
IupHide(VarkoUI.dialog)
finish()
