-- The tabs' object layer: the class IUPTABS and the constructor
-- iuptabs { page1, page2, ..., tabchange = f, tabtype = ..., ... }: the
-- positional entries are the pages, the named ones attributes; the method
-- tabchange gets the tabs, the new page and the old page.
IUPTABS = setmetatable({ parent = WIDGET }, getmetatable(WIDGET))

function IUPTABS:set(field, value)
  if type(field) == "string" and string.lower(field) == "tabchange" then
    rawset(self, "tabchange", value)
    return
  end
  return WIDGET.set(self, field, value)
end

function iuptabs(definition)
  if type(definition) ~= "table" then
    error("parameter 1 of 'iuptabs' has wrong value or is not initialized", 2)
  end
  local name = definition.name
  if name ~= nil and type(name) ~= "string" then error("option name must be a string", 2) end
  local tabs = IupCreateTabs(definition)
  local object = tab_handle[tabs]
  object.parent = IUPTABS
  if name then IupSetHandle(name, tabs) end
  for field, value in pairs(definition) do
    if type(field) == "string" and field ~= "name" then object:set(field, value) end
  end
  return tabs
end

function default_tab_tabchange(tabs, new_page, old_page)
  local object = tab_handle[tabs]
  local f = object and object.tabchange
  if f == nil then return IUP_DEFAULT end
  return f(tabs, new_page, old_page)
end
