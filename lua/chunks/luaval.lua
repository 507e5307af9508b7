-- The valuator's object layer: the class IUPVAL and the constructor
-- iupval { "VERTICAL" or type = ..., value = ..., mousemove = f, ... };
-- the methods mousemove, buttonpress and buttonrelease get the element and
-- the value.
IUPVAL = setmetatable({ parent = WIDGET }, getmetatable(WIDGET))

local methods = { mousemove = true, buttonpress = true, buttonrelease = true }

function IUPVAL:set(field, value)
  if type(field) == "string" and methods[string.lower(field)] then
    rawset(self, string.lower(field), value)
    return
  end
  return WIDGET.set(self, field, value)
end

function iupval(definition)
  if type(definition) ~= "table" then
    error("parameter 1 of 'iupval' has wrong value or is not initialized", 2)
  end
  local orientation = definition[1] or definition.type
  if orientation ~= nil and type(orientation) ~= "string" then
    error("option type must be a string", 2)
  end
  local name = definition.name
  if name ~= nil and type(name) ~= "string" then error("option name must be a string", 2) end
  local val = IupCreateVal(orientation)
  local object = tab_handle[val]
  object.parent = IUPVAL
  if name then IupSetHandle(name, val) end
  for field, value in pairs(definition) do
    if type(field) == "string" and field ~= "name" and field ~= "type" then object:set(field, value) end
  end
  return val
end

local function dispatcher(method)
  return function(element, value)
    local object = tab_handle[element]
    local f = object and object[method]
    if f == nil then return IUP_DEFAULT end
    return f(element, value)
  end
end
default_val_mousemove = dispatcher("mousemove")
default_val_buttonpress = dispatcher("buttonpress")
default_val_buttonrelease = dispatcher("buttonrelease")
