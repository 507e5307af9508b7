-- The matrix's object layer: the class IUPMATRIX and the constructor
-- iupmatrix { numlin = ..., numcol = ..., ["1:1"] = ..., action = f, ... }.
-- The methods action, edition, enteritem, leaveitem, drop, dropselect,
-- rightclick and scroll get the element and the callback's arguments;
-- field(self, line, column) returns the element that edits the cell (or
-- nil for the matrix's own editor); a
-- function given as value (and value_edit) puts the matrix in callback
-- mode: it asks value(self, line, column) for every text it shows.
IUPMATRIX = setmetatable({ parent = WIDGET }, getmetatable(WIDGET))

local methods = { action = true, edition = true, enteritem = true, leaveitem = true, drop = true,
                  dropselect = true, field = true, rightclick = true, scroll = true }
local modes = { value = "VALUE_CB", value_edit = "VALUE_EDIT_CB" }
local mode_actions = { value = "mat_value", value_edit = "mat_value_edit" }

function IUPMATRIX:set(field, value)
  if type(field) == "string" then
    local lower = string.lower(field)
    if methods[lower] then
      rawset(self, lower, value)
      return
    end
    if modes[lower] and type(value) == "function" then
      rawset(self, lower, value)
      IupSetAttribute(self.handle, modes[lower], mode_actions[lower])
      return
    end
  end
  return WIDGET.set(self, field, value)
end

function iupmatrix(definition)
  if type(definition) ~= "table" then
    error("parameter 1 of 'iupmatrix' has wrong value or is not initialized", 2)
  end
  local name = definition.name
  if name ~= nil and type(name) ~= "string" then error("option name must be a string", 2) end
  local mat = IupCreateMatrix()
  local object = tab_handle[mat]
  object.parent = IUPMATRIX
  if name then IupSetHandle(name, mat) end
  -- the sizes first, so that the cells given with them find their places
  for _, size in ipairs { "numlin", "numcol" } do
    if definition[size] ~= nil then object:set(size, definition[size]) end
  end
  for field, value in pairs(definition) do
    if field ~= "name" and field ~= "numlin" and field ~= "numcol" then object:set(field, value) end
  end
  return mat
end

local function dispatcher(method, default)
  return function(element, ...)
    local object = tab_handle[element]
    local f = object and rawget(object, method)
    if f == nil then return default end
    return f(element, ...)
  end
end
default_matrix_action = dispatcher("action", IUP_DEFAULT)
default_matrix_edition = dispatcher("edition", IUP_DEFAULT)
default_matrix_enteritem = dispatcher("enteritem", IUP_DEFAULT)
default_matrix_leaveitem = dispatcher("leaveitem", IUP_DEFAULT)
-- without a drop method the cell is edited with the text field
default_matrix_drop = dispatcher("drop", IUP_IGNORE)
default_matrix_dropselect = dispatcher("dropselect", IUP_DEFAULT)
default_matrix_rightclick = dispatcher("rightclick", IUP_DEFAULT)
default_matrix_field = dispatcher("field", nil)
default_matrix_scroll = dispatcher("scroll", IUP_DEFAULT)
default_matrix_value = dispatcher("value", nil)
default_matrix_value_edit = dispatcher("value_edit", IUP_DEFAULT)
