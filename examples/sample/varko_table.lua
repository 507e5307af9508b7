-- Themes -> "Edit in a table...": every theme and its classes in one matrix
-- (name, weight, impassable flag, colour). The weight cells take only
-- numbers within the weight limits; a key or double click on a colour cell
-- opens the colour dialog. OK takes all edits as one undo step, Cancel and
-- Esc change nothing; a bad cell is named in a message and the table stays
-- open with every other edit.
local VarkoColours = require("varko_colours")
local VarkoForms = require("varko_forms")
local VarkoProject = require("varko_project")
local VarkoUI = require("varko_ui")

local A = require("varko_actions")
local ui = VarkoUI

local VarkoTable = {}

VarkoTable.TITLE = "Edit in a table"
VarkoTable.NAME, VarkoTable.WEIGHT, VarkoTable.IMPASSABLE, VarkoTable.COLOUR = 1, 2, 3, 4
local NAME, WEIGHT, IMPASSABLE, COLOUR = 1, 2, 3, 4
local COLUMN_TITLES = { "Name", "Weight", "Impassable", "Colour" }

-- The table being shown: { dialog, matrix, ok, cancel, rows } (for tests).
VarkoTable.current = nil

-- One line per theme followed by one per class of it.
local function table_rows(p)
  local rows = {}
  for _, theme in ipairs(p.Themes) do
    rows[#rows + 1] = { theme = theme, what = "Theme " .. tostring(theme.name) }
    for _, class in ipairs(theme.Classes or {}) do
      rows[#rows + 1] = { theme = theme, class = class,
                          what = "Class " .. tostring(class.colorindex) .. " of " .. tostring(theme.name) }
    end
  end
  return rows
end

-- The texts a line starts with.
local function cell_texts(row)
  local class = row.class
  if not class then return { tostring(row.theme.name or ""), VarkoForms.number(row.theme.weight), "", "" } end
  local impassable = VarkoProject.isImpassable(class)
  return { tostring(class.description or ""), impassable and "" or VarkoForms.number(class.weight),
           impassable and "Yes" or "No", VarkoColours.parse(class.colour) and class.colour or "" }
end

-- The colour a class is drawn in, as r, g, b (its own, else the image's).
local function shown_colour(row, text)
  local r, g, b = VarkoColours.parse(text)
  if r then return r, g, b end
  local ok, r2, g2, b2 = pcall(function() return cdDecodeColor(row.theme.Image.palette[row.class.colorindex]) end)
  if ok and type(r2) == "number" then return r2, g2, b2 end
  return nil
end

local function show_swatch(matrix, line, row, text)
  local r, g, b = shown_colour(row, text)
  if r then IupSetAttribute(matrix, string.format("BGCOLOR%d:%d", line, COLOUR), string.format("%d %d %d", r, g, b)) end
end

-- The weight a cell's text gives, or nil and what is wrong with it.
local function read_weight(text, limits)
  local trimmed = text:match("^%s*(.-)%s*$")
  local n = tonumber(trimmed)
  if not n or n ~= n or n == math.huge or n == -math.huge then
    return nil, string.format('"%s" is not a number.', trimmed)
  end
  if n < limits.minWeight or n > limits.maxWeight then
    return nil, string.format("the weight must lie between %s and %s (the weight limits).",
                              VarkoForms.number(limits.minWeight), VarkoForms.number(limits.maxWeight))
  end
  return n
end

-- The new values of every line, or nil, the line and column of a bad cell
-- and the message naming it. An unchanged weight is kept as it was, even
-- outside the limits (a project file may hold one).
local function read_table(matrix, rows, limits)
  local values = {}
  for line, row in ipairs(rows) do
    local function cell(col) return IupGetAttribute(matrix, string.format("%d:%d", line, col)) or "" end
    local function refuse(col, problem)
      return nil, line, col, string.format("Line %d (%s), %s: %s", line, row.what, COLUMN_TITLES[col], problem)
    end
    local v = {}
    local name = cell(NAME)
    if not row.class and name:match("^%s*$") then return refuse(NAME, "a theme needs a name.") end
    v.name = name
    -- the mask lets only the start of "Yes" or "No" be typed: its first letter tells
    local flag = row.class and cell(IMPASSABLE):lower():match("^%s*(.-)%s*$")
    if flag and not (flag ~= "" and (("yes"):sub(1, #flag) == flag or ("no"):sub(1, #flag) == flag)) then
      return refuse(IMPASSABLE, 'write "Yes" or "No".')
    end
    v.impassable = flag ~= nil and flag:sub(1, 1) == "y"
    local weight_text = cell(WEIGHT)
    if weight_text == row.texts[WEIGHT] and weight_text ~= "" then
      v.weight = row.class and row.class.weight or row.theme.weight
    elseif weight_text:match("^%s*$") and v.impassable then
      v.weight = nil  -- an impassable class needs none
    elseif weight_text:match("^%s*$") and row.texts[WEIGHT] == "" then
      return refuse(WEIGHT, "a passable class needs a weight.")
    else
      -- a weight typed on a line left impassable would be lost: say so
      if v.impassable then return refuse(WEIGHT, 'an impassable class takes no weight: set "Impassable" to "No".') end
      local weight, problem = read_weight(weight_text, limits)
      if not weight then return refuse(WEIGHT, problem) end
      if row.class and not v.impassable and weight >= VarkoProject.IMPASSABLE then
        return refuse(WEIGHT, string.format('a passable class weighs less than %d: set "Impassable" to "Yes" instead.',
                                            VarkoProject.IMPASSABLE))
      end
      v.weight = weight
    end
    if row.class then
      local colour = cell(COLOUR)
      if colour ~= "" and not VarkoColours.parse(colour) then
        return refuse(COLOUR, 'a colour is written "r g b", each from 0 to 255.')
      end
      v.colourText, v.colour = colour, colour ~= "" and colour or nil
    end
    values[line] = v
  end
  return values
end

-- Puts the values read into the project; true when anything changed.
local function apply(rows, values)
  local changes = {}
  for line, row in ipairs(rows) do
    local v = values[line]
    if row.class then
      local weight = v.weight
      if v.impassable then
        weight = VarkoProject.isImpassable(row.class) and row.class.weight or VarkoProject.IMPASSABLE
      end
      -- an untouched colour cell keeps what the class had (even a bad value)
      local colour = row.class.colour
      if v.colourText ~= row.texts[COLOUR] then colour = v.colour end
      if v.name ~= tostring(row.class.description or "") or weight ~= row.class.weight or colour ~= row.class.colour then
        changes[#changes + 1] = function()
          row.class.description, row.class.weight, row.class.colour = v.name, weight, colour
        end
      end
    elseif v.name ~= tostring(row.theme.name) or v.weight ~= row.theme.weight then
      changes[#changes + 1] = function() row.theme.name, row.theme.weight = v.name, v.weight end
    end
  end
  if #changes == 0 then return false end
  A.record("Edit in a table")
  for _, change in ipairs(changes) do change() end
  A.changed()
  return true
end

-- Opens the colour dialog for a class's colour cell.
local function pick_colour(matrix, line, row)
  local key = string.format("%d:%d", line, COLOUR)
  local r, g, b = shown_colour(row, IupGetAttribute(matrix, key))
  local confirmed
  confirmed, r, g, b = iup_getcolor(r or 0, g or 0, b or 0)
  if confirmed ~= 1 then return end
  local text = string.format("%d %d %d", r, g, b)
  IupSetAttribute(matrix, key, text)
  show_swatch(matrix, line, row, text)
end

function A.editTable()
  local p = Varko.Project
  if #p.Themes == 0 then
    ui.message(VarkoTable.TITLE, "The project has no themes yet: import one first.")
    return
  end
  local limits = p.WeightLimits
  local rows = table_rows(p)
  local definition = { numlin = #rows, numcol = 4, numlin_visible = tostring(math.min(#rows, 15)), numcol_visible = "4",
                       width1 = "160", width2 = "50", width3 = "76", width4 = "64", alignment1 = "ALEFT",
                       expand = "YES" }
  for col, title in ipairs(COLUMN_TITLES) do definition["0:" .. col] = title end
  for line, row in ipairs(rows) do
    row.texts = cell_texts(row)
    definition[line .. ":0"] = row.class and ("  Class " .. tostring(row.class.colorindex)) or "Theme"
    for col, text in ipairs(row.texts) do definition[line .. ":" .. col] = text end
  end
  local result = false
  local matrix
  definition.edition = function(self, line, col, entering)
    local row = rows[line]
    if entering ~= 1 or not row then return IUP_DEFAULT end
    if row.class == nil and (col == IMPASSABLE or col == COLOUR) then return IUP_IGNORE end
    if col == COLOUR then
      pick_colour(self, line, row)
      return IUP_IGNORE
    end
    return IUP_DEFAULT
  end
  definition.action = function(self, key, line, col, editing)
    -- Esc while moving about cancels the table (while editing it cancels the cell)
    if key == K_ESC and editing == 0 then return IUP_CLOSE end
    return IUP_DEFAULT
  end
  matrix = iupmatrix(definition)
  for line, row in ipairs(rows) do
    -- weights are never negative: the mask takes 0 up to the highest
    -- weight, and the lowest is checked on OK (a mask with a lower bound
    -- above 0 would refuse the first digit of a number above it)
    IupTextMaskSetReal(matrix, 0, 0, math.max(limits.maxWeight, 0), line, WEIGHT)
    if row.class then
      IupTextMaskSetCell(matrix, "Yes|No", 1, 1, line, IMPASSABLE)
      show_swatch(matrix, line, row, row.texts[COLOUR])
    else
      for col = IMPASSABLE, COLOUR do IupSetAttribute(matrix, string.format("BGCOLOR%d:%d", line, col), "224 224 224") end
    end
  end
  local dialog
  local ok = iupbutton { title = "OK", size = "50x", action = function()
    if IupGetAttribute(matrix, "EDIT_MODE") == "YES" then IupSetAttribute(matrix, "EDIT_MODE", "NO") end
    local values, line, col, problem = read_table(matrix, rows, limits)
    if not values then
      IupMessage(VarkoTable.TITLE, problem)
      IupSetAttribute(matrix, "FOCUS_CELL", string.format("%d:%d", line, col))
      IupSetFocus(matrix)
      return IUP_DEFAULT
    end
    result = values
    return IUP_CLOSE
  end }
  local cancel = iupbutton { title = "Cancel", size = "50x", action = function() return IUP_CLOSE end }
  IupSetHandle("VarkoTableCancel", cancel)
  dialog = iupdialog { iupvbox { matrix, iuphbox { iupfill {}, ok, cancel, gap = "5" }, margin = "10x10", gap = "5" },
                       title = VarkoTable.TITLE, defaultesc = "VarkoTableCancel", parentdialog = "Varko.MainDialog" }
  VarkoTable.current = { dialog = dialog, matrix = matrix, ok = ok, cancel = cancel, rows = rows }
  IupPopup(dialog, IUP_CENTER, IUP_CENTER)
  VarkoTable.current = nil
  IupDestroy(dialog)
  if not result then return end
  if apply(rows, result) then ui.refresh() end
end

return VarkoTable
