-- The gauge's object layer: the class IUPGAUGE and the constructor
-- iupgauge { value = ..., text = ..., ... }, whose fields become attributes.
IUPGAUGE = setmetatable({ parent = WIDGET }, getmetatable(WIDGET))

function iupgauge(definition)
  if type(definition) ~= "table" then
    error("parameter 1 of 'iupgauge' has wrong value or is not initialized", 2)
  end
  local name = definition.name
  if name ~= nil and type(name) ~= "string" then error("option name must be a string", 2) end
  local gauge = IupCreateGauge()
  local object = tab_handle[gauge]
  object.parent = IUPGAUGE
  if name then IupSetHandle(name, gauge) end
  for field, value in pairs(definition) do
    if type(field) == "string" and field ~= "name" then object:set(field, value) end
  end
  return gauge
end
