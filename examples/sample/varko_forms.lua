-- The application's small forms: a label and a text box per field, OK and
-- Cancel, Enter for OK and Esc for Cancel. Numbers are shown in the
-- shortest text that reads back as the same number, so confirming a form
-- unchanged changes nothing. A field that does not hold a valid value is
-- named in a message and the form stays open with every other edit.
local VarkoForms = {}

-- The shortest decimal text that reads back as n.
function VarkoForms.number(n)
  if math.type(n) == "integer" then return string.format("%d", n) end
  if n ~= n or n == math.huge or n == -math.huge then return tostring(n) end
  if n == math.floor(n) and math.abs(n) < 2 ^ 53 then return string.format("%d", math.floor(n)) end
  for digits = 1, 17 do
    local text = string.format("%." .. digits .. "g", n)
    if tonumber(text) == n then return text end
  end
  return string.format("%.17g", n)
end

-- The value a field's text gives, or nil and what is wrong with it.
local function read_field(field, text)
  local trimmed = text:match("^%s*(.-)%s*$")
  if field.kind == "number" or field.kind == "integer" then
    local n = tonumber(trimmed)
    if not n or n ~= n or n == math.huge or n == -math.huge then
      return nil, string.format('%s: "%s" is not a number.', field.label, trimmed)
    end
    if field.kind == "integer" then
      n = math.tointeger(n)
      if not n then return nil, string.format('%s: "%s" is not a whole number.', field.label, trimmed) end
    end
    if field.min and n < field.min then return nil, string.format("%s must be at least %s.", field.label,
                                                                  VarkoForms.number(field.min)) end
    if field.max and n > field.max then return nil, string.format("%s must be at most %s.", field.label,
                                                                  VarkoForms.number(field.max)) end
    return n
  end
  if field.required and trimmed == "" then return nil, field.label .. " must not be empty." end
  return text
end

local function shown(field)
  if field.kind == "number" or field.kind == "integer" then return VarkoForms.number(field.value) end
  return tostring(field.value or "")
end

-- The form being shown: { dialog, texts = { text box per field }, ok, cancel }.
VarkoForms.current = nil

-- Shows a form of fields { label =, value =, kind = "text" | "number" |
-- "integer", min =, max =, required =, page = } (fields with a page are
-- shown on that page's tab) and, when given, check(values)
-- returning a message for a combination the form refuses. Returns the
-- values in field order, or nil when cancelled.
function VarkoForms.ask(title, fields, check)
  local texts, rows = {}, {}
  -- fields with a page go on tabs, one tab per page in order of first use
  local pages, page_rows, page_of = {}, {}, {}
  for n, field in ipairs(fields) do
    texts[n] = iuptext { value = shown(field), size = field.kind == "text" and "140x" or "90x", expand = "HORIZONTAL" }
    local row = iuphbox { iuplabel { title = field.label .. ":", size = "90x" }, texts[n], alignment = "ACENTER" }
    if field.page then
      if not page_rows[field.page] then
        pages[#pages + 1] = field.page
        page_rows[field.page] = { margin = "5x5", gap = "5", tabtitle = field.page }
      end
      table.insert(page_rows[field.page], row)
      page_of[n] = #pages
    else
      rows[#rows + 1] = row
    end
  end
  local tabs
  if #pages > 0 then
    local boxes = {}
    for k, page in ipairs(pages) do
      boxes[k] = iupvbox(page_rows[page])
      IupSetHandle("VarkoFormPage" .. k, boxes[k])
    end
    tabs = iuptabs(boxes)
    rows[#rows + 1] = tabs
  end
  local result = nil
  local form
  local ok = iupbutton { title = "OK", size = "50x", action = function()
    local values = {}
    for n, field in ipairs(fields) do
      local value, problem = read_field(field, IupGetAttribute(texts[n], "VALUE") or "")
      if value == nil then
        IupMessage(title, problem)
        -- the tab of the field first, so that it can take the focus
        if page_of[n] then IupSetAttribute(tabs, "VALUE", "VarkoFormPage" .. page_of[n]) end
        IupSetFocus(texts[n])
        return IUP_DEFAULT
      end
      values[n] = value
    end
    local problem = check and check(table.unpack(values, 1, #fields))
    if problem then
      IupMessage(title, problem)
      return IUP_DEFAULT
    end
    result = values
    return IUP_CLOSE
  end }
  local cancel = iupbutton { title = "Cancel", size = "50x", action = function() return IUP_CLOSE end }
  IupSetHandle("VarkoFormOk", ok)
  IupSetHandle("VarkoFormCancel", cancel)
  rows[#rows + 1] = iuphbox { iupfill {}, ok, cancel, gap = "5" }
  rows.margin, rows.gap = "10x10", "5"
  form = iupdialog { iupvbox(rows), title = title, resize = "NO", minbox = "NO", maxbox = "NO",
                     defaultenter = "VarkoFormOk", defaultesc = "VarkoFormCancel",
                     parentdialog = "Varko.MainDialog" }
  local outer = VarkoForms.current
  VarkoForms.current = { dialog = form, texts = texts, ok = ok, cancel = cancel, tabs = tabs }
  IupPopup(form, IUP_CENTER, IUP_CENTER)
  VarkoForms.current = outer
  IupDestroy(form)
  if not result then return nil end
  return table.unpack(result, 1, #fields)
end

return VarkoForms
